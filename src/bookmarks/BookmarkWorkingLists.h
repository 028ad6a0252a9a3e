#pragma once

#include "evidence/VideoFile.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <functional>
#include <map>
#include <memory>
#include <vector>

// The bookmarks being edited, one working list per open evidence file (keyed by its canonical
// path). A file's list is made once from the records its tag gave, as copies, so no edit reaches
// the tag or another file, and it lives until the file is released. Records keep their address
// while they stay in a list: the pane and the time scale refer to them. Every change can be undone
// one by one back to the last save; a file is modified while its list differs from what was last
// read or written. Saving hands each modified list to the writer by path; a failed write leaves
// the file modified. GUI thread only; the writer runs synchronously.
class BookmarkWorkingLists {
public:
    // Writes a list into the file at path; throws (std::exception) with the reason on failure.
    using Writer = std::function<void(const QString& path, const BookmarkList& list)>;

    struct Failure {
        QString path;
        QString text;
    };

    explicit BookmarkWorkingLists(Writer writer);

    static QString Key(const QString& path);

    // The file's working list, made from the tag's records when the file has none yet.
    BookmarkList* Open(const QString& path, const BookmarkList& fromTag);
    // The file's working list; null when it has none.
    BookmarkList* ListOf(const QString& path);
    // The path of the file whose list holds the record; empty when none does.
    QString FileOf(const BookmarkRecord* record) const;
    // Forgets the file's list and its undo steps; nothing is written.
    void Release(const QString& path);
    void ReleaseAll();

    // A new record, placed by time (after those of the same time). Returns it.
    std::shared_ptr<BookmarkRecord> Add(const QString& path, const QString& name, qint64 time, const QString& notes);
    // Changes name and notes of a record of a working list; false when no list holds it.
    bool Edit(BookmarkRecord* record, const QString& name, const QString& notes);
    // Removes exactly these records from whichever lists hold them; returns how many went.
    int Delete(const std::vector<const BookmarkRecord*>& records);
    // Takes back the latest change; false when there is none left since the last save.
    bool Undo();

    bool Modified(const QString& path) const;
    bool AnyModified() const;
    // The files that have a working list, and those of them modified, in path order.
    QStringList Files() const;
    QStringList ModifiedFiles() const;
    // Writes every modified list (only these files when given); returns the writes that failed.
    std::vector<Failure> Save(const QStringList& only = {});

    // The clipboard text of records: three lines each ("Bookmark Name: ...", "Bookmark Time: ...",
    // "Bookmark Notes: ..."), every line ended by CR LF and one more CR LF after each record.
    static QString CopyText(const std::vector<const BookmarkRecord*>& records);
    // The time as the pane and the texts show it; empty for the no-time values 0 and 1.
    static QString TimeText(qint64 time);

private:
    struct Entry {
        QString path;  // as first given, for the writer and the log
        BookmarkList list;
        QByteArray saved;  // the records' bytes as last read or written
    };
    // A change's undo: the list's members and every record's bytes before it.
    struct Step {
        QString key;
        BookmarkList members;
        std::vector<std::array<char, BookmarkRecord::kSize>> bytes;
    };

    static QByteArray Serialised(const BookmarkList& list);
    void Remember(const QString& key);
    Entry* EntryOf(const BookmarkRecord* record, QString* key);

    Writer writer_;
    std::map<QString, Entry> entries_;
    std::vector<Step> undo_;
};
