#pragma once

#include "evidence/CustodyDigest.h"

#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <QStringList>

// The plain-text custody report of one evidence file: who checked what, when, on which machine,
// with which program version, the file's size, time and digests, and what its tag says.
class CustodyReport {
public:
    struct Facts {
        QString version;        // the program's file version
        QDateTime checkedAt;    // local
        QString user;
        QString host;
        QString path;
        QString camera;         // empty from the command line
        CustodyDigest::Result digest;
        QJsonObject tag;        // as `info --json` prints it; empty without a tag
    };

    static QString Text(const Facts& facts);
    // The user and host of this process.
    static QString CurrentUser();
    static QString CurrentHost();
    // Writes the text to a file as a whole (temporary file renamed into place). Refuses a target
    // that is one of the protected files (the open evidence) or holds an evidence tag. Returns
    // the failure text, empty on success.
    static QString Write(const QString& target, const QString& text, const QStringList& protectedPaths);

    static const QString kOverEvidence;
};
