// The custody digests against the system's own tools, across bookmark saves, a cancel in the
// middle of a pass, a file that changes while it is read, and the report that may never land on
// an evidence file.
#include "EvidenceTestFiles.h"
#include "TagBuilder.h"

#include "evidence/CustodyDigest.h"
#include "evidence/CustodyReport.h"
#include "evidence/FileTag.h"
#include "evidence/FileTagJson.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

QString Tool(const QString& command)
{
    QProcess p;
    p.start(QStringLiteral("sh"), {QStringLiteral("-c"), command});
    p.waitForFinished(60000);
    return QString::fromLatin1(p.readAllStandardOutput()).section(QLatin1Char(' '), 0, 0).trimmed();
}

std::string Pattern(size_t size)
{
    std::string s(size, '\0');
    uint32_t x = 12345;
    for (char& c : s) {
        x = x * 1103515245u + 12345u;
        c = static_cast<char>(x >> 24);
    }
    return s;
}

} // namespace

TEST(CustodyDigestTest, DigestsMatchTheSystemToolsAndTheStreamRegionSurvivesBookmarkSaves)
{
    EvidenceTestFiles files;
    TagSpec spec;
    spec.version = "6.0";
    // Two full blocks and a part, so the region ends inside the last block.
    spec.stream = Pattern(2 * CustodyDigest::kBlockSize + 12345);
    const QString path = files.Write("evidence.video", TagBuilder::Build(spec));
    FileTag tag;
    ASSERT_TRUE(tag.LoadFromFile(path));
    const qint64 region = tag.StreamRegionEnd();
    ASSERT_EQ(region, static_cast<qint64>(spec.stream.size()));

    int calls = 0;
    const CustodyDigest::Result r = CustodyDigest::Compute(path, region, nullptr, [&](qint64 done, qint64 total) {
        ++calls;
        EXPECT_LE(done, total);
    });
    ASSERT_TRUE(r.complete) << r.error.toStdString();
    EXPECT_EQ(calls, 3);
    EXPECT_FALSE(r.Changed());
    EXPECT_EQ(r.before.size, QFileInfo(path).size());
    EXPECT_EQ(r.sha256File, Tool("sha256sum '" + path + "'"));
    EXPECT_EQ(r.md5File, Tool("md5sum '" + path + "'"));
    EXPECT_EQ(r.sha256Region, Tool(QStringLiteral("head -c %1 '%2' | sha256sum").arg(region).arg(path)));

    // A bookmark save rewrites the tag (and makes 6.0 a 6.2): the whole file's digests change,
    // the stream region's does not.
    tag.AddBookmark("Door", 1678881900, "Opened");
    tag.SaveBookmarks();
    FileTag after;
    ASSERT_TRUE(after.LoadFromFile(path));
    const CustodyDigest::Result saved = CustodyDigest::Compute(path, after.StreamRegionEnd(), nullptr, {});
    EXPECT_EQ(saved.sha256Region, r.sha256Region);
    EXPECT_NE(saved.sha256File, r.sha256File);
    EXPECT_EQ(saved.sha256File, Tool("sha256sum '" + path + "'"));

    // Without a tag there is no region; an empty region has the empty digest.
    EXPECT_TRUE(CustodyDigest::Compute(path, -1, nullptr, {}).sha256Region.isEmpty());
    EXPECT_EQ(CustodyDigest::Compute(path, 0, nullptr, {}).sha256Region,
              "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
}

TEST(CustodyDigestTest, CancelStopsWithinABlockAndAChangingFileIsReported)
{
    EvidenceTestFiles files;
    const QString path = files.Write("big.video", Pattern(5 * CustodyDigest::kBlockSize));
    std::atomic<bool> cancel{false};
    int blocks = 0;
    const CustodyDigest::Result r = CustodyDigest::Compute(path, -1, &cancel, [&](qint64, qint64) {
        if (++blocks == 2) {
            cancel = true;
        }
    });
    EXPECT_TRUE(r.cancelled);
    EXPECT_FALSE(r.complete);
    EXPECT_EQ(blocks, 2);
    EXPECT_TRUE(r.sha256File.isEmpty());

    // Appending while it is read: the size after differs and the result says so.
    const CustodyDigest::Result grown = CustodyDigest::Compute(path, -1, nullptr, [&](qint64 done, qint64) {
        if (done == CustodyDigest::kBlockSize) {
            QFile f(path);
            f.open(QIODevice::Append);
            f.write("more");
        }
    });
    EXPECT_TRUE(grown.complete);
    EXPECT_TRUE(grown.Changed());

    const CustodyDigest::Result missing = CustodyDigest::Compute(files.Write("x", "") + "-gone", -1, nullptr, {});
    EXPECT_FALSE(missing.complete);
    EXPECT_TRUE(missing.error.startsWith("Cannot read "));
}

TEST(CustodyDigestTest, TheReportNamesEverythingAndIsNeverWrittenOverEvidence)
{
    EvidenceTestFiles files;
    TagSpec spec;
    spec.version = "6.2";
    const QString path = files.Write("evidence.video", TagBuilder::Build(spec));
    const QByteArray before = EvidenceTestFiles::Read(path);
    FileTag tag;
    ASSERT_TRUE(tag.LoadFromFile(path));
    CustodyReport::Facts facts;
    facts.version = "1.0.0";
    facts.checkedAt = QDateTime::fromSecsSinceEpoch(1700000000);
    facts.user = "investigator";
    facts.host = "lab-7";
    facts.path = path;
    facts.camera = "Lobby";
    facts.digest = CustodyDigest::Compute(path, tag.StreamRegionEnd(), nullptr, {});
    facts.tag = FileTagJson::Of(tag, true);
    const QString text = CustodyReport::Text(facts);
    for (const QString& expected :
         {QStringLiteral("Program version: 1.0.0"), QStringLiteral("Checked at: 2023-11-14 22:13:20 +00:00 (2023-11-14 22:13:20 UTC)"),
          QStringLiteral("User: investigator"), QStringLiteral("Host: lab-7"), "File: " + path,
          QStringLiteral("Camera: Lobby"), "SHA-256 (file): " + facts.digest.sha256File,
          "MD5 (file): " + facts.digest.md5File, QStringLiteral("SHA-256 (stream region, first 2048 bytes)"),
          QStringLiteral("Unchanged during the check: yes"), QStringLiteral("  version: 6.2"),
          QStringLiteral("  tagStart: ")}) {
        EXPECT_TRUE(text.contains(expected)) << expected.toStdString() << "\n" << text.toStdString();
    }

    // Refused over the open file and over any file with a tag; written elsewhere whole.
    EXPECT_EQ(CustodyReport::Write(path, text, {path}), CustodyReport::kOverEvidence);
    const QString other = files.Write("other.video", TagBuilder::Build(spec));
    EXPECT_EQ(CustodyReport::Write(other, text, {path}), CustodyReport::kOverEvidence);
    EXPECT_EQ(EvidenceTestFiles::Read(path), before);
    const QString report = QFileInfo(path).absolutePath() + "/report.txt";
    EXPECT_TRUE(CustodyReport::Write(report, text, {path}).isEmpty());
    EXPECT_EQ(QString::fromUtf8(EvidenceTestFiles::Read(report)), text);
}
