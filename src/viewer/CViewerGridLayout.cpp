#include "viewer/CViewerGridLayout.h"

#include "controls/ResourceImage.h"
#include "events/IUIViewerGridEvents.h"
#include "logging/HandlerGuard.h"
#include "viewer/INavigatorDragSource.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QTimer>

namespace {

constexpr int kEmptyTilePicture = 578;
const QColor kCellFrame(64, 64, 64);
const QColor kBorderColour(64, 64, 64);

} // namespace

const QColor& CViewerGridLayout::SelectedStripColour()
{
    static const QColor colour(86, 150, 100);
    return colour;
}

const QColor& CViewerGridLayout::UnselectedStripColour()
{
    static const QColor colour(210, 210, 210);
    return colour;
}

CViewerGridLayout::CViewerGridLayout(QWidget* parent) : QWidget(parent)
{
    // The background is one blit of the cached picture: nothing to erase first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setAcceptDrops(true);
    model_.Build(CViewerCapabilities::Layout3x3);
}

CViewerGridLayout::~CViewerGridLayout() = default;

QSize CViewerGridLayout::ClientSize() const
{
    return QSize(std::max(0, width() - 2 * kBorder), std::max(0, height() - 2 * kBorder));
}

QRect CViewerGridLayout::PlayerRect(const structTileInfo& cell) const
{
    return model_.PlacementRect(cell, ClientSize(), PreserveAspectRatio()).translated(ClientOrigin());
}

void CViewerGridLayout::Place(CVideoPlayer* player, const structTileInfo& cell)
{
    // setGeometry neither raises nor activates the tile.
    player->setGeometry(PlayerRect(cell));
}

// --- The viewer's operations -----------------------------------------------------------------

void CViewerGridLayout::TilesDelete()
{
    HandlerGuard::Run(HandlerGuard::Text("Error in ViewerGridLayout TilesDelete(): %s"), [this] {
        for (const auto& cell : model_.GetCells()) {
            if (cell->player != nullptr) {
                cell->player->hide();
            }
        }
    });
}

void CViewerGridLayout::SetLayout(unsigned mode)
{
    TilesDelete();
    model_.Build(mode);
    // Step 4 of a layout change with the order just emptied: it places nothing; the viewer
    // places the players again.
    for (CVideoPlayer* player : model_.Reorder({})) {
        player->show();
    }
    backgroundDirty_ = true;
    Reposition();
    update();
}

void CViewerGridLayout::Tileset(int index, CVideoPlayer* player)
{
    model_.Tileset(index, player);
    if (player->parentWidget() != this) {
        player->setParent(this);
    }
    player->SetGrid(this);
    Place(player, *model_.CellAt(index));
    player->show();
}

void CViewerGridLayout::RemovePlayer(CVideoPlayer* player)
{
    model_.Remove(player);
    player->hide();
    if (selected_ == player) {
        // The viewer may destroy it now; a selection never outlives its tile.
        selected_ = nullptr;
    }
}

void CViewerGridLayout::Reposition()
{
    for (const auto& cell : model_.GetCells()) {
        if (cell->player != nullptr) {
            Place(cell->player, *cell);
        }
    }
}

void CViewerGridLayout::ReorderVideoPlayers(const ViewerGridModel::Players& ordered)
{
    HandlerGuard::Run(HandlerGuard::Text("Error in ViewerGridLayout ReorderVideoPlayers(): %s"), [&] {
        for (CVideoPlayer* player : model_.Reorder(ordered)) {
            player->show();
        }
        Reposition();
    });
}

void CViewerGridLayout::ShiftCameras(bool backward)
{
    model_.Rotate(backward);
    Reposition();
}

void CViewerGridLayout::SetPreserveAspectRatio(bool on)
{
    preserveAspectRatio_ = on ? 1 : 0;
    Reposition();
}

// --- Painting --------------------------------------------------------------------------------

void CViewerGridLayout::RebuildBackground()
{
    backgroundDirty_ = false;
    background_ = QPixmap(size().expandedTo(QSize(1, 1)));
    background_.fill(Qt::black);
    QPainter p(&background_);
    p.setPen(kBorderColour);
    p.drawRect(0, 0, width() - 1, height() - 1);
    static const ResourceImage emptyTile(kEmptyTilePicture);
    for (const auto& cell : model_.GetCells()) {
        const QRect r = model_.CellRect(*cell, ClientSize()).translated(ClientOrigin());
        if (r.isEmpty()) {
            continue;
        }
        // A one-pixel frame inside the cell's rectangle.
        p.setPen(kCellFrame);
        p.setBrush(Qt::NoBrush);
        p.drawRect(r.adjusted(0, 0, -1, -1));
        const QRect picture(r.left() + 5, r.top() + 5, r.width() - 7, r.height() - 7);
        if (!emptyTile.IsEmpty() && picture.width() > 0 && picture.height() > 0) {
            p.drawImage(picture, emptyTile.Image());
        }
    }
}

void CViewerGridLayout::paintEvent(QPaintEvent* event)
{
    if (backgroundDirty_ || background_.size() != size()) {
        RebuildBackground();
    }
    QPainter p(this);
    p.drawPixmap(event->rect(), background_, event->rect());
}

void CViewerGridLayout::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    backgroundDirty_ = true;
    Reposition();
}

// --- Pointer ---------------------------------------------------------------------------------

void CViewerGridLayout::mouseMoveEvent(QMouseEvent* event)
{
    if (coordinator_ != nullptr) {
        coordinator_->HandleMouseMoveInFullScreenMode(event->globalPosition().toPoint());
    }
    QWidget::mouseMoveEvent(event);
}

void CViewerGridLayout::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        NavigatorDrop(event->globalPosition().toPoint());
    }
    QWidget::mouseReleaseEvent(event);
}

void CViewerGridLayout::PlayerClicked(const QPoint& screenPoint)
{
    if (SingleTileMaximized()) {
        return;
    }
    const structTileInfo* cell = HitTest(mapFromGlobal(screenPoint) - ClientOrigin());
    // A click that finds no tile leaves the selection and its strips as they are.
    if (cell == nullptr || cell->player == nullptr) {
        return;
    }
    if (selected_ != nullptr) {
        selected_->SetStripColour(UnselectedStripColour());
    }
    selected_ = cell->player;
    selected_->SetStripColour(SelectedStripColour());
    if (coordinator_ != nullptr) {
        coordinator_->SelectVideoPlayer(selected_->GetVideo());
    }
}

void CViewerGridLayout::PlayerDoubleClicked(const QPoint& screenPoint)
{
    structTileInfo* cell = HitTest(mapFromGlobal(screenPoint) - ClientOrigin());
    if (coordinator_ != nullptr) {
        coordinator_->HandleSingleTileMaximized(cell);
    }
}

void CViewerGridLayout::PlayerDropped(CVideoPlayer* player, const QPoint& gridPoint)
{
    if (SingleTileMaximized()) {
        player->setGeometry(QRect(ClientOrigin(), ClientSize()));
        return;
    }
    structTileInfo* a = model_.FindCell(player);
    if (a == nullptr) {
        return;
    }
    structTileInfo* b = model_.DropTarget(gridPoint - ClientOrigin(), ClientSize());
    if (b == nullptr || b == a) {
        Place(player, *a);
        return;
    }
    model_.Swap(a, b);
    if (a->player != nullptr) {
        Place(a->player, *a);
    }
    // The dragged tile lands a moment after the other has left, as the eye follows it; by then
    // a layout change may have moved it, so its cell is looked up again.
    QTimer::singleShot(kSwapDelayMs, this, [this, moved = QPointer<CVideoPlayer>(b->player)] {
        if (moved.isNull()) {
            return;
        }
        if (const structTileInfo* cell = model_.FindCell(moved.data())) {
            Place(moved.data(), *cell);
        }
    });
}

// --- Navigator drop --------------------------------------------------------------------------

bool CViewerGridLayout::NavigatorDrop(const QPoint& screenPoint)
{
    return DropNavigatorItem(mapFromGlobal(screenPoint) - ClientOrigin());
}

bool CViewerGridLayout::DropNavigatorItem(const QPoint& clientPoint)
{
    if (dragSource_ == nullptr || !dragSource_->NavigatorDragInProgress()) {
        return false;
    }
    NavigatorItem item = dragSource_->NavigatorDragItem();
    dragSource_->EndNavigatorDrag();
    setCursor(Qt::ArrowCursor);
    structTileInfo* cell = HitTest(clientPoint);
    if (coordinator_ != nullptr) {
        if (item.kind == NavigatorItem::File) {
            coordinator_->PlaySelectedVideoFile(item.path);
        } else {
            coordinator_->OpenVideoPlayer(&item, cell);
        }
    }
    return true;
}

void CViewerGridLayout::dragEnterEvent(QDragEnterEvent* event)
{
    if (dragSource_ != nullptr && dragSource_->NavigatorDragInProgress()) {
        event->acceptProposedAction();
    }
}

void CViewerGridLayout::dragMoveEvent(QDragMoveEvent* event)
{
    if (dragSource_ != nullptr && dragSource_->NavigatorDragInProgress()) {
        event->acceptProposedAction();
    }
}

void CViewerGridLayout::dropEvent(QDropEvent* event)
{
    if (DropNavigatorItem(event->position().toPoint() - ClientOrigin())) {
        event->acceptProposedAction();
    }
}
