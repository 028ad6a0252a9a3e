#pragma once

#include "events/IUITimelineEvents.h"

#include <QPointer>
#include <QtGlobal>

class QObject;

// Turns the control bar's button requests into messages to the viewer, and owns the control bar
// window.
class CCoordinatorViewerTimeline : public IUITimelineEvents {
public:
    explicit CCoordinatorViewerTimeline(QObject* targetWindow = nullptr);
    // Destroys the control bar window unless its parent already has.
    ~CCoordinatorViewerTimeline() override;

    CCoordinatorViewerTimeline(const CCoordinatorViewerTimeline&) = delete;
    CCoordinatorViewerTimeline& operator=(const CCoordinatorViewerTimeline&) = delete;

    void SetTargetWindow(QObject* targetWindow) { target_ = targetWindow; }
    QObject* TargetWindow() const { return target_; }
    // Takes ownership of the control bar window; a window given before is destroyed.
    void SetControlBarWindow(QObject* window);
    QObject* ControlBarWindow() const { return controlBarWindow_; }

    void OnPlay() override;
    void OnPause() override;
    void OnPreviousFrame() override;
    void OnNextFrame() override;
    void OnFastForward() override;
    void OnFastRewind() override;
    void OnLoop(bool flag) override;
    void OnShowFileInfo() override;
    void OnExportSnapshot() override;
    void OnAddBookmark() override;
    void OnSyncAll() override;
    void OnGoToTime() override;
    void OnShowMap() override;

private:
    QPointer<QObject> target_;
    QPointer<QObject> controlBarWindow_;
};
