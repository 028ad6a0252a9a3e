#include "tools/BookmarksCommand.h"

#include "evidence/FalException.h"
#include "evidence/FileTag.h"
#include "tools/CommandLineText.h"

namespace {

const char* kUsage =
    "usage: plomera-evidence bookmarks FILE list\n"
    "       plomera-evidence bookmarks FILE add --name NAME --time TIME [--notes TEXT]\n"
    "       plomera-evidence bookmarks FILE delete NAME|INDEX\n"
    "       plomera-evidence bookmarks FILE clear\n"
    "TIME is local \"YYYY-MM-DD HH:MM:SS\" or epoch seconds.";

int Usage()
{
    CommandLineText::Err(QString::fromLatin1(kUsage));
    return 2;
}

void PrintList(const FileTag& tag)
{
    const auto& list = tag.Bookmarks();
    for (size_t i = 0; i < list.size(); ++i) {
        CommandLineText::Out(QStringLiteral("%1\t%2\t%3\t%4")
                                 .arg(i)
                                 .arg(CommandLineText::FormatLocal(list[i]->GetTime()), list[i]->GetName(),
                                      list[i]->GetNotes()));
    }
}

int Add(FileTag& tag, const QStringList& opts)
{
    QString name;
    QString notes;
    QString time;
    for (qsizetype i = 0; i < opts.size(); ++i) {
        const QString& o = opts[i];
        if (i + 1 >= opts.size()) {
            return Usage();
        }
        if (o == QLatin1String("--name")) {
            name = opts[++i];
        } else if (o == QLatin1String("--notes")) {
            notes = opts[++i];
        } else if (o == QLatin1String("--time")) {
            time = opts[++i];
        } else {
            return Usage();
        }
    }
    const auto when = CommandLineText::ParseTime(time);
    if (name.isEmpty() || !when) {
        CommandLineText::Err(QStringLiteral("add needs --name and a --time as \"YYYY-MM-DD HH:MM:SS\" or epoch seconds"));
        return 2;
    }
    auto record = std::make_shared<BookmarkRecord>();
    if (!record->SetName(name)) {
        CommandLineText::Err(QStringLiteral("note: the name was cut to %1 bytes: \"%2\"")
                                 .arg(BookmarkRecord::kNameSize)
                                 .arg(record->GetName()));
    }
    if (!record->SetNotes(notes)) {
        CommandLineText::Err(QStringLiteral("note: the notes were cut to %1 bytes").arg(BookmarkRecord::kNotesMaxBytes));
    }
    record->SetTime(*when);
    tag.Bookmarks().push_back(std::move(record));
    return 0;
}

int Delete(FileTag& tag, const QString& which)
{
    auto& list = tag.Bookmarks();
    for (auto it = list.begin(); it != list.end(); ++it) {
        if ((*it)->GetName() == which) {
            list.erase(it);
            return 0;
        }
    }
    bool ok = false;
    const qlonglong index = which.toLongLong(&ok);
    if (ok && index >= 0 && index < static_cast<qlonglong>(list.size())) {
        list.erase(list.begin() + index);
        return 0;
    }
    CommandLineText::Err(QStringLiteral("no bookmark named or numbered \"%1\"").arg(which));
    return 1;
}

} // namespace

int BookmarksCommand::Run(const QStringList& args)
{
    if (args.size() < 2) {
        return Usage();
    }
    const QString& path = args[0];
    const QString& action = args[1];
    const QStringList rest = args.mid(2);
    FileTag tag;
    try {
        if (!tag.LoadFromFile(path)) {
            CommandLineText::Err(QStringLiteral("%1: no recognised tag (version %2)").arg(path, tag.Version()));
            return 1;
        }
        int rc = 0;
        if (action == QLatin1String("list")) {
            if (!rest.isEmpty()) {
                return Usage();
            }
            PrintList(tag);
            return 0;
        } else if (action == QLatin1String("add")) {
            rc = Add(tag, rest);
        } else if (action == QLatin1String("delete")) {
            if (rest.size() != 1) {
                return Usage();
            }
            rc = Delete(tag, rest[0]);
        } else if (action == QLatin1String("clear")) {
            if (!rest.isEmpty()) {
                return Usage();
            }
            tag.Bookmarks().clear();
        } else {
            return Usage();
        }
        if (rc != 0) {
            return rc;
        }
        tag.SaveBookmarks();
        PrintList(tag);
        return 0;
    } catch (const FalException& e) {
        CommandLineText::Err(e.Message());
        return 2;
    } catch (const std::exception& e) {
        CommandLineText::Err(QString::fromUtf8(e.what()));
        return 2;
    }
}
