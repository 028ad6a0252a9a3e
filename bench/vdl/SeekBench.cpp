// Exact seek by wall-clock time to random targets: from the call to the target frame presented
// (the call returns once it is on the surface).
#include "BenchSupport.h"

#include <cstdio>
#include <ctime>
#include <random>
#include <vector>

int main()
{
    const int32_t port = OpenBenchPort(Hd720Stream());
    CopySurface surface;
    VDL_SetSurface(port, surface.Handle());
    WaitForIndex(port);
    VDL_StreamInfo info = {};
    VDL_GetStreamInfo(port, &info);
    std::mt19937 random(20211);
    std::uniform_int_distribution<int> second(0, static_cast<int>(info.durationMillis / 1000));
    std::vector<double> ms;
    int misses = 0;
    for (int i = 0; i < 200; ++i) {
        const time_t t = static_cast<time_t>(info.wallClockOriginMillis / 1000 + second(random));
        struct tm local = {};
        localtime_r(&t, &local);
        const double start = NowMs();
        VDL_SeekWallClock(port, local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
        ms.push_back(NowMs() - start);
        const int64_t expected = (static_cast<int64_t>(t) * 1000 - info.wallClockOriginMillis) / 40;
        if (surface.lastIndex.load() != std::min<int64_t>(expected, info.frameCount - 1))
            ++misses;
    }
    std::printf("seek_wallclock_median: %s ms (goal <= 30 ms; frame-exact general player 40 ms)\n", Fixed(Percentile(ms, 50), 1).c_str());
    std::printf("seek_wallclock_p95: %s ms (frame-exact general player 70 ms)\n", Fixed(Percentile(ms, 95), 1).c_str());
    std::printf("seek_wrong_frames: %d of %zu (goal 0)\n", misses, ms.size());
    VDL_SetSurface(port, nullptr);
    VDL_ReleasePort(port);
    return 0;
}
