#include "evidence/TagFile.h"

#include "evidence/FalException.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
TagFile::FaultHook& Hook()
{
    static TagFile::FaultHook hook;
    return hook;
}

void CheckFault()
{
    if (Hook() && Hook()()) {
        errno = ENOSPC;
        throw TagIoError(TagFile::LastErrorText().toStdString());
    }
}
} // namespace

void TagFile::SetFaultHook(FaultHook hook)
{
    Hook() = std::move(hook);
}

TagFile::~TagFile()
{
    Close();
}

bool TagFile::Open(const QString& path, Mode mode)
{
    Close();
    const QByteArray native = path.toLocal8Bit();
    int flags = O_CLOEXEC;
    switch (mode) {
    case Mode::Read: flags |= O_RDONLY; break;
    case Mode::ReadWrite: flags |= O_RDWR; break;
    case Mode::Create: flags |= O_RDWR | O_CREAT | O_TRUNC; break;
    }
    fd_ = ::open(native.constData(), flags, 0644);
    if (fd_ < 0) {
        return false;
    }
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd_);
        fd_ = -1;
        errno = EISDIR;
        return false;
    }
    position_ = 0;
    failed_ = false;
    return true;
}

void TagFile::Close()
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    position_ = 0;
    failed_ = false;
}

qint64 TagFile::Size() const
{
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0) {
        return -1;
    }
    return st.st_size;
}

bool TagFile::Seek(qint64 position)
{
    if (failed_ || fd_ < 0 || position < 0) {
        failed_ = true;
        return false;
    }
    position_ = position;
    return true;
}

bool TagFile::SeekFromEnd(qint64 back)
{
    const qint64 size = Size();
    if (size < 0) {
        failed_ = true;
        return false;
    }
    return Seek(size - back);
}

qint64 TagFile::ReadInto(char* buffer, qint64 n)
{
    if (failed_ || fd_ < 0 || n < 0) {
        failed_ = true;
        return 0;
    }
    qint64 done = 0;
    while (done < n) {
        const ssize_t got = ::pread(fd_, buffer + done, static_cast<size_t>(n - done), position_ + done);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        done += got;
    }
    position_ += done;
    if (done < n) {
        failed_ = true;
    }
    return done;
}

QByteArray TagFile::Read(qint64 n)
{
    const qint64 size = Size();
    if (failed_ || size < 0 || n < 0) {
        failed_ = true;
        return {};
    }
    const qint64 available = std::max<qint64>(0, size - position_);
    const qint64 want = std::min(n, available);
    QByteArray out(want, '\0');
    const qint64 got = ReadInto(out.data(), want);
    out.truncate(got);
    if (got < n) {
        failed_ = true;
    }
    return out;
}

void TagFile::Write(const char* data, qint64 n)
{
    if (fd_ < 0) {
        throw FalException(QStringLiteral("Invalid file handle."));
    }
    CheckFault();
    qint64 done = 0;
    while (done < n) {
        const ssize_t put = ::pwrite(fd_, data + done, static_cast<size_t>(n - done), position_ + done);
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            if (put == 0) {
                errno = ENOSPC;
            }
            throw TagIoError(LastErrorText().toStdString());
        }
        done += put;
    }
    position_ += done;
}

void TagFile::Truncate(qint64 size)
{
    if (fd_ < 0) {
        throw FalException(QStringLiteral("Invalid file handle."));
    }
    CheckFault();
    if (::ftruncate(fd_, size) != 0) {
        throw TagIoError(LastErrorText().toStdString());
    }
}

void TagFile::Sync()
{
    if (fd_ < 0) {
        return;
    }
    CheckFault();
    if (::fsync(fd_) != 0) {
        throw TagIoError(LastErrorText().toStdString());
    }
}

QString TagFile::LastErrorText()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}
