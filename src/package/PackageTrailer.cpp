#include "package/PackageTrailer.h"

#include "evidence/FalException.h"
#include "package/PackageLayout.h"

#include <QIODevice>
#include <QtEndian>

#include <algorithm>

using namespace PackageLayout;

namespace {

[[noreturn]] void Damaged(const QString& why)
{
    throw FalException(QStringLiteral("Package trailer damaged: %1").arg(why));
}

// True when [offset, offset + size) lies inside [0, end); written so that no sum can overflow.
bool InsideData(qint64 offset, qint64 size, qint64 end)
{
    return offset >= 0 && size >= 0 && size <= end && offset <= end - size;
}

}  // namespace

QByteArray PackageTrailer::ReadAt(QIODevice& file, qint64 fromEnd, qint64 length) const
{
    QByteArray bytes(length, Qt::Uninitialized);
    ReadAt(file, fromEnd, bytes.data(), length);
    return bytes;
}

void PackageTrailer::ReadAt(QIODevice& file, qint64 fromEnd, char* into, qint64 length) const
{
    if (!file.seek(fileSize_ - fromEnd))
        throw FalException(QStringLiteral("Couldn't seek in the package: %1").arg(file.errorString()));
    if (file.read(into, length) != length)
        throw FalException(QStringLiteral("Couldn't read the package trailer: %1").arg(file.errorString()));
}

bool PackageTrailer::ReadTail(QIODevice& file, qint64 size)
{
    fileSize_ = size;
    if (size < kTailSize)
        return false;
    char tail[kTailSize];
    ReadAt(file, kTailSize, tail, kTailSize);
    if (QByteArrayView(tail + kKindSize, kMarkerSize) != QByteArrayView(kMarker, kMarkerSize))
        return false;
    kind_ = qFromLittleEndian<quint32>(tail);
    marker_ = QByteArray(tail + kKindSize, kMarkerSize);
    return true;
}

void PackageTrailer::ReadSingleFileBlock(QIODevice& file)
{
    if (fileSize_ < kSingleFileBlockFromEnd)
        Damaged(QStringLiteral("the file is too short for its trailer"));
    char raw[kSingleFileBlockSize];
    ReadAt(file, kSingleFileBlockFromEnd, raw, kSingleFileBlockSize);
    const QByteArray block(raw, kSingleFileBlockSize);
    const qint64 offset = qFromLittleEndian<qint64>(raw + kSingleFileOffsetAt);
    const qint64 size = qFromLittleEndian<qint64>(raw + kSingleFileSizeAt);
    if (!InsideData(offset, size, fileSize_ - kSingleFileBlockFromEnd))
        Damaged(QStringLiteral("the file's data (offset %1, size %2) lies outside the package").arg(offset).arg(size));
    singleFileBlock_ = block;
    singleFileOffset_ = offset;
    singleFileSize_ = size;
    protection_ = static_cast<quint8>(block.at(kSingleFileProtectionAt));
}

void PackageTrailer::ReadManyFilesBlock(QIODevice& file)
{
    if (fileSize_ < kManyFilesBlockFromEnd)
        Damaged(QStringLiteral("the file is too short for its trailer"));
    char raw[kManyFilesBlockSize];
    ReadAt(file, kManyFilesBlockFromEnd, raw, kManyFilesBlockSize);
    const QByteArray block(raw, kManyFilesBlockSize);
    const quint32 count = qFromLittleEndian<quint32>(raw + kManyFilesCountAt);
    const qint64 room = fileSize_ - kManyFilesBlockFromEnd;
    if (qint64(count) > room / kEntrySize)
        Damaged(QStringLiteral("%1 entries do not fit the file").arg(count));
    const qint64 tableFromEnd = kManyFilesBlockFromEnd + kEntrySize * qint64(count);
    const qint64 dataEnd = fileSize_ - tableFromEnd;
    // Read and checked a slice at a time, so that a damaged count is refused at its first
    // impossible entry rather than after reading a table as large as the file.
    constexpr qint64 kSlice = 4096;
    std::vector<PackageEntry> entries;
    for (qint64 first = 0; first < count; first += kSlice) {
        const qint64 slice = std::min<qint64>(kSlice, count - first);
        const QByteArray table = ReadAt(file, tableFromEnd - kEntrySize * first, kEntrySize * slice);
        for (qint64 j = 0; j < slice; ++j) {
            PackageEntry entry = PackageEntry::FromBytes(table.constData() + kEntrySize * j);
            if (!InsideData(entry.offset, entry.size, dataEnd))
                Damaged(QStringLiteral("entry %1 (offset %2, size %3) lies outside the package")
                            .arg(first + j)
                            .arg(entry.offset)
                            .arg(entry.size));
            entries.push_back(std::move(entry));
        }
    }
    manyFilesBlock_ = block;
    count_ = count;
    protection_ = static_cast<quint8>(block.at(kManyFilesProtectionAt));
    entries_ = std::move(entries);
}

QByteArray PackageTrailer::DigestField() const
{
    if (!manyFilesBlock_.isEmpty())
        return manyFilesBlock_.mid(kManyFilesDigestAt, kDigestFieldSize);
    if (!singleFileBlock_.isEmpty())
        return singleFileBlock_.mid(kSingleFileDigestAt, kDigestFieldSize);
    return QByteArray();
}

QByteArray PackageTrailer::ManyFilesTrailer(const std::vector<PackageEntry>& entries, const QByteArray& block,
                                            const QByteArray& marker)
{
    Q_ASSERT(block.size() == kManyFilesBlockSize && marker.size() == kMarkerSize);
    QByteArray bytes;
    bytes.reserve(kEntrySize * qsizetype(entries.size()) + kManyFilesBlockFromEnd);
    for (const PackageEntry& entry : entries)
        bytes += entry.ToBytes();
    bytes += block;
    char kind[kKindSize];
    qToLittleEndian<quint32>(kKindManyFiles, kind);
    bytes.append(kind, kKindSize);
    bytes += marker;
    return bytes;
}

QByteArray PackageTrailer::MakeManyFilesBlock(quint32 count, quint8 protection, const QByteArray& digest)
{
    Q_ASSERT(digest.size() <= kDigestFieldSize);
    QByteArray block(kManyFilesBlockSize, '\0');
    qToLittleEndian<quint32>(count, block.data() + kManyFilesCountAt);
    block[kManyFilesProtectionAt] = char(protection);
    block.replace(kManyFilesDigestAt, digest.size(), digest);
    return block;
}

QByteArray PackageTrailer::SingleFileTrailer(qint64 offset, qint64 size, quint8 protection, const QByteArray& digestText)
{
    Q_ASSERT(digestText.size() < kDigestFieldSize);
    QByteArray bytes(kSingleFileBlockFromEnd, '\0');
    qToLittleEndian<qint64>(offset, bytes.data() + kSingleFileOffsetAt);
    qToLittleEndian<qint64>(size, bytes.data() + kSingleFileSizeAt);
    bytes[kSingleFileProtectionAt] = char(protection);
    bytes.replace(kSingleFileDigestAt, digestText.size(), digestText);
    qToLittleEndian<quint32>(kKindSingleFile, bytes.data() + kSingleFileBlockSize);
    bytes.replace(kSingleFileBlockSize + kKindSize, kMarkerSize, QByteArray(kMarker, kMarkerSize));
    return bytes;
}
