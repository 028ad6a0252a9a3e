// The whole road on real sample evidence: tag, facade, driver, decoding library, picture.
#include "driver/FrameSurface.h"
#include "driver/VdlLibrary.h"
#include "evidence/EvidenceTime.h"
#include "evidence/FalException.h"
#include "facade/FalFacade.h"
#include "tools/PlayCommand.h"
#include "tools/ToolCommand.h"
#include "tools/sample/FrameStamp.h"
#include "tools/sample/SampleMaker.h"
#include "tools/sample/SampleStreamWriter.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>
#include <chrono>
#include <functional>
#include <thread>

namespace {

constexpr int kFps = 25;

bool WaitUntil(const std::function<bool()>& condition, int millis = 5000)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(millis);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

int64_t Stamp(const QImage& image)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    return FrameStamp::Read(rgb.constBits(), rgb.width(), rgb.height(), static_cast<int>(rgb.bytesPerLine()));
}

class RealPlaybackTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        folder = new QTemporaryDir;
        SampleEvidenceOptions single;
        single.durationSeconds = 8;
        single.width = 320;
        single.height = 240;
        single.fps = kFps;
        single.gop = 25;
        singleFile = SampleMaker::Make(folder->filePath("single"), single).value(0);
        SampleEvidenceOptions three = single;
        three.durationSeconds = 4;
        three.cameras = 3;
        three.channelsPerFile = 3;
        threeFile = SampleMaker::Make(folder->filePath("three"), three).value(0);
        SampleEvidenceOptions encrypted = single;
        encrypted.durationSeconds = 3;
        encrypted.encrypted = true;
        encryptedFile = SampleMaker::Make(folder->filePath("encrypted"), encrypted).value(0);
    }
    static void TearDownTestSuite()
    {
        delete folder;
        folder = nullptr;
    }

    struct Played {
        std::vector<std::unique_ptr<FrameSurface>> surfaces;
        FalFacade facade;
        FalFacade::OwnedVideos videos;
        VideoList list;

        explicit Played(const QString& path)
        {
            videos = facade.OpenVideoFile(path, QFileInfo(path).absolutePath());
            for (const auto& v : videos) {
                surfaces.push_back(std::make_unique<FrameSurface>());
                v->renderWindow = surfaces.back()->Handle();
                list.push_back(v.get());
            }
        }
        ~Played()
        {
            try {
                facade.StopVideos(&list);
            } catch (const FalException&) {
            }
        }
    };

    static QTemporaryDir* folder;
    static QString singleFile;
    static QString threeFile;
    static QString encryptedFile;
};

QTemporaryDir* RealPlaybackTest::folder = nullptr;
QString RealPlaybackTest::singleFile;
QString RealPlaybackTest::threeFile;
QString RealPlaybackTest::encryptedFile;

} // namespace

TEST_F(RealPlaybackTest, TheBuiltLibraryHasEveryCallOfTheTable)
{
    const VdlAdapter& table = VdlLibrary::Adapter();
#define PLOMERA_CHECK_ENTRY(name) EXPECT_NE(table.name, nullptr) << #name;
    PLOMERA_VDL_CALLS(PLOMERA_CHECK_ENTRY)
#undef PLOMERA_CHECK_ENTRY
    EXPECT_STRNE(table.GetErrorText(VDL_ERR_BAD_PORT), "");
}

TEST_F(RealPlaybackTest, TransportThroughTheFacade)
{
    Played p(singleFile);
    ASSERT_EQ(p.videos.size(), 1u);
    Video* v = p.list.front();
    FrameSurface& surface = *p.surfaces.front();
    const qint64 start = v->GetVideoFile()->startTime;

    p.facade.PlayVideos(&p.list);
    EXPECT_EQ(v->playbackState, PlaybackState::Playing);
    ASSERT_TRUE(surface.WaitForPresented(3, 5000));

    p.facade.PauseVideo(v);
    EXPECT_EQ(v->playbackState, PlaybackState::Paused);
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    const int64_t paused = surface.PresentedCount();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(surface.PresentedCount(), paused);

    p.facade.ResumeVideo(v);
    EXPECT_EQ(v->playbackState, PlaybackState::Playing);
    EXPECT_TRUE(surface.WaitForPresented(paused + 3, 5000));

    // Speed steps: up, up, an equal request changes nothing, a slower one returns to normal.
    p.facade.FastForward(v, 2.0f);
    EXPECT_EQ(v->playbackState, PlaybackState::FastForward);
    EXPECT_EQ(v->speedSteps, 2);
    p.facade.FastForward(v, 4.0f);
    EXPECT_EQ(v->speedSteps, 3);
    p.facade.FastForward(v, 1.0f);
    EXPECT_EQ(v->speedSteps, 3);
    p.facade.FastForward(v, 0.5f);
    EXPECT_EQ(v->playbackState, PlaybackState::Playing);
    EXPECT_EQ(v->speedSteps, 1);

    // Backwards: the frames on screen count down.
    ASSERT_TRUE(WaitUntil([&] { return surface.LastFrameIndex() > 30; }));
    p.facade.Rewind(v, 1.0f);
    EXPECT_EQ(v->playbackState, PlaybackState::Rewinding);
    const int64_t before = surface.LastFrameIndex();
    EXPECT_TRUE(WaitUntil([&] { return surface.LastFrameIndex() < before - 2; })) << before;

    // Pausing a rewind resumes forward play first, then pauses.
    p.facade.PauseVideo(v);
    EXPECT_EQ(v->playbackState, PlaybackState::Paused);

    // Seek: the frame stamp proves where it landed; the time shown is that second exactly.
    p.facade.SeekVideo(v, start + 3);
    EXPECT_EQ(v->playbackState, PlaybackState::Paused);
    EXPECT_EQ(Stamp(p.facade.SaveSnapshot(v)), 3 * kFps);
    const CalendarFields shown = p.facade.GetVideoTime(v);
    EXPECT_EQ(EvidenceTime::FromLocalFields(shown), start + 3);
    EXPECT_EQ(shown.millisecond, 0);
    EXPECT_EQ(p.facade.GetPlayedTime(v), 3);

    p.facade.FrameNext(v);
    EXPECT_EQ(v->playbackState, PlaybackState::SteppedForward);
    EXPECT_EQ(Stamp(p.facade.SaveSnapshot(v)), 3 * kFps + 1);
    EXPECT_EQ(p.facade.GetVideoTime(v).millisecond, 1000 / kFps);
    p.facade.FramePrevious(v);
    EXPECT_EQ(v->playbackState, PlaybackState::SteppedBack);
    const QImage snapshot = p.facade.SaveSnapshot(v);
    EXPECT_EQ(snapshot.size(), QSize(320, 240));
    EXPECT_EQ(Stamp(snapshot), 3 * kFps);

    p.facade.SetAudio(v, true);
    p.facade.SetAudio(v, false);

    p.facade.CloseVideo(v);
    EXPECT_EQ(v->playbackState, PlaybackState::Closed);
    // The released port answers with the library's own error code, inside every layer's text.
    try {
        p.facade.SeekVideo(v, start + 1);
        FAIL() << "a closed video cannot seek";
    } catch (const FalException& e) {
        EXPECT_EQ(e.Message().toStdString(),
                  "Couldn't Seek video. Error while Getting PlaybackSeek : SDK call failed: Cannot Seek LocalFile, "
                  "VDL_SeekWallClock - " + std::to_string(VDL_ERR_BAD_PORT));
    }
}

TEST_F(RealPlaybackTest, TilesSwapSurfacesSetViewsAndReadCountersThroughTheFacade)
{
    Played p(singleFile);
    ASSERT_EQ(p.videos.size(), 1u);
    Video* v = p.list.front();
    const VDL_StreamInfo info = p.facade.GetStreamInfo(v);
    EXPECT_EQ(info.width, 320);
    EXPECT_EQ(info.height, 240);
    EXPECT_DOUBLE_EQ(info.frameRate, kFps);
    EXPECT_EQ(info.hasAudio, 0);

    p.facade.PlayVideos(&p.list);
    ASSERT_TRUE(p.surfaces.front()->WaitForPresented(3, 5000));
    // Another surface while playing: the old one is not called after the swap returns.
    FrameSurface tile;
    p.facade.SetRenderSurface(v, tile.Handle());
    const int64_t old = p.surfaces.front()->PresentedCount();
    ASSERT_TRUE(tile.WaitForPresented(3, 5000));
    EXPECT_EQ(p.surfaces.front()->PresentedCount(), old);
    p.facade.SetRenderView(v, QRect(0, 0, 160, 120), QSize(80, 60));
    EXPECT_TRUE(WaitUntil([&] { return tile.LastImage().size() == QSize(80, 60); }));

    // Paused, the view changes without decoding; the snapshot and its frame belong together.
    p.facade.PauseVideo(v);
    p.facade.SeekVideo(v, v->GetVideoFile()->startTime + 2);
    const int64_t decoded = p.facade.GetStats(v).framesDecoded;
    EXPECT_GT(decoded, 0);
    p.facade.SetRenderView(v, QRect(), QSize());
    EXPECT_TRUE(WaitUntil([&] { return tile.LastImage().size() == QSize(320, 240); }));
    EXPECT_EQ(p.facade.GetStats(v).framesDecoded, decoded);
    const SnapshotFrame shot = p.facade.GetSnapshotAndFrame(v);
    EXPECT_EQ(Stamp(shot.image), 2 * kFps);
    EXPECT_EQ(shot.frame.frameIndex, 2 * kFps);
    EXPECT_EQ(shot.frame.playedMillis, 2000);
    p.facade.SetRenderSurface(v, nullptr); // before the tile goes
}

TEST_F(RealPlaybackTest, SeekPastTheCutOfACutShortExportFailsInEveryLayersWordsAndKeepsThePicture)
{
    // A recording cut short with its tag still behind it: the stream's header promises 8 s.
    SampleStreamOptions o;
    o.width = 320;
    o.height = 240;
    o.gop = 25;
    o.durationSeconds = 8;
    o.startUtc = 1622876880;
    o.threads = 1;
    const QString whole = folder->filePath("whole.mkv");
    SampleStreamWriter::Write(whole, o);
    QFile in(whole);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    const QByteArray stream = in.readAll();
    const QString path = folder->filePath("cut.video");
    QFile out(path);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(stream.left(stream.size() / 2));
    out.close();
    FileTag tag;
    tag.SetDeviceType(1);
    tag.SetCameraNames({QStringLiteral("Gate")});
    tag.SetChannelMask(1);
    tag.SetStartTime(o.startUtc);
    tag.SetEndTime(o.startUtc + 8);
    tag.AppendTag(path, QStringLiteral("6.2"));

    Played p(path);
    ASSERT_EQ(p.videos.size(), 1u);
    Video* v = p.list.front();
    p.facade.PlayVideos(&p.list);
    ASSERT_TRUE(p.surfaces.front()->WaitForPresented(1, 5000));
    p.facade.PauseVideo(v);
    p.facade.SeekVideo(v, o.startUtc + 1);
    const int64_t shown = p.surfaces.front()->LastFrameIndex();
    ASSERT_EQ(shown, kFps);
    try {
        p.facade.SeekVideo(v, o.startUtc + 7);
        FAIL() << "there is no picture past the cut";
    } catch (const FalException& e) {
        EXPECT_EQ(e.Message().toStdString(),
                  "Couldn't Seek video. Error while Getting PlaybackSeek : SDK call failed: Cannot Seek LocalFile, "
                  "VDL_SeekWallClock - " + std::to_string(VDL_ERR_SEEK));
    }
    EXPECT_EQ(p.surfaces.front()->LastFrameIndex(), shown);
    EXPECT_EQ(Stamp(p.facade.SaveSnapshot(v)), kFps);
    EXPECT_EQ(p.facade.GetPlayedTime(v), 1);
}

TEST_F(RealPlaybackTest, ThreeChannelsOfOneFileEachPlayTheirOwnStream)
{
    Played p(threeFile);
    ASSERT_EQ(p.videos.size(), 3u);
    p.facade.PlayVideos(&p.list);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(p.list[i]->GetCamera()->GetName(), QStringLiteral("Camera %1").arg(i + 1));
        EXPECT_TRUE(p.surfaces[i]->WaitForPresented(2, 5000)) << i;
        p.facade.PauseVideo(p.list[i]);
        p.facade.SeekVideo(p.list[i], p.list[i]->GetVideoFile()->startTime + 2);
        EXPECT_EQ(Stamp(p.facade.SaveSnapshot(p.list[i])), 2 * kFps) << i;
    }
}

TEST_F(RealPlaybackTest, EncryptedFilePlaysWithTheStreamKey)
{
    Played p(encryptedFile);
    ASSERT_EQ(p.videos.size(), 1u);
    ASSERT_TRUE(p.list.front()->GetVideoFile()->encrypted);
    p.facade.PlayVideos(&p.list);
    ASSERT_TRUE(p.surfaces.front()->WaitForPresented(2, 5000));
    p.facade.PauseVideo(p.list.front());
    p.facade.SeekVideo(p.list.front(), p.list.front()->GetVideoFile()->startTime + 1);
    EXPECT_EQ(Stamp(p.facade.SaveSnapshot(p.list.front())), kFps);
}

TEST_F(RealPlaybackTest, PlayCommandWritesThePictureOfTheSoughtSecond)
{
    const QString out = folder->filePath("seek.png");
    FalFacade probe;
    FalFacade::OwnedVideos videos = probe.OpenVideoFile(singleFile, {});
    ASSERT_FALSE(videos.empty());
    CalendarFields t;
    ASSERT_TRUE(EvidenceTime::ToLocalFields(videos.front()->GetVideoFile()->startTime + 5, t));
    VideoList list{videos.front().get()};
    probe.StopVideos(&list);

    const QString when = QString::asprintf("%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
    QString printed;
    QString messages;
    QTextStream printedStream(&printed);
    QTextStream messageStream(&messages);
    auto play = [&](const QStringList& args) { return PlayCommand::Command().Run(args, printedStream, messageStream); };
    ASSERT_EQ(play({singleFile, QStringLiteral("--seek"), when, QStringLiteral("--snapshot"), out}), 0)
        << messages.toStdString();
    QImage written(out);
    ASSERT_FALSE(written.isNull());
    EXPECT_EQ(Stamp(written), 5 * kFps);

    EXPECT_TRUE(printed.contains(QStringLiteral("index: %1\n").arg(5 * kFps))) << printed.toStdString();

    EXPECT_EQ(play({singleFile, QStringLiteral("--seek"), QStringLiteral("soon")}), 64);
    EXPECT_EQ(play({folder->filePath("missing.video")}), 1);
}

// Two opens of one recording, each its own driver: the follower shows the leader's frame (plus its
// offset) through pause, seek and step, and its own transport only keeps its state meanwhile.
TEST_F(RealPlaybackTest, AFollowerOfAnotherFilesCameraShowsTheLeadersFrame)
{
    FalFacade facade;
    FrameSurface leaderSurface;
    FrameSurface followerSurface;
    FalFacade::OwnedVideos first = facade.OpenVideoFile(singleFile, QFileInfo(singleFile).absolutePath());
    FalFacade::OwnedVideos second = facade.OpenVideoFile(singleFile, QFileInfo(singleFile).absolutePath());
    ASSERT_EQ(first.size(), 1u);
    ASSERT_EQ(second.size(), 1u);
    Video* leader = first.front().get();
    Video* follower = second.front().get();
    leader->renderWindow = leaderSurface.Handle();
    follower->renderWindow = followerSurface.Handle();
    facade.PlayVideo(leader);
    facade.PlayVideo(follower);
    ASSERT_TRUE(leaderSurface.WaitForPresented(3, 5000));
    facade.FollowVideo(follower, leader, 0);
    facade.PauseVideo(leader);
    facade.SeekVideo(leader, leader->GetVideoFile()->startTime + 3);
    EXPECT_TRUE(WaitUntil([&] { return Stamp(followerSurface.LastImage()) == 3 * kFps; }));
    facade.FrameNext(leader);
    EXPECT_TRUE(WaitUntil([&] { return Stamp(followerSurface.LastImage()) == 3 * kFps + 1; }));
    // The follower's own transport moves nothing while it follows.
    facade.SeekVideo(follower, follower->GetVideoFile()->startTime + 6);
    facade.PauseVideo(follower);
    EXPECT_EQ(follower->playbackState, PlaybackState::Paused);
    QThread::msleep(100);
    EXPECT_EQ(Stamp(followerSurface.LastImage()), 3 * kFps + 1);
    facade.FollowVideo(follower, leader, 1000);
    EXPECT_TRUE(WaitUntil([&] { return Stamp(followerSurface.LastImage()) == 4 * kFps + 1; }));
    // Let go, it seeks on its own again.
    facade.FollowVideo(follower, nullptr, 0);
    facade.SeekVideo(follower, follower->GetVideoFile()->startTime + 6);
    EXPECT_TRUE(WaitUntil([&] { return Stamp(followerSurface.LastImage()) == 6 * kFps; }));
    // Each file's driver stops its own cameras.
    VideoList leaders{leader};
    VideoList followers{follower};
    facade.StopVideos(&followers);
    facade.StopVideos(&leaders);
}
