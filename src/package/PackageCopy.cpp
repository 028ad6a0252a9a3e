#include "package/PackageCopy.h"

#include "evidence/FalException.h"
#include "package/PackageLayout.h"

#include <QFileDevice>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <unistd.h>

namespace {

// The kernel copies whole pages between page-aligned positions; a file carried at an arbitrary
// offset of the package sits across page boundaries, and there a copy through a buffer that fits
// the processor's cache is several times faster.
constexpr qint64 kPageSize = 4096;
constexpr qint64 kBufferSize = 256 * 1024;

[[noreturn]] void Fail(const char* what, int error)
{
    throw FalException(QStringLiteral("%1: %2").arg(QLatin1String(what), qt_error_string(error)));
}

// One pass of the kernel copy; -1 with errno set, or the bytes copied.
ssize_t KernelCopy(int in, qint64 inAt, int out, qint64 outAt, qint64 length)
{
    loff_t inOffset = inAt;
    loff_t outOffset = outAt;
    return ::copy_file_range(in, &inOffset, out, &outOffset, static_cast<size_t>(length), 0);
}

// One pass through memory: up to length bytes read and all of them written; 0 at the end of
// the source, -1 with errno EINTR when the read was interrupted.
ssize_t BufferCopy(int in, qint64 inAt, int out, qint64 outAt, qint64 length, char* buffer)
{
    const ssize_t moved = ::pread(in, buffer, static_cast<size_t>(std::min(length, kBufferSize)), inAt);
    if (moved < 0 && errno != EINTR)
        Fail("Couldn't read the file data", errno);
    for (ssize_t written = 0; written < moved;) {
        const ssize_t n = ::pwrite(out, buffer + written, static_cast<size_t>(moved - written), outAt + written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            Fail("Couldn't write the file data", n < 0 ? errno : ENOSPC);
        written += n;
    }
    return moved;
}

bool KernelCopyUnavailable(int error)
{
    // Different file systems, an old kernel or a file system without it: copy through memory.
    return error == EXDEV || error == ENOSYS || error == EINVAL || error == EOPNOTSUPP || error == EBADF;
}

}  // namespace

void PackageCopy::CopyRange(QFileDevice& source, qint64 offset, qint64 size, QFileDevice& target,
                            const Progress& progress)
{
    const int in = source.handle();
    const int out = target.handle();
    if (in < 0 || out < 0)
        throw FalException(QStringLiteral("Package copy needs open files"));
    if (!target.flush())
        throw FalException(QStringLiteral("Couldn't write the file: %1").arg(target.errorString()));
    const qint64 outStart = target.pos();
    bool kernel = (offset - outStart) % kPageSize == 0;
    std::unique_ptr<char[]> buffer;
    qint64 done = 0;
    while (done < size) {
        const qint64 block = std::min(PackageLayout::kCopyBlockSize, size - done);
        qint64 blockDone = 0;
        while (blockDone < block) {
            const qint64 at = done + blockDone;
            const qint64 want = block - blockDone;
            if (!kernel && !buffer)
                buffer = std::make_unique<char[]>(kBufferSize);
            const ssize_t moved = kernel ? KernelCopy(in, offset + at, out, outStart + at, want)
                                         : BufferCopy(in, offset + at, out, outStart + at, want, buffer.get());
            if (moved < 0 && kernel && KernelCopyUnavailable(errno)) {
                kernel = false;
                continue;
            }
            if (moved < 0 && errno == EINTR)
                continue;
            if (moved < 0)
                Fail("Couldn't copy the file data", errno);
            if (moved == 0)
                throw FalException(QStringLiteral("The file data ends %1 bytes early").arg(size - at));
            blockDone += moved;
        }
        done += block;
        if (done < size && progress)
            progress(done);
    }
    if (!target.seek(outStart + size))
        throw FalException(QStringLiteral("Couldn't seek in the file: %1").arg(target.errorString()));
}
