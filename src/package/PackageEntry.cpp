#include "package/PackageEntry.h"

#include "evidence/AnsiCodePage.h"
#include "package/PackageLayout.h"

#include <QtEndian>

using namespace PackageLayout;

PackageEntry::PackageEntry() : nameField_(kEntryNameSize, '\0') {}

PackageEntry PackageEntry::FromBytes(const char* bytes)
{
    PackageEntry entry;
    entry.nameField_ = QByteArray(bytes, kEntryNameSize);
    entry.offset = qFromLittleEndian<qint64>(bytes + kEntryOffsetAt);
    entry.size = qFromLittleEndian<qint64>(bytes + kEntrySizeAt);
    return entry;
}

PackageEntry PackageEntry::Make(const QByteArray& ansiName, qint64 offset, qint64 size)
{
    Q_ASSERT(ansiName.size() < kEntryNameSize);
    PackageEntry entry;
    entry.nameField_.replace(0, ansiName.size(), ansiName);
    entry.offset = offset;
    entry.size = size;
    return entry;
}

QByteArray PackageEntry::ToBytes() const
{
    QByteArray bytes = nameField_;
    bytes.resize(kEntrySize);
    qToLittleEndian<qint64>(offset, bytes.data() + kEntryOffsetAt);
    qToLittleEndian<qint64>(size, bytes.data() + kEntrySizeAt);
    return bytes;
}

QByteArray PackageEntry::NameBytes() const
{
    const qsizetype end = nameField_.indexOf('\0');
    return end < 0 ? nameField_ : nameField_.left(end);
}

QString PackageEntry::Name() const
{
    return AnsiCodePage::ToWide(NameBytes());
}

QString PackageEntry::RefusalOfName(const QString& name)
{
    // The names come from the file; any of these would write outside the extraction folder
    // or over the folder itself.
    if (name.isEmpty())
        return QStringLiteral("the name is empty");
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return QStringLiteral("the name is a folder reference");
    if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')))
        return QStringLiteral("the name has a folder part");
    if (name.size() >= 2 && name.at(1) == QLatin1Char(':') && name.at(0).isLetter())
        return QStringLiteral("the name is an absolute path");
    return QString();
}
