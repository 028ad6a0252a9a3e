#include "MapTestFiles.h"
#include "TileTestServer.h"

#include "map/COSMCtrlProjection.h"
#include "tools/LoopbackTilePicture.h"
#include "tools/LoopbackTileServer.h"
#include "tools/MapCommand.h"
#include "tools/ToolCommand.h"

#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>
#include <QTextStream>
#include <gtest/gtest.h>
#include <cmath>

namespace {

struct CommandResult {
    int code = -1;
    QString out;
    QString err;
};

CommandResult RunMap(const QStringList& args)
{
    CommandResult result;
    QTextStream out(&result.out);
    QTextStream err(&result.err);
    result.code = MapCommand::Command().Run(args, out, err);
    return result;
}

TEST(MapCommandTest, AScreenshotWaitsForTheViewsTilesAndBadViewsAreRefused)
{
    MapTestFiles files;
    TileTestServer server;
    const QString shot = files.dir.filePath(QStringLiteral("map.png"));
    const QStringList view = {"--cache", files.Cache(), "--server", server.Server(), "--center", "13.405,52.52",
                              "--zoom", "12", "--size", "640x480"};
    CommandResult r = RunMap(view + QStringList{"--marker", "13.405,52.52", "--screenshot", shot, "--wait", "20"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QRegularExpressionMatch counts =
        QRegularExpression(QStringLiteral("(\\d+) of (\\d+) tiles cached")).match(r.out);
    ASSERT_TRUE(counts.hasMatch()) << r.out.toStdString();
    EXPECT_EQ(counts.captured(1), counts.captured(2));
    const QImage picture(shot);
    ASSERT_EQ(picture.size(), QSize(640, 480));
    // The tile under the centre is the served one: (40 z, 7 x, 13 y) for tile 2200/1343.
    EXPECT_EQ(picture.pixel(330, 250), qRgb(12 * 40 % 256, 2200 * 7 % 256, 1343 * 13 % 256));

    // Without the network nothing is waited for.
    r = RunMap(view + QStringList{"--offline", "--zoom", "11", "--screenshot", shot, "--json"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("\"tilesCached\":0,")) && r.out.contains(QStringLiteral("\"internet\":false")))
        << r.out.toStdString();

    for (const QStringList& bad : {QStringList{"--zoom", "19"}, QStringList{"--center", "0,86"},
                                   QStringList{"--center", "nan,0"}, QStringList{"--center", "12"},
                                   QStringList{"--size", "0x10"}, QStringList{"--units", "furlongs"},
                                   QStringList{"--draw-style", "3"}, QStringList{"--zoom"}, QStringList{"--bogus", "1"},
                                   QStringList{"--marker", "inf,0"}, QStringList{"--polyline", "1,2;3"},
                                   QStringList{"--rotation", "nan"}}) {
        const QString unused = files.dir.filePath(QStringLiteral("unused.gmdb"));
        r = RunMap(QStringList{"--cache", unused, "--offline", "--screenshot", shot} + bad);
        EXPECT_EQ(r.code, 64) << bad.join(' ').toStdString();
        EXPECT_FALSE(r.err.isEmpty());
        EXPECT_FALSE(QFileInfo::exists(unused)) << "a mistake made the cache file";
    }
}

TEST(MapCommandTest, LoopbackTilesAnswerTilePathsAndMarkRoundDegreesWhereTheyLie)
{
    QByteArray body;
    QByteArray type;
    EXPECT_EQ(LoopbackTileServer::Answer(QStringLiteral("/"), body, type), 200);
    EXPECT_EQ(LoopbackTileServer::Answer(QStringLiteral("/12/2200/1343.png"), body, type), 200);
    EXPECT_EQ(type, QByteArray("image/png"));
    EXPECT_EQ(QImage::fromData(body).size(), QSize(256, 256));
    for (const char* path : {"/19/0/0.png", "/3/8/0.png", "/3/0/8.png", "/a/b/c.png", "/../etc/passwd", "/1/0/0.jpg"}) {
        EXPECT_EQ(LoopbackTileServer::Answer(QLatin1String(path), body, type), 404) << path;
    }

    // At zoom 12 the graticule is every 0.01 degrees, every fifth line a major one: 13.40 is
    // major, 52.52 minor.
    EXPECT_DOUBLE_EQ(LoopbackTilePicture::GraticuleStep(12), 0.01);
    const QImage tile = LoopbackTilePicture::Paint(12, 2200, 1343);
    const double x = (COSMCtrlProjection::TileX(13.40, 12) - 2200) * 256.0;
    const double y = (COSMCtrlProjection::TileY(52.52, 12) - 1343) * 256.0;
    ASSERT_TRUE(x > 0 && x < 256 && y > 0 && y < 256);
    const QRgb major = qRgb(0, 0, 160);
    const QRgb minor = qRgb(90, 90, 90);
    EXPECT_EQ(tile.pixel(int(std::floor(x)), 5), major);
    EXPECT_NE(tile.pixel(int(std::floor(x)) + 3, 5), major);
    EXPECT_EQ(tile.pixel(5, int(std::floor(y))), minor);
    EXPECT_NE(tile.pixel(5, int(std::floor(y)) + 3), minor);
}

} // namespace
