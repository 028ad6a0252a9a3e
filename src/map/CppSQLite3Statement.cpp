#include "map/CppSQLite3Statement.h"

#include "map/CppSQLite3Exception.h"

#include <QString>
#include <sqlite3.h>
#include <utility>

CppSQLite3Statement::CppSQLite3Statement(sqlite3* db, sqlite3_stmt* vm)
    : db_(db)
    , vm_(vm)
{
}

CppSQLite3Statement::~CppSQLite3Statement()
{
    if (vm_ != nullptr) {
        sqlite3_finalize(vm_);
    }
}

CppSQLite3Statement::CppSQLite3Statement(CppSQLite3Statement&& other) noexcept
    : db_(std::exchange(other.db_, nullptr))
    , vm_(std::exchange(other.vm_, nullptr))
{
}

CppSQLite3Statement& CppSQLite3Statement::operator=(CppSQLite3Statement&& other) noexcept
{
    if (this != &other) {
        if (vm_ != nullptr) {
            sqlite3_finalize(vm_);
        }
        db_ = std::exchange(other.db_, nullptr);
        vm_ = std::exchange(other.vm_, nullptr);
    }
    return *this;
}

int CppSQLite3Statement::ExecDML()
{
    CheckVM();
    int rc = sqlite3_step(vm_);
    while (rc == SQLITE_ROW) {
        rc = sqlite3_step(vm_);
    }
    if (rc != SQLITE_DONE) {
        const QString message = QString::fromUtf8(sqlite3_errmsg(db_));
        sqlite3_reset(vm_);
        throw CppSQLite3Exception(rc, message);
    }
    const int changes = sqlite3_changes(db_);
    Reset();
    return changes;
}

void CppSQLite3Statement::Bind(int param, const QByteArray& blob)
{
    CheckVM();
    const int rc = sqlite3_bind_blob(vm_, param, blob.constData(), int(blob.size()), SQLITE_TRANSIENT);
    if (rc != SQLITE_OK) {
        throw CppSQLite3Exception(rc, QStringLiteral("Error binding blob param"));
    }
}

void CppSQLite3Statement::Reset()
{
    CheckVM();
    const int rc = sqlite3_reset(vm_);
    if (rc != SQLITE_OK) {
        throw CppSQLite3Exception(rc, QString::fromUtf8(sqlite3_errmsg(db_)));
    }
}

void CppSQLite3Statement::Finalize()
{
    if (vm_ != nullptr) {
        const int rc = sqlite3_finalize(vm_);
        vm_ = nullptr;
        if (rc != SQLITE_OK) {
            throw CppSQLite3Exception(rc, QString::fromUtf8(sqlite3_errmsg(db_)));
        }
    }
}

void CppSQLite3Statement::CheckVM() const
{
    if (vm_ == nullptr) {
        throw CppSQLite3Exception(CPPSQLITE_ERROR, QStringLiteral("Null Virtual Machine pointer"));
    }
}
