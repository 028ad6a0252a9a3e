#include "bookmarks/BookmarkWorkingLists.h"

#include "logging/HandlerGuard.h"
#include "logging/Logger.h"
#include "timeline/TimelineLocalTime.h"

#include <QFileInfo>
#include <algorithm>
#include <exception>

BookmarkWorkingLists::BookmarkWorkingLists(Writer writer) : writer_(std::move(writer)) {}

QString BookmarkWorkingLists::Key(const QString& path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

QByteArray BookmarkWorkingLists::Serialised(const BookmarkList& list)
{
    QByteArray bytes;
    for (const auto& record : list) {
        bytes.append(record->Bytes().data(), BookmarkRecord::kSize);
    }
    return bytes;
}

BookmarkList* BookmarkWorkingLists::Open(const QString& path, const BookmarkList& fromTag)
{
    const QString key = Key(path);
    auto found = entries_.find(key);
    if (found == entries_.end()) {
        Entry entry;
        entry.path = path;
        for (const auto& record : fromTag) {
            if (record) {
                entry.list.push_back(std::make_shared<BookmarkRecord>(*record));
            }
        }
        entry.saved = Serialised(entry.list);
        found = entries_.emplace(key, std::move(entry)).first;
    }
    return &found->second.list;
}

BookmarkList* BookmarkWorkingLists::ListOf(const QString& path)
{
    const auto found = entries_.find(Key(path));
    return found == entries_.end() ? nullptr : &found->second.list;
}

BookmarkWorkingLists::Entry* BookmarkWorkingLists::EntryOf(const BookmarkRecord* record, QString* key)
{
    for (auto& [k, entry] : entries_) {
        for (const auto& r : entry.list) {
            if (r.get() == record) {
                if (key) *key = k;
                return &entry;
            }
        }
    }
    return nullptr;
}

QString BookmarkWorkingLists::FileOf(const BookmarkRecord* record) const
{
    Entry* entry = const_cast<BookmarkWorkingLists*>(this)->EntryOf(record, nullptr);
    return entry ? entry->path : QString();
}

void BookmarkWorkingLists::Release(const QString& path)
{
    const QString key = Key(path);
    std::erase_if(undo_, [&](const Step& s) { return s.key == key; });
    entries_.erase(key);
}

void BookmarkWorkingLists::ReleaseAll()
{
    undo_.clear();
    entries_.clear();
}

void BookmarkWorkingLists::Remember(const QString& key)
{
    const Entry& entry = entries_.at(key);
    Step step{key, entry.list, {}};
    for (const auto& record : entry.list) {
        step.bytes.push_back(record->Bytes());
    }
    undo_.push_back(std::move(step));
}

std::shared_ptr<BookmarkRecord> BookmarkWorkingLists::Add(const QString& path, const QString& name, qint64 time,
                                                          const QString& notes)
{
    const QString key = Key(path);
    BookmarkList* list = Open(path, {});
    Remember(key);
    auto record = std::make_shared<BookmarkRecord>();
    record->SetName(name);
    record->SetTime(time);
    record->SetNotes(notes);
    const auto at = std::upper_bound(list->begin(), list->end(), time,
                                     [](qint64 t, const auto& r) { return t < r->GetTime(); });
    list->insert(at, record);
    return record;
}

bool BookmarkWorkingLists::Edit(BookmarkRecord* record, const QString& name, const QString& notes)
{
    QString key;
    if (EntryOf(record, &key) == nullptr) {
        return false;
    }
    Remember(key);
    record->SetName(name);
    record->SetNotes(notes);
    return true;
}

int BookmarkWorkingLists::Delete(const std::vector<const BookmarkRecord*>& records)
{
    int removed = 0;
    for (auto& [key, entry] : entries_) {
        const auto chosen = [&](const std::shared_ptr<BookmarkRecord>& r) {
            return std::find(records.begin(), records.end(), r.get()) != records.end();
        };
        if (std::none_of(entry.list.begin(), entry.list.end(), chosen)) {
            continue;
        }
        Remember(key);
        removed += static_cast<int>(std::erase_if(entry.list, chosen));
    }
    return removed;
}

bool BookmarkWorkingLists::Undo()
{
    if (undo_.empty()) {
        return false;
    }
    Step step = std::move(undo_.back());
    undo_.pop_back();
    Entry& entry = entries_.at(step.key);
    entry.list = std::move(step.members);
    for (size_t i = 0; i < entry.list.size(); ++i) {
        BookmarkRecord restored(step.bytes[i].data(), BookmarkRecord::kSize);
        *entry.list[i] = restored;
    }
    return true;
}

bool BookmarkWorkingLists::Modified(const QString& path) const
{
    const auto found = entries_.find(Key(path));
    return found != entries_.end() && Serialised(found->second.list) != found->second.saved;
}

bool BookmarkWorkingLists::AnyModified() const
{
    return std::any_of(entries_.begin(), entries_.end(),
                       [](const auto& e) { return Serialised(e.second.list) != e.second.saved; });
}

QStringList BookmarkWorkingLists::Files() const
{
    QStringList files;
    for (const auto& [key, entry] : entries_) {
        files << entry.path;
    }
    return files;
}

QStringList BookmarkWorkingLists::ModifiedFiles() const
{
    QStringList files;
    for (const auto& [key, entry] : entries_) {
        if (Serialised(entry.list) != entry.saved) {
            files << entry.path;
        }
    }
    return files;
}

std::vector<BookmarkWorkingLists::Failure> BookmarkWorkingLists::Save(const QStringList& only)
{
    QStringList keys;
    for (const QString& path : only) {
        keys << Key(path);
    }
    std::vector<Failure> failures;
    for (auto& [key, entry] : entries_) {
        const QByteArray now = Serialised(entry.list);
        if (now == entry.saved || (!only.isEmpty() && !keys.contains(key))) {
            continue;
        }
        try {
            writer_(entry.path, entry.list);
        } catch (const std::exception& e) {
            const QString why = HandlerGuard::TextOf(e);
            Logger::GetInstance()->Error(QStringLiteral("Could not Write Bookmarks Info To LocalFile : %1").arg(why));
            failures.push_back({entry.path, why});
            continue;
        }
        entry.saved = now;
        const QString k = key;
        std::erase_if(undo_, [&](const Step& s) { return s.key == k; });
        Logger::GetInstance()->Info(QStringLiteral("Bookmarks Written To LocalFile : %1").arg(entry.path));
    }
    return failures;
}

QString BookmarkWorkingLists::TimeText(qint64 time)
{
    return time == 0 || time == 1 ? QString() : TimelineLocalTime::TooltipText(time);
}

QString BookmarkWorkingLists::CopyText(const std::vector<const BookmarkRecord*>& records)
{
    static const QString kEnd = QStringLiteral("\r\n");
    QString text;
    for (const BookmarkRecord* r : records) {
        text += QStringLiteral("Bookmark Name: ") + r->GetName() + kEnd;
        text += QStringLiteral("Bookmark Time: ") + TimeText(r->GetTime()) + kEnd;
        text += QStringLiteral("Bookmark Notes: ") + r->GetNotes() + kEnd;
        text += kEnd;
    }
    return text;
}
