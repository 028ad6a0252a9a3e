// Decode throughput: every frame decoded and converted to RGB32 into a surface, against the
// ffmpeg command doing the same (decode, convert to BGRA, discard) on the same stream.
#include "BenchSupport.h"

#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

double VdlSeconds(const QString& path, int threads, int64_t* frames)
{
    const int32_t port = OpenBenchPort(path, threads);
    CopySurface surface;
    VDL_SetSurface(port, surface.Handle());
    VDL_StreamInfo info = {};
    VDL_GetStreamInfo(port, &info);
    const double start = NowMs();
    VDL_SeekPlayedTime(port, 0);
    int64_t last = -1;
    for (;;) {
        VDL_StepForward(port);
        const int64_t now = surface.lastIndex.load();
        if (now == last)
            break; // the last frame: a step does not move
        last = now;
    }
    const double seconds = (NowMs() - start) / 1000.0;
    *frames = last + 1;
    VDL_SetSurface(port, nullptr);
    VDL_ReleasePort(port);
    return seconds;
}

double FfmpegSeconds(const QString& path, int threads)
{
    const std::string command = "ffmpeg -nostdin -loglevel error -threads " + std::to_string(threads) + " -i '"
        + path.toStdString() + "' -vf format=bgra -f null - ";
    const double start = NowMs();
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "ffmpeg failed\n");
        std::exit(1);
    }
    return (NowMs() - start) / 1000.0;
}

} // namespace

int main()
{
    const QString path = Hd720Stream();
    for (int threads : {1, 2}) {
        std::vector<double> ratios;
        std::vector<double> fps;
        int64_t frames = 0;
        for (int round = 0; round < 5; ++round) {
            const double ours = VdlSeconds(path, threads, &frames);
            const double reference = FfmpegSeconds(path, threads);
            ratios.push_back(reference / ours);
            fps.push_back(frames / ours);
        }
        const std::string t = std::to_string(threads);
        std::printf("decode_fps_threads%s: %s frames/s (1280x720, %lld frames, median of 5)\n", t.c_str(),
                    Fixed(Percentile(fps, 50), 1).c_str(), static_cast<long long>(frames));
        std::printf("decode_throughput_ratio_threads%s: %s (min %s, max %s) (goal >= 0.9 of ffmpeg -threads %s)\n",
                    t.c_str(), Fixed(Percentile(ratios, 50), 3).c_str(), Fixed(Percentile(ratios, 0), 3).c_str(),
                    Fixed(Percentile(ratios, 100), 3).c_str(), t.c_str());
        std::fflush(stdout);
    }
    return 0;
}
