// Backward playback at 1x and 4x, 1280x720 25 fps GOP 50: frames shown per second, CPU per
// stream-second and memory.
#include "BenchSupport.h"

#include <cstdio>
#include <thread>

namespace {

void Run(int speed, int seconds)
{
    const int32_t port = OpenBenchPort(Hd720Stream());
    CopySurface surface;
    VDL_SetSurface(port, surface.Handle());
    WaitForIndex(port);
    VDL_SeekPlayedTime(port, 59000);
    VDL_PlayBackward(port);
    for (int s = 1; s < speed; s *= 2)
        VDL_Faster(port);
    std::this_thread::sleep_for(std::chrono::milliseconds(500)); // first GOPs decoded
    VDL_Stats s0 = {};
    VDL_GetStats(port, &s0);
    const int64_t frames0 = surface.frames.load();
    const double cpu0 = CpuSeconds();
    const double t0 = NowMs();
    int64_t heldMax = 0;
    for (int i = 0; i < seconds * 10; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        VDL_Stats s = {};
        VDL_GetStats(port, &s);
        heldMax = std::max(heldMax, s.decodedFramesHeld);
    }
    const double wall = (NowMs() - t0) / 1000.0;
    const double cpu = CpuSeconds() - cpu0;
    const int64_t shown = surface.frames.load() - frames0;
    const std::string x = std::to_string(speed) + "x";
    std::printf("backward_%s_fps: %s frames/s shown (goal %d)\n", x.c_str(), Fixed(shown / wall, 1).c_str(), 25 * speed);
    std::printf("backward_%s_cpu_per_stream_second: %s s (goal at 1x <= 0.1; general player about 0.1)\n", x.c_str(),
                Fixed(cpu / (wall * speed), 4).c_str());
    std::printf("backward_%s_frames_held_max: %lld decoded frames (goal <= two GOPs = 100)\n", x.c_str(),
                static_cast<long long>(heldMax));
    std::printf("backward_%s_peak_memory: %s MiB (general player about 150 MiB)\n", x.c_str(), Fixed(PeakRssMiB(), 1).c_str());
    std::fflush(stdout);
    VDL_SetSurface(port, nullptr);
    VDL_ReleasePort(port);
}

} // namespace

int main()
{
    Run(1, 10);
    Run(4, 5);
    return 0;
}
