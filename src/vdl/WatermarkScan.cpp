#include "WatermarkScan.h"

#include "MediaSource.h"
#include "Port.h"
#include "WatermarkChecker.h"
#include "WatermarkWatch.h"

extern "C" {
#include <libavcodec/packet.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
#include <libavutil/parseutils.h>
}

#include <openssl/sha.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr char kDefaultStreamKey[] = "qa_halyards_5062";
constexpr int kMaxReadErrors = 16;

std::string Hex(const uint8_t* p, size_t n)
{
    static const char digits[] = "0123456789abcdef";
    std::string s;
    for (size_t i = 0; i < n; ++i) {
        s.push_back(digits[p[i] >> 4]);
        s.push_back(digits[p[i] & 15]);
    }
    return s;
}

struct PacketDeleter {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};

} // namespace

int ScanWatermark(const std::string& path, int stream, const std::string& key, int64_t originUtcSeconds,
                  VDL_WatermarkStatusBlock* status, VDL_WatermarkCallback onFailure, void* user)
{
    if (path.empty() || stream < 0 || !status || (!key.empty() && key.size() != 16))
        return VDL_ERR_BAD_ARGUMENT;
    const int64_t regionEnd = StreamRegion::FindEnd(path);
    if (regionEnd <= 0)
        return VDL_ERR_FILE_OPEN;
    // The same key rules as a port's open: an encrypted stream needs its key, checked by its id.
    std::string keyHex;
    uint8_t keyId[16];
    if (StreamRegion::FindMp4KeyId(path, regionEnd, keyId)) {
        if (key.empty())
            return VDL_ERR_KEY_MISSING;
        uint8_t digest[SHA256_DIGEST_LENGTH];
        SHA256(reinterpret_cast<const uint8_t*>(key.data()), key.size(), digest);
        if (std::memcmp(digest, keyId, 16) != 0)
            return VDL_ERR_KEY_WRONG;
        keyHex = Hex(reinterpret_cast<const uint8_t*>(key.data()), key.size());
    }
    MediaSource source;
    int r = source.Open(path, regionEnd, stream, keyHex, true);
    if (r != VDL_ERR_NONE)
        return r;
    AVStream* video = source.Video();
    WatermarkChecker checker;
    uint8_t sealKey[16];
    std::memcpy(sealKey, key.empty() ? kDefaultStreamKey : key.data(), 16);
    checker.Configure(sealKey, WatermarkChecker::LengthSizeFromExtradata(video->codecpar->extradata,
                                                                         video->codecpar->extradata_size));
    if (video->codecpar->codec_id != AV_CODEC_ID_H264) {
        *status = checker.Status();
        return VDL_ERR_NONE; // no records can be carried: not checked
    }

    // Wall clock of played time 0: the container's creation time, else the caller's origin.
    int64_t originMillis = originUtcSeconds * 1000;
    const AVDictionaryEntry* creation = av_dict_get(source.Format()->metadata, "creation_time", nullptr, 0);
    int64_t creationMicros = 0;
    if (creation && av_parse_time(&creationMicros, creation->value, 0) == 0)
        originMillis = creationMicros / 1000;

    const double tbMs = 1000.0 * video->time_base.num / video->time_base.den;
    int64_t startPts = video->start_time;
    std::unique_ptr<AVPacket, PacketDeleter> packet(av_packet_alloc());
    if (!packet)
        return VDL_ERR_READ;
    std::vector<VDL_WatermarkReport> reports;
    int readErrors = 0;
    for (;;) {
        r = source.Read(packet.get());
        if (r == AVERROR_EOF)
            break;
        if (r < 0) {
            if (++readErrors >= kMaxReadErrors)
                return VDL_ERR_READ;
            continue;
        }
        readErrors = 0;
        if (packet->stream_index == source.VideoIndex()) {
            const int64_t pts = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
            if (startPts == AV_NOPTS_VALUE && pts != AV_NOPTS_VALUE)
                startPts = pts;
            const int64_t ms = pts != AV_NOPTS_VALUE ? static_cast<int64_t>((pts - startPts) * tbMs) : 0;
            reports.clear();
            checker.Feed(packet->data, packet->size, ms, originMillis != 0 ? Port::PackLocal(originMillis + ms) : 0,
                         reports);
            if (onFailure) {
                for (const VDL_WatermarkReport& report : reports) {
                    if (report.status != VDL_WATERMARK_INTACT) {
                        const VDL_WatermarkReport* p = &report;
                        onFailure(0, &p, user);
                    }
                }
            }
        }
        av_packet_unref(packet.get());
    }
    *status = checker.Status();
    WatermarkWatch::StampTimes(*status, originMillis);
    return source.ReadFailures() > 0 ? VDL_ERR_READ : VDL_ERR_NONE;
}
