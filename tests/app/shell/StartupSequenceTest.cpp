#include "ShellTestSupport.h"

#include "startup/CFileVersionInfo.h"
#include "events/CCoordinatorPlomeraView.h"
#include "events/ViewerMessages.h"
#include "startup/CabinetFileHelper.h"
#include "startup/StartupSequence.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

using Messages = QVector<std::pair<int, QString>>;
namespace VM = ViewerMessages;

void Touch(const QString& path, const QByteArray& bytes = "x")
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

Messages Raise(const QString& folder, const QStringList& args)
{
    RecordingTarget viewer;
    CCoordinatorPlomeraView coordinator(&viewer);
    StartupSequence::RaiseOpenRequests(&coordinator, QStringLiteral("/tmp/Plomera_x"), args, folder);
    return viewer.received;
}

TEST(StartupSequenceTest, OpenRequestsFromTheFolderWhenThereIsNoArgument)
{
    QTemporaryDir dir;
    const QString d = dir.path();
    // Made out of order: the folder is taken by name whatever order the disk keeps.
    Touch(d + "/camera_3.video");
    Touch(d + "/Camera_2.video");
    Touch(d + "/camera_1.video");
    Touch(d + "/c.partial");
    EXPECT_EQ(StartupSequence::FindFirstVideoFile(d), QStringLiteral("camera_1.video"));
    EXPECT_EQ(Raise(d, {"plomera"}), (Messages{{VM::RegisterLocalFile, d + "/Camera_2.video"},
                                               {VM::RegisterLocalFile, d + "/camera_3.video"},
                                               {VM::OpenLocalFile, d + "/camera_1.video"},
                                               {VM::StartupComplete, {}}}));

    QTemporaryDir partialOnly;
    Touch(partialOnly.path() + "/only.partial");
    EXPECT_EQ(Raise(partialOnly.path(), {"plomera"}),
              (Messages{{VM::OpenLocalFile, partialOnly.path() + "/only.partial"}, {VM::StartupComplete, {}}}));

    QTemporaryDir empty;
    Touch(empty.path() + "/notes.txt");
    EXPECT_EQ(Raise(empty.path(), {"plomera"}), (Messages{{VM::StartupComplete, {}}}));
}

TEST(StartupSequenceTest, OpenRequestsFromTheFirstArgument)
{
    QTemporaryDir dir;
    Touch(dir.path() + "/a.video");  // the folder is not looked at when there is an argument
    struct Row {
        QString argument;
        QString opened;
    } rows[] = {
        {"\\evidence.video", dir.path() + "/\\evidence.video"},
        {"evidence.video", "evidence.video"},
        {"/data/case/evidence.video", "/data/case/evidence.video"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(Raise(dir.path(), {"plomera", row.argument, "ignored"}),
                  (Messages{{VM::OpenLocalFile, row.opened}, {VM::StartupComplete, {}}}));
    }
}

TEST(StartupSequenceTest, PackageModeLooksAtNothingElse)
{
    RecordingTarget viewer;
    CCoordinatorPlomeraView coordinator(&viewer);
    coordinator.SetExtractionHook([](CCoordinatorPlomeraView&, QString&) { return false; });
    // Without a package the hook reports no package, and the command line is used.
    StartupSequence::RaiseOpenRequests(&coordinator, "/tmp/x", {"plomera", "f.video"}, "/");
    ASSERT_FALSE(viewer.received.isEmpty());
    EXPECT_EQ(viewer.received.back().first, VM::StartupComplete);
}

TEST(StartupSequenceTest, TemporaryFolderAndEnvironment)
{
    EXPECT_EQ(StartupSequence::GetTempFolder("9.3.0.0", "/tmp"), "/tmp/Plomera_9.3.0.0");
    EXPECT_EQ(StartupSequence::GetTempFolder("9.3.0.0", "/tmp/"), "/tmp/Plomera_9.3.0.0");
    EXPECT_EQ(StartupSequence::GetTempFolder("9.3.0.0", ""), "9.3.0.0");
    const QByteArray saved = qgetenv("PATH");
    qunsetenv("PATH");
    StartupSequence::SetEnvironment("/tmp/Plomera_1");
    EXPECT_EQ(qgetenv("PATH"), ";/tmp/Plomera_1");
    EXPECT_EQ(qgetenv("CODECINTERFACE"), "/tmp/Plomera_1");
    qputenv("PATH", "/usr/bin");
    StartupSequence::SetEnvironment("/t");
    EXPECT_EQ(qgetenv("PATH"), "/usr/bin;/t");
    qputenv("PATH", saved);
}

TEST(StartupSequenceTest, OnlyAPrivateFolderIsUsed)
{
    QTemporaryDir dir;
    const QString fresh = dir.path() + "/Plomera_1.0";
    EXPECT_EQ(StartupSequence::SecureTempFolder(fresh), fresh);
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(fresh).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(StartupSequence::SecureTempFolder(fresh), fresh);  // our own, kept

    const QString open = dir.path() + "/Plomera_open";
    QDir().mkdir(open);
    ::chmod(QFile::encodeName(open).constData(), 0777);
    QString why;
    const QString replaced = StartupSequence::SecureTempFolder(open, &why);
    EXPECT_NE(replaced, open);
    EXPECT_TRUE(why.contains("written by others"));
    ASSERT_EQ(::stat(QFile::encodeName(replaced).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    QDir(replaced).removeRecursively();

    const QString link = dir.path() + "/Plomera_link";
    QFile::link(fresh, link);
    EXPECT_NE(StartupSequence::SecureTempFolder(link, &why), link);
}

class CabinetTest : public ::testing::Test {
protected:
    // Makes a cabinet with gcab from n small files; returns its folder.
    QString MakeCabinet(int n)
    {
        const QString src = dir.path() + "/src";
        QDir().mkpath(src);
        QStringList args{"-c", "-z", "-n", dir.path() + "/player.bin"};
        for (int i = 0; i < n; ++i) {
            const QString name = src + QString("/lib%1.so").arg(i, 3, 10, QChar('0'));
            Touch(name, QByteArray(1000 + i, char('a' + i % 26)));
            args << name;
        }
        EXPECT_EQ(QProcess::execute("gcab", args), 0);
        return dir.path();
    }

    QTemporaryDir dir;
};

TEST_F(CabinetTest, ProgressCountsFilesUpTo95ThenCompletes)
{
    for (int n : {3, 98}) {
        const QString folder = MakeCabinet(n);
        const QString dest = folder + QString("/out%1").arg(n);
        QDir().mkpath(dest);
        std::vector<std::pair<int, int>> notices;
        CabinetFileHelper helper([&](int a, int b) { notices.emplace_back(a, b); });
        helper.Start("player.bin", folder + "/", dest);
        EXPECT_EQ(helper.Result(), 1);
        ASSERT_EQ(int(notices.size()), n + 1);
        for (int i = 0; i < n; ++i) {
            EXPECT_EQ(notices[i], std::make_pair(std::min(i, 95), 1));
        }
        EXPECT_EQ(notices.back(), std::make_pair(100, 1));
        for (int i = 0; i < n; ++i) {
            const QString name = QString("/lib%1.so").arg(i, 3, 10, QChar('0'));
            QFile a(folder + "/src" + name), b(dest + name);
            ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
            EXPECT_EQ(a.readAll(), b.readAll());
        }
    }
    // A damaged cabinet fails cleanly.
    Touch(dir.path() + "/bad.bin", "MSCF this is not a cabinet");
    CabinetFileHelper bad;
    bad.Start("bad.bin", dir.path(), dir.path() + "/outbad");
    EXPECT_EQ(bad.Result(), 0);
}

TEST_F(CabinetTest, EntryNamesNeverLeaveTheFolder)
{
    const struct {
        const char* entry;
        const char* expected;
    } rows[] = {
        {"libvdl.so", "/d/libvdl.so"},
        {"\\sub\\x.so\\", "/d/sub/x.so"},
        {"..\\..\\etc\\passwd", ""},
        {"sub\\..\\..\\x", ""},
        {"a\\\\b", ""},
        {"\\", ""},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(CabinetFileHelper::DestinationFor("/d", row.entry), QString(row.expected)) << row.entry;
    }
}

TEST(VersionInfoTest, ReadsTheBlockCompiledIntoTheProgram)
{
    CFileVersionInfo info;
    ASSERT_TRUE(info.Create(QCoreApplication::applicationFilePath()));
    EXPECT_EQ(info.FileVersion, "1.0.0.0");
    EXPECT_EQ(info.ProductName, "Plomera");
    EXPECT_EQ(info.CompanyName, "Quorvane");
    EXPECT_EQ(info.fixedInfo[0], 0xBD);  // the fixed record's signature
    QTemporaryDir dir;
    Touch(dir.path() + "/plain", QByteArray(100000, 'z'));
    EXPECT_FALSE(info.Create(dir.path() + "/plain"));
    EXPECT_TRUE(info.FileVersion.isEmpty());

    const uint32_t only[] = {0x04B00409};
    EXPECT_EQ(CFileVersionInfo::ChooseTranslation(only, 1, 0x0407), 0);
    const uint32_t several[] = {0x04B00407, 0x04B00809, 0x04B00000};
    EXPECT_EQ(CFileVersionInfo::ChooseTranslation(several, 3, 0x0409), 1);  // same primary language
    EXPECT_EQ(CFileVersionInfo::ChooseTranslation(several, 3, 0x0411), 2);  // language 0
}

} // namespace
