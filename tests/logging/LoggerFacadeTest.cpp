#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

// Runs a program that uses only the facade, with its own user settings folder and current
// directory, and returns the log file it left (nullopt: none was created).
std::optional<QByteArray> RunProbe(const QTemporaryDir& dir, std::optional<QByteArray> logFlags, qint64* pid)
{
    const QString config = dir.filePath(QStringLiteral("config"));
    const QString work = dir.filePath(QStringLiteral("work"));
    QDir().mkpath(config + QStringLiteral("/Quorvane"));
    QDir().mkpath(work);
    QFile::remove(config + QStringLiteral("/Quorvane/Plomera.conf"));
    QFile::remove(work + QStringLiteral("/OmbrixPlayer.log"));
    if (logFlags) {
        QFile settings(config + QStringLiteral("/Quorvane/Plomera.conf"));
        EXPECT_TRUE(settings.open(QIODevice::WriteOnly));
        settings.write("[General]\nLogFlags=" + *logFlags + "\n");
    }

    QProcess probe;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
    env.insert(QStringLiteral("HOME"), dir.path());
    probe.setProcessEnvironment(env);
    probe.setWorkingDirectory(work);
    probe.start(QStringLiteral(LOGGER_PROBE_PATH),
                {QStringLiteral("error"), QStringLiteral("first error"), QStringLiteral("info"),
                 QStringLiteral("an info"), QStringLiteral("error"), QStringLiteral("second error")});
    EXPECT_TRUE(probe.waitForStarted());
    *pid = probe.processId();
    EXPECT_TRUE(probe.waitForFinished(30000));
    EXPECT_EQ(probe.exitCode(), 0);

    QFile log(work + QStringLiteral("/OmbrixPlayer.log"));
    if (!log.open(QIODevice::ReadOnly))
        return std::nullopt;
    return log.readAll();
}

TEST(LoggerFacadeTest, ProgramLogsPerUserSettingsAndWritesWhatIsQueuedAtExit)
{
    struct Case {
        std::optional<QByteArray> logFlags;
        std::vector<QByteArray> records;
    };
    const std::vector<Case> cases = {
        {std::nullopt, {}},
        {QByteArray("0"), {"Error  \tfirst error", "Error  \tsecond error"}},
        {QByteArray("3"), {"Error  \tfirst error", "Info   \tan info", "Error  \tsecond error"}},
    };
    QTemporaryDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.logFlags ? c.logFlags->constData() : "(missing)");
        qint64 pid = 0;
        const std::optional<QByteArray> log = RunProbe(dir, c.logFlags, &pid);
        if (c.records.empty()) {
            EXPECT_FALSE(log.has_value()) << "logging off creates no file";
            continue;
        }
        ASSERT_TRUE(log.has_value());
        // The main thread's id is the process id.
        const QByteArray threadField = QByteArray::number(pid, 16).toUpper().leftJustified(6, ' ');
        QByteArray pattern = "^\\r\\n-{73}\\r\\n\\d\\d/\\d\\d/\\d\\d:\\r\\n";
        for (const QByteArray& record : c.records)
            pattern += "  \\d\\d:\\d\\d:\\d\\d\\.\\d{3}\\t" + QRegularExpression::escape(QString::fromLatin1(threadField + "\t" + record)).toLatin1() + "\\r\\n";
        pattern += "$";
        EXPECT_TRUE(QRegularExpression(QString::fromLatin1(pattern)).match(QString::fromLatin1(*log)).hasMatch())
            << log->constData();
    }
}

}  // namespace
