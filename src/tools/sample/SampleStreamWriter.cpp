#include "SampleStreamWriter.h"

#include "BitmapFont.h"
#include "FrameStamp.h"
#include "SampleWatermark.h"

#include "vdl/vdl.h"

#include <QCryptographicHash>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

#include <cmath>
#include <ctime>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

std::string AvError(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

void Check(int code, const char* what)
{
    if (code < 0)
        throw std::runtime_error(std::string(what) + ": " + AvError(code));
}

struct CodecDeleter {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameDeleter {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketDeleter {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
using CodecPtr = std::unique_ptr<AVCodecContext, CodecDeleter>;
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;
using PacketPtr = std::unique_ptr<AVPacket, PacketDeleter>;

struct VideoTrack {
    CodecPtr codec;
    AVStream* stream = nullptr;
    FramePtr frame;
    std::string name;
    std::unique_ptr<SampleWatermark> watermark;
    int64_t lastRecordSecond = -1;
};

// The fisheye camera's scene, made once: a 3840x1920 equirectangular test picture of the world
// around the camera (cells of 96 pixels in eight tones, a white 3-pixel grid on their edges: the
// meridians and parallels) seen through an equidistant lens: the circle is centred, its diameter
// the frame's height covering 180 degrees (the picture's width then covers 180 * W / H), black
// outside it. On a wall the lens looks level at the picture's centre; on a ceiling straight down,
// on a desktop straight up, so the meridians are the world's verticals for every mounting and a
// dewarped view can be judged by eye: verticals straight, the horizon level. Each pixel averages
// 2 x 2 samples so the grid lines stay whole.
std::vector<uint8_t> FisheyeScene(int width, int height, const QString& mount)
{
    const bool ceiling = mount != QLatin1String("Wall") && mount != QLatin1String("Desktop");
    const bool desktop = mount == QLatin1String("Desktop");
    constexpr double kSceneWidth = 3840.0;
    constexpr double kSceneHeight = 1920.0;
    constexpr double kCell = 96.0;
    constexpr double kLine = 3.0;
    std::vector<uint8_t> scene(static_cast<size_t>(width) * height, 16);
    const double cx = width / 2.0;
    const double cy = height / 2.0;
    const double radius = height / 2.0;
    const auto sample = [&](double px, double py) -> int {
        const double dx = (px - cx) / radius;
        const double dy = (py - cy) / radius;
        const double r = std::sqrt(dx * dx + dy * dy);
        if (r >= 1.0)
            return -1;
        const double theta = r * M_PI / 2.0; // equidistant
        const double psi = std::atan2(dy, dx);
        const double rx = std::sin(theta) * std::cos(psi);
        const double ry = std::sin(theta) * std::sin(psi); // down
        const double rz = std::cos(theta);
        // The ray in the world: X right, Y up, Z ahead; the picture's top is ahead of a ceiling's
        // or desktop's lens.
        const double wx = rx;
        const double wy = ceiling ? -rz : desktop ? rz : -ry;
        const double wz = ceiling ? -ry : desktop ? -ry : rz;
        const double yaw = std::atan2(wx, wz);
        const double pitch = std::asin(std::clamp(wy, -1.0, 1.0));
        const double u = (yaw / (2.0 * M_PI) + 0.5) * kSceneWidth;
        const double v = (0.5 - pitch / M_PI) * kSceneHeight;
        if (std::fmod(u, kCell) < kLine || std::fmod(v, kCell) < kLine)
            return 235;
        const int cell = static_cast<int>(u / kCell) * 7 + static_cast<int>(v / kCell) * 3;
        return 40 + (cell % 8) * 18;
    };
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            int sum = 0;
            int inside = 0;
            for (int s = 0; s < 4; ++s) {
                const int v = sample(x + 0.25 + 0.5 * (s % 2), y + 0.25 + 0.5 * (s / 2));
                if (v >= 0) {
                    sum += v;
                    ++inside;
                }
            }
            if (inside > 0)
                scene[static_cast<size_t>(y) * width + x] = static_cast<uint8_t>((sum + 16 * (4 - inside)) / 4);
        }
    }
    return scene;
}

uint8_t Noise(uint32_t& state)
{
    state = state * 1664525u + 1013904223u;
    return static_cast<uint8_t>(state >> 29); // 0..7
}

// The moving picture behind the texts: diagonal bands and a bright square that crosses the
// picture, with a little grain so that the coder has something to spend bits on.
void DrawBackground(uint8_t* y, int stride, int width, int height, int64_t index, int camera,
                    const std::vector<uint8_t>* fisheyeScene)
{
    if (fisheyeScene) {
        for (int row = 0; row < height; ++row)
            std::memcpy(y + static_cast<long>(row) * stride, fisheyeScene->data() + static_cast<size_t>(row) * width,
                        static_cast<size_t>(width));
        return;
    }
    uint8_t* target = y;
    const int targetStride = stride;
    uint32_t state = static_cast<uint32_t>(index * 2654435761u + camera);
    const int square = height / 5;
    const int sqX = static_cast<int>((index * 4) % std::max(1, width - square));
    const int sqY = height / 2 - square / 2;
    for (int row = 0; row < height; ++row) {
        uint8_t* line = target + static_cast<long>(row) * targetStride;
        for (int col = 0; col < width; ++col) {
            int v = 60 + ((col + row + static_cast<int>(index) * 3 + camera * 40) & 63) + Noise(state);
            if (col >= sqX && col < sqX + square && row >= sqY && row < sqY + square)
                v = 200;
            line[col] = static_cast<uint8_t>(v);
        }
    }
}

std::string WallClockText(int64_t utcMillis)
{
    const time_t seconds = static_cast<time_t>(utcMillis / 1000);
    struct tm local = {};
    localtime_r(&seconds, &local);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                  static_cast<int>(utcMillis % 1000));
    return text;
}

uint32_t PackedLocal(int64_t utcSeconds)
{
    const time_t seconds = static_cast<time_t>(utcSeconds);
    struct tm local = {};
    localtime_r(&seconds, &local);
    return VDL_PackTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                        local.tm_min, local.tm_sec);
}

std::string IsoUtc(int64_t utcSeconds)
{
    const time_t seconds = static_cast<time_t>(utcSeconds);
    struct tm utc = {};
    gmtime_r(&seconds, &utc);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.000000Z", utc.tm_year + 1900,
                  utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec);
    return text;
}

class Writer {
public:
    Writer(const QString& path, const SampleStreamOptions& o) : m_o(o), m_path(path.toStdString()) {}

    ~Writer()
    {
        if (m_format) {
            if (m_format->pb)
                avio_closep(&m_format->pb);
            avformat_free_context(m_format);
        }
    }

    void Run()
    {
        if (m_o.width < 16 || m_o.height < 16 || m_o.width % 2 || m_o.height % 2 || m_o.fps < 1
            || m_o.cameraNames.isEmpty())
            throw std::runtime_error("invalid sample stream size, rate or camera list");
        Check(avformat_alloc_output_context2(&m_format, nullptr, m_o.container.toUtf8().constData(),
                                             m_path.c_str()),
              "Cannot create the container");
        if (m_o.fisheye)
            m_fisheyeScene = FisheyeScene(m_o.width, m_o.height, m_o.mount);
        for (int i = 0; i < m_o.cameraNames.size(); ++i)
            AddVideo(i);
        if (m_o.audio)
            AddAudio();
        if (m_o.writeCreationTime)
            av_dict_set(&m_format->metadata, "creation_time", IsoUtc(m_o.startUtc).c_str(), 0);
        Check(avio_open(&m_format->pb, m_path.c_str(), AVIO_FLAG_WRITE), "Cannot open the output");
        AVDictionary* muxOptions = nullptr;
        if (!m_o.encryptionKey.isEmpty()) {
            if (m_o.container != "mp4" || m_o.encryptionKey.size() != 16)
                throw std::runtime_error("encryption needs MP4 and a 16-byte key");
            av_dict_set(&muxOptions, "encryption_scheme", "cenc-aes-ctr", 0);
            av_dict_set(&muxOptions, "encryption_key", m_o.encryptionKey.toHex().constData(), 0);
            av_dict_set(&muxOptions, "encryption_kid",
                        SampleStreamWriter::KeyId(m_o.encryptionKey).toHex().constData(), 0);
        }
        const int headerResult = avformat_write_header(m_format, &muxOptions);
        av_dict_free(&muxOptions);
        Check(headerResult, "Cannot write the container header");

        const int64_t frames = static_cast<int64_t>(std::llround(m_o.durationSeconds * m_o.fps));
        for (int64_t index = 0; index < frames; ++index) {
            for (size_t t = 0; t < m_video.size(); ++t)
                EncodeVideo(m_video[t], static_cast<int>(t), index);
            if (m_audio)
                EncodeAudioUntil((index + 1) * 1000 / m_o.fps);
            if (m_o.progress)
                m_o.progress(index + 1, frames);
        }
        for (size_t t = 0; t < m_video.size(); ++t)
            Flush(m_video[t].codec.get(), m_video[t].stream, &m_video[t]);
        if (m_audio)
            Flush(m_audio.get(), m_audioStream, nullptr);
        Check(av_write_trailer(m_format), "Cannot finish the container");
        avio_closep(&m_format->pb);
    }

private:
    void AddVideo(int index)
    {
        const bool h264 = m_o.codec == "h264";
        const AVCodec* codec = h264 ? avcodec_find_encoder_by_name("libx264")
                                    : avcodec_find_encoder(AV_CODEC_ID_MPEG4);
        if (!codec)
            throw std::runtime_error("no encoder for " + m_o.codec.toStdString());
        VideoTrack track;
        track.codec.reset(avcodec_alloc_context3(codec));
        AVCodecContext* c = track.codec.get();
        c->width = m_o.width;
        c->height = m_o.height;
        c->pix_fmt = AV_PIX_FMT_YUV420P;
        c->time_base = AVRational{1, m_o.fps};
        c->framerate = AVRational{m_o.fps, 1};
        c->gop_size = m_o.gop;
        c->max_b_frames = 0;
        c->thread_count = m_o.threads;
        c->bit_rate = m_o.bitRate > 0 ? m_o.bitRate
                                      : static_cast<int64_t>(m_o.width) * m_o.height * m_o.fps / 10;
        if (m_format->oformat->flags & AVFMT_GLOBALHEADER)
            c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        AVDictionary* opts = nullptr;
        if (h264) {
            av_dict_set(&opts, "preset", "veryfast", 0);
            const std::string params = "keyint=" + std::to_string(m_o.gop) + ":min-keyint="
                + std::to_string(m_o.gop) + ":scenecut=0:bframes=0";
            av_dict_set(&opts, "x264-params", params.c_str(), 0);
        }
        const int openResult = avcodec_open2(c, codec, &opts);
        av_dict_free(&opts);
        Check(openResult, "Cannot open the video encoder");
        track.stream = avformat_new_stream(m_format, nullptr);
        track.stream->time_base = c->time_base;
        track.stream->avg_frame_rate = c->framerate;
        Check(avcodec_parameters_from_context(track.stream->codecpar, c), "Cannot set the stream");
        track.name = m_o.cameraNames[index].toStdString();
        av_dict_set(&track.stream->metadata, "title", track.name.c_str(), 0);
        track.frame.reset(av_frame_alloc());
        track.frame->format = c->pix_fmt;
        track.frame->width = c->width;
        track.frame->height = c->height;
        Check(av_frame_get_buffer(track.frame.get(), 0), "Cannot allocate a frame");
        if (m_o.watermark) {
            if (!h264 || m_o.watermarkKey.size() != 16)
                throw std::runtime_error("a watermark needs H.264 and a 16-byte key");
            track.watermark = std::make_unique<SampleWatermark>(
                reinterpret_cast<const uint8_t*>(m_o.watermarkKey.constData()), m_o.serialNumber,
                reinterpret_cast<const uint8_t*>(m_o.mac.constData()), static_cast<uint8_t>(index + 1));
        }
        m_video.push_back(std::move(track));
    }

    void AddAudio()
    {
        const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_AAC);
        if (!codec)
            throw std::runtime_error("no AAC encoder");
        m_audio.reset(avcodec_alloc_context3(codec));
        AVCodecContext* c = m_audio.get();
        c->sample_rate = 48000;
        c->sample_fmt = AV_SAMPLE_FMT_FLTP;
        av_channel_layout_default(&c->ch_layout, 1);
        c->bit_rate = 64000;
        c->time_base = AVRational{1, c->sample_rate};
        if (m_format->oformat->flags & AVFMT_GLOBALHEADER)
            c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        Check(avcodec_open2(c, codec, nullptr), "Cannot open the audio encoder");
        m_audioStream = avformat_new_stream(m_format, nullptr);
        m_audioStream->time_base = c->time_base;
        Check(avcodec_parameters_from_context(m_audioStream->codecpar, c), "Cannot set the audio stream");
        m_audioFrame.reset(av_frame_alloc());
        m_audioFrame->format = c->sample_fmt;
        m_audioFrame->nb_samples = c->frame_size;
        m_audioFrame->sample_rate = c->sample_rate;
        Check(av_channel_layout_copy(&m_audioFrame->ch_layout, &c->ch_layout), "Cannot set channels");
        Check(av_frame_get_buffer(m_audioFrame.get(), 0), "Cannot allocate audio");
    }

    void EncodeVideo(VideoTrack& track, int camera, int64_t index)
    {
        AVFrame* f = track.frame.get();
        Check(av_frame_make_writable(f), "Frame not writable");
        DrawBackground(f->data[0], f->linesize[0], f->width, f->height, index, camera,
                       m_o.fisheye ? &m_fisheyeScene : nullptr);
        for (int plane = 1; plane < 3; ++plane) {
            const uint8_t value = static_cast<uint8_t>(plane == 1 ? 128 + 12 * camera : 128 - 8 * camera);
            for (int row = 0; row < f->height / 2; ++row)
                std::memset(f->data[plane] + static_cast<long>(row) * f->linesize[plane], value, f->width / 2);
        }
        // A fisheye's texts stay small, in the corner outside its circle.
        const int scale = m_o.fisheye ? std::max(1, f->height / 480) : std::max(1, f->height / 120);
        const int64_t wallMillis = m_o.startUtc * 1000 + index * 1000 / m_o.fps;
        const int lineHeight = (BitmapFont::kGlyphHeight + 3) * scale;
        BitmapFont::Draw(f->data[0], f->linesize[0], f->width, f->height, scale * 2, scale * 2, scale,
                         track.name);
        BitmapFont::Draw(f->data[0], f->linesize[0], f->width, f->height, scale * 2,
                         scale * 2 + lineHeight, scale, WallClockText(wallMillis));
        BitmapFont::Draw(f->data[0], f->linesize[0], f->width, f->height, scale * 2,
                         scale * 2 + 2 * lineHeight, scale, "FRAME " + std::to_string(index));
        FrameStamp::Draw(f->data[0], f->linesize[0], f->width, f->height, index);
        const int number = camera < m_o.cameraNumbers.size() ? m_o.cameraNumbers[camera] : camera + 1;
        FrameStamp::DrawCamera(f->data[0], f->linesize[0], f->width, f->height, number);
        f->pts = index;
        f->pict_type = AV_PICTURE_TYPE_NONE;
        Send(track.codec.get(), track.stream, f, &track);
    }

    void EncodeAudioUntil(int64_t millis)
    {
        AVCodecContext* c = m_audio.get();
        while (m_audioSamples * 1000 / c->sample_rate < millis) {
            Check(av_frame_make_writable(m_audioFrame.get()), "Audio frame not writable");
            float* samples = reinterpret_cast<float*>(m_audioFrame->data[0]);
            for (int i = 0; i < m_audioFrame->nb_samples; ++i)
                samples[i] = 0.2f * static_cast<float>(std::sin(2 * M_PI * 440.0 * (m_audioSamples + i) / c->sample_rate));
            m_audioFrame->pts = m_audioSamples;
            m_audioSamples += m_audioFrame->nb_samples;
            Send(c, m_audioStream, m_audioFrame.get(), nullptr);
        }
    }

    void Flush(AVCodecContext* c, AVStream* s, VideoTrack* track) { Send(c, s, nullptr, track); }

    void Send(AVCodecContext* c, AVStream* s, AVFrame* frame, VideoTrack* track)
    {
        Check(avcodec_send_frame(c, frame), "Cannot encode");
        PacketPtr packet(av_packet_alloc());
        for (;;) {
            const int r = avcodec_receive_packet(c, packet.get());
            if (r == AVERROR(EAGAIN) || r == AVERROR_EOF)
                return;
            Check(r, "Cannot encode");
            if (track && track->watermark)
                Seal(*track, packet.get());
            av_packet_rescale_ts(packet.get(), c->time_base, s->time_base);
            packet->stream_index = s->index;
            Check(av_interleaved_write_frame(m_format, packet.get()), "Cannot write a packet");
        }
    }

    void Seal(VideoTrack& track, AVPacket* packet)
    {
        const int64_t second = packet->pts / m_o.fps;
        const bool inGap = second >= m_o.watermarkGapFrom && second < m_o.watermarkGapTo;
        if (second != track.lastRecordSecond && !inGap) {
            track.lastRecordSecond = second;
            std::vector<uint8_t> data = track.watermark->InsertRecord(
                packet->data, packet->size, PackedLocal(m_o.startUtc + second),
                second == m_o.watermarkBreakSecond);
            PacketPtr sealed(av_packet_alloc());
            Check(av_new_packet(sealed.get(), static_cast<int>(data.size())), "Cannot grow a packet");
            std::memcpy(sealed->data, data.data(), data.size());
            Check(av_packet_copy_props(sealed.get(), packet), "Cannot copy packet properties");
            av_packet_unref(packet);
            av_packet_move_ref(packet, sealed.get());
        }
        track.watermark->Account(packet->data, packet->size);
    }

    SampleStreamOptions m_o;
    std::string m_path;
    AVFormatContext* m_format = nullptr;
    std::vector<VideoTrack> m_video;
    CodecPtr m_audio;
    AVStream* m_audioStream = nullptr;
    FramePtr m_audioFrame;
    int64_t m_audioSamples = 0;
    std::vector<uint8_t> m_fisheyeScene; // every picture of a fisheye file
};

} // namespace

void SampleStreamWriter::Write(const QString& path, const SampleStreamOptions& options)
{
    Writer writer(path, options);
    writer.Run();
}

QByteArray SampleStreamWriter::KeyId(const QByteArray& key)
{
    return QCryptographicHash::hash(key, QCryptographicHash::Sha256).left(16);
}
