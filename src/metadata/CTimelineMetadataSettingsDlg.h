#pragma once

#include "metadata/MetadataSettingsForm.h"

#include <QColor>
#include <QDialog>
#include <QMessageBox>
#include <array>
#include <functional>
#include <optional>

class CTimelineMetadataSettingsListCtrl;

// Dialog 111: which inputs the metadata strip draws and in what colour, in four lists by kind
// of input. OK checks the choice (at least one input, at most four non-digital ones), sends the
// edited list to the viewer (request 1188) and closes; Cancel drops every change, colours too.
// The viewer opens it modal and keeps it open at most once.
class CTimelineMetadataSettingsDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kDialogId = 111;

    // viewer: the window that receives request 1188; entries: the settings of the first open
    // video, copied.
    CTimelineMetadataSettingsDlg(QObject* viewer, MetadataConfigList entries, QWidget* parent = nullptr);

    // The colour chooser: the current colour in, the confirmed one out (nothing when cancelled).
    using ColourChooser = std::function<std::optional<QColor>(QWidget* parent, const QColor& current)>;
    void SetColourChooser(ColourChooser chooser) { chooseColour_ = std::move(chooser); }
    using MessageBoxFunction = std::function<void(QWidget* parent, const QString& text, const QString& caption,
                                                  QMessageBox::Icon icon)>;
    void SetMessageBox(MessageBoxFunction box) { messageBox_ = std::move(box); }

    CTimelineMetadataSettingsListCtrl* List(MetadataSettingsForm::Group group) const;
    const MetadataSettingsForm& Form() const { return form_; }

    void OnOK();
    void OnColourRequested(MetadataSettingsForm::Group group, int row);

private:
    QObject* viewer_;
    MetadataSettingsForm form_;
    std::array<CTimelineMetadataSettingsListCtrl*, MetadataSettingsForm::kGroupCount> lists_{};
    ColourChooser chooseColour_;
    MessageBoxFunction messageBox_;
};
