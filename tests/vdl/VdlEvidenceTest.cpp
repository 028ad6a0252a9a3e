// Evidence-specific streams: encrypted, watermarked, cut short, corrupt, tagged, several cameras.
#include "VdlTestSupport.h"

#include "tools/sample/FrameStamp.h"
#include "vdl/vdl.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <atomic>
#include <mutex>
#include <random>
#include <thread>

using namespace std::chrono_literals;

namespace {

constexpr char kKey[] = "qa_halyards_5062";

QString EncryptedSample()
{
    return SamplePath("encrypted.mp4", [](SampleStreamOptions& o) {
        o.container = "mp4";
        o.encryptionKey = kKey;
        o.durationSeconds = 4;
    });
}

// Detaches a surface from a port when the scope ends, before the surface itself goes.
struct Attached {
    Attached(int32_t p, VDL_Surface* s) : port(p) { VDL_SetSurface(port, s); }
    ~Attached() { VDL_SetSurface(port, nullptr); }
    int32_t port;
};

struct Reports {
    std::mutex mutex; // guards list
    std::vector<VDL_WatermarkReport> list;
    static void Callback(int32_t, const VDL_WatermarkReport** report, void* user)
    {
        auto* self = static_cast<Reports*>(user);
        std::lock_guard<std::mutex> lock(self->mutex);
        self->list.push_back(**report);
    }
    std::vector<VDL_WatermarkReport> Take()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return list;
    }
};

// Plays an 8 s watermarked stream to its end, a second of the clock at a time, and returns the
// reports.
std::vector<VDL_WatermarkReport> PlayWatermarked(const QString& path, VDL_WatermarkStatusBlock* status = nullptr)
{
    Reports reports;
    SteppedClock clock;
    StampSurface surface;
    OpenPort open(path, nullptr, &clock);
    EXPECT_TRUE(open.opened);
    EXPECT_TRUE(VDL_SetWatermarkCallback(open.port, &Reports::Callback, &reports));
    EXPECT_TRUE(VDL_Play(open.port, surface.Handle()));
    for (int second = 1; second <= 8; ++second) {
        clock.Advance(1s);
        const int64_t frame = std::min(second * 25, 8 * 25 - 1);
        EXPECT_TRUE(WaitFor([&] { return surface.LastStamp() == frame; })) << frame;
    }
    if (status) {
        EXPECT_TRUE(VDL_GetWatermarkStatus(open.port, status));
    }
    VDL_Stop(open.port);
    return reports.Take();
}

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

QString WriteBytes(QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}

} // namespace

TEST(VdlEncryption, RightKeyPlaysWrongOrMissingKeyIsRefusedBeforePlay)
{
    {
        OpenPort open(EncryptedSample(), kKey);
        ASSERT_TRUE(open.opened) << VDL_GetErrorText(open.error);
        StampSurface surface;
        Attached attached(open.port, surface.Handle());
        ASSERT_TRUE(VDL_SeekPlayedTime(open.port, 2000));
        EXPECT_EQ(surface.LastStamp(), 50);
        VDL_StreamInfo info = {};
        ASSERT_TRUE(VDL_GetStreamInfo(open.port, &info));
        EXPECT_EQ(info.encrypted, 1);
    }
    {
        OpenPort open(EncryptedSample(), "qa_halyards_5063");
        EXPECT_FALSE(open.opened);
        EXPECT_EQ(open.error, VDL_ERR_KEY_WRONG);
    }
    {
        OpenPort open(EncryptedSample());
        EXPECT_FALSE(open.opened);
        EXPECT_EQ(open.error, VDL_ERR_KEY_MISSING);
    }
    // A key on a clear stream is not needed and does no harm.
    OpenPort clear(StandardSample(), kKey);
    EXPECT_TRUE(clear.opened);
}

TEST(VdlWatermark, IntactSealsAreReportedOnceASecondWithTheirRecord)
{
    const auto reports = PlayWatermarked(SamplePath("wm.mkv", [](SampleStreamOptions& o) {
        o.watermark = true;
        o.watermarkKey = kKey;
        o.durationSeconds = 8;
        o.serialNumber = 4711;
    }));
    ASSERT_GE(reports.size(), 7u);
    for (size_t i = 0; i < reports.size(); ++i) {
        const auto& r = reports[i];
        EXPECT_EQ(r.status, VDL_WATERMARK_INTACT) << i;
        EXPECT_EQ(r.serialNumber, 4711);
        EXPECT_EQ(r.channel, 1);
        EXPECT_EQ(r.mac[0], 0x00);
        EXPECT_EQ(r.mac[5], 0x56);
        // Records count from 0 a second apart; the first may have passed before the check.
        EXPECT_EQ(r.sequence, reports[0].sequence + i);
        EXPECT_EQ(r.packedTime, VDL_PackTime(2021, 1, 1, 0, 0, static_cast<int>(r.sequence)));
        EXPECT_EQ(r.playedMillis, static_cast<int64_t>(r.sequence) * 1000);
    }
}

TEST(VdlWatermark, BrokenSealAndMissingRecordsAreReported)
{
    const auto broken = PlayWatermarked(SamplePath("wm-broken.mkv", [](SampleStreamOptions& o) {
        o.watermark = true;
        o.watermarkKey = kKey;
        o.durationSeconds = 8;
        o.watermarkBreakSecond = 3;
    }));
    ASSERT_GE(broken.size(), 7u);
    for (const auto& r : broken)
        EXPECT_EQ(r.status, r.sequence == 3 ? VDL_WATERMARK_BROKEN : VDL_WATERMARK_INTACT) << r.sequence;

    const auto gap = PlayWatermarked(SamplePath("wm-gap.mkv", [](SampleStreamOptions& o) {
        o.watermark = true;
        o.watermarkKey = kKey;
        o.durationSeconds = 8;
        o.watermarkGapFrom = 2;
        o.watermarkGapTo = 6;
    }));
    int missing = 0;
    for (const auto& r : gap) {
        if (r.status == VDL_WATERMARK_MISSING) {
            ++missing;
            EXPECT_GT(r.playedMillis, 3000);
            EXPECT_LT(r.playedMillis, 6000);
        } else {
            EXPECT_EQ(r.status, VDL_WATERMARK_INTACT) << r.sequence; // the gap's frames are sealed by the next
        }
    }
    EXPECT_EQ(missing, 1);
}

QString WatermarkSample(const char* name, int breakSecond, int gapFrom, int gapTo, bool watermark = true)
{
    return SamplePath(name, [=](SampleStreamOptions& o) {
        o.watermark = watermark;
        o.watermarkKey = kKey;
        o.durationSeconds = 8;
        o.serialNumber = -4711;
        o.watermarkBreakSecond = breakSecond;
        o.watermarkGapFrom = gapFrom;
        o.watermarkGapTo = gapTo;
    });
}

// The clean, broken, gapped and unwatermarked streams, played by a port and scanned without
// decoding: both give the same state and counts.
TEST(VdlWatermark, StatusOfPlayedAndScannedStreamsAgree)
{
    struct Case {
        const char* name;
        QString path;
        int state;
        uint32_t failed;
        int64_t gapOver; // longest gap at least this
        size_t scanFailures; // failed records and MISSING reports the scan hands out
    };
    const Case cases[] = {
        {"clean", WatermarkSample("wm-s-clean.mkv", -1, 0, 0), VDL_WATERMARK_STATE_VERIFIED, 0, 900, 0},
        {"broken", WatermarkSample("wm-s-broken.mkv", 3, 0, 0), VDL_WATERMARK_STATE_BROKEN, 1, 900, 1},
        {"gap", WatermarkSample("wm-s-gap.mkv", -1, 2, 6), VDL_WATERMARK_STATE_MISSING, 0, 4000, 1},
        {"none", WatermarkSample("wm-s-none.mkv", -1, 0, 0, false), VDL_WATERMARK_STATE_MISSING, 0, 7000, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        VDL_WatermarkStatusBlock played = {};
        PlayWatermarked(c.path, &played);
        struct Failures {
            std::vector<VDL_WatermarkReport> list;
            static void Add(int32_t, const VDL_WatermarkReport** r, void* user)
            {
                static_cast<Failures*>(user)->list.push_back(**r);
            }
        } failures;
        VDL_WatermarkStatusBlock scanned = {};
        ASSERT_TRUE(VDL_ScanWatermark(c.path.toLocal8Bit().constData(), 0, nullptr, 0, 0, &scanned,
                                      &Failures::Add, &failures))
            << VDL_GetErrorText(VDL_GetLastError(0));
        for (const VDL_WatermarkStatusBlock& s : {played, scanned}) {
            EXPECT_EQ(s.state, c.state);
            EXPECT_EQ(s.recordsFailed, c.failed);
            EXPECT_GE(s.longestGapMillis, c.gapOver);
            if (c.state != VDL_WATERMARK_STATE_MISSING || c.gapOver < 7000) {
                EXPECT_TRUE(s.haveFirstRecord);
                EXPECT_EQ(s.serialNumber, -4711);
                EXPECT_EQ(s.mac[5], 0x56);
                EXPECT_EQ(s.channel, 1);
            } else {
                EXPECT_FALSE(s.haveFirstRecord);
                EXPECT_EQ(s.recordsSeen, 0u);
            }
        }
        EXPECT_EQ(failures.list.size(), c.scanFailures);
        if (c.failed) {
            EXPECT_EQ(scanned.firstFailureMillis, 3000);
            EXPECT_EQ(scanned.firstFailureTime, VDL_PackTime(2021, 1, 1, 0, 0, 3));
            EXPECT_EQ(failures.list[0].fault, VDL_WATERMARK_FAULT_SEAL);
            EXPECT_EQ(failures.list[0].sequence, 3u);
        }
    }
    // The whole stream: eight records, the gap's four seconds missing.
    VDL_WatermarkStatusBlock gap = {};
    ASSERT_TRUE(VDL_ScanWatermark(cases[2].path.toLocal8Bit().constData(), 0, nullptr, 0, 0, &gap, nullptr, nullptr));
    EXPECT_EQ(gap.recordsSeen, 4u);
    EXPECT_EQ(gap.gapFromMillis, 1000);
    EXPECT_EQ(gap.gapToMillis, 6000);
    EXPECT_EQ(gap.gapFromTime, VDL_PackTime(2021, 1, 1, 0, 0, 1));
    // A file that is no stream is refused.
    VDL_WatermarkStatusBlock none = {};
    EXPECT_FALSE(VDL_ScanWatermark("/nonexistent/file.video", 0, nullptr, 0, 0, &none, nullptr, nullptr));
}

// A record whose time is more than a second from its frame's is false; without a known wall clock
// (no creation time in the container, no origin given) times are not compared.
TEST(VdlWatermark, RecordTimesFarFromTheirFramesAreBroken)
{
    const QString path = SamplePath("wm-s-nocreation.mkv", [](SampleStreamOptions& o) {
        o.watermark = true;
        o.watermarkKey = kKey;
        o.durationSeconds = 4;
        o.writeCreationTime = false;
    });
    VDL_WatermarkStatusBlock s = {};
    ASSERT_TRUE(VDL_ScanWatermark(path.toLocal8Bit().constData(), 0, nullptr, 0, 1609459200, &s, nullptr, nullptr));
    EXPECT_EQ(s.state, VDL_WATERMARK_STATE_VERIFIED);
    ASSERT_TRUE(VDL_ScanWatermark(path.toLocal8Bit().constData(), 0, nullptr, 0, 1609459200 + 5, &s, nullptr, nullptr));
    EXPECT_EQ(s.state, VDL_WATERMARK_STATE_BROKEN);
    EXPECT_EQ(s.recordsFailed, s.recordsSeen);
    // Unknown origin: times are not compared.
    ASSERT_TRUE(VDL_ScanWatermark(path.toLocal8Bit().constData(), 0, nullptr, 0, 0, &s, nullptr, nullptr));
    EXPECT_EQ(s.state, VDL_WATERMARK_STATE_VERIFIED);
}

// A slow callback: removing it waits for a call in progress, and no call starts afterwards, so
// the caller may free what the callback uses as soon as the removal returns.
TEST(VdlWatermark, NoCallbackRunsAfterItsRemovalReturned)
{
    struct Slow {
        std::atomic<int> calls{0};
        std::atomic<bool> inside{false};
        std::atomic<bool> removed{false};
        std::atomic<int> callsAfterRemoval{0};
        static void Callback(int32_t, const VDL_WatermarkReport**, void* user)
        {
            auto* self = static_cast<Slow*>(user);
            if (self->removed)
                ++self->callsAfterRemoval;
            self->inside = true;
            ++self->calls;
            std::this_thread::sleep_for(300ms);
            self->inside = false;
        }
    } slow;
    SteppedClock clock;
    StampSurface surface;
    OpenPort open(SamplePath("wm.mkv", [](SampleStreamOptions& o) {
                      o.watermark = true;
                      o.watermarkKey = kKey;
                      o.durationSeconds = 8;
                      o.serialNumber = 4711;
                  }),
                  nullptr, &clock);
    ASSERT_TRUE(open.opened);
    ASSERT_TRUE(VDL_SetWatermarkCallback(open.port, &Slow::Callback, &slow));
    ASSERT_TRUE(VDL_Play(open.port, surface.Handle()));
    clock.Advance(2s);
    ASSERT_TRUE(WaitFor([&] { return slow.inside.load(); }));
    ASSERT_TRUE(VDL_SetWatermarkCallback(open.port, nullptr, nullptr));
    slow.removed = true;
    EXPECT_FALSE(slow.inside.load());
    const int calls = slow.calls;
    for (int second = 3; second <= 8; ++second)
        clock.Advance(1s);
    EXPECT_TRUE(WaitFor([&] { return surface.LastStamp() == 8 * 25 - 1; }));
    VDL_Stop(open.port);
    EXPECT_EQ(slow.calls.load(), calls);
    EXPECT_EQ(slow.callsAfterRemoval.load(), 0);
}

// The frame on screen and how often the surface was called, to show that a failure left both.
struct Screen {
    int64_t stamp;
    int64_t index;
    size_t count;
    bool operator==(const Screen&) const = default;
};
Screen ScreenOf(int32_t port, const StampSurface& surface)
{
    return {surface.LastStamp(), FrameIndex(port), surface.Count()};
}

int64_t IndexedFrames(int32_t port)
{
    VDL_StreamInfo info = {};
    EXPECT_TRUE(WaitFor([&] { return VDL_GetStreamInfo(port, &info) && info.indexReady; }));
    return info.frameCount;
}

TEST(VdlDamage, CutShortStreamPlaysToItsLastWholeFrameAndASeekPastTheCutFailsLeavingThePicture)
{
    QTemporaryDir dir;
    const QByteArray whole = ReadAll(StandardSample());
    const QString cut = WriteBytes(dir, "cut.video", whole.left(whole.size() * 6 / 10));
    SteppedClock clock;
    StampSurface surface;
    OpenPort open(cut, nullptr, &clock);
    ASSERT_TRUE(open.opened) << VDL_GetErrorText(open.error);
    Attached attached(open.port, surface.Handle());
    ASSERT_TRUE(VDL_SeekPlayedTime(open.port, 1000));
    ASSERT_EQ(surface.LastStamp(), 25);
    // Before the index knows where the frames end, and after: the same answer.
    for (int round = 0; round < 2; ++round) {
        for (int ms : {9000, 60000}) {
            const Screen before = ScreenOf(open.port, surface);
            EXPECT_FALSE(VDL_SeekPlayedTime(open.port, ms)) << ms;
            EXPECT_EQ(VDL_GetLastError(open.port), VDL_ERR_SEEK) << ms;
            EXPECT_EQ(ScreenOf(open.port, surface), before) << ms;
            EXPECT_EQ(VDL_GetPlayedMillis(open.port), 1000) << ms;
        }
        if (round == 0) {
            ASSERT_GT(IndexedFrames(open.port), 100);
        }
    }
    const int64_t last = IndexedFrames(open.port) - 1;
    EXPECT_LT(last, 200);
    // Playing runs to the last whole frame; a step beyond it fails and stays there.
    ASSERT_TRUE(VDL_Play(open.port, nullptr));
    for (int i = 0; i < 10 && surface.LastStamp() != last; ++i) {
        clock.Advance(1s);
        WaitFor([&] { return surface.LastStamp() >= std::min<int64_t>(last, 25 + 25 * (i + 1)); });
    }
    EXPECT_EQ(surface.LastStamp(), last);
    EXPECT_FALSE(VDL_StepForward(open.port));
    EXPECT_EQ(VDL_GetLastError(open.port), VDL_ERR_SEEK);
    EXPECT_EQ(surface.LastStamp(), last);
    EXPECT_TRUE(VDL_StepBackward(open.port));
    EXPECT_EQ(surface.LastStamp(), last - 1);
    EXPECT_TRUE(VDL_SeekPlayedTime(open.port, static_cast<int32_t>(last * 40)));
    EXPECT_EQ(surface.LastStamp(), last);
}

TEST(VdlDamage, SeekIntoADamagedTailFailsAndOneIntoAFileCutWhileOpenFailsAsARead)
{
    QTemporaryDir dir;
    const QByteArray whole = ReadAll(StandardSample());
    std::mt19937 random(3);
    QByteArray damaged = whole;
    for (int i = whole.size() / 2; i < whole.size(); ++i)
        damaged[i] = static_cast<char>(random());
    {
        StampSurface surface;
        OpenPort open(WriteBytes(dir, "tail.video", damaged));
        ASSERT_TRUE(open.opened);
        Attached attached(open.port, surface.Handle());
        ASSERT_TRUE(VDL_SeekPlayedTime(open.port, 2000));
        const Screen before = ScreenOf(open.port, surface);
        EXPECT_FALSE(VDL_SeekPlayedTime(open.port, 8000));
        EXPECT_EQ(VDL_GetLastError(open.port), VDL_ERR_SEEK);
        EXPECT_EQ(ScreenOf(open.port, surface), before);
        EXPECT_TRUE(VDL_SeekPlayedTime(open.port, 1000));
        EXPECT_EQ(surface.LastStamp(), 25);
    }
    // The file shrinks under the port (a share gone, an export overwritten): what can no longer
    // be read fails as a read; what was read before still shows.
    const QString path = WriteBytes(dir, "shrinking.video", whole);
    StampSurface surface;
    OpenPort open(path);
    ASSERT_TRUE(open.opened);
    Attached attached(open.port, surface.Handle());
    ASSERT_GT(IndexedFrames(open.port), 200);
    ASSERT_TRUE(VDL_SeekPlayedTime(open.port, 1000));
    ASSERT_TRUE(QFile::resize(path, whole.size() / 3));
    const Screen before = ScreenOf(open.port, surface);
    EXPECT_FALSE(VDL_SeekPlayedTime(open.port, 8000));
    EXPECT_EQ(VDL_GetLastError(open.port), VDL_ERR_READ);
    EXPECT_EQ(ScreenOf(open.port, surface), before);
    EXPECT_FALSE(VDL_SeekPlayedTime(open.port, 9000));
    EXPECT_EQ(VDL_GetLastError(open.port), VDL_ERR_READ);
}

TEST(VdlDamage, CorruptStreamsNeverCrashAndGarbageIsRefused)
{
    QTemporaryDir dir;
    std::mt19937 random(7);
    QByteArray noise(200000, 0);
    for (auto& c : noise)
        c = static_cast<char>(random());
    {
        OpenPort open(WriteBytes(dir, "noise.video", noise));
        EXPECT_FALSE(open.opened);
        EXPECT_EQ(open.error, VDL_ERR_FILE_OPEN);
    }
    {
        OpenPort open(WriteBytes(dir, "empty.video", QByteArray()));
        EXPECT_FALSE(open.opened);
    }
    // Damage in the middle: the rest still plays, seeks and steps.
    QByteArray damaged = ReadAll(StandardSample());
    for (int i = damaged.size() / 3; i < damaged.size() / 3 + 20000; ++i)
        damaged[i] = static_cast<char>(random());
    OpenPort open(WriteBytes(dir, "damaged.video", damaged));
    ASSERT_TRUE(open.opened);
    StampSurface surface;
    Attached attached(open.port, surface.Handle());
    for (int ms : {0, 3000, 3500, 4000, 8000, 9960}) {
        EXPECT_TRUE(VDL_SeekPlayedTime(open.port, ms));
        VDL_StepBackward(open.port);
        VDL_StepForward(open.port);
    }
    EXPECT_TRUE(VDL_SeekPlayedTime(open.port, 8000));
    EXPECT_EQ(surface.LastStamp(), 200);
    VDL_PlayBackward(open.port);
    std::this_thread::sleep_for(300ms);
}

TEST(VdlRegion, TagAndSectionsBehindTheStreamAreNeverRead)
{
    QTemporaryDir dir;
    const QByteArray stream = ReadAll(StandardSample());
    // A 6.2-style trailer: sections and tag behind the stream, tag start at -17.
    QByteArray file = stream + QByteArray(3000, '\x55') + QByteArray(500, 'T');
    const qint64 tagStart = stream.size() + 3000;
    QByteArray trailer;
    for (int s = 56; s >= 0; s -= 8)
        trailer.append(static_cast<char>(tagStart >> s));
    const quint32 length = 500 + 17;
    for (int s = 24; s >= 0; s -= 8)
        trailer.append(static_cast<char>(length >> s));
    trailer.append('\x06').append('\x02').append("TAG");
    file += trailer;
    OpenPort open(WriteBytes(dir, "tagged.video", file));
    ASSERT_TRUE(open.opened);
    StampSurface surface;
    Attached attached(open.port, surface.Handle());
    ASSERT_TRUE(VDL_SeekPlayedTime(open.port, 999999));
    EXPECT_EQ(surface.LastStamp(), 249);
    VDL_Stats stats = {};
    ASSERT_TRUE(VDL_GetStats(open.port, &stats));
    EXPECT_LE(stats.bytesRead, stream.size());
}

TEST(VdlStreams, EachPortPlaysTheCameraItSelected)
{
    const QString path = SamplePath("three.mkv", [](SampleStreamOptions& o) {
        o.cameraNames = {"Lobby", "Gate", "Yard"};
        o.durationSeconds = 3;
    });
    for (int camera = 0; camera < 3; ++camera) {
        int32_t port = 0;
        ASSERT_TRUE(VDL_AcquirePort(&port));
        ASSERT_TRUE(VDL_SelectStream(port, camera));
        ASSERT_TRUE(VDL_OpenFile(port, QFile::encodeName(path).constData()));
        VDL_StreamInfo info = {};
        ASSERT_TRUE(VDL_GetStreamInfo(port, &info));
        EXPECT_EQ(info.videoStreamCount, 3);
        EXPECT_EQ(info.selectedStream, camera);
        StampSurface surface;
        VDL_SetSurface(port, surface.Handle());
        ASSERT_TRUE(VDL_SeekPlayedTime(port, 1200));
        EXPECT_EQ(surface.LastStamp(), 30);
        VDL_SetSurface(port, nullptr);
        ASSERT_TRUE(VDL_ReleasePort(port));
    }
    int32_t port = 0;
    ASSERT_TRUE(VDL_AcquirePort(&port));
    ASSERT_TRUE(VDL_SelectStream(port, 3));
    EXPECT_FALSE(VDL_OpenFile(port, QFile::encodeName(path).constData()));
    EXPECT_EQ(VDL_GetLastError(port), VDL_ERR_NO_STREAM);
    ASSERT_TRUE(VDL_ReleasePort(port));
}

TEST(VdlClock, WithoutCreationTimeTheTagStartTimeIsTheOrigin)
{
    const QString path = SamplePath("nocreation.mkv", [](SampleStreamOptions& o) {
        o.writeCreationTime = false;
        o.durationSeconds = 3;
    });
    OpenPort open(path);
    ASSERT_TRUE(open.opened);
    ASSERT_TRUE(VDL_SetWallClockOrigin(open.port, 1622876889)); // 2021-06-05 07:08:09 UTC
    uint32_t start = 0, stop = 0;
    ASSERT_TRUE(VDL_GetFileTimeRange(open.port, &start, &stop, nullptr));
    EXPECT_EQ(start, VDL_PackTime(2021, 6, 5, 7, 8, 9));
    StampSurface surface;
    Attached attached(open.port, surface.Handle());
    ASSERT_TRUE(VDL_SeekWallClock(open.port, 2021, 6, 5, 7, 8, 11));
    EXPECT_EQ(surface.LastStamp(), 50);
    // A stream with creation_time keeps it: the tag does not override the container.
    OpenPort timed(StandardSample());
    ASSERT_TRUE(VDL_SetWallClockOrigin(timed.port, 1622876889));
    ASSERT_TRUE(VDL_GetFileTimeRange(timed.port, &start, &stop, nullptr));
    EXPECT_EQ(start, VDL_PackTime(2021, 1, 1, 0, 0, 0));
}

TEST(VdlClock, AnOriginSetWhilePlayingReachesThePicturesThatFollow)
{
    const QString path = SamplePath("nocreation.mkv", [](SampleStreamOptions& o) {
        o.writeCreationTime = false;
        o.durationSeconds = 3;
    });
    StampSurface surface;
    OpenPort open(path);
    ASSERT_TRUE(open.opened);
    Attached attached(open.port, surface.Handle());
    ASSERT_TRUE(VDL_Play(open.port, nullptr));
    // Allowed at any time: the port's thread takes it with the next piece of work.
    for (int i = 0; i < 40; ++i) {
        ASSERT_TRUE(VDL_SetWallClockOrigin(open.port, 1622876889 + i));
        std::this_thread::sleep_for(2ms);
    }
    ASSERT_TRUE(VDL_SetWallClockOrigin(open.port, 1700000000));
    const size_t count = surface.Count();
    ASSERT_TRUE(WaitFor([&] { return surface.Count() > count + 1; }));
    const VDL_Picture picture = surface.LastPicture();
    EXPECT_EQ(picture.wallClockMillis - picture.playedMillis, 1700000000000LL);
    VDL_FrameInfo info = {};
    ASSERT_TRUE(VDL_GetFrameInfo(open.port, &info));
    EXPECT_EQ(info.wallClockMillis - info.playedMillis, 1700000000000LL);
}

TEST(VdlSound, SoundCallsSucceedAndPlayAloneWithoutADevice)
{
    const QString path = SamplePath("audio.mkv", [](SampleStreamOptions& o) {
        o.audio = true;
        o.durationSeconds = 3;
    });
    SteppedClock clock;
    OpenPort open(path, nullptr, &clock);
    ASSERT_TRUE(open.opened);
    VDL_StreamInfo info = {};
    ASSERT_TRUE(VDL_GetStreamInfo(open.port, &info));
    EXPECT_EQ(info.hasAudio, 1);
    StampSurface surface;
    Attached attached(open.port, surface.Handle());
    ASSERT_TRUE(VDL_SoundOn(open.port));
    ASSERT_TRUE(VDL_SetVolume(open.port, 0x7FFF));
    EXPECT_FALSE(VDL_SetVolume(open.port, 0x10000));
    EXPECT_EQ(VDL_GetLastError(open.port), VDL_ERR_BAD_ARGUMENT);
    // Played time counts from the first video frame, whatever the audio's start.
    ASSERT_TRUE(VDL_SeekPlayedTime(open.port, 0));
    EXPECT_EQ(surface.LastStamp(), 0);
    EXPECT_EQ(VDL_GetPlayedMillis(open.port), 0);
    ASSERT_TRUE(VDL_SeekPlayedTime(open.port, 2000));
    EXPECT_EQ(surface.LastStamp(), 50);
    ASSERT_TRUE(VDL_Play(open.port, nullptr));
    clock.Advance(400ms);
    ASSERT_TRUE(WaitFor([&] { return surface.LastStamp() == 60; }));
    ASSERT_TRUE(VDL_SoundOff(open.port));
}

TEST(VdlContainers, OtherCodecsAndContainersSeekAndStepToTheFrame)
{
    const struct {
        const char* name;
        const char* codec;
        const char* container;
    } cases[] = {{"mpeg4.mkv", "mpeg4", "matroska"}, {"h264.ts", "h264", "mpegts"}, {"h264.mp4", "h264", "mp4"},
                 {"mpeg4.mp4", "mpeg4", "mp4"}};
    for (const auto& c : cases) {
        const QString path = SamplePath(c.name, [&](SampleStreamOptions& o) {
            o.codec = c.codec;
            o.container = c.container;
            o.durationSeconds = 6;
        });
        OpenPort open(path);
        ASSERT_TRUE(open.opened) << c.name << ": " << VDL_GetErrorText(open.error);
        StampSurface surface;
        Attached attached(open.port, surface.Handle());
        for (const auto& [ms, frame] : std::vector<std::pair<int, int64_t>>{{3040, 76}, {1000, 25}, {5999, 149}, {0, 0}}) {
            ASSERT_TRUE(VDL_SeekPlayedTime(open.port, ms));
            EXPECT_EQ(surface.LastStamp(), frame) << c.name << " seek " << ms;
        }
        ASSERT_TRUE(VDL_SeekPlayedTime(open.port, 2040));
        for (int64_t expected = 50; expected > 20; --expected) {
            ASSERT_TRUE(VDL_StepBackward(open.port));
            ASSERT_EQ(surface.LastStamp(), expected) << c.name;
        }
        ASSERT_TRUE(VDL_StepForward(open.port));
        EXPECT_EQ(surface.LastStamp(), 22) << c.name;
    }
}

TEST(VdlDamage, RandomlyDamagedStreamsOpenOrFailCleanly)
{
    QTemporaryDir dir;
    const QByteArray whole = ReadAll(SamplePath("short.mkv", [](SampleStreamOptions& o) { o.durationSeconds = 3; }));
    std::mt19937 random(12);
    for (int round = 0; round < 12; ++round) {
        QByteArray bytes = whole;
        switch (round % 3) {
        case 0: // flipped bytes all over
            for (int i = 0; i < 200; ++i)
                bytes[static_cast<int>(random() % bytes.size())] ^= static_cast<char>(1 + random() % 255);
            break;
        case 1: // cut anywhere, even inside the header
            bytes.truncate(static_cast<int>(random() % bytes.size()));
            break;
        default: // a block of zeros
            bytes.replace(static_cast<int>(random() % bytes.size()), 4096, QByteArray(4096, '\0'));
            break;
        }
        OpenPort open(WriteBytes(dir, QString("damaged-%1.video").arg(round), bytes));
        if (!open.opened) {
            EXPECT_NE(open.error, VDL_ERR_NONE);
            continue;
        }
        StampSurface surface;
        Attached attached(open.port, surface.Handle());
        VDL_SeekPlayedTime(open.port, 2500);
        VDL_StepBackward(open.port);
        VDL_StepForward(open.port);
        VDL_SeekPlayedTime(open.port, 99999);
        VDL_PlayBackward(open.port);
        VDL_Faster(open.port);
        std::this_thread::sleep_for(50ms);
        VDL_Play(open.port, nullptr);
        std::this_thread::sleep_for(50ms);
        std::vector<uint8_t> bmp(320 * 240 * 5);
        uint32_t used = 0;
        VDL_GetBmp(open.port, bmp.data(), static_cast<uint32_t>(bmp.size()), &used);
    }
}
