#pragma once

#include "events/IUIViewerCaptionEvents.h"

#include <QPointer>

class QObject;

// Turns the caption bar's requests into messages to the viewer, and owns the caption window.
class CCoordinatorViewerCaption : public IUIViewerCaptionEvents {
public:
    explicit CCoordinatorViewerCaption(QObject* targetWindow = nullptr);
    // Destroys the caption window unless its parent already has.
    ~CCoordinatorViewerCaption() override;

    CCoordinatorViewerCaption(const CCoordinatorViewerCaption&) = delete;
    CCoordinatorViewerCaption& operator=(const CCoordinatorViewerCaption&) = delete;

    void SetTargetWindow(QObject* targetWindow) { target_ = targetWindow; }
    QObject* TargetWindow() const { return target_; }
    // Takes ownership of the caption window; a window given before is destroyed.
    void SetCaptionWindow(QObject* window);
    QObject* CaptionWindow() const { return captionWindow_; }

    void CloseAllVideoPlayers() override;
    void ShowOverLayText(bool flag) override;
    void SetLayout(int mode) override;
    void AdjustCameraOrder() override;
    void MaxRestoreViewer(bool maximise) override;
    void ShowNextVideoPage() override;
    void ShowPreviousVideoPage() override;
    void ShiftCamerasBackward() override;
    void ShiftCamerasForward() override;
    void ShowVideoPlayerVolumeBars(const QRect& anchor) override;
    void EnableAllCamerasAudio(bool flag) override;

private:
    QPointer<QObject> target_;
    QPointer<QObject> captionWindow_;
};
