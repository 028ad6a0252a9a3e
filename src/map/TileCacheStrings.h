#pragma once

// The tile cache's texts, each exactly as the map control has always written and logged it.
// The schema statements keep their string resource numbers.
namespace TileCacheStrings {

inline constexpr const char* kCacheFileName = "Data.gmdb";

// Creation of a new cache file, in this order.
inline constexpr const char* kSql116CreateTiles =
    "CREATE TABLE IF NOT EXISTS Tiles (id INTEGER NOT NULL PRIMARY KEY, X INTEGER NOT NULL, Y INTEGER NOT NULL, "
    "Zoom INTEGER NOT NULL, Type UNSIGNED INTEGER  NOT NULL, CacheTime DATETIME);";
inline constexpr const char* kSql502CreateIndex =
    "CREATE INDEX IF NOT EXISTS IndexOfTiles ON Tiles (X, Y, Zoom, Type);";
inline constexpr const char* kSql503CreateTilesData =
    "CREATE TABLE IF NOT EXISTS TilesData (id INTEGER NOT NULL PRIMARY KEY CONSTRAINT fk_Tiles_id REFERENCES "
    "Tiles(id) ON DELETE CASCADE, Tile BLOB NULL);";
inline constexpr const char* kSql504InsertTrigger =
    "CREATE TRIGGER fki_TilesData_id_Tiles_id BEFORE INSERT ON [TilesData] FOR EACH ROW BEGIN SELECT "
    "RAISE(ROLLBACK, 'insert on table \"TilesData\" violates foreign key constraint "
    "\"fki_TilesData_id_Tiles_id\"') WHERE(SELECT id FROM Tiles WHERE id = NEW.id) IS NULL; END;";
inline constexpr const char* kSql127UpdateTrigger =
    "CREATE TRIGGER fku_TilesData_id_Tiles_id BEFORE UPDATE ON [TilesData] FOR EACH ROW BEGIN SELECT "
    "RAISE(ROLLBACK, 'update on table \"TilesData\" violates foreign key constraint "
    "\"fku_TilesData_id_Tiles_id\"') WHERE(SELECT id FROM Tiles WHERE id = NEW.id) IS NULL; END;";
inline constexpr const char* kSql505DeleteTrigger =
    "CREATE TRIGGER fkdc_TilesData_id_Tiles_id BEFORE DELETE ON Tiles FOR EACH ROW BEGIN DELETE FROM TilesData "
    "WHERE TilesData.id = OLD.id; END;";

inline constexpr const char* kCreateStatements[] = {
    kSql116CreateTiles, kSql502CreateIndex, kSql503CreateTilesData,
    kSql504InsertTrigger, kSql127UpdateTrigger, kSql505DeleteTrigger,
};

// Message-format patterns; %1, %2 ... are the numbered arguments.
inline constexpr const char* kSqlSelectTileId =
    "select id from Tiles where Zoom = '%1' and X = '%2' and Y = '%3';";
inline constexpr const char* kSqlSelectTileData = "select Tile from TilesData where id = '%1';";
inline constexpr const char* kSqlSelectMaxId = "SELECT MAX(id) AS id FROM Tiles;";
inline constexpr const char* kSqlInsertTile = "INSERT INTO Tiles values ('%1', '%2', '%3', '%4', '%5', '%6');";
inline constexpr const char* kSqlInsertTileData = "insert into TilesData values ('%1', ?)";

inline constexpr const char* kCacheTimeFormat = "%04d-%02d-%02d %02d:%02d:%02d.%03d";

// Source identifier written into every Tiles row; nothing reads it.
inline constexpr unsigned int kTileType = 63558647;

inline constexpr const char* kImageInsertError = "SQLite Image Insert Error";
inline constexpr const char* kWorkerName = "DownloadImageAndUpdateMDBFileThread";
inline constexpr const char* kWorkerFailed = "DownloadImageAndUpdateMDBFileThread failed : %1";
inline constexpr const char* kTileNotAvailable = "Tile Not Available";       // string 566
inline constexpr const char* kInternetNotAvailable = "Internet Not Available"; // string 559
inline constexpr const char* kAgentName = "OSMCtrl";

} // namespace TileCacheStrings
