#include "MediaSource.h"

#include "vdl/vdl.h"

extern "C" {
#include <libavformat/avformat.h>
}

namespace {

bool HeaderNamesStreams(const AVFormatContext* format)
{
    if ((format->ctx_flags & AVFMTCTX_NOHEADER) || format->nb_streams == 0)
        return false;
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        const AVCodecParameters* p = format->streams[i]->codecpar;
        if (p->codec_type == AVMEDIA_TYPE_UNKNOWN || (p->codec_type == AVMEDIA_TYPE_VIDEO && p->codec_id == AV_CODEC_ID_NONE))
            return false;
    }
    return true;
}

} // namespace

MediaSource::~MediaSource()
{
    if (m_format)
        avformat_close_input(&m_format);
    StreamRegion::Close(&m_io);
}

int MediaSource::Open(const std::string& path, int64_t regionEnd, int videoOrdinal,
                      const std::string& decryptionKeyHex, bool videoOnly)
{
    if (!m_region.Open(path, regionEnd))
        return VDL_ERR_FILE_OPEN;
    m_io = m_region.MakeIo();
    m_format = avformat_alloc_context();
    if (!m_io || !m_format)
        return VDL_ERR_FILE_OPEN;
    m_format->pb = m_io;
    m_format->flags |= AVFMT_FLAG_CUSTOM_IO;
    AVDictionary* options = nullptr;
    if (!decryptionKeyHex.empty())
        av_dict_set(&options, "decryption_key", decryptionKeyHex.c_str(), 0);
    const int r = avformat_open_input(&m_format, nullptr, nullptr, &options);
    av_dict_free(&options);
    if (r < 0) {
        m_format = nullptr; // freed by avformat_open_input on failure
        return VDL_ERR_FILE_OPEN;
    }
    // A reader of video packets only (the keyframe index, the watermark scan) needs no probe when
    // the container's header names every stream: probing decodes frames for what only playing
    // needs (frame rate, picture format).
    if (!(videoOnly && HeaderNamesStreams(m_format)) && avformat_find_stream_info(m_format, nullptr) < 0)
        return VDL_ERR_FILE_OPEN;
    int ordinal = 0;
    for (unsigned i = 0; i < m_format->nb_streams; ++i) {
        AVStream* s = m_format->streams[i];
        if (s->codecpar->codec_type == AVMEDIA_TYPE_VIDEO && !(s->disposition & AV_DISPOSITION_ATTACHED_PIC)) {
            if (ordinal == videoOrdinal)
                m_videoIndex = static_cast<int>(i);
            ++ordinal;
        } else if (s->codecpar->codec_type == AVMEDIA_TYPE_AUDIO && m_audioIndex < 0) {
            m_audioIndex = static_cast<int>(i);
        }
    }
    m_videoCount = ordinal;
    if (m_videoIndex < 0)
        return VDL_ERR_NO_STREAM;
    for (unsigned i = 0; i < m_format->nb_streams; ++i) {
        const bool wanted = static_cast<int>(i) == m_videoIndex || (!videoOnly && static_cast<int>(i) == m_audioIndex);
        if (!wanted)
            m_format->streams[i]->discard = AVDISCARD_ALL;
    }
    return VDL_ERR_NONE;
}

AVStream* MediaSource::Video() const { return m_format->streams[m_videoIndex]; }

int MediaSource::Read(AVPacket* packet)
{
    for (;;) {
        const int r = av_read_frame(m_format, packet);
        if (r < 0)
            return r;
        if (packet->stream_index == m_videoIndex || packet->stream_index == m_audioIndex) {
            if (packet->flags & AV_PKT_FLAG_CORRUPT) {
                av_packet_unref(packet); // a frame cut short: play up to the last whole one
                continue;
            }
            return 0;
        }
        av_packet_unref(packet);
    }
}

bool MediaSource::SeekKeyframe(int64_t pts)
{
    if (av_seek_frame(m_format, m_videoIndex, pts, AVSEEK_FLAG_BACKWARD) >= 0)
        return true;
    // Some demuxers refuse a target before their first index entry.
    return avformat_seek_file(m_format, m_videoIndex, INT64_MIN, pts, INT64_MAX, 0) >= 0;
}
