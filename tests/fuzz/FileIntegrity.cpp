#include "FileIntegrity.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

FileIntegrity::FileIntegrity(const QString& path)
    : path_(path), hash_(Sha256(path)), size_(QFileInfo(path).size())
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
        && !QFileInfo::exists(path_ + QStringLiteral("_Backup"));
}

QString FileIntegrity::Describe() const
{
    return QStringLiteral("%1: SHA-256 %2 -> %3, size %4 -> %5%6")
        .arg(path_, QString::fromLatin1(hash_.toHex().left(16)), QString::fromLatin1(Sha256(path_).toHex().left(16)))
        .arg(size_)
        .arg(QFileInfo(path_).size())
        .arg(QFileInfo::exists(path_ + QStringLiteral("_Backup")) ? QStringLiteral(", backup left") : QString());
}
