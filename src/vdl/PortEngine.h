#pragma once

#include "AudioOutput.h"
#include "DecodedFrame.h"
#include "FrameConverter.h"
#include "MediaSource.h"
#include "PictureQueue.h"
#include "PlayClock.h"
#include "WatermarkChecker.h"
#include "WatermarkWatch.h"
#include "vdl/vdl.h"

#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct SwrContext;
class KeyframeIndex;
class DewarpSet;

// The decoding and presentation work of one port, run on the port's own thread, apart from
// SetClock and the reading of what it publishes. It learns what the port's callers want from a
// Snapshot handed to each call and tells them what it did through Published; it never reaches
// into the port.
// Playing forward, it decodes a few frames ahead into a PictureQueue, whose own thread converts
// and presents each when the clock reaches it. Everything else (seek, step, pause, backward,
// a surface or view changed) first takes the waiting frames back and presents on this thread.
// Backward steps and backward play take frames from a cache of at most two GOPs, decoded forward
// from their keyframe.
class PortEngine {
public:
    using Frame = DecodedFrame;

    // Where pictures go: the surface and the view it shows.
    struct Output {
        VDL_Surface surface = {}; // present null: none attached
        SurfaceView view;
        uint64_t viewSerial = 0;  // changes with every view set
        uint64_t dewarpSerial = 0; // changes with every change of the dewarp views
    };

    // What the port's callers want, copied under the port's mutex for every call of the engine.
    struct Snapshot {
        Output out;
        double position = 0.0; // played ms the clock shows now
        double rate = 0.0;     // 0 paused
        bool stopped = false;
        bool following = false;
        PlayClock clock;       // own clock, or the leader's mapped onto this stream
        int64_t originMillis = 0; // wall clock (UTC ms) of played time 0
        bool soundWanted = false; // sound on, playing forward at 1x
        int volume = 0x7FFF;
        WatermarkWatch* watermark = nullptr; // the port's: where reports go (null: nowhere)
    };

    // What the engine tells the port's callers. Written on the port's thread, read by any
    // thread through Report and ScreenFrame; guarded by the engine's publishing mutex.
    struct Published {
        bool haveScreen = false; // a frame was presented since the open or the last stop
        double screenMs = 0.0;   // played time of the frame on screen
        int64_t screenIndex = 0;
        VDL_Stats stats = {};
        double lastMs = -1.0;    // played time of the last frame, once the end is known
    };

    // room: called on the queue's thread when a picture left the queue (the port's thread may
    // decode another).
    // dewarp: the port's views, fed every frame presented (outlives the engine).
    PortEngine(int portNumber, const KeyframeIndex& index, DewarpSet* dewarp, std::function<void()> room);
    ~PortEngine();
    PortEngine(const PortEngine&) = delete;
    PortEngine& operator=(const PortEngine&) = delete;

    // Returns VDL_ERR_*; fills the port's stream facts, and *creationMillis with the container's
    // creation_time (UTC ms), or -1 when it has none.
    int Open(const std::string& path, int64_t regionEnd, int ordinal, const std::string& keyHex,
             int threads, const uint8_t watermarkKey[16], VDL_StreamInfo* info, int64_t* creationMillis);

    // The port's own clock, whenever it changes (any thread): pictures waiting are presented by
    // it. A follower's clock comes with its Snapshot instead.
    void SetClock(const PlayClock& clock) { m_queue->SetClock(clock); }
    // The wall-clock origin, whenever it changes (any thread).
    void SetOrigin(int64_t utcMillis) { m_queue->SetOrigin(utcMillis); }

    // A copy of what is published; with frame, also a reference to the frame on screen (false
    // when there is none).
    Published Report() const;
    bool ScreenFrame(AVFrame* frame, Published* report) const;

    // One round: presents what is due; returns when the next round is due.
    PlayClock::TimePoint Tick(const Snapshot& s);
    // Lands on the first frame at or after ms and presents it. Returns VDL_ERR_NONE, or
    // VDL_ERR_SEEK when the stream holds no such frame (it ends before its declared end, or
    // nothing there decodes) and VDL_ERR_READ when reading the stream failed on the way; then
    // the frame on screen stays. CurrentMs() is the played time on screen either way.
    int Seek(double ms, const Snapshot& s);
    // Lands on the keyframe at or before ms and presents it, nothing decoded after it (scrubbing);
    // errors as Seek.
    int SeekKeyframe(double ms, const Snapshot& s);
    // One frame forward (+1) or back (-1) from the frame on screen; errors as Seek. At the first
    // frame, and at the last of a stream that is whole, a step stays where it is.
    int Step(int direction, const Snapshot& s);
    // Nothing on screen until the port plays again.
    void Stop();
    // The next round presents the frame on screen again (another surface, or the same after
    // Stop); the old surface is not called once this returns.
    void Unshow();
    // Played time of the frame on screen (after a seek or step: where it landed).
    double CurrentMs() const { return m_current.ms; }
    // Played ms of a pts of the video stream (valid after Open; thread-safe from then on).
    double MsOfPts(int64_t pts) const { return MsOf(pts); }
    // The stream's duration for its last frame's played time: never negative (a damaged stream's
    // last frame may be stamped before its first) and always a whole number of ms in range.
    static int64_t DurationOf(double lastMs);

private:
    enum class Landing { AtOrAfter, Covering };
    // Streams whose frames end within this of their declared end are whole.
    static constexpr double kWholeToleranceMs = 250.0;

    int DecodeNext(Frame& out);
    // The next frame in decoding order: one given back by the queue, else a new one.
    int NextDecoded(Frame& out);
    // Takes the waiting pictures back: the frame on screen becomes m_current again and the
    // frames never shown come next in decoding order.
    void Drain();
    // An entry of the queue for f, to the surface and view of the call in progress.
    void Fill(PictureQueue::Picture* slot, const Frame& f);
    VDL_Picture Describe(const Frame& f, int64_t index) const;
    // On the queue's thread: what it presented.
    void OnQueuePresented(const PictureQueue::Picture& picture, double lateMillis, int64_t dropped);
    // The published frame on screen's played time, or otherwise when there is none.
    double ScreenMs(double otherwise) const;
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
    void Present(const Frame& f, PlayClock::TimePoint due, bool timed);
    // Counters under the publishing mutex.
    template <typename Change>
    void Publish(Change change);
    void SetSkipping(bool skip);
    void NoteEnd(double lastMs);
    double MsOf(int64_t pts) const;
    // Now on the port's time source.
    PlayClock::TimePoint Now() const { return m_wanted.clock.Now(); }
    int64_t PtsOf(double ms) const;
    int64_t FrameIndexOf(const Frame& f) const;
    PlayClock::TimePoint ForwardTick(const Snapshot& s, PlayClock::TimePoint now);
    PlayClock::TimePoint BackwardTick(const Snapshot& s, PlayClock::TimePoint now);

    const int m_portNumber;
    const KeyframeIndex& m_index;
    DewarpSet* const m_dewarp;
    Snapshot m_wanted;         // the Snapshot of the call in progress
    mutable std::mutex m_publishMutex; // guards m_published and m_screenFrame
    Published m_published;
    AVFrame* m_screenFrame = nullptr; // the frame on screen, as decoded (snapshots convert it)
    MediaSource m_source;
    AVCodecContext* m_codec = nullptr;
    AVPacket* m_packet = nullptr;
    FrameConverter m_converter; // this thread's while nothing waits in the queue, else the queue's
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

    // The last frame handed on: on screen, or the newest waiting in the queue while it plays.
    Frame m_current;
    Frame m_shown;             // on screen, as far as this thread presented or drained it
    std::deque<Frame> m_pending; // decoded, next in forward order before the decoder's own
    bool m_coherent = false;   // the next frame in decoding order follows m_current
    bool m_currentShown = false;
    uint64_t m_shownViewSerial = 0; // the view the frame on screen was converted for
    uint64_t m_shownDewarpSerial = 0; // the dewarp views the frame on screen was rendered for
    bool m_queued = false;     // pictures went to the queue since it was last drained
    uint64_t m_queuedViewSerial = 0;
    std::deque<Frame> m_cache; // contiguous run of frames, ascending
    size_t m_cacheLimit = 300; // frames, until the index knows the longest GOP

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

    // Last: its thread calls back into the members above, so it goes first.
    std::unique_ptr<PictureQueue> m_queue;
};
