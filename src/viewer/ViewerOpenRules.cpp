#include "viewer/ViewerOpenRules.h"

#include <QDir>
#include <QFileInfo>

bool ViewerOpenRules::PassesSizeFloor(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() && info.isFile() && (info.size() >> 20) >= (kFileSizeFloor >> 20);
}

QString ViewerOpenRules::CanonicalPath(const QString& path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

bool ViewerOpenRules::SameFile(const QString& a, const QString& b)
{
    return a == b || CanonicalPath(a) == CanonicalPath(b);
}
