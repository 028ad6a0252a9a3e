#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// One row of the cache with its tile bytes, as the listing reads it back.
struct structCachedTile {
    qint64 id = 0;
    int zoom = 0;
    int x = 0;
    int y = 0;
    qint64 type = 0;
    QString cacheTime;
    bool hasData = false;  // false for a Tiles row without its TilesData row
    QByteArray tile;
};
