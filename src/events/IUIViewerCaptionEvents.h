#pragma once

#include <QRect>

// Requests of the viewer's caption bar; each becomes one synchronous message to the viewer.
class IUIViewerCaptionEvents {
public:
    virtual ~IUIViewerCaptionEvents() = default;

    virtual void CloseAllVideoPlayers() = 0;
    virtual void ShowOverLayText(bool flag) = 0;
    // mode: a layout mode 0 ... 11.
    virtual void SetLayout(int mode) = 0;
    virtual void AdjustCameraOrder() = 0;
    // true maximises the viewer, false restores it.
    virtual void MaxRestoreViewer(bool maximise) = 0;
    virtual void ShowNextVideoPage() = 0;
    virtual void ShowPreviousVideoPage() = 0;
    virtual void ShiftCamerasBackward() = 0;
    virtual void ShiftCamerasForward() = 0;
    // anchor: the rectangle the volume pop-up is placed against.
    virtual void ShowVideoPlayerVolumeBars(const QRect& anchor) = 0;
    virtual void EnableAllCamerasAudio(bool flag) = 0;
};
