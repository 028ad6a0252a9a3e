#pragma once

#include "events/IUIViewerGridEvents.h"

#include <QPointer>
#include <QtGlobal>

class QObject;

// Turns the grid's and its tiles' requests into messages to the viewer. Owns nothing.
class CCoordinatorViewerGrid : public IUIViewerGridEvents {
public:
    explicit CCoordinatorViewerGrid(QObject* targetWindow = nullptr);

    void SetTargetWindow(QObject* targetWindow) { target_ = targetWindow; }
    QObject* TargetWindow() const { return target_; }

    void CloseVideoPlayer(Video* video) override;
    void EnableCameraAudio(Video* video) override;
    void DisableCameraAudio(Video* video) override;
    void HandleMouseMoveInFullScreenMode(const QPoint& screenPoint) override;
    void RefreshVideoWindow() override;
    void HandleSingleTileMaximized(structTileInfo* cell) override;
    void SelectVideoPlayer(Video* video) override;
    void PlaySelectedVideoFile(const QString& path) override;
    void OpenVideoPlayer(NavigatorItem* request, structTileInfo* cell) override;
    void OpenVideoFileAndPlaySingleCamera(Video* video, const QString& path) override;
    void OpenDewarpView(Video* video, const QString& viewText) override;
    void DewarpDragMove(Video* video) override;
    void DewarpDragStart(Video* video) override;
    void ShowWatermark(Video* video) override;

private:
    QPointer<QObject> target_;
};
