#include "map/CppSQLite3Query.h"

#include "map/CppSQLite3Exception.h"

#include <sqlite3.h>
#include <cstring>
#include <utility>

CppSQLite3Query::CppSQLite3Query(sqlite3* db, sqlite3_stmt* vm, bool eof)
    : db_(db)
    , vm_(vm)
    , eof_(eof)
    , cols_(sqlite3_column_count(vm))
{
}

CppSQLite3Query::~CppSQLite3Query()
{
    if (vm_ != nullptr) {
        sqlite3_finalize(vm_);
    }
}

CppSQLite3Query::CppSQLite3Query(CppSQLite3Query&& other) noexcept
    : db_(std::exchange(other.db_, nullptr))
    , vm_(std::exchange(other.vm_, nullptr))
    , eof_(std::exchange(other.eof_, true))
    , cols_(std::exchange(other.cols_, 0))
{
}

CppSQLite3Query& CppSQLite3Query::operator=(CppSQLite3Query&& other) noexcept
{
    if (this != &other) {
        if (vm_ != nullptr) {
            sqlite3_finalize(vm_);
        }
        db_ = std::exchange(other.db_, nullptr);
        vm_ = std::exchange(other.vm_, nullptr);
        eof_ = std::exchange(other.eof_, true);
        cols_ = std::exchange(other.cols_, 0);
    }
    return *this;
}

int CppSQLite3Query::NumFields() const
{
    CheckVM();
    return cols_;
}

int CppSQLite3Query::FieldIndex(const char* field) const
{
    CheckVM();
    if (field != nullptr) {
        for (int i = 0; i < cols_; ++i) {
            const char* name = sqlite3_column_name(vm_, i);
            if (name != nullptr && std::strcmp(field, name) == 0) {
                return i;
            }
        }
    }
    throw CppSQLite3Exception(CPPSQLITE_ERROR, QStringLiteral("Invalid field name requested"));
}

QString CppSQLite3Query::FieldName(int field) const
{
    CheckField(field);
    return QString::fromUtf8(sqlite3_column_name(vm_, field));
}

bool CppSQLite3Query::FieldIsNull(int field) const
{
    CheckField(field);
    return sqlite3_column_type(vm_, field) == SQLITE_NULL;
}

bool CppSQLite3Query::FieldIsNull(const char* field) const
{
    return FieldIsNull(FieldIndex(field));
}

qint64 CppSQLite3Query::GetIntField(int field, qint64 nullValue) const
{
    if (FieldIsNull(field)) {
        return nullValue;
    }
    return sqlite3_column_int64(vm_, field);
}

qint64 CppSQLite3Query::GetIntField(const char* field, qint64 nullValue) const
{
    return GetIntField(FieldIndex(field), nullValue);
}

QString CppSQLite3Query::GetStringField(int field, const QString& nullValue) const
{
    if (FieldIsNull(field)) {
        return nullValue;
    }
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(vm_, field));
    return QString::fromUtf8(text, sqlite3_column_bytes(vm_, field));
}

QString CppSQLite3Query::GetStringField(const char* field, const QString& nullValue) const
{
    return GetStringField(FieldIndex(field), nullValue);
}

QByteArray CppSQLite3Query::GetBlobField(int field) const
{
    CheckField(field);
    const void* data = sqlite3_column_blob(vm_, field);
    const int size = sqlite3_column_bytes(vm_, field);
    if (data == nullptr || size <= 0) {
        return QByteArray();
    }
    return QByteArray(static_cast<const char*>(data), size);
}

QByteArray CppSQLite3Query::GetBlobField(const char* field) const
{
    return GetBlobField(FieldIndex(field));
}

bool CppSQLite3Query::Eof() const
{
    CheckVM();
    return eof_;
}

void CppSQLite3Query::NextRow()
{
    CheckVM();
    const int rc = sqlite3_step(vm_);
    if (rc == SQLITE_DONE) {
        eof_ = true;
    } else if (rc == SQLITE_ROW) {
        eof_ = false;
    } else {
        const QString message = QString::fromUtf8(sqlite3_errmsg(db_));
        sqlite3_finalize(vm_);
        vm_ = nullptr;
        eof_ = true;
        throw CppSQLite3Exception(rc, message);
    }
}

void CppSQLite3Query::Finalize()
{
    if (vm_ != nullptr) {
        const int rc = sqlite3_finalize(vm_);
        vm_ = nullptr;
        if (rc != SQLITE_OK) {
            throw CppSQLite3Exception(rc, QString::fromUtf8(sqlite3_errmsg(db_)));
        }
    }
}

void CppSQLite3Query::CheckVM() const
{
    if (vm_ == nullptr) {
        throw CppSQLite3Exception(CPPSQLITE_ERROR, QStringLiteral("Null Virtual Machine pointer"));
    }
}

void CppSQLite3Query::CheckField(int field) const
{
    CheckVM();
    if (field < 0 || field >= cols_) {
        throw CppSQLite3Exception(CPPSQLITE_ERROR, QStringLiteral("Invalid field index requested"));
    }
}
