#include "EvidenceTestFiles.h"
#include "TagBuilder.h"

#include "evidence/FalException.h"
#include "evidence/FileTag.h"
#include "evidence/TagFile.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

class FileTagWriteTest : public ::testing::Test {
protected:
    void TearDown() override { TagFile::SetFaultHook({}); }

    QString Make(const TagSpec& laidOut) { return files.Write("evidence.video", TagBuilder::Build(laidOut)); }

    static QByteArray Stream(const QString& path, qint64 size)
    {
        return EvidenceTestFiles::Read(path).left(size);
    }

    EvidenceTestFiles files;
};

TEST_F(FileTagWriteTest, AddedBookmarkSurvivesEveryVersion)
{
    for (const char* version : {"6.0", "6.1", "6.2", "7.1"}) {
        SCOPED_TRACE(version);
        TagSpec s;
        s.version = version;
        s.leading = "Ref 9";
        s.mount = "Desktop";
        s.viewMode = "Panoramic 180";
        s.viewFlag = 1;
        s.value1[0] = 7;
        s.value2[0] = 9;
        s.flagB = 4;
        s.fisheye = 2;
        const QString path = Make(s);
        const QByteArray streamBefore = Stream(path, 2048);
        FileTag writer;
        ASSERT_TRUE(writer.LoadFromFile(path));
        writer.AddBookmark("Suspect", 1678881900, "Blue coat");
        writer.SaveBookmarks();

        FileTag reader;
        ASSERT_TRUE(reader.LoadFromFile(path));
        const std::string v = version;
        EXPECT_EQ(reader.Version(), v == "7.1" ? "7.1" : "6.2");
        ASSERT_EQ(reader.Bookmarks().size(), 1u);
        EXPECT_EQ(reader.Bookmarks()[0]->GetName(), "Suspect");
        EXPECT_EQ(reader.Bookmarks()[0]->GetNotes(), "Blue coat");
        EXPECT_EQ(reader.Bookmarks()[0]->GetTime(), 1678881900);
        EXPECT_EQ(reader.CameraNames(), QStringList({"Door", "Till", "Yard"}));
        EXPECT_EQ(reader.StartTime(), 1678860000);
        EXPECT_EQ(reader.EndTime(), 1678881600);
        EXPECT_EQ(reader.DeviceName(), "Front office");
        EXPECT_EQ(reader.DeviceType(), 1);
        EXPECT_EQ(reader.LeadingText(), v == "6.0" ? "" : "Ref 9");
        EXPECT_EQ(reader.FlagBWritten(), 4);
        EXPECT_EQ(reader.AfterEnd(), 3);
        EXPECT_FLOAT_EQ(reader.Number(), 2.5f);
        if (v == "7.1") {
            EXPECT_EQ(reader.MountType().left(7), "Desktop");
            EXPECT_EQ(reader.ViewMode().left(13), "Panoramic 180");
            EXPECT_TRUE(reader.ViewFlag());
            EXPECT_EQ(reader.Value1(), 7);
            EXPECT_EQ(reader.Value2(), 9);
        }
        // Nothing before the old tag start changes; the old tag's place holds the new sections.
        EXPECT_EQ(Stream(path, 2048), streamBefore);
        EXPECT_EQ(reader.Sections()[100].position, 2048);
        EXPECT_FALSE(QFileInfo::exists(path + "_Backup"));
    }
}

TEST_F(FileTagWriteTest, SectionsMoveByTheBookmarksAndTheTailIsKept)
{
    TagSpec s;
    s.metadataSlotId = 41;
    s.tailSection = "metadata-behind-the-bookmarks";
    const QString path = Make(s);
    FileTag tag;
    ASSERT_TRUE(tag.LoadFromFile(path));
    const qint64 tagStart = tag.StartOfTagPosition();
    for (int i = 0; i < 3; ++i) {
        tag.AddBookmark(QString("B%1").arg(i), 1678881600 + i, "");
    }
    tag.SaveBookmarks();
    FileTag back;
    ASSERT_TRUE(back.LoadFromFile(path));
    EXPECT_EQ(back.StartOfTagPosition(), tagStart + 840);
    EXPECT_EQ(back.Bookmarks().size(), 3u);
    EXPECT_EQ(back.Sections()[3].id, 41);
    EXPECT_EQ(back.Sections()[3].position, 2048);
    EXPECT_EQ(back.Sections()[101].id, 7);
    EXPECT_EQ(back.Sections()[101].position, 2048 + 840);
    const QByteArray bytes = EvidenceTestFiles::Read(path);
    EXPECT_EQ(bytes.mid(2048 + 840, int(s.tailSection.size())), QByteArray::fromStdString(s.tailSection));

    // An empty list leaves an empty bookmark section.
    back.Bookmarks().clear();
    back.SaveBookmarks();
    FileTag empty;
    ASSERT_TRUE(empty.LoadFromFile(path));
    EXPECT_TRUE(empty.Bookmarks().empty());
    EXPECT_EQ(empty.Sections()[100].position, 2048);
    EXPECT_EQ(empty.Sections()[101].position, 2048);
    EXPECT_EQ(empty.StartOfTagPosition(), 2048 + qint64(s.tailSection.size()));
}

TEST_F(FileTagWriteTest, WrittenTagLayout)
{
    const QString path = Make(TagSpec{});
    FileTag tag;
    ASSERT_TRUE(tag.LoadFromFile(path));
    tag.SaveBookmarks();
    const QByteArray bytes = EvidenceTestFiles::Read(path);
    const qint64 start = tag.StartOfTagPosition();
    // N, then the model name, the device name, then camera slot 0: 4 bytes + 96 spaces.
    EXPECT_EQ(bytes.mid(start, 4), QByteArray(4, '\0'));
    EXPECT_EQ(bytes.mid(start + 4, 8), "KDR-0401");
    EXPECT_EQ(bytes.mid(start + 120, 100), QByteArray("Door") + QByteArray(96, ' '));
    EXPECT_EQ(bytes.mid(start + 120 + 300, 100), QByteArray(100, '\0'));
    EXPECT_EQ(bytes.mid(start + 3324, 16), "45000.2500000000");
    EXPECT_EQ(bytes.mid(start + 3357, 16), QByteArray("2.5000000000") + QByteArray(4, 0));
    EXPECT_EQ(bytes.size(), start + 4620 + 17);
    EXPECT_EQ(bytes.right(5), QByteArray("\x06\x02TAG", 5));
}

TEST_F(FileTagWriteTest, EveryFailurePointLeavesTheFileAsItWas)
{
    for (const char* version : {"6.0", "6.2", "7.1"}) {
        TagSpec s;
        s.version = version;
        s.tailSection = version == std::string("6.0") ? "" : "tail-bytes";
        s.bookmarkSection = version == std::string("6.0") ? "" : TagBuilder::Bookmark("Old", 638144784000000000LL, "n");
        const QString path = Make(s);
        const QByteArray original = EvidenceTestFiles::Read(path);

        // Count the file operations of a good save, then fail each one in turn.
        int operations = 0;
        {
            const QString probe = files.Write("probe.video", original.toStdString());
            FileTag tag;
            ASSERT_TRUE(tag.LoadFromFile(probe));
            tag.AddBookmark("New", 1678881900, "x");
            TagFile::SetFaultHook([&] { ++operations; return false; });
            tag.SaveBookmarks();
            TagFile::SetFaultHook({});
        }
        ASSERT_GT(operations, 3);
        for (int failAt = 1; failAt <= operations; ++failAt) {
            SCOPED_TRACE(std::string(version) + " failing operation " + std::to_string(failAt));
            FileTag tag;
            ASSERT_TRUE(tag.LoadFromFile(path));
            tag.AddBookmark("New", 1678881900, "x");
            int seen = 0;
            TagFile::SetFaultHook([&] { return ++seen == failAt; });
            EXPECT_THROW(tag.SaveBookmarks(), FalException);
            TagFile::SetFaultHook({});
            EXPECT_TRUE(EvidenceTestFiles::Read(path) == original);
            EXPECT_FALSE(QFileInfo::exists(path + "_Backup"));
            // The failed save left the object able to try again.
            tag.SaveBookmarks();
            FileTag back;
            ASSERT_TRUE(back.LoadFromFile(path));
            EXPECT_EQ(back.Bookmarks().back()->GetName(), "New");
            files.Write("evidence.video", original.toStdString());
        }
    }
}

TEST_F(FileTagWriteTest, SavesThatMustBeRefused)
{
    // A tag at offset 0 cannot be upgraded, and keeps no backup.
    TagSpec bare;
    bare.version = "6.0";
    bare.stream.clear();
    const QString path = Make(bare);
    const QByteArray original = EvidenceTestFiles::Read(path);
    FileTag tag;
    ASSERT_TRUE(tag.LoadFromFile(path));
    try {
        tag.SaveBookmarks();
        FAIL();
    } catch (const FalException& e) {
        EXPECT_EQ(e.Message(), "Failed to SaveBookmarks, cannot upgrade video tag to current version.");
    }
    EXPECT_EQ(EvidenceTestFiles::Read(path), original);
    EXPECT_FALSE(QFileInfo::exists(path + "_Backup"));

    // A section table that contradicts the tag's own position is refused before anything changes.
    TagSpec s;
    std::string bytes = TagBuilder::Build(s);
    const size_t slot100 = bytes.size() - 17 - 1224 + 100 * 12 + 4;
    bytes.replace(slot100, 8, std::string("\0\0\0\0\0\0\x10\0", 8));
    const QString damaged = files.Write("damaged.video", bytes);
    FileTag d;
    ASSERT_TRUE(d.LoadFromFile(damaged));
    EXPECT_THROW(d.SaveBookmarks(), FalException);
    EXPECT_TRUE(EvidenceTestFiles::Read(damaged).toStdString() == bytes);
    EXPECT_FALSE(QFileInfo::exists(damaged + "_Backup"));
}

// A file whose mode has no write bit is refused before anything is written, also for root, which
// the system itself would let write it. With a write bit back, the same object saves.
TEST_F(FileTagWriteTest, WriteProtectedFileIsRefusedWhoeverRunsTheSave)
{
    for (const char* version : {"6.0", "6.2", "7.1"}) {
        for (const QFileDevice::Permissions mode :
             {QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther,
              QFileDevice::Permissions(QFileDevice::ReadOwner),
              QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup | QFileDevice::ExeGroup
                  | QFileDevice::ReadOther | QFileDevice::ExeOther}) {
            SCOPED_TRACE(std::string(version) + " mode " + std::to_string(int(mode)));
            TagSpec s;
            s.version = version;
            const QString path = Make(s);
            const QByteArray before = EvidenceTestFiles::Read(path);
            const QStringList folderBefore = QDir(files.Path()).entryList(QDir::AllEntries | QDir::Hidden);
            ASSERT_TRUE(QFile::setPermissions(path, mode));
            const QDateTime modified = QFileInfo(path).lastModified();
            ASSERT_TRUE(FileTag::IsWriteProtected(path));

            FileTag tag;
            ASSERT_TRUE(tag.LoadFromFile(path));
            tag.AddBookmark("Suspect", 1678881900, "Blue coat");
            try {
                tag.SaveBookmarks();
                FAIL() << "a write-protected file was saved";
            } catch (const FalException& e) {
                EXPECT_EQ(e.Message(), "The file is write-protected: " + path);
            }
            EXPECT_EQ(EvidenceTestFiles::Read(path), before);
            EXPECT_EQ(QFileInfo(path).lastModified(), modified);
            EXPECT_EQ(QDir(files.Path()).entryList(QDir::AllEntries | QDir::Hidden), folderBefore);

            ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                        | QFileDevice::ReadGroup | QFileDevice::ReadOther));
            EXPECT_FALSE(FileTag::IsWriteProtected(path));
            tag.SaveBookmarks();
            FileTag back;
            ASSERT_TRUE(back.LoadFromFile(path));
            ASSERT_FALSE(back.Bookmarks().empty());
            EXPECT_EQ(back.Bookmarks().back()->GetName(), "Suspect");
            EXPECT_FALSE(QFileInfo::exists(path + "_Backup"));
        }
    }
    EXPECT_FALSE(FileTag::IsWriteProtected(files.Path() + "/missing.video"));
}

TEST_F(FileTagWriteTest, AppendTagWritesWhatTheReaderReads)
{
    for (const char* version : {"6.0", "6.1", "6.2", "7.1"}) {
        SCOPED_TRACE(version);
        const QString path = files.Write("new.video", std::string(4096, 'v'));
        FileTag w;
        w.SetDeviceType(26);
        w.SetDeviceName("Warehouse");
        w.SetCameraNames({"Dock", "Gate"});
        w.SetChannelMask(0b101);
        w.SetStartTime(1678860000);
        w.SetEndTime(1678881600);
        w.SetFisheyeKind(1);
        w.SetMountType("Ceiling");
        w.SetViewMode("PTZ");
        w.SetValue1(3);
        w.AddBookmark("Mark", 1678870000, "note");
        w.AppendTag(path, version);
        FileTag r;
        ASSERT_TRUE(r.LoadFromFile(path));
        EXPECT_EQ(r.Version(), version);
        EXPECT_EQ(r.DeviceType(), 26);
        EXPECT_EQ(r.Channels(), std::vector<int>({0, 2}));
        EXPECT_EQ(r.CameraNames().mid(0, 2), QStringList({"Dock", "Gate"}));
        EXPECT_EQ(r.EndTime(), 1678881600);
        EXPECT_EQ(r.Bookmarks().size(), r.HasBookmarkSection() ? 1u : 0u);
        EXPECT_EQ(EvidenceTestFiles::Read(path).left(4096), QByteArray(4096, 'v'));
    }
}

} // namespace

TEST_F(FileTagWriteTest, StreamRegionEndsBeforeSectionsAndStaysPutAcrossSaves)
{
    for (const char* version : {"6.0", "6.1", "6.2", "7.1"}) {
        SCOPED_TRACE(version);
        TagSpec s;
        s.version = version;
        const QString path = Make(s);
        FileTag tag;
        EXPECT_EQ(tag.StreamRegionEnd(), -1);
        ASSERT_TRUE(tag.LoadFromFile(path));
        const qint64 end = tag.StreamRegionEnd();
        EXPECT_EQ(end, 2048);
        const QByteArray region = Stream(path, end);

        // A save (6.0 and 6.1 become 6.2 with a bookmark section where the tag began) moves
        // the tag, never the stream region's end or its bytes.
        tag.AddBookmark("Suspect", 1678881900, "Blue coat");
        tag.SaveBookmarks();
        FileTag reader;
        ASSERT_TRUE(reader.LoadFromFile(path));
        EXPECT_EQ(reader.StreamRegionEnd(), end);
        EXPECT_GT(reader.StartOfTagPosition(), end);
        EXPECT_EQ(Stream(path, end), region);
    }
}
