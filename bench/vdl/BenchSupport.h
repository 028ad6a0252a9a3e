#pragma once

#include "tools/sample/SampleStreamWriter.h"
#include "vdl/vdl.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Streams made once per machine (kept in the temporary folder, remade when missing).
QString BenchStream(const QString& name, const std::function<void(SampleStreamOptions&)>& configure);
// 1280x720, 25 fps, GOP 50, no B-frames, 60 s.
QString Hd720Stream();

double CpuSeconds();    // user + system of this process
double PeakRssMiB();    // high-water mark of this process
double NowMs();         // steady clock
double Percentile(std::vector<double> v, double p); // p in 0..100
std::string Fixed(double v, int decimals);

// A surface that takes each frame as a tile would: copies it and counts.
class CopySurface {
public:
    CopySurface();
    CopySurface(const CopySurface&) = delete;
    CopySurface& operator=(const CopySurface&) = delete;
    VDL_Surface* Handle() { return &m_handle; }
    void Present(const VDL_Picture& picture);
    std::atomic<int64_t> frames{0};
    std::atomic<int64_t> lastIndex{-1};

private:
    VDL_Surface m_handle;
    std::vector<uint8_t> m_copy;
};

int32_t OpenBenchPort(const QString& path, int threads = 0, int32_t stream = 0);
// Waits for the port's keyframe index.
void WaitForIndex(int32_t port);
