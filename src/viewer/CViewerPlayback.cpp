// Playback control: the transport buttons, seeking every camera to one time, looping, the sync
// all mode and the 500 ms position update. Each command acts on the target cameras (all cameras
// with sync all, else the selected one); the driver decides each camera's new state and speed
// step, which the tiles and the control bar then show.
#include "viewer/CViewer.h"
#include "viewer/LoggedFacadeCall.h"

#include "timeline/CTimelineExportSnapshotDlg.h"

#include "driver/MapPositionSeek.h"
#include "events/ViewerMessageDispatch.h"
#include "evidence/Camera.h"
#include "evidence/Device.h"
#include "evidence/EvidenceTime.h"
#include "evidence/FalException.h"
#include "logging/HandlerGuard.h"
#include "logging/Logger.h"
#include "events/CCoordinatorViewerTimeline.h"
#include "timeline/CTimeline.h"
#include "timeline/CTimelineBtnCtrl.h"
#include "timeline/CTimelineExportSnapshotDlg.h"
#include "timeline/TimelineIds.h"
#include "timeline/TimelineActions.h"
#include "viewer/CVideoPlayer.h"
#include "viewer/WatermarkReportSink.h"
#include "viewer/CViewerGridLayout.h"
#include "viewer/ViewerPlaybackRules.h"

#include <QApplication>
#include <QKeyEvent>
#include <algorithm>

namespace {

// The wait cursor for the length of a command that calls the library once per camera.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

int MaxSpeedMultiplier(const Video* video)
{
    const Device* device = video->GetCamera() != nullptr ? video->GetCamera()->GetDevice() : nullptr;
    return device != nullptr ? device->GetMaxSpeedMultiplier() : Device::kDefaultMaxSpeedMultiplier;
}

} // namespace

VideoList CViewer::TargetCameras() const
{
    return ViewerPlaybackRules::TargetCameras(syncAll_ != 0, AllCameras(), SelectedCamera());
}

void CViewer::OnPlay()
{
    ForEachTarget(TargetCameras(), &FalFacade::ResumeVideo);
}

void CViewer::OnPause()
{
    ForEachTarget(TargetCameras(), &FalFacade::PauseVideo);
}

void CViewer::OnPreviousFrame()
{
    ForEachTarget(TargetCameras(), &FalFacade::FramePrevious);
}

void CViewer::OnNextFrame()
{
    ForEachTarget(TargetCameras(), &FalFacade::FrameNext);
}

void CViewer::OnFastForward()
{
    SpeedPress(true);
}

void CViewer::OnFastRewind()
{
    SpeedPress(false);
}

void CViewer::ForEachTarget(const VideoList& targets, void (FalFacade::*operation)(Video*))
{
    if (targets.empty()) {
        return;
    }
    WaitCursor wait;
    for (Video* video : targets) {
        LoggedFacadeCall([&] { (facade_.*operation)(video); });
    }
    MirrorState(targets);
}

// The first target's step decides for all: past the device's limit every target returns to normal
// speed, otherwise each is asked for one step more with the step as its speed.
void CViewer::SpeedPress(bool forward)
{
    const VideoList targets = TargetCameras();
    if (targets.empty()) {
        return;
    }
    const int step = targets.front()->speedSteps;
    if (ViewerPlaybackRules::ReturnsToNormalSpeed(step, MaxSpeedMultiplier(targets.front()))) {
        ForEachTarget(targets, &FalFacade::ResumeVideo);
        return;
    }
    WaitCursor wait;
    for (Video* video : targets) {
        LoggedFacadeCall([&] {
            if (forward) {
                facade_.FastForward(video, static_cast<float>(step));
            } else {
                facade_.Rewind(video, static_cast<float>(step));
            }
        });
    }
    MirrorState(targets);
}

// Tiles of one camera (a fisheye camera and its views) show the state of the camera that was
// commanded; the control bar shows the selected camera's, since its buttons act on that one.
void CViewer::MirrorState(const VideoList& targets)
{
    for (Video* target : targets) {
        Video* root = ViewerPlaybackRules::RootOf(target);
        for (const auto& player : players_) {
            Video* video = player->GetVideo();
            if (video != target && ViewerPlaybackRules::RootOf(video) == root) {
                video->playbackState = target->playbackState;
                video->speedSteps = target->speedSteps;
            }
        }
    }
    RefreshStatusTexts();
    if (Video* selected = SelectedCamera()) {
        timeline_->SetPlaybackState(static_cast<int>(selected->playbackState));
    } else if (!targets.empty()) {
        timeline_->SetPlaybackState(static_cast<int>(targets.back()->playbackState));
    }
}

void CViewer::RefreshStatusTexts()
{
    for (const auto& player : players_) {
        player->UpdateStatus();
    }
}

// Every target to one wall-clock time and playing from there; with sync all the tiles then show
// the same instant.
void CViewer::SeekAll(qint64 time)
{
    SeekCameras(TargetCameras(), time);
}

void CViewer::SeekCameras(const VideoList& targets, qint64 time)
{
    currentPosition_ = time;
    lastComputedPosition_ = time;
    if (!targets.empty()) {
        WaitCursor wait;
        for (Video* video : targets) {
            LoggedFacadeCall([&] {
                facade_.SeekVideo(video, time);
                facade_.PlayVideo(video);
            });
        }
        MirrorState(targets);
        if (syncAll_ != 0) {
            AlignClock();
        }
    }
    if (loop_ == 0) {
        PositionUpdate();
    }
}

void CViewer::OnSeekToTime(std::optional<qint64> time)
{
    if (!time) {
        return;
    }
    currentPosition_ = *time;
    SeekAll(*time);
    OnPlay();
}

void CViewer::OnGoToTime()
{
    TimelineActions::GoToSpecificTime(this, SelectedCamera(), [this](qint64 t) {
        SeekAll(t);
        OnPlay();
    });
}

void CViewer::OnLoop(bool on)
{
    loop_ = on ? 1 : 0;
    lastWrapCount_ = 0;
    const VideoList targets = TargetCameras();
    if (on && !targets.empty()) {
        // Past the end the loop starts over at once; a camera without a recorded span has no end.
        const VideoFile* file = targets.front()->GetVideoFile();
        if (file != nullptr && ViewerPlaybackRules::HasSpan(file->startTime, file->endTime)
            && currentPosition_ >= file->endTime) {
            SeekAll(file->startTime);
        }
    }
    for (Video* video : targets) {
        video->loop = on ? 1 : 0;
        video->wrapCounter = 0;
    }
}

void CViewer::OnSelectAllCameras(bool on)
{
    HideWatermarkWindow();
    if (!on) {
        LeaveClock(true);
    }
    syncAll_ = on ? 1 : 0;
    if (on) {
        const VideoList targets = TargetCameras();
        // Looping together needs every camera looping; one that does not turns looping off.
        if (std::any_of(targets.begin(), targets.end(), [](const Video* v) { return v->loop == 0; })) {
            timeline_->SetLoop(false);
            SendViewerMessage<ViewerMessages::OnLoop>(this, false);
        }
        for (const auto& player : players_) {
            player->SetStripColour(CViewerGridLayout::SelectedStripColour());
        }
        timeline_->TrackBar()->update();
        JoinClock();
        return;
    }
    for (const auto& player : players_) {
        player->SetStripColour(CViewerGridLayout::UnselectedStripColour());
    }
    if (CVideoPlayer* selected = grid_->SelectedPlayer()) {
        selected->SetStripColour(CViewerGridLayout::SelectedStripColour());
        OnSelectCamera(selected->GetVideo());
    }
}

// The watermark window belongs to one camera; it is not shown while the controls act on all.
void CViewer::HideWatermarkWindow()
{
    watermarks_->HideWindow();
}

void CViewer::OnRefreshVideoWindow()
{
    Video* selected = SelectedCamera();
    if (selected != nullptr && selected->playbackState != PlaybackState::Paused) {
        facade_.RefreshVideoWindow(selected);
    }
}

void CViewer::OnTileTimer()
{
    PositionUpdate();
    // Only on the timer: the dialog's time follows playback while it is open.
    if (snapshotDlg_) {
        snapshotDlg_->SetTime(currentPosition_);
    }
}

// "Sync All" on the control bar: every camera of the pages, dewarp views too, to the selected
// camera's instant, playing from there. The flag the application-wide channel would carry changes
// nothing; nothing raises the request that way.
void CViewer::OnSyncAllAction(bool /*flag*/)
{
    Video* selected = SelectedCamera();
    const VideoList cameras = AllCameras();
    if (selected == nullptr || cameras.empty()) {
        return;
    }
    WaitCursor wait;
    SeekCameras(cameras, CameraTime(selected));
}

// A double click on the metadata strip: the time under the pointer on the time scale.
void CViewer::OnSeekToCursorTime()
{
    // A double click on the metadata strip reads the strip's own window; else the time scale's.
    const qint64 time = StripTimeUnderPointer().value_or(timeline_->TrackBar()->TimeUnderPointer());
    currentPosition_ = time;
    SeekAll(time);
}

// A double click on the map: the moment the open file's first camera passed within 50 m of there.
void CViewer::OnSeekToMapPoint(structMapPoint point)
{
    Video* first = FirstOpenCamera();
    if (first == nullptr) {
        return;
    }
    std::unique_ptr<LatLongData> track;
    if (!LoggedFacadeCall([&] { track = facade_.GetLatLongData(first); }) || !track) {
        return;
    }
    if (const auto time = MapPositionSeek::TimeAt(*track, point.latitude, point.longitude)) {
        SeekAll(*time);
    }
}

Video* CViewer::FirstOpenCamera() const
{
    return openFileCameras_.empty() ? nullptr : openFileCameras_.front();
}

// The metadata strip follows the play position only for a file whose first camera carries a
// metadata track with inputs to draw.
bool CViewer::MetadataShown() const
{
    const Video* first = FirstOpenCamera();
    return first != nullptr && first->hasMetadata != 0 && metadataConfig_ && !metadataConfig_->empty();
}

// The time scale's visible window moved: the metadata strip draws the same window.
void CViewer::OnVisibleRangeChanged(std::optional<qint64> start, std::optional<qint64> end)
{
    windowStart_ = start.value_or(0);
    windowEnd_ = end.value_or(0);
    PlayMetadata();
}

namespace {

// The library's time of the camera's frame; an unusable time when it cannot report one (before
// the first frame, say), which the caller replaces: twice a second, that is no error to log.
CalendarFields ReportedTime(FalFacade& facade, Video* video)
{
    CalendarFields fields;
    fields.month = 0;
    try {
        fields = facade.GetVideoTime(video);
    } catch (const FalException&) {
        fields.month = 0;
    }
    return fields;
}

// Seconds played since the recording's start; 0 when the library cannot tell either.
qint64 PlayedSeconds(FalFacade& facade, Video* video)
{
    try {
        return facade.GetPlayedTime(video);
    } catch (const FalException&) {
        return 0;
    }
}

} // namespace

// A camera's own time: its frame's time, else recording start + played time.
qint64 CViewer::CameraTime(Video* video)
{
    if (const auto t = ViewerPlaybackRules::VideoTimeValue(ReportedTime(facade_, video))) {
        return *t;
    }
    return video->GetVideoFile()->startTime + PlayedSeconds(facade_, video);
}

// The selected camera's time becomes the position the time scale shows; every tile shows its own
// camera's time; looping cameras wrap.
void CViewer::PositionUpdate()
{
    if (Video* selected = SelectedCamera(); selected != nullptr && IsPlaying(selected)) {
        const VideoFile* file = selected->GetVideoFile();
        if (const auto t = ViewerPlaybackRules::VideoTimeValue(ReportedTime(facade_, selected))) {
            currentPosition_ = *t;
        } else {
            const qint64 position = ViewerPlaybackRules::FallbackPosition(
                lastComputedPosition_, file->startTime, file->endTime, PlayedSeconds(facade_, selected));
            currentPosition_ = position;
            lastComputedPosition_ = position;
        }
        timeline_->SetCursorTime(currentPosition_);
    }
    for (const auto& player : players_) {
        Video* video = player->GetVideo();
        if (IsPlaying(video)) {
            CalendarFields fields = ReportedTime(facade_, video);
            if (!ViewerPlaybackRules::IsValidVideoTime(fields)) {
                EvidenceTime::ToLocalFields(video->GetVideoFile()->startTime + PlayedSeconds(facade_, video), fields);
                fields.millisecond = 0;
            }
            player->SetTime(fields);
        }
        player->UpdateStatus();
        player->RefreshWatermarkBadge();
    }
    CheckPlaybackLoop();
    RenderMetadata();
}

// Each looping camera is checked on its own time, so cameras at different times wrap each at its
// own end; a camera without a recorded span cannot loop and is passed over. A wrap closes no tile.
void CViewer::CheckPlaybackLoop()
{
    HandlerGuard::Run("checkPlayback loop", [this] {
        for (Video* video : AllCameras()) {
            // A follower wraps with its leader.
            if (video->dewarpView != 0 || !IsPlaying(video) || FollowsClock(video)) {
                continue;
            }
            if (video->loop == 0 && !(syncAll_ != 0 && loop_ != 0)) {
                continue;
            }
            const VideoFile* file = video->GetVideoFile();
            if (file == nullptr || !ViewerPlaybackRules::HasSpan(file->startTime, file->endTime)) {
                continue;
            }
            using Wrap = ViewerPlaybackRules::Wrap;
            const Wrap wrap = ViewerPlaybackRules::LoopWrap(video->playbackState, video->speedSteps, CameraTime(video),
                                                            file->startTime, file->endTime);
            if (wrap == Wrap::None) {
                continue;
            }
            const qint64 target = ViewerPlaybackRules::WrapTarget(wrap, file->startTime, file->endTime);
            // Rewinding goes on backwards from the end; forward play restarts at normal speed.
            const bool wrapped = LoggedFacadeCall([&] {
                facade_.SeekVideo(video, target);
                if (wrap == Wrap::ToStart) {
                    facade_.PlayVideo(video);
                }
            });
            if (!wrapped) {
                continue;
            }
            ++video->wrapCounter;
            lastWrapCount_ = video->wrapCounter;
            if (video == clockLeader_) {
                AlignClock();
            }
            MirrorState(VideoList{video});
        }
    });
}

bool CViewer::TransportButtonEnabled(int buttonId) const
{
    const CTimelineBtnCtrl* button = timeline_->Button(buttonId);
    return button != nullptr && button->isEnabled() && !button->IsDisabled();
}

// A key does what its control bar button does, and only while that button can be pressed; the
// bar raises it as its own event, so the viewer handles it as a click.
void CViewer::keyPressEvent(QKeyEvent* event)
{
    using Key = ViewerPlaybackRules::KeyCommand;
    using namespace TimelineIds;
    const Key command =
        ViewerPlaybackRules::TransportKey(event->key(), event->modifiers(), event->isAutoRepeat(), timeline_->PlaybackState());
    const int button = [command] {
        switch (command) {
        case Key::FastForward: return FastForward;
        case Key::FastRewind: return FastRewind;
        case Key::PreviousFrame: return PreviousFrame;
        case Key::NextFrame: return NextFrame;
        default: return PlayPause;
        }
    }();
    if (command == Key::None || !TransportButtonEnabled(button)) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    IUITimelineEvents* bar = timelineCoordinator_.get();
    switch (command) {
    case Key::PlayPause:
        if (timeline_->PlaybackState() == static_cast<int>(PlaybackState::Playing)) {
            bar->OnPause();
        } else {
            bar->OnPlay();
        }
        break;
    case Key::Pause: bar->OnPause(); break;
    case Key::Play: bar->OnPlay(); break;
    case Key::FastForward: bar->OnFastForward(); break;
    case Key::FastRewind: bar->OnFastRewind(); break;
    case Key::PreviousFrame: bar->OnPreviousFrame(); break;
    case Key::NextFrame: bar->OnNextFrame(); break;
    case Key::SeekStart:
    case Key::SeekEnd:
        if (Video* selected = SelectedCamera()) {
            const VideoFile* file = selected->GetVideoFile();
            const qint64 t = command == Key::SeekStart ? file->startTime : file->endTime;
            SendViewerMessage<ViewerMessages::SeekToTime>(this, t);
        }
        break;
    case Key::None: break;
    }
}
