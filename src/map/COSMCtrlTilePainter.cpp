#include "map/COSMCtrlTilePainter.h"

#include "map/COSMCtrlTileCache.h"
#include "map/COSMCtrlTileImages.h"

#include <QPainter>
#include <cmath>

namespace {

// Cells meet without gaps or overlaps when both edges are rounded the same way.
QRect DeviceRect(const QRectF& rect)
{
    const int left = int(std::lround(rect.left()));
    const int top = int(std::lround(rect.top()));
    const int right = int(std::lround(rect.left() + rect.width()));
    const int bottom = int(std::lround(rect.top() + rect.height()));
    return QRect(left, top, right - left, bottom - top);
}

} // namespace

QFont COSMCtrlTilePainter::MessageFont(int dpiY)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(std::max(1, int(std::lround(12.0 * dpiY / 96.0))));
    font.setWeight(QFont::Normal);
    return font;
}

void COSMCtrlTilePainter::SetFont(const QFont& font)
{
    if (font != font_) {
        font_ = font;
        for (Held& held : placeholders_) {
            held = Held();
        }
    }
}

void COSMCtrlTilePainter::DrawOutline(QPainter& painter, const QRect& cell)
{
    const int right = cell.left() + cell.width() - 1;
    const int bottom = cell.top() + cell.height() - 1;
    painter.setPen(Qt::white);
    painter.drawLine(cell.left(), cell.top(), right, cell.top());
    painter.drawLine(cell.left(), cell.top(), cell.left(), bottom);
    painter.setPen(QColor(kEdgeGrey, kEdgeGrey, kEdgeGrey));
    painter.drawLine(cell.left(), bottom, right, bottom);
    painter.drawLine(right, cell.top(), right, bottom);
}

QPixmap COSMCtrlTilePainter::Placeholder(const QSize& size, const QString& text, const QFont& font)
{
    QPixmap pixmap(size);
    pixmap.fill(Qt::black);
    QPainter painter(&pixmap);
    DrawOutline(painter, QRect(QPoint(0, 0), size));
    painter.setPen(Qt::white);
    painter.setFont(font);
    painter.drawText(QRect(QPoint(0, 0), size), Qt::AlignCenter, text);
    return pixmap;
}

const QPixmap& COSMCtrlTilePainter::CachedPlaceholder(const QSize& size, const QString& text)
{
    for (const Held& held : placeholders_) {
        if (held.size == size && held.text == text && !held.pixmap.isNull()) {
            return held.pixmap;
        }
    }
    Held& slot = placeholders_[nextPlaceholder_];
    nextPlaceholder_ = (nextPlaceholder_ + 1) % placeholders_.size();
    slot.size = size;
    slot.text = text;
    slot.pixmap = Placeholder(size, text, font_);
    return slot.pixmap;
}

void COSMCtrlTilePainter::Draw(QPainter& painter, const std::vector<COSMCtrlView::Cell>& cells, int wholeZoom,
                               COSMCtrlTileCache& cache, COSMCtrlTileImages& images, bool outlines, bool rotated)
{
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    const QString missing = cache.MissingTileText();
    for (const COSMCtrlView::Cell& cell : cells) {
        const QRect target = DeviceRect(cell.rect);
        COSMCtrlTileImages::Entry* entry = cell.onMap ? images.Tile(cache, wholeZoom, cell.column, cell.row) : nullptr;
        if (entry == nullptr) {
            const QPixmap& placeholder = CachedPlaceholder(target.size(), missing);
            if (rotated) {
                painter.drawPixmap(cell.rect, placeholder, QRectF(placeholder.rect()));
            } else {
                painter.drawPixmap(target.topLeft(), placeholder);
            }
            continue;
        }
        if (rotated) {
            painter.drawPixmap(cell.rect, entry->tile, QRectF(entry->tile.rect()));
        } else if (entry->tile.size() == target.size()) {
            painter.drawPixmap(target.topLeft(), entry->tile);  // a plain copy, the common case
        } else {
            // Scaled once per cell size; the repaints after it are copies.
            if (entry->scaled.size() != target.size()) {
                entry->scaled = entry->tile.scaled(target.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            }
            painter.drawPixmap(target.topLeft(), entry->scaled);
        }
        if (outlines) {
            DrawOutline(painter, target);
        }
    }
}
