#include "PortEngine.h"

#include "DewarpSet.h"
#include "KeyframeIndex.h"
#include "Port.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/parseutils.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <cassert>
#include <cmath>

namespace {

constexpr double kEps = 0.001;
constexpr int kMaxReadErrors = 64;
constexpr size_t kCacheBytesLimit = 512u << 20;

std::shared_ptr<AVFrame> Share(AVFrame* frame)
{
    return std::shared_ptr<AVFrame>(frame, [](AVFrame* f) { av_frame_free(&f); });
}

} // namespace

PortEngine::PortEngine(int portNumber, const KeyframeIndex& index, DewarpSet* dewarp, std::function<void()> room)
    : m_portNumber(portNumber), m_index(index), m_dewarp(dewarp), m_screenFrame(av_frame_alloc())
{
    m_queue = std::make_unique<PictureQueue>(
        m_converter,
        [this](const PictureQueue::Picture& picture, double lateMillis, int64_t dropped) {
            OnQueuePresented(picture, lateMillis, dropped);
        },
        std::move(room));
}

PortEngine::~PortEngine()
{
    m_queue.reset(); // its thread presents into what follows
    av_frame_free(&m_screenFrame);
    m_audio.reset();
    swr_free(&m_resampler);
    av_frame_free(&m_audioFrame);
    avcodec_free_context(&m_audioCodec);
    avcodec_free_context(&m_codec);
    av_packet_free(&m_packet);
}

int PortEngine::Open(const std::string& path, int64_t regionEnd, int ordinal, const std::string& keyHex,
                     int threads, const uint8_t watermarkKey[16], VDL_StreamInfo* info, int64_t* creationMillis)
{
    const int r = m_source.Open(path, regionEnd, ordinal, keyHex, false);
    if (r != VDL_ERR_NONE)
        return r;
    AVStream* video = m_source.Video();
    const AVCodec* codec = avcodec_find_decoder(video->codecpar->codec_id);
    if (!codec)
        return VDL_ERR_DECODER;
    m_codec = avcodec_alloc_context3(codec);
    m_packet = av_packet_alloc();
    if (!m_codec || !m_packet || avcodec_parameters_to_context(m_codec, video->codecpar) < 0)
        return VDL_ERR_DECODER;
    m_codec->thread_count = std::max(1, threads);
    m_codec->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
    m_codec->pkt_timebase = video->time_base;
    if (m_source.MaxPixels() > 0)
        m_codec->max_pixels = m_source.MaxPixels();
    if (avcodec_open2(m_codec, codec, nullptr) < 0)
        return VDL_ERR_DECODER;

    m_tbMs = 1000.0 * video->time_base.num / video->time_base.den;
    AVRational rate = video->avg_frame_rate.num > 0 ? video->avg_frame_rate : video->r_frame_rate;
    m_fps = rate.num > 0 && rate.den > 0 ? av_q2d(rate) : 25.0;
    if (m_fps <= 0.0 || m_fps > 1000.0)
        m_fps = 25.0;
    m_periodMs = 1000.0 / m_fps;
    m_startPts = video->start_time != AV_NOPTS_VALUE ? video->start_time : 0;
    m_watermark.Configure(watermarkKey, WatermarkChecker::LengthSizeFromExtradata(
                                            video->codecpar->extradata, video->codecpar->extradata_size));
    m_watermarkOn = video->codecpar->codec_id == AV_CODEC_ID_H264;

    info->frameRate = m_fps;
    info->width = video->codecpar->width;
    info->height = video->codecpar->height;
    const char* name = avcodec_get_name(video->codecpar->codec_id);
    std::snprintf(info->codecName, sizeof info->codecName, "%s", name ? name : "");
    info->videoStreamCount = m_source.VideoStreamCount();
    info->hasAudio = m_source.AudioIndex() >= 0 ? 1 : 0;
    *creationMillis = -1;
    const AVDictionaryEntry* creation = av_dict_get(m_source.Format()->metadata, "creation_time", nullptr, 0);
    int64_t creationMicros = 0;
    if (creation && av_parse_time(&creationMicros, creation->value, 0) == 0)
        *creationMillis = creationMicros / 1000;
    int64_t durationMs = -1;
    if (video->duration != AV_NOPTS_VALUE && video->duration > 0)
        durationMs = static_cast<int64_t>(video->duration * m_tbMs);
    else if (m_source.Format()->duration > 0)
        durationMs = m_source.Format()->duration / 1000;
    info->durationMillis = durationMs > 0 ? std::max<int64_t>(0, durationMs - static_cast<int64_t>(m_periodMs)) : 0;
    // A duration guessed from the bit rate says nothing about where the frames end.
    if (info->durationMillis > 0 && m_source.Format()->duration_estimation_method != AVFMT_DURATION_FROM_BITRATE)
        m_declaredLastMs = static_cast<double>(info->durationMillis);

    // The first frame fixes played time 0 (with audio the video may not start at 0).
    Frame first;
    if (DecodeNext(first) != 0)
        return VDL_ERR_FILE_OPEN;
    m_startPts = first.pts;
    first.ms = 0.0;
    m_current = first;
    m_coherent = true;
    m_currentShown = false;
    return VDL_ERR_NONE;
}

int64_t PortEngine::DurationOf(double lastMs)
{
    // About 30,000 years: past that the stamps are noise, and the cast stays defined.
    constexpr double kLongest = 1e15;
    return std::isnan(lastMs) ? 0 : static_cast<int64_t>(std::llround(std::clamp(lastMs, 0.0, kLongest)));
}

// In floating point: timestamps from a damaged container can lie anywhere in 64 bits.
double PortEngine::MsOf(int64_t pts) const { return (static_cast<double>(pts) - static_cast<double>(m_startPts)) * m_tbMs; }

int64_t PortEngine::PtsOf(double ms) const { return m_startPts + static_cast<int64_t>(std::floor(ms / m_tbMs + 1e-6)); }

int64_t PortEngine::FrameIndexOf(const Frame& f) const
{
    const int64_t n = m_index.FrameNumber(f.pts);
    if (n >= 0)
        return n;
    return static_cast<int64_t>(std::llround(f.ms / m_periodMs));
}

int PortEngine::DecodeNext(Frame& out)
{
    AVFrame* frame = av_frame_alloc();
    for (;;) {
        int r = avcodec_receive_frame(m_codec, frame);
        if (r == 0) {
            int64_t pts = frame->best_effort_timestamp != AV_NOPTS_VALUE ? frame->best_effort_timestamp : frame->pts;
            // A damaged stream may give a frame no timestamp at all: place it at the start rather
            // than at the lowest 64-bit value, which every later subtraction would overflow.
            if (pts == AV_NOPTS_VALUE)
                pts = frame->pkt_dts != AV_NOPTS_VALUE ? frame->pkt_dts : m_startPts;
            out.picture = Share(frame);
            out.pts = pts;
            out.ms = MsOf(pts);
            Publish([&](VDL_Stats& stats) {
                ++stats.framesDecoded;
                stats.bytesRead = m_source.BytesRead();
            });
            return 0;
        }
        if (r == AVERROR_EOF) {
            av_frame_free(&frame);
            return AVERROR_EOF;
        }
        if (r != AVERROR(EAGAIN))
            continue; // a broken frame: go on with the next
        if (m_draining) {
            av_frame_free(&frame);
            return AVERROR_EOF;
        }
        r = m_source.Read(m_packet);
        if (r < 0) {
            if (r != AVERROR_EOF && ++m_readErrors < kMaxReadErrors)
                continue;
            m_draining = true;
            avcodec_send_packet(m_codec, nullptr);
            continue;
        }
        m_readErrors = 0;
        if (m_packet->stream_index != m_source.VideoIndex()) {
            HandleAudio(m_packet);
            av_packet_unref(m_packet);
            continue;
        }
        if (m_watermarkOn) {
            // Fed from the first packet on, so the chain of seals is whole when a check is installed.
            const double ms = m_packet->pts != AV_NOPTS_VALUE ? MsOf(m_packet->pts) : 0.0;
            m_reports.clear();
            m_watermark.Feed(m_packet->data, m_packet->size, static_cast<int64_t>(ms),
                             m_wanted.originMillis != 0
                                 ? Port::PackLocal(m_wanted.originMillis + static_cast<int64_t>(ms))
                                 : 0,
                             m_reports);
            if (m_wanted.watermark) {
                m_wanted.watermark->Publish(m_watermark.Status(), m_wanted.originMillis);
                if (!m_reports.empty())
                    m_wanted.watermark->Deliver(m_portNumber, m_reports);
            }
        }
        avcodec_send_packet(m_codec, m_packet);
        av_packet_unref(m_packet);
    }
}

void PortEngine::HandleAudio(AVPacket* packet)
{
    if (m_audioFailed || !m_wanted.soundWanted)
        return;
    if (!m_audioCodec) {
        AVStream* stream = m_source.Format()->streams[packet->stream_index];
        const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
        m_audioCodec = codec ? avcodec_alloc_context3(codec) : nullptr;
        if (!m_audioCodec || avcodec_parameters_to_context(m_audioCodec, stream->codecpar) < 0
            || avcodec_open2(m_audioCodec, codec, nullptr) < 0) {
            m_audioFailed = true;
            return;
        }
        m_audioChannels = std::min(2, std::max(1, m_audioCodec->ch_layout.nb_channels));
        AVChannelLayout out = {};
        av_channel_layout_default(&out, m_audioChannels);
        if (swr_alloc_set_opts2(&m_resampler, &out, AV_SAMPLE_FMT_S16, m_audioCodec->sample_rate,
                                &m_audioCodec->ch_layout, m_audioCodec->sample_fmt, m_audioCodec->sample_rate, 0, nullptr) < 0
            || swr_init(m_resampler) < 0) {
            m_audioFailed = true;
            return;
        }
        m_audioFrame = av_frame_alloc();
        m_audio = std::make_unique<AudioOutput>();
        if (!m_audio->Start(m_audioCodec->sample_rate, m_audioChannels)) {
            m_audioFailed = true; // no device: silent
            return;
        }
    }
    m_audio->SetVolume(m_wanted.volume / 65535.0);
    if (avcodec_send_packet(m_audioCodec, packet) < 0)
        return;
    while (avcodec_receive_frame(m_audioCodec, m_audioFrame) == 0) {
        QByteArray samples(m_audioFrame->nb_samples * m_audioChannels * 2, Qt::Uninitialized);
        uint8_t* out[1] = {reinterpret_cast<uint8_t*>(samples.data())};
        const int n = swr_convert(m_resampler, out, m_audioFrame->nb_samples,
                                  const_cast<const uint8_t**>(m_audioFrame->extended_data), m_audioFrame->nb_samples);
        if (n > 0) {
            samples.resize(n * m_audioChannels * 2);
            m_audio->Write(samples);
        }
        av_frame_unref(m_audioFrame);
    }
}

void PortEngine::SeekDecoder(int64_t pts)
{
    if (m_audio)
        m_audio->Flush();
    if (m_audioCodec)
        avcodec_flush_buffers(m_audioCodec);
    m_source.SeekKeyframe(pts);
    avcodec_flush_buffers(m_codec);
    m_draining = false;
    m_readErrors = 0;
    m_failuresAtSeek = m_source.ReadFailures();
    m_watermark.Reset();
    m_pending.clear();
    m_coherent = false;
    Publish([](VDL_Stats& stats) { ++stats.seeks; });
}

void PortEngine::NoteEnd(double lastMs)
{
    if (m_lastMs >= 0.0 && std::abs(m_lastMs - lastMs) < kEps)
        return;
    m_lastMs = lastMs;
    std::lock_guard<std::mutex> lock(m_publishMutex);
    m_published.lastMs = lastMs; // the port stops its clock there
}

bool PortEngine::EndsEarly() const
{
    return m_declaredLastMs >= 0.0 && m_lastMs >= 0.0 && m_declaredLastMs - m_lastMs > kWholeToleranceMs;
}

PortEngine::Frame PortEngine::Unreachable()
{
    m_landError = ReadFailed() ? VDL_ERR_READ : VDL_ERR_SEEK;
    m_coherent = false; // the decoder may have gone past the frame on screen looking for it
    return Frame();
}

PortEngine::Frame PortEngine::Land(double ms, Landing how)
{
    m_landError = VDL_ERR_NONE;
    if (m_lastMs < 0.0 && m_index.Ready() && !m_index.Frames().empty())
        NoteEnd(MsOf(m_index.Frames().back()));
    // Past the declared end: the last frame. Past the frames of a stream that ends early: none.
    if (m_declaredLastMs >= 0.0 && ms > m_declaredLastMs)
        ms = m_declaredLastMs;
    if (m_lastMs >= 0.0 && ms > m_lastMs) {
        if (EndsEarly() && ms > m_lastMs + m_periodMs)
            return Unreachable();
        ms = m_lastMs;
    }
    ms = std::max(0.0, ms);
    const int64_t target = PtsOf(ms);
    int64_t key = target;
    const bool keyKnown = m_index.KeyframeBefore(target, false, &key);
    if (keyKnown && m_coherent && m_current.picture && ms > m_current.ms + kEps && key <= m_current.pts) {
        // Further on in the GOP being decoded: go on decoding instead of going back to its keyframe.
        Frame last = m_current;
        Frame f;
        for (;;) {
            if (!f.picture && NextDecoded(f) != 0) {
                NoteEnd(last.ms);
                if ((EndsEarly() || ReadFailed()) && ms > last.ms + m_periodMs)
                    return Unreachable();
                return last;
            }
            const bool done = how == Landing::AtOrAfter ? f.ms >= ms - kEps : f.ms > ms + kEps;
            if (done) {
                if (how == Landing::AtOrAfter)
                    return f;
                m_pending.push_front(f);
                return last;
            }
            last = f;
            f = Frame();
        }
    }
    for (int attempt = 0; attempt < 6; ++attempt) {
        SeekDecoder(key);
        Frame last;
        Frame f;
        bool first = true;
        bool retry = false;
        while (DecodeNext(f) == 0) {
            if (first && f.ms > ms + kEps && f.pts > m_startPts && attempt < 5) {
                retry = true; // landed after the target: the container's index is coarse
                break;
            }
            first = false;
            const bool done = how == Landing::AtOrAfter ? f.ms >= ms - kEps : f.ms > ms + kEps;
            if (done) {
                if (how == Landing::AtOrAfter || !last.picture) {
                    m_coherent = true;
                    return f;
                }
                m_pending.push_front(f);
                m_coherent = true;
                return last;
            }
            last = f;
        }
        if (!retry && last.picture) {
            NoteEnd(last.ms); // past the end: the last frame
            m_coherent = true;
            if ((EndsEarly() || ReadFailed()) && ms > last.ms + m_periodMs)
                return Unreachable();
            return last;
        }
        const int64_t back = static_cast<int64_t>(std::max(1000.0, 2000.0 * attempt) / m_tbMs);
        key = std::max<int64_t>(m_startPts, key - back);
        if (!retry && key == m_startPts && attempt > 0)
            key = INT64_MIN / 2;
    }
    return Unreachable(); // nothing at or before the target decodes
}

std::vector<PortEngine::Frame> PortEngine::DecodeGopUpTo(double limitMs, Frame* after)
{
    std::vector<Frame> gop;
    if (limitMs < -kEps)
        return gop;
    const int64_t limit = PtsOf(limitMs + kEps);
    int64_t key = limit;
    m_index.KeyframeBefore(limit, false, &key);
    for (int attempt = 0; attempt < 6; ++attempt) {
        SeekDecoder(key);
        gop.clear();
        Frame f;
        while (DecodeNext(f) == 0) {
            if (f.ms > limitMs + kEps) {
                if (after)
                    *after = f;
                break;
            }
            gop.push_back(f);
        }
        if (!gop.empty() || key <= m_startPts)
            break;
        key = std::max<int64_t>(m_startPts, key - static_cast<int64_t>(1000.0 * (attempt + 1) / m_tbMs));
    }
    m_coherent = false;
    return gop;
}

bool PortEngine::Covers(const Frame& f, double t) const
{
    if (!f.picture)
        return false;
    if (t < f.ms - kEps)
        return f.ms <= kEps; // before the first frame: the first frame
    if (m_lastMs >= 0.0 && f.ms >= m_lastMs - kEps)
        return true;
    return t < f.ms + m_periodMs - kEps;
}

bool PortEngine::CacheFind(double t, Frame* out) const
{
    if (m_cache.empty() || t < m_cache.front().ms - kEps || t >= m_cache.back().ms + m_periodMs - kEps)
        return false;
    auto it = std::upper_bound(m_cache.begin(), m_cache.end(), t + kEps,
                               [](double v, const Frame& f) { return v < f.ms; });
    if (it == m_cache.begin())
        return false;
    *out = *(it - 1);
    return true;
}

void PortEngine::CacheInsertFront(std::vector<Frame> gop)
{
    // Keep the cache one contiguous run: the new GOP must end right before the cached frames.
    if (!m_cache.empty() && !gop.empty() && gop.back().ms < m_cache.front().ms - m_periodMs * 1.5)
        m_cache.clear();
    while (!gop.empty() && !m_cache.empty() && gop.back().ms >= m_cache.front().ms - kEps)
        gop.pop_back();
    m_cache.insert(m_cache.begin(), gop.begin(), gop.end());
    CacheTrim();
}

void PortEngine::CacheTrim()
{
    // Two GOPs in all: what is cached and what the prefetch of the previous GOP holds.
    const size_t gops = m_index.Ready() ? std::max<size_t>(2 * m_index.LongestGop(), 4) : m_cacheLimit;
    const size_t limit = gops > m_prefetch.frames.size() + 1 ? gops - m_prefetch.frames.size() : 1;
    const AVFrame* sample = !m_cache.empty() ? m_cache.front().picture.get() : m_current.picture.get();
    const size_t bytes = sample ? static_cast<size_t>(sample->width) * sample->height * 3 / 2 : 0;
    while (m_cache.size() > 1 && (m_cache.size() > limit || m_cache.size() * bytes > kCacheBytesLimit)
           && m_cache.back().ms > m_current.ms + kEps)
        m_cache.pop_back();
    const int64_t held = static_cast<int64_t>(m_cache.size() + m_prefetch.frames.size() + m_pending.size()
                                              + m_queue->Waiting())
        + (m_cache.empty() && m_current.picture ? 1 : 0);
    Publish([&](VDL_Stats& stats) {
        stats.decodedFramesHeld = held;
        stats.decodedBytesHeld = held * static_cast<int64_t>(bytes);
    });
}

void PortEngine::ClearCache()
{
    m_cache.clear();
    m_prefetch = Prefetch();
}

void PortEngine::PrefetchStep()
{
    if (!m_prefetch.active || m_prefetch.limitMs < -kEps)
        return;
    if (!m_prefetch.seeked) {
        const int64_t limit = PtsOf(m_prefetch.limitMs + kEps);
        int64_t key = limit;
        m_index.KeyframeBefore(limit, false, &key);
        SeekDecoder(key);
        m_prefetch.seeked = true;
        m_prefetch.frames.clear();
    }
    Frame f;
    if (DecodeNext(f) != 0 || f.ms > m_prefetch.limitMs + kEps) {
        m_prefetch.active = false; // complete (or nothing more to decode)
        return;
    }
    m_prefetch.frames.push_back(f);
}

void PortEngine::SetSkipping(bool skip)
{
    if (skip == m_skipping)
        return;
    m_skipping = skip;
    m_codec->skip_frame = skip ? AVDISCARD_NONKEY : AVDISCARD_DEFAULT;
    if (!skip)
        m_coherent = false; // frames after skipped references would be broken: land again
}

template <typename Change>
void PortEngine::Publish(Change change)
{
    std::lock_guard<std::mutex> lock(m_publishMutex);
    change(m_published.stats);
}

PortEngine::Published PortEngine::Report() const
{
    std::lock_guard<std::mutex> lock(m_publishMutex);
    return m_published;
}

bool PortEngine::ScreenFrame(AVFrame* frame, Published* report) const
{
    std::lock_guard<std::mutex> lock(m_publishMutex);
    *report = m_published;
    return m_published.haveScreen && av_frame_ref(frame, m_screenFrame) == 0;
}

VDL_Picture PortEngine::Describe(const Frame& f, int64_t index) const
{
    VDL_Picture picture = {};
    picture.frameIndex = index;
    picture.playedMillis = static_cast<int64_t>(std::llround(f.ms));
    picture.wallClockMillis = m_wanted.originMillis + picture.playedMillis;
    picture.frameRate = m_fps;
    picture.sourceWidth = f.picture->width;
    picture.sourceHeight = f.picture->height;
    return picture;
}

void PortEngine::Present(const Frame& f, PlayClock::TimePoint due, bool timed)
{
    const Output& out = m_wanted.out;
    m_current = f;
    m_shown = f;
    m_currentShown = true;
    m_shownViewSerial = out.viewSerial;
    m_shownDewarpSerial = out.dewarpSerial;
    const int64_t index = FrameIndexOf(f);
    const auto now = Now();
    {
        // Published first: once a surface has a picture, the port reports it as on screen.
        std::lock_guard<std::mutex> lock(m_publishMutex);
        m_published.haveScreen = true;
        m_published.screenMs = f.ms;
        m_published.screenIndex = index;
        av_frame_unref(m_screenFrame);
        av_frame_ref(m_screenFrame, f.picture.get());
        VDL_Stats& stats = m_published.stats;
        ++stats.framesPresented;
        if (timed) {
            const double late = std::chrono::duration<double, std::milli>(now - due).count();
            stats.lateMillisMax = std::max<int64_t>(stats.lateMillisMax, static_cast<int64_t>(late));
            if (late <= m_periodMs)
                ++stats.framesOnTime;
        } else {
            ++stats.framesOnTime;
        }
    }
    // Nothing waits in the queue here (every caller drained it), so its converter is free.
    assert(!m_queued);
    if (out.surface.present && m_converter.Convert(f.picture.get(), out.view)) {
        VDL_Picture picture = Describe(f, index);
        m_converter.Describe(&picture);
        out.surface.present(out.surface.user, &picture);
        if (m_dewarp)
            m_dewarp->Render(f.picture.get(), picture); // the same frame, index and times
    }
}

void PortEngine::Fill(PictureQueue::Picture* slot, const Frame& f)
{
    slot->info = Describe(f, FrameIndexOf(f));
    slot->surface = m_wanted.out.surface;
    slot->view = m_wanted.out.view;
    slot->frame = f;
}

void PortEngine::OnQueuePresented(const PictureQueue::Picture& picture, double lateMillis, int64_t dropped)
{
    if (m_dewarp && picture.frame.picture)
        m_dewarp->Render(picture.frame.picture.get(), picture.info);
    std::lock_guard<std::mutex> lock(m_publishMutex);
    m_published.haveScreen = true;
    m_published.screenMs = picture.frame.ms;
    m_published.screenIndex = picture.info.frameIndex;
    av_frame_unref(m_screenFrame);
    av_frame_ref(m_screenFrame, picture.frame.picture.get());
    VDL_Stats& stats = m_published.stats;
    ++stats.framesPresented;
    stats.framesDropped += dropped;
    stats.lateMillisMax = std::max<int64_t>(stats.lateMillisMax, static_cast<int64_t>(lateMillis));
    if (lateMillis <= m_periodMs)
        ++stats.framesOnTime;
}

double PortEngine::ScreenMs(double otherwise) const
{
    std::lock_guard<std::mutex> lock(m_publishMutex);
    return m_published.haveScreen ? m_published.screenMs : otherwise;
}

void PortEngine::Drain()
{
    if (!m_queued)
        return;
    m_queued = false;
    PictureQueue::Drained drained = m_queue->Drain();
    if (drained.shown.picture)
        m_shown = std::move(drained.shown);
    m_pending.insert(m_pending.begin(), drained.waiting.begin(), drained.waiting.end());
    m_current = m_shown;
}

void PortEngine::Unshow()
{
    Drain();
    m_currentShown = false;
}

int PortEngine::NextDecoded(Frame& out)
{
    if (m_pending.empty())
        return DecodeNext(out);
    out = std::move(m_pending.front());
    m_pending.pop_front();
    return 0;
}

int PortEngine::Seek(double ms, const Snapshot& s)
{
    m_wanted = s;
    Drain();
    ClearCache();
    SetSkipping(false);
    const Frame f = Land(ms, Landing::AtOrAfter);
    if (!f.picture)
        return m_landError != VDL_ERR_NONE ? m_landError : VDL_ERR_SEEK;
    Present(f, Now(), false);
    return VDL_ERR_NONE;
}

int PortEngine::SeekKeyframe(double ms, const Snapshot& s)
{
    m_wanted = s;
    Drain();
    ClearCache();
    SetSkipping(false);
    if (m_lastMs >= 0.0 && ms > m_lastMs)
        ms = m_lastMs;
    ms = std::max(0.0, ms);
    int64_t key = PtsOf(ms);
    // Without the index yet, the container's own seek lands on a keyframe at or before the target.
    m_index.KeyframeBefore(key, false, &key);
    SeekDecoder(key);
    Frame f;
    if (DecodeNext(f) != 0 || !f.picture) {
        // Nothing there (a damaged end): the exact landing finds what can be shown, or fails.
        return Seek(ms, s);
    }
    m_coherent = true;
    Present(f, Now(), false);
    return VDL_ERR_NONE;
}

int PortEngine::FrameAfter(Frame* next)
{
    if (CacheFind(m_current.ms + m_periodMs * 0.999, next) && next->ms > m_current.ms + kEps)
        return VDL_ERR_NONE; // kept by a step back
    if (!m_coherent) {
        // The decoder is elsewhere: land on the frame after this one.
        *next = Land(m_current.ms + kEps * 10, Landing::AtOrAfter);
        return next->picture ? VDL_ERR_NONE : m_landError;
    }
    if (NextDecoded(*next) == 0)
        return VDL_ERR_NONE;
    NoteEnd(m_current.ms); // nothing after the frame on screen: it is the last
    *next = m_current;
    return VDL_ERR_NONE;
}

int PortEngine::FrameBefore(Frame* previous)
{
    const double before = m_current.ms - kEps * 10;
    if (CacheFind(before, previous) && previous->ms < m_current.ms - kEps)
        return VDL_ERR_NONE;
    if (m_current.ms <= kEps) {
        *previous = m_current; // the first frame: nothing before it
        return VDL_ERR_NONE;
    }
    Frame after;
    std::vector<Frame> gop = DecodeGopUpTo(before, &after);
    if (gop.empty())
        return ReadFailed() ? VDL_ERR_READ : VDL_ERR_SEEK; // nothing before it decodes
    *previous = gop.back();
    if (after.picture)
        gop.push_back(after); // a step forward again comes from the cache
    if (!m_cache.empty() && m_cache.front().ms > m_current.ms + m_periodMs * 1.5)
        m_cache.clear();
    CacheInsertFront(std::move(gop));
    return VDL_ERR_NONE;
}

int PortEngine::Step(int direction, const Snapshot& s)
{
    m_wanted = s;
    Drain();
    SetSkipping(false);
    Frame next;
    int result = direction > 0 ? FrameAfter(&next) : FrameBefore(&next);
    const bool moved = next.picture && std::abs(next.ms - m_current.ms) > kEps;
    if (direction > 0) {
        // Standing still at the end is right for a whole stream; one that ends early could not go on.
        if (result == VDL_ERR_NONE && !moved && EndsEarly())
            result = ReadFailed() ? VDL_ERR_READ : VDL_ERR_SEEK;
        if (moved && !m_cache.empty() && next.ms > m_cache.back().ms + kEps)
            ClearCache(); // past what a step back kept
    } else {
        m_pending.clear();
        m_coherent = false;
    }
    if (result == VDL_ERR_NONE && next.picture)
        Present(next, Now(), false);
    CacheTrim();
    return result;
}

void PortEngine::Stop()
{
    Drain();
    ClearCache();
    SetSkipping(false);
    m_pending.clear();
    m_coherent = false;
    m_currentShown = false;
    std::lock_guard<std::mutex> lock(m_publishMutex);
    m_published.haveScreen = false;
}

PlayClock::TimePoint PortEngine::ForwardTick(const Snapshot& s, PlayClock::TimePoint now)
{
    if (!m_cache.empty())
        ClearCache();
    if (s.following)
        SetClock(s.clock); // the leader's clock, mapped onto this stream
    if (m_queued && s.out.viewSerial != m_queuedViewSerial)
        Drain(); // pictures at the new view from the next one on
    if ((s.rate >= 8.0) != m_skipping) {
        Drain();
        SetSkipping(s.rate >= 8.0);
    }
    const double t = s.position;
    const double reach = std::max(3000.0, 4.0 * m_periodMs * std::max<int64_t>(m_index.LongestGop(), 50));
    if (!m_current.picture || !m_coherent || t < ScreenMs(m_current.ms) - kEps || t > m_current.ms + reach) {
        // Far from what was decoded: land where the clock is, then fill ahead from there.
        Drain();
        Frame f = Land(t, Landing::Covering);
        if (f.picture)
            Present(f, now, false);
        return Now();
    }
    if (!m_currentShown) {
        Drain(); // a surface just attached: the frame on screen first
        Present(m_current, now, false);
    }
    // Keep the queue full; its thread presents each picture on time.
    bool atEnd = false;
    while (PictureQueue::Picture* slot = m_queue->Acquire()) {
        Frame f;
        if (NextDecoded(f) != 0) {
            m_queue->Release(slot);
            atEnd = true;
            break;
        }
        // Behind the clock: a frame whose successor was due already when this round began would
        // only be overtaken in the queue, so it is not converted at all. (Not the clock's
        // position now: the Snapshot's clock may have changed since.)
        Frame next;
        if (f.ms + m_periodMs <= t + kEps && NextDecoded(next) == 0) {
            m_pending.push_front(next);
            m_current = f;
            m_queue->Release(slot);
            Publish([](VDL_Stats& stats) { ++stats.framesDropped; });
            continue;
        }
        m_current = f;
        Fill(slot, f);
        m_queued = true;
        m_queuedViewSerial = s.out.viewSerial;
        m_queue->Push(slot);
    }
    CacheTrim(); // publishes what is held
    if (!atEnd) {
        // The queue is full: it wakes the port when it has room again. A follower looks at its
        // leader's clock every period; otherwise the wait is only a guard.
        const double waitMs = s.following ? m_periodMs : PictureQueue::kAhead * m_periodMs;
        return Now() + std::chrono::duration_cast<PlayClock::Clock::duration>(std::chrono::duration<double, std::milli>(waitMs));
    }
    if (m_skipping && !(m_lastMs >= 0.0 && m_current.ms >= m_lastMs - kEps)) {
        // Frames after the last keyframe were skipped: once the pictures waiting are shown, land
        // on the true last frame.
        if (m_queue->Waiting() > 0)
            return Now() + std::chrono::milliseconds(10);
        Drain();
        SetSkipping(false);
        const double shown = m_current.ms;
        Frame last = Land(1e15, Landing::Covering);
        if (last.picture && last.ms > shown + kEps)
            Present(last, now, false);
    } else {
        NoteEnd(m_current.ms);
    }
    return Now() + std::chrono::milliseconds(50);
}

PlayClock::TimePoint PortEngine::BackwardTick(const Snapshot& s, PlayClock::TimePoint now)
{
    SetSkipping(false);
    m_pending.clear();
    m_coherent = false; // the frames shown now come from the cache, not from the decoder's order
    const double t = s.position;
    Frame f;
    if (!CacheFind(t, &f)) {
        const bool adjacent = !m_cache.empty() && t < m_cache.front().ms && t > m_cache.front().ms - 10 * m_periodMs * 50;
        if (adjacent && (m_prefetch.active || m_prefetch.seeked) && std::abs(m_prefetch.limitMs - (m_cache.front().ms - kEps * 10)) < kEps) {
            while (m_prefetch.active)
                PrefetchStep();
            CacheInsertFront(std::move(m_prefetch.frames));
            m_prefetch = Prefetch();
        }
        if (!CacheFind(t, &f)) {
            std::vector<Frame> gop = DecodeGopUpTo(t);
            m_cache.clear();
            m_prefetch = Prefetch();
            CacheInsertFront(std::move(gop));
            m_coherent = false;
            if (!CacheFind(t, &f) && !m_cache.empty())
                f = m_cache.front();
        }
    }
    if (f.picture && (!m_currentShown || std::abs(f.ms - m_current.ms) > kEps || f.picture != m_current.picture)) {
        const bool timed = std::abs(f.ms - m_current.ms) < m_periodMs * 1.5;
        Present(f, s.clock.WhenReaches(f.ms + m_periodMs, now), timed);
        CacheTrim();
    }
    // Decode the GOP before the cached one while the frames of this one are shown.
    if (!m_cache.empty() && m_cache.front().ms > kEps && !m_prefetch.active && !m_prefetch.seeked) {
        m_prefetch = Prefetch();
        m_prefetch.active = true;
        m_prefetch.limitMs = m_cache.front().ms - kEps * 10;
    }
    if (m_current.ms <= kEps)
        return Now() + std::chrono::milliseconds(50);
    const auto due = s.clock.WhenReaches(m_current.ms - kEps, Now());
    if (m_prefetch.active && due > Now() + std::chrono::milliseconds(3)) {
        PrefetchStep();
        CacheTrim();
        return Now(); // more decoding to do before the next frame is due
    }
    return due;
}

PlayClock::TimePoint PortEngine::Tick(const Snapshot& s)
{
    m_wanted = s;
    const auto now = Now();
    const auto idle = now + std::chrono::milliseconds(s.following ? 10 : 40);
    if (s.rate <= 0.0 || !s.out.surface.present || s.stopped)
        Drain();
    if (!s.out.surface.present || s.stopped)
        return idle;
    if (s.rate == 0.0) {
        if (!Covers(m_current, s.position)) {
            ClearCache();
            Frame f = Land(s.position, Landing::Covering);
            if (f.picture)
                Present(f, now, false);
        } else if (!m_currentShown || s.out.viewSerial != m_shownViewSerial
                   || s.out.dewarpSerial != m_shownDewarpSerial) {
            // Shown again: to a surface just attached, or at the view just set, without decoding.
            Present(m_current, now, false);
        }
        return idle;
    }
    const auto wake = s.rate > 0 ? ForwardTick(s, now) : BackwardTick(s, now);
    return s.following ? std::min(wake, idle) : wake;
}
