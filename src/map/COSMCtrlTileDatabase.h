#pragma once

#include "map/structCachedTile.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <optional>
#include <vector>

class CppSQLite3DB;

// The tile cache file "Data.gmdb". Every operation opens the file, works and closes it again, so
// the drawing thread and the download worker never share a connection. Failures throw
// CppSQLite3Exception.
class COSMCtrlTileDatabase {
public:
    explicit COSMCtrlTileDatabase(QString path);

    const QString& Path() const { return path_; }

    // Creates and initialises the file when it does not exist; returns whether it did. An
    // existing file is used exactly as it is. A creation that fails part-way removes the file,
    // so that the next start creates it afresh instead of using half a schema.
    bool CreateIfAbsent() const;

    // The id of the cached tile, 0 when it is not cached.
    qint64 FindTileId(int zoom, int x, int y) const;
    // The tile's bytes exactly as stored, or nothing.
    std::optional<QByteArray> ReadTile(int zoom, int x, int y) const;
    // Stores the tile under the next id and returns that id; returns 0 and adds nothing when the
    // tile is cached already.
    qint64 InsertTile(int zoom, int x, int y, const QByteArray& bytes) const;
    // Every row in id order, for the command-line listing.
    std::vector<structCachedTile> ListTiles() const;

    // "2024-05-01 09:03:07.045" for the CacheTime column.
    static QString CacheTimeText(const QDateTime& localTime);

private:
    void OpenExisting(CppSQLite3DB& db) const;
    static qint64 FindTileId(CppSQLite3DB& db, int zoom, int x, int y);

    QString path_;
};
