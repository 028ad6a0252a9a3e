#include "EvidenceTestFiles.h"

#include "evidence/BookmarkRecord.h"
#include "evidence/EvidenceTime.h"
#include "evidence/Video.h"

#include <gtest/gtest.h>

namespace {

qint64 Local(int y, int mo, int d, int h, int mi, int s)
{
    CalendarFields f;
    f.year = y;
    f.month = mo;
    f.day = d;
    f.hour = h;
    f.minute = mi;
    f.second = s;
    return EvidenceTime::FromLocalFields(f);
}

class EvidenceTimeTest : public ::testing::Test {
protected:
    EvidenceTestFiles files;
};

TEST_F(EvidenceTimeTest, BookmarkTicksAreLocalWallClockAndReadBackExactly)
{
    BookmarkRecord r;
    const qint64 t = Local(2023, 3, 15, 12, 0, 0);
    r.SetTime(t);
    EXPECT_EQ(r.StoredTicks(), 638144784000000000LL);
    // Saving must not move a bookmark: get time is the exact inverse of set time.
    EXPECT_EQ(r.GetTime(), t);

    // Summer time in London: ticks still count local wall-clock time.
    const qint64 summer = Local(2024, 7, 1, 9, 30, 15);
    r.SetTime(summer);
    EXPECT_EQ(r.GetTime(), summer);
    EvidenceTestFiles::SetZone("America/New_York");
    r.SetTime(Local(2023, 3, 15, 12, 0, 0));
    EXPECT_EQ(r.StoredTicks(), 638144784000000000LL);
}

TEST_F(EvidenceTimeTest, BookmarkTimesWithoutMeaning)
{
    struct Row {
        qint64 ticks;
        qint64 expected;
    };
    const qint64 ticks1970 = 621355968000000000LL;
    const Row rows[] = {
        {0, 0},                                        // zero-filled: before 1601
        {ticks1970, 0},                                // 1970-01-01 00:00
        {ticks1970 + 200LL * 86400 * 10000000, 0},     // later in 1970
        {(EvidenceTime::DaysFromCivil(1850, 6, 1) * 86400 + 62135596800LL) * 10000000, 1},
        {-5, 0},
    };
    for (const Row& row : rows) {
        BookmarkRecord r;
        r.SetStoredTicks(row.ticks);
        EXPECT_EQ(r.GetTime(), row.expected) << row.ticks;
    }
}

TEST_F(EvidenceTimeTest, WrittenTimeTextReadsBackAsTheSameSecondAllDay)
{
    const qint64 midnight = Local(2023, 3, 15, 0, 0, 0);
    for (qint64 s = 0; s < 86400; ++s) {
        const QByteArray text = EvidenceTime::FormatOleText(midnight + s);
        ASSERT_EQ(text.size(), 16);
        ASSERT_EQ(EvidenceTime::ParseOleText(text), midnight + s) << text.constData();
    }
}

TEST_F(EvidenceTimeTest, TimeTextConversions)
{
    EXPECT_EQ(EvidenceTime::ParseOleText("45000.5"), Local(2023, 3, 15, 12, 0, 0));
    EXPECT_EQ(EvidenceTime::ParseOleText("45000,5"), Local(2023, 3, 15, 12, 0, 0));
    EXPECT_EQ(EvidenceTime::ParseOleText("  45000"), Local(2023, 3, 15, 0, 0, 0));
    // Beyond the convertible range: the null time.
    EXPECT_EQ(EvidenceTime::ParseOleText("99999999"), EvidenceTime::NullTime());
    EXPECT_EQ(EvidenceTime::NullTime(), Local(1970, 1, 1, 12, 0, 0));
    EXPECT_THROW(EvidenceTime::ParseOleText("1.5"), TagConversionError);  // year 1899
    try {
        EvidenceTime::ParseOleText("abc");
        FAIL();
    } catch (const std::invalid_argument& e) {
        EXPECT_STREQ(e.what(), "invalid stod argument");
    }
    try {
        EvidenceTime::ParseOleText("1e999");
        FAIL();
    } catch (const std::out_of_range& e) {
        EXPECT_STREQ(e.what(), "stod argument out of range");
    }
}

TEST_F(EvidenceTimeTest, BookmarkTextFields)
{
    BookmarkRecord r;
    EXPECT_TRUE(r.SetName("ExactlySixteen16"));
    EXPECT_EQ(r.GetName(), "ExactlySixteen16");
    EXPECT_NE(r.Bytes()[15], '\0');
    EXPECT_TRUE(r.SetName("Short"));
    EXPECT_EQ(r.GetName(), "Short");
    EXPECT_EQ(r.Bytes()[5], '\0');
    EXPECT_FALSE(r.SetName("Seventeen chars!!"));
    EXPECT_EQ(r.GetName(), "Seventeen chars!");
    EXPECT_TRUE(r.SetNotes(QString(255, 'n')));
    EXPECT_FALSE(r.SetNotes(QString(300, QChar(0x00E9))));
    EXPECT_EQ(r.GetNotes(), QString(255, QChar(0x00E9)));
    EXPECT_EQ(r.Bytes()[24 + 255], '\0');
    EXPECT_TRUE(r.SetName(QString::fromUtf8("\u20ac5")));
    EXPECT_EQ(static_cast<unsigned char>(r.Bytes()[0]), 0x80);  // the euro sign of the code page
}

TEST_F(EvidenceTimeTest, NewObjectsHoldTheirInitialValues)
{
    Video v(std::make_unique<Camera>());
    EXPECT_EQ(v.playbackState, PlaybackState::Closed);
    EXPECT_EQ(v.speedSteps, 1);
    EXPECT_EQ(v.dewarpPort, 0);
    EXPECT_EQ(v.defaultTime, EvidenceTime::NullTime());
    EXPECT_EQ(v.GetCamera()->GetChannel(), -1);
    EXPECT_EQ(v.GetVideoFile(), nullptr);
    VideoFile f;
    EXPECT_EQ(f.value1, -1);
    EXPECT_EQ(f.value2, -1);
}

} // namespace
