#include "app/CPlomeraView.h"

#include "metadata/CTimelineControls.h"

#include "app/CMainFrame.h"
#include "bookmarks/CBookmarkCollector.h"
#include "app/CommandIds.h"
#include "startup/CFileVersionInfo.h"
#include "app/dialogs/CPlomeraAboutDlg.h"
#include "events/CCoordinatorPlomeraView.h"
#include "startup/StartupSequence.h"
#include "logging/HandlerGuard.h"
#include "logging/Logger.h"
#include "navigator/CVideoFileSelector.h"
#include "timeline/CTimeline.h"
#include "viewer/CViewer.h"
#include "viewer/CViewerGridLayout.h"

#include <QCoreApplication>
#include <QDockWidget>
#include <QDir>
#include <QFileDialog>
#include <QKeyEvent>
#include <QPalette>

CPlomeraView::CPlomeraView(CMainFrame* frame) : QWidget(frame), frame_(frame)
{
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::black);
    setPalette(p);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);
}

CPlomeraView::~CPlomeraView()
{
    // The viewer closes its files and may write the package back through this view: it goes
    // while the view and its coordinator are whole.
    delete viewer_;
    viewer_ = nullptr;
    coordinator_.reset();
    Logger::DestroyInstance();
}

QString CPlomeraView::GetTempFolder()
{
    CFileVersionInfo info;
    info.Create(QCoreApplication::applicationFilePath());
    fileVersion = info.FileVersion;
    return StartupSequence::GetTempFolder(fileVersion, QDir::tempPath());
}

void CPlomeraView::OnInitialUpdate(const QStringList& arguments)
{
    // A second initial update (a file dropped on the frame) does not run the start-up again.
    if (initialised_) {
        return;
    }
    initialised_ = true;
    HandlerGuard::Run(HandlerGuard::Text("Error in OnInitialUpdate: %s"), [&] {
        viewer_ = new CViewer(this);
        viewer_->setGeometry(rect());
        viewer_->show();
        // A navigator item dragged onto the grid is read from here.
        viewer_->Grid()->SetNavigatorDragSource(this);
        viewer_->SetHost(this);
        coordinator_ = std::make_unique<CCoordinatorPlomeraView>(viewer_);
        frame_->Navigator()->SetEvents([this]() -> IPlomeraViewEvents* { return coordinator_.get(); });
        frame_->Navigator()->SetOpenFileCommand([this] { OnCommand(CommandIds::NavigatorOpenVideoFile); });
        // The tree records the item it drags here; the grid reads it on a drop, and the drag's
        // end clears it wherever the item was let go.
        frame_->Navigator()->SetDragSource([this](const NavigatorItem* item) {
            dragInProgress = item != nullptr;
            if (item != nullptr) {
                dragIsFile = item->kind == NavigatorItem::File;
                dragFilePath = item->path;
                dragVideo = item->video;
            }
        });
        // The time scale raises its events through the main view's channel, read at each event.
        viewer_->Timeline()->SetViewEvents([this]() -> IPlomeraViewEvents* { return coordinator_.get(); });
        InstallPackageHooks();
        QString why;
        tempFolder = StartupSequence::SecureTempFolder(GetTempFolder(), &why);
        if (!why.isEmpty()) {
            Logger::GetInstance()->Info(QStringLiteral("Using %1 instead: %2").arg(tempFolder, why));
        }
        coordinator_->SetTempFolder(tempFolder);
        StartupSequence::SetEnvironment(tempFolder);
        StartupSequence::RaiseOpenRequests(coordinator_.get(), tempFolder, arguments, QDir::currentPath());
    });
}

void CPlomeraView::OpenChosenFile(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QString folder = slash >= 0 ? path.left(slash) : QString();
    if (!coordinator_) {
        return;
    }
    for (const QString& name : StartupSequence::FindVideoFiles(folder)) {
        const QString full = folder + QLatin1Char('/') + name;
        if (full != path) {
            coordinator_->RegisterLocalFile(full);
        }
    }
    coordinator_->OpenLocalFile(path);
}

void CPlomeraView::OnCommand(int id)
{
    using namespace CommandIds;
    HandlerGuard::Run("OnCommand", [&] {
        switch (id) {
        case FileOpen:
        case NavigatorOpenVideoFile: {
            const QString path = QFileDialog::getOpenFileName(
                this, QString(), QStringLiteral("Video Files"),
                QStringLiteral("Video Files (*.video);;Partial Files (*.partial)"));
            if (!path.isEmpty()) {
                OpenChosenFile(path);
            }
            break;
        }
        case PreserveAspectRatio:
            preserveAspectRatio = !preserveAspectRatio;
            if (coordinator_) coordinator_->SetPreserveAspectRatio(preserveAspectRatio);
            break;
        case ShowMilliseconds:
            showMilliseconds = !showMilliseconds;
            if (coordinator_) coordinator_->ShowMilliSeconds(showMilliseconds);
            break;
        case ShowVideoTime:
            showVideoTime = !showVideoTime;
            if (coordinator_) coordinator_->ShowVideoTime(showVideoTime);
            if (!showVideoTime) {
                showMilliseconds = false;
            }
            break;
        case MetadataChart:
        case MetadataChartButton:
            metadataChart = !metadataChart;
            if (coordinator_) coordinator_->ShowMetadataChart(metadataChart);
            break;
        case MapView:
            mapView = !mapView;
            if (coordinator_) coordinator_->MapViewToggled(mapView);
            break;
        case SaveBookmarks:
            if (coordinator_) coordinator_->SaveBookmarks();
            break;
        case SnapshotSelectedTile:
            if (coordinator_) coordinator_->SnapshotSelectedTile();
            break;
        case CopySnapshotToClipboard:
            if (coordinator_) coordinator_->CopySnapshotToClipboard();
            break;
        case About: {
            CPlomeraAboutDlg dlg(fileVersion, this);
            dlg.exec();
            break;
        }
        default:
            break;
        }
    });
    frame_->UpdateCommandUI();
}

void CPlomeraView::keyReleaseEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && coordinator_) {
        coordinator_->RestoreViewerWhenMaximized();
    }
    QWidget::keyReleaseEvent(event);
}

void CPlomeraView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (viewer_) {
        viewer_->setGeometry(rect());
    }
}

CVideoFileSelector* CPlomeraView::Navigator()
{
    return frame_->Navigator();
}

CTimelineMetadataPlayback* CPlomeraView::MetadataStrip()
{
    return frame_->MetadataPane() != nullptr ? frame_->MetadataPane()->Strip() : nullptr;
}

CVehicleInfo* CPlomeraView::VehicleInfoPane()
{
    return frame_->VehicleInfoPane();
}

void CPlomeraView::ShowMetadataPane(bool show)
{
    frame_->ShowMetadataPane(show);
}

QWidget* CPlomeraView::NavigatorPane()
{
    return frame_->NavigatorPane();
}

void CPlomeraView::SetStatusPane1(const QString& text)
{
    frame_->SetStatusPane1(text);
}

void CPlomeraView::SetFullScreenMode(bool on)
{
    frame_->SetFullScreenMode(on);
}

void CPlomeraView::ShowBookmarks(const BookmarkList* bookmarks)
{
    frame_->BookmarkPane()->ShowBookmarks(bookmarks);
}

void CPlomeraView::SetBookmarksModified(bool on)
{
    bookmarksModified = on;
    frame_->UpdateCommandUI();
}

IPlomeraViewEvents* CPlomeraView::ViewEvents()
{
    return coordinator_.get();
}

NavigatorItem CPlomeraView::NavigatorDragItem() const
{
    NavigatorItem item;
    item.kind = dragIsFile ? NavigatorItem::File : NavigatorItem::Camera;
    item.path = dragFilePath;
    item.video = dragVideo;
    return item;
}
