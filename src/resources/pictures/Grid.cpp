// Pictures of the tile grid: the empty cell, and one button picture per layout mode drawn from
// that mode's own cells, so the button always shows what the grid will build.
#include "Picture.h"

#include "viewer/CViewerCapabilities.h"

#include <utility>

namespace {

// A mode's cells as light panes with dark gaps on a rounded frame.
template <unsigned ModeIndex>
void DrawLayoutMode(QPainter& p, const QSize& size)
{
    const auto& mode = CViewerCapabilities::LayoutOf(ModeIndex);
    const QRectF frame(1, 1, size.width() - 2, size.height() - 2);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x2A, 0x2E, 0x33));
    p.drawRoundedRect(frame, 2, 2);
    const qreal cw = (frame.width() - 2) / mode.columns;
    const qreal rh = (frame.height() - 2) / mode.rows;
    p.setBrush(QColor(0xC8, 0xD2, 0xDC));
    for (int i = 0; i < mode.cellCount; ++i) {
        const auto& c = mode.cells[static_cast<size_t>(i)];
        const QRectF cell(frame.left() + 1 + c.column * cw, frame.top() + 1 + c.row * rh, c.columnSpan * cw,
                          c.rowSpan * rh);
        p.drawRect(cell.adjusted(0.6, 0.6, -0.6, -0.6));
    }
}

template <unsigned... Modes>
bool RegisterAll(std::integer_sequence<unsigned, Modes...>)
{
    return (Pictures::Register(CViewerCapabilities::LayoutOf(Modes).pictureId, 24, 20, &DrawLayoutMode<Modes>,
                               __FILE__) && ...);
}

[[maybe_unused]] const bool kLayoutPictures =
    RegisterAll(std::make_integer_sequence<unsigned, CViewerCapabilities::kModeCount>());

} // namespace

// An empty cell: a faint camera outline on dark grey, stretched over the cell.
PLOMERA_PICTURE(578, 64, 48)
{
    p.fillRect(QRectF(0, 0, size.width(), size.height()), QColor(0x14, 0x16, 0x18));
    QPen pen(QColor(0x3C, 0x42, 0x48), 2.0);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(20, 17, 18, 14), 2, 2);
    p.drawLine(QPointF(38, 22), QPointF(45, 18));
    p.drawLine(QPointF(45, 18), QPointF(45, 30));
    p.drawLine(QPointF(45, 30), QPointF(38, 26));
}
