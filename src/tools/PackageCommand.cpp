#include "tools/PackageCommand.h"

#include "evidence/FalException.h"
#include "package/PackageEntry.h"
#include "package/PackageExtraction.h"
#include "package/PackageLayout.h"
#include "package/PackageWriter.h"
#include "tools/CommandOutput.h"
#include "tools/ProgressCounter.h"
#include "tools/ToolCommand.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>

#include <optional>

using namespace PackageLayout;

namespace {

const QString kPassword = QStringLiteral("--password");
const QString kKind = QStringLiteral("--kind");
const QString kPlayer = QStringLiteral("--player");
const QString kJson = QStringLiteral("--json");
const QString kQuiet = QStringLiteral("--quiet");

// The package code's progress window, drawn as the tool's one-line counter.
class CounterProgress : public IPackageProgress {
public:
    explicit CounterProgress(ProgressCounter& counter) : counter_(counter) {}
    void StartFile(const QString& name, qint64 size, int count) override
    {
        ++file_;
        name_ = count > 1 ? QStringLiteral("%1 (%2 of %3)").arg(name).arg(file_).arg(count) : name;
        size_ = size;
    }
    void UpdateProgress(qint64 done) override { counter_.Update(done, size_, name_); }

private:
    ProgressCounter& counter_;
    QString name_;
    qint64 size_ = 0;
    int file_ = 0;
};

PackageProgressFactory CounterFactory(ProgressCounter& counter)
{
    if (!counter.Shown())
        return {};
    return [&counter](const QString&) { return std::make_unique<CounterProgress>(counter); };
}

std::optional<QString> Password(const CommandArguments& args)
{
    return args.Has(kPassword) ? std::optional<QString>(args.Value(kPassword)) : std::nullopt;
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

int Create(const CommandArguments& args, CommandOutput& io)
{
    args.AllowOnly(QStringLiteral("create"), {"--password", "--kind", "--player", "--json", "--quiet"});
    args.ExpectPositional(3, 1 << 20, QStringLiteral("OUT and at least one FILE"));
    const quint32 kind = static_cast<quint32>(args.Integer(kKind, 1, 2).value_or(2));
    const QString player = args.Has(kPlayer) ? args.Value(kPlayer) : DefaultPlayer();
    if (player.isEmpty())
        throw UsageError(QStringLiteral("no player found beside this tool; give --player PATH"));
    const QString target = args.Positional().at(1);
    const QStringList files = args.Positional().mid(2);
    if (kind == kKindSingleFile && files.size() != 1)
        throw UsageError(QStringLiteral("a package of kind 1 carries exactly one file"));
    for (const QString& file : files) {
        if (!QFileInfo(file).isFile()) {
            io.Message(QStringLiteral("not a file: %1").arg(file));
            return 1;
        }
    }
    const std::optional<QString> password = Password(args);
    ProgressCounter counter(io, args.Has(kQuiet), QStringLiteral("package create"), ProgressCounter::Unit::Bytes);
    PackageWriter::CreatePackage(player, files, target, password, kind, CounterFactory(counter));
    counter.Finish();
    if (args.Has(kJson)) {
        io.Json(QJsonObject{{QStringLiteral("path"), target},
                            {QStringLiteral("kind"), static_cast<qint64>(kind)},
                            {QStringLiteral("files"), QJsonArray::fromStringList(files)},
                            {QStringLiteral("password"), password.has_value()}});
    } else {
        io.Line(QStringLiteral("%1: kind %2, %3 file(s)%4")
                    .arg(target)
                    .arg(kind)
                    .arg(files.size())
                    .arg(password ? QStringLiteral(", password") : QString()));
    }
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

int List(const CommandArguments& args, CommandOutput& io)
{
    args.AllowOnly(QStringLiteral("list"), {"--json"});
    args.ExpectPositional(2, 2, QStringLiteral("PKG"));
    QFile file(args.Positional().at(1));
    if (!file.open(QIODevice::ReadOnly)) {
        io.Message(QStringLiteral("couldn't open %1: %2").arg(file.fileName(), file.errorString()));
        return 1;
    }
    PackageTrailer trailer;
    if (!trailer.ReadTail(file, file.size())) {
        io.Message(QStringLiteral("%1 is not a package").arg(file.fileName()));
        return 1;
    }
    if (trailer.Kind() != kKindSingleFile && trailer.Kind() != kKindManyFiles) {
        io.Message(QStringLiteral("package kind %1 is not known").arg(trailer.Kind()));
        return 1;
    }
    QJsonArray entries;
    QStringList lines;
    if (trailer.Kind() == kKindSingleFile) {
        trailer.ReadSingleFileBlock(file);
        entries.append(QJsonObject{{QStringLiteral("index"), 0},
                                   {QStringLiteral("offset"), trailer.SingleFileOffset()},
                                   {QStringLiteral("size"), trailer.SingleFileSize()},
                                   {QStringLiteral("name"), QString::fromLatin1(kSingleFileName)}});
        lines << QStringLiteral("file: offset %1 size %2").arg(trailer.SingleFileOffset()).arg(trailer.SingleFileSize());
    } else {
        trailer.ReadManyFilesBlock(file);
        lines << QStringLiteral("files: %1").arg(trailer.Count());
        int i = 0;
        for (const PackageEntry& entry : trailer.Entries()) {
            const QString refusal = PackageEntry::RefusalOfName(entry.Name());
            QJsonObject o{{QStringLiteral("index"), i},
                          {QStringLiteral("offset"), static_cast<qint64>(entry.offset)},
                          {QStringLiteral("size"), static_cast<qint64>(entry.size)},
                          {QStringLiteral("name"), entry.Name()}};
            QString line = QStringLiteral("entry %1: offset %2 size %3 name %4").arg(i).arg(entry.offset).arg(entry.size).arg(entry.Name());
            if (!refusal.isEmpty()) {
                o[QStringLiteral("refused")] = refusal;
                line += QStringLiteral(" (refused: %1)").arg(refusal);
            }
            entries.append(o);
            lines << line;
            ++i;
        }
    }
    if (args.Has(kJson)) {
        io.Json(QJsonObject{{QStringLiteral("path"), file.fileName()},
                            {QStringLiteral("kind"), static_cast<qint64>(trailer.Kind())},
                            {QStringLiteral("protection"), ProtectionText(trailer.Protection())},
                            {QStringLiteral("entries"), entries}});
        return 0;
    }
    io.Line(QStringLiteral("kind: %1").arg(trailer.Kind()));
    io.Line(QStringLiteral("protection: %1").arg(ProtectionText(trailer.Protection())));
    for (const QString& line : lines)
        io.Line(line);
    return 0;
}

int Extract(const CommandArguments& args, CommandOutput& io)
{
    args.AllowOnly(QStringLiteral("extract"), {"--password", "--json", "--quiet"});
    args.ExpectPositional(3, 3, QStringLiteral("PKG and DIR"));
    const std::optional<QString> password = Password(args);
    const QString folder = QDir::cleanPath(args.Positional().at(2));
    PackageExtraction extraction(args.Positional().at(1));
    extraction.SetExtractionFolder(folder);
    bool asked = false;
    extraction.SetPasswordPrompt([&]() {
        asked = true;
        return password;
    });
    QStringList extracted;
    extraction.SetFileExtracted([&](const QString& path) {
        extracted << path;
        return true;
    });
    ProgressCounter counter(io, args.Has(kQuiet), QStringLiteral("package extract"), ProgressCounter::Unit::Bytes);
    extraction.SetProgressFactory(CounterFactory(counter));
    QString target = folder + QLatin1Char('/') + QLatin1String(kSingleFileName);
    if (!QFileInfo::exists(extraction.ExecutablePath())) {
        io.Message(QStringLiteral("no such file: %1").arg(extraction.ExecutablePath()));
        return 1;
    }
    const bool ok = extraction.InitializeVideoExtraction(target);
    counter.Finish();
    if (!extraction.IsPackage()) {
        io.Message(QStringLiteral("%1 is not a package").arg(extraction.ExecutablePath()));
        return 1;
    }
    if (!ok) {
        if (asked && !password)
            io.Message(QStringLiteral("the package needs a password: give --password P"));
        else if (asked)
            io.Message(QStringLiteral("wrong password"));
        else
            io.Message(QStringLiteral("nothing extracted (see the log)"));
        return 1;
    }
    if (extraction.Trailer().Kind() == kKindSingleFile)
        extracted << target;
    if (args.Has(kJson)) {
        io.Json(QJsonObject{{QStringLiteral("path"), extraction.ExecutablePath()},
                            {QStringLiteral("folder"), folder},
                            {QStringLiteral("files"), QJsonArray::fromStringList(extracted)}});
    } else {
        for (const QString& path : extracted)
            io.Line(path);
    }
    return 0;
}

int Run(const CommandArguments& args, CommandOutput& io)
{
    args.ExpectPositional(1, 1 << 20, QStringLiteral("an action (create, list, extract)"));
    const QString action = args.Positional().first();
    try {
        if (action == QLatin1String("create"))
            return Create(args, io);
        if (action == QLatin1String("list"))
            return List(args, io);
        if (action == QLatin1String("extract"))
            return Extract(args, io);
    } catch (const FalException& e) {
        io.Message(e.Message());
        return 1;
    }
    throw UsageError(QStringLiteral("unknown action '%1' (create, list, extract)").arg(action));
}

} // namespace

const ToolCommand& PackageCommand::Command()
{
    static const ToolCommand command{
        "package",
        "create, list or extract self-contained evidence packages",
        "package create OUT FILE... [--password P] [--kind 1|2] [--player PATH] [--json] [--quiet]\n"
        "package list PKG [--json]\n"
        "package extract PKG DIR [--password P] [--json] [--quiet]",
        R"HELP(Self-contained packages: a copy of the player with evidence files behind it, written and
read by the same code as the player's.
  create    writes OUT: the player with the FILEs behind it, kind 2 (one entry per file) or
            kind 1 (exactly one file); written beside OUT and renamed into place when complete
  list      prints the package's kind, protection and entries
  extract   writes the files a package carries into DIR and prints their paths

Options:
  --password P    create: protect the package with this password; extract: the password
  --kind 1|2      create: the package kind [2]
  --player PATH   create: the player to copy [plomera beside this tool]
  --json          one JSON object instead of the lines:
                    create:  {"path", "kind", "files": [FILE], "password": true|false}
                    list:    {"path", "kind", "protection": "password"|"none"|"N (unusable)",
                              "entries": [{"index", "offset", "size", "name", "refused"?}]}
                    extract: {"path", "folder", "files": [path]}
  --quiet         no progress counter (it is shown only when standard error is a terminal)

Exit codes:
  0   done
  1   not a package, a damaged package, a wrong or missing password, a missing file, or
      writing failed
  64  a mistake in the command line
)HELP",
        {{kPassword, QStringLiteral("P")},
         {kKind, QStringLiteral("1|2")},
         {kPlayer, QStringLiteral("PATH")},
         {kJson, {}},
         {kQuiet, {}}},
        &Run,
    };
    return command;
}
