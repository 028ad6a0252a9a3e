#include "events/CCoordinatorViewerGrid.h"

#include "events/ViewerMessageEvent.h"
#include "events/ViewerMessages.h"

#include <QObject>

namespace {
quintptr Address(const void* address)
{
    return ViewerMessageEvent::AddressParam(address);
}
}  // namespace

CCoordinatorViewerGrid::CCoordinatorViewerGrid(QObject* targetWindow) : target_(targetWindow) {}

void CCoordinatorViewerGrid::Send(int message, quintptr wParam, quintptr lParam)
{
    ViewerMessageEvent::Send(target_, message, wParam, lParam);
}

void CCoordinatorViewerGrid::CloseVideoPlayer(Video* video)
{
    Send(ViewerMessages::CloseVideoPlayer, Address(video));
}

void CCoordinatorViewerGrid::EnableCameraAudio(Video* video)
{
    Send(ViewerMessages::EnableCameraAudio, Address(video));
}

void CCoordinatorViewerGrid::DisableCameraAudio(Video* video)
{
    Send(ViewerMessages::DisableCameraAudio, Address(video));
}

void CCoordinatorViewerGrid::HandleMouseMoveInFullScreenMode(const QPoint& screenPoint)
{
    const QPoint copy = screenPoint;
    Send(ViewerMessages::HandleMouseMoveInFullScreenMode, Address(&copy));
}

void CCoordinatorViewerGrid::RefreshVideoWindow()
{
    Send(ViewerMessages::RefreshVideoWindow);
}

void CCoordinatorViewerGrid::HandleSingleTileMaximized(structTileInfo* cell)
{
    Send(ViewerMessages::HandleSingleTileMaximized, Address(cell));
}

void CCoordinatorViewerGrid::SelectVideoPlayer(Video* video)
{
    Send(ViewerMessages::SelectVideoPlayer, Address(video));
}

void CCoordinatorViewerGrid::PlaySelectedVideoFile(const QString& path)
{
    const QString copy = path;
    Send(ViewerMessages::PlaySelectedVideoFile, Address(&copy));
}

void CCoordinatorViewerGrid::OpenVideoPlayer(NavigatorItem* request, structTileInfo* cell)
{
    Send(ViewerMessages::OpenVideoPlayer, Address(request), Address(cell));
}

void CCoordinatorViewerGrid::OpenVideoFileAndPlaySingleCamera(Video* video, const QString& path)
{
    const QString copy = path;
    Send(ViewerMessages::OpenVideoFileAndPlaySingleCamera, Address(video), Address(&copy));
}

void CCoordinatorViewerGrid::OpenDewarpView(Video* video, const QString& viewText)
{
    const QString copy = viewText;
    Send(ViewerMessages::OpenDewarpView, Address(video), Address(&copy));
}

void CCoordinatorViewerGrid::DewarpDragMove(Video* video)
{
    Send(ViewerMessages::DewarpDragMove, Address(video));
}

void CCoordinatorViewerGrid::DewarpDragStart(Video* video)
{
    Send(ViewerMessages::DewarpDragStart, Address(video));
}

void CCoordinatorViewerGrid::ShowWatermark(Video* video)
{
    Send(ViewerMessages::ShowWatermark, Address(video));
}
