#include "ScreenWatch.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

extern char** environ;

namespace E2e {

int64_t NowNanos()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
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

namespace {

Display* D(void* p) { return static_cast<Display*>(p); }

[[noreturn]] void ExecOrDie(const std::vector<std::string>& argv)
{
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
}

void NullStdio(bool keepStdout)
{
    const int null = open("/dev/null", O_RDWR);
    if (null < 0)
        return;
    dup2(null, STDIN_FILENO);
    if (!keepStdout)
        dup2(null, STDOUT_FILENO);
    dup2(null, STDERR_FILENO);
    if (null > STDERR_FILENO)
        close(null);
}

} // namespace

PrivateX::~PrivateX()
{
    if (pid_ > 0)
        Stop(pid_, 3000);
}

bool PrivateX::Start(int width, int height)
{
    int ready[2];
    if (pipe(ready) != 0)
        return false;
    width_ = width;
    height_ = height;
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    pid_ = fork();
    if (pid_ == 0) {
        close(ready[0]);
        NullStdio(false);
        setpgid(0, 0);
        ExecOrDie({"Xvfb", "-displayfd", std::to_string(ready[1]), "-screen", "0", screen, "-br", "-nolisten", "tcp"});
    }
    close(ready[1]);
    if (pid_ < 0) {
        close(ready[0]);
        return false;
    }
    // Xvfb writes its display number once it takes connections.
    std::string number;
    struct pollfd p = {ready[0], POLLIN, 0};
    const int64_t deadline = NowNanos() + 10'000'000'000LL;
    while (NowNanos() < deadline && poll(&p, 1, 100) >= 0) {
        if (!(p.revents & (POLLIN | POLLHUP)))
            continue;
        char c;
        if (read(ready[0], &c, 1) != 1 || c == '\n')
            break;
        number += c;
    }
    close(ready[0]);
    if (number.empty())
        return false;
    name_ = ":" + number;
    return true;
}

pid_t Spawn(const std::vector<std::string>& argv, const Environment& env, const std::string& folder, int* stdoutFd)
{
    int out[2] = {-1, -1};
    if (stdoutFd != nullptr && pipe(out) != 0)
        return -1;
    const pid_t pid = fork();
    if (pid == 0) {
        if (stdoutFd != nullptr) {
            dup2(out[1], STDOUT_FILENO);
            close(out[0]);
            close(out[1]);
        }
        NullStdio(stdoutFd != nullptr);
        for (const auto& [name, value] : env) {
            if (value.empty())
                unsetenv(name.c_str());
            else
                setenv(name.c_str(), value.c_str(), 1);
        }
        if (!folder.empty() && chdir(folder.c_str()) != 0)
            _exit(126);
        ExecOrDie(argv);
    }
    if (stdoutFd != nullptr) {
        close(out[1]);
        *stdoutFd = pid > 0 ? out[0] : -1;
        if (pid <= 0)
            close(out[0]);
    }
    return pid;
}

bool WaitEnd(pid_t pid, int millis, int* status)
{
    const int64_t deadline = NowNanos() + static_cast<int64_t>(millis) * 1'000'000;
    for (;;) {
        int s = 0;
        const pid_t r = waitpid(pid, &s, WNOHANG);
        if (r == pid) {
            if (status)
                *status = s;
            return true;
        }
        if (r < 0 || NowNanos() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
}

void Stop(pid_t pid, int graceMillis)
{
    if (pid <= 0)
        return;
    kill(pid, SIGTERM);
    if (!WaitEnd(pid, graceMillis, nullptr)) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
}

ScreenGrid::ScreenGrid(const std::string& display, int step) : step_(std::max(1, step))
{
    Display* d = XOpenDisplay(display.c_str());
    if (d == nullptr)
        return;
    display_ = d;
    width_ = DisplayWidth(d, DefaultScreen(d));
    height_ = DisplayHeight(d, DefaultScreen(d));
    columns_ = (width_ + step_ - 1) / step_;
    rows_ = (height_ + step_ - 1) / step_;
}

ScreenGrid::~ScreenGrid()
{
    if (display_ != nullptr)
        XCloseDisplay(D(display_));
}

ScreenGrid::Grab ScreenGrid::Take()
{
    // One row of the screen per request: a whole screen each time would cost the X server
    // (which the programs measured share the cores with) far more than the grid needs.
    Grab g;
    g.pixels.resize(static_cast<size_t>(columns_) * rows_);
    Display* d = D(display_);
    const Window root = DefaultRootWindow(d);
    for (int r = 0; r < rows_; ++r) {
        XImage* image = XGetImage(d, root, 0, r * step_ + step_ / 2 < height_ ? r * step_ + step_ / 2 : r * step_,
                                  static_cast<unsigned>(width_), 1, AllPlanes, ZPixmap);
        if (image == nullptr)
            continue;
        for (int c = 0; c < columns_; ++c)
            g.pixels[static_cast<size_t>(r) * columns_ + c] =
                static_cast<uint32_t>(XGetPixel(image, std::min(width_ - 1, c * step_ + step_ / 2), 0)) & 0xFFFFFF;
        XDestroyImage(image);
    }
    g.nanos = NowNanos();
    return g;
}

unsigned long ScreenGrid::WindowOfProcess(pid_t pid)
{
    Display* d = D(display_);
    const Atom wmPid = XInternAtom(d, "_NET_WM_PID", True);
    if (wmPid == None)
        return 0;
    Window rootOut = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    unsigned long found = 0;
    if (!XQueryTree(d, DefaultRootWindow(d), &rootOut, &parent, &children, &count))
        return 0;
    for (unsigned i = 0; i < count && found == 0; ++i) {
        XWindowAttributes a;
        if (!XGetWindowAttributes(d, children[i], &a) || a.map_state != IsViewable)
            continue;
        Atom type = None;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(d, children[i], wmPid, 0, 1, False, XA_CARDINAL, &type, &format, &items, &after, &data)
                == Success
            && data != nullptr && items == 1 && format == 32) {
            if (static_cast<pid_t>(*reinterpret_cast<unsigned long*>(data)) == pid)
                found = children[i];
        }
        if (data != nullptr)
            XFree(data);
    }
    if (children != nullptr)
        XFree(children);
    return found;
}

bool ScreenGrid::AskToClose(unsigned long window)
{
    Display* d = D(display_);
    XEvent e = {};
    e.xclient.type = ClientMessage;
    e.xclient.window = window;
    e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
    e.xclient.data.l[1] = CurrentTime;
    const bool sent = XSendEvent(d, window, False, NoEventMask, &e) != 0;
    XFlush(d);
    return sent;
}

void ScreenGrid::MoveResize(unsigned long window, int x, int y, int width, int height)
{
    XMoveResizeWindow(D(display_), window, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height));
    XFlush(D(display_));
}

bool LooksLikeSamplePicture(uint32_t rgb)
{
    const int r = static_cast<int>((rgb >> 16) & 0xFF);
    const int g = static_cast<int>((rgb >> 8) & 0xFF);
    const int b = static_cast<int>(rgb & 0xFF);
    if (std::max({r, g, b}) - std::min({r, g, b}) > 12)
        return false;
    // Bands: luma 60 to 130 with grain (a little wider after conversion and scaling); the
    // square: 200. The player's panes are lighter than the bands and darker than the square.
    const int y = (r + g + b) / 3;
    return (y >= 45 && y <= 150) || (y >= 185 && y <= 225);
}

int64_t FirstPictureNanos(const std::vector<ScreenGrid::Grab>& grabs, size_t* picturePoints)
{
    if (picturePoints)
        *picturePoints = 0;
    if (grabs.size() < 3)
        return -1;
    const ScreenGrid::Grab& last = grabs.back();
    const size_t n = last.pixels.size();
    // A point of the picture changes with nearly every frame (moving bands, fresh grain).
    std::vector<int> changes(n, 0);
    size_t from = grabs.size() - 1;
    while (from > 0 && last.nanos - grabs[from - 1].nanos < 1'000'000'000LL)
        --from;
    for (size_t k = from + 1; k < grabs.size(); ++k) {
        for (size_t i = 0; i < n; ++i)
            changes[i] += grabs[k].pixels[i] != grabs[k - 1].pixels[i] ? 1 : 0;
    }
    std::vector<size_t> points;
    for (size_t i = 0; i < n; ++i) {
        if (LooksLikeSamplePicture(last.pixels[i]) && changes[i] >= 3)
            points.push_back(i);
    }
    if (picturePoints)
        *picturePoints = points.size();
    if (points.size() < 50)
        return -1;
    for (const ScreenGrid::Grab& g : grabs) {
        size_t like = 0;
        double sum = 0, sum2 = 0;
        for (size_t i : points) {
            if (!LooksLikeSamplePicture(g.pixels[i]))
                continue;
            ++like;
            const double y = (((g.pixels[i] >> 16) & 0xFF) + ((g.pixels[i] >> 8) & 0xFF) + (g.pixels[i] & 0xFF)) / 3.0;
            sum += y;
            sum2 += y * y;
        }
        if (like * 2 < points.size())
            continue;
        const double mean = sum / like;
        if (std::sqrt(std::max(0.0, sum2 / like - mean * mean)) >= 8.0)
            return g.nanos;
    }
    return -1;
}

} // namespace E2e
