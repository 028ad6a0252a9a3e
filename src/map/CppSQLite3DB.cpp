#include "map/CppSQLite3DB.h"

#include "map/CppSQLite3Exception.h"

#include <QFile>
#include <sqlite3.h>

CppSQLite3DB::~CppSQLite3DB()
{
    if (db_ != nullptr) {
        // A destructor cannot report; close_v2 releases the handle once stray statements end.
        sqlite3_close_v2(db_);
    }
}

void CppSQLite3DB::Open(const QString& file, bool create)
{
    if (db_ != nullptr) {
        Close();
    }
    const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(file).constData(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString message = QString::fromUtf8(db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
        sqlite3_close(db);
        throw CppSQLite3Exception(rc, message);
    }
    db_ = db;
    try {
        SetBusyTimeout(kBusyTimeoutMs);
        ExecQuery(QByteArrayLiteral("PRAGMA journal_mode;"));
        ExecQuery(QByteArrayLiteral("PRAGMA journal_mode = MEMORY;"));
    } catch (...) {
        sqlite3_close_v2(db_);
        db_ = nullptr;
        throw;
    }
}

void CppSQLite3DB::Close()
{
    if (db_ == nullptr) {
        return;
    }
    if (sqlite3_close(db_) != SQLITE_OK) {
        throw CppSQLite3Exception(CPPSQLITE_ERROR, QStringLiteral("Unable to close database"));
    }
    db_ = nullptr;
}

int CppSQLite3DB::ExecDML(const QByteArray& sql)
{
    CheckDB();
    sqlite3_stmt* vm = Compile(sql);
    int rc = sqlite3_step(vm);
    while (rc == SQLITE_ROW) {
        rc = sqlite3_step(vm);
    }
    if (rc != SQLITE_DONE) {
        const QString message = QString::fromUtf8(sqlite3_errmsg(db_));
        sqlite3_finalize(vm);
        throw CppSQLite3Exception(rc, message);
    }
    sqlite3_finalize(vm);
    return sqlite3_changes(db_);
}

CppSQLite3Query CppSQLite3DB::ExecQuery(const QByteArray& sql)
{
    CheckDB();
    sqlite3_stmt* vm = Compile(sql);
    const int rc = sqlite3_step(vm);
    if (rc == SQLITE_DONE) {
        return CppSQLite3Query(db_, vm, true);
    }
    if (rc == SQLITE_ROW) {
        return CppSQLite3Query(db_, vm, false);
    }
    const QString message = QString::fromUtf8(sqlite3_errmsg(db_));
    sqlite3_finalize(vm);
    throw CppSQLite3Exception(rc, message);
}

CppSQLite3Statement CppSQLite3DB::CompileStatement(const QByteArray& sql)
{
    CheckDB();
    return CppSQLite3Statement(db_, Compile(sql));
}

void CppSQLite3DB::SetBusyTimeout(int milliseconds)
{
    CheckDB();
    sqlite3_busy_timeout(db_, milliseconds);
}

bool CppSQLite3DB::IsAutoCommit() const
{
    CheckDB();
    return sqlite3_get_autocommit(db_) != 0;
}

void CppSQLite3DB::CheckDB() const
{
    if (db_ == nullptr) {
        throw CppSQLite3Exception(CPPSQLITE_ERROR, QStringLiteral("Database not open"));
    }
}

sqlite3_stmt* CppSQLite3DB::Compile(const QByteArray& sql)
{
    sqlite3_stmt* vm = nullptr;
    const int rc = sqlite3_prepare_v2(db_, sql.constData(), int(sql.size()), &vm, nullptr);
    if (rc != SQLITE_OK) {
        throw CppSQLite3Exception(rc, QString::fromUtf8(sqlite3_errmsg(db_)));
    }
    if (vm == nullptr) {
        // Text holding only white space or comments compiles to no statement.
        throw CppSQLite3Exception(CPPSQLITE_ERROR, QStringLiteral("Null Virtual Machine pointer"));
    }
    return vm;
}
