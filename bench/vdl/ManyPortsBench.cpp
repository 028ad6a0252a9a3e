// Sixteen ports of 640x360 at 25 fps at normal speed for 20 s: how many frames are shown in time,
// what it costs, and how much memory it takes.
#include "BenchSupport.h"

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

int main()
{
    constexpr int kPorts = 16;
    constexpr int kSeconds = 20;
    std::vector<QString> files;
    for (int i = 0; i < 4; ++i) {
        files.push_back(BenchStream(QString("sd360-%1.mkv").arg(i), [i](SampleStreamOptions& o) {
            o.width = 640;
            o.height = 360;
            o.fps = 25;
            o.gop = 50;
            o.durationSeconds = 30;
            o.cameraNames = {QString("Camera %1").arg(i + 1)};
        }));
    }
    std::vector<int32_t> ports;
    std::vector<CopySurface> surfaces(kPorts);
    for (int i = 0; i < kPorts; ++i)
        ports.push_back(OpenBenchPort(files[i % files.size()], 1));
    for (int32_t p : ports)
        WaitForIndex(p);
    const double cpu0 = CpuSeconds();
    const double t0 = NowMs();
    for (int i = 0; i < kPorts; ++i)
        VDL_Play(ports[i], &surfaces[i]);
    std::this_thread::sleep_for(std::chrono::seconds(kSeconds));
    int64_t presented = 0, onTime = 0, dropped = 0, late = 0;
    for (int32_t p : ports) {
        VDL_Stats s = {};
        VDL_GetStats(p, &s);
        presented += s.framesPresented;
        onTime += s.framesOnTime;
        dropped += s.framesDropped;
        late = std::max<int64_t>(late, s.lateMillisMax);
    }
    const double cpu = CpuSeconds() - cpu0;
    const double wall = (NowMs() - t0) / 1000.0;
    for (int32_t p : ports) {
        VDL_SetSurface(p, nullptr);
        VDL_ReleasePort(p);
    }
    const double expected = kPorts * wall * 25.0;
    std::printf("ports16_frames_presented: %lld of about %.0f due, %lld dropped, latest %lld ms\n",
                static_cast<long long>(presented), expected, static_cast<long long>(dropped), static_cast<long long>(late));
    std::printf("ports16_on_time_share: %s %% (goal >= 99 %%)\n",
                Fixed(100.0 * onTime / std::max<double>(1, presented + dropped), 2).c_str());
    std::printf("ports16_cpu_per_stream_second: %s s (goal <= 0.06; ffmpeg about 0.045)\n",
                Fixed(cpu / (kPorts * wall), 4).c_str());
    std::printf("ports16_peak_memory: %s MiB (goal <= 1024 MiB)\n", Fixed(PeakRssMiB(), 1).c_str());
    // The reference on the same stream: ffmpeg decoding it and converting to BGRA, one thread.
    struct rusage before = {}, after = {};
    getrusage(RUSAGE_CHILDREN, &before);
    const std::string command = "ffmpeg -nostdin -loglevel error -threads 1 -i '" + files[0].toStdString()
        + "' -vf format=bgra -f null -";
    if (std::system(command.c_str()) == 0) {
        getrusage(RUSAGE_CHILDREN, &after);
        auto seconds = [](const struct rusage& u) {
            return u.ru_utime.tv_sec + u.ru_utime.tv_usec / 1e6 + u.ru_stime.tv_sec + u.ru_stime.tv_usec / 1e6;
        };
        std::printf("ports16_ffmpeg_cpu_per_stream_second: %s s (same 640x360 stream, for comparison)\n",
                    Fixed((seconds(after) - seconds(before)) / 30.0, 4).c_str());
    }
    return 0;
}
