#pragma once

#include "driver/FileDriver.h"
#include "facade/FalFacade.h"

#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

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

    // Finishes the viewer's own set-up once it has its place.
    void OnInitialSetup();

    const QString& TempFolder() const { return tempFolder_; }
    FalFacade& Facade() { return facade_; }
    const std::vector<std::unique_ptr<Video>>& Videos() const { return videos_; }
    CTimeline* Timeline() const { return timeline_; }

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
    void OnGoToTime();
    void OnShowFileInfo();
    void OnStartupComplete();
    // Until the viewer's own selection exists: the first camera of the file opened last.
    Video* SelectedCamera() const;

    QString tempFolder_;
    FalFacade facade_;
    std::vector<std::unique_ptr<Video>> videos_;
    std::unique_ptr<CCoordinatorViewerTimeline> timelineCoordinator_;
    CTimeline* timeline_ = nullptr;  // owned by its coordinator
    std::vector<Video*> barVideos_;  // the cameras the control bar reads
};
