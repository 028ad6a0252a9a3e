// The viewer's dewarp view tiles: a fisheye tile's view requests (1209) open one view or a
// combined layout of views, each a tile of its own over the fisheye camera's port; the pointer in
// a view tile steers it (1210, 1211).
#include "viewer/CViewer.h"

#include "events/structTileInfo.h"
#include "evidence/Camera.h"
#include "evidence/WideText.h"
#include "logging/HandlerGuard.h"
#include "logging/Logger.h"
#include "navigator/CVideoFileSelector.h"
#include "viewer/CVideoPlayer.h"
#include "viewer/CViewerCapabilities.h"
#include "viewer/CViewerCaption.h"
#include "viewer/CViewerGridLayout.h"
#include "viewer/DewarpViewKeys.h"
#include "viewer/IViewerHost.h"
#include "viewer/ViewerPlaybackRules.h"
#include "viewer/ViewerCaptionState.h"
#include "viewer/structPageInfo.h"

namespace {

const QString kTileCountReached = QStringLiteral("Maximum tile count reached");

} // namespace

void CViewer::OnOpenDewarpViewRequest(Video* camera, const QString& request)
{
    if (camera == nullptr) {
        return;
    }
    // A view tile's menu asks for views of its fisheye camera. The file's own view name comes
    // padded from the tag.
    const QString key = WideText::UpToNul(request);
    Video* fisheye = ViewerPlaybackRules::RootOf(camera);
    if (const DewarpViewKeys::Combined* combined = DewarpViewKeys::Find(key)) {
        fisheye->dewarpLayoutMode = combined->displayType;
        OpenCombinedDewarpViews(fisheye, key, combined->views, QString::fromLatin1(combined->name));
    } else {
        OpenDewarpView(fisheye, key);
    }
}

// A view is a Video of its own over the fisheye camera's file and port; the viewer keeps it until
// the file is released, like every Video it hands out.
Video* CViewer::MakeDewarpView(Video* fisheye, const QString& viewName)
{
    const Camera* source = fisheye->GetCamera();
    auto camera = std::make_unique<Camera>(source->GetDevice(), source->GetChannel());
    camera->Capabilities() = source->Capabilities();
    auto view = std::make_unique<Video>(std::move(camera));
    view->SetVideoFile(std::make_unique<VideoFile>(*fisheye->GetVideoFile()));
    view->bookmarkCapable = 1;
    view->playbackState = PlaybackState::Playing;
    view->cellOrder = 1;
    view->rootCamera = fisheye->rootCamera != nullptr ? fisheye->rootCamera : fisheye;
    view->dewarpView = 1;
    view->dewarpLayoutMode = fisheye->dewarpLayoutMode;
    view->deviceAudioByte = fisheye->deviceAudioByte;
    const QString fisheyeTitle = fisheye->title.isEmpty() ? source->GetName() : fisheye->title;
    view->title = DewarpViewKeys::ViewTitle(fisheyeTitle, viewName);
    view->GetCamera()->SetName(view->title);
    views_.push_back(std::move(view));
    return views_.back().get();
}

// The view's tile, in the first empty cell, rendering into its own surface.
CVideoPlayer* CViewer::PlaceDewarpView(Video* view, const QString& viewName)
{
    CVideoPlayer* player = CreatePlayer(view);
    player->SetDewarpViewName(viewName);
    if (const int cell = FirstEmptyCell(); cell >= 0) {
        grid_->Tileset(cell, player);
        view->GetCamera()->SetShownInTile(true);
    }
    view->renderWindow = player->Surface();
    if (host_ && host_->Navigator()) {
        host_->Navigator()->UpdateCameraOnOffStatus(view->rootCamera, true);
    }
    return player;
}

// The tile's texts, the control bar and the selection follow the new view.
void CViewer::ShowDewarpView(Video* view, CVideoPlayer* player)
{
    player->UpdateStatus();
    player->UpdateTitle();
    ShowCameraInControlBar(view, openFileCameras_.empty() ? VideoList{view} : openFileCameras_);
    ApplyDisplayFlags(player);
    tileTimer_.stop();
    OnSelectCamera(view);
    tileTimer_.start();
    if (view->deviceAudioByte != 0) {
        caption_->EnableAudioButton(true, ViewerCaptionState::kAudioOnPicture);
    }
}

void CViewer::OpenDewarpView(Video* fisheye, const QString& viewName)
{
    HandlerGuard::Run(HandlerGuard::ErrorIn("OpenDewarpView"), [&] {
        if (static_cast<int>(players_.size()) >= CViewerCapabilities::TileCount(layoutMode_)) {
            ShowMessage(kTileCountReached, QString(), QMessageBox::Ok, QMessageBox::NoIcon);
            return;
        }
        RebuildPagesForOneMore();
        Video* view = MakeDewarpView(fisheye, viewName);
        CVideoPlayer* player = PlaceDewarpView(view, viewName);
        facade_.DewarpPlay(view, viewName);
        ShowDewarpView(view, player);
        if (singleTileMaximized_ != 0) {
            RestoreSingleTile();
        }
        SizingViewer();
    });
}

void CViewer::OpenCombinedDewarpViews(Video* fisheye, const QString& key, int count, const QString& combinedName)
{
    HandlerGuard::Run(HandlerGuard::ErrorIn("OpenCombinedDewarpViews"), [&] {
        const std::vector<CVideoPlayer*> checked = cellOrder_ != 0 ? grid_->PlayersInCells() : GetAllVideoPlayersFromVideoPages();
        if (checked.size() > 1) {
            const auto answer = ShowMessage(QStringLiteral("Existing all dewarp views will be closed except main view"),
                                            QString(), QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Warning);
            if (answer != QMessageBox::Ok) {
                return;
            }
        }
        for (CVideoPlayer* player : Players()) {
            if (player->GetVideo()->dewarpView != 0 && player->GetVideo() != fisheye) {
                CloseDewarpViewPlayer(player);
            }
        }
        if (singleTileMaximized_ != 0) {
            RestoreSingleTile();
        }
        const int tiles = CViewerCapabilities::TileCount(layoutMode_);
        const int open = static_cast<int>(players_.size());
        if (open >= tiles || tiles < open + count) {
            ShowMessage(kTileCountReached, QString(), QMessageBox::Ok, QMessageBox::NoIcon);
            return;
        }
        RebuildPagesForOneMore();
        const QStringList names = combinedName.split(QLatin1Char('+'));
        VideoList views;
        for (int i = 0; i < count; ++i) {
            Video* view = MakeDewarpView(fisheye, names.value(i));
            CVideoPlayer* player = PlaceDewarpView(view, key);
            views.push_back(view);
            ShowDewarpView(view, player);
        }
        facade_.DewarpLayoutPlay(&views);
        caption_->setVisible(viewerMaximized_ == 0);
        PlaceChildren();
        grid_->Reposition();
        for (CVideoPlayer* p : grid_->PlayersInCells()) {
            p->show();
        }
        SizingViewer();
        grid_->SetSingleTileMaximized(singleTileMaximized_ != 0);
    });
}

// The pointer in a view tile: the press picks the view or PTZ outline under it, each move drags
// it. A closed view has nothing to steer.
void CViewer::OnDewarpDragStart(Video* view)
{
    if (view != nullptr && view->playbackState != PlaybackState::Closed) {
        facade_.DewarpPositionStart(view);
    }
}

void CViewer::OnDewarpDragMove(Video* view)
{
    if (view != nullptr && view->playbackState != PlaybackState::Closed) {
        facade_.DewarpPositionSet(view);
    }
}
