#include "viewer/CPtzPanel.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPainter>
#include <QPaintEvent>
#include <mutex>
#include <vector>

namespace {

// Posted by the surface on the port's thread when a frame arrives and none is pending.
const QEvent::Type kFrameArrived = static_cast<QEvent::Type>(QEvent::registerEventType());

const QColor kNoFrame(0, 0, 0);

} // namespace

CPtzPanel::CPtzPanel(QWidget* parent)
    : QWidget(parent),
      owned_(std::make_unique<TileSurface>([this] { QCoreApplication::postEvent(this, new QEvent(kFrameArrived)); })),
      surface_(owned_.get())
{
    // Every pixel shown is painted here; the tile takes the pointer.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}

CPtzPanel::~CPtzPanel()
{
    surface_->Drop();
}

void CPtzPanel::AbandonSurface()
{
    surface_->Drop();
    // Kept for the rest of the run: a port may still hold it.
    static std::mutex mutex;
    static std::vector<std::unique_ptr<TileSurface>> abandoned;
    std::lock_guard<std::mutex> lock(mutex);
    abandoned.push_back(std::move(owned_));
}

void CPtzPanel::SetView(const VideoPlayerZoom::View& view, const QRect& visible)
{
    view_ = view;
    visible_ = visible;
}

void CPtzPanel::SetNoPicture(bool on)
{
    noPicture_ = on;
    update();
}

void CPtzPanel::SetZoomRectangle(const std::optional<QRect>& rect)
{
    zoomRectangle_ = rect;
    update();
}

void CPtzPanel::SetFocusFrame(bool on)
{
    if (focusFrame_ != on) {
        focusFrame_ = on;
        update();
    }
}

bool CPtzPanel::event(QEvent* event)
{
    if (event->type() == kFrameArrived) {
        // The next frame may post again; Qt merges the repaints that pile up before the paint.
        surface_->Rearm();
        update(visible_.isEmpty() ? rect() : visible_);
        return true;
    }
    return QWidget::event(event);
}

void CPtzPanel::Take()
{
    if (!surface_->TakeNewest()) {
        return;
    }
    const QSize source = surface_->Shown().source;
    if (source != lastSource_) {
        lastSource_ = source;
        if (onSourceSize) {
            onSourceSize(source);
        }
    }
}

QImage CPtzPanel::HeldImage()
{
    Take();
    return surface_->Shown().image.copy();
}

const TileSurface::Frame& CPtzPanel::HeldFrame()
{
    Take();
    return surface_->Shown();
}

bool CPtzPanel::HeldFrameIsOneToOne() const
{
    const TileSurface::Frame& frame = surface_->Shown();
    return !frame.image.isNull() && frame.view == view_.source && frame.image.size() == view_.output;
}

void CPtzPanel::paintEvent(QPaintEvent* event)
{
    const int64_t start = TileSurface::NowNanos();
    Take();
    const TileSurface::Frame& frame = surface_->Shown();
    const QRect visible = visible_.isEmpty() ? rect() : visible_;
    QPainter p(this);
    if (noPicture_) {
        p.fillRect(event->rect(), QColor::fromRgba(kNoPictureColour));
    } else if (frame.image.isNull()) {
        p.fillRect(event->rect(), kNoFrame);
    } else if (HeldFrameIsOneToOne()) {
        p.drawImage(visible.topLeft(), frame.image);
    } else {
        // A frame of another view: where its part of the frame lies in this picture.
        const QRect part = frame.view.isEmpty() ? QRect(QPoint(), frame.source) : frame.view;
        const QRectF target = VideoPlayerZoom::Place(part, frame.source.isEmpty() ? frame.image.size() : frame.source, size());
        const QRegion uncovered = QRegion(event->rect()).subtracted(QRegion(target.toAlignedRect()));
        for (const QRect& r : uncovered) {
            p.fillRect(r, kNoFrame);
        }
        p.drawImage(target, frame.image);
    }
    if (zoomRectangle_) {
        p.setPen(QPen(QColor(255, 0, 0), 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(zoomRectangle_->normalized());
    }
    if (focusFrame_) {
        QPen pen(QColor(0xC0, 0xC0, 0xC0));
        pen.setStyle(Qt::DotLine);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawRect(visible.adjusted(1, 1, -2, -2));
    }
    p.end();
    if (onPainted) {
        onPainted(frame, start, TileSurface::NowNanos());
    }
}
