#include "logging/LoggerImpl.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

namespace {

qint64 UtcMs(int year, int month, int day, int hour, int minute, int second, int ms)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second, ms), Qt::UTC).toMSecsSinceEpoch();
}

QByteArray Header(const char* date)
{
    return "\r\n" + QByteArray(73, '-') + "\r\n" + date + ":\r\n";
}

QByteArray Line(const char* time, const char* threadField, const char* levelField, const QByteArray& text)
{
    return QByteArray("  ") + time + "\t" + threadField + "\t" + levelField + "\t" + text + "\r\n";
}

class LoggerImplTest : public ::testing::Test {
protected:
    // LogFlags exactly as a user would type it into the settings file; nullopt: no value. A new
    // file each time: settings files are cached per path, and two of the same size written in
    // the same clock tick would be taken for one.
    QString Settings(std::optional<QByteArray> logFlags)
    {
        const QString path = dir.filePath(QStringLiteral("Plomera%1.conf").arg(++settingsFiles));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("[General]\nOther=1\n");
        if (logFlags)
            file.write("LogFlags=" + *logFlags + "\n");
        return path;
    }

    LoggerImpl::Options Options(std::optional<QByteArray> logFlags = QByteArray("1"))
    {
        LoggerImpl::Options options;
        options.settingsFile = Settings(logFlags);
        options.logFileName = logPath;
        options.clock = [this] { return now.load(); };
        options.threadId = [this] { return threadId.load(); };
        return options;
    }

    QByteArray LogBytes() const
    {
        QFile file(logPath);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return file.readAll();
    }

    QTemporaryDir dir;
    QString logPath = dir.filePath(QStringLiteral("OmbrixPlayer.log"));
    std::atomic<qint64> now{UtcMs(2024, 3, 5, 10, 15, 30, 7)};
    std::atomic<quint32> threadId{0x1A2B};
    int settingsFiles = 0;
};

TEST_F(LoggerImplTest, LogFlagsDecideWhatIsWritten)
{
    struct Case {
        std::optional<QByteArray> logFlags;
        bool errors;
        bool infos;
    };
    const std::vector<Case> cases = {
        {std::nullopt, false, false},
        {QByteArray("4294967295"), false, false},
        {QByteArray("0xFFFFFFFF"), false, false},
        {QByteArray("-1"), false, false},
        {QByteArray("not a number"), false, false},
        {QByteArray("0"), true, false},
        {QByteArray("1"), true, true},
        {QByteArray("0x10"), true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.logFlags ? c.logFlags->constData() : "(missing)");
        QFile::remove(logPath);
        {
            LoggerImpl logger(Options(c.logFlags));
            logger.Error(QStringLiteral("an error"));
            logger.Info(QStringLiteral("an info"));
        }
        const QByteArray log = LogBytes();
        EXPECT_EQ(QFile::exists(logPath), c.errors) << "no file at all while logging is off";
        EXPECT_EQ(log.contains("\tError  \tan error\r\n"), c.errors);
        EXPECT_EQ(log.contains("\tInfo   \tan info\r\n"), c.infos);
    }
}

TEST_F(LoggerImplTest, DayHeaderAndRecordLinesByteForByte)
{
    {
        LoggerImpl logger(Options());
        now = UtcMs(2024, 3, 5, 23, 59, 59, 250);
        logger.Error(QStringLiteral("Error in OnInitialUpdate: disk gone"));
        now = UtcMs(2024, 3, 5, 23, 59, 59, 999);
        threadId = 0x1234ABCD;
        logger.Info(QStringLiteral("Layout changed to 4"));
        now = UtcMs(2024, 3, 6, 0, 0, 0, 0);
        threadId = 0x7;
        logger.Error(QStringLiteral("after midnight"));
        logger.Enqueue(LoggerImpl::LevelWarning, QStringLiteral("w"));
        logger.Enqueue(LoggerImpl::LevelTrace, QStringLiteral("t"));
        logger.Enqueue(42, QStringLiteral("unknown level"));
    }
    const QByteArray expected =
        Header("03/05/24") + Line("23:59:59.250", "1A2B  ", "Error  ", "Error in OnInitialUpdate: disk gone") +
        Line("23:59:59.999", "1234ABCD", "Info   ", "Layout changed to 4") + Header("03/06/24") +
        Line("00:00:00.000", "7     ", "Error  ", "after midnight") + Line("00:00:00.000", "7     ", "Warning", "w") +
        Line("00:00:00.000", "7     ", "Trace  ", "t") + Line("00:00:00.000", "7     ", "       ", "unknown level");
    EXPECT_EQ(LogBytes(), expected);
}

TEST_F(LoggerImplTest, SecondRunOnTheSameDayAppendsANewHeader)
{
    for (int run = 0; run < 2; ++run) {
        LoggerImpl logger(Options());
        logger.Error(QStringLiteral("run"));
    }
    const QByteArray run = Header("03/05/24") + Line("10:15:30.007", "1A2B  ", "Error  ", "run");
    EXPECT_EQ(LogBytes(), run + run);
}

TEST_F(LoggerImplTest, MessageTextIsWrittenAsEightBitText)
{
    {
        LoggerImpl logger(Options());
        logger.Error(QStringLiteral("GetTempPath failed (%1)\n").arg(5));
        logger.Error(QStringLiteral("two\r\nlines"));
        logger.Error(QStringLiteral("caf\u00E9 \u00FF"));
        // Above U+00FF: one '?' per character, and the line stays whole.
        logger.Error(QStringLiteral("C:\\\u65E5\u672C\\x") + QString::fromUcs4(U"\U0001F600") + QStringLiteral(".video"));
        logger.Error(QStringLiteral("next"));
    }
    const QByteArray expected = Header("03/05/24") + Line("10:15:30.007", "1A2B  ", "Error  ", "GetTempPath failed (5)\n") +
                                Line("10:15:30.007", "1A2B  ", "Error  ", "two\r\nlines") +
                                Line("10:15:30.007", "1A2B  ", "Error  ", "caf\xE9 \xFF") +
                                Line("10:15:30.007", "1A2B  ", "Error  ", "C:\\??\\x?.video") +
                                Line("10:15:30.007", "1A2B  ", "Error  ", "next");
    EXPECT_EQ(LogBytes(), expected);
}

TEST_F(LoggerImplTest, WithoutWriterThreadRecordsWaitForDestruction)
{
    LoggerImpl::Options options = Options();
    options.startWriter = false;
    const QByteArray refused = Header("03/05/24") + Line("10:15:30.007", "1A2B  ", "Error  ", "Cannot start the logger");
    {
        LoggerImpl logger(std::move(options));
        EXPECT_EQ(LogBytes(), refused) << "written at once by the constructing thread";
        logger.Error(QStringLiteral("one"));
        logger.Info(QStringLiteral("two"));
        EXPECT_EQ(logger.PendingCount(), 2u);
        EXPECT_EQ(LogBytes(), refused);
    }
    EXPECT_EQ(LogBytes(), refused + Line("10:15:30.007", "1A2B  ", "Error  ", "one") +
                              Line("10:15:30.007", "1A2B  ", "Info   ", "two"));
}

TEST_F(LoggerImplTest, UnopenableFileDropsTheRecordAndTheNextOneTriesAgain)
{
    logPath = dir.filePath(QStringLiteral("later/OmbrixPlayer.log"));
    LoggerImpl::Options options = Options();
    options.startWriter = false;
    {
        LoggerImpl logger(std::move(options));  // its "Cannot start the logger" finds no folder
        ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("later")));
        logger.Error(QStringLiteral("kept"));
    }
    // The lost record did not count as the day's header.
    EXPECT_EQ(LogBytes(), Header("03/05/24") + Line("10:15:30.007", "1A2B  ", "Error  ", "kept"));
}

TEST_F(LoggerImplTest, BurstFromSeveralThreadsLosesNothingAndKeepsEachThreadsOrder)
{
    constexpr int kThreads = 4;
    constexpr int kPerThread = 2500;
    std::map<QByteArray, int> threadOfField;
    {
        LoggerImpl::Options options = Options();
        options.threadId = {};  // the real thread ids
        LoggerImpl logger(std::move(options));
        std::vector<std::thread> producers;
        std::vector<quint32> ids(kThreads);
        for (int t = 0; t < kThreads; ++t) {
            producers.emplace_back([&logger, &ids, t] {
                ids[t] = CCThread::SimpleThreadBase::CurrentThreadId();
                for (int i = 0; i < kPerThread; ++i)
                    logger.Error(QStringLiteral("T%1 %2").arg(t).arg(i));
            });
        }
        for (std::thread& producer : producers)
            producer.join();
        for (int t = 0; t < kThreads; ++t)
            threadOfField[QByteArray::number(ids[t], 16).toUpper().leftJustified(6, ' ')] = t;
        // Destroyed at once: whatever the writer has not reached yet is drained here.
    }

    const QList<QByteArray> lines = LogBytes().split('\n');
    std::vector<int> next(kThreads, 0);
    int records = 0;
    for (const QByteArray& line : lines) {
        const QList<QByteArray> fields = line.split('\t');
        if (fields.size() != 4)
            continue;
        ++records;
        const QList<QByteArray> words = fields[3].trimmed().split(' ');
        ASSERT_EQ(words.size(), 2);
        const int t = words[0].mid(1).toInt();
        ASSERT_TRUE(t >= 0 && t < kThreads);
        EXPECT_EQ(words[1].toInt(), next[t]) << "thread " << t << " out of order";
        next[t] = words[1].toInt() + 1;
        ASSERT_EQ(threadOfField.count(fields[1]), 1u) << fields[1].constData();
        EXPECT_EQ(threadOfField[fields[1]], t) << "stamped with another thread's id";
    }
    EXPECT_EQ(records, kThreads * kPerThread);
}

}  // namespace
