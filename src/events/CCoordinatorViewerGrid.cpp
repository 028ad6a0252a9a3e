#include "events/CCoordinatorViewerGrid.h"

#include "events/ViewerMessageDispatch.h"

#include <QObject>

CCoordinatorViewerGrid::CCoordinatorViewerGrid(QObject* targetWindow) : target_(targetWindow) {}

void CCoordinatorViewerGrid::CloseVideoPlayer(Video* video)
{
    SendViewerMessage<ViewerMessages::CloseVideoPlayer>(target_, video);
}

void CCoordinatorViewerGrid::EnableCameraAudio(Video* video)
{
    SendViewerMessage<ViewerMessages::EnableCameraAudio>(target_, video);
}

void CCoordinatorViewerGrid::DisableCameraAudio(Video* video)
{
    SendViewerMessage<ViewerMessages::DisableCameraAudio>(target_, video);
}

void CCoordinatorViewerGrid::HandleMouseMoveInFullScreenMode(const QPoint& screenPoint)
{
    SendViewerMessage<ViewerMessages::HandleMouseMoveInFullScreenMode>(target_, screenPoint);
}

void CCoordinatorViewerGrid::RefreshVideoWindow()
{
    SendViewerMessage<ViewerMessages::RefreshVideoWindow>(target_);
}

void CCoordinatorViewerGrid::HandleSingleTileMaximized(structTileInfo* cell)
{
    SendViewerMessage<ViewerMessages::HandleSingleTileMaximized>(target_, cell);
}

void CCoordinatorViewerGrid::SelectVideoPlayer(Video* video)
{
    SendViewerMessage<ViewerMessages::SelectVideoPlayer>(target_, video);
}

void CCoordinatorViewerGrid::PlaySelectedVideoFile(const QString& path)
{
    SendViewerMessage<ViewerMessages::PlaySelectedVideoFile>(target_, path);
}

void CCoordinatorViewerGrid::OpenVideoPlayer(NavigatorItem* request, structTileInfo* cell)
{
    SendViewerMessage<ViewerMessages::OpenVideoPlayer>(target_, request, cell);
}

void CCoordinatorViewerGrid::OpenVideoFileAndPlaySingleCamera(Video* video, const QString& path)
{
    SendViewerMessage<ViewerMessages::OpenVideoFileAndPlaySingleCamera>(target_, video, path);
}

void CCoordinatorViewerGrid::OpenDewarpView(Video* video, const QString& viewText)
{
    SendViewerMessage<ViewerMessages::OpenDewarpView>(target_, video, viewText);
}

void CCoordinatorViewerGrid::DewarpDragMove(Video* video)
{
    SendViewerMessage<ViewerMessages::DewarpDragMove>(target_, video);
}

void CCoordinatorViewerGrid::DewarpDragStart(Video* video)
{
    SendViewerMessage<ViewerMessages::DewarpDragStart>(target_, video);
}

void CCoordinatorViewerGrid::ShowWatermark(Video* video)
{
    SendViewerMessage<ViewerMessages::ShowWatermark>(target_, video);
}
