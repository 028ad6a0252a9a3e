#pragma once

#include "map/COSMCtrlView.h"

#include <QFont>
#include <QPixmap>
#include <QString>
#include <array>
#include <vector>

class COSMCtrlTileCache;
class COSMCtrlTileImages;
class QPainter;

// Draws the tile grid: each cell's tile scaled into it, or the placeholder (black, white top
// and left edges, grey bottom and right edges, the missing-tile text in white, centred). The
// painter carries the map's rotation. Placeholders are drawn once per size and text, then blitted.
class COSMCtrlTilePainter {
public:
    static constexpr int kEdgeGrey = 128;

    // The system message font (12 pixels at 96 dpi), scaled to the screen's vertical resolution.
    static QFont MessageFont(int dpiY);

    void SetFont(const QFont& font);
    void Draw(QPainter& painter, const std::vector<COSMCtrlView::Cell>& cells, int wholeZoom, COSMCtrlTileCache& cache,
              COSMCtrlTileImages& images, bool outlines, bool rotated);

    // Drawn with its edges; the text centred in it.
    static QPixmap Placeholder(const QSize& size, const QString& text, const QFont& font);
    static void DrawOutline(QPainter& painter, const QRect& cell);

private:
    const QPixmap& CachedPlaceholder(const QSize& size, const QString& text);

    struct Held {
        QSize size;
        QString text;
        QPixmap pixmap;
    };
    QFont font_;
    std::array<Held, 4> placeholders_;
    std::size_t nextPlaceholder_ = 0;
};
