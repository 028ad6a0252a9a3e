#pragma once

#include "package/PackageEntry.h"

#include <QByteArray>
#include <QtGlobal>
#include <vector>

class QIODevice;

// What the trailer of a package says, as read from the end of the executable: the kind, the
// marker, the one-file block or the many-file block with its entry table. Every offset, size
// and count is checked against the file before anything is extracted; a damaged trailer is
// refused with FalException, never followed outside the file.
class PackageTrailer {
public:
    // Reads the last 42 bytes of file (size bytes long). False when the marker is missing:
    // the file is a plain player.
    bool ReadTail(QIODevice& file, qint64 size);
    // The block of the kind read by ReadTail, and for a many-file package its entry table.
    // Throws FalException when the trailer does not fit the file.
    void ReadSingleFileBlock(QIODevice& file);
    void ReadManyFilesBlock(QIODevice& file);

    quint32 Kind() const { return kind_; }
    const QByteArray& Marker() const { return marker_; }
    qint64 FileSize() const { return fileSize_; }
    bool HasSingleFileBlock() const { return !singleFileBlock_.isEmpty(); }
    bool HasManyFilesBlock() const { return !manyFilesBlock_.isEmpty(); }

    // One-file block.
    qint64 SingleFileOffset() const { return singleFileOffset_; }
    qint64 SingleFileSize() const { return singleFileSize_; }
    // Protection byte of the block read.
    quint8 Protection() const { return protection_; }
    // The digest field of the block read (256 bytes: text for one file, raw for many files).
    QByteArray DigestField() const;

    // Many-file block and entries.
    quint32 Count() const { return count_; }
    const QByteArray& ManyFilesBlock() const { return manyFilesBlock_; }
    const std::vector<PackageEntry>& Entries() const { return entries_; }

    // The trailer that follows the file data of a many-file package: the entries, the block,
    // the kind and the marker.
    static QByteArray ManyFilesTrailer(const std::vector<PackageEntry>& entries, const QByteArray& block,
                                       const QByteArray& marker);
    // A many-file block for count entries.
    static QByteArray MakeManyFilesBlock(quint32 count, quint8 protection, const QByteArray& digest);
    // The trailer that follows the file data of a one-file package.
    static QByteArray SingleFileTrailer(qint64 offset, qint64 size, quint8 protection, const QByteArray& digestText);

private:
    QByteArray ReadAt(QIODevice& file, qint64 fromEnd, qint64 length) const;
    void ReadAt(QIODevice& file, qint64 fromEnd, char* into, qint64 length) const;

    qint64 fileSize_ = 0;
    quint32 kind_ = 0;
    QByteArray marker_;
    QByteArray singleFileBlock_;
    qint64 singleFileOffset_ = 0;
    qint64 singleFileSize_ = 0;
    quint8 protection_ = 0;
    QByteArray manyFilesBlock_;
    quint32 count_ = 0;
    std::vector<PackageEntry> entries_;
};
