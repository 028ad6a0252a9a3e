#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// One 276-byte file entry of a many-file package: the file's name (no folder) in the ANSI code
// page, NUL-padded to 260 bytes, then its data offset from the start of the executable and its
// data size, both 64-bit little-endian.
class PackageEntry {
public:
    PackageEntry();
    // bytes holds at least PackageLayout::kEntrySize bytes.
    static PackageEntry FromBytes(const char* bytes);
    // The name is NUL-padded; it must leave room for the terminating NUL.
    static PackageEntry Make(const QByteArray& ansiName, qint64 offset, qint64 size);

    QByteArray ToBytes() const;

    // The name bytes up to the first NUL, and as a wide text.
    QByteArray NameBytes() const;
    QString Name() const;

    // Why the name cannot be used as a file name inside the extraction folder (a folder part,
    // "." or "..", an absolute path, nothing at all); empty when it can.
    static QString RefusalOfName(const QString& name);

    qint64 offset = 0;
    qint64 size = 0;

private:
    // The stored name field whole, so that a rewritten package carries it unchanged.
    QByteArray nameField_;
};
