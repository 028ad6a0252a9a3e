// The tile's strip texts: playback states, the date and time of the picture in other locales,
// and the stream tooltip.
#include "viewer/VideoPlayerIds.h"
#include "viewer/VideoPlayerMenuTable.h"
#include "viewer/VideoPlayerTexts.h"

#include <gtest/gtest.h>

#include <QDate>
#include <QLocale>

using namespace VideoPlayerTexts;

TEST(VideoPlayerTextsTest, StateTextsWithTheSpeedStep)
{
    const struct {
        PlaybackState state;
        const char* text;
    } rows[] = {
        {PlaybackState::Closed, "Playback Closed"}, {PlaybackState::Opened, ""},
        {PlaybackState::Rewinding, "Rewinding 3x"},  {PlaybackState::FastForward, "Fast Forward 3x"},
        {PlaybackState::Paused, "Paused"},           {PlaybackState::Playing, "Playback 1x"},
        {PlaybackState::SteppedBack, "Previous Frame"}, {PlaybackState::SteppedForward, "Next Frame"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(StateText(row.state, 3), QString::fromLatin1(row.text)) << static_cast<int>(row.state);
    }
}

// Milliseconds right after the seconds whatever the locale's order, and no zone.
TEST(VideoPlayerTextsTest, MillisecondsFollowTheSecondsInEveryLocale)
{
    const CalendarFields t{2023, 3, 15, 10, 15, 30, 123};
    const struct {
        const char* locale;
        QString time;
        QString withoutMillis;
    } rows[] = {
        {"en_US", QStringLiteral("10:15:30.123 AM"), QStringLiteral("10:15:30 AM")},
        {"de_DE", QStringLiteral("10:15:30.123"), QStringLiteral("10:15:30")},
        {"ko_KR", QStringLiteral("오전 10시 15분 30.123초"), QStringLiteral("오전 10시 15분 30초")},
    };
    for (const auto& row : rows) {
        const QLocale locale(QString::fromLatin1(row.locale));
        const QString date = locale.toString(QDate(2023, 3, 15), QLocale::ShortFormat);
        // Some locales' data put a no-break space before the day period; compare as spaces.
        auto plain = [](QString s) { return s.replace(QChar(0x202F), QLatin1Char(' ')).replace(QChar(0xA0), QLatin1Char(' ')); };
        EXPECT_EQ(plain(TimeText(t, true, locale)), plain(date + QLatin1Char(' ') + row.time)) << row.locale;
        EXPECT_EQ(plain(TimeText(t, false, locale)), plain(date + QLatin1Char(' ') + row.withoutMillis)) << row.locale;
    }
}

TEST(VideoPlayerTextsTest, StreamInformationAndTooltips)
{
    EXPECT_EQ(StreamInfo(0.0, 640, 360), QString());
    EXPECT_EQ(StreamInfo(25.0, 0, 0), QStringLiteral("25fps"));
    EXPECT_EQ(StreamInfo(29.97, 1280, 720), QStringLiteral("29fps, 1280x720"));
    EXPECT_EQ(StatusTooltip(QStringLiteral("Paused"), QStringLiteral("25fps, 640x360")),
              QStringLiteral("Video stream status: Paused 25fps, 640x360"));
    EXPECT_EQ(CameraTitleTooltip(QStringLiteral("Lobby")), QStringLiteral("Camera title: Lobby"));
    EXPECT_EQ(DeviceTitleTooltip(QStringLiteral("Recorder")), QStringLiteral("Device title: Recorder"));
}

TEST(VideoPlayerTextsTest, MenuFollowsTheMountTextUpToItsFirstNul)
{
    // The tag pads the mount text with NULs to 20 code units.
    const QString pad(16, QChar(0));
    EXPECT_EQ(VideoPlayerMenuTable::For(true, QStringLiteral("Wall") + pad, true, false, false).Resource(),
              VideoPlayerIds::MenuWallAudioOn);
    EXPECT_EQ(VideoPlayerMenuTable::For(false, QStringLiteral("Wall"), true, false, false).Resource(),
              VideoPlayerIds::MenuWallAudioOff);
    EXPECT_EQ(VideoPlayerMenuTable::For(true, QStringLiteral("wall") + pad, true, false, false).Resource(),
              VideoPlayerIds::MenuCeilingAudioOn);
}
