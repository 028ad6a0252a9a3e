#pragma once

#include <QtGlobal>
#include <functional>

class QFileDevice;

// Copies a byte range of one open file to the current position of another, in the package's
// 10 MiB blocks (the progress steps). Between page-aligned positions the kernel copies between
// the two files (no pass through our memory, a shared extent where the file system can);
// elsewhere the data goes through a small buffer.
class PackageCopy {
public:
    // Called after every block but the last with the bytes copied so far.
    using Progress = std::function<void(qint64 done)>;

    // Copies size bytes from source at offset; target's position ends behind them. Throws
    // FalException on a read or write failure or when the source ends early.
    static void CopyRange(QFileDevice& source, qint64 offset, qint64 size, QFileDevice& target,
                          const Progress& progress = {});
};
