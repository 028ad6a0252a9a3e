#include "metadata/CTimelineMetadataSettingsDlg.h"

#include "events/ViewerMessageDispatch.h"
#include "events/ViewerMessages.h"
#include "metadata/CTimelineMetadataSettingsListCtrl.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

using Group = MetadataSettingsForm::Group;

CTimelineMetadataSettingsDlg::CTimelineMetadataSettingsDlg(QObject* viewer, MetadataConfigList entries, QWidget* parent)
    : QDialog(parent)
    , viewer_(viewer)
    , form_(std::move(entries))
{
    setWindowTitle(QStringLiteral("Metadata Display Settings Dialog"));
    chooseColour_ = [](QWidget* owner, const QColor& current) -> std::optional<QColor> {
        const QColor chosen = QColorDialog::getColor(current, owner);
        return chosen.isValid() ? std::optional<QColor>(chosen) : std::nullopt;
    };
    messageBox_ = [](QWidget* owner, const QString& text, const QString& caption, QMessageBox::Icon icon) {
        QMessageBox box(icon, caption, text, QMessageBox::Ok, owner);
        box.exec();
    };

    auto* grid = new QGridLayout;
    for (std::size_t g = 0; g < MetadataSettingsForm::kGroupCount; ++g) {
        const auto group = static_cast<Group>(g);
        auto* box = new QGroupBox(MetadataSettingsForm::GroupTitle(group), this);
        box->setObjectName(QString::number(MetadataSettingsForm::GroupBoxId(group)));
        auto* list = new CTimelineMetadataSettingsListCtrl(box);
        list->setObjectName(QString::number(MetadataSettingsForm::ListId(group)));
        // Two columns and the frame; rows scroll.
        list->setMinimumSize(160 + 60 + 2 * list->frameWidth() + 20, 5 * CTimelineMetadataSettingsListCtrl::kRowHeight);
        for (std::size_t entry : form_.Rows(group)) {
            const MetadataConfigEntry& e = form_.Entries()[entry];
            list->AddEntry(entry, e.name, form_.Checked(entry), e.colour);
        }
        list->DisableHeader();
        connect(list, &CTimelineMetadataSettingsListCtrl::CheckChanged, this,
                [this](std::size_t entry, bool checked) { form_.SetChecked(entry, checked); });
        connect(list, &CTimelineMetadataSettingsListCtrl::ColourRequested, this,
                [this, group](int row) { OnColourRequested(group, row); });
        auto* boxLayout = new QVBoxLayout(box);
        boxLayout->addWidget(list);
        grid->addWidget(box, static_cast<int>(g / 2), static_cast<int>(g % 2));
        lists_[g] = list;
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CTimelineMetadataSettingsDlg::OnOK);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);
}

CTimelineMetadataSettingsListCtrl* CTimelineMetadataSettingsDlg::List(Group group) const
{
    return lists_[static_cast<std::size_t>(group)];
}

void CTimelineMetadataSettingsDlg::OnColourRequested(Group group, int row)
{
    CTimelineMetadataSettingsListCtrl* list = List(group);
    const std::optional<QColor> chosen = chooseColour_(this, list->RowColour(row));
    if (!chosen) return;
    const std::size_t entry = list->EntryAt(row);
    form_.SetColour(entry, chosen->rgb());
    list->SetRowColour(row, form_.Entries()[entry].colour);
}

void CTimelineMetadataSettingsDlg::OnOK()
{
    const MetadataSettingsForm::Verdict verdict = form_.Validate();
    if (verdict != MetadataSettingsForm::Verdict::Accepted) {
        messageBox_(this, MetadataSettingsForm::Message(verdict), MetadataSettingsForm::MessageCaption(),
                    QMessageBox::Information);
        return;
    }
    MetadataConfigList edited = form_.Accepted();
    SendViewerMessage<ViewerMessages::MetadataSettingsChanged>(viewer_, static_cast<void*>(&edited));
    accept();
}
