// The metadata section: what is written is read back exactly, damage is refused with its reason,
// and a file's section survives a bookmark save untouched.
#include "EvidenceTestFiles.h"

#include "evidence/FalException.h"
#include "evidence/FileTag.h"
#include "evidence/MetadataSection.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

MetadataTrack Track(int samples)
{
    MetadataTrack t;
    t.settings.push_back({501, QStringLiteral("Door"), 0xFF0000FF, true});
    t.settings.push_back({2, QStringLiteral("A name as long as its thirty-six bytes"), 0xFF123456, false});
    for (int i = 0; i < samples; ++i) {
        MetadataSample s;
        s.kind = i == 1 ? 1 : 2;
        s.timeMillis = 1622876880000LL + 1000LL * i;
        s.latitude = -33.8568 + i * 1e-5;
        s.longitude = 151.2153;
        s.latitudeHemisphere = QStringLiteral("S");
        s.longitudeHemisphere = QStringLiteral("E");
        s.direction = i % 17 - 1; // -1 and 16 are kept as they are
        s.speedMph = 18.25;
        s.accelerationX = -6.5;
        s.accelerationZ = 9.807;
        s.inputNames[0] = QStringLiteral("Door");
        s.inputNames[12] = QStringLiteral("SixteenCharsName"); // fills its 16 bytes, no NUL
        s.inputMask = 0x1001u << (i % 3);
        s.acceleratorPressure = 45.0;
        s.brakePressure = i;
        t.samples.push_back(s);
    }
    return t;
}

std::string Refusal(const QByteArray& bytes)
{
    try {
        MetadataSection::Decode(bytes);
    } catch (const FalException& e) {
        return e.Message().toStdString();
    }
    return "(accepted)";
}

void Put32(QByteArray& b, int at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

} // namespace

TEST(MetadataSectionTest, WhatIsWrittenIsReadBack)
{
    const MetadataTrack t = Track(20);
    const QByteArray bytes = MetadataSection::Encode(t);
    EXPECT_EQ(bytes.size(), MetadataSection::kHeaderSize + 2 * MetadataSection::kSettingSize + 20 * MetadataSection::kSampleSize);
    const MetadataTrack back = MetadataSection::Decode(bytes);
    ASSERT_EQ(back.samples.size(), 20u);
    EXPECT_EQ(back.samples, t.samples);
    ASSERT_EQ(back.settings.size(), 2u);
    EXPECT_EQ(back.settings[0], t.settings[0]);
    // A name longer than its field is cut to it, never run into the next field.
    EXPECT_EQ(back.settings[1].name, t.settings[1].name.left(MetadataSection::kSettingNameSize));
    EXPECT_EQ(back.samples[0].inputNames[12], QStringLiteral("SixteenCharsName"));
    EXPECT_TRUE(back.samples[0].inputNames[13].isEmpty());
    // Records larger than this version's (a later writer) are read by the fields known.
    QByteArray grown = MetadataSection::Encode(Track(0));
    Put32(grown, 8, MetadataSection::kSettingSize + 16);
    QByteArray settings;
    for (int i = 0; i < 2; ++i)
        settings += grown.mid(MetadataSection::kHeaderSize + i * MetadataSection::kSettingSize, MetadataSection::kSettingSize) + QByteArray(16, '\x7f');
    grown = grown.left(MetadataSection::kHeaderSize) + settings;
    EXPECT_EQ(MetadataSection::Decode(grown).settings[0], t.settings[0]);
}

TEST(MetadataSectionTest, DamageIsRefusedWithItsReason)
{
    const QByteArray good = MetadataSection::Encode(Track(3));
    EXPECT_NE(Refusal(good.left(20)).find("shorter than its header"), std::string::npos);
    QByteArray mark = good;
    mark[0] = 'X';
    EXPECT_NE(Refusal(mark).find("does not begin with its mark"), std::string::npos);
    QByteArray version = good;
    version[4] = 2;
    EXPECT_NE(Refusal(version).find("version (2) is unsupported"), std::string::npos);
    QByteArray small = good;
    Put32(small, 16, 100); // sample size below its fields
    EXPECT_NE(Refusal(small).find("below their fields"), std::string::npos);
    for (uint32_t count : {4u, 0xFFFFFFFFu}) {
        QByteArray counts = good;
        Put32(counts, 20, count); // more samples than the bytes hold
        EXPECT_NE(Refusal(counts).find("do not fit in its"), std::string::npos) << count;
    }
    EXPECT_NE(Refusal(good.left(good.size() - 1)).find("do not fit in its"), std::string::npos);
    // Largest sizes times largest counts: no overflow on the way to the refusal.
    QByteArray huge = good;
    for (int at : {8, 12, 16, 20})
        Put32(huge, at, 0xFFFFFFFFu);
    EXPECT_NE(Refusal(huge).find("do not fit in its"), std::string::npos);
}

TEST(MetadataSectionTest, FileSectionSurvivesABookmarkSave)
{
    EvidenceTestFiles files;
    const QString path = files.Write("vehicle.video", std::string(4096, 'S'));
    const MetadataTrack t = Track(5);
    {
        FileTag tag;
        tag.SetDeviceType(1);
        tag.SetCameraNames({QStringLiteral("Camera 1")});
        tag.SetChannelMask(1);
        tag.SetStartTime(1622873280);
        tag.SetEndTime(1622873340);
        tag.SetMetadataSection(MetadataSection::kSectionId, MetadataSection::Encode(t));
        tag.AppendTag(path, QStringLiteral("6.2"));
    }
    const auto read = [&] {
        FileTag tag;
        EXPECT_TRUE(tag.LoadFromFile(path));
        EXPECT_EQ(MetadataSection::SlotOf(tag), 0);
        return MetadataSection::Read(path, tag);
    };
    std::optional<MetadataTrack> before = read();
    ASSERT_TRUE(before.has_value());
    EXPECT_EQ(before->samples, t.samples);
    {
        FileTag tag;
        ASSERT_TRUE(tag.LoadFromFile(path));
        ASSERT_TRUE(tag.ReadBookmarks());
        tag.AddBookmark(QStringLiteral("Stop"), 1622873300, QStringLiteral("vehicle stops"));
        tag.SaveBookmarks();
    }
    std::optional<MetadataTrack> after = read();
    ASSERT_TRUE(after.has_value());
    EXPECT_EQ(after->samples, t.samples);
    EXPECT_EQ(after->settings, before->settings);

    // The versions without a section table cannot carry one: refused before anything is written.
    const QString old = files.Write("old.video", std::string(4096, 'S'));
    FileTag tag;
    tag.SetMetadataSection(MetadataSection::kSectionId, MetadataSection::Encode(t));
    EXPECT_THROW(tag.AppendTag(old, QStringLiteral("6.1")), FalException);
    EXPECT_EQ(QFile(old).size(), 4096);
}
