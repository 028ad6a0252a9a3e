// The benchmarks' reading of the player's log, on a log the player's own logger wrote: a change
// of its record format must not turn "no error lines" into a figure nobody checked.
#include "PlayerLog.h"
#include "ScreenWatch.h"

#include "logging/LoggerImpl.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <unistd.h>

namespace {

TEST(PlayerLog, ErrorsAreTheErrorRecordsOfTheLoggersOwnFile)
{
    QTemporaryDir dir;
    const QString settings = dir.filePath(QStringLiteral("Plomera.conf"));
    QFile conf(settings);
    ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
    conf.write("[General]\nLogFlags=1\n");
    conf.close();
    const QString path = dir.filePath(QStringLiteral("OmbrixPlayer.log"));
    {
        LoggerImpl::Options options;
        options.settingsFile = settings;
        options.logFileName = path;
        LoggerImpl logger(options);
        logger.Info(QStringLiteral("Video File Opened Successfully : /a/camera_1.video"));
        logger.Error(QStringLiteral("GetTempPath failed (2)\nand a second line"));
        logger.Info(QStringLiteral("Error in nothing: an info that names an error"));
        logger.Info(QStringLiteral("Video File Opened Successfully : /a/camera_2.video"));
        logger.Error(QStringLiteral("Error in OnInitialUpdate: no viewer"));
    }
    const E2e::PlayerLog log = E2e::ReadPlayerLog(path.toStdString());
    EXPECT_TRUE(log.present);
    ASSERT_EQ(log.errors.size(), 2u);
    EXPECT_NE(log.errors[0].find("GetTempPath failed (2)"), std::string::npos);
    EXPECT_NE(log.errors[1].find("no viewer"), std::string::npos);
    EXPECT_EQ(E2e::CountRecords(log, "Video File Opened Successfully"), 2);
    EXPECT_EQ(log.texts.front(), "Video File Opened Successfully : /a/camera_1.video");

    const E2e::PlayerLog none = E2e::ReadPlayerLog(dir.filePath(QStringLiteral("missing.log")).toStdString());
    EXPECT_FALSE(none.present);
    EXPECT_TRUE(none.errors.empty());
}

// The player must start on the X server whatever platform the caller's environment names (the
// test scripts export an offscreen one): a variable given empty is taken away, not set empty.
TEST(Spawn, SetsAndTakesAwayVariablesAndStartsInTheFolder)
{
    QTemporaryDir dir;
    setenv("E2E_SPAWN_GONE", "offscreen", 1);
    int out = -1;
    const pid_t pid = E2e::Spawn({"sh", "-c", "echo \"$E2E_SPAWN_SET|${E2E_SPAWN_GONE-unset}|$(pwd -P)\""},
                                 {{"E2E_SPAWN_SET", "x11"}, {"E2E_SPAWN_GONE", ""}}, dir.path().toStdString(), &out);
    unsetenv("E2E_SPAWN_GONE");
    ASSERT_GT(pid, 0);
    std::string text;
    char buffer[512];
    for (ssize_t n; (n = read(out, buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<size_t>(n));
    close(out);
    int status = -1;
    ASSERT_TRUE(E2e::WaitEnd(pid, 10000, &status));
    EXPECT_EQ(status, 0);
    EXPECT_EQ(text, "x11|unset|" + QDir(dir.path()).canonicalPath().toStdString() + "\n");
}

} // namespace
