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
    if (!pages_.empty()) {
        pages_.front()->players.push_back(player);
    }
}

std::vector<CVideoPlayer*> CViewer::GetAllVideoPlayersFromVideoPages() const
{
    std::vector<CVideoPlayer*> players;
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
        }
        currentPage_ = 0;
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
    for (CVideoPlayer* player : open) {
        if (showsDewarpView(player)) {
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
    Logger::GetInstance()->Info(QStringLiteral("Layout changed to %1").arg(mode));
}

void CViewer::OnSetPreserveAspectRatio(bool on)
{
    preserveAspectRatio_ = on;
    grid_->SetPreserveAspectRatio(on);
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

void CViewer::OnCloseVideoPlayer(Video* video)
{
    CVideoPlayer* player = nullptr;
    for (const auto& p : players_) {
        if (p->GetVideo() == video) {
            player = p.get();
            break;
        }
    }
    if (player == nullptr) {
        return;
    }
    if (video->dewarpView != 0) {
        CloseDewarpViewPlayer(player);
    } else {
        // A camera's tile: the camera stops showing; the file stays open until the viewer
        // closes its files.
        video->GetCamera()->SetShownInTile(false);
        DestroyPlayer(player);
    }
    if (grid_->PlayersInCells().empty()) {
        OnCloseAllVideoPlayers();
    }
}
