#include "driver/FrameSurface.h"

#include <chrono>
#include <cstring>

FrameSurface::FrameSurface() : handle_{this, &FrameSurface::OnPresent} {}
FrameSurface::~FrameSurface() = default;

void FrameSurface::OnPresent(void* user, const VDL_Picture* picture)
{
    if (user != nullptr && picture != nullptr) {
        static_cast<FrameSurface*>(user)->Present(*picture);
    }
}

void FrameSurface::Present(const VDL_Picture& picture)
{
    if (picture.pixels == nullptr || picture.width <= 0 || picture.height <= 0 || picture.stride < picture.width * 4) {
        return;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    if (image_.width() != picture.width || image_.height() != picture.height) {
        image_ = QImage(picture.width, picture.height, QImage::Format_RGB32);
    }
    if (!image_.isNull()) {
        for (int y = 0; y < picture.height; ++y) {
            std::memcpy(image_.scanLine(y), picture.pixels + static_cast<qsizetype>(y) * picture.stride,
                        static_cast<size_t>(picture.width) * 4);
        }
    }
    frameIndex_ = picture.frameIndex;
    wallClockMillis_ = picture.wallClockMillis;
    ++count_;
    presented_.notify_all();
}

QImage FrameSurface::LastImage() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return image_.copy();
}

int64_t FrameSurface::LastFrameIndex() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return frameIndex_;
}

int64_t FrameSurface::LastWallClockMillis() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return wallClockMillis_;
}

int64_t FrameSurface::PresentedCount() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return count_;
}

bool FrameSurface::WaitForPresented(int64_t count, int timeoutMillis) const
{
    std::unique_lock<std::mutex> lock(mutex_);
    return presented_.wait_for(lock, std::chrono::milliseconds(timeoutMillis), [&] { return count_ >= count; });
}
