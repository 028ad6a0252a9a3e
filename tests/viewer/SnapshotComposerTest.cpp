// The snapshot as a file without a window: canvas and text placement, names that stay inside the
// folder and never replace an earlier snapshot, the result texts, and the stamp reader finding
// the picture inside a composed snapshot.
#include "tools/sample/FrameStamp.h"
#include "tools/sample/StampCommand.h"
#include "tools/ToolCommand.h"
#include "viewer/SnapshotComposer.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QTemporaryDir>
#include <QTextStream>

#include <vector>

namespace {

// A grey frame carrying the stamp of frameIndex, as the sample maker draws it.
QImage StampedFrame(int w, int h, int64_t frameIndex)
{
    std::vector<uint8_t> luma(static_cast<size_t>(w) * h, 128);
    FrameStamp::Draw(luma.data(), w, w, h, frameIndex);
    QImage frame(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const int v = luma[static_cast<size_t>(y) * w + x];
            frame.setPixel(x, y, qRgb(v, v, v));
        }
    }
    return frame;
}

// The leftmost column holding ink in the top text row, from x = from on.
int FirstInkColumn(const QImage& image, int from)
{
    for (int x = from; x < image.width(); ++x) {
        for (int y = 0; y < SnapshotComposer::kMargin; ++y) {
            if (qAlpha(image.pixel(x, y)) > 64) {
                return x;
            }
        }
    }
    return -1;
}

const qint64 kTime = QDateTime(QDate(2024, 3, 5), QTime(9, 7, 2)).toSecsSinceEpoch();

TEST(SnapshotComposerTest, CanvasFitsPictureAndTextsAtTheirPlaces)
{
    struct Case {
        int w, h, canvasW, canvasH, timeX;
    };
    for (const Case c : {Case{352, 240, 472, 280, 214}, Case{1920, 1080, 1920, 1120, 1260}, Case{704, 576, 704, 616, 448}}) {
        SCOPED_TRACE(c.w);
        const QImage frame = StampedFrame(c.w, c.h, 77);
        const QImage shot = SnapshotComposer::Compose(frame, QStringLiteral("Cam 1"), kTime, QStringLiteral("Lobby"));
        EXPECT_EQ(shot.size(), QSize(c.canvasW, c.canvasH));
        EXPECT_EQ(SnapshotComposer::TimeX(c.w), c.timeX);
        // Transparent where nothing is drawn, the picture untouched below the title row.
        EXPECT_EQ(qAlpha(shot.pixel(shot.width() - 1, shot.height() / 2)), c.canvasW > c.w ? 0 : 255);
        EXPECT_EQ(shot.copy(0, 20, c.w, c.h).convertToFormat(QImage::Format_RGB32), frame);
        // The time's ink starts at its x (a glyph's side bearing is a pixel or two).
        const int ink = FirstInkColumn(shot, c.timeX - 30);
        EXPECT_GE(ink, c.timeX);
        EXPECT_LE(ink, c.timeX + 3);
        EXPECT_GE(FirstInkColumn(shot, 0), 0);
        EXPECT_EQ(StampCommand::FrameIndex(shot), 77);
        EXPECT_EQ(StampCommand::FrameIndex(frame), 77);
    }
    // Between 401 and about 600 pixels the time would run off the picture: the canvas widens.
    const QImage narrow = SnapshotComposer::Compose(StampedFrame(420, 240, 5), {}, kTime, {});
    const int needed = SnapshotComposer::TimeX(420) + QFontMetrics(SnapshotComposer::Font()).horizontalAdvance(SnapshotComposer::TimeText(kTime));
    EXPECT_GE(narrow.width(), needed);
    EXPECT_EQ(narrow.height(), 280);
    // A picture too small to be a camera's is refused; one side of 50 is enough.
    EXPECT_FALSE(SnapshotComposer::Usable(QImage()));
    EXPECT_FALSE(SnapshotComposer::Usable(QImage(49, 49, QImage::Format_RGB32)));
    EXPECT_TRUE(SnapshotComposer::Usable(QImage(50, 10, QImage::Format_RGB32)));
}

TEST(SnapshotComposerTest, NamesAreZeroPaddedStayInsideAndNeverReplaceAFile)
{
    EXPECT_EQ(SnapshotComposer::FileName(0, QStringLiteral("Lobby"), 0, kTime), QStringLiteral("_0_Lobby_1_20240305_090702.png"));
    // 11:01:05 and 01:11:05 used to give the same name.
    const qint64 a = QDateTime(QDate(2024, 3, 5), QTime(11, 1, 5)).toSecsSinceEpoch();
    const qint64 b = QDateTime(QDate(2024, 3, 5), QTime(1, 11, 5)).toSecsSinceEpoch();
    EXPECT_NE(SnapshotComposer::Stamp(a), SnapshotComposer::Stamp(b));
    EXPECT_EQ(SnapshotComposer::FolderPrefix(QStringLiteral("/tmp/x")), QStringLiteral("/tmp/x/"));
    EXPECT_EQ(SnapshotComposer::FolderPrefix(QStringLiteral("/tmp/x/")), QStringLiteral("/tmp/x/"));

    QTemporaryDir dir;
    const QString prefix = SnapshotComposer::FolderPrefix(dir.path());
    for (const char* hostile : {"../../etc/passwd", "..\\..\\x", "a/b", "...hidden", "bell\atab\tnl\n"}) {
        SCOPED_TRACE(hostile);
        const QString name = SnapshotComposer::FileName(2, QString::fromLatin1(hostile), 1, kTime);
        EXPECT_FALSE(name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')));
        const QString path = prefix + name;
        ASSERT_TRUE(SnapshotComposer::Save(QImage(60, 60, QImage::Format_ARGB32), path));
        EXPECT_EQ(QFileInfo(path).absolutePath(), QDir(dir.path()).absolutePath());
        EXPECT_FALSE(QFileInfo(path).fileName().startsWith(QLatin1Char('.')));
    }
    EXPECT_EQ(SnapshotComposer::SafeTitle(QStringLiteral("..x.y")), QStringLiteral("__x.y"));

    const QString first = prefix + QStringLiteral("_0_Lobby_1_20240305_090702.png");
    EXPECT_EQ(SnapshotComposer::FreePath(first), first);
    QFile(first).open(QIODevice::WriteOnly);
    const QString second = SnapshotComposer::FreePath(first);
    EXPECT_EQ(second, prefix + QStringLiteral("_0_Lobby_1_20240305_090702-2.png"));
    QFile(second).open(QIODevice::WriteOnly);
    EXPECT_EQ(SnapshotComposer::FreePath(first), prefix + QStringLiteral("_0_Lobby_1_20240305_090702-3.png"));
    // A folder that is not there cannot be written to.
    EXPECT_FALSE(SnapshotComposer::Save(QImage(60, 60, QImage::Format_ARGB32), prefix + QStringLiteral("none/x.png")));
}

TEST(SnapshotComposerTest, ResultNamesTheCamerasThatFailed)
{
    const auto all = SnapshotComposer::Result(3, {}, QStringLiteral("/s"));
    EXPECT_EQ(all.text, QStringLiteral("Snapshots Generated"));
    EXPECT_EQ(all.icon, SnapshotComposer::Icon::Information);
    EXPECT_EQ(all.log, QStringLiteral("All Snapshots saved successfully to : /s"));

    const auto some = SnapshotComposer::Result(3, {QStringLiteral("Cam 2")}, QStringLiteral("/s"));
    EXPECT_EQ(some.text, QStringLiteral("Snapshots Generated\nNot saved: Cam 2"));
    EXPECT_EQ(some.icon, SnapshotComposer::Icon::Warning);
    EXPECT_EQ(some.log, QStringLiteral("1 Snapshots could not be saved"));

    const auto none = SnapshotComposer::Result(2, {QStringLiteral("A"), QStringLiteral("B")}, QStringLiteral("/s"));
    EXPECT_EQ(none.text, QStringLiteral("Couldn't save snapshots"));
    EXPECT_EQ(none.icon, SnapshotComposer::Icon::Critical);
    EXPECT_EQ(none.log, QStringLiteral("2 Snapshots could not be saved"));
}

TEST(SnapshotComposerTest, StampCommandReadsASavedSnapshotAndSaysWhenItCannot)
{
    QTemporaryDir dir;
    const QString shot = dir.filePath(QStringLiteral("shot.png"));
    const QString plain = dir.filePath(QStringLiteral("plain.png"));
    const QString text = dir.filePath(QStringLiteral("notes.png"));
    ASSERT_TRUE(SnapshotComposer::Save(SnapshotComposer::Compose(StampedFrame(352, 240, 4242), QStringLiteral("Cam"), kTime, QStringLiteral("Dev")), shot));
    QImage grey(352, 240, QImage::Format_RGB32);
    grey.fill(Qt::gray);
    ASSERT_TRUE(grey.save(plain));
    QFile notes(text);
    ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
    notes.write("not a picture");
    notes.close();

    struct Case {
        QStringList words;
        int exit;
        QString out;
    };
    for (const Case& c : {Case{{shot}, 0, QStringLiteral("4242\n")}, Case{{shot, QStringLiteral("--json")}, 0, QStringLiteral("{\"frame\":4242}\n")},
                          Case{{plain}, 1, {}}, Case{{text}, 2, {}}, Case{{}, 64, {}}}) {
        SCOPED_TRACE(c.words.join(QLatin1Char(' ')).toStdString());
        QString out;
        QString err;
        QTextStream o(&out);
        QTextStream e(&err);
        EXPECT_EQ(StampCommand::Command().Run(c.words, o, e), c.exit);
        o.flush();
        EXPECT_EQ(out, c.out);
        EXPECT_EQ(err.isEmpty(), c.exit == 0);
    }
}

} // namespace
