#pragma once

#include <QtGlobal>
#include <functional>

class QFileDevice;

// Copies a byte range of one open file to the current position of another, in the package's
// 10 MiB blocks. The kernel copies between the two files where it can (no pass through our
// memory); elsewhere the block goes through one buffer.
class PackageCopy {
public:
    // Called after every block but the last with the bytes copied so far.
    using Progress = std::function<void(qint64 done)>;

    // Copies size bytes from source at offset; target's position ends behind them. Throws
    // FalException on a read or write failure or when the source ends early.
    static void CopyRange(QFileDevice& source, qint64 offset, qint64 size, QFileDevice& target,
                          const Progress& progress = {});
};
