#pragma once

#include "map/CppSQLite3DB.h"

#include <QSettings>
#include <QString>
#include <QTemporaryDir>

// A fresh folder per test and a few direct looks into a cache file.
struct MapTestFiles {
    QTemporaryDir dir;

    QString Cache() const { return dir.filePath(QStringLiteral("Data.gmdb")); }

    static qint64 Scalar(const QString& file, const char* sql)
    {
        CppSQLite3DB db;
        db.Open(file, false);
        qint64 value = 0;
        {
            CppSQLite3Query q = db.ExecQuery(QByteArray(sql));
            value = q.Eof() ? -1 : q.GetIntField(0, -2);
        }
        db.Close();
        return value;
    }

    static void Exec(const QString& file, const char* sql)
    {
        CppSQLite3DB db;
        db.Open(file, false);
        db.ExecDML(QByteArray(sql));
        db.Close();
    }
};

// Sets a value in the program's settings for the length of a test.
class ScopedSetting {
public:
    ScopedSetting(const char* key, const QString& value)
        : key_(QLatin1String(key))
    {
        QSettings(QStringLiteral("Quorvane"), QStringLiteral("Plomera")).setValue(key_, value);
    }
    ~ScopedSetting() { QSettings(QStringLiteral("Quorvane"), QStringLiteral("Plomera")).remove(key_); }

private:
    QString key_;
};
