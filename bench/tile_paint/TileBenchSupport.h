#pragma once

#include "viewer/TileSurface.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <string>
#include <vector>

class CVideoPlayer;

// What the tile benchmarks share: sample evidence made once per machine, CPU clocks, and a log
// of every frame a tile paints, judged against the frame's due time.
namespace TileBench {

// count files of sample evidence width x height at 25 fps, GOP 50, seconds long (kept in the
// temporary folder, remade when missing).
QStringList EvidenceFiles(int count, int width, int height, int seconds);

double ProcessCpuSeconds();   // user + system, all threads
double ThreadCpuSeconds();    // the calling thread's
int64_t NowNanos();
double Median(std::vector<double> v);
std::string Fixed(double v, int decimals);

// The frames one tile painted: the first paint of each frame, with when it arrived from the
// decoder and when its paint ended.
class PaintLog {
public:
    explicit PaintLog(CVideoPlayer* tile, size_t expectedFrames);
    // Only paints between Start and Stop count.
    void Start() { recording_ = true; }
    void Stop() { recording_ = false; }

    struct Entry {
        int64_t frameIndex;
        int64_t playedMillis;
        int64_t arrivedNanos;
        int64_t paintStartNanos;
        int64_t paintEndNanos;
    };
    const std::vector<Entry>& Entries() const { return entries_; }
    int64_t Paints() const { return paints_; }

private:
    std::vector<Entry> entries_;
    int64_t lastIndex_ = -1;
    int64_t paints_ = 0;
    bool recording_ = false;
};

struct Summary {
    int64_t due = 0;        // frames due in the recorded span
    int64_t onTime = 0;     // painted within one period of their due time
    int64_t painted = 0;    // painted at all
    std::vector<double> paintMillis;  // GUI time of each paint of a new frame
};

// Due times: each tile's frames at their played time on the tile's own schedule, anchored at
// the frame that arrived earliest against it (so one late start does not make all late).
Summary Summarise(const std::vector<const PaintLog*>& logs, double periodMillis);

} // namespace TileBench
