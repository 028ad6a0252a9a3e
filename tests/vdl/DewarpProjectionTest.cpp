// The dewarp engine's reprojection against FFmpeg's v360 filter on the same frame: an independent
// implementation of the same lens and view, so agreement in luma means the geometry (lens model,
// pixel centres, view orientation, field) is right, not merely self-consistent.
#include "DewarpGeometry.h"
#include "RemapTable.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <cmath>
#include <vector>

namespace {

constexpr int kFrameWidth = 2560;
constexpr int kFrameHeight = 1920;
constexpr int kViewWidth = 1280;
constexpr int kViewHeight = 720;
constexpr double kPi = 3.14159265358979323846;

bool RunFfmpeg(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral("ffmpeg"), QStringList{QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"),
                                                  QStringLiteral("error"), QStringLiteral("-y")} + args);
    return p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

double LumaPsnr(const uint8_t* a, const uint8_t* b, size_t n)
{
    double sum = 0.0;
    for (size_t i = 0; i < n; ++i) {
        const double d = double(a[i]) - double(b[i]);
        sum += d * d;
    }
    const double mse = sum / double(n);
    return mse <= 0.0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

// One fisheye frame (4:2:0, raw) of an equirectangular test pattern with a grid, as v360 renders
// it through an equidistant lens of 240 x 180 degrees over a 4:3 frame: the circle fills the height.
class DewarpProjection : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_dir = new QTemporaryDir();
        const QString fish = s_dir->filePath(QStringLiteral("fish.yuv"));
        const bool made = RunFfmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                                     QStringLiteral("testsrc=s=3840x1920:d=1,drawgrid=w=96:h=96:t=3:c=white,"
                                                    "v360=input=e:output=fisheye:h_fov=240:v_fov=180:w=%1:h=%2")
                                         .arg(kFrameWidth)
                                         .arg(kFrameHeight),
                                     QStringLiteral("-frames:v"), QStringLiteral("1"), QStringLiteral("-pix_fmt"),
                                     QStringLiteral("yuv420p"), QStringLiteral("-f"), QStringLiteral("rawvideo"), fish});
        if (made)
            s_frame = new QByteArray(ReadAll(fish));
    }
    static void TearDownTestSuite()
    {
        delete s_frame;
        s_frame = nullptr;
        delete s_dir;
        s_dir = nullptr;
    }

    // Our PTZ at (x, y), 90 degrees across, against v360's flat view with the given angles.
    double Compare(int placement, double x, double y, const QString& angles)
    {
        const QString out = s_dir->filePath(QStringLiteral("ref.yuv"));
        const QString fish = s_dir->filePath(QStringLiteral("fish.yuv"));
        EXPECT_TRUE(RunFfmpeg({QStringLiteral("-f"), QStringLiteral("rawvideo"), QStringLiteral("-pix_fmt"),
                               QStringLiteral("yuv420p"), QStringLiteral("-s"),
                               QStringLiteral("%1x%2").arg(kFrameWidth).arg(kFrameHeight), QStringLiteral("-i"), fish,
                               QStringLiteral("-vf"),
                               QStringLiteral("v360=input=fisheye:ih_fov=240:iv_fov=180:output=flat:h_fov=90:"
                                              "v_fov=58.7155:w=%1:h=%2:%3")
                                   .arg(kViewWidth)
                                   .arg(kViewHeight)
                                   .arg(angles),
                               QStringLiteral("-pix_fmt"), QStringLiteral("yuv420p"), QStringLiteral("-f"),
                               QStringLiteral("rawvideo"), out}));
        const QByteArray reference = ReadAll(out);
        if (reference.size() < kViewWidth * kViewHeight)
            return 0.0;

        RemapTable::Key key;
        key.setup.placement = placement;
        key.setup.mode = DewarpGeometry::Ptz;
        key.setup.x = x;
        key.setup.y = y;
        key.setup.zoom = 0.3; // 120 - 30 = 90 degrees across
        key.frameWidth = kFrameWidth;
        key.frameHeight = kFrameHeight;
        key.lumaStride = kFrameWidth;
        key.chromaStride = kFrameWidth / 2;
        key.outWidth = kViewWidth;
        key.outHeight = kViewHeight;
        const RemapTable table(key);
        std::vector<uint8_t> y0(kViewWidth * kViewHeight), u0(table.ChromaWidth() * table.ChromaHeight()), v0(u0.size());
        const auto* planes = reinterpret_cast<const uint8_t*>(s_frame->constData());
        const uint8_t* u = planes + kFrameWidth * kFrameHeight;
        table.Apply(planes, u, u + kFrameWidth * kFrameHeight / 4, y0.data(), u0.data(), v0.data(), 16);
        return LumaPsnr(y0.data(), reinterpret_cast<const uint8_t*>(reference.constData()), y0.size());
    }

    // v360's yaw and pitch (degrees) of the ray through a frame point, y down.
    static QString YawPitch(double x, double y)
    {
        const DewarpGeometry lens(DewarpGeometry::Setup{}, kFrameWidth, kFrameHeight, 1, 1);
        const DewarpVec d = lens.LensRay(x * kFrameWidth, y * kFrameHeight);
        return QStringLiteral("yaw=%1:pitch=%2")
            .arg(std::atan2(d.x, d.z) * 180.0 / kPi, 0, 'f', 6)
            .arg(std::asin(-d.y) * 180.0 / kPi, 0, 'f', 6);
    }

    static QTemporaryDir* s_dir;
    static QByteArray* s_frame;
};

QTemporaryDir* DewarpProjection::s_dir = nullptr;
QByteArray* DewarpProjection::s_frame = nullptr;

TEST_F(DewarpProjection, WallPtzMatchesV360)
{
    ASSERT_TRUE(s_frame && s_frame->size() == kFrameWidth * kFrameHeight * 3 / 2) << "ffmpeg could not make the frame";
    // Points whose 90-degree view stays inside the circle.
    const struct {
        double x, y;
    } points[] = {{0.5, 0.5}, {0.58, 0.5}, {0.45, 0.42}, {0.55, 0.6}, {0.42, 0.55}};
    for (const auto& p : points) {
        const double psnr = Compare(1, p.x, p.y, YawPitch(p.x, p.y));
        EXPECT_GE(psnr, 35.0) << "at " << p.x << "," << p.y;
    }
}

TEST_F(DewarpProjection, CeilingAndDesktopPtzMatchV360)
{
    ASSERT_TRUE(s_frame && s_frame->size() == kFrameWidth * kFrameHeight * 3 / 2) << "ffmpeg could not make the frame";
    // A point right of centre at 25 degrees: level means the rim on top (ceiling) or the centre
    // on top (desktop), a quarter turn either way from the wall's view of the same ray.
    const double theta = 25.0;
    const double x = 0.5 + theta / 90.0 * (kFrameHeight / 2.0) / kFrameWidth;
    EXPECT_GE(Compare(3, x, 0.5, QStringLiteral("yaw=%1:roll=90").arg(theta)), 35.0);
    EXPECT_GE(Compare(2, x, 0.5, QStringLiteral("yaw=%1:roll=-90").arg(theta)), 35.0);
}

} // namespace
