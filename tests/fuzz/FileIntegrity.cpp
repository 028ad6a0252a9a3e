#include "FileIntegrity.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>

namespace {

qint64 ModifiedNs(const QString& path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) {
        return -1;
    }
    return static_cast<qint64>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

QString BackupOf(const QString& path)
{
    return path + QStringLiteral("_Backup");
}

} // namespace

FileIntegrity::FileIntegrity(const QString& path)
    : path_(path), hash_(Sha256(path)), size_(QFileInfo(path).size()), modifiedNs_(ModifiedNs(path))
{
}

QByteArray FileIntegrity::Sha256(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        return {};
    }
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&f)) {
        return {};
    }
    return hash.result();
}

bool FileIntegrity::Unchanged() const
{
    return !hash_.isEmpty() && Sha256(path_) == hash_ && QFileInfo(path_).size() == size_
        && ModifiedNs(path_) == modifiedNs_ && !QFileInfo::exists(BackupOf(path_));
}

QString FileIntegrity::Describe() const
{
    return QStringLiteral("%1: SHA-256 %2 -> %3, size %4 -> %5, modified %6 -> %7%8")
        .arg(path_, QString::fromLatin1(hash_.toHex().left(16)), QString::fromLatin1(Sha256(path_).toHex().left(16)))
        .arg(size_)
        .arg(QFileInfo(path_).size())
        .arg(modifiedNs_)
        .arg(ModifiedNs(path_))
        .arg(QFileInfo::exists(BackupOf(path_)) ? QStringLiteral(", backup left") : QString());
}
