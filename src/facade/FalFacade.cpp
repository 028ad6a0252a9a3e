#include "facade/FalFacade.h"

#include "driver/KestraneMetadataDevice.h"
#include "evidence/MetadataSection.h"

#include "driver/KestraneDevice.h"
#include "evidence/DeviceTypes.h"
#include "evidence/FalException.h"

#include <QFile>
#include <cstring>
#include <optional>

namespace {

const char* const kAlarmNames[FalFacade::kAlarmNameCount] = {
    "AlaramIn1", "AlaramIn2",  "AlaramIn3",  "AlaramIn4",  "AlaramIn5",  "AlaramIn6",  "AlaramIn7",
    "AlaramIn8", "AlaramIn9",  "AlaramIn10", "AlaramIn11", "AlaramIn12", "AlaramOut1", "AlaramOut2",
};

// Puts the failure below into this operation's prefix, in place of its %s.
template <typename Body>
auto Wrapped(const char* prefix, Body body) -> decltype(body())
{
    try {
        return body();
    } catch (const FalException& e) {
        const QString text = QString::fromLatin1(prefix);
        const qsizetype at = text.indexOf(QLatin1String("%s"));
        throw FalException(text.left(at) + e.Message() + text.mid(at + 2));
    }
}

bool HasLocalFileDriver(int type)
{
    return (type >= 1 && type <= 22) || (type >= 24 && type <= 34) || type == 36 || (type >= 38 && type <= 40);
}

const VideoList& Checked(const VideoList* videos)
{
    if (videos == nullptr) {
        throw FalException(QStringLiteral("Video array is null"));
    }
    return *videos;
}

} // namespace

FalFacade::FalFacade(const VdlAdapter* vdl) : vdl_(vdl)
{
    for (int i = 0; i < kAlarmNameCount; ++i) {
        std::strncpy(reinterpret_cast<char*>(alarmNames_.data() + i * kAlarmNameSize), kAlarmNames[i],
                     kAlarmNameSize);
    }
}

// Drivers go first: they give their decoder ports back and refer to the devices.
FalFacade::~FalFacade()
{
    if (currentDevice_) {
        RemoveDriver(currentDevice_.get());
    }
    drivers_.clear();
    currentDevice_.reset();
    earlierDevices_.clear();
}

bool FalFacade::MetadataOption()
{
    const QByteArray value = qgetenv("PLOMERA_DEV_METADATA");
    return value == "1" || value == "map";
}

bool FalFacade::MetadataMapOption()
{
    return qgetenv("PLOMERA_DEV_METADATA") == "map";
}

std::unique_ptr<FileDriver> FalFacade::CreateDriver(Device* device, const VdlAdapter* vdl)
{
    const int type = device->GetDeviceType();
    if (!HasLocalFileDriver(type)) {
        throw FalException(QStringLiteral("The device type (%1) is unsupported").arg(DeviceTypes::DisplayName(type)));
    }
    try {
        return std::make_unique<KestraneDevice>(device, vdl);
    } catch (const FalException&) {
        throw;
    } catch (const std::exception&) {
        throw FalException(QStringLiteral("Unable to get the required File driver"));
    }
}

FileDriver* FalFacade::DriverOf(const Device* device) const
{
    const auto it = drivers_.find(device);
    return it == drivers_.end() ? nullptr : it->second.get();
}

FileDriver& FalFacade::DriverFor(Device* device)
{
    if (FileDriver* driver = DriverOf(device)) {
        return *driver;
    }
    auto created = CreateDriver(device, vdl_);
    FileDriver& driver = *created;
    drivers_.emplace(device, std::move(created));
    return driver;
}

FileDriver& FalFacade::DriverFor(Video* video)
{
    if (video == nullptr || video->GetCamera() == nullptr || video->GetCamera()->GetDevice() == nullptr) {
        throw FalException(QStringLiteral("Invalid device type"));
    }
    return DriverFor(video->GetCamera()->GetDevice());
}

FileDriver& FalFacade::ExistingDriverFor(Video* video) const
{
    FileDriver* driver = nullptr;
    if (video != nullptr && video->GetCamera() != nullptr) {
        driver = DriverOf(video->GetCamera()->GetDevice());
    }
    if (driver == nullptr) {
        throw FalException(QStringLiteral("Invalid device type"));
    }
    return *driver;
}

void FalFacade::RemoveDriver(const Device* device)
{
    drivers_.erase(device);
}

void FalFacade::CopyAlarmBlock(Device& device) const
{
    auto& block = device.AlarmBlock();
    std::memcpy(block.data(), alarmNames_.data(), kAlarmNamesSize);
    const quint32 mask = tag_.ChannelMask();
    std::memcpy(block.data() + kAlarmNamesSize, &mask, sizeof mask);
}

FalFacade::OwnedVideos FalFacade::OpenVideoFile(const QString& path, const QString& sourceFolder)
{
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0 && path.mid(dot + 1).compare(QLatin1String("partial"), Qt::CaseInsensitive) == 0) {
        OpenPartial(path);
    } else if (!tag_.LoadFromFile(path)) {
        return {};
    }
    OwnedVideos videos = BuildVideos(path, sourceFolder);
    if (videos.empty()) {
        return videos;
    }
    Device* device = videos.front()->GetCamera()->GetDevice();
    if (MetadataOption() && DriverOf(device) == nullptr) {
        // Read at open, so a damaged section is named before anything plays.
        if (std::optional<MetadataTrack> track = MetadataSection::Read(path, tag_)) {
            CreateDriver(device, vdl_); // the device type's own check and failure text
            drivers_.emplace(device, std::make_unique<KestraneMetadataDevice>(device, vdl_, std::move(*track)));
            for (const auto& video : videos) {
                video->hasMetadata = 1;
            }
        }
    }
    FileDriver& driver = DriverFor(device);
    for (const auto& video : videos) {
        driver.PlaybackLocalFileOpen(video.get());
        CopyAlarmBlock(*video->GetCamera()->GetDevice());
    }
    return videos;
}

// An export cut short carries no tag yet: the driver of the device its name stands for is asked
// to fill the tag from the file. The temporary device and its driver go whatever the outcome.
void FalFacade::OpenPartial(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw FalException(QStringLiteral("Unable to open video file: ") + path);
    }
    QString name = path.toLower();
    name.remove(QLatin1String(".video.partial"));
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    auto device = std::make_unique<Device>();
    device->SetDeviceType(dot >= 0 ? DeviceTypes::FromModelName(name.mid(dot + 1)) : DeviceTypes::kUnknown);
    struct Cleanup {
        FalFacade& facade;
        const Device* device;
        ~Cleanup() { facade.RemoveDriver(device); }
    } cleanup{*this, device.get()};
    DriverFor(device.get()).PartialFile(path, tag_);
}

FalFacade::OwnedVideos FalFacade::BuildVideos(const QString& path, const QString& sourceFolder)
{
    try {
        OwnedVideos videos;
        const std::vector<int>& channels = tag_.Channels();
        if (channels.empty()) {
            return videos;
        }
        if (currentDevice_) {
            earlierDevices_.push_back(std::move(currentDevice_));
        }
        currentDevice_ = std::make_unique<Device>();
        Device* device = currentDevice_.get();
        const QStringList& names = tag_.CameraNames();
        for (size_t p = 0; p < channels.size(); ++p) {
            auto camera = std::make_unique<Camera>(nullptr, channels[p]);
            camera->SetName(static_cast<qsizetype>(p) < names.size()
                                ? names[static_cast<qsizetype>(p)]
                                : QStringLiteral("Camera %1").arg(p + 1));
            device->SetDeviceType(tag_.DeviceType());
            device->SetName(tag_.DeviceName());
            camera->SetDevice(device);

            auto file = std::make_unique<VideoFile>();
            file->path = path;
            file->sourceFolder = sourceFolder;
            file->startTime = tag_.StartTime();
            file->endTime = tag_.EndTime();
            device->SetStartTime(tag_.StartTime());
            device->SetEndTime(tag_.EndTime());
            file->flagB = tag_.FlagB();
            file->encrypted = tag_.Encrypted();
            file->leadingText = tag_.LeadingText();
            file->bookmarks = tag_.Bookmarks();
            file->fisheyeFullDewarp = tag_.FisheyeKind() != 0 && tag_.FisheyeKind() != 2;
            file->viewFlag = tag_.ViewFlag();
            file->mountType = tag_.MountType();
            file->viewMode = tag_.ViewMode();
            file->value1 = tag_.Value1();
            file->value2 = tag_.Value2();
            file->fisheyeSecondKind = tag_.FisheyeKind() == 2;

            auto video = std::make_unique<Video>(std::move(camera));
            video->SetVideoFile(std::move(file));
            // Every version the tag writer takes can have its bookmarks edited and written back.
            if (BookmarksWritable(tag_.Major(), tag_.Minor())) {
                video->bookmarkCapable = 1;
            }
            videos.push_back(std::move(video));
        }
        return videos;
    } catch (const FalException&) {
        throw;
    } catch (const std::exception&) {
        throw FalException(QStringLiteral("Could not get Video From Playback FileTag."));
    }
}

void FalFacade::StopVideos(const VideoList* videos)
{
    const VideoList& list = Checked(videos);
    if (list.empty()) {
        return;
    }
    FileDriver& driver = ExistingDriverFor(list.front());
    driver.PlaybackStop(list);
    RemoveDriver(list.front()->GetCamera()->GetDevice());
}

void FalFacade::CloseVideo(Video* video)
{
    FileDriver& driver = DriverFor(video);
    Wrapped("Couldn't Close video. %s", [&] { driver.VideoClose(video); });
}

void FalFacade::SaveBookmarks()
{
    tag_.SaveBookmarks();
}

bool FalFacade::BookmarksWritable(int major, int minor)
{
    return (major == 6 && minor >= 0 && minor <= 2) || (major == 7 && minor == 1);
}

void FalFacade::SaveBookmarks(const QString& path, const BookmarkList& list)
{
    FileTag tag;
    if (!tag.LoadFromFile(path) || !BookmarksWritable(tag.Major(), tag.Minor())) {
        throw FalException(QStringLiteral("No bookmark tag in %1").arg(path));
    }
    BookmarkList& records = tag.Bookmarks();
    records.clear();
    for (const auto& record : list) {
        if (record) {
            records.push_back(std::make_shared<BookmarkRecord>(*record));
        }
    }
    tag.SaveBookmarks();
}

void FalFacade::PlayVideos(const VideoList* videos)
{
    const VideoList& list = Checked(videos);
    for (Video* video : list) {
        FileDriver& driver = ExistingDriverFor(video);
        Wrapped("Couldn't play video. %s", [&] { driver.PlaybackPlay(video); });
    }
}

void FalFacade::PlayVideo(Video* video)
{
    FileDriver& driver = DriverFor(video);
    Wrapped("Couldn't Play video. %s", [&] { driver.PlaybackPlay(video); });
}

void FalFacade::PauseVideo(Video* video)
{
    FileDriver& driver = DriverFor(video);
    Wrapped("Couldn't Pause video. %s", [&] { driver.PlaybackPause(video); });
}

void FalFacade::ResumeVideo(Video* video)
{
    FileDriver& driver = DriverFor(video);
    Wrapped("Couldn't Resume video. %s", [&] { driver.PlaybackResume(video); });
}

void FalFacade::FramePrevious(Video* video)
{
    FileDriver& driver = DriverFor(video);
    Wrapped("Couldn't Pause video. %s", [&] { driver.PlaybackFramePrevious(video); });
}

void FalFacade::FrameNext(Video* video)
{
    FileDriver& driver = DriverFor(video);
    Wrapped("Couldn't Frame Next. %s", [&] { driver.PlaybackFrameNext(video); });
}

void FalFacade::FastForward(Video* video, float speed)
{
    FileDriver& driver = DriverFor(video);
    Wrapped("Couldn't FastForward video. %s", [&] { driver.PlaybackFastForward(video, speed); });
}

void FalFacade::Rewind(Video* video, float speed)
{
    FileDriver& driver = DriverFor(video);
    Wrapped("Couldn't FastForward video. %s", [&] { driver.PlaybackRewind(video, speed); });
}

void FalFacade::SeekVideo(Video* video, qint64 time)
{
    FileDriver& driver = DriverFor(video);
    Wrapped("Couldn't Seek video. %s", [&] { driver.PlaybackSeek(video, time); });
}

void FalFacade::CloseDewarpView(Video* video)
{
    FileDriver& driver = DriverFor(video);
    Wrapped("Couldn't Close video. %s", [&] { driver.ReleaseDewarpPort(video); });
}

void FalFacade::DewarpClose(Video* video)
{
    FileDriver& driver = DriverFor(video);
    Wrapped("Couldn't DewarpClose %s", [&] { driver.DewarpClose(video); });
}

CalendarFields FalFacade::GetVideoTime(Video* video)
{
    FileDriver& driver = DriverFor(video);
    return Wrapped("Couldn't Get Video Time %s", [&] { return driver.VideoGetTime(video); });
}

int32_t FalFacade::GetPlayedTime(Video* video)
{
    FileDriver& driver = DriverFor(video);
    return Wrapped("Couldn't Get Video Time %s", [&] { return driver.VideoTime(video); });
}

QImage FalFacade::SaveSnapshot(Video* video)
{
    FileDriver& driver = DriverFor(video);
    return Wrapped("Couldn't save snpshot %s", [&] { return driver.Snapshot(video); });
}

void FalFacade::SetAudio(Video* video, bool on)
{
    FileDriver& driver = DriverFor(video);
    Wrapped("Couldn't set Audio %s", [&] { driver.AudioInputEnable(video, on); });
}

void FalFacade::SetAudioVolume(Video* video, int32_t volume)
{
    FileDriver& driver = DriverFor(video);
    Wrapped("Couldn't Set Audio Volume. %s", [&] { driver.SetAudioVolume(video, volume); });
}

void FalFacade::UpdateDeviceLevelAudio(Video* video, bool on)
{
    FileDriver& driver = DriverFor(video);
    Wrapped("UpdateDeviceLevelAudio Error. %s", [&] { driver.DeviceLevelAudio(video, on); });
}

void FalFacade::SetVideoPaging(Video* video, const VideoList& shown, const VideoList& hidden)
{
    FileDriver& driver = DriverFor(video);
    Wrapped("Couldn't set VideoPaging %s", [&] { driver.VideoPaging(video, shown, hidden); });
}

void FalFacade::SetWatermark(Video* video, WatermarkHandler handler)
{
    FileDriver& driver = DriverFor(video);
    Wrapped("Couldn't Set Watermark for the video. %s", [&] { driver.SetWatermark(video, std::move(handler)); });
}

void FalFacade::DewarpPlay(Video* video, const QString& viewMode)
{
    FileDriver& driver = DriverFor(video);
    const VideoFile* file = video->GetVideoFile();
    driver.DewarpPlay(video, viewMode, file != nullptr ? file->value1 : -1, file != nullptr ? file->value2 : -1);
}

void FalFacade::DewarpLayoutPlay(const VideoList* videos)
{
    const VideoList& list = Checked(videos);
    if (list.empty()) {
        return;
    }
    DriverFor(list.front()).DewarpLayoutPlay(list);
}

void FalFacade::DewarpPositionStart(Video* video)
{
    FileDriver& driver = DriverFor(video);
    Wrapped("Couldn't DewarpPositionSet %s", [&] { driver.DewarpHitTest(video); });
}

void FalFacade::DewarpPositionSet(Video* video)
{
    FileDriver& driver = DriverFor(video);
    Wrapped("Couldn't DewarpPositionSet %s", [&] { driver.DewarpDrag(video); });
}

void FalFacade::DewarpShowView(Video* view, const DewarpLayouts::View& setting, const QSize& size)
{
    FileDriver& driver = DriverFor(view);
    Wrapped("Couldn't Show Dewarp View %s", [&] { driver.DewarpShowView(view, setting, size); });
}

void FalFacade::SetRenderSurface(Video* video, VDL_Surface* surface)
{
    FileDriver& driver = DriverFor(video);
    Wrapped("Couldn't Set Render Surface %s", [&] { driver.SetRenderSurface(video, surface); });
}

void FalFacade::SetRenderView(Video* video, const QRect& source, const QSize& output)
{
    FileDriver& driver = DriverFor(video);
    Wrapped("Couldn't Set Render View %s", [&] { driver.SetRenderView(video, source, output); });
}

VDL_Stats FalFacade::GetStats(Video* video)
{
    FileDriver& driver = DriverFor(video);
    return Wrapped("Couldn't Get Stats %s", [&] { return driver.GetStats(video); });
}

VDL_StreamInfo FalFacade::GetStreamInfo(Video* video)
{
    FileDriver& driver = DriverFor(video);
    return Wrapped("Couldn't Get Stream Info %s", [&] { return driver.GetStreamInfo(video); });
}

SnapshotFrame FalFacade::GetSnapshotAndFrame(Video* video)
{
    FileDriver& driver = DriverFor(video);
    return Wrapped("Couldn't Get Snapshot And Frame %s", [&] { return driver.SnapshotAndFrame(video); });
}

VDL_WatermarkStatusBlock FalFacade::GetWatermarkStatus(Video* video)
{
    FileDriver& driver = DriverFor(video);
    return Wrapped("Couldn't Get Watermark Status %s", [&] { return driver.GetWatermarkStatus(video); });
}

void FalFacade::FollowVideo(Video* follower, Video* leader, int32_t offsetMillis)
{
    FileDriver& driver = DriverFor(follower);
    Wrapped("Couldn't Follow Video %s", [&] {
        const int32_t leaderPort = leader != nullptr ? DriverFor(leader).FollowPortOf(leader) : -1;
        driver.FollowVideo(follower, leaderPort, offsetMillis);
    });
}

std::unique_ptr<MetadataConfigList> FalFacade::GetMetadataConfig(Video* video)
{
    FileDriver* driver = nullptr;
    try {
        driver = &DriverFor(video);
    } catch (const FalException&) {
        return std::make_unique<MetadataConfigList>();
    }
    return Wrapped("Couldn't get metadata config. %s", [&] { return driver->GetMetadataConfig(video); });
}

void FalFacade::MetadataPlay(Video* video, const MetadataConfigList& entries, qint64 windowStart, qint64 windowEnd)
{
    FileDriver& driver = DriverFor(video);
    Wrapped("Couldn't play MetadataPlay %s", [&] { driver.MetadataPlay(video, entries, windowStart, windowEnd); });
}

std::unique_ptr<LatLongData> FalFacade::GetLatLongData(Video* video)
{
    FileDriver& driver = DriverFor(video);
    return Wrapped("Couldn't Get lat Long Data %s", [&] { return driver.GetLatLongData(); });
}

void FalFacade::RenderMetadataFrame(Video* video, QImage* strip, qint64 windowStart, qint64 windowEnd,
                                    qint64 position)
{
    FileDriver& driver = DriverFor(video);
    Wrapped("Couldn't render Metadata frame %s", [&] {
        driver.RenderMetadataFrame(video, strip, windowStart, windowEnd, position, kMetadataFrameMode,
                                   kMetadataFrameColour);
    });
}

bool FalFacade::RenderMetadataTooltip(Video* video, QImage* tooltip, int32_t x, int32_t y, qint64 time)
{
    FileDriver& driver = DriverFor(video);
    return Wrapped("Couldn't render Metadata TOOLTIP %s",
                   [&] { return driver.RenderMetadataTooltip(video, tooltip, x, y, time); });
}

void FalFacade::DisposeMetadataRenderer(Video* video)
{
    FileDriver& driver = DriverFor(video);
    Wrapped("Couldn't dispoce Metadata renderer %s", [&] { driver.DisposeMetadataRenderer(video); });
}

void FalFacade::RefreshVideoWindow(Video* video)
{
    FileDriver& driver = DriverFor(video);
    Wrapped("Couldn't Refresh VideoWindow %s", [&] { driver.RefreshVideoWindow(video); });
}
