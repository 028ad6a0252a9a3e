#include "viewer/CVideoPlayer.h"

#include "controls/ResourceImage.h"
#include "events/IUIViewerGridEvents.h"
#include "events/ViewerMessages.h"
#include "evidence/Device.h"
#include "evidence/Video.h"
#include "facade/FalFacade.h"
#include "logging/HandlerGuard.h"
#include "viewer/CPtzPanel.h"
#include "viewer/CVideoPlayerCaptionBar.h"
#include "viewer/CVideoPlayerStatusBar.h"
#include "viewer/VideoPlayerIds.h"
#include "viewer/VideoPlayerLayout.h"
#include "viewer/VideoPlayerMenuTable.h"
#include "viewer/VideoPlayerTexts.h"
#include "viewer/WatermarkBadge.h"

#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPixmap>
#include <QPointer>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>
#include <cstdlib>

namespace {

constexpr int kWheelStep = 120;

QIcon IconOf(int picture)
{
    const ResourceImage image(picture);
    return image.IsEmpty() ? QIcon() : QIcon(QPixmap::fromImage(image.Image()));
}

QString CameraTitle(const Video* video)
{
    if (video == nullptr) {
        return QString();
    }
    if (!video->title.isEmpty()) {
        return video->title;
    }
    return video->GetCamera() != nullptr ? video->GetCamera()->GetName() : QString();
}

QString DeviceTitle(const Video* video)
{
    const Camera* camera = video != nullptr ? video->GetCamera() : nullptr;
    const Device* device = camera != nullptr ? camera->GetDevice() : nullptr;
    return device != nullptr ? device->GetName() : QString();
}

} // namespace

CVideoPlayer::CVideoPlayer(Video* video, FalFacade* facade, QWidget* parent)
    : QWidget(parent), video_(video), facade_(facade)
{
    setObjectName(QString::number(VideoPlayerIds::TileControl));
    setWindowTitle(QString::fromLatin1(VideoPlayerTexts::WindowTitle));
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_NoSystemBackground);
    created_ = HandlerGuard::Run(HandlerGuard::Text(VideoPlayerTexts::CreateFailed), [this] { Create(); });
    // (1, 1) to (250, 250) until the grid places it.
    setGeometry(QRect(QPoint(1, 1), QPoint(249, 249)));
}

void CVideoPlayer::Create()
{
    caption_ = new CVideoPlayerCaptionBar(this);
    caption_->Create(video_ != nullptr && video_->GetCamera() != nullptr ? video_->GetCamera()->GetName() : QString());
    connect(caption_, &CVideoPlayerCaptionBar::closeClicked, this, &CVideoPlayer::OnTileClose);

    // Pointer input over the picture is the tile's own.
    container_ = new QWidget(this);
    container_->setAttribute(Qt::WA_TransparentForMouseEvents);
    container_->setAttribute(Qt::WA_NoSystemBackground);
    panel_ = new CPtzPanel(container_);
    panel_->setGeometry(0, 0, 100, 100);
    panel_->SetNoPicture(video_ != nullptr && video_->noPicture != 0);
    panel_->onSourceSize = [this](const QSize&) { UpdateRenderView(); };

    status_ = new CVideoPlayerStatusBar(this);
    status_->Create(DeviceTitle(video_));
    status_->streamInfo = [this] { return StreamInfoText(); };

    caption_->installEventFilter(this);
    status_->installEventFilter(this);
    UpdateTitle();
    UpdateStatus();
}

CVideoPlayer::~CVideoPlayer()
{
    DetachSurface();
    if (caption_ != nullptr) {
        caption_->removeEventFilter(this);
    }
    if (status_ != nullptr) {
        status_->removeEventFilter(this);
        status_->streamInfo = nullptr;
    }
}

// The library must be done with the surface before it goes: detached first, and a frame that
// still arrives is dropped.
void CVideoPlayer::DetachSurface()
{
    if (panel_ == nullptr) {
        return;
    }
    panel_->Surface().Drop();
    if (video_ == nullptr || video_->renderWindow != panel_->Handle()) {
        return;
    }
    if (facade_ == nullptr || video_->playbackState == PlaybackState::Closed) {
        // No port presents to a closed camera's surface.
        video_->renderWindow = nullptr;
        return;
    }
    const bool detached = HandlerGuard::Run(HandlerGuard::Text(VideoPlayerTexts::CloseFailed),
                                            [this] { facade_->SetRenderSurface(video_, nullptr); });
    if (!detached) {
        video_->renderWindow = nullptr;
        panel_->AbandonSurface();
    }
}

VDL_Surface* CVideoPlayer::Surface()
{
    return panel_ != nullptr ? panel_->Handle() : nullptr;
}

IUIViewerGridEvents* CVideoPlayer::Events() const
{
    return grid_ != nullptr ? grid_->Coordinator() : nullptr;
}

bool CVideoPlayer::IsDewarpTile() const
{
    return video_ != nullptr && video_->dewarpView != 0;
}

bool CVideoPlayer::CanReachLibrary() const
{
    return facade_ != nullptr && video_ != nullptr && panel_ != nullptr && video_->renderWindow == panel_->Handle()
        && video_->playbackState != PlaybackState::Closed && video_->playbackState != PlaybackState::Opened;
}

QString CVideoPlayer::StreamInfoText() const
{
    if (panel_ == nullptr) {
        return QString();
    }
    const TileSurface::Facts facts = panel_->Surface().NewestFacts();
    if (!facts.any) {
        return QString();
    }
    return VideoPlayerTexts::StreamInfo(facts.frameRate, facts.source.width(), facts.source.height());
}

// --- The viewer's operations -----------------------------------------------------------------

void CVideoPlayer::UpdateTitle()
{
    if (caption_ != nullptr) {
        caption_->SetTitle(CameraTitle(video_));
    }
}

void CVideoPlayer::UpdateStatus()
{
    if (status_ == nullptr || video_ == nullptr) {
        return;
    }
    status_->SetDeviceTitle(DeviceTitle(video_));
    status_->SetState(VideoPlayerTexts::StateText(video_->playbackState, video_->speedSteps));
}

void CVideoPlayer::SetTime(const CalendarFields& time)
{
    if (caption_ != nullptr) {
        caption_->SetTime(time);
    }
}

void CVideoPlayer::SetStripColour(const QColor& colour)
{
    if (caption_ != nullptr) {
        caption_->SetColour(colour);
        status_->SetColour(colour);
    }
}

QColor CVideoPlayer::StripColour() const
{
    return caption_ != nullptr ? caption_->Colour() : QColor();
}

void CVideoPlayer::ShowStrips(bool show)
{
    overlay_ = !show;
    if (caption_ != nullptr) {
        caption_->setVisible(show);
        status_->setVisible(show);
        caption_->update();
        status_->update();
    }
    AdjustLayout();
}

void CVideoPlayer::SetShowTime(bool on)
{
    if (caption_ != nullptr) {
        caption_->SetShowTime(on);
    }
}

void CVideoPlayer::SetShowMilliseconds(bool on)
{
    if (caption_ != nullptr) {
        caption_->SetShowMilliseconds(on);
    }
}

void CVideoPlayer::AdjustLayout()
{
    HandlerGuard::Run(HandlerGuard::Text(VideoPlayerTexts::AdjustLayoutFailed), [this] {
        if (caption_ == nullptr || window()->isMinimized()) {
            return;
        }
        const VideoPlayerLayout layout = VideoPlayerLayout::Of(size(), caption_->sizeHint().height(),
                                                               status_->sizeHint().height(), overlay_);
        caption_->setGeometry(layout.caption);
        container_->setGeometry(layout.container);
        zoom_.Resize(layout.container.size());
        MovePicture();
        status_->setGeometry(layout.status);
    });
}

void CVideoPlayer::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    AdjustLayout();
}

// --- Zoom and pan ----------------------------------------------------------------------------

void CVideoPlayer::MovePicture()
{
    if (panel_ == nullptr) {
        return;
    }
    panel_->setGeometry(zoom_.Picture());
    UpdateRenderView();
    ShowZoomRectangle();
    panel_->update();
}

// The library converts each frame to the part shown at the size shown; the request goes out
// only when that changes, and only while this surface is the camera's.
void CVideoPlayer::UpdateRenderView()
{
    if (panel_ == nullptr || !zoom_.HasArea()) {
        return;
    }
    const QSize source = panel_->Surface().NewestFacts().source;
    const VideoPlayerZoom::View view = source.isEmpty() ? VideoPlayerZoom::View{} : zoom_.ViewOf(source);
    panel_->SetView(view, zoom_.VisibleInPicture());
    if (source.isEmpty() || (viewRequested_ && view == requested_) || !CanReachLibrary()) {
        return;
    }
    requested_ = view;
    viewRequested_ = true;
    HandlerGuard::Run(HandlerGuard::Text(VideoPlayerTexts::AdjustLayoutFailed),
                      [&] { facade_->SetRenderView(video_, view.source, view.output); });
}

void CVideoPlayer::ZoomStep(double factor)
{
    if (zoom_.ZoomBy(factor)) {
        MovePicture();
        if (IUIViewerGridEvents* events = Events()) {
            events->RefreshVideoWindow();
        }
    }
}

void CVideoPlayer::ShowZoomRectangle()
{
    if (!zoomDrag_) {
        panel_->SetZoomRectangle(std::nullopt);
        return;
    }
    // Container points to the surface's own coordinates, whichever way it was drawn.
    const QPoint origin = zoom_.Picture().topLeft();
    const QPoint a = zoomStart_ - origin;
    const QPoint b = zoomEnd_ - origin;
    panel_->SetZoomRectangle(QRect(std::min(a.x(), b.x()), std::min(a.y(), b.y()), std::abs(b.x() - a.x()),
                                   std::abs(b.y() - a.y())));
}

void CVideoPlayer::StoreDewarpDrag(const QPoint& previous, const QPoint& current)
{
    VideoFile* file = video_ != nullptr ? video_->GetVideoFile() : nullptr;
    if (file == nullptr) {
        return;
    }
    // Fractions of the picture shown, so that they mean the same on a zoomed tile.
    const QPointF from = zoom_.FractionOf(previous);
    const QPointF to = zoom_.FractionOf(current);
    file->dragX0 = static_cast<float>(from.x());
    file->dragY0 = static_cast<float>(from.y());
    file->dragX1 = static_cast<float>(to.x());
    file->dragY1 = static_cast<float>(to.y());
}

QPoint CVideoPlayer::ToContainer(const QPointF& tilePoint) const
{
    return tilePoint.toPoint() - (container_ != nullptr ? container_->pos() : QPoint());
}

bool CVideoPlayer::InContainer(const QPointF& tilePoint) const
{
    return container_ != nullptr && container_->geometry().contains(tilePoint.toPoint());
}

QPoint CVideoPlayer::PictureCentre() const
{
    return container_ != nullptr ? container_->mapToGlobal(container_->rect().center()) : mapToGlobal(rect().center());
}

void CVideoPlayer::EndPointerDrags()
{
    zoomDrag_ = false;
    dewarpDrag_ = false;
    panDrag_ = false;
    if (panel_ != nullptr) {
        panel_->SetZoomRectangle(std::nullopt);
    }
}

// --- Pointer over the picture ----------------------------------------------------------------

void CVideoPlayer::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !InContainer(event->position()) || caption_ == nullptr) {
        QWidget::mousePressEvent(event);
        return;
    }
    const QPoint point = ToContainer(event->position());
    last_ = point;
    if (event->modifiers() & Qt::ShiftModifier) {
        zoomDrag_ = true;
        zoomStart_ = point;
        zoomEnd_ = point;
    } else if (IsDewarpTile()) {
        dewarpDrag_ = true;
        StoreDewarpDrag(point, point);
        if (IUIViewerGridEvents* events = Events()) {
            events->DewarpDragStart(video_);
        }
    } else {
        panDrag_ = true;
    }
}

void CVideoPlayer::mouseMoveEvent(QMouseEvent* event)
{
    HandlerGuard::Run(HandlerGuard::Text(VideoPlayerTexts::MouseMoveFailed), [&] {
        if (caption_ == nullptr) {
            return;
        }
        const QPoint point = ToContainer(event->position());
        const bool leftDown = (event->buttons() & Qt::LeftButton) != 0;
        if (leftDown && zoomDrag_) {
            zoomEnd_ = point;
            last_ = point;
            ShowZoomRectangle();
            return;
        }
        if (leftDown && dewarpDrag_) {
            StoreDewarpDrag(last_, point);
            last_ = point;
            if (IUIViewerGridEvents* events = Events()) {
                events->DewarpDragMove(video_);
            }
            return;
        }
        if (leftDown && panDrag_ && !IsDewarpTile()) {
            const QPoint delta = point - last_;
            if (zoom_.PanBy(delta)) {
                MovePicture();
                if (IUIViewerGridEvents* events = Events()) {
                    events->RefreshVideoWindow();
                }
            }
        }
        last_ = point;
        if (IUIViewerGridEvents* events = Events()) {
            events->HandleMouseMoveInFullScreenMode(event->globalPosition().toPoint());
        }
    });
}

void CVideoPlayer::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    HandlerGuard::Run(HandlerGuard::Text(VideoPlayerTexts::ButtonUpFailed), [&] {
        const bool zoomPending = zoomDrag_ && zoomStart_ != zoomEnd_;
        EndPointerDrags();
        const QPoint screen = event->globalPosition().toPoint();
        if (grid_ != nullptr && grid_->NavigatorDrop(screen)) {
            return;
        }
        QPointer<CVideoPlayer> self(this);
        if (grid_ != nullptr) {
            grid_->PlayerClicked(screen);
        }
        if (self.isNull() || !zoomPending) {
            return;
        }
        if (zoom_.ZoomToRect(zoomStart_, zoomEnd_)) {
            MovePicture();
        }
        zoomStart_ = zoomEnd_;
        if (IUIViewerGridEvents* events = Events()) {
            events->RefreshVideoWindow();
        }
    });
}

void CVideoPlayer::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseDoubleClickEvent(event);
        return;
    }
    if (grid_ != nullptr) {
        grid_->PlayerDoubleClicked(event->globalPosition().toPoint());
    }
}

void CVideoPlayer::wheelEvent(QWheelEvent* event)
{
    if (!InContainer(event->position())) {
        QWidget::wheelEvent(event);
        return;
    }
    // One step per notch of 120 units, however the device splits them.
    wheelRemainder_ += event->angleDelta().y();
    while (std::abs(wheelRemainder_) >= kWheelStep) {
        const bool forward = wheelRemainder_ > 0;
        wheelRemainder_ += forward ? -kWheelStep : kWheelStep;
        QPointer<CVideoPlayer> self(this);
        ZoomStep(forward ? VideoPlayerZoom::kStepIn : VideoPlayerZoom::kStepOut);
        if (self.isNull()) {
            return;
        }
    }
    event->accept();
}

// --- Keyboard ---------------------------------------------------------------------------------

void CVideoPlayer::keyPressEvent(QKeyEvent* event)
{
    const bool ctrl = (event->modifiers() & Qt::ControlModifier) != 0;
    const int key = event->key();
    if (ctrl && (key == Qt::Key_Plus || key == Qt::Key_Equal)) {
        ZoomStep(VideoPlayerZoom::kStepIn);
        return;
    }
    if (ctrl && key == Qt::Key_Minus) {
        ZoomStep(VideoPlayerZoom::kStepOut);
        return;
    }
    if (key == Qt::Key_Menu || (key == Qt::Key_F10 && (event->modifiers() & Qt::ShiftModifier))) {
        OpenContextMenu(PictureCentre());
        return;
    }
    if (IUIViewerGridEvents* events = Events()) {
        events->RefreshVideoWindow();
    }
    // Others (the viewer's keys) may still want it.
    QWidget::keyPressEvent(event);
}

void CVideoPlayer::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    if (panel_ != nullptr) {
        panel_->SetFocusFrame(true);
    }
}

void CVideoPlayer::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    if (panel_ != nullptr) {
        panel_->SetFocusFrame(false);
    }
}

// --- Context menu ----------------------------------------------------------------------------

void CVideoPlayer::contextMenuEvent(QContextMenuEvent* event)
{
    OpenContextMenu(event->reason() == QContextMenuEvent::Mouse ? event->globalPos() : PictureCentre());
    event->accept();
}

void CVideoPlayer::OpenContextMenu(const QPoint& screenPoint)
{
    if (video_ == nullptr || !VideoPlayerMenuTable::Allowed(*video_)) {
        return;
    }
    const VideoPlayerMenuTable table = VideoPlayerMenuTable::For(*video_, IsDewarpTile());
    QPointer<QMenu> menu = new QMenu(this);
    menu->setObjectName(QString::number(table.Resource()));
    auto add = [](QMenu* to, const VideoPlayerMenuTable::Item& item) {
        if (item.command == 0) {
            to->addSeparator();
            return;
        }
        QAction* action = to->addAction(item.picture != 0 ? IconOf(item.picture) : QIcon(), item.text);
        action->setData(item.command);
    };
    for (const VideoPlayerMenuTable::Item& item : table.Items()) {
        add(menu, item);
    }
    if (table.HasDewarpSubmenu()) {
        QMenu* dewarp = menu->addMenu(QString::fromLatin1(VideoPlayerMenuTable::DewarpSubmenuText));
        for (const VideoPlayerMenuTable::Item& item : table.DewarpItems()) {
            add(dewarp, item);
        }
    }
    QPointer<CVideoPlayer> self(this);
    QAction* chosen = menu->exec(screenPoint);
    const int command = chosen != nullptr ? chosen->data().toInt() : 0;
    if (self.isNull()) {
        return;
    }
    delete menu;
    if (command != 0) {
        OnMenuCommand(command);
    }
}

void CVideoPlayer::OnMenuCommand(int command)
{
    const VideoPlayerMenuTable::Action action = VideoPlayerMenuTable::ActionOf(command);
    if (action.message == 0 || video_ == nullptr) {
        return;
    }
    if (action.audio >= 0) {
        video_->audioOn = static_cast<uint8_t>(action.audio);
    }
    IUIViewerGridEvents* events = Events();
    if (events == nullptr) {
        return;
    }
    switch (action.message) {
    case ViewerMessages::EnableCameraAudio: events->EnableCameraAudio(video_); break;
    case ViewerMessages::DisableCameraAudio: events->DisableCameraAudio(video_); break;
    case ViewerMessages::ShowWatermark: events->ShowWatermark(video_); break;
    case ViewerMessages::OpenDewarpView: events->OpenDewarpView(video_, action.viewName); break;
    default: break;
    }
}

// --- The close button -------------------------------------------------------------------------

// Later, from the event loop: the viewer may destroy the tile, and with it the button whose
// click this is.
void CVideoPlayer::OnTileClose()
{
    QTimer::singleShot(0, this, [this] {
        HandlerGuard::Run(HandlerGuard::Text(VideoPlayerTexts::CloseFailed), [this] {
            if (grid_ == nullptr) {
                return;
            }
            grid_->RemovePlayer(this);
            Video* video = video_;
            if (IUIViewerGridEvents* events = Events()) {
                events->CloseVideoPlayer(video);
            }
        });
    });
}

// --- Dragging the tile by its strips ---------------------------------------------------------

bool CVideoPlayer::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != caption_ && watched != status_) {
        return QWidget::eventFilter(watched, event);
    }
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton) {
            return false;
        }
        BeginTileDrag(mouse->globalPosition().toPoint());
        return true;
    }
    case QEvent::MouseMove:
        if (!tileDrag_) {
            return false;
        }
        FollowPointer(static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
        return true;
    case QEvent::MouseButtonRelease: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (!tileDrag_ || mouse->button() != Qt::LeftButton) {
            return false;
        }
        EndTileDrag(mouse->globalPosition().toPoint());
        return true;
    }
    default:
        return false;
    }
}

void CVideoPlayer::BeginTileDrag(const QPoint& screenPoint)
{
    tileDrag_ = true;
    grabOffset_ = screenPoint - mapToGlobal(QPoint(0, 0));
    dragStartGeometry_ = geometry();
    raise();
    QGuiApplication::setOverrideCursor(Qt::PointingHandCursor);
}

void CVideoPlayer::FollowPointer(const QPoint& screenPoint)
{
    const QPoint inParent = parentWidget() != nullptr ? parentWidget()->mapFromGlobal(screenPoint) : screenPoint;
    move(inParent - grabOffset_);
}

void CVideoPlayer::EndTileDrag(const QPoint& screenPoint)
{
    tileDrag_ = false;
    QGuiApplication::restoreOverrideCursor();
    HandlerGuard::Run(HandlerGuard::Text(VideoPlayerTexts::StripButtonUpFailed), [&] {
        const QPoint gridPoint = parentWidget() != nullptr ? parentWidget()->mapFromGlobal(screenPoint) : screenPoint;
        if (grid_ != nullptr) {
            grid_->PlayerDropped(this, gridPoint);
        } else {
            // No grid to take it: the tile goes back where it was.
            setGeometry(dragStartGeometry_);
        }
    });
}

void CVideoPlayer::RefreshWatermarkBadge()
{
    caption_->SetWatermarkBadge(facade_ ? WatermarkBadge::Of(*facade_, video_) : WatermarkBadge{});
}
