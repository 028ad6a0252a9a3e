#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <functional>
#include <stdexcept>

// A failure of the file layer (open, write, truncate, flush), carrying the system's error text.
class TagIoError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An unbuffered binary file with the failure state of a standard stream: a seek to a negative
// position or a short read puts it in the failed state, after which reads return nothing and
// Tell() is -1. Reads are bounded by the file's size, so a length taken from a damaged tag can
// never make us allocate or read more than the file holds.
class TagFile {
public:
    enum class Mode { Read, ReadWrite, Create };

    TagFile() = default;
    ~TagFile();
    TagFile(const TagFile&) = delete;
    TagFile& operator=(const TagFile&) = delete;

    bool Open(const QString& path, Mode mode);
    void Close();
    bool IsOpen() const { return fd_ >= 0; }
    bool Failed() const { return failed_; }
    void ClearFailure() { failed_ = false; }

    qint64 Size() const;
    bool Seek(qint64 position);
    bool SeekFromEnd(qint64 back);
    qint64 Tell() const { return failed_ ? -1 : position_; }

    // Up to n bytes; fewer (and the failed state) when the file ends first.
    QByteArray Read(qint64 n);
    qint64 ReadInto(char* buffer, qint64 n);

    // Writing throws TagIoError with the system's error text.
    void Write(const char* data, qint64 n);
    void Write(const QByteArray& bytes) { Write(bytes.constData(), bytes.size()); }
    void Truncate(qint64 size);
    void Sync();

    static QString LastErrorText();

    // Test seam: called before every write, truncate and flush; returning true makes that
    // operation fail as a full disk would.
    using FaultHook = std::function<bool()>;
    static void SetFaultHook(FaultHook hook);

private:
    int fd_ = -1;
    qint64 position_ = 0;
    bool failed_ = false;
};
