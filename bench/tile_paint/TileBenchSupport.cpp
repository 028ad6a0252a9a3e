#include "TileBenchSupport.h"

#include "tools/sample/SampleMaker.h"
#include "viewer/CPtzPanel.h"
#include "viewer/CVideoPlayer.h"

#include <QDir>
#include <QFileInfo>

#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <limits>

namespace TileBench {

QStringList EvidenceFiles(int count, int width, int height, int seconds)
{
    const QString folder = QDir::temp().filePath(
        QStringLiteral("plomera-bench-tiles/%1x%2-%3s-%4").arg(width).arg(height).arg(seconds).arg(count));
    QStringList files = QDir(folder).entryList({QStringLiteral("*.video")}, QDir::Files, QDir::Name);
    if (files.size() == count) {
        for (QString& f : files)
            f = QDir(folder).filePath(f);
        return files;
    }
    QDir(folder).removeRecursively();
    std::fprintf(stderr, "making %d files of %dx%d, %d s in %s ...\n", count, width, height, seconds, qPrintable(folder));
    SampleEvidenceOptions o;
    o.cameras = count;
    o.width = width;
    o.height = height;
    o.fps = 25;
    o.gop = 50;
    o.durationSeconds = seconds;
    return SampleMaker::Make(folder, o);
}

double ProcessCpuSeconds()
{
    struct rusage u = {};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_utime.tv_usec / 1e6 + u.ru_stime.tv_sec + u.ru_stime.tv_usec / 1e6;
}

double ThreadCpuSeconds()
{
    struct timespec t = {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

int64_t NowNanos()
{
    return TileSurface::NowNanos();
}

double Median(std::vector<double> v)
{
    if (v.empty())
        return 0.0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2.0;
}

std::string Fixed(double v, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, v);
    return text;
}

PaintLog::PaintLog(CVideoPlayer* tile, size_t expectedFrames)
{
    // Reserved now: nothing is allocated while the tiles play.
    entries_.reserve(expectedFrames);
    tile->Panel()->onPainted = [this](const TileSurface::Frame& frame, int64_t start, int64_t end) {
        if (!recording_ || frame.image.isNull())
            return;
        ++paints_;
        if (frame.frameIndex == lastIndex_ || entries_.size() == entries_.capacity())
            return;
        lastIndex_ = frame.frameIndex;
        entries_.push_back({frame.frameIndex, frame.playedMillis, frame.arrivedNanos, start, end});
    };
}

Summary Summarise(const std::vector<const PaintLog*>& logs, double periodMillis)
{
    Summary s;
    const int64_t period = static_cast<int64_t>(periodMillis * 1e6);
    for (const PaintLog* log : logs) {
        const auto& e = log->Entries();
        if (e.empty())
            continue;
        int64_t anchor = std::numeric_limits<int64_t>::max();
        int64_t first = e.front().frameIndex;
        int64_t last = e.front().frameIndex;
        for (const auto& x : e) {
            anchor = std::min(anchor, x.arrivedNanos - x.playedMillis * 1000000);
            first = std::min(first, x.frameIndex);
            last = std::max(last, x.frameIndex);
        }
        s.due += last - first + 1;
        for (const auto& x : e) {
            ++s.painted;
            const int64_t due = anchor + x.playedMillis * 1000000;
            if (x.paintEndNanos - due <= period)
                ++s.onTime;
            s.paintMillis.push_back((x.paintEndNanos - x.paintStartNanos) / 1e6);
        }
    }
    return s;
}

} // namespace TileBench
