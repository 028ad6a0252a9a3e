#include "metadata/CTimelineMetadataSettingsDlg.h"

#include "events/ViewerMessageEvent.h"
#include "events/ViewerMessages.h"
#include "metadata/CTimelineMetadataSettingsListCtrl.h"

#include <QHeaderView>
#include <gtest/gtest.h>

namespace {

using Group = MetadataSettingsForm::Group;
using Verdict = MetadataSettingsForm::Verdict;

// The viewer's side of request 1188: a copy of the list it was sent.
class SettingsReceiver : public QObject {
public:
    bool event(QEvent* e) override
    {
        ViewerMessageEvent* m = ViewerMessageEvent::From(e);
        if (m == nullptr || m->Message() != ViewerMessages::MetadataSettingsChanged) return QObject::event(e);
        received.push_back(*m->WPointer<MetadataConfigList>());
        return true;
    }
    std::vector<MetadataConfigList> received;
};

MetadataConfigEntry Entry(int32_t id, const char* name, bool display, uint32_t colour = 0xFF112233)
{
    return MetadataConfigEntry{id, QString::fromUtf8(name), display, colour};
}

// Digital 501-503, five analog inputs, J1939 8, accelerometer 513, and a type no list shows.
MetadataConfigList Sample()
{
    return {Entry(501, "Door", false),  Entry(2, "Speed", true),    Entry(3, "Rpm", false),
            Entry(502, "Brake", true),  Entry(4, "Fuel", false),    Entry(8, "J1939 Speed", false),
            Entry(513, "Accel X", false), Entry(10, "Temp", false), Entry(11, "Oil", false),
            Entry(503, "Horn", false),  Entry(700, "Other", true)};
}

struct Dialog {
    explicit Dialog(MetadataConfigList list)
        : dlg(&viewer, std::move(list))
    {
        dlg.SetMessageBox([this](QWidget*, const QString& text, const QString& caption, QMessageBox::Icon icon) {
            messages.push_back(text);
            EXPECT_EQ(caption, QStringLiteral("Metadata Settings"));
            EXPECT_EQ(icon, QMessageBox::Information);
        });
    }
    // Ticks or clears the row of the entry named name in its list, as a click on its box does.
    void Tick(const char* name, bool checked)
    {
        for (std::size_t g = 0; g < MetadataSettingsForm::kGroupCount; ++g) {
            CTimelineMetadataSettingsListCtrl* list = dlg.List(static_cast<Group>(g));
            for (int row = 0; row < list->rowCount(); ++row) {
                if (list->item(row, 0)->text() == QString::fromUtf8(name)) {
                    list->SetChecked(row, checked);
                    return;
                }
            }
        }
        ADD_FAILURE() << "no row " << name;
    }
    SettingsReceiver viewer;
    CTimelineMetadataSettingsDlg dlg;
    std::vector<QString> messages;
};

} // namespace

TEST(MetadataSettingsDlg, ListsFollowTheInputTypes)
{
    Dialog d(Sample());
    CTimelineMetadataSettingsListCtrl* digital = d.dlg.List(Group::Digital);
    ASSERT_EQ(digital->rowCount(), 3);
    EXPECT_EQ(digital->item(1, 0)->text(), QStringLiteral("Brake"));
    EXPECT_TRUE(digital->IsChecked(1));
    EXPECT_EQ(digital->objectName(), QStringLiteral("4000"));
    EXPECT_EQ(d.dlg.List(Group::Analog)->rowCount(), 5);
    EXPECT_EQ(d.dlg.List(Group::J1939)->rowCount(), 1);
    EXPECT_EQ(d.dlg.List(Group::Accelerometer)->rowCount(), 1);
    EXPECT_EQ(digital->horizontalHeaderItem(0)->text(), QStringLiteral("State InputName"));
    EXPECT_EQ(digital->horizontalHeaderItem(1)->text(), QStringLiteral("Color"));
    EXPECT_EQ(digital->columnWidth(0), 160);
    EXPECT_EQ(digital->columnWidth(1), 60);
    EXPECT_EQ(digital->rowHeight(0), 25);
    EXPECT_FALSE(digital->horizontalHeader()->sectionsClickable());
    EXPECT_EQ(digital->horizontalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
    EXPECT_EQ(digital->RowColour(0), QColor(0x11, 0x22, 0x33));
}

TEST(MetadataSettingsDlg, OkCountsNonDigitalInputsOnly)
{
    Dialog d(Sample());
    // Four analog-like inputs and all three digital ones pass.
    d.Tick("Rpm", true);
    d.Tick("Fuel", true);
    d.Tick("J1939 Speed", true);
    d.Tick("Door", true);
    d.Tick("Horn", true);
    EXPECT_EQ(d.dlg.Form().Validate(), Verdict::Accepted);

    // A fifth non-digital input is refused and nothing reaches the viewer.
    d.Tick("Accel X", true);
    d.dlg.OnOK();
    ASSERT_EQ(d.messages.size(), 1u);
    EXPECT_EQ(d.messages[0], QStringLiteral("Maximum of 4 Inputs can be selected in Analog/J1939/Accelerometer"));
    EXPECT_TRUE(d.viewer.received.empty());
    EXPECT_EQ(d.dlg.result(), QDialog::Rejected);

    d.Tick("Accel X", false);
    d.dlg.OnOK();
    EXPECT_EQ(d.messages.size(), 1u);
    ASSERT_EQ(d.viewer.received.size(), 1u);
    EXPECT_EQ(d.dlg.result(), QDialog::Accepted);
    const MetadataConfigList& sent = d.viewer.received[0];
    ASSERT_EQ(sent.size(), 11u);
    EXPECT_TRUE(sent[0].display);   // Door
    EXPECT_TRUE(sent[2].display);   // Rpm
    EXPECT_FALSE(sent[6].display);  // Accel X
    EXPECT_TRUE(sent[10].display);  // a type no list shows keeps its flag
}

TEST(MetadataSettingsDlg, NothingTickedIsRefused)
{
    Dialog d(Sample());
    d.Tick("Speed", false);
    d.Tick("Brake", false);
    d.dlg.OnOK();
    ASSERT_EQ(d.messages.size(), 1u);
    EXPECT_EQ(d.messages[0], QStringLiteral("Select at least one Setting."));
    EXPECT_TRUE(d.viewer.received.empty());

    // An empty list gives four empty lists, and OK can never pass.
    Dialog empty({});
    for (std::size_t g = 0; g < MetadataSettingsForm::kGroupCount; ++g) {
        EXPECT_EQ(empty.dlg.List(static_cast<Group>(g))->rowCount(), 0);
    }
    empty.dlg.OnOK();
    ASSERT_EQ(empty.messages.size(), 1u);
    EXPECT_EQ(empty.messages[0], QStringLiteral("Select at least one Setting."));
}

TEST(MetadataSettingsDlg, ChosenColourIsOpaqueAndCancelDropsIt)
{
    const MetadataConfigList original = Sample();
    {
        Dialog d(original);
        QColor offered;
        d.dlg.SetColourChooser([&](QWidget*, const QColor& current) -> std::optional<QColor> {
            offered = current;
            return QColor(Qt::blue);
        });
        CTimelineMetadataSettingsListCtrl* analog = d.dlg.List(Group::Analog);
        d.dlg.OnColourRequested(Group::Analog, 0);
        EXPECT_EQ(offered, QColor(0x11, 0x22, 0x33));
        EXPECT_EQ(analog->RowColour(0), QColor(Qt::blue));
        EXPECT_EQ(d.dlg.Form().Entries()[1].colour, 0xFF0000FFu);
        d.dlg.OnOK();
        ASSERT_EQ(d.viewer.received.size(), 1u);
        EXPECT_EQ(d.viewer.received[0][1].colour, 0xFF0000FFu);
    }
    {
        // A cancelled chooser changes nothing; Cancel sends nothing, so the viewer's list keeps
        // its colours and flags.
        Dialog d(original);
        d.dlg.SetColourChooser([](QWidget*, const QColor&) -> std::optional<QColor> { return std::nullopt; });
        d.dlg.OnColourRequested(Group::Digital, 0);
        EXPECT_EQ(d.dlg.Form().Entries()[0].colour, 0xFF112233u);
        d.dlg.SetColourChooser([](QWidget*, const QColor&) -> std::optional<QColor> { return QColor(Qt::red); });
        d.dlg.OnColourRequested(Group::Digital, 0);
        d.Tick("Door", true);
        d.dlg.reject();
        EXPECT_TRUE(d.viewer.received.empty());
        EXPECT_EQ(original[0].colour, 0xFF112233u);
        EXPECT_FALSE(original[0].display);
    }
}
