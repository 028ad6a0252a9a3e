// The viewer's pages and its layout change: the page list, re-placing the players after a
// change of layout mode, and closing a tile that shows a dewarp view.
#include "viewer/CViewer.h"

#include "evidence/Camera.h"
#include "logging/HandlerGuard.h"
#include "logging/Logger.h"
#include "viewer/CVideoPlayer.h"
#include "viewer/CViewerCapabilities.h"
#include "viewer/CViewerGridLayout.h"
#include "viewer/structPageInfo.h"
#include "navigator/CVideoFileSelector.h"
#include "timeline/CTimeline.h"
#include "viewer/CViewerCaption.h"
#include "viewer/IViewerHost.h"

#include <QApplication>

#include <algorithm>
#include <stdexcept>
#include <string>

void CViewer::CreateVideoPages(int playerCount)
{
    HandlerGuard::Run(HandlerGuard::Text("Create Video Pages failed : %s"), [&] {
        const int tiles = CViewerCapabilities::TileCount(layoutMode_);
        if (tiles <= 0) {
            throw std::logic_error("layout mode " + std::to_string(layoutMode_) + " holds no tiles");
        }
        const int needed = playerCount / tiles + (playerCount % tiles != 0 ? 1 : 0);
        for (int i = 0; i < needed; ++i) {
            auto page = std::make_unique<structPageInfo>();
            page->index = i;
            pages_.push_back(std::move(page));
        }
        currentPage_ = 0;
        Logger::GetInstance()->Info(QStringLiteral("Created Video Pages %1").arg(playerCount));
    });
}

void CViewer::ClearVideoPages()
{
    pages_.clear();
}

void CViewer::AddVideoPlayerInVideoPages(CVideoPlayer* player)
{
    HandlerGuard::Run(HandlerGuard::ErrorIn("AddVideoPlayerInVideoPages"), [&] {
        if (!pages_.empty()) {
            pages_.front()->players.push_back(player);
        }
    });
}

CVideoPlayer* CViewer::GetVideoPlayerFromVideoPages(const Video* video) const
{
    for (const auto& page : pages_) {
        for (CVideoPlayer* player : page->players) {
            if (player != nullptr && player->GetVideo() == video) {
                return player;
            }
        }
    }
    return nullptr;
}

void CViewer::RemoveVideoPlayerFromVideoPages(const Video* video)
{
    for (auto& page : pages_) {
        const auto it = std::find_if(page->players.begin(), page->players.end(),
                                     [video](const CVideoPlayer* p) { return p != nullptr && p->GetVideo() == video; });
        if (it != page->players.end()) {
            page->players.erase(it);
        }
    }
}

VideoList CViewer::AllCameras() const
{
    VideoList cameras;
    for (CVideoPlayer* player : GetAllVideoPlayersFromVideoPages()) {
        cameras.push_back(player->GetVideo());
    }
    return cameras;
}

VideoList CViewer::DisplayedCameras() const
{
    VideoList cameras;
    for (CVideoPlayer* player : grid_->PlayersInCells()) {
        cameras.push_back(player->GetVideo());
    }
    return cameras;
}

VideoList CViewer::SelectedCameras() const
{
    if (CVideoPlayer* player = grid_->SelectedPlayer()) {
        return VideoList{player->GetVideo()};
    }
    return {};
}

void CViewer::RefreshCaptionPageText()
{
    caption_->SetPageText(currentPage_, std::max<int>(1, static_cast<int>(pages_.size())));
}

// The players of page k take the cells from the first; those shown before leave them.
void CViewer::ShowVideoPage(int index)
{
    HandlerGuard::Run(HandlerGuard::Text("Show Video Page call is failed : %s"), [&] {
        const auto page = std::find_if(pages_.begin(), pages_.end(),
                                       [index](const std::unique_ptr<structPageInfo>& p) { return p->index == index; });
        if (page == pages_.end()) {
            return;
        }
        QApplication::setOverrideCursor(Qt::WaitCursor);
        VideoList previous;
        for (CVideoPlayer* player : grid_->PlayersInCells()) {
            previous.push_back(player->GetVideo());
            grid_->RemovePlayer(player);
            player->GetVideo()->GetCamera()->SetShownInTile(false);
        }
        grid_->update();
        VideoList shown;
        for (CVideoPlayer* player : (*page)->players) {
            player->GetVideo()->renderWindow = player->Surface();
            shown.push_back(player->GetVideo());
        }
        if (!shown.empty()) {
            facade_.SetVideoPaging(shown.front(), shown, previous);
        }
        const int cells = grid_->Model().CellCount();
        for (size_t j = 0; j < (*page)->players.size() && static_cast<int>(j) < cells; ++j) {
            grid_->Tileset(static_cast<int>(j), (*page)->players[j]);
            (*page)->players[j]->GetVideo()->GetCamera()->SetShownInTile(true);
        }
        if (!shown.empty()) {
            facade_.RefreshVideoWindow(shown.front());
        }
        if (CVideoFileSelector* navigator = host_ != nullptr ? host_->Navigator() : nullptr) {
            for (Video* v : previous) navigator->UpdateCameraOnOffStatus(v, false);
            for (Video* v : shown) navigator->UpdateCameraOnOffStatus(v, true);
        }
        RefreshCaptionPageText();
        for (CVideoPlayer* player : (*page)->players) {
            ApplyDisplayFlags(player);
            player->UpdateTitle();
            player->UpdateStatus();
        }
        QApplication::restoreOverrideCursor();
    });
}

void CViewer::OnShowNextVideoPage()
{
    const int count = static_cast<int>(pages_.size());
    if (count <= 1 || currentPage_ >= count - 1) {
        return;
    }
    HandlerGuard::Run(HandlerGuard::Text("Show Next Video Page of %d is failed : %s"), [&] {
        Logger::GetInstance()->Info(QStringLiteral("Show Next Video Page of %1").arg(currentPage_));
        currentPage_ = (currentPage_ + 1) % count;
        ShowVideoPage(currentPage_);
        timeline_->SetPlaybackState(5);
    });
}

void CViewer::OnShowPreviousVideoPage()
{
    const int count = static_cast<int>(pages_.size());
    if (count <= 1 || currentPage_ == 0) {
        return;
    }
    HandlerGuard::Run(HandlerGuard::Text("Show Previous Video Page of %d is failed : %s"), [&] {
        Logger::GetInstance()->Info(QStringLiteral("Show Previous Video Page of %1").arg(currentPage_));
        currentPage_ = (currentPage_ - 1 + count) % count;
        ShowVideoPage(currentPage_);
        timeline_->SetPlaybackState(5);
    });
}

std::vector<CVideoPlayer*> CViewer::GetAllVideoPlayersFromVideoPages() const
{
    std::vector<CVideoPlayer*> players;
    // Reading the pages cannot fail; "Error in GetAllVideoPlayersFromVideoPages : %s" has no cause.
    for (const auto& page : pages_) {
        for (CVideoPlayer* player : page->players) {
            if (player != nullptr) {
                players.push_back(player);
            }
        }
    }
    return players;
}

// After a layout change: the players in the given order fill the cells from the front while
// there is room; the rest stay open but out of the grid.
void CViewer::RecalculateVideoPages(const std::vector<CVideoPlayer*>& players)
{
    HandlerGuard::Run("RecalculateVideoPages", [&] {
        const int count = static_cast<int>(GetAllVideoPlayersFromVideoPages().size());
        ClearVideoPages();
        CreateVideoPages(count);
        VideoList shown;
        VideoList hidden;
        int free = CViewerCapabilities::TileCount(layoutMode_);
        for (size_t i = 0; i < players.size(); ++i) {
            CVideoPlayer* player = players[i];
            Video* video = player->GetVideo();
            if (free > 0) {
                --free;
                grid_->RemovePlayer(player);
                grid_->Tileset(static_cast<int>(i), player);
                if (video->renderWindow == nullptr) {
                    video->renderWindow = player->Surface();
                }
                shown.push_back(video);
                video->GetCamera()->SetShownInTile(true);
            } else {
                hidden.push_back(video);
                video->GetCamera()->SetShownInTile(false);
            }
            AddVideoPlayerInVideoPages(player);
        }
        if (!shown.empty()) {
            facade_.SetVideoPaging(shown.front(), shown, hidden);
            facade_.RefreshVideoWindow(shown.front());
        }
        if (CVideoFileSelector* navigator = host_ != nullptr ? host_->Navigator() : nullptr) {
            for (Video* v : shown) navigator->UpdateCameraOnOffStatus(v, true);
            for (Video* v : hidden) navigator->UpdateCameraOnOffStatus(v, false);
        }
        currentPage_ = 0;
        RefreshCaptionPageText();
        for (CVideoPlayer* player : players) {
            ApplyDisplayFlags(player);
            player->UpdateTitle();
            player->UpdateStatus();
        }
        grid_->SetPreserveAspectRatio(preserveAspectRatio_);
    });
}

void CViewer::OnSetLayout(int requested)
{
    // A mode outside the table would count no tiles: pages could not be made for any player.
    if (requested < 0 || !CViewerCapabilities::IsMode(static_cast<unsigned>(requested))) {
        throw std::invalid_argument("layout mode " + std::to_string(requested) + " is not one of 0 to 11");
    }
    const auto mode = static_cast<unsigned>(requested);
    if (mode == layoutMode_) {
        return;
    }
    const std::vector<CVideoPlayer*> open = GetAllVideoPlayersFromVideoPages();
    if (CViewerCapabilities::TileCount(mode) < static_cast<int>(open.size())) {
        ShowMessage(QStringLiteral("Selected Layout can't handle all the tiles currently open"), QStringLiteral("Info"),
                    QMessageBox::Ok, QMessageBox::Information);
        return;
    }
    const std::vector<CVideoPlayer*> checked = cellOrder_ != 0 ? grid_->PlayersInCells() : open;
    const auto showsDewarpView = [](const CVideoPlayer* p) { return p->GetVideo()->dewarpView != 0; };
    if (checked.size() > 1 && std::any_of(checked.begin(), checked.end(), showsDewarpView)) {
        const auto answer = ShowMessage(QStringLiteral("Existing all dewarp views will be closed except main view"),
                                        QString(), QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Warning);
        if (answer != QMessageBox::Ok) {
            return;
        }
    }
    layoutButtonPicture_ = CViewerCapabilities::LayoutOf(mode).pictureId;
    caption_->SetLayoutPicture(layoutButtonPicture_);
    CVideoPlayer* selectedBefore = grid_->SelectedPlayer();
    for (CVideoPlayer* player : open) {
        if (showsDewarpView(player)) {
            if (player == selectedBefore) selectedBefore = nullptr;
            CloseDewarpViewPlayer(player);
        }
    }
    grid_->SetLayout(mode);
    layoutMode_ = mode;
    // Those collected before the change that are still open, in that order: a dewarp tile
    // closed above is gone.
    std::vector<CVideoPlayer*> remaining;
    const std::vector<CVideoPlayer*> owned = Players();
    for (CVideoPlayer* player : checked) {
        if (std::find(owned.begin(), owned.end(), player) != owned.end()) {
            remaining.push_back(player);
        }
    }
    RecalculateVideoPages(remaining);
    // The grid re-placed its tiles and forgot its selection: the selected tile keeps it, and a
    // selected view closed above leaves it to the first tile, so that the control bar and strips
    // never act on a closed view.
    if (const ViewerGridModel::Players shown = grid_->PlayersInCells(); !shown.empty()) {
        if (std::find(shown.begin(), shown.end(), selectedBefore) != shown.end()) {
            MarkSelected(selectedBefore);
        } else {
            OnSelectCamera(shown.front()->GetVideo());
        }
    }
    Logger::GetInstance()->Info(QStringLiteral("Layout changed to %1").arg(mode));
}

// A dewarp view's tile: out of its cell and the pages; the library lets go of the view when it
// plays; the tile is destroyed whether or not the library agreed.
void CViewer::CloseDewarpViewPlayer(CVideoPlayer* player)
{
    Video* video = player->GetVideo();
    grid_->RemovePlayer(player);
    for (auto& page : pages_) {
        std::erase(page->players, player);
    }
    if (IsPlaying(video)) {
        HandlerGuard::Run("CloseVideoPlayer", [&] { facade_.CloseDewarpView(video); });
        HandlerGuard::Run("CloseVideoPlayer", [&] { facade_.DewarpClose(video); });
    }
    DestroyPlayer(player);
}
