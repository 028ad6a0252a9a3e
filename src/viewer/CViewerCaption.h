#pragma once

#include "viewer/ViewerCaptionState.h"

#include <QWidget>

#include <utility>
#include <vector>

class CLayoutSelectionDlg;
class CPlomeraBtnCtrl;
class CPlomeraTextBtnCtrl;
class IUIViewerCaptionEvents;
class QCheckBox;
class QLabel;

// The bar above the grid: the device title, the page text, and the buttons whose requests go to
// the viewer through the caption's coordinator (overlay, audio, camera order, shifts, volume,
// pages, layout, maximise, close all). It paints and forwards; what it shows is
// ViewerCaptionState. The layout pop-up it owns sends its choice back here (LayoutModeSelected).
class CViewerCaption : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHeight = 24;
    // Control ids of the caption's template.
    enum ControlId {
        kTitleId = 1113, kOverlayId = 1036, kAudioId = 1032, kOrderId = 1033, kShiftBackId = 1030,
        kShiftForwardId = 1037, kVolumeId = 1117, kPageId = 1114, kPreviousId = 1115, kNextId = 1116,
        kLayoutId = 1031, kMaximiseId = 1034, kCloseAllId = 1035,
    };

    explicit CViewerCaption(QWidget* parent = nullptr);

    // Events go out only while a coordinator is set.
    void SetCoordinator(IUIViewerCaptionEvents* coordinator) { coordinator_ = coordinator; }

    // The viewer's six operations, and the audio and page buttons it enables one by one.
    void SetPageText(int index, int count);
    void ResetPageText();
    void EnableFileControls(bool on);
    void SetDeviceTitle(const QString& title);
    void SetLayoutPicture(int picture);
    void SetMaximised(bool on);
    void EnableAudioButton(bool on, int picture);
    void EnablePageButtons(bool on);
    void EnableVolumeButton(bool on);

    const ViewerCaptionState& State() const { return state_; }
    int CurrentMode() const { return currentMode_; }
    int PreviousMode() const { return previousMode_; }
    // Opens the layout pop-up, or hides it when it is showing (the layout button's click).
    void ToggleLayoutPopup();
    // Null until the layout button was first used.
    CLayoutSelectionDlg* LayoutPopup() const { return layoutPopup_; }
    QWidget* Control(ControlId id) const;
    QSize sizeHint() const override { return QSize(684, kHeight); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool event(QEvent* e) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    CPlomeraBtnCtrl* AddPictureButton(ControlId id, int x, int picture, const QString& tooltip);
    CPlomeraTextBtnCtrl* AddSymbolButton(ControlId id, int x, const char* letter);
    void Mirror();
    void PlaceControls();
    void LayoutSelected(int mode);

    IUIViewerCaptionEvents* coordinator_ = nullptr;
    ViewerCaptionState state_;
    CLayoutSelectionDlg* layoutPopup_ = nullptr;
    int currentMode_ = 9;
    int previousMode_ = 9;
    QLabel* title_ = nullptr;
    QLabel* page_ = nullptr;
    QCheckBox* overlay_ = nullptr;
    CPlomeraBtnCtrl* audio_ = nullptr;
    CPlomeraTextBtnCtrl* order_ = nullptr;
    CPlomeraBtnCtrl* shiftBack_ = nullptr;
    CPlomeraBtnCtrl* shiftForward_ = nullptr;
    CPlomeraTextBtnCtrl* volume_ = nullptr;
    CPlomeraTextBtnCtrl* previous_ = nullptr;
    CPlomeraTextBtnCtrl* next_ = nullptr;
    CPlomeraBtnCtrl* layout_ = nullptr;
    CPlomeraBtnCtrl* maximise_ = nullptr;
    CPlomeraBtnCtrl* closeAll_ = nullptr;
    // The buttons with their template x, placed again on every resize.
    std::vector<std::pair<QWidget*, int>> placed_;
    bool allAudio_ = false;
    int shownAudioPicture_ = ViewerCaptionState::kAudioOffPicture;
    int shownLayoutPicture_ = 354;
};
