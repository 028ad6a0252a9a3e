#include "FakeVdl.h"

#include "driver/KestraneDevice.h"
#include "evidence/Device.h"
#include "evidence/EvidenceTime.h"
#include "evidence/FalException.h"
#include "evidence/Video.h"

#include <gtest/gtest.h>

#include <QtEndian>

namespace {

const uint32_t kFrameTime = VDL_PackTime(2021, 6, 5, 7, 8, 9);

struct Fixture {
    Device device;
    KestraneDevice driver{&device, &FakeVdl::Adapter()};
    std::vector<std::unique_ptr<Video>> videos;

    explicit Fixture(int deviceType = 1) { device.SetDeviceType(deviceType); }

    Video* AddVideo(int channel = 0, const QString& path = QStringLiteral("/evidence/a.video"), bool encrypted = false)
    {
        auto video = std::make_unique<Video>(std::make_unique<Camera>(&device, channel));
        auto file = std::make_unique<VideoFile>();
        file->path = path;
        file->encrypted = encrypted;
        file->startTime = EvidenceTime::FromLocalFields({2021, 6, 5, 7, 8, 0, 0});
        video->SetVideoFile(std::move(file));
        videos.push_back(std::move(video));
        return videos.back().get();
    }

    Video* Opened(PlaybackState state = PlaybackState::Closed)
    {
        Video* v = AddVideo();
        driver.PlaybackLocalFileOpen(v);
        v->playbackState = state;
        FakeVdl::Get().Clear();
        return v;
    }

    KestraneCameraData& Data(Video* v) { return *driver.CameraData(v->GetCamera()); }
};

class KestraneDeviceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        FakeVdl::Get().Reset();
        FakeVdl::Get().frameTime = kFrameTime;
        FakeVdl::Get().playedMillis = 4000;
    }
};

std::string Message(const std::function<void()>& body)
{
    try {
        body();
    } catch (const FalException& e) {
        return e.Message().toStdString();
    }
    return "(no failure)";
}

} // namespace

TEST_F(KestraneDeviceTest, OpenCallsTheLibraryInOrderAndMarksTheDeviceAndCameraCapabilities)
{
    FakeVdl::Get().fileStart = VDL_PackTime(2021, 6, 5, 7, 8, 0);
    FakeVdl::Get().fileStop = VDL_PackTime(2021, 6, 5, 7, 9, 0) & ~(0x0Fu << 22); // month 0: not a time
    Fixture f;
    Video* v = f.AddVideo();
    f.driver.PlaybackLocalFileOpen(v);

    EXPECT_EQ(FakeVdl::Get().Calls(),
              "AcquirePort() SetIndexReadyCallback(1) SyncToAudio(1,1) SelectStream(1,0) SetWallClockOrigin(1) "
              "OpenFile(1) GetFileTimeRange(1)");
    KestraneCameraData& data = f.Data(v);
    EXPECT_EQ(data.FileData().port, 1);
    EXPECT_EQ(data.video, v);
    EXPECT_EQ(data.FileData().startTime, EvidenceTime::FromLocalFields({2021, 6, 5, 7, 8, 0, 0}));
    EXPECT_EQ(data.FileData().endTime, 0);
    EXPECT_EQ(v->GetCamera()->Capabilities().flags, (std::array<uint8_t, 4>{1, 0, 0, 1}));
    for (int n = 1; n <= Device::kCapabilityCount; ++n) {
        EXPECT_EQ(f.device.GetCapability(n), n >= 2 && n <= 6 ? 1 : 0) << n;
    }
    // The driver never marks a video as opened: it stays closed until it plays.
    EXPECT_EQ(v->playbackState, PlaybackState::Closed);

    // The index-ready callback only raises the driver's flag.
    EXPECT_EQ(f.driver.FileReferenceFlag(), 0);
    FakeVdl::Get().indexReady(1, FakeVdl::Get().indexReadyUser);
    EXPECT_EQ(f.driver.FileReferenceFlag(), 1);

    // A name outside the recorders' code page still reaches the library as the file system spells it.
    Video* named = f.AddVideo(1, QStringLiteral("/evidence/Касса €.video"));
    f.driver.PlaybackLocalFileOpen(named);
    EXPECT_EQ(FakeVdl::Get().lastPath, "/evidence/Касса €.video");
}

TEST_F(KestraneDeviceTest, KeyIsSetOnlyForEncryptedFilesAndCamerasPickTheirStreamByPosition)
{
    Fixture f;
    Video* clear = f.AddVideo(0, "/e/a.video");
    f.driver.PlaybackLocalFileOpen(clear);
    EXPECT_FALSE(FakeVdl::Get().Called("SetStreamKey"));

    Video* c3 = f.AddVideo(3, "/e/b.video", true);
    Video* c5 = f.AddVideo(5, "/e/b.video", true);
    Video* c9 = f.AddVideo(9, "/e/b.video", true);
    FakeVdl::Get().Clear();
    for (Video* v : {c3, c5, c9}) {
        f.driver.PlaybackLocalFileOpen(v);
    }
    EXPECT_EQ(FakeVdl::Get().lastKey, "qa_halyards_5062");
    const std::string calls = FakeVdl::Get().Calls();
    EXPECT_NE(calls.find("SetStreamKey(2,1,128)"), std::string::npos);
    EXPECT_NE(calls.find("SelectStream(2,0)"), std::string::npos);
    EXPECT_NE(calls.find("SelectStream(3,1)"), std::string::npos);
    EXPECT_NE(calls.find("SelectStream(4,2)"), std::string::npos);
}

TEST_F(KestraneDeviceTest, StreamPositionDoesNotNeedEarlierVideosToStillExist)
{
    Fixture f;
    Video* first = f.AddVideo(2, "/e/b.video");
    f.driver.PlaybackLocalFileOpen(first);
    Video* next = f.AddVideo(4, "/e/b.video");
    f.videos.erase(f.videos.begin()); // the first tile closed and its video went
    FakeVdl::Get().Clear();
    f.driver.PlaybackLocalFileOpen(next);
    EXPECT_NE(FakeVdl::Get().Calls().find("SelectStream(2,1)"), std::string::npos) << FakeVdl::Get().Calls();
}

TEST_F(KestraneDeviceTest, OpenFailuresNameTheCallAndTheLibraryError)
{
    struct Row {
        const char* call;
        int error;
        const char* message;
    } rows[] = {
        {"AcquirePort", VDL_ERR_NO_FREE_PORT,
         "Error while Getting PlaybackLocalFileOpen : SDK call failed: Cannot PlaybackLocalFileOpen, VDL_AcquirePort failed - 2"},
        {"SetIndexReadyCallback", 1, "Error while Getting PlaybackLocalFileOpen : SDK call failed: VDL_SetIndexReadyCallback"},
        {"SetStreamKey", 10,
         "Error while Getting PlaybackLocalFileOpen : SDK call failed: Cannot PlaybackLocalFileOpen, VDL_SetStreamKey failed - 10"},
        {"SyncToAudio", 4,
         "Error while Getting PlaybackLocalFileOpen : SDK call failed: Cannot PlaybackLocalFileOpen, VDL_SyncToAudio failed - 4"},
        {"SelectStream", VDL_ERR_ALREADY_OPEN,
         "Error while Getting PlaybackLocalFileOpen : SDK call failed: Cannot PlaybackLocalFileOpen, VDL_SelectStream failed - 5"},
        {"SetWallClockOrigin", VDL_ERR_BAD_PORT,
         "Error while Getting PlaybackLocalFileOpen : SDK call failed: Cannot PlaybackLocalFileOpen, VDL_SetWallClockOrigin "
         "failed - 1"},
        {"OpenFile", 6,
         "Error while Getting PlaybackLocalFileOpen : SDK call failed: Cannot PlaybackLocalFileOpen, VDL_OpenFile failed - 6"},
        {"GetFileTimeRange", 4,
         "Error while Getting PlaybackLocalFileOpen : SDK call failed: Cannot Get File Time, VDL_GetFileTimeRange failed - 4"},
    };
    for (const Row& row : rows) {
        FakeVdl::Get().Reset();
        FakeVdl::Get().Fail(row.call, row.error);
        Fixture f;
        Video* v = f.AddVideo(0, "/e/a.video", true);
        EXPECT_EQ(Message([&] { f.driver.PlaybackLocalFileOpen(v); }), row.message) << row.call;
    }
}

TEST_F(KestraneDeviceTest, PortsOfCamerasNeverPlayedOrHalfOpenedAreGivenBackWithTheDriver)
{
    {
        Fixture f;
        f.Opened();                       // port 1, opened, never played
        FakeVdl::Get().Fail("OpenFile");  // port 2 fails half way
        Video* broken = f.AddVideo(1);
        EXPECT_THROW(f.driver.PlaybackLocalFileOpen(broken), FalException);
        FakeVdl::Get().failing.clear();
        FakeVdl::Get().Clear();
    }
    EXPECT_EQ(FakeVdl::Get().Calls(), "Stop(1) ReleasePort(1) ReleasePort(2)");

    // A closed video's port was given back already; the driver does not release it twice.
    FakeVdl::Get().Reset();
    {
        Fixture f;
        Video* v = f.Opened(PlaybackState::Playing);
        f.driver.VideoClose(v);
        // The port's watermark status is kept before the port goes.
        EXPECT_EQ(FakeVdl::Get().Calls(), "GetWatermarkStatus(1) Stop(1) ReleasePort(1)");
        EXPECT_EQ(v->playbackState, PlaybackState::Closed);
        FakeVdl::Get().Clear();
        f.driver.VideoClose(v); // closing a closed video calls nothing
        EXPECT_EQ(FakeVdl::Get().Calls(), "");
    }
    EXPECT_EQ(FakeVdl::Get().Calls(), "");
}

// A camera opened but never played holds its port until it is closed: the close gives it back at
// once (not only when the driver goes), and only once.
TEST_F(KestraneDeviceTest, ClosingANeverPlayedVideoGivesBackItsPortOnce)
{
    {
        Fixture f;
        Video* v = f.Opened();
        ASSERT_EQ(v->playbackState, PlaybackState::Closed);
        f.driver.VideoClose(v);
        EXPECT_EQ(FakeVdl::Get().Calls(), "Stop(1) ReleasePort(1)");
        EXPECT_FALSE(f.Data(v).FileData().portHeld);
        FakeVdl::Get().Clear();
        f.driver.VideoClose(v);
        EXPECT_EQ(FakeVdl::Get().Calls(), "");
        // A camera the driver never opened is left alone.
        Video* stranger = f.AddVideo(3);
        f.driver.VideoClose(stranger);
        EXPECT_EQ(FakeVdl::Get().Calls(), "");
    }
    EXPECT_EQ(FakeVdl::Get().Calls(), "");
}

// Each row: the state before, the request, what the library is asked, the state after.
TEST_F(KestraneDeviceTest, StateMachineRows)
{
    enum Op { Pause, Resume, FastForward, Rewind, Previous, Next, Play };
    const auto S = [](int s) { return static_cast<PlaybackState>(s); };
    struct Row {
        int state;
        bool reverse;
        float reverseSpeed;
        Op op;
        float speed;
        int32_t playedMillis;
        const char* calls;
        int stateAfter;
        int stepsAfter; // speed steps start at 1
    } rows[] = {
        {0, false, 1, Pause, 0, 0, "", 0, 1},
        {4, false, 1, Pause, 0, 0, "", 4, 1},
        {5, false, 1, Pause, 0, 0, "Pause(1,1)", 4, 1},
        {3, false, 1, Pause, 0, 0, "Play(1) Pause(1,1)", 4, 1},
        {2, true, 1, Pause, 0, 0, "GetFrameClock(1) GetFrameTime(1) SeekWallClock(1,2021,6,5,7,8,9) Play(1) Pause(1,1)", 4, 1},
        {7, false, 1, Pause, 0, 0, "Play(1) Pause(1,1)", 4, 1},
        {4, false, 1, Resume, 0, 0, "Play(1)", 5, 1},
        {2, true, 1, Resume, 0, 0, "GetFrameClock(1) GetFrameTime(1) SeekWallClock(1,2021,6,5,7,8,9) Play(1)", 5, 1},
        {5, false, 1, FastForward, 2, 4000, "GetPlayedMillis(1) Faster(1)", 3, 2},
        {3, false, 1, FastForward, 1, 4000, "GetPlayedMillis(1)", 3, 1},
        {3, false, 1, FastForward, 4, 4000, "GetPlayedMillis(1) Faster(1)", 3, 2},
        {3, false, 1, FastForward, 0.5f, 4000, "GetPlayedMillis(1) Play(1) SeekPlayedTime(1,4000)", 5, 1},
        {3, false, 1, FastForward, 0.5f, -1, "GetPlayedMillis(1) Play(1)", 5, 1},
        {2, true, 1, FastForward, 2, 4000, "GetPlayedMillis(1) Play(1)", 5, 1},
        {4, false, 1, FastForward, 2, 4000, "GetPlayedMillis(1) GetFrameClock(1) GetFrameTime(1) Play(1)", 5, 1},
        {7, false, 1, FastForward, 2, 4000, "GetPlayedMillis(1) GetFrameClock(1) GetFrameTime(1) Play(1)", 5, 1},
        {6, false, 1, FastForward, 2, 4000, "GetPlayedMillis(1)", 6, 1},
        {0, false, 1, FastForward, 2, 4000, "GetPlayedMillis(1)", 0, 1},
        {5, false, 1, Rewind, 1, 4000, "GetPlayedMillis(1) PlayBackward(1)", 2, 2},
        {4, false, 1, Rewind, 1, 4000, "GetPlayedMillis(1) PlayBackward(1)", 2, 2},
        {7, false, 1, Rewind, 1, 4000, "GetPlayedMillis(1) PlayBackward(1)", 2, 2},
        {3, false, 1, Rewind, 1, 4000, "GetPlayedMillis(1) Play(1) SeekPlayedTime(1,4000)", 5, 1},
        {2, true, 1, Rewind, 2, 4000, "GetPlayedMillis(1) Faster(1)", 2, 2},
        {2, true, 4, Rewind, 2, 4000, "GetPlayedMillis(1) PlayBackward(1) SeekPlayedTime(1,4000)", 2, 0},
        {6, false, 1, Rewind, 1, 4000, "GetPlayedMillis(1)", 6, 1},
        {5, false, 1, Previous, 0, 0, "GetFrameClock(1) GetFrameTime(1) StepBackward(1)", 6, 1},
        {2, true, 1, Previous, 0, 0,
         "GetFrameClock(1) GetFrameTime(1) SeekWallClock(1,2021,6,5,7,8,9) Play(1) StepBackward(1)", 6, 1},
        {4, false, 1, Next, 0, 0, "GetFrameClock(1) GetFrameTime(1) StepForward(1)", 7, 1},
        {2, true, 1, Next, 0, 0,
         "GetFrameClock(1) GetFrameTime(1) SeekWallClock(1,2021,6,5,7,8,9) Play(1) StepForward(1)", 7, 1},
        {0, false, 1, Play, 0, 0, "Play(1) SyncToAudio(1,1) EnableOverlays(1,1)", 5, 1},
    };
    int i = 0;
    for (const Row& row : rows) {
        FakeVdl::Get().Reset();
        FakeVdl::Get().frameTime = kFrameTime;
        FakeVdl::Get().playedMillis = row.playedMillis;
        if (row.playedMillis == -1) {
            FakeVdl::Get().Fail("GetPlayedMillis");
        }
        Fixture f;
        Video* v = f.Opened(S(row.state));
        f.Data(v).reverse = row.reverse;
        f.Data(v).reverseSpeed = row.reverseSpeed;
        switch (row.op) {
        case Pause: f.driver.PlaybackPause(v); break;
        case Resume: f.driver.PlaybackResume(v); break;
        case FastForward: f.driver.PlaybackFastForward(v, row.speed); break;
        case Rewind: f.driver.PlaybackRewind(v, row.speed); break;
        case Previous: f.driver.PlaybackFramePrevious(v); break;
        case Next: f.driver.PlaybackFrameNext(v); break;
        case Play: f.driver.PlaybackPlay(v); break;
        }
        SCOPED_TRACE("row " + std::to_string(i++));
        EXPECT_EQ(FakeVdl::Get().Calls(), row.calls);
        EXPECT_EQ(static_cast<int>(v->playbackState), row.stateAfter);
        EXPECT_EQ(v->speedSteps, row.stepsAfter);
        // Whatever ran, the forward speed the driver keeps is normal speed.
        EXPECT_EQ(f.Data(v).speed, 1.0f);
        if (row.op == Resume || row.op == Play || row.op == Previous || row.op == Next) {
            EXPECT_FALSE(f.Data(v).reverse);
        }
    }
}

TEST_F(KestraneDeviceTest, RewindRemembersTheReverseSpeedAndFastForwardListsShareOnePlayedTime)
{
    Fixture f;
    Video* v = f.Opened(PlaybackState::Playing);
    f.driver.PlaybackRewind(v, 1.0f);
    EXPECT_TRUE(f.Data(v).reverse);
    f.driver.PlaybackRewind(v, 4.0f);
    EXPECT_EQ(f.Data(v).reverseSpeed, 4.0f);
    // At the library's top speed the step up fails like every other call, and nothing changes.
    const int32_t steps = v->speedSteps;
    FakeVdl::Get().Fail("Faster", VDL_ERR_SPEED_LIMIT);
    EXPECT_EQ(Message([&] { f.driver.PlaybackRewind(v, 8.0f); }),
              "Error while Getting PlaybackRewind : Error while Getting Snapshot : SDK call failed: Cannot "
              "PlaybackRewindLocalFile, VDL_Faster failed - 15");
    EXPECT_EQ(f.Data(v).reverseSpeed, 4.0f);
    EXPECT_EQ(v->speedSteps, steps);
    EXPECT_EQ(v->playbackState, PlaybackState::Rewinding);
    FakeVdl::Get().failing.clear();

    Video* a = f.AddVideo(1);
    Video* b = f.AddVideo(2);
    f.driver.PlaybackLocalFileOpen(a);
    f.driver.PlaybackLocalFileOpen(b);
    a->playbackState = b->playbackState = PlaybackState::Playing;
    FakeVdl::Get().Clear();
    f.driver.PlaybackFastForward(VideoList{a, b}, 2.0f);
    EXPECT_EQ(FakeVdl::Get().Calls(), "GetPlayedMillis(2) Faster(2) Faster(3)");
}

// The viewer passes the speed step as the speed: pressed as the viewer presses, fast forward
// goes 1x, 2x, 3x, 4x and never stalls, and a rewind press while fast forwarding returns to
// normal speed in the library (a fresh play), not one step slower.
TEST_F(KestraneDeviceTest, NormalSpeedHasStepOneSoEveryFastForwardPressCounts)
{
    Fixture f;
    Video* v = f.Opened(PlaybackState::Paused);
    v->speedSteps = 4;  // left over from an earlier fast forward
    f.driver.PlaybackPlay(VideoList{v});
    EXPECT_EQ(v->speedSteps, 1);
    v->playbackState = PlaybackState::Paused;
    v->speedSteps = 3;
    const auto press = [&] { f.driver.PlaybackFastForward(v, static_cast<float>(v->speedSteps)); };
    press();
    EXPECT_EQ(v->playbackState, PlaybackState::Playing);
    EXPECT_EQ(v->speedSteps, 1);
    for (int step = 2; step <= 4; ++step) {
        FakeVdl::Get().Clear();
        press();
        EXPECT_EQ(FakeVdl::Get().Calls(), "GetPlayedMillis(1) Faster(1)") << step;
        EXPECT_EQ(v->playbackState, PlaybackState::FastForward);
        EXPECT_EQ(v->speedSteps, step);
    }
    FakeVdl::Get().Clear();
    f.driver.PlaybackRewind(v, static_cast<float>(v->speedSteps));
    EXPECT_EQ(FakeVdl::Get().Calls(), "GetPlayedMillis(1) Play(1) SeekPlayedTime(1,4000)");
    EXPECT_EQ(v->playbackState, PlaybackState::Playing);
    EXPECT_EQ(v->speedSteps, 1);
    press();
    EXPECT_EQ(v->speedSteps, 2);
}

TEST_F(KestraneDeviceTest, SeekByWallClockOrByPlayedTimeForType38)
{
    Fixture f;
    Video* v = f.Opened(PlaybackState::Playing);
    const qint64 start = v->GetVideoFile()->startTime;
    f.driver.PlaybackSeek(v, f.driver.NullTime());
    EXPECT_EQ(FakeVdl::Get().Calls(), "");
    f.driver.PlaybackSeek(v, start + 90);
    EXPECT_EQ(FakeVdl::Get().Calls(), "SeekWallClock(1,2021,6,5,7,9,30)");
    EXPECT_EQ(v->playbackState, PlaybackState::Playing);

    FakeVdl::Get().Reset();
    Fixture played(38);
    Video* p = played.Opened(PlaybackState::Paused);
    played.driver.PlaybackSeek(p, start + 90);
    EXPECT_EQ(FakeVdl::Get().Calls(), "SeekPlayedTime(1,90000)");
    // Beyond the library's 32-bit milliseconds the seek goes to the end, never wraps round.
    FakeVdl::Get().Clear();
    played.driver.PlaybackSeek(p, start + 30LL * 24 * 3600);
    EXPECT_EQ(FakeVdl::Get().Calls(), "SeekPlayedTime(1,2147483647)");
    EXPECT_EQ(p->playbackState, PlaybackState::Paused);

    FakeVdl::Get().Fail("SeekPlayedTime", VDL_ERR_SEEK);
    EXPECT_EQ(Message([&] { played.driver.PlaybackSeek(p, start + 1); }),
              "Error while Getting PlaybackSeek : SDK call failed: Cannot Seek LocalFile, VDL_SeekPlayedTime - 16");
}

TEST_F(KestraneDeviceTest, TimesComeFromTheFrameOnScreen)
{
    Fixture f;
    Video* v = f.Opened(PlaybackState::Playing);
    FakeVdl::Get().clockMillis = 360;
    FakeVdl::Get().playedSeconds = 17;
    const CalendarFields t = f.driver.VideoGetTime(v);
    EXPECT_EQ((std::vector<int>{t.year, t.month, t.day, t.hour, t.minute, t.second, t.millisecond}),
              (std::vector<int>{2021, 6, 5, 7, 8, 9, 360}));
    EXPECT_EQ(f.driver.VideoTime(v), 17);
    FakeVdl::Get().Fail("GetFrameClock", VDL_ERR_NO_PICTURE);
    EXPECT_EQ(Message([&] { f.driver.VideoGetTime(v); }),
              "Error while Getting VideoGetTime : SDK call failed: Cannot Get System Time, VDL_GetFrameClock failed - 12");
    // A step needs the time first: its failure stops the step.
    EXPECT_EQ(Message([&] { f.driver.PlaybackFrameNext(v); }),
              "Error while Getting PlaybackFrameNext : Error while Getting VideoGetTime : SDK call failed: Cannot Get "
              "System Time, VDL_GetFrameClock failed - 12");
    EXPECT_EQ(v->playbackState, PlaybackState::Playing);
}

TEST_F(KestraneDeviceTest, AudioSwitchesSoundAndSetsFullVolume)
{
    Fixture f;
    Video* v = f.Opened(PlaybackState::Playing);
    f.driver.AudioInputEnable(v, true);
    f.driver.AudioInputEnable(v, false);
    EXPECT_EQ(FakeVdl::Get().Calls(), "SoundOn(1) SetVolume(1,32767) SoundOff(1)");
    FakeVdl::Get().Fail("SoundOff", 4);
    EXPECT_EQ(Message([&] { f.driver.AudioInputEnable(v, false); }),
              "Error while Getting AudioInputEnable : SDK call failed: Cannot Disbale Audio. VDL_SoundOff failed - 4");
}

TEST_F(KestraneDeviceTest, VolumeReachesThePortAndFailureIsReported)
{
    Fixture f;
    Video* v = f.Opened(PlaybackState::Playing);
    // After a sound-on (which sets its own level) the caller's level is the one that stays.
    f.driver.AudioInputEnable(v, true);
    f.driver.SetAudioVolume(v, 40000);
    EXPECT_EQ(FakeVdl::Get().Calls(), "SoundOn(1) SetVolume(1,32767) SetVolume(1,40000)");
    FakeVdl::Get().Fail("SetVolume", 4);
    EXPECT_EQ(Message([&] { f.driver.SetAudioVolume(v, 1); }),
              "Error while Getting SetAudioVolume : SDK call failed: Cannot Set Audio Volume. VDL_SetVolume failed - 4");
}

TEST_F(KestraneDeviceTest, CameraNeverOpenedIsRefusedNotGuessed)
{
    Fixture f;
    Video* v = f.AddVideo();
    v->playbackState = PlaybackState::Playing;
    EXPECT_EQ(Message([&] { f.driver.PlaybackPause(v); }),
              "Error while Getting PlaybackPause : The camera was not opened by this driver");
    EXPECT_EQ(FakeVdl::Get().Calls(), "");
}

TEST_F(KestraneDeviceTest, WatermarkReportsAreFormattedAndOnlyTheLastInstalledPortIsPassedOn)
{
    Fixture f;
    Video* first = f.Opened(PlaybackState::Playing);
    first->title = QStringLiteral("Door");
    Video* second = f.AddVideo(1);
    second->title = QStringLiteral("Till");
    f.driver.PlaybackLocalFileOpen(second);

    std::vector<std::pair<QString, QString>> shown;
    auto handler = [&](const QString& title, const QString& text) { shown.emplace_back(title, text); };
    f.driver.SetWatermark(first, handler);
    VDL_WatermarkReport report{};
    report.packedTime = VDL_PackTime(2021, 6, 5, 7, 8, 9);
    report.serialNumber = 12345678;
    const uint8_t mac[6] = {0x00, 0x12, 0xab, 0x34, 0xcd, 0x56};
    std::copy(mac, mac + 6, report.mac);
    report.channel = 2;
    const VDL_WatermarkReport* p = &report;
    FakeVdl::Get().watermark(1, &p, FakeVdl::Get().watermarkUser);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].first, QStringLiteral("Watermark-Door"));
    EXPECT_EQ(shown[0].second, QStringLiteral(" Date and Time:  05-06-2021 07:08:09\r\n\n Serial Number:  12345678\r\n\n "
                                              "Channel:  2\r\n\n MAC Address:  00:12:ab:34:cd:56\r\n\n"));

    // The serial number is signed: a negative one is shown as such, not wrapped.
    report.serialNumber = -5;
    EXPECT_TRUE(KestraneDevice::WatermarkText(report).contains(QStringLiteral(" Serial Number:  -5\r\n")));

    f.driver.SetWatermark(second, handler);
    FakeVdl::Get().watermark(1, &p, FakeVdl::Get().watermarkUser);
    EXPECT_EQ(shown.size(), 1u);
    FakeVdl::Get().watermark(2, &p, FakeVdl::Get().watermarkUser);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1].first, QStringLiteral("Watermark-Till"));
}

TEST_F(KestraneDeviceTest, RenderSurfaceBecomesTheVideosWindowSoALaterPlayCannotReattachADetachedOne)
{
    Fixture f;
    Video* v = f.Opened(PlaybackState::Paused);
    VDL_Surface tile = {&f, [](void*, const VDL_Picture*) {}};
    f.driver.SetRenderSurface(v, &tile);
    EXPECT_EQ(FakeVdl::Get().Calls(), "SetSurface(1)");
    EXPECT_EQ(FakeVdl::Get().lastSurface, &tile);
    EXPECT_EQ(v->renderWindow, &tile);
    f.driver.PlaybackResume(v);
    EXPECT_EQ(FakeVdl::Get().lastSurface, &tile);

    f.driver.SetRenderSurface(v, nullptr); // the tile goes while its camera plays on
    EXPECT_EQ(FakeVdl::Get().lastSurface, nullptr);
    f.driver.PlaybackPause(v);
    f.driver.PlaybackResume(v);
    EXPECT_EQ(FakeVdl::Get().lastSurface, nullptr);
    EXPECT_EQ(v->renderWindow, nullptr);

    // A closed video has no port: only its window is forgotten.
    f.driver.SetRenderSurface(v, &tile);
    f.driver.VideoClose(v);
    FakeVdl::Get().Clear();
    f.driver.SetRenderSurface(v, nullptr);
    EXPECT_EQ(FakeVdl::Get().Calls(), "");
    EXPECT_EQ(v->renderWindow, nullptr);
}

TEST_F(KestraneDeviceTest, ViewStatsAndStreamFactsComeFromThePortAndFailInTheLayeredForm)
{
    Fixture f;
    Video* v = f.Opened(PlaybackState::Playing);
    f.driver.SetRenderView(v, QRect(10, 20, 300, 200), QSize(150, 100));
    f.driver.SetRenderView(v, QRect(), QSize(150, 100)); // no rectangle: the whole frame
    f.driver.SetRenderView(v, QRect(0, 0, 320, 240), QSize());
    EXPECT_EQ(FakeVdl::Get().Calls(),
              "SetSurfaceView(1,10,20,300,200,150,100) SetSurfaceView(1,0,0,0,0,0,0) SetSurfaceView(1,0,0,0,0,0,0)");
    FakeVdl::Get().stats.framesDecoded = 77;
    FakeVdl::Get().stats.framesPresented = 70;
    FakeVdl::Get().streamInfo.hasAudio = 1;
    FakeVdl::Get().streamInfo.width = 1280;
    FakeVdl::Get().streamInfo.frameRate = 12.5;
    EXPECT_EQ(f.driver.GetStats(v).framesDecoded, 77);
    EXPECT_EQ(f.driver.GetStats(v).framesPresented, 70);
    const VDL_StreamInfo info = f.driver.GetStreamInfo(v);
    EXPECT_EQ(info.hasAudio, 1);
    EXPECT_EQ(info.width, 1280);
    EXPECT_DOUBLE_EQ(info.frameRate, 12.5);

    const struct {
        const char* call;
        std::function<void()> body;
        const char* message;
    } rows[] = {
        {"SetSurface", [&] { f.driver.SetRenderSurface(v, nullptr); },
         "Error while Getting SetRenderSurface : SDK call failed: Cannot SetRenderSurface, VDL_SetSurface failed - 14"},
        {"SetSurfaceView", [&] { f.driver.SetRenderView(v, QRect(0, 0, 8, 8), QSize(8, 8)); },
         "Error while Getting SetRenderView : SDK call failed: Cannot SetRenderView, VDL_SetSurfaceView failed - 14"},
        {"GetStats", [&] { f.driver.GetStats(v); },
         "Error while Getting GetStats : SDK call failed: Cannot GetStats, VDL_GetStats failed - 14"},
        {"GetStreamInfo", [&] { f.driver.GetStreamInfo(v); },
         "Error while Getting GetStreamInfo : SDK call failed: Cannot GetStreamInfo, VDL_GetStreamInfo failed - 14"},
        {"GetBmpAndFrame", [&] { f.driver.SnapshotAndFrame(v); },
         "Error while Getting SnapshotAndFrame : SDK call failed: Cannot Get Bitmap, VDL_GetBmpAndFrame failed - 14"},
    };
    FakeVdl::Get().pictureWidth = 8;
    FakeVdl::Get().pictureHeight = 8;
    for (const auto& row : rows) {
        FakeVdl::Get().failing.clear();
        FakeVdl::Get().Fail(row.call, VDL_ERR_WRONG_STATE);
        EXPECT_EQ(Message(row.body), row.message) << row.call;
    }
}

// A camera's watermark status outlives its port: closing and reopening keeps the worst state, the
// counts and the first failure, so a broken stretch played once stays flagged.
TEST_F(KestraneDeviceTest, WatermarkStatusIsKeptThroughCloseAndReopen)
{
    Fixture f;
    Video* v = f.AddVideo();
    f.driver.PlaybackLocalFileOpen(v); // port 1
    v->playbackState = PlaybackState::Playing;
    VDL_WatermarkStatusBlock broken = KestraneCameraData::EmptyWatermark();
    broken.state = VDL_WATERMARK_STATE_BROKEN;
    broken.recordsSeen = 5;
    broken.recordsFailed = 1;
    broken.firstFailureMillis = 3000;
    broken.firstFailureTime = kFrameTime;
    broken.haveFirstRecord = 1;
    broken.serialNumber = -7;
    FakeVdl::Get().watermarkStatus[1] = broken;
    EXPECT_EQ(f.driver.GetWatermarkStatus(v).state, VDL_WATERMARK_STATE_BROKEN);

    f.driver.VideoClose(v);
    const VDL_WatermarkStatusBlock closed = f.driver.GetWatermarkStatus(v);
    EXPECT_EQ(closed.state, VDL_WATERMARK_STATE_BROKEN);
    EXPECT_EQ(closed.recordsSeen, 5u);

    f.driver.PlaybackLocalFileOpen(v); // port 2: a clean stretch of its own
    VDL_WatermarkStatusBlock clean = KestraneCameraData::EmptyWatermark();
    clean.state = VDL_WATERMARK_STATE_VERIFIED;
    clean.recordsSeen = 8;
    clean.longestGapMillis = 1000;
    clean.haveFirstRecord = 1;
    clean.serialNumber = 99;
    FakeVdl::Get().watermarkStatus[2] = clean;
    const VDL_WatermarkStatusBlock both = f.driver.GetWatermarkStatus(v);
    EXPECT_EQ(both.state, VDL_WATERMARK_STATE_BROKEN);
    EXPECT_EQ(both.recordsSeen, 13u);
    EXPECT_EQ(both.recordsFailed, 1u);
    EXPECT_EQ(both.firstFailureMillis, 3000);
    EXPECT_EQ(both.longestGapMillis, 1000);
    EXPECT_EQ(both.serialNumber, -7);

    FakeVdl::Get().Fail("GetWatermarkStatus", 14);
    EXPECT_EQ(Message([&] { f.driver.GetWatermarkStatus(v); }),
              "Error while Getting GetWatermarkStatus : SDK call failed: Cannot GetWatermarkStatus, "
              "VDL_GetWatermarkStatus failed - 14");
    Video* never = f.AddVideo(3);
    EXPECT_NE(Message([&] { f.driver.GetWatermarkStatus(never); }), "(no failure)");
}

// A following camera takes its leader's picture: the follow sets the offset, its surface and the
// leader in that order; its transport then keeps state and speed step without moving its port;
// letting go gives the port its transport again, and a close forgets the follow.
TEST_F(KestraneDeviceTest, AFollowingVideosTransportKeepsItsStateAndLeavesThePictureToTheLeader)
{
    Fixture f;
    Video* v = f.Opened(PlaybackState::Playing);
    VDL_Surface tile = {&f, [](void*, const VDL_Picture*) {}};
    v->renderWindow = &tile;
    f.driver.FollowVideo(v, 7, -1500);
    EXPECT_EQ(FakeVdl::Get().Calls(), "SetFollowOffset(1,-1500) SetSurface(1) FollowPort(1,7)");
    EXPECT_TRUE(f.driver.Follows(v));
    EXPECT_EQ(f.driver.FollowPortOf(v), 1);

    FakeVdl::Get().Clear();
    f.driver.PlaybackPause(v);
    EXPECT_EQ(v->playbackState, PlaybackState::Paused);
    f.driver.PlaybackFrameNext(v);
    f.driver.PlaybackFramePrevious(v);
    f.driver.PlaybackResume(v);
    f.driver.PlaybackFastForward(v, 2.0f);
    EXPECT_EQ(v->playbackState, PlaybackState::FastForward);
    f.driver.PlaybackSeek(v, v->GetVideoFile()->startTime + 10);
    for (const std::string& call : FakeVdl::Get().calls) {
        for (const char* moves : {"Play(", "Pause(", "Faster(", "Slower(", "PlayBackward(", "StepForward(",
                                  "StepBackward(", "SeekPlayedTime(", "SeekWallClock("}) {
            EXPECT_NE(call.rfind(moves, 0), 0u) << call;
        }
    }

    FakeVdl::Get().Clear();
    f.driver.FollowVideo(v, -1, 0);
    EXPECT_EQ(FakeVdl::Get().Calls(), "FollowPort(1,-1)");
    EXPECT_FALSE(f.driver.Follows(v));
    f.driver.PlaybackPause(v);
    EXPECT_TRUE(FakeVdl::Get().Called("Pause"));

    // A failed follow names the call, and the port keeps its own transport.
    FakeVdl::Get().Fail("FollowPort");
    EXPECT_NE(Message([&] { f.driver.FollowVideo(v, 7, 0); }).find("VDL_FollowPort"), std::string::npos);
    EXPECT_FALSE(f.driver.Follows(v));
    FakeVdl::Get().Reset();
    f.driver.FollowVideo(v, 7, 0);
    f.driver.VideoClose(v);
    EXPECT_FALSE(f.driver.Follows(v));
}
