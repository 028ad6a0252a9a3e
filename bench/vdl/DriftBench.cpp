// Drift: four ports on one wall-clock time play 60 s, free-running and following one leader;
// the largest difference between their on-screen frame times.
#include "BenchSupport.h"

#include <cstdio>
#include <thread>
#include <vector>

namespace {

double Run(const std::vector<QString>& files, bool follow, int seconds)
{
    std::vector<int32_t> ports;
    std::vector<CopySurface> surfaces(files.size());
    for (const QString& f : files)
        ports.push_back(OpenBenchPort(f, 1));
    for (int32_t p : ports)
        WaitForIndex(p);
    if (follow) {
        for (size_t i = 1; i < ports.size(); ++i)
            VDL_FollowPort(ports[i], ports[0]);
        VDL_Play(ports[0], surfaces[0].Handle());
        for (size_t i = 1; i < ports.size(); ++i)
            VDL_SetSurface(ports[i], surfaces[i].Handle());
    } else {
        for (size_t i = 0; i < ports.size(); ++i)
            VDL_Play(ports[i], surfaces[i].Handle());
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    double worst = 0.0;
    const double end = NowMs() + seconds * 1000.0;
    while (NowMs() < end) {
        int64_t lo = INT64_MAX, hi = INT64_MIN;
        for (int32_t p : ports) {
            VDL_FrameInfo info = {};
            VDL_GetFrameInfo(p, &info);
            lo = std::min(lo, info.wallClockMillis);
            hi = std::max(hi, info.wallClockMillis);
        }
        worst = std::max(worst, static_cast<double>(hi - lo));
        std::this_thread::sleep_for(std::chrono::milliseconds(37));
    }
    for (int32_t p : ports) {
        VDL_SetSurface(p, nullptr);
        VDL_ReleasePort(p);
    }
    return worst;
}

} // namespace

int main(int argc, char** argv)
{
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
    std::vector<QString> files;
    for (int i = 0; i < 4; ++i) {
        files.push_back(BenchStream(QString("drift-%1.mkv").arg(i), [i](SampleStreamOptions& o) {
            o.width = 640;
            o.height = 360;
            o.durationSeconds = 65;
            o.cameraNames = {QString("Camera %1").arg(i + 1)};
        }));
    }
    std::printf("drift_free_running_max: %s ms over %d s (for comparison)\n", Fixed(Run(files, false, seconds), 0).c_str(), seconds);
    std::fflush(stdout);
    std::printf("drift_following_max: %s ms over %d s (goal <= 40 ms, one frame period)\n", Fixed(Run(files, true, seconds), 0).c_str(), seconds);
    return 0;
}
