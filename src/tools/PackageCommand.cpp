#include "tools/PackageCommand.h"

#include "evidence/FalException.h"
#include "package/PackageEntry.h"
#include "package/PackageExtraction.h"
#include "package/PackageLayout.h"
#include "package/PackageWriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <optional>

using namespace PackageLayout;

namespace {

int Usage(QTextStream& err)
{
    err << "usage: plomera-evidence package create OUT FILE... [--password P] [--kind 1|2] [--player PATH]\n"
           "       plomera-evidence package list PKG\n"
           "       plomera-evidence package extract PKG DIR [--password P]"
        << Qt::endl;
    return 2;
}

struct Options {
    QStringList positional;
    std::optional<QString> password;
    QString kind = QStringLiteral("2");
    QString player;
};

std::optional<Options> Parse(const QStringList& args)
{
    Options options;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--password") || a == QLatin1String("--kind") || a == QLatin1String("--player")) {
            if (i + 1 >= args.size())
                return std::nullopt;
            const QString& value = args[++i];
            if (a == QLatin1String("--password"))
                options.password = value;
            else if (a == QLatin1String("--kind"))
                options.kind = value;
            else
                options.player = value;
        } else if (a.startsWith(QLatin1String("--"))) {
            return std::nullopt;
        } else {
            options.positional << a;
        }
    }
    return options;
}

QString DefaultPlayer()
{
    const QString here = QCoreApplication::applicationDirPath();
    for (const QString& candidate : {here + QStringLiteral("/plomera"), here + QStringLiteral("/../app/plomera")}) {
        if (QFileInfo(candidate).isExecutable())
            return QDir::cleanPath(candidate);
    }
    return QString();
}

int Create(const Options& options, QTextStream& out, QTextStream& err)
{
    if (options.positional.size() < 2 || (options.kind != QLatin1String("1") && options.kind != QLatin1String("2")))
        return Usage(err);
    const QString player = options.player.isEmpty() ? DefaultPlayer() : options.player;
    if (player.isEmpty()) {
        err << "no player found beside this tool; give --player PATH" << Qt::endl;
        return 2;
    }
    const QString target = options.positional.first();
    const QStringList files = options.positional.mid(1);
    for (const QString& file : files) {
        if (!QFileInfo(file).isFile()) {
            err << "not a file: " << file << Qt::endl;
            return 1;
        }
    }
    PackageWriter::CreatePackage(player, files, target, options.password, options.kind.toUInt());
    out << target << ": kind " << options.kind << ", " << files.size() << " file(s)"
        << (options.password ? ", password" : "") << Qt::endl;
    return 0;
}

QString ProtectionText(quint8 protection)
{
    if (protection == kPasswordRequired)
        return QStringLiteral("password");
    if (protection == kNoPassword)
        return QStringLiteral("none");
    return QStringLiteral("%1 (unusable)").arg(protection);
}

int List(const Options& options, QTextStream& out, QTextStream& err)
{
    if (options.positional.size() != 1 || options.password || !options.player.isEmpty())
        return Usage(err);
    QFile file(options.positional.first());
    if (!file.open(QIODevice::ReadOnly)) {
        err << "couldn't open " << file.fileName() << ": " << file.errorString() << Qt::endl;
        return 1;
    }
    PackageTrailer trailer;
    if (!trailer.ReadTail(file, file.size())) {
        err << file.fileName() << " is not a package" << Qt::endl;
        return 1;
    }
    out << "kind: " << trailer.Kind() << Qt::endl;
    if (trailer.Kind() == kKindSingleFile) {
        trailer.ReadSingleFileBlock(file);
        out << "protection: " << ProtectionText(trailer.Protection()) << Qt::endl;
        out << "file: offset " << trailer.SingleFileOffset() << " size " << trailer.SingleFileSize() << Qt::endl;
        return 0;
    }
    if (trailer.Kind() != kKindManyFiles) {
        err << "package kind " << trailer.Kind() << " is not known" << Qt::endl;
        return 1;
    }
    trailer.ReadManyFilesBlock(file);
    out << "protection: " << ProtectionText(trailer.Protection()) << Qt::endl;
    out << "files: " << trailer.Count() << Qt::endl;
    int i = 0;
    for (const PackageEntry& entry : trailer.Entries()) {
        const QString refusal = PackageEntry::RefusalOfName(entry.Name());
        out << "entry " << i++ << ": offset " << entry.offset << " size " << entry.size << " name " << entry.Name();
        if (!refusal.isEmpty())
            out << " (refused: " << refusal << ")";
        out << Qt::endl;
    }
    return 0;
}

int Extract(const Options& options, QTextStream& out, QTextStream& err)
{
    if (options.positional.size() != 2 || !options.player.isEmpty())
        return Usage(err);
    const QString folder = QDir::cleanPath(options.positional.at(1));
    PackageExtraction extraction(options.positional.first());
    extraction.SetExtractionFolder(folder);
    bool asked = false;
    extraction.SetPasswordPrompt([&]() {
        asked = true;
        return options.password;
    });
    QStringList extracted;
    extraction.SetFileExtracted([&](const QString& path) {
        extracted << path;
        return true;
    });
    QString target = folder + QLatin1Char('/') + QLatin1String(kSingleFileName);
    if (!QFileInfo::exists(extraction.ExecutablePath())) {
        err << "no such file: " << extraction.ExecutablePath() << Qt::endl;
        return 1;
    }
    const bool ok = extraction.InitializeVideoExtraction(target);
    if (!extraction.IsPackage()) {
        err << extraction.ExecutablePath() << " is not a package" << Qt::endl;
        return 1;
    }
    if (!ok) {
        if (asked && !options.password)
            err << "the package needs a password: give --password P" << Qt::endl;
        else if (asked)
            err << "wrong password" << Qt::endl;
        else
            err << "nothing extracted (see the log)" << Qt::endl;
        return 1;
    }
    if (extraction.Trailer().Kind() == kKindSingleFile)
        extracted << target;
    for (const QString& path : extracted)
        out << path << Qt::endl;
    return 0;
}

}  // namespace

int PackageCommand::Run(const QStringList& args)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    return Run(args, out, err);
}

int PackageCommand::Run(const QStringList& args, QTextStream& out, QTextStream& err)
{
    if (args.isEmpty())
        return Usage(err);
    const std::optional<Options> options = Parse(args.mid(1));
    if (!options)
        return Usage(err);
    const QString action = args.first();
    try {
        if (action == QLatin1String("create"))
            return Create(*options, out, err);
        if (action == QLatin1String("list"))
            return List(*options, out, err);
        if (action == QLatin1String("extract"))
            return Extract(*options, out, err);
    } catch (const FalException& e) {
        err << e.Message() << Qt::endl;
        return 1;
    }
    return Usage(err);
}
