// bench_dewarp: one thread, one decoded-size 2560x1920 4:2:0 fisheye frame (v360's grid scene).
// Prints the remap per view and frame at 1280x720 and 1920x1080 against v360 (flat output,
// bilinear, one thread) on the same frame, the table rebuild, and the dewarp work of four
// 1280x720 views at 25 fps as a share of one core. Alternating rounds; median, min and max.
#include "RemapTable.h"

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

constexpr int kW = 2560, kH = 1920;

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

struct Stats {
    double median, min, max;
};
Stats Summary(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return {v[v.size() / 2], v.front(), v.back()};
}

bool Ffmpeg(const QStringList& args, double* seconds = nullptr)
{
    QProcess p;
    const auto start = std::chrono::steady_clock::now();
    p.start(QStringLiteral("ffmpeg"), QStringList{QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"),
                                                  QStringLiteral("error"), QStringLiteral("-y")} + args);
    const bool ok = p.waitForFinished(600000) && p.exitCode() == 0;
    if (seconds)
        *seconds = Seconds(std::chrono::steady_clock::now() - start);
    return ok;
}

// v360's time per frame at w x h: n frames minus one frame, so start-up and reading cancel out.
double V360PerFrame(const QString& fish, int w, int h)
{
    auto run = [&](int frames) {
        double s = 0;
        Ffmpeg({QStringLiteral("-threads"), QStringLiteral("1"), QStringLiteral("-stream_loop"), QString::number(frames - 1),
                QStringLiteral("-f"), QStringLiteral("rawvideo"), QStringLiteral("-pix_fmt"), QStringLiteral("yuv420p"),
                QStringLiteral("-s"), QStringLiteral("%1x%2").arg(kW).arg(kH), QStringLiteral("-i"), fish,
                QStringLiteral("-filter_threads"), QStringLiteral("1"), QStringLiteral("-vf"),
                QStringLiteral("v360=input=fisheye:ih_fov=240:iv_fov=180:output=flat:h_fov=90:v_fov=58.7155:w=%1:h=%2:"
                               "yaw=10:pitch=5").arg(w).arg(h),
                QStringLiteral("-f"), QStringLiteral("null"), QStringLiteral("-")},
               &s);
        return s;
    };
    const double one = run(1);
    const double many = run(21);
    return (many - one) / 20.0;
}

RemapTable::Key KeyFor(int w, int h, double x)
{
    RemapTable::Key key;
    key.setup.placement = 1;
    key.setup.mode = DewarpGeometry::Ptz;
    key.setup.x = x;
    key.setup.y = 0.45;
    key.setup.zoom = 0.3;
    key.frameWidth = kW;
    key.frameHeight = kH;
    key.lumaStride = kW;
    key.chromaStride = kW / 2;
    key.outWidth = w;
    key.outHeight = h;
    return key;
}

} // namespace

int main()
{
    QTemporaryDir dir;
    const QString fish = dir.filePath(QStringLiteral("fish.yuv"));
    if (!Ffmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                 QStringLiteral("testsrc=s=3840x1920:d=1,drawgrid=w=96:h=96:t=3:c=white,"
                                "v360=input=e:output=fisheye:h_fov=240:v_fov=180:w=%1:h=%2").arg(kW).arg(kH),
                 QStringLiteral("-frames:v"), QStringLiteral("1"), QStringLiteral("-pix_fmt"), QStringLiteral("yuv420p"),
                 QStringLiteral("-f"), QStringLiteral("rawvideo"), fish})) {
        std::fprintf(stderr, "bench_dewarp: ffmpeg could not make the frame\n");
        return 1;
    }
    QFile f(fish);
    f.open(QIODevice::ReadOnly);
    const QByteArray frame = f.readAll();
    const auto* y = reinterpret_cast<const uint8_t*>(frame.constData());
    const uint8_t* u = y + kW * kH;
    const uint8_t* v = u + kW * kH / 4;

    const struct {
        int w, h;
        double goal;
    } sizes[] = {{1280, 720, 6.0}, {1920, 1080, 13.0}};
    const int rounds = 5;
    for (const auto& s : sizes) {
        const RemapTable table(KeyFor(s.w, s.h, 0.55));
        std::vector<uint8_t> oy(s.w * s.h), ou(table.ChromaWidth() * table.ChromaHeight()), ov(ou.size());
        std::vector<double> ours, theirs, ratio;
        for (int r = 0; r < rounds; ++r) {
            const int n = 20;
            const auto start = std::chrono::steady_clock::now();
            for (int i = 0; i < n; ++i)
                table.Apply(y, u, v, oy.data(), ou.data(), ov.data(), 16);
            const double ms = Seconds(std::chrono::steady_clock::now() - start) * 1000.0 / n;
            const double ref = V360PerFrame(fish, s.w, s.h) * 1000.0;
            ours.push_back(ms);
            theirs.push_back(ref);
            ratio.push_back(ms / ref);
        }
        const Stats o = Summary(ours), t = Summary(theirs), q = Summary(ratio);
        std::printf("dewarp_remap_%dx%d: %.2f ms (goal <= %.0f ms; min %.2f max %.2f; v360 %.2f ms, ratio %.2f min %.2f max %.2f)\n",
                    s.w, s.h, o.median, s.goal, o.min, o.max, t.median, q.median, q.min, q.max);
    }

    std::vector<double> builds;
    for (int r = 0; r < 7; ++r) {
        const auto start = std::chrono::steady_clock::now();
        const RemapTable table(KeyFor(1280, 720, 0.5 + 0.01 * r));
        builds.push_back(Seconds(std::chrono::steady_clock::now() - start) * 1000.0);
    }
    const Stats b = Summary(builds);
    std::printf("dewarp_rebuild_1280x720: %.2f ms (goal <= 20 ms; min %.2f max %.2f)\n", b.median, b.min, b.max);

    // Four 1280x720 views for one second of 25 frames.
    std::vector<RemapTable> tables;
    for (int i = 0; i < 4; ++i)
        tables.emplace_back(KeyFor(1280, 720, 0.4 + 0.07 * i));
    std::vector<uint8_t> oy(1280 * 720), ou(640 * 360), ov(ou.size());
    std::vector<double> shares;
    for (int r = 0; r < rounds; ++r) {
        const auto start = std::chrono::steady_clock::now();
        for (int frameNo = 0; frameNo < 25; ++frameNo)
            for (const RemapTable& t : tables)
                t.Apply(y, u, v, oy.data(), ou.data(), ov.data(), 16);
        shares.push_back(Seconds(std::chrono::steady_clock::now() - start) * 100.0);
    }
    const Stats c = Summary(shares);
    std::printf("dewarp_four_views_25fps: %.1f %% of a core (goal <= 100 %%; min %.1f max %.1f)\n", c.median, c.min, c.max);
    return 0;
}
