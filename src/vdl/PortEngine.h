#pragma once

#include "AudioOutput.h"
#include "FrameConverter.h"
#include "MediaSource.h"
#include "PlayClock.h"
#include "WatermarkChecker.h"
#include "vdl/vdl.h"

#include <deque>
#include <memory>
#include <string>
#include <vector>

struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct SwrContext;
class KeyframeIndex;
class Port;

// The decoding and presentation work of one port, run on the port's own thread only.
// Frames move forward through one look-ahead frame; backward steps and backward play take
// frames from a cache of at most two GOPs, decoded forward from their keyframe.
class PortEngine {
public:
    struct Frame {
        std::shared_ptr<AVFrame> picture;
        int64_t pts = 0;
        double ms = 0.0;
    };

    // Where pictures go: the surface and the view it shows.
    struct Output {
        VDL_Surface surface = {}; // present null: none attached
        SurfaceView view;
        uint64_t viewSerial = 0;  // changes with every view set
    };

    // What the port's thread hands over for one round of work.
    struct Snapshot {
        Output out;
        double position = 0.0; // played ms the clock shows now
        double rate = 0.0;     // 0 paused
        bool stopped = false;
        bool following = false;
        PlayClock clock;       // own clock, or the leader's mapped onto this stream
    };

    PortEngine(Port& port, const KeyframeIndex& index);
    ~PortEngine();
    PortEngine(const PortEngine&) = delete;
    PortEngine& operator=(const PortEngine&) = delete;

    // Returns VDL_ERR_*; fills the port's stream facts.
    int Open(const std::string& path, int64_t regionEnd, int ordinal, const std::string& keyHex,
             int threads, const uint8_t watermarkKey[16], VDL_StreamInfo* info, double* firstMs);

    // One round: presents what is due; returns when the next round is due.
    PlayClock::TimePoint Tick(const Snapshot& s);
    // Lands on the first frame at or after ms and presents it. Returns VDL_ERR_NONE, or
    // VDL_ERR_SEEK when the stream holds no such frame (it ends before its declared end, or
    // nothing there decodes) and VDL_ERR_READ when reading the stream failed on the way; then
    // the frame on screen stays. CurrentMs() is the played time on screen either way.
    int Seek(double ms, const Output& out);
    // Lands on the keyframe at or before ms and presents it, nothing decoded after it (scrubbing);
    // errors as Seek.
    int SeekKeyframe(double ms, const Output& out);
    // One frame forward (+1) or back (-1) from the frame on screen; errors as Seek. At the first
    // frame, and at the last of a stream that is whole, a step stays where it is.
    int Step(int direction, const Output& out);
    void Stop();
    // Shows the frame on screen again (a surface was attached).
    void Represent(const Output& out);
    // The next round presents the frame on screen again (another surface, or the same after Stop).
    void Unshow() { m_currentShown = false; }
    bool HasCurrent() const { return static_cast<bool>(m_current.picture); }
    double CurrentMs() const { return m_current.ms; }
    int64_t BytesRead() const { return m_source.BytesRead(); }
    // Played ms of a pts of the video stream (valid after Open).
    double MsOfPts(int64_t pts) const { return MsOf(pts); }
    // The stream's duration for its last frame's played time: never negative (a damaged stream's
    // last frame may be stamped before its first) and always a whole number of ms in range.
    static int64_t DurationOf(double lastMs);

private:
    enum class Landing { AtOrAfter, Covering };
    // Streams whose frames end within this of their declared end are whole.
    static constexpr double kWholeToleranceMs = 250.0;

    int DecodeNext(Frame& out);
    // Sound at normal forward speed, when it is on and a device exists; dropped otherwise.
    void HandleAudio(AVPacket* packet);
    void SeekDecoder(int64_t pts);
    // The frame for ms, or one without a picture when there is none (m_landError says why).
    Frame Land(double ms, Landing how);
    Frame Unreachable();
    // The frame a step lands on; VDL_ERR_* when there is none to take.
    int FrameAfter(Frame* next);
    int FrameBefore(Frame* previous);
    // The frames end well before the end the container declares: cut short or damaged.
    bool EndsEarly() const;
    // Reading the stream region failed since the decoder was last positioned.
    bool ReadFailed() const { return m_source.ReadFailures() > m_failuresAtSeek; }
    // The frames from the keyframe at or before limitMs up to it; *after gets the next one.
    std::vector<Frame> DecodeGopUpTo(double limitMs, Frame* after = nullptr);
    bool CacheFind(double t, Frame* out) const;
    void CacheInsertFront(std::vector<Frame> gop);
    void CacheTrim();
    void ClearCache();
    void PrefetchStep();
    bool Covers(const Frame& f, double t) const;
    void Present(const Frame& f, const Output& out, PlayClock::TimePoint due, bool timed);
    void SetSkipping(bool skip);
    void NoteEnd(double lastMs);
    double MsOf(int64_t pts) const;
    int64_t PtsOf(double ms) const;
    int64_t FrameIndexOf(const Frame& f) const;
    PlayClock::TimePoint ForwardTick(const Snapshot& s, PlayClock::TimePoint now);
    PlayClock::TimePoint BackwardTick(const Snapshot& s, PlayClock::TimePoint now);

    Port& m_port;
    const KeyframeIndex& m_index;
    MediaSource m_source;
    AVCodecContext* m_codec = nullptr;
    AVPacket* m_packet = nullptr;
    FrameConverter m_converter;
    WatermarkChecker m_watermark;
    bool m_watermarkOn = false;

    double m_tbMs = 1.0;       // one time base tick in ms
    int64_t m_startPts = 0;
    double m_periodMs = 40.0;
    double m_fps = 25.0;
    double m_lastMs = -1.0;    // known after the end was reached or the index is ready
    double m_declaredLastMs = -1.0; // the last frame by the container's duration; -1 unknown
    int64_t m_failuresAtSeek = 0; // the region's read failures when the decoder was last positioned
    int m_landError = 0;       // VDL_ERR_* of the last Land
    int m_readErrors = 0;
    bool m_draining = false;
    bool m_skipping = false;

    Frame m_current;           // on screen
    Frame m_lookahead;         // decoded, next in forward order
    bool m_coherent = false;   // the decoder's next frame follows m_current / m_lookahead
    bool m_currentShown = false;
    uint64_t m_shownViewSerial = 0; // the view the frame on screen was converted for
    std::deque<Frame> m_cache; // contiguous run of frames, ascending
    size_t m_cacheLimit = 100;

    struct Prefetch {
        bool active = false;
        bool seeked = false;
        double limitMs = 0.0;
        int64_t keyPts = 0;
        std::vector<Frame> frames;
    } m_prefetch;
    std::vector<VDL_WatermarkReport> m_reports;

    AVCodecContext* m_audioCodec = nullptr;
    SwrContext* m_resampler = nullptr;
    AVFrame* m_audioFrame = nullptr;
    std::unique_ptr<AudioOutput> m_audio;
    bool m_audioFailed = false;
    int m_audioChannels = 0;
};
