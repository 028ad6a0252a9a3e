#include "FuzzSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <memory>

void FuzzFailed(const char* condition, const char* file, int line)
{
    std::fprintf(stderr, "fuzz check failed: %s (%s:%d)\n", condition, file, line);
    std::fflush(stderr);
    std::abort();
}

QString FuzzScratchFolder()
{
    static std::unique_ptr<QTemporaryDir> folder = [] {
        // The fuzz script names a folder it removes after the run: a target stopped by a finding
        // aborts and never gets to remove its own.
        const QString given = qEnvironmentVariable("PLOMERA_FUZZ_SCRATCH");
        const QString base = !given.isEmpty()                            ? given
                             : QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm")
                                                                         : QDir::tempPath();
        auto dir = std::make_unique<QTemporaryDir>(base + QStringLiteral("/plomera-fuzz-XXXXXX"));
        if (!dir->isValid()) {
            FuzzFailed("scratch folder can be made", __FILE__, __LINE__);
        }
        return dir;
    }();
    return folder->path();
}

QByteArray ReadWholeFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        return {};
    }
    return f.readAll();
}

ScratchFile::ScratchFile(const uint8_t* data, size_t size, const QString& name)
    : ScratchFile(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)), name)
{
}

ScratchFile::ScratchFile(const QByteArray& bytes, const QString& name)
    : path_(FuzzScratchFolder() + QLatin1Char('/') + name)
{
    QFile f(path_);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size()) {
        FuzzFailed("scratch file can be written", __FILE__, __LINE__);
    }
}

ScratchFile::~ScratchFile()
{
    QFile::remove(path_);
}

QByteArray ScratchFile::Bytes() const
{
    return ReadWholeFile(path_);
}
