#include "map/COSMCtrlTileImages.h"

#include "map/COSMCtrlTileCache.h"

#include <QImage>

COSMCtrlTileImages::COSMCtrlTileImages(int capacity)
    : images_(capacity)
{
}

quint64 COSMCtrlTileImages::Key(int zoom, int x, int y)
{
    // Columns and rows of level 18 need 18 bits each.
    return (quint64(quint32(zoom)) << 48) | (quint64(quint32(x) & 0xFFFFFF) << 24) | quint64(quint32(y) & 0xFFFFFF);
}

bool COSMCtrlTileImages::Holds(int zoom, int x, int y) const
{
    return images_.contains(Key(zoom, x, y));
}

void COSMCtrlTileImages::Clear()
{
    images_.clear();
}

COSMCtrlTileImages::Entry* COSMCtrlTileImages::Tile(COSMCtrlTileCache& cache, int zoom, int x, int y)
{
    const quint64 key = Key(zoom, x, y);
    if (Entry* held = images_.object(key)) {
        return held->tile.isNull() ? nullptr : held;
    }
    const std::optional<QByteArray> bytes = cache.LoadTile(zoom, x, y);
    if (!bytes) {
        // Not cached yet: asked for again at the next paint, when it may have arrived.
        return nullptr;
    }
    QImage image;
    image.loadFromData(*bytes);
    auto* entry = new Entry;
    if (!image.isNull()) {
        entry->tile = QPixmap::fromImage(std::move(image));
    }
    images_.insert(key, entry);
    return entry->tile.isNull() ? nullptr : entry;
}
