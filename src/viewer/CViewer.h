#pragma once

#include "driver/FileDriver.h"
#include "facade/FalFacade.h"

#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

class CVideoPlayer;
class CCoordinatorViewerTimeline;
class CTimeline;
class ViewerMessageEvent;
template <typename Receiver>
class ViewerMessageHandlers;

// The central window: the only caller of the file access facade. It carries out the requests
// the panes raise through the coordinators.
class CViewer : public QWidget {
    Q_OBJECT
public:
    explicit CViewer(QWidget* parent = nullptr);
    ~CViewer() override;

    const QString& TempFolder() const { return tempFolder_; }
    FalFacade& Facade() { return facade_; }
    const std::vector<std::unique_ptr<Video>>& Videos() const { return videos_; }
    CTimeline* Timeline() const { return timeline_; }

    // Until the grid takes over: the tile showing the last opened file's first camera.
    CVideoPlayer* InterimTile() const { return tile_.get(); }

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
    void ShowInterimTile(Video* video);
    QRect TileArea() const;
    void OnGoToTime();
    void OnShowFileInfo();
    void OnStartupComplete();
    // Until the viewer's own selection exists: the first camera of the file opened last.
    Video* SelectedCamera() const;

    QString tempFolder_;
    FalFacade facade_;
    std::vector<std::unique_ptr<Video>> videos_;
    // Gone before the videos it shows; its time and state refreshed every 500 ms.
    std::unique_ptr<CVideoPlayer> tile_;
    QTimer tileTimer_;
    std::unique_ptr<CCoordinatorViewerTimeline> timelineCoordinator_;
    CTimeline* timeline_ = nullptr;  // owned by its coordinator
    std::vector<Video*> barVideos_;  // the cameras the control bar reads
};
