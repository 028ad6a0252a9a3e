#include "tools/BookmarksCommand.h"

#include "evidence/FalException.h"
#include "evidence/FileTag.h"
#include "tools/CommandOutput.h"
#include "tools/TimeArgument.h"
#include "tools/ToolCommand.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QRegularExpression>

namespace {

const QString kJson = QStringLiteral("--json");
const QString kName = QStringLiteral("--name");
const QString kTime = QStringLiteral("--time");
const QString kNotes = QStringLiteral("--notes");

// What an action asks for, checked in full before the file is read.
struct Request {
    QString path;
    QString action;
    QString name;
    QString notes;
    qint64 time = 0;
    QString which; // delete: name or index
};

Request Check(const CommandArguments& args)
{
    args.ExpectPositional(2, 3, QStringLiteral("FILE and an action (list, add, delete, clear)"));
    Request r;
    r.path = args.Positional().at(0);
    r.action = args.Positional().at(1);
    if (r.action == QLatin1String("list") || r.action == QLatin1String("clear")) {
        args.ExpectPositional(2, 2, QStringLiteral("FILE"));
        args.AllowOnly(r.action, {"--json"});
    } else if (r.action == QLatin1String("add")) {
        args.ExpectPositional(2, 2, QStringLiteral("FILE"));
        args.AllowOnly(r.action, {"--json", "--name", "--time", "--notes"});
        r.name = args.Required(kName);
        if (r.name.isEmpty()) {
            throw UsageError(QStringLiteral("option '--name' must not be empty"));
        }
        args.Required(kTime);
        r.time = *args.Time(kTime);
        r.notes = args.Value(kNotes);
    } else if (r.action == QLatin1String("delete")) {
        args.ExpectPositional(3, 3, QStringLiteral("the name or index of the bookmark to delete"));
        args.AllowOnly(r.action, {"--json"});
        r.which = args.Positional().at(2);
    } else {
        throw UsageError(QStringLiteral("unknown action '%1' (list, add, delete, clear)").arg(r.action));
    }
    return r;
}

void PrintList(const FileTag& tag, const QString& path, bool json, CommandOutput& io)
{
    const auto& list = tag.Bookmarks();
    if (json) {
        QJsonArray bookmarks;
        for (size_t i = 0; i < list.size(); ++i) {
            bookmarks.append(QJsonObject{{QStringLiteral("index"), static_cast<qint64>(i)},
                                         {QStringLiteral("name"), list[i]->GetName()},
                                         {QStringLiteral("time"), list[i]->GetTime()},
                                         {QStringLiteral("notes"), list[i]->GetNotes()}});
        }
        io.Json(QJsonObject{{QStringLiteral("path"), path}, {QStringLiteral("bookmarks"), bookmarks}});
        return;
    }
    for (size_t i = 0; i < list.size(); ++i) {
        io.Line(QStringLiteral("%1\t%2\t%3\t%4")
                    .arg(i)
                    .arg(TimeArgument::FormatLocal(list[i]->GetTime()), list[i]->GetName(), list[i]->GetNotes()));
    }
}

void Add(FileTag& tag, const Request& r, CommandOutput& io)
{
    auto record = std::make_shared<BookmarkRecord>();
    if (!record->SetName(r.name)) {
        io.Message(QStringLiteral("note: the name was cut to %1 bytes: \"%2\"")
                       .arg(BookmarkRecord::kNameSize)
                       .arg(record->GetName()));
    }
    if (!record->SetNotes(r.notes)) {
        io.Message(QStringLiteral("note: the notes were cut to %1 bytes").arg(BookmarkRecord::kNotesMaxBytes));
    }
    record->SetTime(r.time);
    tag.Bookmarks().push_back(std::move(record));
}

bool Delete(FileTag& tag, const QString& which, CommandOutput& io)
{
    auto& list = tag.Bookmarks();
    for (auto it = list.begin(); it != list.end(); ++it) {
        if ((*it)->GetName() == which) {
            list.erase(it);
            return true;
        }
    }
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,9}$"));
    if (digits.match(which).hasMatch() && which.toLongLong() < static_cast<qlonglong>(list.size())) {
        list.erase(list.begin() + which.toLongLong());
        return true;
    }
    io.Message(QStringLiteral("no bookmark named or numbered \"%1\"").arg(which));
    return false;
}

int Run(const CommandArguments& args, CommandOutput& io)
{
    const Request r = Check(args);
    FileTag tag;
    try {
        if (!tag.LoadFromFile(r.path)) {
            io.Message(QStringLiteral("%1: no recognised tag (version %2)").arg(r.path, tag.Version()));
            return 1;
        }
        if (r.action == QLatin1String("add")) {
            Add(tag, r, io);
        } else if (r.action == QLatin1String("delete")) {
            if (!Delete(tag, r.which, io)) {
                return 1;
            }
        } else if (r.action == QLatin1String("clear")) {
            tag.Bookmarks().clear();
        }
        if (r.action != QLatin1String("list")) {
            tag.SaveBookmarks();
        }
    } catch (const FalException& e) {
        io.Message(e.Message());
        return 2;
    } catch (const std::exception& e) {
        io.Message(QString::fromUtf8(e.what()));
        return 2;
    }
    PrintList(tag, r.path, args.Has(kJson), io);
    return 0;
}

} // namespace

const ToolCommand& BookmarksCommand::Command()
{
    static const ToolCommand command{
        "bookmarks",
        "list, add, delete or clear the bookmarks of a .video file",
        "bookmarks FILE list [--json]\n"
        "bookmarks FILE add --name NAME --time TIME [--notes TEXT] [--json]\n"
        "bookmarks FILE delete NAME|INDEX [--json]\n"
        "bookmarks FILE clear [--json]",
        R"HELP(Reads the bookmarks of a .video file (tag 6.2 or 7.1; older tags have none) and prints them,
one line each: index, local time, name and notes, separated by tabs. add, delete and clear
change the list and store it through the same save the player uses (an older tag is upgraded
to 6.2), then print the new list. Only the bookmark section and the tag are rewritten; a save
that fails leaves the file as it was. A file without any write permission bit is
write-protected evidence: it is refused ("The file is write-protected: FILE") and not changed.

Options:
  --name NAME    the bookmark's name, cut to 16 bytes (a note on standard error says so)
  --time TIME    the bookmark's time
  --notes TEXT   its notes, cut to 255 bytes
  --json         one JSON object instead of the lines:
                 {"path": FILE, "bookmarks": [{"index", "name", "time", "notes"}]},
                 time in epoch seconds
delete takes the bookmark's name, or its index when no bookmark has that name.

)HELP" PLOMERA_TIME_FORMS_HELP R"HELP(

Exit codes:
  0   done
  1   the file has no recognised tag, or no bookmark has that name or index
  2   the file cannot be read or saved (write-protected included); it is as it was
  64  a mistake in the command line
)HELP",
        {{kName, QStringLiteral("NAME")}, {kTime, QStringLiteral("TIME")}, {kNotes, QStringLiteral("TEXT")},
         {kJson, {}}},
        &Run,
    };
    return command;
}
