#pragma once

#include <QCache>
#include <QPixmap>
#include <QtGlobal>

class COSMCtrlTileCache;

// Decoded tiles kept in memory by zoom, column and row, so that a repaint draws what an earlier
// paint decoded. A tile not held here is read with the cache's LoadTile, which also queues a
// missing tile for download; bytes that do not decode are remembered as such.
// GUI thread only (pixmaps).
class COSMCtrlTileImages {
public:
    // About 32 MB of 256 x 256 tiles: more than two screens' worth.
    static constexpr int kDefaultCapacity = 128;

    explicit COSMCtrlTileImages(int capacity = kDefaultCapacity);

    // A decoded tile and its picture at the cell size it was last drawn at, so that repaints at
    // a fractional zoom blit as well.
    struct Entry {
        QPixmap tile;
        QPixmap scaled;
    };

    // The tile, or null when the cache cannot supply it or it does not decode. The pointer
    // stays valid until the next call (a later tile may push it out).
    Entry* Tile(COSMCtrlTileCache& cache, int zoom, int x, int y);
    bool Holds(int zoom, int x, int y) const;
    void Clear();
    int Count() const { return images_.count(); }

    static quint64 Key(int zoom, int x, int y);

private:
    QCache<quint64, Entry> images_;
};
