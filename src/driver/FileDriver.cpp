#include "driver/FileDriver.h"

#include "evidence/FalException.h"

#include <cstring>

namespace {

constexpr int kFileHeaderSize = 14;
constexpr int kInfoHeaderSize = 40;
constexpr int kMaxEdge = 1 << 15;

uint32_t Le32(const uchar* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16
        | static_cast<uint32_t>(p[3]) << 24;
}

uint16_t Le16(const uchar* p)
{
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

} // namespace

FileDriver::FileDriver() = default;
FileDriver::~FileDriver() = default;

void FileDriver::PlaybackLocalFileOpen(Video*) {}
void FileDriver::PlaybackPlay(Video*) {}
void FileDriver::PlaybackPlay(const VideoList&) {}
void FileDriver::PlaybackStop(const VideoList&) {}
void FileDriver::VideoClose(Video*) {}
void FileDriver::ReleaseDewarpPort(Video*) {}
void FileDriver::DewarpClose(Video*) {}
CalendarFields FileDriver::VideoGetTime(Video*)
{
    CalendarFields zero;
    zero.year = zero.month = zero.day = 0;
    return zero;
}
int32_t FileDriver::VideoTime(Video*) { return 0; }
void FileDriver::PlaybackSeek(const VideoList&, qint64) {}
void FileDriver::PlaybackSeek(Video*, qint64) {}
void FileDriver::PlaybackPause(const VideoList&) {}
void FileDriver::PlaybackPause(Video*) {}
void FileDriver::PlaybackResume(const VideoList&) {}
void FileDriver::PlaybackResume(Video*) {}
void FileDriver::PlaybackFramePrevious(Video*) {}
void FileDriver::PlaybackFrameNext(Video*) {}
void FileDriver::PlaybackFastForward(Video*, float) {}
void FileDriver::PlaybackFastForward(Video*) {}
void FileDriver::PlaybackFastForward(const VideoList&, float) {}
void FileDriver::PlaybackRewind(Video*, float) {}
void FileDriver::PlaybackRewind(Video*) {}
void FileDriver::PlaybackRewind(const VideoList&, float) {}
QImage FileDriver::Snapshot(Video*) { return {}; }
void FileDriver::VideoPaging(Video*, const VideoList&, const VideoList&) {}
void FileDriver::AudioInputEnable(Video*, bool) {}
void FileDriver::DewarpLayoutPlay(const VideoList&) {}
void FileDriver::DewarpPlay(Video*, const QString&, int32_t, int32_t) {}
void FileDriver::DewarpDrag(Video*) {}
void FileDriver::DewarpHitTest(Video*) {}
void FileDriver::SetWatermark(Video*, WatermarkHandler) {}
void FileDriver::SetAudioVolume(Video*, int32_t) {}
int32_t FileDriver::DeviceQuery(Video*) { return 0; }
void FileDriver::DeviceLevelAudio(Video*, bool) {}

std::unique_ptr<MetadataConfigList> FileDriver::GetMetadataConfig(Video*)
{
    return std::make_unique<MetadataConfigList>();
}

void FileDriver::MetadataPlay(Video*, const MetadataConfigList&, qint64, qint64) {}
void FileDriver::RenderMetadataFrame(Video*, QImage*, qint64, qint64, qint64, int32_t, uint32_t) {}
bool FileDriver::RenderMetadataTooltip(Video*, QImage*, int32_t, int32_t, qint64) { return false; }
void FileDriver::DisposeMetadataRenderer(Video*) {}
void FileDriver::RefreshVideoWindow(Video*) {}
std::unique_ptr<LatLongData> FileDriver::GetLatLongData() { return nullptr; }

void FileDriver::PartialFile(const QString& path, FileTag& tag)
{
    PartialFileWorker(path, tag);
}

void FileDriver::PartialFileWorker(const QString&, FileTag&)
{
    throw FalException(QStringLiteral("Not implemented"));
}

void FileDriver::SetRenderSurface(Video*, VDL_Surface*) {}
void FileDriver::SetRenderView(Video*, const QRect&, const QSize&) {}
VDL_Stats FileDriver::GetStats(Video*) { return {}; }
VDL_StreamInfo FileDriver::GetStreamInfo(Video*) { return {}; }
SnapshotFrame FileDriver::SnapshotAndFrame(Video*) { return {}; }
void FileDriver::DewarpShowView(Video*, const DewarpLayouts::View&, const QSize&)
{
    throw FalException(QStringLiteral("This device does not dewarp"));
}

VDL_WatermarkStatusBlock FileDriver::GetWatermarkStatus(Video*)
{
    VDL_WatermarkStatusBlock none = {};
    none.firstFailureMillis = -1;
    return none;
}

void FileDriver::FollowVideo(Video*, int32_t, int32_t)
{
    throw FalException(QStringLiteral("This device does not play in step"));
}

int32_t FileDriver::FollowPortOf(Video*)
{
    throw FalException(QStringLiteral("This device does not play in step"));
}

// The library hands over a whole BMP file image; the picture is built from its info header and
// the bits at the offset the file header names. Anything that does not fit the image it came in
// gives a null picture rather than a read past its end.
QImage FileDriver::BitmapFromBmp(const QByteArray& image)
{
    const auto* p = reinterpret_cast<const uchar*>(image.constData());
    const qint64 size = image.size();
    if (size < kFileHeaderSize + kInfoHeaderSize || p[0] != 'B' || p[1] != 'M') {
        return {};
    }
    const qint64 bitsOffset = Le32(p + 10);
    const uint32_t infoSize = Le32(p + 14);
    const int32_t width = static_cast<int32_t>(Le32(p + 18));
    const int32_t rawHeight = static_cast<int32_t>(Le32(p + 22));
    const uint16_t bitCount = Le16(p + 28);
    const uint32_t compression = Le32(p + 30);
    if (infoSize < kInfoHeaderSize || width <= 0 || width > kMaxEdge || rawHeight == 0
        || rawHeight < -kMaxEdge || rawHeight > kMaxEdge) {
        return {};
    }
    const bool bitfields = compression == 3 && bitCount == 32;
    if ((bitCount != 24 && bitCount != 32) || (compression != 0 && !bitfields)) {
        return {};
    }
    const bool topDown = rawHeight < 0;
    const int height = topDown ? -rawHeight : rawHeight;
    const qint64 stride = (static_cast<qint64>(width) * bitCount + 31) / 32 * 4;
    if (bitsOffset < kFileHeaderSize + kInfoHeaderSize || bitsOffset + stride * height > size) {
        return {};
    }
    QImage out(width, height, QImage::Format_RGB32);
    if (out.isNull()) {
        return {};
    }
    for (int y = 0; y < height; ++y) {
        const uchar* row = p + bitsOffset + stride * (topDown ? y : height - 1 - y);
        auto* dst = reinterpret_cast<QRgb*>(out.scanLine(y));
        const int step = bitCount / 8;
        for (int x = 0; x < width; ++x) {
            const uchar* px = row + static_cast<qint64>(x) * step;
            dst[x] = qRgb(px[2], px[1], px[0]);
        }
    }
    return out;
}
