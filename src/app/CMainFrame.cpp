#include "app/CMainFrame.h"

#include "app/CPlomeraApp.h"
#include "app/CPlomeraView.h"
#include "app/CommandIds.h"
#include "bookmarks/CBookmarkCollector.h"
#include "facade/FalFacade.h"
#include "logging/HandlerGuard.h"
#include "metadata/CTimelineControls.h"
#include "metadata/CTimelineMetadataPlayback.h"
#include "metadata/CVehicleInfo.h"
#include "events/CCoordinatorPlomeraView.h"
#include "events/ViewerMessageDispatch.h"
#include "navigator/CVideoFileSelector.h"
#include "viewer/CViewer.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDockWidget>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QPalette>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QStyle>
#include <QStyleFactory>
#include <QToolBar>

CMainFrame::CMainFrame(CPlomeraDoc* document, QWidget* parent) : QMainWindow(parent), document_(document)
{
    setWindowTitle(QString::fromLatin1(StringIds::AppTitle));
    view_ = new CPlomeraView(this);
    setCentralWidget(view_);
}

CMainFrame::~CMainFrame()
{
    // The view's viewer closes its files through the navigator and status bar: it goes first.
    delete view_;
    view_ = nullptr;
}

QSize CMainFrame::MinimumTrackingSize(const QSize& screen)
{
    return {screen.width() / 4 * 3, screen.height() / 4 * 3};
}

QAction* CMainFrame::AddCommand(int id, const QString& text, QMenu* menu)
{
    auto* action = new QAction(text, this);
    action->setData(id);
    commands_.insert(id, action);
    addAction(action);
    if (menu) {
        menu->addAction(action);
    }
    return action;
}

void CMainFrame::CreateMenusAndToolbar()
{
    using namespace CommandIds;
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    QAction* open = AddCommand(FileOpen, QStringLiteral("&Open Video File...\tCtrl+O"), file);
    open->setShortcut(QKeySequence(QStringLiteral("Ctrl+O")));
    open->setIconText(QStringLiteral("Open"));
    QAction* save = AddCommand(SaveBookmarks, QStringLiteral("Save &Bookmarks\tCtrl+S"), file);
    save->setShortcut(QKeySequence(QStringLiteral("Ctrl+S")));
    save->setIconText(QStringLiteral("Save Bookmarks"));
    save->setToolTip(QStringLiteral("Save Bookmarks"));
    file->addSeparator();
    AddCommand(SnapshotSelectedTile, QStringLiteral("Snapshot of Selected &Tile\tCtrl+Shift+S"), file)
        ->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+S")));
    AddCommand(CopySnapshotToClipboard, QStringLiteral("&Copy Snapshot to Clipboard\tCtrl+Shift+C"), file)
        ->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+C")));
    file->addSeparator();
    QAction* exit = AddCommand(Exit, QStringLiteral("E&xit"), file);
    connect(exit, &QAction::triggered, this, &QWidget::close);

    QMenu* viewMenu = menuBar()->addMenu(QStringLiteral("&View"));
    QAction* status = AddCommand(StatusBar, QStringLiteral("&Status Bar"), viewMenu);
    status->setCheckable(true);
    status->setChecked(true);
    connect(status, &QAction::toggled, this, [this](bool on) { statusBar()->setVisible(on); });
    AddCommand(PreserveAspectRatio, QStringLiteral("&Preserve Video Aspect Ratio"), viewMenu)->setCheckable(true);

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    QAction* about = AddCommand(About, QStringLiteral("&About Ombrix Player..."), help);
    about->setIconText(QStringLiteral("About"));

    // Commands without a menu entry still exist, with their shortcuts and enabling.
    AddCommand(NavigatorOpenVideoFile, QStringLiteral("Open Video File"));
    AddCommand(ShowMilliseconds, QString())->setCheckable(true);
    AddCommand(ShowVideoTime, QString())->setCheckable(true);
    AddCommand(MetadataChart, QString())->setCheckable(true);
    AddCommand(MetadataChartButton, QString())->setToolTip(QStringLiteral("Metadata Chart"));
    AddCommand(MapView, QString())->setCheckable(true);
    static const char* kStyles[] = {"Office 2007 (&Blue Style)", "Office 2007 (B&lack Style)",
                                    "Office 2007 (&Silver Style)", "Office 2007 (&Aqua Style)", "Win&dows 7"};
    for (int id = StyleFirst; id <= StyleLast; ++id) {
        QAction* a = AddCommand(id, id >= 215 ? QString::fromLatin1(kStyles[id - 215]) : QString());
        a->setCheckable(true);
        connect(a, &QAction::triggered, this, [this, id] { OnApplicationLook(id); });
    }
    for (QAction* a : commands_) {
        const int id = a->data().toInt();
        if (id < StyleFirst || id > StyleLast) {
            if (id != StatusBar && id != Exit) {
                connect(a, &QAction::triggered, view_, [this, id] { view_->OnCommand(id); });
            }
        }
    }

    // Bookmark keys with no command of their own: B adds one at the play position of the selected
    // camera, Ctrl+Z takes back the latest bookmark change. A text field being typed in keeps
    // both keys for itself.
    auto* addBookmark = new QAction(QStringLiteral("Add Bookmark"), this);
    addBookmark->setShortcut(QKeySequence(Qt::Key_B));
    addAction(addBookmark);
    connect(addBookmark, &QAction::triggered, this, [this] {
        if (CViewer* viewer = view_->Viewer()) {
            SendViewerMessage<ViewerMessages::AddBookmark>(viewer, std::optional<qint64>());
        }
    });
    auto* undo = new QAction(QStringLiteral("Undo Bookmark Change"), this);
    undo->setShortcut(QKeySequence::Undo);
    addAction(undo);
    connect(undo, &QAction::triggered, this, [this] {
        if (CViewer* viewer = view_->Viewer()) {
            viewer->UndoBookmarkChange();
        }
    });

    QToolBar* bar = addToolBar(QStringLiteral("Standard"));
    bar->setObjectName(QStringLiteral("toolbar570"));
    bar->addAction(open);
    bar->addAction(save);
    bar->addSeparator();
    bar->addAction(about);
}

bool CMainFrame::Create()
{
    CreateMenusAndToolbar();
    statusPane1_ = new QLabel(this);
    statusPane2_ = new QLabel(this);
    statusPane1_->setMinimumWidth(width() / 2);
    statusPane2_->setMinimumWidth(100);
    statusBar()->addWidget(statusPane1_);
    statusBar()->addWidget(statusPane2_, 1);

    navigator_ = new CVideoFileSelector(this);
    navigator_->setObjectName(QStringLiteral("pane133"));
    navigatorPane_ = navigator_;
    bookmarkPane_ = navigator_->BookmarkPane();
    addDockWidget(Qt::LeftDockWidgetArea, navigatorPane_);
    resizeDocks({navigatorPane_}, {300}, Qt::Horizontal);
    // The metadata panes exist only under the developer option; without it the frame is as ever.
    if (FalFacade::MetadataOption()) {
        HandlerGuard::Run(HandlerGuard::Text("Failed to Create Timeline Control Pane: %s"), [&] {
            metadataPane_ = new CTimelineControls(this);
            metadataPane_->Strip()->SetEvents([this]() -> IPlomeraViewEvents* { return view_->ViewEvents(); });
            addDockWidget(Qt::BottomDockWidgetArea, metadataPane_);
            resizeDocks({metadataPane_}, {70}, Qt::Vertical);
        });
        HandlerGuard::Run(HandlerGuard::Text("Error in Creating VideoFile Selector Tree View: %s"), [&] {
            vehicleInfoPane_ = new CVehicleInfo(this);
            vehicleInfoPane_->setObjectName(QStringLiteral("pane129"));
            addDockWidget(Qt::RightDockWidgetArea, vehicleInfoPane_);
            resizeDocks({vehicleInfoPane_}, {280}, Qt::Horizontal);
        });
    }

    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        setMinimumSize(MinimumTrackingSize(screen->size()));
    }
    const QSettings settings(QString::fromLatin1(CPlomeraApp::kSettingsOrganisation),
                             QString::fromLatin1(CPlomeraApp::kSettingsApplication));
    OnApplicationLook(settings.value(QStringLiteral("ApplicationLook"), CommandIds::DefaultStyle).toInt());
    UpdateCommandUI();
    return true;
}

void CMainFrame::OnApplicationLook(int id)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    look_ = id;
    // Each style id stands for one Qt style and palette.
    QStyle* style = QStyleFactory::create(id == 205 ? QStringLiteral("Windows") : QStringLiteral("Fusion"));
    if (style) {
        QApplication::setStyle(style);
    }
    QPalette palette = QApplication::style()->standardPalette();
    switch (id) {
    case 215: palette.setColor(QPalette::Window, QColor(0xD5, 0xE4, 0xF2)); break;
    case 216: palette.setColor(QPalette::Window, QColor(0x53, 0x53, 0x53)); palette.setColor(QPalette::WindowText, Qt::white); break;
    case 217: palette.setColor(QPalette::Window, QColor(0xDD, 0xE1, 0xE6)); break;
    case 218: palette.setColor(QPalette::Window, QColor(0xC9, 0xE4, 0xE8)); break;
    case 210: palette.setColor(QPalette::Window, QColor(0xE9, 0xEC, 0xEE)); break;
    default: break;
    }
    QApplication::setPalette(palette);
    for (int s = CommandIds::StyleFirst; s <= CommandIds::StyleLast; ++s) {
        if (QAction* a = commands_.value(s)) {
            a->setChecked(s == id);
        }
    }
    update();
    QSettings settings(QString::fromLatin1(CPlomeraApp::kSettingsOrganisation),
                       QString::fromLatin1(CPlomeraApp::kSettingsApplication));
    settings.setValue(QStringLiteral("ApplicationLook"), id);
    QApplication::restoreOverrideCursor();
}

void CMainFrame::UpdateCommandUI()
{
    using namespace CommandIds;
    commands_.value(PreserveAspectRatio)->setChecked(view_->preserveAspectRatio);
    commands_.value(ShowMilliseconds)->setChecked(view_->showMilliseconds);
    commands_.value(ShowVideoTime)->setChecked(view_->showVideoTime);
    commands_.value(MetadataChart)->setChecked(view_->metadataChart);
    commands_.value(MetadataChart)->setEnabled(view_->metadataCommandsEnabled != 0);
    commands_.value(MetadataChartButton)->setEnabled(view_->metadataCommandsEnabled != 0);
    commands_.value(MapView)->setChecked(view_->mapView);
    commands_.value(SaveBookmarks)->setEnabled(view_->bookmarksModified);
}

void CMainFrame::SetStatusPane1(const QString& text)
{
    statusPane1_->setText(text);
}

QString CMainFrame::StatusPane1() const
{
    return statusPane1_->text();
}

void CMainFrame::SetFullScreenMode(bool on)
{
    if (on) {
        if (!isFullScreen()) {
            maximisedBeforeFullScreen_ = isMaximized();
            geometryBeforeFullScreen_ = geometry();
            showFullScreen();
            // Without a window manager to honour the request, the frame covers the screen itself.
            if (QScreen* shown = screen()) {
                setGeometry(shown->geometry());
            }
        }
        navigatorPane_->hide();
        statusBar()->hide();
        menuBar()->hide();
        for (QToolBar* bar : findChildren<QToolBar*>()) bar->hide();
    } else {
        if (isFullScreen()) {
            maximisedBeforeFullScreen_ ? showMaximized() : showNormal();
            if (!maximisedBeforeFullScreen_ && geometryBeforeFullScreen_.isValid()) {
                setGeometry(geometryBeforeFullScreen_);
            }
        }
        statusBar()->show();
        navigatorPane_->setFloating(false);
        navigatorPane_->show();
        menuBar()->show();
        for (QToolBar* bar : findChildren<QToolBar*>()) bar->show();
    }
}

void CMainFrame::ShowMetadataPane(bool show)
{
    // Without the developer option there is no pane: only the flag changes.
    metadataPaneShown_ = show ? 1 : 0;
    if (metadataPane_) metadataPane_->setVisible(show);
}

void CMainFrame::UpdateNavigatorOnOffStatus(const std::vector<Video*>& videos, bool shown)
{
    for (Video* video : videos) {
        navigator_->UpdateCameraOnOffStatus(video, shown);
    }
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (CCoordinatorPlomeraView* c = view_->Coordinator()) {
        c->CloseAllVideoPlayers();
    }
    QMainWindow::closeEvent(event);
}

void CMainFrame::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) {
        CCoordinatorPlomeraView* c = view_->Coordinator();
        if (c && (windowState() & Qt::WindowMinimized)) {
            c->FramePlacementChanged(2);
        } else if (c && (windowState() & Qt::WindowMaximized)) {
            c->FramePlacementChanged(3);
        }
    }
}
