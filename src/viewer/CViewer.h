#pragma once

#include "driver/FileDriver.h"
#include "facade/FalFacade.h"

#include <QMessageBox>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

class CVideoPlayer;
class CViewerGridLayout;
class CCoordinatorViewerGrid;
class CCoordinatorViewerTimeline;
struct structPageInfo;
class CTimeline;
class ViewerMessageEvent;
template <typename Receiver>
class ViewerMessageHandlers;

// The central window: the only caller of the file access facade. It carries out the requests
// the panes raise through the coordinators.
class CViewer : public QWidget {
    Q_OBJECT
public:
    // vdl: the decoding library's table for the facade (null: the library the driver loads).
    explicit CViewer(QWidget* parent = nullptr, const VdlAdapter* vdl = nullptr);
    ~CViewer() override;

    const QString& TempFolder() const { return tempFolder_; }
    FalFacade& Facade() { return facade_; }
    const std::vector<std::unique_ptr<Video>>& Videos() const { return videos_; }
    CTimeline* Timeline() const { return timeline_; }

    CViewerGridLayout* Grid() const { return grid_; }
    CCoordinatorViewerGrid* GridCoordinator() const { return gridCoordinator_.get(); }
    unsigned LayoutMode() const { return layoutMode_; }
    // The picture the caption's layout button shows: the current mode's.
    int LayoutButtonPicture() const { return layoutButtonPicture_; }
    // Every player the viewer owns, in open order.
    std::vector<CVideoPlayer*> Players() const;
    const std::vector<std::unique_ptr<structPageInfo>>& Pages() const { return pages_; }
    int CurrentPage() const { return currentPage_; }
    // Copied from the cell-order byte of the last camera opened singly: the layout change then
    // checks the players in cells rather than those of the pages.
    void SetCellOrderFlag(bool on) { cellOrder_ = on ? 1 : 0; }

    // Every message box of the viewer goes through this one function; a test answers it here.
    // Returns the button chosen.
    using MessageBoxFunction = std::function<QMessageBox::StandardButton(
        const QString& text, const QString& caption, QMessageBox::StandardButtons buttons, QMessageBox::Icon icon)>;
    void SetMessageBoxFunction(MessageBoxFunction function) { messageBox_ = std::move(function); }

    // Pages (CViewerLayout.cpp).
    void CreateVideoPages(int playerCount);
    void ClearVideoPages();
    void AddVideoPlayerInVideoPages(CVideoPlayer* player);
    std::vector<CVideoPlayer*> GetAllVideoPlayersFromVideoPages() const;
    void RecalculateVideoPages(const std::vector<CVideoPlayer*>& players);

    // How the viewer reaches the navigator (set by the main view).
    std::function<void(const QString& path, const std::vector<Video*>& videos)> onFileListed;

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The viewer's message handlers, by message number (the rows of ViewerMessageTable.h).
    static const ViewerMessageHandlers<CViewer>& Handlers();

    void OnSetTempFolder(const QString& path);
    void OnOpenLocalFile(const QString& path);
    void OnRegisterLocalFile(const QString& path);
    void OnCloseAllVideoPlayers();
    void OnCloseAllVideoPlayersRequest();
    void OnLogError(const QString& text);
    void PlaceFirstCamera(Video* video);
    QMessageBox::StandardButton ShowMessage(const QString& text, const QString& caption,
                                            QMessageBox::StandardButtons buttons, QMessageBox::Icon icon);
    QRect GridArea() const;
    void RefreshTiles();
    void MarkSelected(CVideoPlayer* player);
    void ApplyDisplayFlags(CVideoPlayer* player);
    void DestroyPlayer(CVideoPlayer* player);
    static bool IsPlaying(const Video* video);

    // The layout change and closing one tile (CViewerLayout.cpp).
    void OnSetLayout(int mode);
    void OnCloseVideoPlayer(Video* video);
    void OnSetPreserveAspectRatio(bool on);
    void CloseDewarpViewPlayer(CVideoPlayer* player);
    void OnGoToTime();
    void OnShowFileInfo();
    void OnStartupComplete();
    // Until the viewer's own selection exists: the first camera of the file opened last.
    Video* SelectedCamera() const;

    QString tempFolder_;
    FalFacade facade_;
    std::vector<std::unique_ptr<Video>> videos_;
    // Gone before the videos they show; their time and state refreshed every 500 ms.
    std::vector<std::unique_ptr<CVideoPlayer>> players_;
    std::vector<std::unique_ptr<structPageInfo>> pages_;
    int currentPage_ = 0;
    unsigned layoutMode_ = 6;
    int layoutButtonPicture_ = 0;
    uint8_t cellOrder_ = 0;
    bool showVideoTime_ = true;
    bool showMilliseconds_ = false;
    bool preserveAspectRatio_ = false;
    MessageBoxFunction messageBox_;
    QTimer tileTimer_;
    std::unique_ptr<CCoordinatorViewerGrid> gridCoordinator_;
    CViewerGridLayout* grid_ = nullptr;  // a child window
    std::unique_ptr<CCoordinatorViewerTimeline> timelineCoordinator_;
    CTimeline* timeline_ = nullptr;  // owned by its coordinator
    std::vector<Video*> barVideos_;  // the cameras the control bar reads
};
