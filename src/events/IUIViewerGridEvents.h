#pragma once

#include <QPoint>
#include <QString>

class Video;
struct NavigatorItem;
struct structTileInfo;

// Requests of the tile grid, including those its tiles send to it; each becomes one synchronous
// message to the viewer. A cell is the grid's record of one cell, null for none.
class IUIViewerGridEvents {
public:
    virtual ~IUIViewerGridEvents() = default;

    virtual void CloseVideoPlayer(Video* video) = 0;
    virtual void EnableCameraAudio(Video* video) = 0;
    virtual void DisableCameraAudio(Video* video) = 0;
    // screenPoint: the pointer in screen coordinates.
    virtual void HandleMouseMoveInFullScreenMode(const QPoint& screenPoint) = 0;
    virtual void RefreshVideoWindow() = 0;
    virtual void HandleSingleTileMaximized(structTileInfo* cell) = 0;
    virtual void SelectVideoPlayer(Video* video) = 0;
    virtual void PlaySelectedVideoFile(const QString& path) = 0;
    // request: the dragged camera (kind camera, file path, video); cell: where it was dropped.
    virtual void OpenVideoPlayer(NavigatorItem* request, structTileInfo* cell) = 0;
    virtual void OpenVideoFileAndPlaySingleCamera(Video* video, const QString& path) = 0;
    virtual void OpenDewarpView(Video* video, const QString& viewText) = 0;
    virtual void DewarpDragMove(Video* video) = 0;
    virtual void DewarpDragStart(Video* video) = 0;
    virtual void ShowWatermark(Video* video) = 0;
};
