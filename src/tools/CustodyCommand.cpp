#include "tools/CustodyCommand.h"

#include "evidence/CustodyDigest.h"
#include "evidence/CustodyReport.h"
#include "evidence/FileTag.h"
#include "evidence/FileTagJson.h"
#include "tools/CommandOutput.h"
#include "tools/ToolCommand.h"

#include <QDateTime>
#include <QFileInfo>
#include <QJsonObject>
#include <exception>

#ifndef PLOMERA_VERSION
#define PLOMERA_VERSION "unknown"
#endif

namespace {

int Run(const CommandArguments& args, CommandOutput& io)
{
    args.ExpectPositional(1, 1, QStringLiteral("FILE"));
    const QString path = args.Positional().first();
    const QString reportPath = args.Value(QStringLiteral("--report"));
    const QFileInfo info(path);
    if (!info.isFile()) {
        io.Message(QStringLiteral("Cannot read %1: no such file").arg(path));
        return 2;
    }
    CustodyReport::Facts facts;
    facts.version = QStringLiteral(PLOMERA_VERSION);
    facts.checkedAt = QDateTime::currentDateTime();
    facts.user = CustodyReport::CurrentUser();
    facts.host = CustodyReport::CurrentHost();
    facts.path = info.absoluteFilePath();
    facts.camera = args.Value(QStringLiteral("--camera"));
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
        io.Message(facts.digest.error);
        return 2;
    }
    const QString text = CustodyReport::Text(facts);
    if (!reportPath.isEmpty()) {
        const QString failure = CustodyReport::Write(reportPath, text, {facts.path});
        if (!failure.isEmpty()) {
            io.Message(failure);
            return 2;
        }
    }
    if (args.Has(QStringLiteral("--json"))) {
        QJsonObject o;
        o[QStringLiteral("path")] = facts.path;
        o[QStringLiteral("size")] = facts.digest.after.size;
        o[QStringLiteral("sha256File")] = facts.digest.sha256File;
        o[QStringLiteral("sha256Region")] = facts.digest.regionEnd >= 0 ? QJsonValue(facts.digest.sha256Region) : QJsonValue();
        o[QStringLiteral("regionEnd")] = facts.digest.regionEnd;
        o[QStringLiteral("md5File")] = facts.digest.md5File;
        o[QStringLiteral("changedWhileRead")] = facts.digest.Changed();
        if (!reportPath.isEmpty())
            o[QStringLiteral("report")] = QFileInfo(reportPath).absoluteFilePath();
        io.Json(o);
        return 0;
    }
    io.Line(text.trimmed());
    return 0;
}

} // namespace

const ToolCommand& CustodyCommand::Command()
{
    static const ToolCommand command{
        "custody",
        "the custody digests and report of an evidence file",
        "custody FILE [--report OUT] [--camera NAME] [--json]",
        R"HELP(Computes, in one read-only pass, SHA-256 of the whole file, SHA-256 of its stream region
(the bytes before the sections and the tag, which bookmark saves never touch) and MD5 of the
whole file, and prints the custody report the player's file information shows. A file that
changed while it was read is reported so. The file is only read.

Options:
  --report OUT   also write the report to OUT (never over an evidence file)
  --camera NAME  the camera the report names
  --json         one JSON object: path, size, sha256File, sha256Region (null without a tag),
                 regionEnd, md5File, changedWhileRead, report (when written)

Exit codes:
  0   the digests were computed
  2   the file cannot be read, or the report cannot be written
  64  a mistake in the command line
)HELP",
        {{QStringLiteral("--report"), QStringLiteral("OUT")},
         {QStringLiteral("--camera"), QStringLiteral("NAME")},
         {QStringLiteral("--json"), {}}},
        &Run,
    };
    return command;
}
