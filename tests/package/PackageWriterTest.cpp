#include "PackageTestFiles.h"

#include "evidence/FalException.h"
#include "tools/PackageCommand.h"
#include "tools/ToolCommand.h"
#include "package/PackageExtraction.h"
#include "package/PackageTrailer.h"
#include "package/PackageWriter.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTextStream>
#include <gtest/gtest.h>

using namespace PackageTestFiles;

namespace {

const QString kSingleName = QStringLiteral("AFD62DEF-B422-4AD5-B4C4-49FDF00D00F9.tmp");

// A running package as start-up leaves it: the executable, its extraction folder, and what the
// extraction read.
struct RunningPackage {
    QTemporaryDir dir;
    QString executable;
    QString folder;
    std::unique_ptr<PackageExtraction> extraction;

    RunningPackage(const QByteArray& bytes, const std::optional<QString>& password = std::nullopt)
    {
        executable = dir.filePath(QStringLiteral("running.exe"));
        Write(executable, bytes);
        QFile::setPermissions(executable, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        folder = dir.filePath(QStringLiteral("Plomera_1.0.0.0"));
        extraction = std::make_unique<PackageExtraction>(executable);
        extraction->SetExtractionFolder(folder);
        extraction->SetPasswordPrompt([password]() { return password; });
        QString target = folder + QLatin1Char('/') + kSingleName;
        extraction->InitializeVideoExtraction(target);
    }

    QString Out(const QString& name) const { return dir.filePath(name); }
};

// Two files of 3 and 5 bytes behind a 1,000-byte player, with a password.
QByteArray TwoFilePackage()
{
    QByteArray digest = QByteArray::fromHex("09433e1853385270b51511571e35eeca");  // "secret"
    return Player(1000) + "abcdefgh"
         + ManyFilesTrailer({Entry("a.video", 1000, 3), Entry("b.video", 1003, 5)}, 2, 1, digest);
}

TEST(PackageWriterTest, NewPackageCarriesTheFilesAsTheyAreNow)
{
    RunningPackage running(TwoFilePackage(), QStringLiteral("secret"));
    ASSERT_TRUE(running.extraction->IsPackage());
    // Bookmarks were added to the first file during the run.
    Write(running.folder + QStringLiteral("/a.video"), "abc+bookmarks");
    const QString target = running.Out(QStringLiteral("new.exe"));
    QStringList calls;
    ASSERT_TRUE(PackageWriter::CreateSingleEvidenceFile(*running.extraction, running.folder, target,
                                                        RecordingProgress::Factory(&calls)));
    const QByteArray bytes = Read(target);
    QByteArray digest = QByteArray::fromHex("09433e1853385270b51511571e35eeca");
    EXPECT_EQ(bytes, Player(1000) + "abc+bookmarksdefgh"
                         + ManyFilesTrailer({Entry("a.video", 1000, 13), Entry("b.video", 1013, 5)}, 2, 1, digest));
    EXPECT_EQ(calls, QStringList({"show File Saving in Progress ...", "start a.video 13 2", "update 0",
                                  "start b.video 5 2", "update 0"}));
    EXPECT_TRUE(QFileInfo(target).isExecutable());

    // The new package opens with the same password and gives the new contents.
    RunningPackage again(bytes, QStringLiteral("secret"));
    EXPECT_EQ(Read(again.folder + QStringLiteral("/a.video")), QByteArray("abc+bookmarks"));
    EXPECT_EQ(Read(again.folder + QStringLiteral("/b.video")), QByteArray("defgh"));
}

TEST(PackageWriterTest, OneFilePackageIsWrittenAsAManyFilePackageWithOneEntry)
{
    const QByteArray text = "CUM+GFM4UnC1FRFXHjXuyg==\r\n";  // "secret"
    RunningPackage running(Player(600) + "hello" + SingleFileTrailer(600, 5, 1, text), QStringLiteral("secret"));
    ASSERT_EQ(Read(running.folder + QLatin1Char('/') + kSingleName), QByteArray("hello"));
    const QString target = running.Out(QStringLiteral("new.exe"));
    ASSERT_TRUE(PackageWriter::CreateSingleEvidenceFile(*running.extraction, running.folder, target));
    const QByteArray digest = QByteArray::fromHex("09433e1853385270b51511571e35eeca");
    EXPECT_EQ(Read(target), Player(600) + "hello"
                                + ManyFilesTrailer({Entry(kSingleName.toLatin1(), 600, 5)}, 1, 1, digest));

    RunningPackage wrong(Read(target), QStringLiteral("Secret"));
    EXPECT_FALSE(QFileInfo::exists(wrong.folder + QLatin1Char('/') + kSingleName)) << "the password went with it";
}

TEST(PackageWriterTest, MissingFileLeavesTheChosenNameAsItWas)
{
    RunningPackage running(TwoFilePackage(), QStringLiteral("secret"));
    QFile::remove(running.folder + QStringLiteral("/b.video"));
    const QString fresh = running.Out(QStringLiteral("fresh.exe"));
    EXPECT_FALSE(PackageWriter::CreateSingleEvidenceFile(*running.extraction, running.folder, fresh));
    EXPECT_FALSE(QFileInfo::exists(fresh));
    EXPECT_TRUE(LogHas(QStringLiteral("Unable to open video file: ") + running.folder + QStringLiteral("/b.video")));

    const QString existing = running.Out(QStringLiteral("existing.exe"));
    Write(existing, "an earlier package");
    EXPECT_FALSE(PackageWriter::CreateSingleEvidenceFile(*running.extraction, running.folder, existing));
    EXPECT_EQ(Read(existing), QByteArray("an earlier package"));
    EXPECT_EQ(QDir(running.dir.path()).entryList({"*.exe*"}, QDir::Files),
              QStringList({"existing.exe", "running.exe"}))
        << "no temporary file is left behind";
}

TEST(PackageWriterTest, PlainPlayerWritesNothing)
{
    RunningPackage running(Player(5000));
    ASSERT_FALSE(running.extraction->IsPackage());
    const QString target = running.Out(QStringLiteral("new.exe"));
    EXPECT_FALSE(PackageWriter::CreateSingleEvidenceFile(*running.extraction, running.folder, target));
    EXPECT_FALSE(QFileInfo::exists(target));
}

TEST(PackageWriterTest, FirstPackagesRefuseWhatExtractionCouldNotGiveBack)
{
    QTemporaryDir dir;
    const QString player = dir.filePath(QStringLiteral("player"));
    Write(player, Player(100));
    QDir().mkpath(dir.filePath(QStringLiteral("x")));
    Write(dir.filePath(QStringLiteral("a.video")), "a");
    Write(dir.filePath(QStringLiteral("x/a.video")), "other a");
    Write(dir.filePath(QStringLiteral("b.video")), "b");
    Write(dir.filePath(QStringLiteral("\u4e2d.video")), "c");
    const QString package = dir.filePath(QStringLiteral("p.exe"));
    PackageWriter::CreatePackage(player, {dir.filePath(QStringLiteral("a.video"))}, package, std::nullopt, 2);
    struct Case {
        const char* name;
        QString player;
        QStringList files;
        quint32 kind;
    };
    const std::vector<Case> cases = {
        {"two files of one name", player, {dir.filePath("a.video"), dir.filePath("x/a.video")}, 2},
        {"a name outside the code page", player, {dir.filePath(QStringLiteral("\u4e2d.video"))}, 2},
        {"one-file package of two files", player, {dir.filePath("a.video"), dir.filePath("b.video")}, 1},
        {"no files", player, {}, 2},
        {"unknown kind", player, {dir.filePath("a.video")}, 3},
        {"a package as the player", package, {dir.filePath("b.video")}, 2},
        {"missing file", player, {dir.filePath("none.video")}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString out = dir.filePath(QStringLiteral("out.exe"));
        EXPECT_THROW(PackageWriter::CreatePackage(c.player, c.files, out, std::nullopt, c.kind), FalException);
        EXPECT_FALSE(QFileInfo::exists(out));
    }
}

int RunCommand(const QStringList& args, QString* out, QString* err)
{
    QTextStream outStream(out);
    QTextStream errStream(err);
    return PackageCommand::Command().Run(args, outStream, errStream);
}

TEST(PackageWriterTest, PackageCommandCreatesListsAndExtracts)
{
    QTemporaryDir dir;
    const QString player = dir.filePath(QStringLiteral("player"));
    Write(player, Player(1000));
    Write(dir.filePath(QStringLiteral("a.video")), "abc");
    Write(dir.filePath(QStringLiteral("b.video")), "defgh");
    const QString package = dir.filePath(QStringLiteral("p.exe"));
    QString out, err;
    EXPECT_EQ(RunCommand({"create", package, dir.filePath("a.video"), dir.filePath("b.video"), "--player", player,
                          "--password", "secret"},
                         &out, &err),
              0)
        << err.toStdString();
    EXPECT_EQ(Read(package).size(), 1864);

    out.clear();
    EXPECT_EQ(RunCommand({"list", package}, &out, &err), 0);
    EXPECT_EQ(out, QStringLiteral("kind: 2\nprotection: password\nfiles: 2\n"
                                  "entry 0: offset 1000 size 3 name a.video\n"
                                  "entry 1: offset 1003 size 5 name b.video\n"));

    const QString folder = dir.filePath(QStringLiteral("out"));
    err.clear();
    EXPECT_EQ(RunCommand({"extract", package, folder}, &out, &err), 1);
    EXPECT_TRUE(err.contains(QStringLiteral("needs a password")));
    EXPECT_EQ(RunCommand({"extract", package, folder, "--password", "nope"}, &out, &err), 1);
    out.clear();
    EXPECT_EQ(RunCommand({"extract", package, folder, "--password", "secret"}, &out, &err), 0);
    EXPECT_EQ(out, folder + QStringLiteral("/a.video\n") + folder + QStringLiteral("/b.video\n"));
    EXPECT_EQ(Read(folder + QStringLiteral("/b.video")), QByteArray("defgh"));

    EXPECT_EQ(RunCommand({"list", player}, &out, &err), 1) << "not a package";
    Write(dir.filePath(QStringLiteral("damaged.exe")), Player(10) + ManyFilesTrailer({}, 9, 2));
    err.clear();
    EXPECT_EQ(RunCommand({"list", dir.filePath(QStringLiteral("damaged.exe"))}, &out, &err), 1);
    EXPECT_TRUE(err.startsWith(QStringLiteral("plomera-evidence package: Package trailer damaged: 9 entries do not fit the file")))
        << err.toStdString();
    for (const QStringList& bad : {QStringList{}, QStringList{"create", package}, QStringList{"list"},
                                   QStringList{"extract", package}, QStringList{"create", package, "a", "--kind", "5"},
                                   QStringList{"frobnicate"}, QStringList{"list", package, "--bogus"}}) {
        SCOPED_TRACE(bad.join(QLatin1Char(' ')).toStdString());
        out.clear();
        err.clear();
        EXPECT_EQ(RunCommand(bad, &out, &err), 64);
        EXPECT_TRUE(out.isEmpty());
        EXPECT_TRUE(err.endsWith(QStringLiteral(". Try 'plomera-evidence --help'.\n"))) << err.toStdString();
    }
}

}  // namespace
