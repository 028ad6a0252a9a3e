#pragma once

#include "driver/FileDriver.h"
#include "evidence/CalendarFields.h"
#include "evidence/Video.h"

#include <QtCore/qnamespace.h>
#include <QtGlobal>
#include <optional>

// The viewer's playback rules without a window: which cameras a transport command acts on, when
// a speed press returns to normal speed, when a looping camera wraps and where to, and which
// times the library reports are usable.
class ViewerPlaybackRules {
public:
    // The camera a dewarp view shows (its fisheye camera); any other camera is its own root.
    static Video* RootOf(Video* video);

    // The cameras a transport command acts on. With sync all: every camera of the pages that is
    // not a dewarp view. Otherwise the selected camera, or for a selected dewarp view the cameras
    // of the pages that are its root camera. Empty without a selection.
    static VideoList TargetCameras(bool syncAll, const VideoList& pageCameras, Video* selected);

    // A speed press at this step returns to normal speed instead: two to the step's power is
    // beyond the device's maximum speed multiplier.
    static bool ReturnsToNormalSpeed(int speedStep, int maxSpeedMultiplier);

    // Seconds before the recording's end (or after its start, rewinding) at which a looping
    // camera wraps: one second at normal speed, else 1, 2, 4, 8, 16, 32 by speed step, the last
    // entry for any step beyond the table.
    static int LoopMargin(PlaybackState state, int speedStep);

    // Whether the recording's start and end make a span a camera can loop in.
    static bool HasSpan(qint64 start, qint64 end);

    enum class Wrap { None, ToStart, ToEnd };
    // Where a looping camera at position goes: playing or fast forwarding near the end, to the
    // start; rewinding near the start, to the end (it goes on rewinding from there).
    static Wrap LoopWrap(PlaybackState state, int speedStep, qint64 position, qint64 start, qint64 end);
    // The time a wrap seeks to: one second inside the recording.
    static qint64 WrapTarget(Wrap wrap, qint64 start, qint64 end);

    // The transport keys of the viewer and its tiles (the bar's own buttons and time scale keep
    // theirs): what a key asks for, by the state the control bar shows. J and L ignore the key's
    // auto-repeat; the frame steps repeat. Keys with Ctrl, Alt or Meta ask for nothing.
    enum class KeyCommand { None, PlayPause, Pause, Play, FastForward, FastRewind, PreviousFrame, NextFrame,
                            SeekStart, SeekEnd };
    static KeyCommand TransportKey(int key, Qt::KeyboardModifiers modifiers, bool autoRepeat, int barState);

    // A time the library reports is usable only with a month 1 ... 12 and a day 1 ... 31.
    static bool IsValidVideoTime(const CalendarFields& time);
    // The time from a camera's video time when valid (local time as the recordings keep it).
    static std::optional<qint64> VideoTimeValue(const CalendarFields& time);
    // The position when the library cannot report a time: the last computed position while it
    // lies inside the recording, otherwise recording start + played seconds.
    static qint64 FallbackPosition(qint64 lastComputed, qint64 start, qint64 end, qint64 playedSeconds);
};
