#include "PackageTestFiles.h"

#include "evidence/FalException.h"
#include "package/PackageExtraction.h"
#include "package/PackagePassword.h"
#include "package/PackageTrailer.h"
#include "package/PackageWriter.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

using namespace PackageTestFiles;

namespace {

qint64 Le64At(const QByteArray& bytes, qint64 at)
{
    return qFromLittleEndian<qint64>(bytes.constData() + at);
}

quint32 Le32At(const QByteArray& bytes, qint64 at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

TEST(PackageLayoutTest, TwoFilesBehindAThousandBytePlayerMakeAPackageOf1864Bytes)
{
    QTemporaryDir dir;
    const QString player = dir.filePath(QStringLiteral("player"));
    Write(player, Player(1000));
    Write(dir.filePath(QStringLiteral("a.video")), "abc");
    Write(dir.filePath(QStringLiteral("b.video")), "defgh");
    const QString package = dir.filePath(QStringLiteral("package.exe"));
    PackageWriter::CreatePackage(player, {dir.filePath(QStringLiteral("a.video")), dir.filePath(QStringLiteral("b.video"))},
                                 package, std::nullopt, 2);

    const QByteArray bytes = Read(package);
    ASSERT_EQ(bytes.size(), 1864);
    EXPECT_EQ(bytes.left(1000), Player(1000));
    EXPECT_EQ(bytes.mid(1000, 8), QByteArray("abcdefgh"));
    // Entry table: bytes 1008 to 1559.
    EXPECT_EQ(bytes.mid(1008, 260), Entry("a.video", 0, 0).left(260));
    EXPECT_EQ(Le64At(bytes, 1008 + 260), 1000);
    EXPECT_EQ(Le64At(bytes, 1008 + 268), 3);
    EXPECT_EQ(bytes.mid(1284, 260), Entry("b.video", 0, 0).left(260));
    EXPECT_EQ(Le64At(bytes, 1284 + 260), 1003);
    EXPECT_EQ(Le64At(bytes, 1284 + 268), 5);
    // The kind-2 block starts 304 bytes before the end.
    ASSERT_EQ(1864 - 304, 1560);
    EXPECT_EQ(Le32At(bytes, 1560), 2u);
    EXPECT_EQ(bytes.at(1565), 2) << "no password";
    EXPECT_EQ(bytes.mid(1566, 256), QByteArray(256, '\0'));
    EXPECT_EQ(Le32At(bytes, 1822), 2u);
    EXPECT_EQ(bytes.mid(1826), kMarker);
    EXPECT_EQ(bytes.mid(1008), ManyFilesTrailer({Entry("a.video", 1000, 3), Entry("b.video", 1003, 5)}, 2, 2));
    EXPECT_TRUE(QFileInfo(package).isExecutable()) << "a package is run";
}

TEST(PackageLayoutTest, OneFilePackageCarriesTheDigestTextWithCrLf)
{
    QTemporaryDir dir;
    const QString player = dir.filePath(QStringLiteral("player"));
    Write(player, Player(700));
    Write(dir.filePath(QStringLiteral("a.video")), "hello");
    const QString package = dir.filePath(QStringLiteral("one.exe"));
    PackageWriter::CreatePackage(player, {dir.filePath(QStringLiteral("a.video"))}, package, QStringLiteral("secret"), 1);
    const QByteArray bytes = Read(package);
    ASSERT_EQ(bytes.size(), 700 + 5 + 315);
    EXPECT_EQ(bytes.mid(705), SingleFileTrailer(700, 5, 1, "CUM+GFM4UnC1FRFXHjXuyg==\r\n"));
}

TEST(PackageLayoutTest, PasswordDigestIsMd5OverUtf16LittleEndian)
{
    struct Case {
        QString password;
        QByteArray hex;
        QByteArray text;
    };
    const Case cases[] = {
        {QStringLiteral("secret"), "09433e1853385270b51511571e35eeca", "CUM+GFM4UnC1FRFXHjXuyg==\r\n"},
        {QStringLiteral("p\u00e4ssw\u00f6rd"), "5635299b0882ffccd11e311d65a7ccf1", "VjUpmwiC/8zRHjEdZafM8Q==\r\n"},
        {QString(), "d41d8cd98f00b204e9800998ecf8427e", "1B2M2Y8AsgTpgAmY7PhCfg==\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.password.toStdString());
        EXPECT_EQ(PackagePassword::Digest(c.password).toHex(), c.hex);
        EXPECT_EQ(PackagePassword::DigestText(c.password), c.text);
        EXPECT_EQ(c.text.size(), 26);
        QByteArray field = c.text;
        field.resize(256, '\0');
        EXPECT_TRUE(PackagePassword::MatchesText(field, c.password));
        EXPECT_FALSE(PackagePassword::MatchesText(field, c.password + QLatin1Char('x')));
        QByteArray raw = QByteArray::fromHex(c.hex);
        raw.resize(256, '\0');
        EXPECT_TRUE(PackagePassword::MatchesDigest(raw, c.password));
        EXPECT_FALSE(PackagePassword::MatchesDigest(raw, c.password + QLatin1Char('x')));
    }
}

TEST(PackageLayoutTest, StoredDigestLengthDecidesWhatIsCompared)
{
    // An empty stored digest accepts any password, in both kinds.
    EXPECT_TRUE(PackagePassword::MatchesText(QByteArray(256, '\0'), QStringLiteral("anything")));
    EXPECT_TRUE(PackagePassword::MatchesDigest(QByteArray(256, '\0'), QStringLiteral("anything")));
    // A text is compared over its stored length.
    EXPECT_TRUE(PackagePassword::MatchesText(QByteArray("CUM+GFM4") + QByteArray(248, '\0'), QStringLiteral("secret")));
    // The raw digest of "pw566" begins with a zero byte: only that password opens its package,
    // not every password as a comparison up to the first zero would have it.
    QByteArray zeroFirst = QByteArray::fromHex("0098acdf8d8ec888d80a8c5380407875");
    ASSERT_EQ(PackagePassword::Digest(QStringLiteral("pw566")), zeroFirst);
    zeroFirst.resize(256, '\0');
    EXPECT_TRUE(PackagePassword::MatchesDigest(zeroFirst, QStringLiteral("pw566")));
    EXPECT_FALSE(PackagePassword::MatchesDigest(zeroFirst, QStringLiteral("secret")));
}

TEST(PackageLayoutTest, DamagedTrailersAreRefusedBeforeAnythingIsWritten)
{
    const qint64 big = std::numeric_limits<qint64>::max();
    const QByteArray player = Player(500);
    const QByteArray data = "0123456789";  // at 500
    struct Case {
        const char* name;
        QByteArray tail;
    };
    const std::vector<Case> cases = {
        {"count beyond the file", ManyFilesTrailer({Entry("a.video", 500, 10)}, 3, 2)},
        {"count taking the file's own bytes for entries", ManyFilesTrailer({Entry("a.video", 500, 10)}, 2, 2)},
        {"count of 2^32 - 1", ManyFilesTrailer({Entry("a.video", 500, 10)}, 0xFFFFFFFFu, 2)},
        {"offset beyond the data", ManyFilesTrailer({Entry("a.video", 505, 10)}, 1, 2)},
        {"size reaching into the entry table", ManyFilesTrailer({Entry("a.video", 500, 11)}, 1, 2)},
        {"negative offset", ManyFilesTrailer({Entry("a.video", -1, 10)}, 1, 2)},
        {"negative size", ManyFilesTrailer({Entry("a.video", 500, -10)}, 1, 2)},
        {"offset plus size overflowing", ManyFilesTrailer({Entry("a.video", big - 2, 5)}, 1, 2)},
        {"huge size", ManyFilesTrailer({Entry("a.video", 0, big)}, 1, 2)},
        {"second entry outside, first fine",
         ManyFilesTrailer({Entry("a.video", 500, 5), Entry("b.video", 505, 1 << 20)}, 2, 2)},
        {"one-file offset beyond the data", SingleFileTrailer(511, 0, 2)},
        {"one-file size beyond the data", SingleFileTrailer(500, 11, 2)},
        {"one-file offset plus size overflowing", SingleFileTrailer(big, big, 2)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString package = dir.filePath(QStringLiteral("p.exe"));
        Write(package, player + data + c.tail);
        const QString folder = dir.filePath(QStringLiteral("out"));
        PackageExtraction extraction(package);
        extraction.SetExtractionFolder(folder);
        bool asked = false;
        extraction.SetPasswordPrompt([&]() -> std::optional<QString> {
            asked = true;
            return QString();
        });
        QString target = folder + QStringLiteral("/x.tmp");
        EXPECT_THROW(extraction.InitializeVideoExtraction(target), FalException);
        EXPECT_TRUE(extraction.IsPackage());
        EXPECT_FALSE(asked);
        EXPECT_FALSE(QFileInfo::exists(folder)) << "nothing written";
    }
    // Shorter than its own trailer: a bare tail of kind 1 or 2 with nothing before it.
    for (const quint32 kind : {1u, 2u}) {
        QTemporaryDir dir;
        const QString package = dir.filePath(QStringLiteral("p.exe"));
        Write(package, QByteArray(20, 'x') + Le32(kind) + kMarker);
        PackageExtraction extraction(package);
        QString target = dir.filePath(QStringLiteral("x.tmp"));
        EXPECT_THROW(extraction.InitializeVideoExtraction(target), FalException);
        EXPECT_TRUE(extraction.IsPackage());
    }
}

TEST(PackageLayoutTest, PlainFilesAndUnknownKindsExtractNothing)
{
    struct Case {
        const char* name;
        QByteArray bytes;
        bool isPackage;
    };
    const std::vector<Case> cases = {
        {"plain player", Player(2000), false},
        {"shorter than the marker", QByteArray("{12756C78"), false},
        {"empty file", QByteArray(), false},
        {"marker one byte off", Player(400) + Le32(2) + kMarker.left(37) + "]", false},
        {"unknown kind 3", Player(400) + Le32(3) + kMarker, true},
        {"kind 0", Player(400) + Le32(0) + kMarker, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString package = dir.filePath(QStringLiteral("p.exe"));
        Write(package, c.bytes);
        PackageExtraction extraction(package);
        extraction.SetExtractionFolder(dir.filePath(QStringLiteral("out")));
        QString target = dir.filePath(QStringLiteral("out/x.tmp"));
        EXPECT_FALSE(extraction.InitializeVideoExtraction(target));
        EXPECT_EQ(extraction.IsPackage(), c.isPackage);
        EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("out"))));
    }
    EXPECT_TRUE(LogHas(QStringLiteral("Error in ExtractVideoFile : Package kind 3 is not known; nothing extracted")));
}

}  // namespace
