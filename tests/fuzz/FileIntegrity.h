#pragma once

// The read-only promise of the player: a file it opens, plays, snapshots or extracts without
// saving bookmarks is byte for byte what it was. Made before the operation, asked after it.
#include <QByteArray>
#include <QString>

class FileIntegrity {
public:
    explicit FileIntegrity(const QString& path);

    static QByteArray Sha256(const QString& path);

    // Same SHA-256, size and modification time as when this object was made, and no backup left
    // beside the file (a rewrite with the same bytes is a change too).
    bool Unchanged() const;
    // What changed, for the failure message.
    QString Describe() const;
    const QString& Path() const { return path_; }

private:
    QString path_;
    QByteArray hash_;
    qint64 size_ = -1;
    qint64 modifiedNs_ = -1;
};
