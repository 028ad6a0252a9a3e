#include "EvidenceTestFiles.h"
#include "TagBuilder.h"

#include "evidence/DeviceTypes.h"
#include "evidence/EvidenceTime.h"
#include "evidence/FalException.h"
#include "evidence/FileTag.h"

#include <gtest/gtest.h>

namespace {

class FileTagReadTest : public ::testing::Test {
protected:
    QString Make(const TagSpec& laidOut, const QString& name = "file.video")
    {
        return files.Write(name, TagBuilder::Build(laidOut));
    }

    QString LoadError(const QString& path)
    {
        try {
            tag.LoadFromFile(path);
        } catch (const FalException& e) {
            return e.Message();
        } catch (const std::exception& e) {
            return QString::fromUtf8(e.what());
        }
        return {};
    }

    EvidenceTestFiles files;
    FileTag tag;
};

TEST_F(FileTagReadTest, EachVersionReadsItsLayout)
{
    const qint64 six = 1678860000;   // 45000.25 in London
    const qint64 noon = 1678881600;  // 45000.5
    for (const char* version : {"6.0", "6.1", "6.2", "7.1"}) {
        SCOPED_TRACE(version);
        TagSpec s;
        s.version = version;
        s.leading = "Case 17";
        s.flagB = 9;
        s.fisheye = 1;
        s.encrypted = 1;
        s.mount = "Ceiling";
        s.viewMode = "Panoramic 360";
        s.viewFlag = 1;
        s.value1[0] = 1;
        s.value2[3] = 0x80;
        const QString path = Make(s);
        ASSERT_TRUE(tag.LoadFromFile(path));
        const std::string v = version;
        EXPECT_EQ(tag.Version(), QString::fromStdString(v));
        EXPECT_EQ(tag.DeviceType(), 1);
        EXPECT_EQ(tag.DeviceName(), "Front office");
        EXPECT_EQ(tag.CameraNames(), QStringList({"Door", "Till", "Yard"}));
        EXPECT_EQ(tag.Channels(), std::vector<int>({0, 1, 2}));
        EXPECT_EQ(tag.StartTime(), six);
        EXPECT_EQ(tag.EndTime(), noon);
        EXPECT_EQ(tag.AfterEnd(), 3);
        EXPECT_FLOAT_EQ(tag.Number(), 2.5f);
        EXPECT_TRUE(tag.Encrypted());
        EXPECT_EQ(tag.StartOfTagPosition(), 2048);
        EXPECT_EQ(tag.LoadTimeTagStart(), 2048);
        const bool legacy = v == "6.0" || v == "6.1";
        EXPECT_EQ(tag.FlagB(), legacy ? 9 : 0);
        EXPECT_EQ(tag.FlagBWritten(), legacy ? 0 : 9);
        EXPECT_EQ(tag.LeadingText(), v == "6.0" ? "" : "Case 17");
        EXPECT_EQ(tag.FisheyeKind(), v == "6.0" ? 0 : 1);
        if (v == "7.1") {
            EXPECT_EQ(tag.MountType().size(), 20);
            EXPECT_EQ(tag.MountType(), QString("Ceiling") + QString(13, QChar(0)));
            EXPECT_EQ(tag.ViewMode().left(13), "Panoramic 360");
            EXPECT_TRUE(tag.ViewFlag());
            EXPECT_EQ(tag.Value1(), 1);
            EXPECT_EQ(tag.Value2(), static_cast<int32_t>(0x80000000u));
        } else {
            EXPECT_TRUE(tag.MountType().isEmpty());
            EXPECT_EQ(tag.Value1(), 0);
        }
        EXPECT_EQ(tag.HasBookmarkSection(), !legacy);
    }
}

TEST_F(FileTagReadTest, VersionDetection)
{
    struct Row {
        std::string bytes;
        const char* version;
        bool loads;
    };
    TagSpec v72;
    v72.version = "7.1";
    v72.minor = 2;
    TagSpec minus;
    minus.version = "6.2";
    minus.major = 0xFF;
    minus.minor = 0;
    std::string lower = TagBuilder::Build(TagSpec{});
    lower.replace(lower.size() - 3, 3, "tag");
    const Row rows[] = {
        {"", "3.1", false},
        {"TA", "3.1", false},
        {lower, "3.1", false},
        {TagBuilder::Build(v72), "7.2", false},
        {TagBuilder::Build(minus), "-1.0", false},
        {std::string(5000, 'x'), "3.1", false},
    };
    for (const Row& row : rows) {
        const QString path = files.Write("v.video", row.bytes);
        EXPECT_EQ(tag.LoadFromFile(path), row.loads) << row.version;
        EXPECT_EQ(tag.Version(), row.version);
        EXPECT_TRUE(tag.CameraNames().isEmpty());
    }
    EXPECT_EQ(LoadError(files.Path() + "/missing.video"), "Unable to open video file: " + files.Path() + "/missing.video");
}

TEST_F(FileTagReadTest, CameraNameBlockRules)
{
    struct Row {
        std::string block;
        QStringList names;
        int count;
    };
    std::string spaced, nulPadded, leadingSpace;
    for (const char* n : {"North", "South", "East", "West"}) {
        spaced += TagBuilder::Fixed(n, 100, ' ');
        nulPadded += TagBuilder::Fixed(n, 100);
    }
    leadingSpace = "  " + spaced;
    const Row rows[] = {
        {spaced, {"North", "South", "East", "West"}, 4},
        {nulPadded, {"North", "South", "East", "West"}, 33},
        {std::string(3200, ' '), {""}, 1},
        {std::string(3200, '\0'), {""}, 33},
        // Trimmed as a whole first: a leading space shifts every later slot.
        {leadingSpace, {"North", "South", "East", "West"}, 4},
    };
    for (const Row& row : rows) {
        TagSpec s;
        s.cameraBlock = row.block;
        ASSERT_TRUE(tag.LoadFromFile(Make(s)));
        ASSERT_EQ(tag.CameraNames().size(), row.count);
        for (int i = 0; i < row.names.size(); ++i) {
            EXPECT_EQ(tag.CameraNames().at(i), row.names.at(i));
        }
        if (row.count == 33) {
            EXPECT_EQ(tag.CameraNames().last(), "");
        }
    }
}

TEST_F(FileTagReadTest, ChannelMasksAndModelNames)
{
    const std::pair<uint32_t, std::vector<int>> masks[] = {
        {5, {0, 2}}, {0, {}}, {0x80000001u, {0, 31}}, {0xFFFFFFFFu, {}}};
    for (const auto& [mask, channels] : masks) {
        TagSpec s;
        s.mask = mask;
        s.model = "kdr-0801";  // model names compare case-insensitively
        ASSERT_TRUE(tag.LoadFromFile(Make(s)));
        if (mask == 0xFFFFFFFFu) {
            EXPECT_EQ(tag.Channels().size(), 32u);
        } else {
            EXPECT_EQ(tag.Channels(), channels);
        }
        EXPECT_EQ(tag.DeviceType(), 2);
    }
    TagSpec unknown;
    unknown.model = "NoSuchModel";
    ASSERT_TRUE(tag.LoadFromFile(Make(unknown)));
    EXPECT_EQ(tag.DeviceType(), 0);
    // Every display name maps back to its own type.
    for (int type = 0; type <= DeviceTypes::kHighestType; ++type) {
        const QString name = DeviceTypes::DisplayName(type);
        if (!name.isEmpty()) {
            EXPECT_LE(name.size(), 16);
            EXPECT_EQ(DeviceTypes::FromModelName(name), type);
        }
    }
    EXPECT_EQ(DeviceTypes::ModelNameCount(), 38);
}

TEST_F(FileTagReadTest, BookmarkSections)
{
    TagSpec s;
    s.bookmarkSection = TagBuilder::Bookmark("Entry", 638144784000000000LL, "Man at door")
                        + TagBuilder::Bookmark("Exit", 638144787000000000LL, "") + std::string(100, 'z');
    ASSERT_TRUE(tag.LoadFromFile(Make(s)));
    ASSERT_EQ(tag.Bookmarks().size(), 3u);
    EXPECT_EQ(tag.Bookmarks()[0]->GetName(), "Entry");
    EXPECT_EQ(tag.Bookmarks()[0]->GetNotes(), "Man at door");
    EXPECT_EQ(tag.Bookmarks()[0]->GetTime(), 1678881600);
    EXPECT_EQ(tag.Bookmarks()[1]->GetTime(), 1678881900);
    // The short final read gives a last record of 100 bytes, the rest zero.
    EXPECT_EQ(tag.Bookmarks()[2]->Bytes()[99], 'z');
    EXPECT_EQ(tag.Bookmarks()[2]->Bytes()[100], '\0');

    // State from the previous file never survives: a 6.1 file after one with bookmarks has none,
    // and a 6.2 file after a 7.1 fisheye file has no mount type.
    TagSpec fish;
    fish.version = "7.1";
    fish.mount = "Wall";
    fish.viewMode = "PTZ";
    ASSERT_TRUE(tag.LoadFromFile(Make(fish)));
    EXPECT_FALSE(tag.MountType().isEmpty());
    ASSERT_TRUE(tag.LoadFromFile(Make(TagSpec{})));
    EXPECT_TRUE(tag.MountType().isEmpty());
    EXPECT_TRUE(tag.ViewMode().isEmpty());
    TagSpec old;
    old.version = "6.1";
    ASSERT_TRUE(tag.LoadFromFile(Make(s)));
    ASSERT_TRUE(tag.LoadFromFile(Make(old)));
    EXPECT_TRUE(tag.Bookmarks().empty());
    EXPECT_EQ(tag.Sections()[100].id, -1);
}

TEST_F(FileTagReadTest, DamagedTagsNeverReadWithoutBound)
{
    TagSpec hugeLeading;
    hugeLeading.version = "6.1";
    hugeLeading.leadingLengthOverride = 0xFFFFFFF0;
    ASSERT_TRUE(tag.LoadFromFile(Make(hugeLeading)));
    EXPECT_TRUE(tag.LeadingText().isEmpty());
    EXPECT_TRUE(tag.CameraNames().isEmpty());

    TagSpec hugeLength;
    hugeLength.version = "6.0";
    hugeLength.lengthOverride = 0xFFFFFFFF;
    ASSERT_TRUE(tag.LoadFromFile(Make(hugeLength)));
    EXPECT_EQ(tag.StartOfTagPosition(), -1);
    EXPECT_TRUE(tag.DeviceName().isEmpty());

    TagSpec beyond;
    beyond.tagStartOverride = 1LL << 40;  // readable position past the end: empty fields
    ASSERT_TRUE(tag.LoadFromFile(Make(beyond)));
    EXPECT_TRUE(tag.CameraNames().isEmpty());
    EXPECT_TRUE(tag.Bookmarks().empty());

    TagSpec negative;
    negative.tagStartOverride = -5;
    EXPECT_EQ(LoadError(Make(negative)), "Invalid start of tag position.");

    TagSpec badTime;
    badTime.start = "not a time";
    EXPECT_EQ(LoadError(Make(badTime)), "invalid stod argument");
    TagSpec oldTime;
    oldTime.version = "6.1";
    oldTime.start = "1.5";
    EXPECT_EQ(LoadError(Make(oldTime)), "Video File Footer Reading Failed - Version 6.1");
    oldTime.version = "7.1";
    EXPECT_EQ(LoadError(Make(oldTime)), "Video File Footer Reading Failed - Version 7.2");
}

} // namespace
