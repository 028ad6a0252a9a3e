#pragma once

#include <QString>
#include <QtGlobal>
#include <atomic>
#include <functional>

// The custody digests of an evidence file, in one read-only pass: SHA-256 of the whole file,
// SHA-256 of its stream region (the bytes before the sections and the tag, which bookmark saves
// never touch) and MD5 of the whole file. SHA-256 runs on the calling thread, MD5 beside it on a
// thread of its own; the file is never opened for writing. Size and modification time are taken
// before and after, so a file that changed while it was read is reported.
class CustodyDigest {
public:
    struct Stamp {
        qint64 size = -1;
        qint64 mtimeNanos = 0;  // since 1970 UTC
        bool operator==(const Stamp&) const = default;
    };
    struct Result {
        bool complete = false;
        bool cancelled = false;
        QString error;           // the failure in the system's words; empty when the pass worked
        Stamp before;
        Stamp after;
        qint64 regionEnd = -1;   // -1: no stream region known (no tag)
        QString sha256File;      // lower-case hex
        QString sha256Region;
        QString md5File;
        bool Changed() const { return complete && !(before == after); }
    };
    // Called after each block on the hashing thread.
    using Progress = std::function<void(qint64 done, qint64 total)>;

    static constexpr qint64 kBlockSize = 4 << 20;

    // regionEnd: FileTag::StreamRegionEnd(), or -1 when the file has no tag. cancel is read
    // between blocks (may be null). background: the calling thread and the MD5 thread run at a
    // lower priority (nice 10) from then on, so the user interface keeps the processor while a
    // dedicated worker hashes.
    static Result Compute(const QString& path, qint64 regionEnd, const std::atomic<bool>* cancel,
                          const Progress& progress, bool background = false);
    static Stamp StampOf(const QString& path);
};
