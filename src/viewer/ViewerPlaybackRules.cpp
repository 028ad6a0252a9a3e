#include "viewer/ViewerPlaybackRules.h"

#include "evidence/EvidenceTime.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::array<int, 6> kMarginBySpeedStep{1, 2, 4, 8, 16, 32};

} // namespace

Video* ViewerPlaybackRules::RootOf(Video* video)
{
    if (video == nullptr) {
        return nullptr;
    }
    return video->dewarpView != 0 && video->rootCamera != nullptr ? video->rootCamera : video;
}

VideoList ViewerPlaybackRules::TargetCameras(bool syncAll, const VideoList& pageCameras, Video* selected)
{
    VideoList targets;
    if (syncAll) {
        for (Video* v : pageCameras) {
            if (v != nullptr && v->dewarpView == 0) {
                targets.push_back(v);
            }
        }
        return targets;
    }
    if (selected == nullptr) {
        return targets;
    }
    if (selected->dewarpView == 0) {
        targets.push_back(selected);
        return targets;
    }
    for (Video* v : pageCameras) {
        if (v != nullptr && v == selected->rootCamera) {
            targets.push_back(v);
        }
    }
    return targets;
}

bool ViewerPlaybackRules::ReturnsToNormalSpeed(int speedStep, int maxSpeedMultiplier)
{
    if (speedStep < 0) {
        return false;
    }
    // Beyond 30 the power leaves 64 bits' comfort; any such step is past every device's limit.
    if (speedStep > 30) {
        return true;
    }
    return (qint64{1} << speedStep) > maxSpeedMultiplier;
}

int ViewerPlaybackRules::LoopMargin(PlaybackState state, int speedStep)
{
    if (state == PlaybackState::Playing) {
        return kMarginBySpeedStep.front();
    }
    const int index = std::clamp(speedStep, 0, static_cast<int>(kMarginBySpeedStep.size()) - 1);
    return kMarginBySpeedStep[static_cast<size_t>(index)];
}

bool ViewerPlaybackRules::HasSpan(qint64 start, qint64 end)
{
    return start != 0 && end != 0 && end > start;
}

ViewerPlaybackRules::Wrap ViewerPlaybackRules::LoopWrap(PlaybackState state, int speedStep, qint64 position,
                                                        qint64 start, qint64 end)
{
    if (!HasSpan(start, end)) {
        return Wrap::None;
    }
    const int margin = LoopMargin(state, speedStep);
    switch (state) {
    case PlaybackState::Playing:
    case PlaybackState::FastForward:
        return position >= end - margin ? Wrap::ToStart : Wrap::None;
    case PlaybackState::Rewinding:
        return position <= start + margin ? Wrap::ToEnd : Wrap::None;
    default:
        return Wrap::None;
    }
}

qint64 ViewerPlaybackRules::WrapTarget(Wrap wrap, qint64 start, qint64 end)
{
    switch (wrap) {
    case Wrap::ToStart: return start + 1;
    case Wrap::ToEnd: return end - 1;
    case Wrap::None: break;
    }
    return start;
}

bool ViewerPlaybackRules::IsValidVideoTime(const CalendarFields& time)
{
    return time.month >= 1 && time.month <= 12 && time.day >= 1 && time.day <= 31;
}

std::optional<qint64> ViewerPlaybackRules::VideoTimeValue(const CalendarFields& time)
{
    if (!IsValidVideoTime(time)) {
        return std::nullopt;
    }
    return EvidenceTime::FromLocalFields(time);
}

qint64 ViewerPlaybackRules::FallbackPosition(qint64 lastComputed, qint64 start, qint64 end, qint64 playedSeconds)
{
    if (lastComputed >= start && lastComputed <= end) {
        return lastComputed;
    }
    return start + playedSeconds;
}

ViewerPlaybackRules::KeyCommand ViewerPlaybackRules::TransportKey(int key, Qt::KeyboardModifiers modifiers,
                                                                  bool autoRepeat, int barState)
{
    if ((modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) != 0) {
        return KeyCommand::None;
    }
    switch (key) {
    case Qt::Key_Space: return autoRepeat ? KeyCommand::None : KeyCommand::PlayPause;
    case Qt::Key_K: return autoRepeat ? KeyCommand::None : KeyCommand::Pause;
    case Qt::Key_L:
        if (autoRepeat) {
            return KeyCommand::None;
        }
        return barState == static_cast<int>(PlaybackState::Playing)
                       || barState == static_cast<int>(PlaybackState::FastForward)
                   ? KeyCommand::FastForward
                   : KeyCommand::Play;
    case Qt::Key_J: return autoRepeat ? KeyCommand::None : KeyCommand::FastRewind;
    case Qt::Key_Left: return KeyCommand::PreviousFrame;
    case Qt::Key_Right: return KeyCommand::NextFrame;
    case Qt::Key_Home: return autoRepeat ? KeyCommand::None : KeyCommand::SeekStart;
    case Qt::Key_End: return autoRepeat ? KeyCommand::None : KeyCommand::SeekEnd;
    default: return KeyCommand::None;
    }
}
