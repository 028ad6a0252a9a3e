#include "MapTestFiles.h"

#include "map/COSMCtrlTileCache.h"
#include "map/COSMCtrlTileDatabase.h"
#include "map/CppSQLite3Exception.h"
#include "map/TileCacheStrings.h"

#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <gtest/gtest.h>
#include <set>
#include <thread>
#include <vector>

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// SQLite keeps a CREATE statement's text except for IF NOT EXISTS and the closing semicolon.
QString StoredForm(const char* statement)
{
    QString s = QString::fromLatin1(statement);
    s.remove(QStringLiteral("IF NOT EXISTS "));
    s.chop(1);
    return s;
}

QString ThrownMessage(const std::function<void()>& f)
{
    try {
        f();
    } catch (const CppSQLite3Exception& e) {
        return e.ErrorMessage();
    }
    return QStringLiteral("(nothing thrown)");
}

class TileDatabaseTest : public ::testing::Test {
protected:
    MapTestFiles files;
    COSMCtrlTileCache cache{false};
};

TEST(CppSQLite3Test, ErrorTextsNameTheResultCode)
{
    const struct {
        int code;
        const char* text;
    } rows[] = {
        {0, "SQLITE_OK[0]: m"},           {5, "SQLITE_BUSY[5]: m"},     {19, "SQLITE_CONSTRAINT[19]: m"},
        {26, "SQLITE_NOTADB[26]: m"},     {100, "SQLITE_ROW[100]: m"},  {101, "SQLITE_DONE[101]: m"},
        {1000, "CPPSQLITE_ERROR[1000]: m"}, {42, "UNKNOWN_ERROR[42]: m"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(CppSQLite3Exception(row.code, QStringLiteral("m")).ErrorMessage(), QLatin1String(row.text));
    }
}

TEST(CppSQLite3Test, WrapperRefusesMisuseWithItsOwnMessages)
{
    MapTestFiles files;
    CppSQLite3DB closed;
    EXPECT_EQ(ThrownMessage([&] { closed.ExecQuery("select 1;"); }), "CPPSQLITE_ERROR[1000]: Database not open");
    CppSQLite3Query none;
    EXPECT_EQ(ThrownMessage([&] { none.Eof(); }), "CPPSQLITE_ERROR[1000]: Null Virtual Machine pointer");

    // Opening without create never makes a file.
    EXPECT_TRUE(ThrownMessage([&] { closed.Open(files.Cache(), false); }).startsWith("SQLITE_CANTOPEN[14]"));
    EXPECT_FALSE(QFile::exists(files.Cache()));

    CppSQLite3DB db;
    db.Open(files.Cache());
    EXPECT_EQ(db.ExecQuery("PRAGMA journal_mode;").GetStringField(0), "memory");
    EXPECT_EQ(db.ExecQuery("PRAGMA busy_timeout;").GetIntField(0), 60000);
    {
        CppSQLite3Query q = db.ExecQuery("select NULL as n, 7 as seven;");
        EXPECT_EQ(q.GetIntField("n"), 0);
        EXPECT_EQ(q.GetIntField("seven"), 7);
        EXPECT_EQ(ThrownMessage([&] { q.GetIntField("eight"); }), "CPPSQLITE_ERROR[1000]: Invalid field name requested");
        EXPECT_EQ(ThrownMessage([&] { q.GetIntField(2); }), "CPPSQLITE_ERROR[1000]: Invalid field index requested");
        EXPECT_EQ(ThrownMessage([&] { db.Close(); }), "CPPSQLITE_ERROR[1000]: Unable to close database");
    }
    EXPECT_EQ(ThrownMessage([&] { db.ExecDML("select * from nowhere;"); }), "SQLITE_ERROR[1]: no such table: nowhere");
    {
        CppSQLite3Statement s = db.CompileStatement("select ?;");
        EXPECT_EQ(ThrownMessage([&] { s.Bind(2, QByteArray("x")); }), "SQLITE_RANGE[25]: Error binding blob param");
    }
    db.Close();
}

TEST_F(TileDatabaseTest, NewCacheHoldsExactlyTheSixStatementsAndAnExistingFileIsUntouched)
{
    cache.OpenCache(files.Cache());
    std::vector<QString> expected;
    for (const char* statement : TileCacheStrings::kCreateStatements) {
        expected.push_back(StoredForm(statement));
    }
    std::vector<QString> stored;
    {
        CppSQLite3DB db;
        db.Open(files.Cache(), false);
        for (CppSQLite3Query q = db.ExecQuery("select sql from sqlite_master order by rowid;"); !q.Eof();
             q.NextRow()) {
            stored.push_back(q.GetStringField("sql"));
        }
    }
    EXPECT_EQ(stored, expected);

    // The same read back by the sqlite3 shell, as an investigator would check it.
    const QString shell = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    if (!shell.isEmpty()) {
        QProcess p;
        p.start(shell, {files.Cache(), QStringLiteral(".schema")});
        ASSERT_TRUE(p.waitForFinished(10000));
        QStringList lines;
        for (const QString& s : expected) {
            lines << s + QLatin1Char(';');
        }
        EXPECT_EQ(QString::fromUtf8(p.readAllStandardOutput()).trimmed(), lines.join(QLatin1Char('\n')));
    }

    // Opening again, or opening a file that is not even a database, changes nothing.
    const QByteArray before = ReadAll(files.Cache());
    COSMCtrlTileCache(false).OpenCache(files.Cache());
    EXPECT_EQ(ReadAll(files.Cache()), before);
    const QString other = files.dir.filePath(QStringLiteral("other.gmdb"));
    QFile f(other);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("not a database at all, but someone's file");
    f.close();
    COSMCtrlTileCache reader(false);
    reader.OpenCache(other);
    EXPECT_TRUE(ThrownMessage([&] { reader.LoadTile(1, 0, 0); }).startsWith("SQLITE_NOTADB[26]"));
    EXPECT_EQ(ReadAll(other), QByteArray("not a database at all, but someone's file"));
}

TEST_F(TileDatabaseTest, IdsStartAtOneAndFollowTheLargestAfterGapsAndACachedTileAddsNoRow)
{
    cache.OpenCache(files.Cache());
    const QByteArray first("\x89PNG first", 10);
    ASSERT_TRUE(cache.StoreTile(12, 2048, 1361, first));
    MapTestFiles::Exec(files.Cache(), "INSERT INTO Tiles values ('41', '1', '1', '1', '63558647', 'x');");
    ASSERT_TRUE(cache.StoreTile(12, 2049, 1361, QByteArray("second")));
    ASSERT_TRUE(cache.StoreTile(12, 2048, 1361, QByteArray("a different copy")));

    const auto rows = COSMCtrlTileDatabase(files.Cache()).ListTiles();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].id, 1);
    EXPECT_EQ(rows[2].id, 42);
    EXPECT_EQ(rows[0].zoom, 12);
    EXPECT_EQ(rows[0].x, 2048);
    EXPECT_EQ(rows[0].y, 1361);
    EXPECT_EQ(rows[0].type, 63558647);
    EXPECT_EQ(rows[0].tile, first);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3}$"))
                    .match(rows[2].cacheTime)
                    .hasMatch())
        << rows[2].cacheTime.toStdString();
    EXPECT_EQ(cache.LoadTile(12, 2048, 1361), first);
    EXPECT_EQ(cache.LoadTile(12, 2049, 1361), QByteArray("second"));
    EXPECT_EQ(COSMCtrlTileDatabase::CacheTimeText(QDateTime(QDate(2024, 5, 1), QTime(9, 3, 7, 45))),
              "2024-05-01 09:03:07.045");
}

TEST_F(TileDatabaseTest, TriggersKeepTilesDataTiedToTiles)
{
    cache.OpenCache(files.Cache());
    ASSERT_TRUE(cache.StoreTile(3, 1, 2, QByteArray("tile")));
    EXPECT_EQ(ThrownMessage([&] { MapTestFiles::Exec(files.Cache(), "insert into TilesData values ('9', x'00')"); }),
              "SQLITE_CONSTRAINT[19]: insert on table \"TilesData\" violates foreign key constraint "
              "\"fki_TilesData_id_Tiles_id\"");
    EXPECT_EQ(ThrownMessage([&] { MapTestFiles::Exec(files.Cache(), "update TilesData set id = 9 where id = 1"); }),
              "SQLITE_CONSTRAINT[19]: update on table \"TilesData\" violates foreign key constraint "
              "\"fku_TilesData_id_Tiles_id\"");
    MapTestFiles::Exec(files.Cache(), "delete from Tiles where id = 1");
    EXPECT_EQ(MapTestFiles::Scalar(files.Cache(), "select count(*) from TilesData"), 0);
}

TEST_F(TileDatabaseTest, AFailedDataInsertLeavesNoTileBehindAndIsReported)
{
    // Before, a Tiles row without its data hid the tile from every later download.
    cache.OpenCache(files.Cache());
    MapTestFiles::Exec(files.Cache(), "CREATE TRIGGER fail_data BEFORE INSERT ON TilesData BEGIN "
                                      "SELECT RAISE(ABORT, 'database or disk is full'); END;");
    QStringList reports;
    cache.SetInsertErrorHandler([&](const QString& text, const QString& detail) { reports << text << detail; });
    EXPECT_FALSE(cache.StoreTile(5, 6, 7, QByteArray("tile")));
    EXPECT_EQ(reports, QStringList({"SQLite Image Insert Error", "SQLITE_CONSTRAINT[19]: database or disk is full"}));
    EXPECT_EQ(COSMCtrlTileDatabase(files.Cache()).FindTileId(5, 6, 7), 0);
    EXPECT_EQ(MapTestFiles::Scalar(files.Cache(), "select count(*) from Tiles"), 0);
}

TEST_F(TileDatabaseTest, TwoThreadsStoringAtOnceGetDistinctIdsAndOneRowPerTile)
{
    cache.OpenCache(files.Cache());
    std::atomic<int> failures{0};
    auto writer = [&](int seed) {
        COSMCtrlTileCache own(false);
        own.OpenCache(files.Cache());
        for (int i = 0; i < 40; ++i) {
            // Half the tiles are stored by both threads.
            const int x = (i % 2 == 0) ? i : i * 100 + seed;
            if (!own.StoreTile(10, x, 5, QByteArray::number(x))) {
                ++failures;
            }
            if (own.FindCachedTile(10, x, 5) != QByteArray::number(x)) {
                ++failures;
            }
        }
    };
    std::thread a(writer, 1);
    std::thread b(writer, 2);
    a.join();
    b.join();
    EXPECT_EQ(failures.load(), 0);
    const auto rows = COSMCtrlTileDatabase(files.Cache()).ListTiles();
    EXPECT_EQ(rows.size(), 60u);
    std::set<qint64> ids;
    std::set<int> columns;
    for (const auto& r : rows) {
        ids.insert(r.id);
        columns.insert(r.x);
        EXPECT_EQ(r.tile, QByteArray::number(r.x));
    }
    EXPECT_EQ(ids.size(), 60u);
    EXPECT_EQ(*ids.rbegin(), 60);
    EXPECT_EQ(columns.size(), 60u);
}

TEST_F(TileDatabaseTest, AVanishedCacheFileIsNotRecreatedEmptyBehindTheProgramsBack)
{
    cache.OpenCache(files.Cache());
    ASSERT_TRUE(QFile::remove(files.Cache()));
    EXPECT_TRUE(ThrownMessage([&] { cache.LoadTile(1, 0, 0); }).startsWith("SQLITE_CANTOPEN[14]"));
    EXPECT_FALSE(QFile::exists(files.Cache()));
    // The next start creates it properly.
    COSMCtrlTileCache(false).OpenCache(files.Cache());
    EXPECT_EQ(MapTestFiles::Scalar(files.Cache(), "select count(*) from sqlite_master"), 6);
}

TEST(TileCachePathTest, BesideTheProgramWhenWritableElseTheUserCacheFolder)
{
    MapTestFiles files;
    const QString program = files.dir.filePath(QStringLiteral("bin"));
    const QString userCache = files.dir.filePath(QStringLiteral("user/cache"));
    ASSERT_TRUE(QDir().mkpath(program));
    EXPECT_EQ(COSMCtrlTileCache::ChooseCachePath(program, userCache), program + QStringLiteral("/Data.gmdb"));
    const QString missing = files.dir.filePath(QStringLiteral("no/such/folder"));
    EXPECT_EQ(COSMCtrlTileCache::ChooseCachePath(missing, userCache), userCache + QStringLiteral("/Data.gmdb"));
    EXPECT_TRUE(QFileInfo(userCache).isDir());
    // Installed in /usr/bin: the user's cache even for root, who could write there.
    EXPECT_EQ(COSMCtrlTileCache::ChooseCachePath(QStringLiteral("/usr/bin"), userCache), userCache + QStringLiteral("/Data.gmdb"));
    EXPECT_EQ(COSMCtrlTileCache::ChooseCachePath(QStringLiteral("/usr/local/bin"), userCache), userCache + QStringLiteral("/Data.gmdb"));
}

} // namespace
