#pragma once

#include "StreamRegion.h"

#include <cstdint>
#include <string>

struct AVFormatContext;
struct AVPacket;
struct AVStream;

// One demuxer over a stream region, with the selected video stream (a camera) picked out.
class MediaSource {
public:
    MediaSource() = default;
    ~MediaSource();
    MediaSource(const MediaSource&) = delete;
    MediaSource& operator=(const MediaSource&) = delete;

    // Returns VDL_ERR_NONE or the error code. decryptionKeyHex may be empty. videoOnly: only the
    // video stream's packets are read, and its decoder is not probed when the header suffices.
    int Open(const std::string& path, int64_t regionEnd, int videoOrdinal,
             const std::string& decryptionKeyHex, bool videoOnly);

    // Next packet of the selected video stream (or its audio when audio is wanted). Returns 0,
    // AVERROR_EOF at the end, or another negative FFmpeg code.
    int Read(AVPacket* packet);
    // Positions the demuxer on the keyframe at or before pts (stream time base).
    bool SeekKeyframe(int64_t pts);

    AVFormatContext* Format() const { return m_format; }
    AVStream* Video() const;
    int VideoIndex() const { return m_videoIndex; }
    int AudioIndex() const { return m_audioIndex; }
    int VideoStreamCount() const { return m_videoCount; }
    int64_t BytesRead() const { return m_region.BytesRead(); }
    // The picture size cap the region asks of the decoder; 0 for none.
    int64_t MaxPixels() const { return m_region.MaxPixels(); }
    int64_t ReadFailures() const { return m_region.Failures(); }

private:
    StreamRegion m_region;
    AVIOContext* m_io = nullptr;
    AVFormatContext* m_format = nullptr;
    int m_videoIndex = -1;
    int m_audioIndex = -1;
    int m_videoCount = 0;
};
