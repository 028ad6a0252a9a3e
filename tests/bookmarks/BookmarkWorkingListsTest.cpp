#include "bookmarks/BookmarkWorkingLists.h"
#include "evidence/FileTag.h"
#include "facade/FalFacade.h"
#include "sample/SampleMaker.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>

namespace {

QByteArray Bytes(const QString& path, qint64 upTo = -1)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        return {};
    }
    return upTo < 0 ? f.readAll() : f.read(upTo);
}

QByteArray Serialised(const BookmarkList& list)
{
    QByteArray bytes;
    for (const auto& r : list) {
        bytes.append(r->Bytes().data(), BookmarkRecord::kSize);
    }
    return bytes;
}

class BookmarkWorkingListsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    // One small sample file with its bookmarks, in its own folder so names never meet.
    QString Sample(const QString& name, int bookmarks, const QString& version = QString())
    {
        SampleEvidenceOptions o;
        o.durationSeconds = 2;
        o.width = 160;
        o.height = 90;
        o.fps = 5;
        o.bookmarks = bookmarks;
        o.tagVersion = version;
        const QString folder = dir.filePath(name);
        const QStringList files = SampleMaker::Make(folder, o);
        EXPECT_EQ(files.size(), 1);
        return files.value(0);
    }

    static BookmarkList TagList(const QString& path)
    {
        FileTag tag;
        EXPECT_TRUE(tag.LoadFromFile(path));
        return tag.Bookmarks();
    }

    QTemporaryDir dir;
    FalFacade facade;
    BookmarkWorkingLists lists{[this](const QString& path, const BookmarkList& list) {
        facade.SaveBookmarks(path, list);
    }};
};

} // namespace

// Edits reach only the working list of their own file; the save writes exactly that list into
// exactly that file, leaving the stream region and the other file's bytes as they were.
TEST_F(BookmarkWorkingListsTest, SaveWritesEachChangedListIntoItsOwnFileOnly)
{
    const QString a = Sample(QStringLiteral("a"), 2);
    const QString b = Sample(QStringLiteral("b"), 2);
    const BookmarkList tagA = TagList(a);
    const QByteArray tagABytes = Serialised(tagA);
    BookmarkList* listA = lists.Open(a, tagA);
    BookmarkList* listB = lists.Open(b, TagList(b));
    ASSERT_EQ(listA->size(), 2u);
    EXPECT_EQ(lists.Open(a, {}), listA);  // made once
    EXPECT_NE(listA->front().get(), tagA.front().get());
    EXPECT_FALSE(lists.AnyModified());

    FileTag before;
    ASSERT_TRUE(before.LoadFromFile(a));
    const QByteArray streamA = Bytes(a, before.StreamRegionEnd());
    const QByteArray bBefore = Bytes(b);

    ASSERT_TRUE(lists.Edit(listA->front().get(), QStringLiteral("Door opens"), QStringLiteral("notes é")));
    const qint64 between = ((*listA)[0]->GetTime() + (*listA)[1]->GetTime()) / 2;
    const auto added = lists.Add(a, QStringLiteral("Between"), between, QStringLiteral("x"));
    ASSERT_EQ(listA->size(), 3u);
    EXPECT_EQ((*listA)[1], added);
    EXPECT_EQ(Serialised(tagA), tagABytes);  // the tag's records are untouched
    EXPECT_EQ(lists.ModifiedFiles(), QStringList{a});
    EXPECT_EQ(lists.FileOf(added.get()), a);
    EXPECT_EQ(lists.FileOf(listB->front().get()), b);

    EXPECT_TRUE(lists.Save().empty());
    EXPECT_FALSE(lists.AnyModified());
    EXPECT_EQ(Serialised(TagList(a)), Serialised(*listA));
    EXPECT_EQ(TagList(a)[0]->GetNotes(), QStringLiteral("notes é"));
    EXPECT_EQ(Bytes(a, before.StreamRegionEnd()), streamA);
    EXPECT_EQ(Bytes(b), bBefore);

    // Changes let go unsaved write nothing.
    lists.Delete({listB->front().get()});
    EXPECT_TRUE(lists.Modified(b));
    lists.Release(b);
    EXPECT_EQ(lists.ListOf(b), nullptr);
    EXPECT_TRUE(lists.Save().empty());
    EXPECT_EQ(Bytes(b), bBefore);
}

// Delete takes exactly the chosen records, whatever their names; undo walks back one change at a
// time to the last save, and the file is unmodified again there.
TEST_F(BookmarkWorkingListsTest, DeleteTakesTheChosenRecordAndUndoReturnsToTheSave)
{
    const QString a = Sample(QStringLiteral("a"), 0);
    const auto first = lists.Add(a, QStringLiteral("Same"), 1'700'000'100, QStringLiteral("first"));
    const auto second = lists.Add(a, QStringLiteral("Same"), 1'700'000'200, QStringLiteral("second"));
    const auto early = lists.Add(a, QStringLiteral("Early"), 1'700'000'000, QString());
    BookmarkList* list = lists.ListOf(a);
    EXPECT_EQ(*list, (BookmarkList{early, first, second}));
    ASSERT_TRUE(lists.Save().empty());
    EXPECT_FALSE(lists.Undo());  // nothing before the save

    EXPECT_EQ(lists.Delete({second.get()}), 1);
    EXPECT_EQ(*list, (BookmarkList{early, first}));
    ASSERT_TRUE(lists.Edit(first.get(), QStringLiteral("Renamed"), QStringLiteral("n")));
    EXPECT_EQ(lists.Delete({early.get(), first.get()}), 2);
    EXPECT_TRUE(list->empty());

    ASSERT_TRUE(lists.Undo());
    EXPECT_EQ(*list, (BookmarkList{early, first}));
    EXPECT_EQ(first->GetName(), QStringLiteral("Renamed"));
    ASSERT_TRUE(lists.Undo());
    EXPECT_EQ(first->GetName(), QStringLiteral("Same"));
    EXPECT_EQ(first->GetNotes(), QStringLiteral("first"));
    EXPECT_TRUE(lists.Modified(a));
    ASSERT_TRUE(lists.Undo());
    EXPECT_EQ(*list, (BookmarkList{early, first, second}));
    EXPECT_FALSE(lists.Modified(a));
    EXPECT_FALSE(lists.Undo());
}

// A file without write permission is refused by the evidence layer: it stays modified, its bytes
// unchanged, and the other file still gets its write.
TEST_F(BookmarkWorkingListsTest, WriteProtectedFileStaysUnsavedAndByteIdentical)
{
    const QString sealed = Sample(QStringLiteral("sealed"), 1);
    const QString open = Sample(QStringLiteral("open"), 1);
    lists.Open(sealed, TagList(sealed));
    lists.Add(sealed, QStringLiteral("Mark"), 1'700'000'000, QString());
    lists.Add(open, QStringLiteral("Mark"), 1'700'000'000, QString());
    const QByteArray before = Bytes(sealed);
    ASSERT_TRUE(QFile::setPermissions(sealed, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));

    const auto failures = lists.Save();
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].path, sealed);
    EXPECT_EQ(failures[0].text, QStringLiteral("The file is write-protected: %1").arg(sealed));
    EXPECT_EQ(lists.ModifiedFiles(), QStringList{sealed});
    EXPECT_EQ(Bytes(sealed), before);
    EXPECT_EQ(TagList(open).size(), 1u);
}

// The older tag is upgraded on its first save, 7.1 keeps its version; both read back exactly.
TEST_F(BookmarkWorkingListsTest, OlderAndFisheyeVersionsAreSavedAndReadBack)
{
    for (auto [version, written] : {std::pair{"6.0", "6.2"}, std::pair{"7.1", "7.1"}}) {
        const QString path = Sample(QStringLiteral("v%1").arg(version), 0, QString::fromLatin1(version));
        lists.Open(path, TagList(path));
        lists.Add(path, QStringLiteral("Sixteen_chars_ab"), 1'700'000'000, QStringLiteral("kept"));
        ASSERT_TRUE(lists.Save().empty()) << version;
        FileTag back;
        ASSERT_TRUE(back.LoadFromFile(path));
        EXPECT_EQ(back.Version(), QString::fromLatin1(written));
        EXPECT_EQ(Serialised(back.Bookmarks()), Serialised(*lists.ListOf(path))) << version;
    }
}

TEST(BookmarkCopyText, TwoRecordsMakeSixLinesEachBookmarkFollowedByAnEmptyLine)
{
    BookmarkRecord one;
    one.SetName(QStringLiteral("Sixteen_chars_ab"));
    one.SetTime(1'465'997'405);  // 2016-06-15 14:30:05 in London
    one.SetNotes(QStringLiteral("van & driver"));
    BookmarkRecord none;
    none.SetName(QStringLiteral("No time"));
    EXPECT_EQ(BookmarkWorkingLists::CopyText({&one, &none}),
              QStringLiteral("Bookmark Name: Sixteen_chars_ab\r\nBookmark Time: 6/15/2016 2:30:05 PM\r\n"
                             "Bookmark Notes: van & driver\r\n\r\n"
                             "Bookmark Name: No time\r\nBookmark Time: \r\nBookmark Notes: \r\n\r\n"));
}
