#include "KeyframeIndex.h"

#include "MediaSource.h"
#include "vdl/vdl.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include <algorithm>

KeyframeIndex::~KeyframeIndex() { Cancel(); }

void KeyframeIndex::Start(const std::string& path, int64_t regionEnd, int videoOrdinal,
                          const std::string& keyHex, std::function<void()> ready)
{
    Cancel();
    m_cancel = false;
    m_thread = std::thread(&KeyframeIndex::Scan, this, path, regionEnd, videoOrdinal, keyHex, std::move(ready));
}

void KeyframeIndex::Cancel()
{
    m_cancel = true;
    if (m_thread.joinable())
        m_thread.join();
}

void KeyframeIndex::Scan(std::string path, int64_t regionEnd, int videoOrdinal, std::string keyHex,
                         std::function<void()> ready)
{
    MediaSource source;
    if (source.Open(path, regionEnd, videoOrdinal, keyHex, true) != VDL_ERR_NONE)
        return;
    std::vector<int64_t> frames;
    std::vector<int64_t> keys;
    AVPacket* packet = av_packet_alloc();
    while (!m_cancel && source.Read(packet) == 0) {
        const int64_t pts = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
        if (pts != AV_NOPTS_VALUE) {
            frames.push_back(pts);
            if (packet->flags & AV_PKT_FLAG_KEY)
                keys.push_back(pts);
        }
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
    if (m_cancel || frames.empty())
        return;
    std::sort(frames.begin(), frames.end());
    frames.erase(std::unique(frames.begin(), frames.end()), frames.end());
    std::sort(keys.begin(), keys.end());
    int64_t longest = 0;
    for (size_t k = 0; k < keys.size(); ++k) {
        const auto from = std::lower_bound(frames.begin(), frames.end(), keys[k]);
        const auto to = k + 1 < keys.size() ? std::lower_bound(frames.begin(), frames.end(), keys[k + 1]) : frames.end();
        longest = std::max<int64_t>(longest, to - from);
    }
    m_frames = std::move(frames);
    m_keys = std::move(keys);
    m_longestGop = longest;
    m_ready = true;
    if (ready)
        ready();
}

bool KeyframeIndex::KeyframeBefore(int64_t pts, bool strict, int64_t* key) const
{
    if (!Ready())
        return false;
    auto it = strict ? std::lower_bound(m_keys.begin(), m_keys.end(), pts)
                     : std::upper_bound(m_keys.begin(), m_keys.end(), pts);
    if (it == m_keys.begin())
        return false;
    *key = *(it - 1);
    return true;
}

int64_t KeyframeIndex::FrameNumber(int64_t pts) const
{
    if (!Ready())
        return -1;
    auto it = std::upper_bound(m_frames.begin(), m_frames.end(), pts);
    return (it - m_frames.begin()) - 1;
}
