#include "viewer/TileSurface.h"

#include <chrono>
#include <cstring>
#include <utility>

TileSurface::TileSurface(std::function<void()> wake) : wake_(std::move(wake))
{
    handle_.user = this;
    handle_.present = &TileSurface::OnPresent;
}

int64_t TileSurface::NowNanos()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void TileSurface::OnPresent(void* user, const VDL_Picture* picture)
{
    if (user != nullptr && picture != nullptr) {
        static_cast<TileSurface*>(user)->Present(*picture);
    }
}

void TileSurface::Present(const VDL_Picture& picture)
{
    if (dropped_.load() || picture.pixels == nullptr || picture.width <= 0 || picture.height <= 0
        || picture.stride < picture.width * 4) {
        return;
    }
    QImage& image = writing_.image;
    if (image.width() != picture.width || image.height() != picture.height) {
        image = QImage(picture.width, picture.height, QImage::Format_RGB32);
        if (image.isNull()) {
            return;
        }
    }
    const size_t row = static_cast<size_t>(picture.width) * 4;
    uchar* to = image.bits();
    const qsizetype toStride = image.bytesPerLine();
    if (toStride == picture.stride) {
        std::memcpy(to, picture.pixels, static_cast<size_t>(picture.stride) * picture.height);
    } else {
        for (int y = 0; y < picture.height; ++y) {
            std::memcpy(to + y * toStride, picture.pixels + static_cast<size_t>(y) * picture.stride, row);
        }
    }
    writing_.frameIndex = picture.frameIndex;
    writing_.playedMillis = picture.playedMillis;
    writing_.wallClockMillis = picture.wallClockMillis;
    writing_.frameRate = picture.frameRate;
    writing_.source = QSize(picture.sourceWidth, picture.sourceHeight);
    writing_.view = QRect(picture.viewX, picture.viewY, picture.viewWidth, picture.viewHeight);
    writing_.arrivedNanos = NowNanos();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        std::swap(writing_, pending_);
        hasPending_ = true;
        facts_ = Facts{true, picture.frameRate, QSize(picture.sourceWidth, picture.sourceHeight)};
    }
    presented_.fetch_add(1);
    if (!wakePending_.exchange(true)) {
        std::lock_guard<std::mutex> lock(wakeMutex_);
        if (!dropped_.load() && wake_) {
            wake_();
        }
    }
}

void TileSurface::Drop()
{
    std::lock_guard<std::mutex> lock(wakeMutex_);
    dropped_.store(true);
}

bool TileSurface::TakeNewest()
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (!hasPending_) {
        return false;
    }
    std::swap(pending_, shown_);
    hasPending_ = false;
    return true;
}

TileSurface::Facts TileSurface::NewestFacts() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return facts_;
}
