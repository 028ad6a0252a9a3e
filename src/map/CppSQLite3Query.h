#pragma once

#include <QByteArray>
#include <QString>

struct sqlite3;
struct sqlite3_stmt;

// The rows of one executed query, positioned on the first row by CppSQLite3DB::ExecQuery.
// Owns its prepared statement and finalises it; it must end before its connection closes.
class CppSQLite3Query {
public:
    CppSQLite3Query() = default;
    CppSQLite3Query(sqlite3* db, sqlite3_stmt* vm, bool eof);
    ~CppSQLite3Query();
    CppSQLite3Query(CppSQLite3Query&& other) noexcept;
    CppSQLite3Query& operator=(CppSQLite3Query&& other) noexcept;
    CppSQLite3Query(const CppSQLite3Query&) = delete;
    CppSQLite3Query& operator=(const CppSQLite3Query&) = delete;

    int NumFields() const;
    int FieldIndex(const char* field) const;
    QString FieldName(int field) const;
    bool FieldIsNull(int field) const;
    bool FieldIsNull(const char* field) const;

    // NULL reads as nullValue (0 by default).
    qint64 GetIntField(int field, qint64 nullValue = 0) const;
    qint64 GetIntField(const char* field, qint64 nullValue = 0) const;
    QString GetStringField(int field, const QString& nullValue = QString()) const;
    QString GetStringField(const char* field, const QString& nullValue = QString()) const;
    // A copy of the blob; SQLite's own buffer lives only until the next step.
    QByteArray GetBlobField(int field) const;
    QByteArray GetBlobField(const char* field) const;

    bool Eof() const;
    void NextRow();
    void Finalize();

private:
    void CheckVM() const;
    void CheckField(int field) const;

    sqlite3* db_ = nullptr;
    sqlite3_stmt* vm_ = nullptr;
    bool eof_ = true;
    int cols_ = 0;
};
