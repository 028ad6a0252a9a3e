#pragma once

#include "tools/sample/SampleStreamWriter.h"
#include "vdl/vdl.h"

#include <QImage>
#include <QString>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <vector>

// A render surface that keeps the stamp of every frame it is handed.
class StampSurface {
public:
    StampSurface();
    StampSurface(const StampSurface&) = delete;
    StampSurface& operator=(const StampSurface&) = delete;
    VDL_Surface* Handle() { return &m_handle; }
    void Present(const VDL_Picture& picture);

    int64_t LastStamp() const;
    int64_t LastIndex() const;
    size_t Count() const;
    std::vector<int64_t> Stamps() const;
    void Clear();
    // The last picture whole, and its description (pixels left null).
    QImage LastImage() const;
    VDL_Picture LastPicture() const;

private:
    VDL_Surface m_handle;
    mutable std::mutex m_mutex; // guards the fields below
    std::vector<int64_t> m_stamps;
    int64_t m_lastIndex = -1;
    QImage m_image;
    VDL_Picture m_picture = {};
};

// A clock the test moves by hand (VDL_SetTimeSource): a port on it plays exactly as far as the
// clock is stepped, however slow the machine, so frames can be expected by number.
class SteppedClock {
public:
    void Advance(std::chrono::milliseconds span) { m_micros += span.count() * 1000; }
    static int64_t Now(void* user) { return static_cast<SteppedClock*>(user)->m_micros.load(); }

private:
    std::atomic<int64_t> m_micros{1000000000};
};

// Sample streams made once per test run, in a temporary folder.
QString SamplePath(const QString& name, const std::function<void(SampleStreamOptions&)>& configure);
// The standard stream: 320x240, 25 fps, GOP 25, 10 s, creation time 2021-01-01 00:00:00 UTC.
QString StandardSample();

// Waits until pred holds or the time is up; returns pred's last answer.
bool WaitFor(const std::function<bool()>& pred, std::chrono::milliseconds limit = std::chrono::seconds(5));

// An opened port that is released when the test ends.
class OpenPort {
public:
    explicit OpenPort(const QString& path, const char* key = nullptr, SteppedClock* clock = nullptr);
    ~OpenPort();
    int32_t port = 0;
    bool opened = false;
    int error = 0;
};

int64_t FrameIndex(int32_t port);
