#pragma once

#include <QByteArray>

struct sqlite3;
struct sqlite3_stmt;

// A compiled statement with parameters, executed once or many times. Owns the prepared
// statement and finalises it; it must end before its connection closes.
class CppSQLite3Statement {
public:
    CppSQLite3Statement() = default;
    CppSQLite3Statement(sqlite3* db, sqlite3_stmt* vm);
    ~CppSQLite3Statement();
    CppSQLite3Statement(CppSQLite3Statement&& other) noexcept;
    CppSQLite3Statement& operator=(CppSQLite3Statement&& other) noexcept;
    CppSQLite3Statement(const CppSQLite3Statement&) = delete;
    CppSQLite3Statement& operator=(const CppSQLite3Statement&) = delete;

    // Steps until done and resets, ready for the next execution; returns the changed row count.
    int ExecDML();
    // Binds a copy of the bytes (SQLite keeps its own) to the 1-based parameter.
    void Bind(int param, const QByteArray& blob);
    void Reset();
    void Finalize();

private:
    void CheckVM() const;

    sqlite3* db_ = nullptr;
    sqlite3_stmt* vm_ = nullptr;
};
