#pragma once

#include <QByteArray>
#include <QCryptographicHash>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <cstdlib>
#include <ctime>
#include <string>

// A fresh folder per test, and the process time zone set by the test itself.
class EvidenceTestFiles {
public:
    EvidenceTestFiles() { SetZone("Europe/London"); }

    static void SetZone(const char* zone)
    {
        setenv("TZ", zone, 1);
        tzset();
    }

    QString Write(const QString& name, const std::string& bytes) const
    {
        const QString path = dir_.path() + "/" + name;
        QFile f(path);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(bytes.data(), static_cast<qint64>(bytes.size()));
        return path;
    }

    static QByteArray Read(const QString& path)
    {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }

    static QByteArray Hash(const QByteArray& bytes)
    {
        return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
    }

    QString Path() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
};
