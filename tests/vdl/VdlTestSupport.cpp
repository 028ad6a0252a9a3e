#include "VdlTestSupport.h"

#include "tools/sample/FrameStamp.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstring>
#include <map>
#include <thread>

namespace {

// FFmpeg's complaints about the damaged streams the tests make are expected: keep the log quiet.
const bool g_quiet = [] {
    VDL_SetLogCallback([](int32_t, const char*, void*) {}, nullptr);
    return true;
}();

} // namespace

StampSurface::StampSurface()
    : m_handle{this, [](void* user, const VDL_Picture* picture) { static_cast<StampSurface*>(user)->Present(*picture); }}
{
}

void StampSurface::Present(const VDL_Picture& picture)
{
    const int64_t stamp = FrameStamp::Read(picture.pixels, picture.width, picture.height, picture.stride);
    QImage image(picture.width, picture.height, QImage::Format_RGB32);
    for (int y = 0; y < picture.height; ++y)
        std::memcpy(image.scanLine(y), picture.pixels + static_cast<ptrdiff_t>(y) * picture.stride,
                    static_cast<size_t>(picture.width) * 4);
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stamps.push_back(stamp);
    m_lastIndex = picture.frameIndex;
    m_image = std::move(image);
    m_picture = picture;
    m_picture.pixels = nullptr;
}

QImage StampSurface::LastImage() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_image;
}

VDL_Picture StampSurface::LastPicture() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_picture;
}

int64_t StampSurface::LastStamp() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_stamps.empty() ? -2 : m_stamps.back();
}

int64_t StampSurface::LastIndex() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_lastIndex;
}

size_t StampSurface::Count() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_stamps.size();
}

std::vector<int64_t> StampSurface::Stamps() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_stamps;
}

void StampSurface::Clear()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stamps.clear();
}

QString SamplePath(const QString& name, const std::function<void(SampleStreamOptions&)>& configure)
{
    static QTemporaryDir dir;
    static std::map<QString, QString> made;
    static std::mutex mutex;
    std::lock_guard<std::mutex> lock(mutex);
    auto it = made.find(name);
    if (it != made.end())
        return it->second;
    SampleStreamOptions options;
    options.width = 320;
    options.height = 240;
    options.fps = 25;
    options.gop = 25;
    options.durationSeconds = 10;
    options.startUtc = 1609459200; // 2021-01-01 00:00:00 UTC
    options.bitRate = 400000;
    options.threads = 1;
    configure(options);
    const QString path = dir.filePath(name);
    SampleStreamWriter::Write(path, options);
    made[name] = path;
    return path;
}

QString StandardSample()
{
    return SamplePath("standard.mkv", [](SampleStreamOptions&) {});
}

bool WaitFor(const std::function<bool()>& pred, std::chrono::milliseconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        if (pred())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return pred();
}

OpenPort::OpenPort(const QString& path, const char* key, SteppedClock* clock)
{
    VDL_AcquirePort(&port);
    if (clock)
        VDL_SetTimeSource(port, &SteppedClock::Now, clock);
    if (key)
        VDL_SetStreamKey(port, 1, key, 128);
    opened = VDL_OpenFile(port, QFile::encodeName(path).constData()) != 0;
    error = VDL_GetLastError(port);
}

OpenPort::~OpenPort()
{
    VDL_Stop(port);
    VDL_ReleasePort(port);
}

int64_t FrameIndex(int32_t port)
{
    VDL_FrameInfo info = {};
    if (!VDL_GetFrameInfo(port, &info))
        return -1;
    return info.frameIndex;
}
