#include "tools/CustodyCommand.h"

#include "evidence/CustodyDigest.h"
#include "evidence/CustodyReport.h"
#include "evidence/FileTag.h"
#include "evidence/FileTagJson.h"
#include "tools/CommandLineText.h"

#include <QDateTime>
#include <QFileInfo>
#include <exception>

#ifndef PLOMERA_VERSION
#define PLOMERA_VERSION "unknown"
#endif

namespace {

const QString kUsage = QStringLiteral("usage: plomera-evidence custody FILE [--report OUT] [--camera NAME]");

} // namespace

int CustodyCommand::Run(const QStringList& args)
{
    QString path;
    QString reportPath;
    QString camera;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if ((a == QLatin1String("--report") || a == QLatin1String("--camera")) && i + 1 < args.size()) {
            (a == QLatin1String("--report") ? reportPath : camera) = args[++i];
        } else if (a == QLatin1String("--help")) {
            CommandLineText::Out(kUsage);
            return 0;
        } else if (path.isEmpty() && !a.startsWith(QLatin1String("--"))) {
            path = a;
        } else {
            CommandLineText::Err(kUsage);
            return 64;
        }
    }
    if (path.isEmpty()) {
        CommandLineText::Err(kUsage);
        return 64;
    }
    const QFileInfo info(path);
    if (!info.isFile()) {
        CommandLineText::Err(QStringLiteral("Cannot read %1: no such file").arg(path));
        return 2;
    }
    CustodyReport::Facts facts;
    facts.version = QStringLiteral(PLOMERA_VERSION);
    facts.checkedAt = QDateTime::currentDateTime();
    facts.user = CustodyReport::CurrentUser();
    facts.host = CustodyReport::CurrentHost();
    facts.path = info.absoluteFilePath();
    facts.camera = camera;
    qint64 regionEnd = -1;
    try {
        FileTag tag;
        if (tag.LoadFromFile(path)) {
            regionEnd = tag.StreamRegionEnd();
            facts.tag = FileTagJson::Of(tag, true);
        }
    } catch (const std::exception&) {
        // No readable tag: the digests still stand for the file's bytes.
    }
    facts.digest = CustodyDigest::Compute(path, regionEnd, nullptr, {});
    if (!facts.digest.complete) {
        CommandLineText::Err(facts.digest.error);
        return 2;
    }
    const QString text = CustodyReport::Text(facts);
    CommandLineText::Out(text.trimmed());
    if (!reportPath.isEmpty()) {
        const QString failure = CustodyReport::Write(reportPath, text, {facts.path});
        if (!failure.isEmpty()) {
            CommandLineText::Err(failure);
            return 2;
        }
    }
    return 0;
}
