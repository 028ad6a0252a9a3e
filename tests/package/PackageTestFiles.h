#pragma once

// Packages laid out by hand, byte by byte, independently of the package code, and the small
// things the package tests share.
#include "package/IPackageProgress.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QThread>
#include <QtEndian>

#include <optional>
#include <utility>
#include <vector>

namespace PackageTestFiles {

inline const QByteArray kMarker = QByteArrayLiteral("{12756C78-2246-420E-870C-180649B22AA6}");

inline QByteArray Le32(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

inline QByteArray Le64(qint64 value)
{
    QByteArray bytes(8, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

// A stand-in player: no marker anywhere, a recognisable pattern.
inline QByteArray Player(int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char('A' + i % 23);
    return bytes;
}

inline QByteArray Entry(const QByteArray& name, qint64 offset, qint64 size)
{
    QByteArray bytes = name;
    bytes.resize(260, '\0');
    return bytes + Le64(offset) + Le64(size);
}

// Entries, the 262-byte block, kind 2 and the marker.
inline QByteArray ManyFilesTrailer(const std::vector<QByteArray>& entries, quint32 count, quint8 protection,
                                   const QByteArray& digest = QByteArray(), quint32 kind = 2)
{
    QByteArray bytes;
    for (const QByteArray& entry : entries)
        bytes += entry;
    QByteArray block = Le32(count) + QByteArray(1, '\0') + QByteArray(1, char(protection)) + digest;
    block.resize(262, '\0');
    return bytes + block + Le32(kind) + kMarker;
}

// The 273-byte block, kind 1 and the marker.
inline QByteArray SingleFileTrailer(qint64 offset, qint64 size, quint8 protection, const QByteArray& text = {})
{
    QByteArray block = Le64(offset) + Le64(size) + QByteArray(1, char(protection)) + text;
    block.resize(273, '\0');
    return block + Le32(1) + kMarker;
}

inline void Write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

inline QByteArray Read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The log of the tests' own settings (errors only) in the working folder. The logger writes on
// its own thread, so a line is waited for.
inline bool LogHas(const QString& line, int waitMs = 5000)
{
    const QByteArray wanted = line.toUtf8();
    QElapsedTimer timer;
    timer.start();
    do {
        if (Read(QStringLiteral("OmbrixPlayer.log")).contains(wanted))
            return true;
        QThread::msleep(10);
    } while (timer.elapsed() < waitMs);
    return false;
}

// Records what the package code tells its progress window.
class RecordingProgress : public IPackageProgress {
public:
    explicit RecordingProgress(QStringList* calls) : calls_(calls) {}
    void StartFile(const QString& name, qint64 size, int count) override
    {
        *calls_ << QStringLiteral("start %1 %2 %3").arg(name).arg(size).arg(count);
    }
    void UpdateProgress(qint64 done) override { *calls_ << QStringLiteral("update %1").arg(done); }

    static PackageProgressFactory Factory(QStringList* calls)
    {
        return [calls](const QString& title) -> std::unique_ptr<IPackageProgress> {
            *calls << QStringLiteral("show ") + title;
            return std::make_unique<RecordingProgress>(calls);
        };
    }

private:
    QStringList* calls_;
};

}  // namespace PackageTestFiles
