#pragma once

#include "map/CppSQLite3Query.h"
#include "map/CppSQLite3Statement.h"

#include <QByteArray>
#include <QString>

struct sqlite3;
struct sqlite3_stmt;

// One connection to an SQLite database file. The tile cache opens one per operation and closes it
// again, so two threads never share a connection; SQLite's file locking and the busy timeout
// serialise writers. Every failure throws CppSQLite3Exception.
class CppSQLite3DB {
public:
    static constexpr int kBusyTimeoutMs = 60000;

    CppSQLite3DB() = default;
    ~CppSQLite3DB();
    CppSQLite3DB(const CppSQLite3DB&) = delete;
    CppSQLite3DB& operator=(const CppSQLite3DB&) = delete;

    // Opens the file, sets the busy timeout and puts the journal in memory. With create false a
    // missing file is an error instead of a new empty database.
    void Open(const QString& file, bool create = true);
    // Every query and statement of this connection must be finalised first.
    void Close();
    bool IsOpen() const { return db_ != nullptr; }

    // Runs one statement that returns no rows to the caller; returns the number of changed rows.
    int ExecDML(const QByteArray& sql);
    // Prepares the statement and steps to its first row.
    CppSQLite3Query ExecQuery(const QByteArray& sql);
    CppSQLite3Statement CompileStatement(const QByteArray& sql);
    void SetBusyTimeout(int milliseconds);
    // True outside an explicit transaction.
    bool IsAutoCommit() const;

private:
    void CheckDB() const;
    sqlite3_stmt* Compile(const QByteArray& sql);

    sqlite3* db_ = nullptr;
};
