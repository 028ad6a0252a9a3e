#pragma once

#include <QString>
#include <QStringList>
#include "viewer/INavigatorDragSource.h"
#include "viewer/IViewerHost.h"

#include <QWidget>
#include <memory>

class CCoordinatorPlomeraView;
class CMainFrame;
class CViewer;
class Video;

// The main view: its client area is the viewer. It owns the application-wide coordinator, keeps
// the display flags, runs the start-up sequence and the open-file command.
class CPlomeraView : public QWidget, public INavigatorDragSource, public IViewerHost {
    Q_OBJECT
public:
    explicit CPlomeraView(CMainFrame* frame);
    ~CPlomeraView() override;

    // The start-up sequence: viewer, coordinator, temporary folder, open requests.
    void OnInitialUpdate(const QStringList& arguments);
    void OnCommand(int id);
    // The open-file command after the dialog: registers the siblings, opens the chosen file.
    void OpenChosenFile(const QString& path);

    QString GetTempFolder();
    CCoordinatorPlomeraView* Coordinator() const { return coordinator_.get(); }
    CViewer* Viewer() const { return viewer_; }
    CMainFrame* Frame() const { return frame_; }

    // The display flags, with their initial values.
    bool preserveAspectRatio = false;
    bool showMilliseconds = false;
    bool showVideoTime = true;
    bool metadataChart = true;
    bool mapView = false;
    int metadataCommandsEnabled = 1;
    bool bookmarksModified = false;
    // The navigator item being dragged; the grid reads and clears it on drop.
    bool dragInProgress = false;
    bool dragIsFile = false;
    QString dragFilePath;
    Video* dragVideo = nullptr;
    bool NavigatorDragInProgress() const override { return dragInProgress; }
    NavigatorItem NavigatorDragItem() const override;
    void EndNavigatorDrag() override { dragInProgress = false; }
    QString fileVersion;
    QString tempFolder;

    // IViewerHost: the frame's parts the viewer reaches.
    CVideoFileSelector* Navigator() override;
    QWidget* NavigatorPane() override;
    void SetStatusPane1(const QString& text) override;
    void SetFullScreenMode(bool on) override;
    IPlomeraViewEvents* ViewEvents() override;
    QString HostTempFolder() override { return tempFolder; }
    void SetBookmarksModified(bool on) override;
    void ShowBookmarks(const BookmarkList* bookmarks) override;
    CTimelineMetadataPlayback* MetadataStrip() override;
    CVehicleInfo* VehicleInfoPane() override;
    void ShowMetadataPane(bool show) override;

protected:
    void keyReleaseEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Gives the coordinator the package extraction and writer (CPlomeraViewPackage.cpp).
    void InstallPackageHooks();

    CMainFrame* frame_;
    std::unique_ptr<CCoordinatorPlomeraView> coordinator_;
    CViewer* viewer_ = nullptr;
    bool initialised_ = false;
};
