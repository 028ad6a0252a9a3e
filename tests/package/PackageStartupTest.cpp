// The player started as a package: the real player executable with two sample recordings
// appended, password protected, answered through the password prompt.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace {

const QString kPassword = QStringLiteral("B\u00fcro 7");

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool RunTool(const QStringList& args, QString* output = nullptr)
{
    QProcess tool;
    tool.setProcessChannelMode(QProcess::MergedChannels);
    tool.start(QStringLiteral(PLOMERA_EVIDENCE), args);
    const bool ok = tool.waitForFinished(180000) && tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
    if (output)
        *output = QString::fromUtf8(tool.readAll());
    return ok;
}

class RunningPlayer {
public:
    RunningPlayer(const QString& program, const QString& root, const QString& answer)
    {
        QDir().mkpath(root + QStringLiteral("/config/Quorvane"));
        QDir().mkpath(root + QStringLiteral("/work"));
        QDir().mkpath(root + QStringLiteral("/tmp"));
        // Info and errors logged into the working folder.
        QFile settings(root + QStringLiteral("/config/Quorvane/Plomera.conf"));
        settings.open(QIODevice::WriteOnly);
        settings.write("[General]\nLogFlags=2\n");
        settings.close();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), root);
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), root + QStringLiteral("/config"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), root + QStringLiteral("/tmp"));
        env.insert(QStringLiteral("TMPDIR"), root + QStringLiteral("/tmp"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("PLOMERA_PASSWORD_DIALOG_ANSWER"), answer);
        process_.setProcessEnvironment(env);
        process_.setWorkingDirectory(root + QStringLiteral("/work"));
        process_.setProcessChannelMode(QProcess::ForwardedChannels);
        process_.start(program, {});
        log_ = root + QStringLiteral("/work/OmbrixPlayer.log");
    }
    ~RunningPlayer()
    {
        process_.terminate();
        if (!process_.waitForFinished(5000)) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }

    bool Started() { return process_.waitForStarted(10000); }

    // The first log line matching pattern, waited for while the player runs.
    QString WaitForLog(const QRegularExpression& pattern, int waitMs)
    {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < waitMs && process_.state() == QProcess::Running) {
            const QRegularExpressionMatch match = pattern.match(QString::fromUtf8(ReadAll(log_)));
            if (match.hasMatch())
                return match.captured(1);
            QThread::msleep(50);
        }
        return QString();
    }

private:
    QProcess process_;
    QString log_;
};

TEST(PackageStartupTest, PackageOfTheRealPlayerExtractsBothFilesAndOpensTheLast)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString samples = dir.filePath(QStringLiteral("samples"));
    QString output;
    ASSERT_TRUE(RunTool({"make-sample", samples, "--cameras", "2", "--duration", "60", "--start", "2021-06-05 07:08:00",
                         "--bookmarks", "2"},
                        &output))
        << output.toStdString();
    const QStringList names = QDir(samples).entryList({"*.video"}, QDir::Files, QDir::Name);
    ASSERT_EQ(names.size(), 2) << output.toStdString();
    const QString package = dir.filePath(QStringLiteral("evidence.exe"));
    ASSERT_TRUE(RunTool({"package", "create", package, samples + QLatin1Char('/') + names[0],
                         samples + QLatin1Char('/') + names[1], "--password", kPassword, "--player",
                         QStringLiteral(PLOMERA_PLAYER)},
                        &output))
        << output.toStdString();

    RunningPlayer player(package, dir.filePath(QStringLiteral("run")), QStringLiteral("ok:") + kPassword);
    ASSERT_TRUE(player.Started());
    // The first file is registered and the last opened; both log the same success text.
    const QString opened = player.WaitForLog(
        QRegularExpression(QStringLiteral("Video File Opened Successfully : ([^\r\n]*/")
                           + QRegularExpression::escape(names[1]) + QStringLiteral(")")),
        60000);
    ASSERT_FALSE(opened.isEmpty()) << "no file opened";
    EXPECT_TRUE(opened.endsWith(QLatin1Char('/') + names[1])) << opened.toStdString();
    const QString folder = opened.left(opened.lastIndexOf(QLatin1Char('/')));
    EXPECT_TRUE(folder.startsWith(dir.filePath(QStringLiteral("run/tmp/")))) << folder.toStdString();
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_EQ(ReadAll(folder + QLatin1Char('/') + name), ReadAll(samples + QLatin1Char('/') + name));
    }
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
