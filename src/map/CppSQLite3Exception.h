#pragma once

#include <QString>
#include <exception>
#include <string>

// The wrapper's own result code, outside SQLite's range.
constexpr int CPPSQLITE_ERROR = 1000;

// Every failure of the SQLite wrapper. The text is "<code name>[<code>]: <message>", so the log
// line names the SQLite result code as well as SQLite's own explanation.
class CppSQLite3Exception : public std::exception {
public:
    CppSQLite3Exception(int errorCode, const QString& errorMessage);

    int ErrorCode() const { return errorCode_; }
    const QString& ErrorMessage() const { return errorMessage_; }
    const char* what() const noexcept override { return utf8_.c_str(); }

    // "SQLITE_OK" to "SQLITE_DONE", "CPPSQLITE_ERROR" for 1000, "UNKNOWN_ERROR" otherwise.
    static const char* ErrorCodeAsString(int errorCode);

private:
    int errorCode_;
    QString errorMessage_;
    std::string utf8_;
};
