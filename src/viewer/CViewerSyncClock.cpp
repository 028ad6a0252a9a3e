// Sync all's one clock: the selected camera's port (a view's fisheye camera's) leads, and every
// other camera's port follows it inside the decoding library at the distance it had when sync all
// came on, so the tiles show one instant. Followers' transport only keeps their state; the leader
// moves the pictures. Seeking all, and a wrap of the leader, bring every follower to the leader's
// instant; a closed leader hands the lead to the first follower.
#include "viewer/CViewer.h"
#include "viewer/LoggedFacadeCall.h"

#include "evidence/FalException.h"
#include "logging/Logger.h"
#include "viewer/ViewerPlaybackRules.h"

#include <algorithm>
#include <limits>
#include <optional>

namespace {

int32_t Offset(qint64 followerMillis, qint64 leaderMillis)
{
    if (followerMillis < 0 || leaderMillis < 0) {
        return 0;
    }
    const qint64 d = followerMillis - leaderMillis;
    return static_cast<int32_t>(std::clamp<qint64>(d, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

bool Moving(PlaybackState state)
{
    return state == PlaybackState::Playing || state == PlaybackState::FastForward || state == PlaybackState::Rewinding;
}

} // namespace

// The wall-clock time of the camera's frame in ms, -1 when the library cannot tell yet.
qint64 CViewer::WallMillis(Video* video)
{
    try {
        const CalendarFields f = facade_.GetVideoTime(video);
        const std::optional<qint64> seconds = ViewerPlaybackRules::VideoTimeValue(f);
        return seconds ? *seconds * 1000 + f.millisecond : -1;
    } catch (const FalException&) {
        return -1;
    }
}

void CViewer::JoinClock()
{
    LeaveClock();
    if (!oneClock_) {
        return;
    }
    const VideoList targets = TargetCameras();
    Video* selected = ViewerPlaybackRules::RootOf(SelectedCamera());
    Video* leader = std::find(targets.begin(), targets.end(), selected) != targets.end()
                        ? selected
                        : (targets.empty() ? nullptr : targets.front());
    if (leader == nullptr) {
        return;
    }
    clockLeader_ = leader;
    // Joining moves no picture: each follower keeps its distance from the leader.
    const qint64 leaderMillis = WallMillis(leader);
    for (Video* video : targets) {
        if (video == leader || !IsPlaying(video)) {
            continue;
        }
        const int32_t offset = Offset(WallMillis(video), leaderMillis);
        if (LoggedFacadeCall([&] { facade_.FollowVideo(video, leader, offset); })) {
            clockFollowers_.push_back(video);
            clockOffsets_[video] = offset;
        }
    }
}

// A follower's port takes its own clock again standing where it was following; one that was
// moving is started again from there at normal speed (goOn), or its tile would stand still while
// its strip says it plays. Returns whether it was started.
bool CViewer::TakeOwnClock(Video* video, bool goOn)
{
    const bool moving = goOn && Moving(video->playbackState);
    LoggedFacadeCall([&] { facade_.FollowVideo(video, nullptr, 0); });
    if (moving) {
        LoggedFacadeCall([&] {
            facade_.PauseVideo(video);
            facade_.PlayVideo(video);
        });
    }
    return moving;
}

// goOn: sync all turned off, and every camera goes on as the group was going (at normal speed, as
// when a leader hands over).
void CViewer::LeaveClock(bool goOn)
{
    VideoList restarted;
    for (Video* video : clockFollowers_) {
        if (TakeOwnClock(video, goOn)) {
            restarted.push_back(video);
        }
    }
    clockFollowers_.clear();
    clockOffsets_.clear();
    clockLeader_ = nullptr;
    if (!restarted.empty()) {
        MirrorState(restarted);
    }
}

// A camera opened while sync all is on joins the group at the leader's instant; before any
// camera leads, the whole group forms.
void CViewer::JoinClockNewCameras()
{
    if (syncAll_ == 0 || !oneClock_) {
        return;
    }
    if (clockLeader_ == nullptr) {
        JoinClock();
        return;
    }
    for (Video* video : TargetCameras()) {
        if (video == clockLeader_ || FollowsClock(video) || !IsPlaying(video)) {
            continue;
        }
        if (LoggedFacadeCall([&] { facade_.FollowVideo(video, clockLeader_, 0); })) {
            clockFollowers_.push_back(video);
            clockOffsets_[video] = 0;
        }
    }
}

// After seeking all or a wrap: every follower at the leader's instant.
void CViewer::AlignClock()
{
    for (Video* video : clockFollowers_) {
        LoggedFacadeCall([&] { facade_.FollowVideo(video, clockLeader_, 0); });
        clockOffsets_[video] = 0;
    }
}

bool CViewer::FollowsClock(const Video* video) const
{
    return std::find(clockFollowers_.begin(), clockFollowers_.end(), video) != clockFollowers_.end();
}

// Before a camera's port goes: a follower leaves the group; the leader hands the lead to the first
// follower, which takes its own clock again at the group's instant and goes on as it was going,
// the others following it at the distances they had.
void CViewer::ClockCameraClosing(Video* video)
{
    if (video == nullptr || clockLeader_ == nullptr) {
        return;
    }
    if (video != clockLeader_) {
        if (FollowsClock(video)) {
            LoggedFacadeCall([&] { facade_.FollowVideo(video, nullptr, 0); });
            std::erase(clockFollowers_, video);
            clockOffsets_.erase(video);
        }
        return;
    }
    if (clockFollowers_.empty()) {
        clockLeader_ = nullptr;
        return;
    }
    Video* next = clockFollowers_.front();
    clockFollowers_.erase(clockFollowers_.begin());
    const PlaybackState state = next->playbackState;
    const bool fast = state != PlaybackState::Playing;
    TakeOwnClock(next, true);
    clockLeader_ = next;
    // Distances from the new leader follow from those from the old one.
    const int32_t nextOffset = clockOffsets_[next];
    clockOffsets_.erase(next);
    for (Video* follower : clockFollowers_) {
        const int32_t offset = static_cast<int32_t>(std::clamp<qint64>(
            qint64{clockOffsets_[follower]} - nextOffset, std::numeric_limits<int32_t>::min(),
            std::numeric_limits<int32_t>::max()));
        clockOffsets_[follower] = offset;
        LoggedFacadeCall([&] { facade_.FollowVideo(follower, next, offset); });
    }
    // The new leader goes on at normal speed: a group that was fast forwarding or rewinding says
    // so in every strip and on the bar instead of showing a speed it no longer plays at.
    if (Moving(state) && fast) {
        for (Video* follower : clockFollowers_) {
            LoggedFacadeCall([&] {
                facade_.PauseVideo(follower);
                facade_.PlayVideo(follower);
            });
        }
        VideoList group = clockFollowers_;
        group.push_back(next);
        MirrorState(group);
    }
}
