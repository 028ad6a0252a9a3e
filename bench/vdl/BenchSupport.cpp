#include "BenchSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

extern "C" {
#include <libavutil/log.h>
}

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <thread>

QString BenchStream(const QString& name, const std::function<void(SampleStreamOptions&)>& configure)
{
    av_log_set_level(AV_LOG_ERROR);
    const QString folder = QDir::temp().filePath("plomera-bench-vdl");
    QDir().mkpath(folder);
    const QString path = QDir(folder).filePath(name);
    if (QFileInfo(path).size() > 0)
        return path;
    SampleStreamOptions o;
    o.startUtc = 1622876880;
    configure(o);
    std::fprintf(stderr, "making %s ...\n", qPrintable(path));
    SampleStreamWriter::Write(path + ".part", o);
    QFile::rename(path + ".part", path);
    return path;
}

QString Hd720Stream()
{
    return BenchStream("hd720-gop50-60s.mkv", [](SampleStreamOptions& o) {
        o.width = 1280;
        o.height = 720;
        o.fps = 25;
        o.gop = 50;
        o.durationSeconds = 60;
        o.bitRate = 1500000; // about what recorders export at this size
    });
}

double CpuSeconds()
{
    struct rusage u = {};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_utime.tv_usec / 1e6 + u.ru_stime.tv_sec + u.ru_stime.tv_usec / 1e6;
}

double PeakRssMiB()
{
    struct rusage u = {};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024.0;
}

double NowMs()
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double Percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0.0;
    std::sort(v.begin(), v.end());
    const double rank = p / 100.0 * (v.size() - 1);
    const size_t lo = static_cast<size_t>(std::floor(rank));
    const size_t hi = std::min(v.size() - 1, lo + 1);
    return v[lo] + (v[hi] - v[lo]) * (rank - lo);
}

std::string Fixed(double v, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, v);
    return text;
}

CopySurface::CopySurface()
    : m_handle{this, [](void* user, const VDL_Picture* picture) { static_cast<CopySurface*>(user)->Present(*picture); }}
{
}

void CopySurface::Present(const VDL_Picture& picture)
{
    const size_t size = static_cast<size_t>(picture.stride) * picture.height;
    if (m_copy.size() != size)
        m_copy.resize(size);
    std::memcpy(m_copy.data(), picture.pixels, size);
    lastIndex = picture.frameIndex;
    ++frames;
}

int32_t OpenBenchPort(const QString& path, int threads, int32_t stream)
{
    int32_t port = 0;
    if (!VDL_AcquirePort(&port)) {
        std::fprintf(stderr, "no port\n");
        std::exit(1);
    }
    VDL_SetDecoderThreads(port, threads);
    VDL_SelectStream(port, stream);
    if (!VDL_OpenFile(port, QFile::encodeName(path).constData())) {
        std::fprintf(stderr, "cannot open %s: %s\n", qPrintable(path), VDL_GetErrorText(VDL_GetLastError(port)));
        std::exit(1);
    }
    return port;
}

void WaitForIndex(int32_t port)
{
    for (int i = 0; i < 2000; ++i) {
        VDL_StreamInfo info = {};
        if (VDL_GetStreamInfo(port, &info) && info.indexReady)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}
