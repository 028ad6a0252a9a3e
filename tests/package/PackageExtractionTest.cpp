#include "PackageTestFiles.h"

#include "package/PackageExtraction.h"
#include "package/PackageWriter.h"

#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace PackageTestFiles;

namespace {

const QString kSingleName = QStringLiteral("AFD62DEF-B422-4AD5-B4C4-49FDF00D00F9.tmp");

QByteArray Noise(qsizetype size, quint32 seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator random(seed);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char(random.generate() & 0xFF);
    return bytes;
}

// A package made by the writer from a stand-in player and the given files.
struct MadePackage {
    QTemporaryDir dir;
    QString package;
    QStringList files;
    QString folder;

    MadePackage(const std::vector<std::pair<QString, QByteArray>>& contents, quint32 kind,
                const std::optional<QString>& password)
    {
        const QString player = dir.filePath(QStringLiteral("player"));
        Write(player, Player(4096));
        QDir().mkdir(dir.filePath(QStringLiteral("in")));
        for (const auto& [name, bytes] : contents) {
            files << dir.filePath(QStringLiteral("in/") + name);
            Write(files.back(), bytes);
        }
        package = dir.filePath(QStringLiteral("evidence.exe"));
        PackageWriter::CreatePackage(player, files, package, password, kind);
        folder = dir.filePath(QStringLiteral("Plomera_1.0.0.0"));
    }

    QString Target() const { return folder + QLatin1Char('/') + kSingleName; }
};

struct Outcome {
    bool extracted = false;
    bool isPackage = false;
    int prompts = 0;
    QString target;
    QStringList registered;
};

Outcome Extract(const MadePackage& made, const std::optional<QString>& answer, QStringList* progress = nullptr,
                int stopAfter = -1)
{
    Outcome outcome;
    PackageExtraction extraction(made.package);
    extraction.SetExtractionFolder(made.folder);
    extraction.SetPasswordPrompt([&]() {
        ++outcome.prompts;
        return answer;
    });
    if (progress)
        extraction.SetProgressFactory(RecordingProgress::Factory(progress));
    extraction.SetFileExtracted([&](const QString& path) {
        outcome.registered << path;
        return stopAfter < 0 || outcome.registered.size() < stopAfter;
    });
    outcome.target = made.Target();
    outcome.extracted = extraction.InitializeVideoExtraction(outcome.target);
    outcome.isPackage = extraction.IsPackage();
    return outcome;
}

TEST(PackageExtractionTest, RoundTripsOfBothKindsWithAndWithoutPassword)
{
    const QByteArray first = Noise(70000, 1);
    const QByteArray second = Noise(123457, 2);
    struct Case {
        const char* name;
        quint32 kind;
        std::optional<QString> password;
    };
    const Case cases[] = {
        {"many files, no password", 2, std::nullopt},
        {"many files, password", 2, QStringLiteral("p\u00e4ssw\u00f6rd")},
        {"one file, no password", 1, std::nullopt},
        {"one file, password", 1, QStringLiteral("secret")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::pair<QString, QByteArray>> contents = {{QStringLiteral("camera 1.video"), first}};
        if (c.kind == 2)
            contents.push_back({QStringLiteral("camera_2.video"), second});
        MadePackage made(contents, c.kind, c.password);
        const Outcome outcome = Extract(made, c.password.value_or(QStringLiteral("never asked")));
        EXPECT_TRUE(outcome.extracted);
        EXPECT_TRUE(outcome.isPackage);
        EXPECT_EQ(outcome.prompts, c.password ? 1 : 0);
        if (c.kind == 1) {
            EXPECT_EQ(outcome.target, made.Target());
            EXPECT_EQ(Read(made.Target()), first);
            EXPECT_TRUE(outcome.registered.isEmpty()) << "the one file is opened, not listed";
        } else {
            const QString last = made.folder + QStringLiteral("/camera_2.video");
            EXPECT_EQ(outcome.target, last) << "the last file is the one to open";
            EXPECT_EQ(outcome.registered, QStringList({made.folder + QStringLiteral("/camera 1.video"), last}));
            EXPECT_EQ(Read(made.folder + QStringLiteral("/camera 1.video")), first);
            EXPECT_EQ(Read(last), second);
        }
    }
}

TEST(PackageExtractionTest, WrongPasswordOrCancelExtractsNothing)
{
    for (const quint32 kind : {1u, 2u}) {
        for (const std::optional<QString>& answer : {std::optional<QString>(QStringLiteral("wrong")),
                                                    std::optional<QString>(QString()), std::optional<QString>()}) {
            SCOPED_TRACE(testing::Message() << "kind " << kind << " answer " << answer.value_or("(cancel)").toStdString());
            MadePackage made({{QStringLiteral("a.video"), "data"}}, kind, QStringLiteral("right"));
            const Outcome outcome = Extract(made, answer);
            EXPECT_FALSE(outcome.extracted);
            EXPECT_TRUE(outcome.isPackage);
            EXPECT_EQ(outcome.prompts, 1);
            EXPECT_TRUE(outcome.registered.isEmpty());
            EXPECT_FALSE(QFileInfo::exists(made.folder)) << "nothing extracted";
        }
    }
}

TEST(PackageExtractionTest, UnusableProtectionValueRefusesThePackage)
{
    QTemporaryDir dir;
    const QString package = dir.filePath(QStringLiteral("p.exe"));
    Write(package, Player(300) + "abc" + ManyFilesTrailer({Entry("a.video", 300, 3)}, 1, 7));
    PackageExtraction extraction(package);
    extraction.SetExtractionFolder(dir.filePath(QStringLiteral("out")));
    int prompts = 0;
    extraction.SetPasswordPrompt([&]() -> std::optional<QString> {
        ++prompts;
        return QString();
    });
    QString target = dir.filePath(QStringLiteral("out/x"));
    EXPECT_FALSE(extraction.InitializeVideoExtraction(target));
    EXPECT_TRUE(extraction.IsPackage());
    EXPECT_EQ(prompts, 0);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("out"))));
}

TEST(PackageExtractionTest, EntriesWhoseNamesLeaveTheFolderAreRefusedAndTheRestExtracted)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("deep/out"));
    QDir().mkpath(folder);
    const QByteArray bad[] = {"../escape.video", "/tmp/absolute.video", "sub/dir.video", "a\\b.video", "..",
                              ".", "", "C:evil.video"};
    std::vector<QByteArray> entries;
    QByteArray data;
    const qint64 start = 300;
    for (const QByteArray& name : bad) {
        entries.push_back(Entry(name, start + data.size(), 4));
        data += "evil";
    }
    entries.push_back(Entry("good.video", start + data.size(), 4));
    data += "good";
    const QString package = dir.filePath(QStringLiteral("p.exe"));
    Write(package, Player(start) + data + ManyFilesTrailer(entries, quint32(entries.size()), 2));

    PackageExtraction extraction(package);
    extraction.SetExtractionFolder(folder);
    QStringList registered;
    extraction.SetFileExtracted([&](const QString& path) {
        registered << path;
        return true;
    });
    QString target = folder + QLatin1Char('/') + kSingleName;
    EXPECT_TRUE(extraction.InitializeVideoExtraction(target));
    EXPECT_EQ(registered, QStringList({folder + QStringLiteral("/good.video")}));
    EXPECT_EQ(target, folder + QStringLiteral("/good.video"));
    EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList({"good.video"}));
    EXPECT_EQ(QDir(dir.filePath(QStringLiteral("deep"))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList({"out"}));
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/tmp/absolute.video")));
    EXPECT_TRUE(LogHas(QStringLiteral(
        "Error in ExtractVideoFile : Package entry 0 \"../escape.video\" refused, the name has a folder part; "
        "the other files are extracted")));
    EXPECT_TRUE(LogHas(QStringLiteral("Package entry 4 \"..\" refused, the name is a folder reference")));
    EXPECT_TRUE(LogHas(QStringLiteral("Package entry 7 \"C:evil.video\" refused, the name is an absolute path")));

    // Every entry refused: nothing to open.
    QTemporaryDir other;
    const QString onlyBad = other.filePath(QStringLiteral("p.exe"));
    Write(onlyBad, Player(10) + "evil" + ManyFilesTrailer({Entry("../x", 10, 4)}, 1, 2));
    PackageExtraction refused(onlyBad);
    refused.SetExtractionFolder(other.filePath(QStringLiteral("out")));
    QString refusedTarget = other.filePath(QStringLiteral("out/x"));
    EXPECT_FALSE(refused.InitializeVideoExtraction(refusedTarget));
    EXPECT_TRUE(refused.IsPackage());
}

TEST(PackageExtractionTest, OneFilePackageExtractsExactlyItsStoredSize)
{
    QTemporaryDir dir;
    const QString package = dir.filePath(QStringLiteral("p.exe"));
    // Twelve bytes follow the offset; the block says five.
    Write(package, Player(200) + "12345trailing" + SingleFileTrailer(200, 5, 2));
    PackageExtraction extraction(package);
    const QString folder = dir.filePath(QStringLiteral("out"));
    extraction.SetExtractionFolder(folder);
    QString target = folder + QLatin1Char('/') + kSingleName;
    EXPECT_TRUE(extraction.InitializeVideoExtraction(target));
    EXPECT_EQ(Read(target), QByteArray("12345"));
    EXPECT_EQ(extraction.SingleFileName(), kSingleName);
}

TEST(PackageExtractionTest, ProgressCountsFilesAndBlocks)
{
    const qint64 block = 10485760;
    MadePackage made({{QStringLiteral("a.video"), "aaa"},
                      {QStringLiteral("b.video"), Noise(block + 17, 3)},
                      {QStringLiteral("c.video"), QByteArray()}},
                     2, std::nullopt);
    QStringList calls;
    const Outcome outcome = Extract(made, std::nullopt, &calls);
    EXPECT_TRUE(outcome.extracted);
    EXPECT_EQ(calls, QStringList({"show File Extraction in Progress ...", "start a.video 3 3",
                                  QStringLiteral("start b.video %1 3").arg(block + 17),
                                  QStringLiteral("update %1").arg(block), "start c.video 0 3"}));
    EXPECT_EQ(QFileInfo(made.folder + QStringLiteral("/b.video")).size(), block + 17);
    EXPECT_EQ(QFileInfo(made.folder + QStringLiteral("/c.video")).size(), 0);
}

TEST(PackageExtractionTest, WithoutAViewerTheExtractionEndsAfterTheFirstFile)
{
    MadePackage made({{QStringLiteral("a.video"), "a"}, {QStringLiteral("b.video"), "b"}}, 2, std::nullopt);
    const Outcome outcome = Extract(made, std::nullopt, nullptr, 1);
    EXPECT_TRUE(outcome.extracted);
    EXPECT_EQ(outcome.registered, QStringList({made.folder + QStringLiteral("/a.video")}));
    EXPECT_FALSE(QFileInfo::exists(made.folder + QStringLiteral("/b.video")));
}

TEST(PackageExtractionTest, FilesThatCannotBeCreatedStopTheExtraction)
{
    // A folder already stands where the first file would go.
    MadePackage made({{QStringLiteral("a.video"), "a"}, {QStringLiteral("b.video"), "b"}}, 2, std::nullopt);
    QDir().mkpath(made.folder + QStringLiteral("/a.video"));
    const Outcome outcome = Extract(made, std::nullopt);
    EXPECT_FALSE(outcome.extracted);
    EXPECT_TRUE(outcome.isPackage);
    EXPECT_TRUE(outcome.registered.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(made.folder + QStringLiteral("/b.video"))) << "later files stay unextracted";
    EXPECT_TRUE(LogHas(QStringLiteral("Error in ExractVideoFile : ")));

    // The running executable cannot be opened.
    PackageExtraction missing(made.dir.filePath(QStringLiteral("gone.exe")));
    QString target = made.Target();
    EXPECT_FALSE(missing.InitializeVideoExtraction(target));
    EXPECT_FALSE(missing.IsPackage());
    EXPECT_TRUE(LogHas(QStringLiteral("Error in InitializeVideoExtraction : ")));
    QString empty;
    EXPECT_FALSE(PackageExtraction(made.package).InitializeVideoExtraction(empty));
}

}  // namespace
