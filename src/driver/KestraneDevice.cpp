#include "driver/KestraneDevice.h"

#include "driver/VdlLibrary.h"
#include "evidence/AnsiCodePage.h"
#include "evidence/Device.h"
#include "evidence/EvidenceTime.h"
#include "evidence/FalException.h"
#include "evidence/Video.h"

#include <QFile>
#include <limits>
#include <vector>
#include <stdexcept>

namespace {

// The one text of every failed VDL_Play, whichever operation plays.
constexpr char kPlayFailed[] = "Cannot PlaybackPlayLocalFile, VDL_Play failed";

// The speed step of every camera at normal speed: the viewer passes the step as the speed of the
// next fast-forward press and compares two to its power with the device's limit, so normal play
// at 0 would send 1.0 for the second press (equal to the stored speed: a dead button) and a stale
// step would stop the speed-up early.
constexpr int32_t kNormalSpeedStep = 1;

// The decoder port for which the watermark check was installed last, across all drivers.
std::atomic<int32_t> g_currentWatermarkPort{0};

// Each operation names itself around the failure of the call below it.
template <typename Body>
auto Guard(const char* operation, Body body) -> decltype(body())
{
    try {
        return body();
    } catch (const FalException& e) {
        throw FalException(QStringLiteral("Error while Getting %1 : %2").arg(QLatin1String(operation), e.Message()));
    }
}

CalendarFields FromPacked(uint32_t packed)
{
    CalendarFields f;
    f.year = VDL_PackedYear(packed);
    f.month = VDL_PackedMonth(packed);
    f.day = VDL_PackedDay(packed);
    f.hour = VDL_PackedHour(packed);
    f.minute = VDL_PackedMinute(packed);
    f.second = VDL_PackedSecond(packed);
    f.millisecond = 0;
    return f;
}

} // namespace

KestraneDevice::KestraneDevice(Device* device, const VdlAdapter* vdl)
    : device_(device), streamKey_(QString::fromLatin1(kStreamKey)), nullTime_(EvidenceTime::NullTime()), vdl_(vdl)
{
    CalendarFields check;
    if (!EvidenceTime::ToLocalFields(nullTime_, check)) {
        throw std::invalid_argument("invalid null time");
    }
}

// Ports still held by cameras that were opened but never played (or whose open failed half way)
// are given back here, so a destroyed driver leaves no decoder running.
KestraneDevice::~KestraneDevice()
{
    for (auto& entry : cameras_) {
        KestraneLocalFileData* file = entry.second->FileDataIfAny();
        if (file != nullptr && file->portHeld) {
            try {
                ReleaseHeldPort(*file);
            } catch (...) {
                // The library could not be reached; nothing is left to give back then.
            }
        }
    }
    for (int32_t port : strayPorts_) {
        try {
            Vdl().ReleasePort(port);
        } catch (...) {
        }
    }
}

const VdlAdapter& KestraneDevice::Vdl()
{
    if (vdl_ == nullptr) {
        vdl_ = &VdlLibrary::Adapter();
    }
    return *vdl_;
}

namespace {

// A dewarp view proper: the dewarp byte and a fisheye camera other than itself. A camera whose
// byte alone is set still plays from its own port.
bool IsDewarpView(const Video* video)
{
    return video != nullptr && video->dewarpView != 0 && video->rootCamera != nullptr && video->rootCamera != video;
}

// A following port's transport: done by its leader, so each succeeds without a call.
int32_t FollowerPlay(int32_t, void*) { return 1; }
int32_t FollowerPause(int32_t, int32_t) { return 1; }
int32_t FollowerMove(int32_t) { return 1; }
int32_t FollowerSeekPlayed(int32_t, int32_t) { return 1; }
int32_t FollowerSeekWallClock(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) { return 1; }

} // namespace

const VdlAdapter& KestraneDevice::VdlFor(int32_t port)
{
    if (followingPorts_.count(port) == 0) {
        return Vdl();
    }
    followerTable_ = Vdl();
    followerTable_.Play = &FollowerPlay;
    followerTable_.Pause = &FollowerPause;
    followerTable_.Faster = &FollowerMove;
    followerTable_.Slower = &FollowerMove;
    followerTable_.PlayBackward = &FollowerMove;
    followerTable_.StepForward = &FollowerMove;
    followerTable_.StepBackward = &FollowerMove;
    followerTable_.SeekPlayedTime = &FollowerSeekPlayed;
    followerTable_.SeekWallClock = &FollowerSeekWallClock;
    return followerTable_;
}

KestraneCameraData* KestraneDevice::CameraData(const Camera* camera) const
{
    const auto it = cameras_.find(camera);
    return it == cameras_.end() ? nullptr : it->second.get();
}

KestraneCameraData& KestraneDevice::Data(Video* video) const
{
    // A dewarp view plays from its fisheye camera's port: state, time and transport are its.
    if (IsDewarpView(video)) {
        video = video->rootCamera;
    }
    KestraneCameraData* data = video != nullptr ? CameraData(video->GetCamera()) : nullptr;
    if (data == nullptr || data->FileDataIfAny() == nullptr) {
        throw FalException(QStringLiteral("The camera was not opened by this driver"));
    }
    return *data;
}

int32_t KestraneDevice::Port(Video* video) const
{
    return Data(video).FileData().port;
}

void KestraneDevice::Sdk(int32_t result, int32_t port, const char* what)
{
    if (result == 0) {
        throw FalException(QString::asprintf("SDK call failed: %s - %d", what, Vdl().GetLastError(port)));
    }
}

void KestraneDevice::PlayInto(Video* video, int32_t port)
{
    // A dewarp view plays its fisheye camera's port into the camera's own surface; the view
    // keeps its sub-port's window.
    const bool view = IsDewarpView(video);
    Sdk(VdlFor(port).Play(port, view ? video->rootCamera->renderWindow : video->renderWindow), port, kPlayFailed);
}

void KestraneDevice::ReleaseHeldPort(KestraneLocalFileData& file)
{
    followingPorts_.erase(file.port);
    file.portHeld = false;
    Vdl().Stop(file.port);
    Vdl().ReleasePort(file.port);
}

// A file's video streams are its cameras in channel-list order; the facade opens the cameras of
// a file in that order, so the camera's position is the number of this file's cameras already
// opened with a lower channel number. Only the driver's own records are read: the videos and
// cameras behind earlier entries may be gone.
int32_t KestraneDevice::StreamIndexFor(const Video* video) const
{
    const QString& path = video->GetVideoFile()->path;
    const int channel = video->GetCamera()->GetChannel();
    int32_t index = 0;
    for (const auto& entry : cameras_) {
        const KestraneLocalFileData* file = entry.second->FileDataIfAny();
        if (entry.first != video->GetCamera() && file != nullptr && file->text == path && file->channel < channel) {
            ++index;
        }
    }
    return index;
}

void KestraneDevice::OnIndexReady(int32_t, void* user)
{
    static_cast<KestraneDevice*>(user)->fileReference_.store(1);
}

void KestraneDevice::PlaybackLocalFileOpen(Video* video)
{
    Guard("PlaybackLocalFileOpen", [&] {
        if (video == nullptr || video->GetVideoFile() == nullptr || video->GetCamera() == nullptr) {
            throw FalException(QStringLiteral("The video has no file"));
        }
        const VdlAdapter& vdl = Vdl();
        const VideoFile& file = *video->GetVideoFile();
        int32_t port = 0;
        Sdk(vdl.AcquirePort(&port), port, "Cannot PlaybackLocalFileOpen, VDL_AcquirePort failed");
        // A port whose open fails stays allocated, as the library left it, until this driver goes.
        struct StrayGuard {
            std::vector<int32_t>& strays;
            int32_t port;
            bool stored = false;
            ~StrayGuard()
            {
                if (!stored && port > 0) {
                    strays.push_back(port);
                }
            }
        } stray{strayPorts_, port};
        if (vdl.SetIndexReadyCallback(port, &KestraneDevice::OnIndexReady, this) == 0) {
            throw FalException(QStringLiteral("SDK call failed: VDL_SetIndexReadyCallback"));
        }
        if (file.encrypted) {
            const QByteArray key = AnsiCodePage::FromWide(streamKey_);
            Sdk(vdl.SetStreamKey(port, 1, key.constData(), kStreamKeyBits), port,
                "Cannot PlaybackLocalFileOpen, VDL_SetStreamKey failed");
        }
        Sdk(vdl.SyncToAudio(port, 1), port, "Cannot PlaybackLocalFileOpen, VDL_SyncToAudio failed");
        // Which of the file's streams this camera is, and the tag's start as the wall-clock
        // origin of a stream that carries none.
        Sdk(vdl.SelectStream(port, StreamIndexFor(video)), port, "Cannot PlaybackLocalFileOpen, VDL_SelectStream failed");
        Sdk(vdl.SetWallClockOrigin(port, file.startTime), port,
            "Cannot PlaybackLocalFileOpen, VDL_SetWallClockOrigin failed");
        // The path goes in the file system's own 8-bit encoding, so that any file the user can
        // pick also opens, whatever characters its name holds.
        const QByteArray nativePath = QFile::encodeName(file.path);
        Sdk(vdl.OpenFile(port, nativePath.constData()), port, "Cannot PlaybackLocalFileOpen, VDL_OpenFile failed");

        auto& slot = cameras_[video->GetCamera()];
        if (!slot) {
            slot = std::make_unique<KestraneCameraData>(this);
        }
        KestraneLocalFileData& data = slot->FileData();
        if (data.portHeld && data.port != port) {
            KeepWatermark(*slot);
            ReleaseHeldPort(data);
        }
        data.port = port;
        data.portHeld = true;
        data.text = file.path;
        data.channel = video->GetCamera()->GetChannel();
        stray.stored = true;

        uint32_t start = 0;
        uint32_t stop = 0;
        uint32_t third = 0;
        Sdk(vdl.GetFileTimeRange(port, &start, &stop, &third), port,
            "Cannot Get File Time, VDL_GetFileTimeRange failed");
        for (auto [packed, target] : {std::pair{start, &data.startTime}, std::pair{stop, &data.endTime}}) {
            const CalendarFields f = FromPacked(packed);
            if (f.month >= 1 && f.month <= 12 && f.day >= 1) {
                *target = EvidenceTime::FromLocalFields(f);
            }
        }
        for (int n = 2; n <= 6; ++n) {
            device_->SetCapability(n, 1);
        }
        slot->video = video;
        video->GetCamera()->Capabilities().flags = {1, 0, 0, 1};
    });
}

void KestraneDevice::PlaybackPlay(Video* video)
{
    PlaybackPlayLocalFile(video);
}

void KestraneDevice::PlaybackPlay(const VideoList& videos)
{
    Guard("PlaybackPlay", [&] {
        for (Video* video : videos) {
            PlaybackPlayLocalFile(video);
        }
    });
}

void KestraneDevice::PlaybackPlayLocalFile(Video* video)
{
    Guard("PlaybackPlayLocalFile", [&] {
        KestraneCameraData& data = Data(video);
        const int32_t port = data.FileData().port;
        PlayInto(video, port);
        Vdl().SyncToAudio(port, 1);
        Vdl().EnableOverlays(port, 1);
        video->playbackState = PlaybackState::Playing;
        video->speedSteps = kNormalSpeedStep;
        data.reverse = false;
        data.speed = 1.0f;
    });
}

void KestraneDevice::PlaybackStop(const VideoList& videos)
{
    Guard("PlaybackStop", [&] {
        for (Video* video : videos) {
            VideoClose(video);
        }
    });
}

void KestraneDevice::VideoClose(Video* video)
{
    Guard("VideoClose", [&] {
        if (video->playbackState == PlaybackState::Closed) {
            // Opened but never played: the open still took a port, which the close gives back.
            const KestraneCameraData* data = CameraData(video->GetCamera());
            KestraneLocalFileData* held = data != nullptr ? data->FileDataIfAny() : nullptr;
            if (held != nullptr && held->portHeld) {
                ReleaseHeldPort(*held);
            }
            return;
        }
        KestraneCameraData& data = Data(video);
        KeepWatermark(data);
        ReleaseHeldPort(data.FileData());
        video->playbackState = PlaybackState::Closed;
    });
}

CalendarFields KestraneDevice::VideoGetTime(Video* video)
{
    return Guard("VideoGetTime", [&] {
        const int32_t port = Port(video);
        VDL_Clock clock{};
        Sdk(Vdl().GetFrameClock(port, &clock), port, "Cannot Get System Time, VDL_GetFrameClock failed");
        CalendarFields t = FromPacked(Vdl().GetFrameTime(port));
        t.millisecond = clock.ms;
        return t;
    });
}

int32_t KestraneDevice::VideoTime(Video* video)
{
    return Guard("VideoTime", [&] { return Vdl().GetPlayedSeconds(Port(video)); });
}

void KestraneDevice::PlaybackSeek(const VideoList& videos, qint64 time)
{
    for (Video* video : videos) {
        PlaybackSeek(video, time);
    }
}

void KestraneDevice::PlaybackSeek(Video* video, qint64 time)
{
    Guard("PlaybackSeek", [&] {
        if (time == nullTime_) {
            return;
        }
        const int32_t port = Port(video);
        CalendarFields f;
        if (!EvidenceTime::ToLocalFields(time, f)) {
            f.year = f.month = f.day = 0;
            f.hour = f.minute = f.second = -1;
        }
        if (device_->GetDeviceType() == kPlayedTimeSeekType) {
            // The library takes 32-bit milliseconds; an offset beyond them lands at the nearer
            // end instead of wrapping round to an unrelated position.
            const qint64 millis = (time - video->GetVideoFile()->startTime) * 1000;
            constexpr qint64 kLow = std::numeric_limits<int32_t>::min();
            constexpr qint64 kHigh = std::numeric_limits<int32_t>::max();
            const auto clamped = static_cast<int32_t>(qBound(kLow, millis, kHigh));
            Sdk(VdlFor(port).SeekPlayedTime(port, clamped), port, "Cannot Seek LocalFile, VDL_SeekPlayedTime");
        } else {
            Sdk(VdlFor(port).SeekWallClock(port, f.year, f.month, f.day, f.hour, f.minute, f.second), port,
                "Cannot Seek LocalFile, VDL_SeekWallClock");
        }
    });
}

void KestraneDevice::PlaybackPause(const VideoList& videos)
{
    for (Video* video : videos) {
        PlaybackPause(video);
    }
}

void KestraneDevice::PlaybackPause(Video* video)
{
    Guard("PlaybackPause", [&] {
        switch (video->playbackState) {
        case PlaybackState::Closed:
        case PlaybackState::Paused:
            return;
        case PlaybackState::Playing:
            break;
        default:
            PlaybackResume(video);
            break;
        }
        const int32_t port = Port(video);
        Sdk(VdlFor(port).Pause(port, 1), port, "Cannot Pause LocalFile, VDL_Pause");
        video->playbackState = PlaybackState::Paused;
    });
}

void KestraneDevice::PlaybackResume(const VideoList& videos)
{
    for (Video* video : videos) {
        PlaybackResume(video);
    }
}

void KestraneDevice::PlaybackResume(Video* video)
{
    Guard("PlaybackResume", [&] {
        KestraneCameraData& data = Data(video);
        const int32_t port = data.FileData().port;
        if (data.speed > 1.0f || data.reverse) {
            const CalendarFields t = VideoGetTime(video);
            Sdk(VdlFor(port).SeekWallClock(port, t.year, t.month, t.day, t.hour, t.minute, t.second), port,
                "Cannot Resume LocalFile, VDL_SeekWallClock");
        }
        PlayInto(video, port);
        data.reverse = false;
        data.speed = 1.0f;
        video->speedSteps = kNormalSpeedStep;
        video->playbackState = PlaybackState::Playing;
    });
}

// A step starts from normal forward play: out of fast or backward play first, at the time shown.
void KestraneDevice::LeaveSpeedPlay(Video* video, KestraneCameraData& data, int32_t port)
{
    const CalendarFields t = VideoGetTime(video);
    if (data.speed > 1.0f || data.reverse) {
        data.speed = 1.0f;
        Sdk(VdlFor(port).SeekWallClock(port, t.year, t.month, t.day, t.hour, t.minute, t.second), port,
            "Cannot Resume LocalFile, VDL_SeekWallClock");
        if (data.reverse) {
            PlayInto(video, port);
            data.reverse = false;
        }
    }
}

void KestraneDevice::PlaybackFramePrevious(Video* video)
{
    Guard("PlaybackFramePrevious", [&] {
        KestraneCameraData& data = Data(video);
        const int32_t port = data.FileData().port;
        LeaveSpeedPlay(video, data, port);
        Sdk(VdlFor(port).StepBackward(port), port, "Cannot Frame Backward LocalFile, VDL_StepBackward");
        video->playbackState = PlaybackState::SteppedBack;
    });
}

void KestraneDevice::PlaybackFrameNext(Video* video)
{
    Guard("PlaybackFrameNext", [&] {
        KestraneCameraData& data = Data(video);
        const int32_t port = data.FileData().port;
        LeaveSpeedPlay(video, data, port);
        Sdk(VdlFor(port).StepForward(port), port, "Cannot FrameForward LocalFile, VDL_StepForward");
        video->playbackState = PlaybackState::SteppedForward;
    });
}

// Fast forward and rewind, of one video or a list: every video at the played time of the first.
void KestraneDevice::AtFirstPlayedTime(const char* operation, const VideoList& videos, float speed,
                                       void (KestraneDevice::*change)(Video*, float, int32_t))
{
    Guard(operation, [&] {
        if (videos.empty()) {
            return;
        }
        const int32_t t = Vdl().GetPlayedMillis(Port(videos.front()));
        for (Video* video : videos) {
            (this->*change)(video, speed, t);
        }
    });
}

void KestraneDevice::PlaybackFastForward(Video* video, float speed)
{
    AtFirstPlayedTime("PlaybackFastForward", VideoList{video}, speed, &KestraneDevice::PlaybackFastForwardLocalFile);
}

void KestraneDevice::PlaybackFastForward(const VideoList& videos, float speed)
{
    AtFirstPlayedTime("PlaybackFastForward", videos, speed, &KestraneDevice::PlaybackFastForwardLocalFile);
}

void KestraneDevice::PlaybackFastForwardLocalFile(Video* video, float speed, int32_t playedMillis)
{
    Guard("PlaybackFastForwardLocalFile", [&] {
        KestraneCameraData& data = Data(video);
        const int32_t port = data.FileData().port;
        switch (video->playbackState) {
        case PlaybackState::Rewinding:
            video->speedSteps = kNormalSpeedStep;
            PlayInto(video, port);
            video->playbackState = PlaybackState::Playing;
            break;
        case PlaybackState::FastForward:
            if (speed == data.speed) {
                break;
            }
            if (!(data.speed > speed)) {
                Sdk(VdlFor(port).Faster(port), port, "Cannot PlaybackFastForwardLocal, VDL_Faster failed");
                video->speedSteps += 1;
                video->playbackState = PlaybackState::FastForward;
            } else {
                PlayInto(video, port);
                ResetVideoLocalFile(port, playedMillis);
                data.speed = 1.0f;
                video->speedSteps = kNormalSpeedStep;
                video->playbackState = PlaybackState::Playing;
            }
            break;
        case PlaybackState::Paused:
        case PlaybackState::SteppedForward:
            VideoGetTime(video);
            PlayInto(video, port);
            video->speedSteps = kNormalSpeedStep;
            video->playbackState = PlaybackState::Playing;
            break;
        case PlaybackState::Playing:
            Sdk(VdlFor(port).Faster(port), port, "Cannot PlaybackFastForwardLocal, VDL_Faster failed");
            video->speedSteps += 1;
            video->playbackState = PlaybackState::FastForward;
            break;
        default:
            break;
        }
    });
}

void KestraneDevice::ResetVideoLocalFile(int32_t port, int32_t playedMillis)
{
    if (playedMillis == -1) {
        return;
    }
    Sdk(VdlFor(port).SeekPlayedTime(port, playedMillis), port, "Cannot ResetVideoLocalFile, VDL_SetPlayPos failed");
}

void KestraneDevice::PlaybackRewind(Video* video, float speed)
{
    AtFirstPlayedTime("PlaybackRewind", VideoList{video}, speed, &KestraneDevice::PlaybackRewindLocalFile);
}

void KestraneDevice::PlaybackRewind(const VideoList& videos, float speed)
{
    AtFirstPlayedTime("PlaybackRewind", videos, speed, &KestraneDevice::PlaybackRewindLocalFile);
}

void KestraneDevice::PlaybackRewindLocalFile(Video* video, float speed, int32_t playedMillis)
{
    // The rewind worker's failures have always carried this name.
    Guard("Snapshot", [&] {
        KestraneCameraData& data = Data(video);
        const int32_t port = data.FileData().port;
        switch (video->playbackState) {
        case PlaybackState::Paused:
        case PlaybackState::Playing:
        case PlaybackState::SteppedForward:
            Sdk(VdlFor(port).PlayBackward(port), port, "Cannot PlaybackRewindLocalFile, VDL_PlayBackward failed.");
            data.reverseSpeed = 1.0f;
            data.reverse = true;
            video->speedSteps += 1;
            video->playbackState = PlaybackState::Rewinding;
            break;
        case PlaybackState::FastForward:
            // Back to normal speed, whatever number of steps up the library took: one step down
            // from four times would go on at twice the speed under a "1x" strip.
            PlayInto(video, port);
            ResetVideoLocalFile(port, playedMillis);
            data.speed = 1.0f;
            video->speedSteps = kNormalSpeedStep;
            video->playbackState = PlaybackState::Playing;
            break;
        case PlaybackState::Rewinding:
            if (data.reverseSpeed > speed) {
                Sdk(VdlFor(port).PlayBackward(port), port, "Cannot PlaybackRewindLocalFile, VDL_PlayBackward failed");
                data.reverseSpeed = 1.0f;
                ResetVideoLocalFile(port, playedMillis);
                video->speedSteps = 0;
                video->playbackState = PlaybackState::Rewinding;
            } else {
                Sdk(VdlFor(port).Faster(port), port, "Cannot PlaybackRewindLocalFile, VDL_Faster failed");
                data.reverseSpeed = speed;
                video->speedSteps += 1;
                video->playbackState = PlaybackState::Rewinding;
            }
            break;
        default:
            break;
        }
    });
}

QImage KestraneDevice::Snapshot(Video* video)
{
    return Guard("Snapshot", [&] { return TakeSnapshot(Port(video), nullptr); });
}

SnapshotFrame KestraneDevice::SnapshotAndFrame(Video* video)
{
    return Guard("SnapshotAndFrame", [&] {
        SnapshotFrame result;
        result.image = TakeSnapshot(Port(video), &result.frame);
        return result;
    });
}

// With frame: the picture and its description come from one call, so they are of one frame.
QImage KestraneDevice::TakeSnapshot(int32_t port, VDL_FrameInfo* frame)
{
    int32_t w = 0;
    int32_t h = 0;
    Sdk(Vdl().GetPictureSize(port, &w, &h), port, "Cannot Get Sanpshot Size, VDL_GetPictureSize failed");
    if (w == 704 && (h == 288 || h == 240)) {
        h *= 2;
    }
    const qint64 size = static_cast<qint64>(qMax(w, 0)) * qMax(h, 0) * 5;
    // A size the library could not fill anyway is refused before anything is allocated.
    if (size <= 0 || size > std::numeric_limits<int32_t>::max()) {
        Sdk(0, port, "Cannot Get Sanpshot Size, VDL_GetPictureSize failed");
    }
    QByteArray buffer(static_cast<qsizetype>(size), '\0');
    uint32_t used = 0;
    auto* bytes = reinterpret_cast<uint8_t*>(buffer.data());
    if (frame != nullptr) {
        Sdk(Vdl().GetBmpAndFrame(port, bytes, static_cast<uint32_t>(size), &used, frame), port,
            "Cannot Get Bitmap, VDL_GetBmpAndFrame failed");
    } else {
        Sdk(Vdl().GetBmp(port, bytes, static_cast<uint32_t>(size), &used), port, "Cannot Get Bitmap, VDL_GetBmp failed");
    }
    if (static_cast<qint64>(used) + 1 < size) {
        buffer[static_cast<qsizetype>(used) + 1] = '\0';
    }
    if (static_cast<qint64>(used) < size) {
        buffer.truncate(static_cast<qsizetype>(used));
    }
    return BitmapFromBmp(buffer);
}

// The video keeps the surface as its render window, so a later play cannot attach one that was
// detached (a tile that is gone). A closed video has no port to tell.
void KestraneDevice::SetRenderSurface(Video* video, VDL_Surface* surface)
{
    Guard("SetRenderSurface", [&] {
        if (video == nullptr) {
            throw FalException(QStringLiteral("The camera was not opened by this driver"));
        }
        video->renderWindow = surface;
        if (video->playbackState == PlaybackState::Closed) {
            return;
        }
        if (IsDewarpView(video)) {
            // A view's tile: its sub-port's window, never the fisheye picture's surface.
            if (video->dewarpPort != 0) {
                const int32_t port = DewarpPortOf(video);
                Sdk(Vdl().DewarpSetWindow(port, video->dewarpPort, surface), port,
                    "Cannot SetRenderSurface, VDL_DewarpSetWindow failed");
            }
            return;
        }
        const int32_t port = Port(video);
        Sdk(Vdl().SetSurface(port, surface), port, "Cannot SetRenderSurface, VDL_SetSurface failed");
    });
}

void KestraneDevice::SetRenderView(Video* video, const QRect& source, const QSize& output)
{
    Guard("SetRenderView", [&] {
        if (IsDewarpView(video) && video->dewarpPort != 0) {
            // A dewarp view's tile sets the size its sub-port renders at: the view is computed
            // for the tile, never scaled from another size.
            const int32_t port = DewarpPortOf(video);
            Sdk(Vdl().SetSurfaceView(VDL_DEWARP_VIEW(port, video->dewarpPort), 0, 0, 0, 0, qMax(0, output.width()),
                                     qMax(0, output.height())),
                port, "Cannot SetRenderView, VDL_SetSurfaceView failed");
            return;
        }
        const int32_t port = Port(video);
        const bool whole = source.isEmpty() || output.isEmpty();
        const QRect s = whole ? QRect() : source;
        const QSize o = whole ? QSize(0, 0) : output;
        Sdk(Vdl().SetSurfaceView(port, s.x(), s.y(), s.isEmpty() ? 0 : s.width(), s.isEmpty() ? 0 : s.height(),
                                 o.width(), o.height()),
            port, "Cannot SetRenderView, VDL_SetSurfaceView failed");
    });
}

VDL_Stats KestraneDevice::GetStats(Video* video)
{
    return Guard("GetStats", [&] {
        const int32_t port = Port(video);
        VDL_Stats stats{};
        Sdk(Vdl().GetStats(port, &stats), port, "Cannot GetStats, VDL_GetStats failed");
        return stats;
    });
}

void KestraneDevice::KeepWatermark(KestraneCameraData& data)
{
    KestraneLocalFileData& file = data.FileData();
    VDL_WatermarkStatusBlock now{};
    if (file.portHeld && Vdl().GetWatermarkStatus(file.port, &now) != 0) {
        data.watermarkKept = KestraneCameraData::MergeWatermark(data.watermarkKept, now);
    }
}

VDL_WatermarkStatusBlock KestraneDevice::GetWatermarkStatus(Video* video)
{
    return Guard("GetWatermarkStatus", [&] {
        KestraneCameraData& data = Data(video);
        const KestraneLocalFileData& file = data.FileData();
        if (!file.portHeld) {
            return data.watermarkKept;
        }
        VDL_WatermarkStatusBlock now{};
        Sdk(Vdl().GetWatermarkStatus(file.port, &now), file.port,
            "Cannot GetWatermarkStatus, VDL_GetWatermarkStatus failed");
        return KestraneCameraData::MergeWatermark(data.watermarkKept, now);
    });
}

VDL_StreamInfo KestraneDevice::GetStreamInfo(Video* video)
{
    return Guard("GetStreamInfo", [&] {
        const int32_t port = Port(video);
        VDL_StreamInfo info{};
        Sdk(Vdl().GetStreamInfo(port, &info), port, "Cannot GetStreamInfo, VDL_GetStreamInfo failed");
        return info;
    });
}

void KestraneDevice::AudioInputEnable(Video* video, bool on)
{
    Guard("AudioInputEnable", [&] {
        const int32_t port = Port(video);
        if (on) {
            Sdk(Vdl().SoundOn(port), port, "Cannot Enable Audio. VDL_SoundOn failed");
            Vdl().SetVolume(port, kFullVolume);
        } else {
            Sdk(Vdl().SoundOff(port), port, "Cannot Disbale Audio. VDL_SoundOff failed");
        }
    });
}

void KestraneDevice::SetAudioVolume(Video* video, int32_t volume)
{
    Guard("SetAudioVolume", [&] {
        const int32_t port = Port(video);
        Sdk(Vdl().SetVolume(port, volume), port, "Cannot Set Audio Volume. VDL_SetVolume failed");
    });
}

void KestraneDevice::SetWatermark(Video* video, WatermarkHandler handler)
{
    const int32_t port = Port(video);
    g_currentWatermarkPort.store(port);
    {
        std::lock_guard<std::mutex> lock(watermarkMutex_);
        watermarkTitle_ = video->title;
    }
    Vdl().SetWatermarkCallback(port, &KestraneDevice::OnWatermark, this);
    std::lock_guard<std::mutex> lock(watermarkMutex_);
    watermarkHandler_ = std::move(handler);
}

QString KestraneDevice::WatermarkText(const VDL_WatermarkReport& report)
{
    const QString mac = QString::asprintf("%02x:%02x:%02x:%02x:%02x:%02x", report.mac[0], report.mac[1], report.mac[2],
                                          report.mac[3], report.mac[4], report.mac[5]);
    const uint32_t p = report.packedTime;
    const QString date = QString::asprintf("%02d-%02d-%04d %02d:%02d:%02d", VDL_PackedDay(p), VDL_PackedMonth(p),
                                           VDL_PackedYear(p), VDL_PackedHour(p), VDL_PackedMinute(p),
                                           VDL_PackedSecond(p));
    return QStringLiteral(" Date and Time:  %1\r\n\n Serial Number:  %2\r\n\n Channel:  %3\r\n\n MAC Address:  %4\r\n\n")
        .arg(date)
        .arg(report.serialNumber)
        .arg(static_cast<int>(report.channel))
        .arg(mac);
}

// On the library's thread: format, and hand the texts on only for the port installed last.
void KestraneDevice::OnWatermark(int32_t port, const VDL_WatermarkReport** report, void* user)
{
    if (report == nullptr || *report == nullptr || user == nullptr) {
        return;
    }
    auto* self = static_cast<KestraneDevice*>(user);
    const QString text = WatermarkText(**report);
    if (port != g_currentWatermarkPort.load()) {
        return;
    }
    QString title;
    WatermarkHandler handler;
    {
        std::lock_guard<std::mutex> lock(self->watermarkMutex_);
        title = QStringLiteral("Watermark-%1").arg(self->watermarkTitle_);
        handler = self->watermarkHandler_;
    }
    if (handler) {
        handler(title, text);
    }
}

void KestraneDevice::FollowVideo(Video* video, int32_t leaderPort, int32_t offsetMillis)
{
    Guard("FollowVideo", [&] {
        const int32_t port = Port(video);
        if (leaderPort < 0) {
            Sdk(Vdl().FollowPort(port, -1), port, "Cannot Stop Following, VDL_FollowPort failed");
            followingPorts_.erase(port);
            return;
        }
        Sdk(Vdl().SetFollowOffset(port, offsetMillis), port, "Cannot Set Follow Offset, VDL_SetFollowOffset failed");
        // A camera never played has no surface yet: it shows what it follows on its own.
        if (video->renderWindow != nullptr && video->dewarpView == 0) {
            Sdk(Vdl().SetSurface(port, static_cast<const VDL_Surface*>(video->renderWindow)), port,
                "Cannot SetRenderSurface, VDL_SetSurface failed");
        }
        Sdk(Vdl().FollowPort(port, leaderPort), port, "Cannot Follow, VDL_FollowPort failed");
        followingPorts_.insert(port);
    });
}

int32_t KestraneDevice::FollowPortOf(Video* video)
{
    return Guard("FollowPortOf", [&] { return Port(video); });
}

bool KestraneDevice::Follows(Video* video) const
{
    const KestraneCameraData* data = video != nullptr ? CameraData(video->GetCamera()) : nullptr;
    const KestraneLocalFileData* file = data != nullptr ? data->FileDataIfAny() : nullptr;
    return file != nullptr && file->portHeld && followingPorts_.count(file->port) != 0;
}
