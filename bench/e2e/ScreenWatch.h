#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// What the end-to-end benchmarks share: a private X server, programs started under it with an
// environment of their own, a coarse grid of the screen's pixels read back over and over, and a
// window asked to close as a window manager asks.
namespace E2e {

int64_t NowNanos();  // steady clock
double Median(std::vector<double> v);
std::string Fixed(double v, int decimals);

// Xvfb on a display it picks itself (-displayfd), black root, no TCP. Stopped with the object.
class PrivateX {
public:
    PrivateX() = default;
    ~PrivateX();
    PrivateX(const PrivateX&) = delete;
    PrivateX& operator=(const PrivateX&) = delete;

    bool Start(int width, int height);
    const std::string& Name() const { return name_; }  // ":N"
    int Width() const { return width_; }
    int Height() const { return height_; }

private:
    pid_t pid_ = -1;
    std::string name_;
    int width_ = 0;
    int height_ = 0;
};

using Environment = std::vector<std::pair<std::string, std::string>>;

// Starts argv[0] (found on PATH) in folder with these variables set on top of this process's
// ("" as a value unsets one). Its standard output goes to a pipe whose read end is returned in
// *stdoutFd (null: to /dev/null); its standard error to /dev/null.
pid_t Spawn(const std::vector<std::string>& argv, const Environment& env, const std::string& folder,
            int* stdoutFd = nullptr);
// SIGTERM, then SIGKILL after graceMillis; returns once the child has been reaped.
void Stop(pid_t pid, int graceMillis = 2000);
// Waits up to millis for the child to end; true and its wait status when it did.
bool WaitEnd(pid_t pid, int millis, int* status);

// The screen read back on a coarse grid: every step-th pixel of every step-th row, as 0xRRGGBB.
class ScreenGrid {
public:
    struct Grab {
        int64_t nanos = 0;  // when the grab had finished
        std::vector<uint32_t> pixels;
    };

    ScreenGrid(const std::string& display, int step);
    ~ScreenGrid();
    ScreenGrid(const ScreenGrid&) = delete;
    ScreenGrid& operator=(const ScreenGrid&) = delete;

    bool Ok() const { return display_ != nullptr; }
    Grab Take();
    int Columns() const { return columns_; }
    int Rows() const { return rows_; }
    int Step() const { return step_; }

    // The top-level window whose _NET_WM_PID is pid (0: none yet).
    unsigned long WindowOfProcess(pid_t pid);
    // WM_DELETE_WINDOW to the window, as a window manager's close button sends it.
    bool AskToClose(unsigned long window);
    // Places and sizes the window, as a window manager maximising it would.
    void MoveResize(unsigned long window, int x, int y, int width, int height);
    // The index in Grab::pixels of the grid's point in this column and row; the point is the
    // screen's pixel (column * Step() + Step() / 2, row * Step() + Step() / 2).
    size_t PointAt(int column, int row) const { return static_cast<size_t>(row) * columns_ + column; }

private:
    void* display_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    int step_ = 1;
    int columns_ = 0;
    int rows_ = 0;
};

// The test picture of the sample evidence: grey (the first camera of a file carries no colour),
// diagonal bands of middle grey with grain and one bright square. Points of it are told from the
// black of an empty tile or root and from the player's own light greys.
bool LooksLikeSamplePicture(uint32_t rgb);

// When the sample picture came on screen in a series of grabs of one program's start: the
// points that show the picture at the end (sample-like and changing during the last second) are
// found first, then the first grab in which most of them showed it, with the spread of greys a
// picture has rather than one flat grey. -1 when the picture never came.
int64_t FirstPictureNanos(const std::vector<ScreenGrid::Grab>& grabs, size_t* picturePoints = nullptr);

} // namespace E2e
