#include "FakeVdl.h"

#include "driver/KestraneDevice.h"
#include "evidence/DeviceTypes.h"
#include "evidence/EvidenceTime.h"
#include "evidence/FalException.h"
#include "evidence/MetadataSection.h"
#include "facade/FalFacade.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstring>

namespace {

struct EvidenceSpec {
    QString version = QStringLiteral("6.2");
    int deviceType = 1;
    QStringList names = {QStringLiteral("Door"), QStringLiteral("Till")};
    quint32 mask = 0x0B; // channels 0, 1, 3
    bool encrypted = false;
};

// A stream stand-in followed by a tag made with the evidence writer.
QString MakeEvidence(const QTemporaryDir& dir, const QString& name, const EvidenceSpec& laidOut)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, 'S'));
    file.close();
    FileTag tag;
    tag.SetDeviceType(laidOut.deviceType);
    tag.SetDeviceName(QStringLiteral("Front office"));
    tag.SetCameraNames(laidOut.names);
    tag.SetChannelMask(laidOut.mask);
    tag.SetStartTime(EvidenceTime::FromLocalFields({2021, 6, 5, 7, 8, 0, 0}));
    tag.SetEndTime(EvidenceTime::FromLocalFields({2021, 6, 5, 7, 9, 0, 0}));
    tag.SetEncrypted(laidOut.encrypted);
    tag.AppendTag(path, laidOut.version);
    return path;
}

std::string Message(const std::function<void()>& body)
{
    try {
        body();
    } catch (const FalException& e) {
        return e.Message().toStdString();
    }
    return "(no failure)";
}

VideoList Refs(const FalFacade::OwnedVideos& videos)
{
    VideoList list;
    for (const auto& v : videos) {
        list.push_back(v.get());
    }
    return list;
}

class FalFacadeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        FakeVdl::Get().Reset();
    }
    QTemporaryDir dir;
    FalFacade facade{&FakeVdl::Adapter()};
};

} // namespace

TEST_F(FalFacadeTest, OpenBuildsOneVideoPerChannelAndOpensEachWithTheDriver)
{
    const QString path = MakeEvidence(dir, QStringLiteral("a.video"), {});
    FalFacade::OwnedVideos videos = facade.OpenVideoFile(path, QStringLiteral("/export"));
    ASSERT_EQ(videos.size(), 3u);

    // Positions pick the names; the third position has none.
    EXPECT_EQ(videos[0]->GetCamera()->GetName(), QStringLiteral("Door"));
    EXPECT_EQ(videos[1]->GetCamera()->GetName(), QStringLiteral("Till"));
    EXPECT_EQ(videos[2]->GetCamera()->GetName(), QStringLiteral("Camera 3"));
    EXPECT_EQ(videos[2]->GetCamera()->GetChannel(), 3);

    Device* device = facade.CurrentDevice();
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device->GetDeviceType(), 1);
    EXPECT_EQ(device->GetName(), QStringLiteral("Front office"));
    EXPECT_EQ(device->GetStartTime(), EvidenceTime::FromLocalFields({2021, 6, 5, 7, 8, 0, 0}));
    for (const auto& v : videos) {
        EXPECT_EQ(v->GetCamera()->GetDevice(), device);
        EXPECT_EQ(v->GetVideoFile()->path, path);
        EXPECT_EQ(v->GetVideoFile()->sourceFolder, QStringLiteral("/export"));
        EXPECT_EQ(v->bookmarkCapable, 1);
        EXPECT_EQ(v->GetCamera()->Capabilities().flags, (std::array<uint8_t, 4>{1, 0, 0, 1}));
    }
    // One port per camera, each on its own stream of the file.
    const std::string calls = FakeVdl::Get().Calls();
    EXPECT_NE(calls.find("SelectStream(3,2)"), std::string::npos) << calls;
    EXPECT_EQ(facade.DriverCount(), 1u);

    // The alarm block: fourteen names, then the channel mask in host order.
    const auto& block = device->AlarmBlock();
    EXPECT_STREQ(reinterpret_cast<const char*>(block.data()), "AlaramIn1");
    EXPECT_STREQ(reinterpret_cast<const char*>(block.data() + 11 * 16), "AlaramIn12");
    EXPECT_STREQ(reinterpret_cast<const char*>(block.data() + 13 * 16), "AlaramOut2");
    quint32 mask = 0;
    std::memcpy(&mask, block.data() + 224, 4);
    EXPECT_EQ(mask, 0x0Bu);
}

TEST_F(FalFacadeTest, EveryVersionTheWriterTakesIsBookmarkCapable)
{
    for (const char* version : {"6.0", "6.1", "6.2", "7.1"}) {
        EvidenceSpec laidOut;
        laidOut.version = QString::fromLatin1(version);
        const QString path = MakeEvidence(dir, QStringLiteral("v%1.video").arg(version), laidOut);
        FalFacade::OwnedVideos videos = facade.OpenVideoFile(path, {});
        ASSERT_FALSE(videos.empty()) << version;
        EXPECT_EQ(videos.front()->bookmarkCapable, 1) << version;
    }
}

namespace {

QByteArray Bytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

std::shared_ptr<BookmarkRecord> Record(const QString& name, qint64 time, const QString& notes)
{
    auto r = std::make_shared<BookmarkRecord>();
    r->SetName(name);
    r->SetTime(time);
    r->SetNotes(notes);
    return r;
}

} // namespace

// The list goes into the named file only, as copies; the file last loaded keeps its bytes, and
// older tags come back upgraded while 7.1 stays 7.1.
TEST_F(FalFacadeTest, SaveBookmarksByPathWritesThatFileOnly)
{
    const qint64 t0 = EvidenceTime::FromLocalFields({2021, 6, 5, 7, 8, 10, 0});
    const BookmarkList list{Record(QStringLiteral("Entry"), t0, QStringLiteral("van arrives")),
                            Record(QStringLiteral("Sixteen_chars_ab"), t0 + 30, QString())};
    for (auto [version, written] : {std::pair{"6.0", "6.2"}, std::pair{"6.2", "6.2"}, std::pair{"7.1", "7.1"}}) {
        EvidenceSpec laidOut;
        laidOut.version = QString::fromLatin1(version);
        const QString loaded = MakeEvidence(dir, QStringLiteral("loaded%1.video").arg(version), laidOut);
        const QString target = MakeEvidence(dir, QStringLiteral("target%1.video").arg(version), laidOut);
        ASSERT_FALSE(facade.OpenVideoFile(loaded, {}).empty());
        const QByteArray loadedBefore = Bytes(loaded);

        facade.SaveBookmarks(target, list);

        FileTag back;
        ASSERT_TRUE(back.LoadFromFile(target)) << version;
        EXPECT_EQ(back.Version(), QString::fromLatin1(written)) << version;
        ASSERT_EQ(back.Bookmarks().size(), list.size()) << version;
        for (size_t i = 0; i < list.size(); ++i) {
            EXPECT_EQ(back.Bookmarks()[i]->Bytes(), list[i]->Bytes()) << version << " " << i;
        }
        EXPECT_EQ(Bytes(loaded), loadedBefore) << version;
        EXPECT_TRUE(facade.Tag().Bookmarks().empty()) << version;
    }
}

TEST_F(FalFacadeTest, SaveBookmarksRefusesWriteProtectedEvidenceUnchanged)
{
    const QString path = MakeEvidence(dir, QStringLiteral("sealed.video"), {});
    const QByteArray before = Bytes(path);
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    const BookmarkList list{Record(QStringLiteral("x"), 1, QString())};
    EXPECT_EQ(Message([&] { facade.SaveBookmarks(path, list); }),
              QStringLiteral("The file is write-protected: %1").arg(path).toStdString());
    EXPECT_EQ(Bytes(path), before);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);

    const QString plain = dir.filePath(QStringLiteral("plain.bin"));
    QFile f(plain);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(4096, 'S'));
    f.close();
    EXPECT_EQ(Message([&] { facade.SaveBookmarks(plain, list); }),
              QStringLiteral("No bookmark tag in %1").arg(plain).toStdString());
    EXPECT_EQ(Bytes(plain), QByteArray(4096, 'S'));
}

TEST_F(FalFacadeTest, FileWithoutTagOpensToNoVideosAlsoRightAfterOneWithATag)
{
    const QString tagged = MakeEvidence(dir, QStringLiteral("a.video"), {});
    const QString plain = dir.filePath(QStringLiteral("clip.mp4"));
    QFile f(plain);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(3 * 1024 * 1024, '\x11'));
    f.close();

    EXPECT_TRUE(facade.OpenVideoFile(plain, {}).empty());
    FalFacade::OwnedVideos first = facade.OpenVideoFile(tagged, {});
    ASSERT_EQ(first.size(), 3u);
    Device* device = facade.CurrentDevice();
    FakeVdl::Get().Clear();
    EXPECT_TRUE(facade.OpenVideoFile(plain, {}).empty());
    EXPECT_EQ(FakeVdl::Get().Calls(), "");
    // The earlier open's videos still play on their device.
    EXPECT_EQ(facade.CurrentDevice(), device);
    facade.PlayVideo(first[0].get());
    EXPECT_EQ(first[0]->playbackState, PlaybackState::Playing);
}

TEST_F(FalFacadeTest, DriverChoiceFollowsTheDeviceType)
{
    for (int type = 0; type <= DeviceTypes::kHighestType; ++type) {
        Device device;
        device.SetDeviceType(type);
        const bool supported = type != 0 && type != 23 && type != 35 && type != 37;
        if (supported) {
            auto driver = FalFacade::CreateDriver(&device, &FakeVdl::Adapter());
            EXPECT_NE(dynamic_cast<KestraneDevice*>(driver.get()), nullptr) << type;
        } else {
            EXPECT_EQ(Message([&] { FalFacade::CreateDriver(&device, &FakeVdl::Adapter()); }),
                      QStringLiteral("The device type (%1) is unsupported").arg(DeviceTypes::DisplayName(type)).toStdString())
                << type;
        }
    }

    EvidenceSpec laidOut;
    laidOut.deviceType = 35;
    const QString path = MakeEvidence(dir, QStringLiteral("logger.video"), laidOut);
    EXPECT_EQ(Message([&] { facade.OpenVideoFile(path, {}); }),
              QStringLiteral("The device type (%1) is unsupported").arg(DeviceTypes::DisplayName(35)).toStdString());
}

TEST_F(FalFacadeTest, PartialFilesGoToTheDriverOfTheModelInTheirName)
{
    const auto make = [&](const QString& name) {
        const QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(1024, 'S'));
        return path;
    };
    const QString known = make(QStringLiteral("front.%1.video.partial").arg(DeviceTypes::DisplayName(1)));
    const QString unknown = make(QStringLiteral("front.nomodel.VIDEO.PARTIAL"));
    const QString missing = dir.filePath(QStringLiteral("gone.video.partial"));

    EXPECT_EQ(Message([&] { facade.OpenVideoFile(known, {}); }), "Not implemented");
    EXPECT_EQ(Message([&] { facade.OpenVideoFile(unknown, {}); }), "The device type () is unsupported");
    EXPECT_EQ(Message([&] { facade.OpenVideoFile(missing, {}); }), ("Unable to open video file: " + missing).toStdString());
    // The temporary device's driver does not outlive the attempt.
    EXPECT_EQ(facade.DriverCount(), 0u);
}

TEST_F(FalFacadeTest, FailuresCarryTheFacadePrefixAroundTheDriverAndLibraryMessages)
{
    const QString path = MakeEvidence(dir, QStringLiteral("a.video"), {});
    FalFacade::OwnedVideos videos = facade.OpenVideoFile(path, {});
    ASSERT_FALSE(videos.empty());
    Video* v = videos.front().get();
    const qint64 inside = EvidenceTime::FromLocalFields({2021, 6, 5, 7, 8, 30, 0});

    struct Row {
        const char* failing;
        PlaybackState state;
        std::function<void()> call;
        std::string message;
    };
    const std::vector<Row> rows = {
        {"SeekWallClock", PlaybackState::Playing, [&] { facade.SeekVideo(v, inside); },
         "Couldn't Seek video. Error while Getting PlaybackSeek : SDK call failed: Cannot Seek LocalFile, "
         "VDL_SeekWallClock - 16"},
        {"PlayBackward", PlaybackState::Playing, [&] { facade.Rewind(v, 1.0f); },
         "Couldn't FastForward video. Error while Getting PlaybackRewind : Error while Getting Snapshot : SDK call "
         "failed: Cannot PlaybackRewindLocalFile, VDL_PlayBackward failed. - 16"},
        {"Faster", PlaybackState::Playing, [&] { facade.FastForward(v, 2.0f); },
         "Couldn't FastForward video. Error while Getting PlaybackFastForward : Error while Getting "
         "PlaybackFastForwardLocalFile : SDK call failed: Cannot PlaybackFastForwardLocal, VDL_Faster failed - 16"},
        {"StepBackward", PlaybackState::Paused, [&] { facade.FramePrevious(v); },
         "Couldn't Pause video. Error while Getting PlaybackFramePrevious : SDK call failed: Cannot Frame Backward "
         "LocalFile, VDL_StepBackward - 16"},
        {"StepForward", PlaybackState::Paused, [&] { facade.FrameNext(v); },
         "Couldn't Frame Next. Error while Getting PlaybackFrameNext : SDK call failed: Cannot FrameForward LocalFile, "
         "VDL_StepForward - 16"},
        {"Pause", PlaybackState::Playing, [&] { facade.PauseVideo(v); },
         "Couldn't Pause video. Error while Getting PlaybackPause : SDK call failed: Cannot Pause LocalFile, VDL_Pause - 16"},
        {"Play", PlaybackState::Paused, [&] { facade.ResumeVideo(v); },
         "Couldn't Resume video. Error while Getting PlaybackResume : SDK call failed: Cannot PlaybackPlayLocalFile, "
         "VDL_Play failed - 16"},
        {"Play", PlaybackState::Closed, [&] { facade.PlayVideo(v); },
         "Couldn't Play video. Error while Getting PlaybackPlayLocalFile : SDK call failed: Cannot "
         "PlaybackPlayLocalFile, VDL_Play failed - 16"},
        {"Play", PlaybackState::Closed, [&] { VideoList l{v}; facade.PlayVideos(&l); },
         "Couldn't play video. Error while Getting PlaybackPlayLocalFile : SDK call failed: Cannot "
         "PlaybackPlayLocalFile, VDL_Play failed - 16"},
        {"GetFrameClock", PlaybackState::Playing, [&] { facade.GetVideoTime(v); },
         "Couldn't Get Video Time Error while Getting VideoGetTime : SDK call failed: Cannot Get System Time, "
         "VDL_GetFrameClock failed - 16"},
        {"GetPictureSize", PlaybackState::Paused, [&] { facade.SaveSnapshot(v); },
         "Couldn't save snpshot Error while Getting Snapshot : SDK call failed: Cannot Get Sanpshot Size, "
         "VDL_GetPictureSize failed - 16"},
        {"SoundOn", PlaybackState::Playing, [&] { facade.SetAudio(v, true); },
         "Couldn't set Audio Error while Getting AudioInputEnable : SDK call failed: Cannot Enable Audio. VDL_SoundOn "
         "failed - 16"},
        {"SetSurface", PlaybackState::Playing, [&] { facade.SetRenderSurface(v, nullptr); },
         "Couldn't Set Render Surface Error while Getting SetRenderSurface : SDK call failed: Cannot "
         "SetRenderSurface, VDL_SetSurface failed - 16"},
        {"SetSurfaceView", PlaybackState::Playing, [&] { facade.SetRenderView(v, QRect(0, 0, 64, 48), QSize(32, 24)); },
         "Couldn't Set Render View Error while Getting SetRenderView : SDK call failed: Cannot SetRenderView, "
         "VDL_SetSurfaceView failed - 16"},
        {"GetStats", PlaybackState::Playing, [&] { facade.GetStats(v); },
         "Couldn't Get Stats Error while Getting GetStats : SDK call failed: Cannot GetStats, VDL_GetStats failed - 16"},
        {"GetStreamInfo", PlaybackState::Playing, [&] { facade.GetStreamInfo(v); },
         "Couldn't Get Stream Info Error while Getting GetStreamInfo : SDK call failed: Cannot GetStreamInfo, "
         "VDL_GetStreamInfo failed - 16"},
        {"GetWatermarkStatus", PlaybackState::Playing, [&] { facade.GetWatermarkStatus(v); },
         "Couldn't Get Watermark Status Error while Getting GetWatermarkStatus : SDK call failed: Cannot "
         "GetWatermarkStatus, VDL_GetWatermarkStatus failed - 16"},
        {"GetPictureSize", PlaybackState::Paused, [&] { facade.GetSnapshotAndFrame(v); },
         "Couldn't Get Snapshot And Frame Error while Getting SnapshotAndFrame : SDK call failed: Cannot Get Sanpshot "
         "Size, VDL_GetPictureSize failed - 16"},
    };
    for (const Row& row : rows) {
        FakeVdl::Get().failing.clear();
        FakeVdl::Get().Fail(row.failing, VDL_ERR_SEEK);
        v->playbackState = row.state;
        EXPECT_EQ(Message(row.call), row.message) << row.failing;
    }
}

TEST_F(FalFacadeTest, StopVideosClosesThemAndRetiresTheDriver)
{
    EXPECT_EQ(Message([&] { facade.StopVideos(nullptr); }), "Video array is null");
    EXPECT_EQ(Message([&] { facade.PlayVideos(nullptr); }), "Video array is null");

    const QString path = MakeEvidence(dir, QStringLiteral("a.video"), {});
    FalFacade::OwnedVideos videos = facade.OpenVideoFile(path, {});
    VideoList list = Refs(videos);
    facade.PlayVideos(&list);
    for (Video* v : list) {
        EXPECT_EQ(v->playbackState, PlaybackState::Playing);
    }
    FakeVdl::Get().Clear();
    facade.StopVideos(&list);
    EXPECT_EQ(FakeVdl::Get().Calls(), "GetWatermarkStatus(1) Stop(1) ReleasePort(1) GetWatermarkStatus(2) Stop(2) "
                                      "ReleasePort(2) GetWatermarkStatus(3) Stop(3) ReleasePort(3)");
    EXPECT_EQ(facade.DriverCount(), 0u);
    for (Video* v : list) {
        EXPECT_EQ(v->playbackState, PlaybackState::Closed);
    }
    EXPECT_EQ(Message([&] { facade.PlayVideos(&list); }), "Invalid device type");
    EXPECT_EQ(Message([&] { facade.StopVideos(&list); }), "Invalid device type");
}

TEST_F(FalFacadeTest, MetadataOperationsKeepTheirDefaultsWithLocalFiles)
{
    const QString path = MakeEvidence(dir, QStringLiteral("a.video"), {});
    FalFacade::OwnedVideos videos = facade.OpenVideoFile(path, {});
    Video* v = videos.front().get();
    FakeVdl::Get().Clear();

    auto config = facade.GetMetadataConfig(v);
    ASSERT_NE(config, nullptr);
    EXPECT_TRUE(config->empty());
    EXPECT_EQ(facade.GetLatLongData(v), nullptr);
    // Times past 32 bits reach the driver whole; the local-file driver neither draws nor answers.
    const qint64 late = (qint64{1} << 33) + 7;
    QImage strip(40, 10, QImage::Format_RGB32);
    strip.fill(Qt::white);
    QImage tooltip(5, 5, QImage::Format_RGB32);
    tooltip.fill(Qt::white);
    EXPECT_FALSE(facade.RenderMetadataTooltip(v, &tooltip, 1, 2, late));
    facade.MetadataPlay(v, *config, late - 60, late);
    facade.RenderMetadataFrame(v, &strip, late - 60, late, late - 30);
    facade.DisposeMetadataRenderer(v);
    EXPECT_EQ(strip.pixel(20, 5), QColor(Qt::white).rgb());
    EXPECT_EQ(tooltip.size(), QSize(5, 5));
    facade.RefreshVideoWindow(v);
    EXPECT_EQ(v->hasMetadata, 0);
    EXPECT_EQ(FakeVdl::Get().Calls(), "");

    // A device without a driver still answers with an empty configuration.
    Device unsupported;
    unsupported.SetDeviceType(23);
    Video orphan(std::make_unique<Camera>(&unsupported, 0));
    auto none = facade.GetMetadataConfig(&orphan);
    ASSERT_NE(none, nullptr);
    EXPECT_TRUE(none->empty());
    EXPECT_EQ(Message([&] { facade.GetLatLongData(&orphan); }), "The device type () is unsupported");
}

TEST_F(FalFacadeTest, DewarpPressHitTestsAndMoveOnlyDrags)
{
    const QString path = MakeEvidence(dir, QStringLiteral("fish.video"), {});
    FalFacade::OwnedVideos videos = facade.OpenVideoFile(path, QStringLiteral("/export"));
    ASSERT_FALSE(videos.empty());
    Video* fisheye = videos[0].get();
    fisheye->playbackState = PlaybackState::Playing;
    facade.DewarpPlay(fisheye, QStringLiteral("Panoramic 360"));
    FakeVdl::Get().Clear();

    facade.DewarpPositionStart(fisheye);
    EXPECT_TRUE(FakeVdl::Get().Called("DewarpViewAt"));
    EXPECT_FALSE(FakeVdl::Get().Called("DewarpSetParams"));
    FakeVdl::Get().Clear();
    facade.DewarpPositionSet(fisheye);
    EXPECT_FALSE(FakeVdl::Get().Called("DewarpViewAt"));
    EXPECT_TRUE(FakeVdl::Get().Called("DewarpSetParams"));

    FakeVdl::Get().Fail("DewarpEnable", 14);
    EXPECT_EQ(Message([&] { facade.DewarpPositionStart(fisheye); }),
              "Couldn't DewarpPositionSet SDK call failed: Cannot Enable Dewarp, VDL_DewarpEnable failed - 14");
}

TEST_F(FalFacadeTest, MetadataSectionAnswersOnlyUnderTheDeveloperOption)
{
    MetadataTrack track;
    track.settings.push_back({501, QStringLiteral("Door"), 0xFF0000FF, true});
    track.settings.push_back({2, QStringLiteral("Speed"), 0xFFFFFF00, false});
    for (int i = 0; i < 4; ++i) {
        MetadataSample s;
        s.kind = i == 2 ? 1 : 2; // kind 1 carries no vehicle position
        s.timeMillis = 1622876880000LL + 1000 * i;
        s.latitude = 51.5 + i * 0.001;
        s.longitude = -0.12;
        track.samples.push_back(s);
    }
    const QString path = dir.filePath(QStringLiteral("vehicle.video"));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(4096, 'S'));
    }
    FileTag tag;
    tag.SetDeviceType(1);
    tag.SetCameraNames({QStringLiteral("Cab")});
    tag.SetChannelMask(1);
    tag.SetStartTime(1622873280);
    tag.SetEndTime(1622873340);
    tag.SetMetadataSection(MetadataSection::kSectionId, MetadataSection::Encode(track));
    tag.AppendTag(path, QStringLiteral("6.2"));

    qunsetenv("PLOMERA_DEV_METADATA");
    {
        FalFacade plain{&FakeVdl::Adapter()};
        FalFacade::OwnedVideos videos = plain.OpenVideoFile(path, {});
        ASSERT_EQ(videos.size(), 1u);
        EXPECT_EQ(videos.front()->hasMetadata, 0);
        EXPECT_TRUE(plain.GetMetadataConfig(videos.front().get())->empty());
        EXPECT_EQ(plain.GetLatLongData(videos.front().get()), nullptr);
    }
    qputenv("PLOMERA_DEV_METADATA", "1");
    {
        FalFacade dev{&FakeVdl::Adapter()};
        FalFacade::OwnedVideos videos = dev.OpenVideoFile(path, {});
        ASSERT_EQ(videos.size(), 1u);
        Video* v = videos.front().get();
        EXPECT_EQ(v->hasMetadata, 1);
        auto config = dev.GetMetadataConfig(v);
        ASSERT_EQ(config->size(), 2u);
        EXPECT_EQ((*config)[0].id, 501);
        EXPECT_TRUE((*config)[0].display);
        EXPECT_EQ((*config)[0].colour, 0xFF0000FFu);
        EXPECT_EQ((*config)[1].name, QStringLiteral("Speed"));
        auto positions = dev.GetLatLongData(v);
        ASSERT_NE(positions, nullptr);
        ASSERT_EQ(positions->size(), 3u);
        EXPECT_DOUBLE_EQ((*positions)[2].latitude, 51.503);
        EXPECT_EQ((*positions)[2].time, 1622876883000LL);
        // A file without a section keeps the defaults under the option too.
        FalFacade::OwnedVideos plainVideos = dev.OpenVideoFile(MakeEvidence(dir, QStringLiteral("b.video"), {}), {});
        EXPECT_EQ(plainVideos.front()->hasMetadata, 0);
        EXPECT_TRUE(dev.GetMetadataConfig(plainVideos.front().get())->empty());
    }
    // A damaged section is named at open.
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        file.seek(4096);
        file.write("XXXX");
    }
    {
        FalFacade dev{&FakeVdl::Adapter()};
        EXPECT_NE(Message([&] { dev.OpenVideoFile(path, {}); }).find("does not begin with its mark"), std::string::npos);
    }
    qunsetenv("PLOMERA_DEV_METADATA");
}
