#include "map/COSMCtrlTileDatabase.h"

#include "map/CppSQLite3DB.h"
#include "map/CppSQLite3Exception.h"
#include "map/TileCacheStrings.h"

#include <QFile>
#include <QFileInfo>

namespace {

// The statements hold digits and ASCII text only, so the ANSI code page and the UTF-8 that the
// SQLite C API takes are the same bytes.
QByteArray Sql(const QString& text)
{
    return text.toUtf8();
}

QString Pattern(const char* text)
{
    return QString::fromLatin1(text);
}

} // namespace

COSMCtrlTileDatabase::COSMCtrlTileDatabase(QString path)
    : path_(std::move(path))
{
}

bool COSMCtrlTileDatabase::CreateIfAbsent() const
{
    if (QFileInfo::exists(path_)) {
        return false;
    }
    try {
        CppSQLite3DB db;
        db.Open(path_, true);
        for (const char* statement : TileCacheStrings::kCreateStatements) {
            db.ExecDML(QByteArray(statement));
        }
        db.Close();
    } catch (...) {
        QFile::remove(path_);
        throw;
    }
    return true;
}

void COSMCtrlTileDatabase::OpenExisting(CppSQLite3DB& db) const
{
    // Never create here: a file that vanished while the program runs must not come back as an
    // empty database that a later start would take for a cache.
    db.Open(path_, false);
}

qint64 COSMCtrlTileDatabase::FindTileId(CppSQLite3DB& db, int zoom, int x, int y)
{
    CppSQLite3Query q = db.ExecQuery(Sql(Pattern(TileCacheStrings::kSqlSelectTileId)
                                             .arg(QString::number(zoom), QString::number(x), QString::number(y))));
    const qint64 id = q.Eof() ? 0 : q.GetIntField("id");
    q.Finalize();
    return id;
}

qint64 COSMCtrlTileDatabase::FindTileId(int zoom, int x, int y) const
{
    CppSQLite3DB db;
    OpenExisting(db);
    const qint64 id = FindTileId(db, zoom, x, y);
    db.Close();
    return id;
}

std::optional<QByteArray> COSMCtrlTileDatabase::ReadTile(int zoom, int x, int y) const
{
    CppSQLite3DB db;
    OpenExisting(db);
    std::optional<QByteArray> result;
    const qint64 id = FindTileId(db, zoom, x, y);
    if (id != 0) {
        CppSQLite3Query q =
            db.ExecQuery(Sql(Pattern(TileCacheStrings::kSqlSelectTileData).arg(QString::number(id))));
        if (!q.Eof()) {
            QByteArray bytes = q.GetBlobField("Tile");
            if (!bytes.isEmpty()) {
                result = std::move(bytes);
            }
        }
        q.Finalize();
    }
    db.Close();
    return result;
}

qint64 COSMCtrlTileDatabase::InsertTile(int zoom, int x, int y, const QByteArray& bytes) const
{
    CppSQLite3DB db;
    OpenExisting(db);
    // The check, the next id and both inserts form one write transaction: two writers cannot
    // pick the same id, and a failed data insert cannot leave a Tiles row without its data, which
    // would hide the tile from every later download.
    db.ExecDML(QByteArrayLiteral("BEGIN IMMEDIATE;"));
    qint64 id = 0;
    try {
        if (FindTileId(db, zoom, x, y) == 0) {
            {
                CppSQLite3Query q = db.ExecQuery(QByteArray(TileCacheStrings::kSqlSelectMaxId));
                id = (q.Eof() ? 0 : q.GetIntField("id")) + 1;
                q.Finalize();
            }
            const QString time = CacheTimeText(QDateTime::currentDateTime());
            db.ExecDML(Sql(Pattern(TileCacheStrings::kSqlInsertTile)
                               .arg(QString::number(id), QString::number(x), QString::number(y),
                                    QString::number(zoom), QString::number(TileCacheStrings::kTileType), time)));
            CppSQLite3Statement statement =
                db.CompileStatement(Sql(Pattern(TileCacheStrings::kSqlInsertTileData).arg(QString::number(id))));
            statement.Bind(1, bytes);
            statement.ExecDML();
            statement.Finalize();
        }
        db.ExecDML(QByteArrayLiteral("COMMIT;"));
    } catch (...) {
        // A trigger's RAISE(ROLLBACK) has ended the transaction already.
        if (db.IsOpen() && !db.IsAutoCommit()) {
            try {
                db.ExecDML(QByteArrayLiteral("ROLLBACK;"));
            } catch (const CppSQLite3Exception&) {
            }
        }
        throw;
    }
    db.Close();
    return id;
}

std::vector<structCachedTile> COSMCtrlTileDatabase::ListTiles() const
{
    CppSQLite3DB db;
    OpenExisting(db);
    std::vector<structCachedTile> tiles;
    {
        CppSQLite3Query q = db.ExecQuery(QByteArrayLiteral(
            "SELECT Tiles.id AS id, Zoom, X, Y, Type, CacheTime, TilesData.id AS dataId, Tile "
            "FROM Tiles LEFT JOIN TilesData ON TilesData.id = Tiles.id ORDER BY Tiles.id;"));
        for (; !q.Eof(); q.NextRow()) {
            structCachedTile t;
            t.id = q.GetIntField("id");
            t.zoom = int(q.GetIntField("Zoom"));
            t.x = int(q.GetIntField("X"));
            t.y = int(q.GetIntField("Y"));
            t.type = q.GetIntField("Type");
            t.cacheTime = q.GetStringField("CacheTime");
            t.hasData = !q.FieldIsNull("dataId");
            t.tile = q.GetBlobField("Tile");
            tiles.push_back(std::move(t));
        }
        q.Finalize();
    }
    db.Close();
    return tiles;
}

QString COSMCtrlTileDatabase::CacheTimeText(const QDateTime& localTime)
{
    const QDate d = localTime.date();
    const QTime t = localTime.time();
    return QString::asprintf(TileCacheStrings::kCacheTimeFormat, d.year(), d.month(), d.day(), t.hour(), t.minute(),
                             t.second(), t.msec());
}
