#include "map/COSMCtrl.h"

#include "events/IPlomeraViewEvents.h"
#include "logging/HandlerGuard.h"
#include "map/COSMCtrlCorner.h"
#include "map/COSMCtrlProjection.h"
#include "map/COSMCtrlStrings.h"
#include "map/COSMCtrlTileCache.h"
#include "map/COSMCtrlTileLayout.h"
#include "map/COSMCtrlZoomBar.h"

#include <QApplication>
#include <QDesktopServices>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QSlider>
#include <QTimerEvent>
#include <QToolTip>
#include <QUrl>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace {

double ClampZoom(double zoom)
{
    return std::clamp(zoom, double(COSMCtrlProjection::kMinZoom), double(COSMCtrlProjection::kMaxZoom));
}

} // namespace

COSMCtrl::COSMCtrl(QWidget* parent)
    : QWidget(parent)
{
    // Every pixel is painted by the tiles or their placeholders.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
}

COSMCtrl::~COSMCtrl()
{
    // The worker stops before anything it could call back into goes away.
    cache_.reset();
}

bool COSMCtrl::Create(const QString& caption, Qt::WindowFlags style, const QRect& rect, QWidget* parent, int id,
                      const QString& cachePath)
{
    return HandlerGuard::Run(HandlerGuard::Text(COSMCtrlStrings::kCreateFailed), [&] {
        if (parent != nullptr || style != Qt::WindowFlags()) {
            setParent(parent, style);
        }
        setWindowTitle(caption);
        setGeometry(rect);
        id_ = id;
        // Tool tips come through event(): the markers' and polylines' texts.
        setAttribute(Qt::WA_AlwaysShowToolTips);
        QMetaObject::invokeMethod(this, &COSMCtrl::OnCreateChildControls, Qt::QueuedConnection);

        auto cache = std::make_unique<COSMCtrlTileCache>(false);
        cache->SetTileProvider(tileProvider_);
        cache->SetCurrentZoom(zoom_);
        cache->OpenCache(cachePath);
        cachePath_ = cachePath;
        markers_.clear();
        polylines_.clear();
        icons_.clear();
        cache->SetInsertErrorHandler([this](const QString& text, const QString&) {
            // Worker thread: the box is shown by the GUI thread. The control outlives the
            // worker (its destructor stops it first), so the queued call finds it.
            QMetaObject::invokeMethod(this, [this, text] { ShowInsertError(text); }, Qt::QueuedConnection);
        });
        cache->StartWorker();
        cache_ = std::move(cache);
        refreshTimerId_ = startTimer(kRefreshMs);
        created_ = true;
        PlaceChildControls();
    });
}

void COSMCtrl::OnCreateChildControls()
{
    HandlerGuard::Run(HandlerGuard::Text(COSMCtrlStrings::kCreateChildControlsFailed), [&] {
        UpdateZoomSlider();
        UpdateAttributionLink();
        PlaceChildControls();
    });
}

void COSMCtrl::UpdateZoomSlider()
{
    const bool wanted = created_ && drawZoomBar_ && zoomBarAsSlider_;
    if (!wanted) {
        delete zoomSlider_;
        zoomSlider_ = nullptr;
        return;
    }
    if (zoomSlider_ == nullptr) {
        zoomSlider_ = new QSlider(Qt::Vertical, this);
        zoomSlider_->setRange(0, COSMCtrlZoomBar::kSliderMaximum);
        // Position 0, zoom 18, at the top; the keys move the same way.
        zoomSlider_->setInvertedAppearance(true);
        zoomSlider_->setInvertedControls(true);
        zoomSlider_->setSingleStep(10);
        zoomSlider_->setPageStep(30);
        zoomSlider_->setTickPosition(QSlider::TicksBothSides);
        zoomSlider_->setTickInterval(10);
        // The keys belong to the map.
        zoomSlider_->setFocusPolicy(Qt::NoFocus);
        zoomSlider_->setValue(COSMCtrlZoomBar::SliderPosition(zoom_));
        connect(zoomSlider_, &QSlider::actionTriggered, this, &COSMCtrl::OnVScroll);
        // A thumb let go is the "thumb position" notification.
        connect(zoomSlider_, &QSlider::sliderReleased, this, [this] { OnVScroll(-1); });
        zoomSlider_->show();
    }
}

void COSMCtrl::UpdateAttributionLink()
{
    if (!(created_ && showAttribution_)) {
        delete attributionLink_;
        attributionLink_ = nullptr;
        return;
    }
    if (attributionLink_ == nullptr) {
        attributionLink_ = new QLabel(this);
        attributionLink_->setTextFormat(Qt::RichText);
        attributionLink_->setText(QString::fromUtf8(COSMCtrlStrings::kAttribution110));
        attributionLink_->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
        attributionLink_->setOpenExternalLinks(false);
        attributionLink_->setAutoFillBackground(true);
        QPalette palette = attributionLink_->palette();
        palette.setColor(QPalette::Window, QColor(255, 255, 255, 200));
        attributionLink_->setPalette(palette);
        attributionLink_->setContentsMargins(3, 1, 3, 1);
        connect(attributionLink_, &QLabel::linkActivated, this,
                [](const QString& link) { QDesktopServices::openUrl(QUrl(link)); });
        attributionLink_->adjustSize();
        attributionLink_->show();
    }
}

void COSMCtrl::PlaceChildControls()
{
    zoomBarRect_ = COSMCtrlZoomBar::BarRect(size(), zoomBarCorner_, zoomBarDx_, zoomBarDy_);
    const bool drawnBar = drawZoomBar_ && !zoomBarAsSlider_;
    zoomInRect_ = drawnBar ? COSMCtrlZoomBar::ZoomInButton(zoomBarRect_) : QRect();
    zoomOutRect_ = drawnBar ? COSMCtrlZoomBar::ZoomOutButton(zoomBarRect_) : QRect();
    if (!drawZoomBar_) {
        zoomBarRect_ = QRect();
    }
    if (zoomSlider_ != nullptr) {
        zoomSlider_->setGeometry(zoomBarRect_);
    }
    if (attributionLink_ != nullptr) {
        attributionLink_->setGeometry(COSMCtrlCorner::Place(size(), attributionCorner_, attributionDx_, attributionDy_,
                                                            attributionLink_->sizeHint()));
    }
}

COSMCtrlView COSMCtrl::View() const
{
    return COSMCtrlView(centre_, zoom_, rotation_, QSizeF(size()));
}

std::optional<COSMCtrlPosition> COSMCtrl::PositionFromPoint(const QPoint& point) const
{
    // The middle of the pixel.
    return View().PositionFromPoint(QPointF(point) + QPointF(0.5, 0.5));
}

bool COSMCtrl::SetZoom(double zoom)
{
    return SetCenterAndZoom(zoom, rotation_, centre_);
}

bool COSMCtrl::SetCenter(const COSMCtrlPosition& position)
{
    return SetCenterAndZoom(zoom_, rotation_, position);
}

bool COSMCtrl::SetCenterAndZoom(double zoom, double rotation, const COSMCtrlPosition& position)
{
    COSMCtrlPosition centre = position;
    if (!COSMCtrlView::Normalise(zoom, rotation, centre)) {
        return false;
    }
    const bool changed = zoom != zoom_ || rotation != rotation_ || centre.longitude != centre_.longitude
                         || centre.latitude != centre_.latitude;
    if (changed) {
        zoom_ = zoom;
        rotation_ = rotation;
        centre_ = centre;
        if (cache_) {
            cache_->SetCurrentZoom(zoom_);
        }
        update();
        if (zoomSlider_ != nullptr) {
            zoomSlider_->setValue(COSMCtrlZoomBar::SliderPosition(zoom_));
        }
        emit ViewChanged();
    }
    return true;
}

void COSMCtrl::SetTileProvider(IOSMCtrlTileProvider* provider)
{
    tileProvider_ = provider;
    if (cache_) {
        cache_->SetTileProvider(provider);
        tileImages_.Clear();
        update();
    }
}

void COSMCtrl::SetTileRequestsEnabled(bool enabled)
{
    if (enabled != tileRequests_) {
        tileRequests_ = enabled;
        if (enabled) {
            RequestTiles();
        }
        update();
    }
}

void COSMCtrl::SetDrawTileOutlines(bool draw)
{
    if (draw != drawTileOutlines_) {
        drawTileOutlines_ = draw;
        update();
    }
}

void COSMCtrl::SetDrawZoomBar(bool draw)
{
    if (draw != drawZoomBar_) {
        drawZoomBar_ = draw;
        UpdateZoomSlider();
        PlaceChildControls();
        update();
    }
}

void COSMCtrl::SetZoomBarPosition(int corner, int dx, int dy)
{
    if (corner != zoomBarCorner_ || dx != zoomBarDx_ || dy != zoomBarDy_) {
        zoomBarCorner_ = corner;
        zoomBarDx_ = dx;
        zoomBarDy_ = dy;
        PlaceChildControls();
        update();
    }
}

void COSMCtrl::SetDrawScaleBar(bool draw)
{
    if (draw != drawScaleBar_) {
        drawScaleBar_ = draw;
        update();
    }
}

void COSMCtrl::SetScaleBarPosition(int corner, int dx, int dy)
{
    if (corner != scaleBarCorner_ || dx != scaleBarDx_ || dy != scaleBarDy_) {
        scaleBarCorner_ = corner;
        scaleBarDx_ = dx;
        scaleBarDy_ = dy;
        update();
    }
}

void COSMCtrl::SetAllowDrag(bool allow)
{
    if (allow != allowDrag_) {
        allowDrag_ = allow;
        update();
    }
}

void COSMCtrl::SetAllowKeyboard(bool allow)
{
    if (allow != allowKeyboard_) {
        allowKeyboard_ = allow;
        update();
    }
}

void COSMCtrl::SetAllowMouseZoom(bool allow)
{
    if (allow != allowWheelZoom_) {
        allowWheelZoom_ = allow;
        update();
    }
}

void COSMCtrl::SetDoNotSortTiles(bool doNotSort)
{
    if (doNotSort != doNotSortTiles_) {
        doNotSortTiles_ = doNotSort;
        update();
    }
}

void COSMCtrl::SetExtraTiles(int extra)
{
    // Beyond a few screens nothing is gained, and the layout would grow without bound.
    extra = std::clamp(extra, 0, kMaxExtraTiles);
    if (extra != extraTiles_) {
        extraTiles_ = extra;
        update();
    }
}

void COSMCtrl::SetDrawZoomBarAsSlider(bool slider)
{
    if (slider != zoomBarAsSlider_) {
        zoomBarAsSlider_ = slider;
        UpdateZoomSlider();
        PlaceChildControls();
        update();
    }
}

void COSMCtrl::SetDrawCenterCrossHairs(bool draw)
{
    if (draw != drawCrossHairs_) {
        drawCrossHairs_ = draw;
        update();
    }
}

void COSMCtrl::SetShowAttribution(bool show)
{
    if (show != showAttribution_) {
        showAttribution_ = show;
        UpdateAttributionLink();
        PlaceChildControls();
        update();
    }
}

void COSMCtrl::SetAttributionPosition(int corner, int dx, int dy)
{
    if (corner != attributionCorner_ || dx != attributionDx_ || dy != attributionDy_) {
        attributionCorner_ = corner;
        attributionDx_ = dx;
        attributionDy_ = dy;
        PlaceChildControls();
        update();
    }
}

void COSMCtrl::SetDistanceUnits(int units)
{
    if (units != distanceUnits_) {
        distanceUnits_ = units;
        update();
    }
}

int COSMCtrl::AddIcon(COSMCtrlIcon* icon)
{
    ++overlayVersion_;
    icons_.push_back(icon);
    update();
    return int(icons_.size()) - 1;
}

int COSMCtrl::AddMarker(const COSMCtrlMarker& marker)
{
    ++overlayVersion_;
    markers_.push_back(marker);
    update();
    return int(markers_.size()) - 1;
}

int COSMCtrl::AddPolyline(const COSMCtrlPolyline& polyline)
{
    ++overlayVersion_;
    polylines_.push_back(polyline);
    update();
    return int(polylines_.size()) - 1;
}

void COSMCtrl::RemoveAllMarkers()
{
    ++overlayVersion_;
    markers_.clear();
    update();
}

void COSMCtrl::RemoveAllPolylines()
{
    ++overlayVersion_;
    polylines_.clear();
    update();
}

namespace {

// The span of the finite positions added to it.
class Bounds {
public:
    void Add(const COSMCtrlPosition& p)
    {
        if (!std::isfinite(p.longitude) || !std::isfinite(p.latitude)) {
            return;
        }
        west_ = any_ ? std::min(west_, p.longitude) : p.longitude;
        east_ = any_ ? std::max(east_, p.longitude) : p.longitude;
        south_ = any_ ? std::min(south_, p.latitude) : p.latitude;
        north_ = any_ ? std::max(north_, p.latitude) : p.latitude;
        any_ = true;
    }
    QRectF Rect() const { return any_ ? QRectF(QPointF(west_, south_), QPointF(east_, north_)) : QRectF(); }

private:
    bool any_ = false;
    double west_ = 0.0;
    double east_ = 0.0;
    double south_ = 0.0;
    double north_ = 0.0;
};

} // namespace

QRectF COSMCtrl::GetBoundingNodeRect(std::size_t polyline) const
{
    Bounds bounds;
    HandlerGuard::Run(HandlerGuard::Text(COSMCtrlStrings::kBoundingNodeRectFailed), [&] {
        for (const COSMCtrlNode& node : polylines_.at(polyline).nodes) {
            bounds.Add(node.position);
        }
    });
    return bounds.Rect();
}

QRectF COSMCtrl::GetBoundingRect() const
{
    Bounds bounds;
    HandlerGuard::Run(HandlerGuard::Text(COSMCtrlStrings::kBoundingRectFailed), [&] {
        for (const COSMCtrlMarker& marker : markers_) {
            bounds.Add(marker.position);
        }
        for (const COSMCtrlPolyline& polyline : polylines_) {
            for (const COSMCtrlNode& node : polyline.nodes) {
                bounds.Add(node.position);
            }
        }
    });
    return bounds.Rect();
}

void COSMCtrl::RequestTiles()
{
    if (!cache_) {
        return;
    }
    layoutItems_ = View().Layout(extraTiles_, doNotSortTiles_);
    cache_->RequestTiles(layoutItems_);
}

COSMCtrl::Hit COSMCtrl::HitTest(const QPoint& point) const
{
    if (zoomInRect_.contains(point)) {
        return Hit::ZoomIn;
    }
    if (zoomOutRect_.contains(point)) {
        return Hit::ZoomOut;
    }
    if (drawZoomBar_ && !zoomBarAsSlider_ && zoomBarRect_.contains(point)) {
        return Hit::ZoomBar;
    }
    // A press on a polyline drags the map like a press anywhere else: the editing modes that
    // would select it are not part of this program.
    return rect().contains(point) ? Hit::Map : Hit::None;
}

bool COSMCtrl::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const std::optional<QString> text = ToolTipAt(help->pos());
        if (text) {
            QToolTip::showText(help->globalPos(), *text, this);
        } else {
            QToolTip::hideText();
            event->ignore();
        }
        return true;
    }
    return QWidget::event(event);
}

std::optional<QString> COSMCtrl::ToolTipAt(const QPoint& point) const
{
    const COSMCtrlView view = View();
    for (std::size_t index : COSMCtrlOverlayPainter::DrawnMarkers(markers_.size())) {
        const COSMCtrlMarker& marker = markers_[index];
        if (marker.toolTipText.isEmpty() || !marker.ShowsAt(zoom_)) {
            continue;
        }
        const std::optional<QPointF> at = view.PointFromPosition(marker.position);
        if (!at) {
            continue;
        }
        QRect area(QPoint(int(at->x()) - 4, int(at->y()) - 4), QSize(9, 9));
        if (marker.iconIndex >= 0 && std::size_t(marker.iconIndex) < icons_.size()) {
            COSMCtrlIcon* icon = icons_[std::size_t(marker.iconIndex)];
            area = QRect(COSMCtrlOverlayPainter::IconOrigin(*at, *icon), icon->Bitmap().size());
        }
        if (area.contains(point)) {
            return marker.toolTipText;
        }
    }
    for (const COSMCtrlPolyline& polyline : polylines_) {
        if (polyline.toolTipText.isEmpty() || polyline.nodes.size() < 2 || !polyline.ShowsAt(zoom_)) {
            continue;
        }
        const double reach = std::max(polyline.nodeSize, polyline.lineWidth) / 2.0 + 2.0;
        for (const COSMCtrlNode& node : polyline.nodes) {
            const std::optional<QPointF> at = view.PointFromPosition(node.position);
            if (at && std::hypot(at->x() - point.x(), at->y() - point.y()) <= reach) {
                return polyline.toolTipText;
            }
        }
    }
    return std::nullopt;
}

void COSMCtrl::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    HandlerGuard::Run(HandlerGuard::Text(COSMCtrlStrings::kDraw2DFailed), [&] {
        tilePainter_.SetFont(COSMCtrlTilePainter::MessageFont(logicalDpiY()));
        Draw(painter);
    });
}

void COSMCtrl::Draw(QPainter& painter)
{
    HandlerGuard::Run(HandlerGuard::Text(COSMCtrlStrings::kDrawFailed), [&] {
        const COSMCtrlView view = View();
        const bool rotated = rotation_ != 0.0 && rotation_ != 360.0;
        view.Cells(cells_);
        if (!cache_) {
            painter.fillRect(rect(), Qt::black);
            return;
        }
        // 1-3: the tiles, turned about the client centre.
        if (rotated) {
            painter.save();
            painter.translate(view.ClientCentre());
            painter.rotate(-rotation_);
            painter.translate(-view.ClientCentre());
        }
        tilePainter_.Draw(painter, cells_, view.WholeZoom(), *cache_, tileImages_, drawTileOutlines_, rotated);
        if (rotated) {
            painter.restore();
        }
        // 4-6: cross-hairs, polylines, markers.
        if (drawCrossHairs_) {
            DrawCrossHairs(painter);
        }
        const COSMCtrlOverlayPainter::LayerKey key{
            centre_.longitude, centre_.latitude, zoom_, rotation_, size(), devicePixelRatioF(), overlayVersion_};
        overlayPainter_.Draw(painter, view, key, polylines_, markers_, icons_);
        // 7: the bars. The slider and the attribution link paint themselves.
        if (drawZoomBar_ && !zoomBarAsSlider_) {
            zoomBarPainter_.Draw(painter, zoomBarRect_, zoom_);
        }
        if (drawScaleBar_) {
            DrawScaleBar(painter);
        }
    });
}

void COSMCtrl::DrawCrossHairs(QPainter& painter) const
{
    const QPoint c(width() / 2, height() / 2);
    painter.setPen(QPen(Qt::black, 1));
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.drawLine(c.x(), c.y() - 2, c.x(), c.y() - 10);
    painter.drawLine(c.x(), c.y() + 2, c.x(), c.y() + 10);
    painter.drawLine(c.x() - 2, c.y(), c.x() - 10, c.y());
    painter.drawLine(c.x() + 2, c.y(), c.x() + 10, c.y());
}

void COSMCtrl::DrawScaleBar(QPainter& painter)
{
    const bool imperial = COSMCtrlScaleBar::UseImperial(distanceUnits_, QLocale::system().measurementSystem());
    if (centre_.longitude != scaleBarInputs_.longitude || centre_.latitude != scaleBarInputs_.latitude
        || zoom_ != scaleBarInputs_.zoom || imperial != scaleBarInputs_.imperial) {
        scaleBarInputs_ = {centre_.longitude, centre_.latitude, zoom_, imperial};
        scaleBar_ = COSMCtrlScaleBar::Compute(centre_, zoom_, imperial);
    }
    if (scaleBar_) {
        scaleBarPainter_.SetFont(COSMCtrlTilePainter::MessageFont(logicalDpiY()));
        scaleBarPainter_.Draw(painter, *scaleBar_, size(), scaleBarCorner_, scaleBarDx_, scaleBarDy_);
    }
}

void COSMCtrl::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    HandlerGuard::Run(HandlerGuard::Text(COSMCtrlStrings::kLButtonDownFailed), [&] {
        setCursor(Qt::PointingHandCursor);
        const QPoint point = event->position().toPoint();
        switch (HitTest(point)) {
        case Hit::ZoomIn:
            ZoomByButton(1.0);
            break;
        case Hit::ZoomOut:
            ZoomByButton(-1.0);
            break;
        case Hit::ZoomBar:
            dragState_ = DragState::ZoomBar;
            SetZoom(COSMCtrlZoomBar::ZoomFromBarPress(zoomBarRect_, point.y()));
            break;
        case Hit::Map:
            if (allowDrag_) {
                StartDrag(point);
            }
            break;
        case Hit::None:
            break;
        }
    });
}

void COSMCtrl::ZoomByButton(double delta)
{
    SetZoom(ClampZoom(zoom_ + delta));
    if (cache_) {
        cache_->ClearDownloads();
    }
}

void COSMCtrl::StartDrag(const QPoint& point)
{
    HandlerGuard::Run(HandlerGuard::Text(COSMCtrlStrings::kStartDragFailed), [&] {
        dragState_ = DragState::Map;
        lastPoint_ = point;
        if (cache_) {
            cache_->ClearDownloads();
        }
    });
}

void COSMCtrl::mouseMoveEvent(QMouseEvent* event)
{
    HandlerGuard::Run(HandlerGuard::Text(COSMCtrlStrings::kMouseMoveFailed), [&] {
        const QPoint point = event->position().toPoint();
        if (dragState_ == DragState::Map) {
            if (cache_) {
                cache_->ClearDownloads();
            }
            const QPointF delta = QPointF(point - lastPoint_);
            lastPoint_ = point;
            if (SetCenter(View().CentreAfterDrag(delta))) {
                repaint();  // at once, so the map follows the pointer
            }
        } else if (dragState_ == DragState::ZoomBar) {
            SetZoom(COSMCtrlZoomBar::ZoomFromBarDrag(zoomBarRect_, point.y()));
        }
    });
}

void COSMCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    HandlerGuard::Run(HandlerGuard::Text(COSMCtrlStrings::kLButtonUpFailed), [&] {
        dragState_ = DragState::None;
        setCursor(waitCursor_ ? Qt::WaitCursor : Qt::ArrowCursor);
    });
}

void COSMCtrl::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseDoubleClickEvent(event);
        return;
    }
    HandlerGuard::Run(HandlerGuard::Text(COSMCtrlStrings::kLButtonDblClkFailed), [&] {
        const QPoint point = event->position().toPoint();
        if (HitTest(point) == Hit::Map) {
            HandleLButtonDblClickMap(point);
        }
    });
}

void COSMCtrl::HandleLButtonDblClickMap(const QPoint& point)
{
    HandlerGuard::Run(HandlerGuard::Text(COSMCtrlStrings::kDblClickMapFailed), [&] {
        const std::optional<COSMCtrlPosition> position = PositionFromPoint(point);
        if (!position) {
            return;
        }
        IPlomeraViewEvents* events = viewEvents_ ? viewEvents_() : nullptr;
        if (events != nullptr) {
            events->SeekToMapPoint(position->latitude, position->longitude);
        }
    });
}

void COSMCtrl::wheelEvent(QWheelEvent* event)
{
    HandlerGuard::Run(HandlerGuard::Text(COSMCtrlStrings::kMouseWheelFailed), [&] {
        if (!allowWheelZoom_) {
            event->ignore();
            return;
        }
        // A touchpad sends small steps: they add up to whole notches.
        wheelRemainder_ += event->angleDelta().y();
        // The middle of the pixel under the pointer, as PositionFromPoint reads it.
        const QPointF point = event->position() + QPointF(0.5, 0.5);
        while (std::abs(wheelRemainder_) >= kWheelNotch) {
            const double step = wheelRemainder_ > 0 ? 1.0 : -1.0;
            wheelRemainder_ -= wheelRemainder_ > 0 ? kWheelNotch : -kWheelNotch;
            const double newZoom = ClampZoom(zoom_ + step);
            if (rect().contains(point.toPoint())) {
                ZoomKeeping(point, newZoom);
            } else {
                SetZoom(newZoom);
            }
        }
        event->accept();
    });
}

void COSMCtrl::ZoomKeeping(const QPointF& point, double newZoom)
{
    if (newZoom == zoom_) {
        return;
    }
    SetCenterAndZoom(newZoom, rotation_, View().CentreKeeping(point, newZoom));
}

void COSMCtrl::keyPressEvent(QKeyEvent* event)
{
    if (!allowKeyboard_) {
        QWidget::keyPressEvent(event);
        return;
    }
    bool handled = false;
    HandlerGuard::Run(HandlerGuard::Text(COSMCtrlStrings::kKeyDownFailed),
                      [&] { handled = OnKeyDown(event->key(), event->modifiers()); });
    if (!handled) {
        HandlerGuard::Run(HandlerGuard::Text(COSMCtrlStrings::kCharFailed), [&] { handled = OnChar(event->text()); });
    }
    if (!handled) {
        QWidget::keyPressEvent(event);
    }
}

bool COSMCtrl::OnKeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    const bool control = modifiers.testFlag(Qt::ControlModifier);
    const double page = COSMCtrlTileLayout::TileSize(zoom_);
    const double step = panStep_;
    switch (key) {
    case Qt::Key_Up:
        PanBy(QPointF(0.0, -(control ? page : step)));
        return true;
    case Qt::Key_Down:
        PanBy(QPointF(0.0, control ? page : step));
        return true;
    case Qt::Key_Left:
        PanBy(QPointF(-(control ? page : step), 0.0));
        return true;
    case Qt::Key_Right:
        PanBy(QPointF(control ? page : step, 0.0));
        return true;
    case Qt::Key_PageUp:
        PanBy(QPointF(0.0, -page));
        return true;
    case Qt::Key_PageDown:
        PanBy(QPointF(0.0, page));
        return true;
    case Qt::Key_Backspace:
        PanBy(QPointF(-page, 0.0));
        return true;
    case Qt::Key_End:
        PanBy(QPointF(page, 0.0));
        return true;
    case Qt::Key_F5:
        if (tileRequests_) {
            RequestTiles();
        }
        update();
        return true;
    default:
        return false;
    }
}

bool COSMCtrl::OnChar(const QString& text)
{
    if (text == QLatin1String("+")) {
        SetZoom(std::min(zoom_ + 1.0, double(COSMCtrlProjection::kMaxZoom)));
        return true;
    }
    if (text == QLatin1String("-")) {
        SetZoom(std::max(zoom_ - 1.0, double(COSMCtrlProjection::kMinZoom)));
        return true;
    }
    return false;
}

void COSMCtrl::PanBy(const QPointF& clientOffset)
{
    // The new centre is the position drawn that far from the client centre.
    const COSMCtrlView view = View();
    const std::optional<COSMCtrlPosition> target = view.PositionFromPoint(view.ClientCentre() + clientOffset);
    if (target) {
        COSMCtrlPosition centre = centre_;
        centre.longitude = target->longitude;
        centre.latitude = target->latitude;
        SetCenter(centre);
    }
}

void COSMCtrl::OnVScroll(int action)
{
    HandlerGuard::Run(HandlerGuard::Text(COSMCtrlStrings::kVScrollFailed), [&] {
        if (zoomSlider_ == nullptr) {
            return;
        }
        const int position = zoomSlider_->sliderPosition();
        switch (action) {
        case QAbstractSlider::SliderSingleStepSub:  // line up, towards zoom 18
            SetZoom(std::min(zoom_ + 1.0, double(COSMCtrlProjection::kMaxZoom)));
            break;
        case QAbstractSlider::SliderSingleStepAdd:  // line down
            SetZoom(std::max(zoom_ - 1.0, double(COSMCtrlProjection::kMinZoom)));
            break;
        case QAbstractSlider::SliderToMinimum:  // top
            SetZoom(COSMCtrlProjection::kMaxZoom);
            break;
        case QAbstractSlider::SliderToMaximum:  // bottom
            SetZoom(COSMCtrlProjection::kMinZoom);
            break;
        default:  // thumb track and position, page moves: where the slider now stands
            SetZoom(COSMCtrlZoomBar::ZoomFromSliderPosition(position));
            break;
        }
        // The slider shows the zoom, also when the zoom could not follow it.
        zoomSlider_->setSliderPosition(COSMCtrlZoomBar::SliderPosition(zoom_));
    });
}

void COSMCtrl::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != refreshTimerId_) {
        QWidget::timerEvent(event);
        return;
    }
    OnTimer();
}

void COSMCtrl::OnTimer()
{
    if (!cache_) {
        return;
    }
    if (tileRequests_) {
        RequestTiles();
        update();
    }
    // The wait cursor while the worker downloads; read here, on the GUI thread.
    const bool downloading = cache_->IsDownloading();
    if (downloading != waitCursor_) {
        waitCursor_ = downloading;
        if (dragState_ == DragState::None) {
            setCursor(downloading ? Qt::WaitCursor : Qt::ArrowCursor);
        }
    }
}

void COSMCtrl::resizeEvent(QResizeEvent* event)
{
    HandlerGuard::Run(HandlerGuard::Text(COSMCtrlStrings::kSizeFailed), [&] { PlaceChildControls(); });
    QWidget::resizeEvent(event);
}

void COSMCtrl::ShowInsertError(const QString& text)
{
    // Once per control: a cache that refuses writes would otherwise raise a box per tile.
    if (insertErrorShown_) {
        return;
    }
    insertErrorShown_ = true;
    auto* box = new QMessageBox(QMessageBox::Warning, QApplication::applicationDisplayName(), text, QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}
