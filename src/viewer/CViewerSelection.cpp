// Selecting a camera, maximising one tile or the whole viewer, the bars that show over the full
// screen viewer, shifting the tiles, the camera order and the display flags.
#include "viewer/CViewer.h"

#include "events/ViewerMessageDispatch.h"
#include "events/structTileInfo.h"
#include "evidence/Camera.h"
#include "logging/HandlerGuard.h"
#include "logging/Logger.h"
#include "navigator/CVideoFileSelector.h"
#include "viewer/CAdjustCameraOrderDlg.h"
#include "timeline/CTimeline.h"
#include "viewer/CVideoPlayer.h"
#include "viewer/CViewerCaption.h"
#include "viewer/CViewerGridLayout.h"
#include "viewer/FullScreenBars.h"
#include "viewer/IViewerHost.h"
#include "viewer/WatermarkReportSink.h"
#include "viewer/structPageInfo.h"

#include <QApplication>

// The strips, the control bar, the status pane and the watermark check follow the camera; a
// camera not yet played (or closed) is not selected.
void CViewer::OnSelectCamera(Video* video)
{
    if (video == nullptr || !IsPlaying(video)) {
        return;
    }
    CVideoPlayer* player = PlayerOf(video);
    if (player == nullptr || grid_->FindCell(player) == nullptr) {
        return;
    }
    MarkSelected(player);
    ShowCameraInControlBar(video, VideoList{video});
    if (host_) host_->SetStatusPane1(video->GetVideoFile()->path);
    if (syncAll_ == 0 && video->dewarpView == 0) {
        // The library reports on its own thread; the sink receives each report as a posted message.
        HandlerGuard::Run(HandlerGuard::ErrorIn("SelectVideoPlayer"), [&] {
            facade_.SetWatermark(video, watermarks_->Handler());
        });
    }
    if (host_ && host_->Navigator()) host_->Navigator()->SelectCameraOnTreeView(video);
}

// A click in a tile: the navigator follows, and the camera is selected here too, so that the
// control bar acts on the highlighted camera even when the navigator cannot find its item.
void CViewer::OnSelectVideoPlayer(Video* video)
{
    if (host_ && host_->Navigator()) {
        host_->Navigator()->SelectCameraOnTreeView(video);
        host_->Navigator()->Refresh();
    }
    OnSelectCamera(video);
}

// The tile's or the navigator's "Watermark": the window shows the selected camera's reports.
void CViewer::OnShowWatermark(Video*)
{
    watermarks_->ShowWindow();
}

// The grid's selection moves to the player, its strips green and all others' grey; with sync all
// every tile stays green, as the controls act on all of them.
void CViewer::MarkSelected(CVideoPlayer* player)
{
    // Every other tile recoloured: the grid forgets its selection when a layout change re-places
    // the tiles, so the previous one cannot be relied on to be known.
    const QColor& others =
        syncAll_ != 0 ? CViewerGridLayout::SelectedStripColour() : CViewerGridLayout::UnselectedStripColour();
    for (const auto& other : players_) {
        if (other.get() != player) {
            other->SetStripColour(others);
        }
    }
    player->SetStripColour(CViewerGridLayout::SelectedStripColour());
    grid_->SetSelectedPlayer(player);
}

void CViewer::RestoreSingleTile()
{
    caption_->setVisible(viewerMaximized_ == 0);
    singleTileMaximized_ = 0;
    grid_->SetSingleTileMaximized(false);
    PlaceChildren();
    grid_->Reposition();
    for (CVideoPlayer* p : grid_->PlayersInCells()) {
        p->show();
    }
}

void CViewer::OnHandleSingleTileMaximized(structTileInfo* cell)
{
    if (singleTileMaximized_ != 0) {
        RestoreSingleTile();
        SizingViewer();
        return;
    }
    if (cell == nullptr || cell->player == nullptr) {
        return;
    }
    for (CVideoPlayer* p : grid_->PlayersInCells()) {
        p->hide();
    }
    caption_->hide();
    singleTileMaximized_ = 1;
    grid_->SetSingleTileMaximized(true);
    PlaceChildren();
    cell->player->setGeometry(QRect(grid_->ClientOrigin(), grid_->ClientSize()));
    cell->player->show();
}

void CViewer::OnMaxRestoreViewer(bool maximise)
{
    Logger::GetInstance()->Info(QStringLiteral("Maximize / Restore Viewer requested"));
    viewerMaximized_ = maximise ? 1 : 0;
    if (host_) host_->SetFullScreenMode(maximise);
    caption_->setVisible(!maximise && singleTileMaximized_ == 0);
    timeline_->setVisible(!maximise);
    PlaceChildren();
    if (singleTileMaximized_ == 0) {
        grid_->Reposition();
    } else if (CVideoPlayer* shown = grid_->SelectedPlayer()) {
        shown->setGeometry(QRect(grid_->ClientOrigin(), grid_->ClientSize()));
    }
    if (maximise) {
        caption_->raise();
        timeline_->raise();
    }
    caption_->SetMaximised(maximise);
}

void CViewer::OnRestoreViewerWhenMaximized()
{
    Logger::GetInstance()->Info(QStringLiteral("Restore Viewer when Maximized requested"));
    if (viewerMaximized_ != 0) {
        OnMaxRestoreViewer(false);
    }
    if (singleTileMaximized_ != 0) {
        RestoreSingleTile();
        SizingViewer();
    }
}

void CViewer::OnHandleMouseMoveInFullScreenMode(const QPoint& screenPoint)
{
    if (viewerMaximized_ == 0) {
        return;
    }
    QWidget* navigator = host_ != nullptr ? host_->NavigatorPane() : nullptr;
    const QRect viewer(mapToGlobal(QPoint(0, 0)), size());
    const FullScreenBars::Placement p =
        FullScreenBars::For(viewer, timeline_->sizeHint().height(), CViewerCaption::kHeight,
                            navigator != nullptr ? navigator->width() : 0, screenPoint, popupOpen_);
    timeline_->setGeometry(QRect(mapFromGlobal(p.bar.topLeft()), p.bar.size()));
    timeline_->setVisible(p.showBar);
    if (p.showBar) timeline_->raise();
    if (!popupOpen_) {
        caption_->setGeometry(QRect(mapFromGlobal(p.caption.topLeft()), p.caption.size()));
        caption_->setVisible(p.showCaption);
        if (p.showCaption) caption_->raise();
        if (navigator != nullptr) {
            if (navigator->isWindow()) {
                navigator->setGeometry(p.navigator);
            }
            navigator->setVisible(p.showNavigator);
        }
    }
}

void CViewer::OnShiftCamerasBackward()
{
    grid_->ShiftCameras(true);
    Logger::GetInstance()->Info(QStringLiteral("Shift Cameras Backward Successful"));
}

void CViewer::OnShiftCamerasForward()
{
    grid_->ShiftCameras(false);
    Logger::GetInstance()->Info(QStringLiteral("Shift Cameras Forward Successful"));
}

void CViewer::OnAdjustCameraOrder()
{
    Logger::GetInstance()->Info(QStringLiteral("Adjust Camera Order requested"));
    const std::vector<CVideoPlayer*> players = cellOrder_ != 0 ? grid_->PlayersInCells() : GetAllVideoPlayersFromVideoPages();
    if (players.empty()) {
        return;
    }
    const auto ordered = cameraOrder_ ? cameraOrder_(players) : CAdjustCameraOrderDlg::Run(players, this);
    if (ordered) {
        grid_->ReorderVideoPlayers(*ordered);
    }
}

void CViewer::OnShowOverLayText(bool on)
{
    for (CVideoPlayer* p : Players()) {
        p->ShowStrips(!on);
    }
}

void CViewer::OnShowVideoTime(bool on)
{
    HandlerGuard::Run(HandlerGuard::Text("Error in ShowVideoTime : %s"), [&] {
        showVideoTime_ = on;
        for (CVideoPlayer* p : cellOrder_ != 0 ? grid_->PlayersInCells() : GetAllVideoPlayersFromVideoPages()) {
            p->SetShowTime(on);
        }
    });
}

void CViewer::OnShowMilliSeconds(bool on)
{
    HandlerGuard::Run(HandlerGuard::Text("Error in ShowMilliSeconds : %s"), [&] {
        showMilliseconds_ = on;
        for (CVideoPlayer* p : cellOrder_ != 0 ? grid_->PlayersInCells() : GetAllVideoPlayersFromVideoPages()) {
            p->SetShowMilliseconds(on);
        }
    });
}

void CViewer::OnSetPreserveAspectRatio(bool on)
{
    preserveAspectRatio_ = on;
    grid_->SetPreserveAspectRatio(on);
}

void CViewer::OnFramePlacementChanged(int showCommand)
{
    if (viewerMaximized_ != 0 && host_ != nullptr) {
        host_->SetFullScreenMode(true);
    }
    const Video* selected = SelectedCamera();
    if (showCommand == 3 && selected != nullptr && selected->GetCamera()->GetDevice()->GetCapability(11) != 0) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        SizingViewer();
        QApplication::restoreOverrideCursor();
    }
}

// Only devices with capability byte 11 redraw after a size change (the devices of local files
// leave it 0); the surfaces of local files redraw themselves at their new size.
void CViewer::SizingViewer()
{
    Video* selected = SelectedCamera();
    if (selected == nullptr || selected->GetCamera()->GetDevice()->GetCapability(11) == 0) {
        return;
    }
    CVideoPlayer* player = PlayerOf(selected);
    if (player == nullptr) {
        return;
    }
    player->update();
    facade_.RefreshVideoWindow(selected);
}
