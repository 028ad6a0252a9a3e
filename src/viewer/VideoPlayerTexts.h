#pragma once

#include "evidence/CalendarFields.h"
#include "evidence/Video.h"

#include <QLocale>
#include <QString>

// The texts of a tile's strips, written once here: playback state, date and time of the
// picture, the tooltips, and the texts its handlers log.
namespace VideoPlayerTexts {

// Handler failures ("%s" is the reason).
inline constexpr const char* AdjustLayoutFailed = "Error in AdjustLayout CVideoPlayer: %s";
inline constexpr const char* ButtonUpFailed = "Error in OnLButtonUp CVideoPlayer: %s";
inline constexpr const char* MouseMoveFailed = "Error in OnMouseMove: %s";
inline constexpr const char* CloseFailed = "Error in OnTilClose CVideoPlayer: %s";
inline constexpr const char* CreateFailed = "Failed to Create Video Player: %s";
inline constexpr const char* StripButtonUpFailed = "Error in CVideoPlayerStatusBar OnLButtonUp(): %s";

inline constexpr const char* WindowTitle = "Camera 1";

// Label 1109: the state, with the speed step for rewinding and fast forward.
QString StateText(PlaybackState state, int speedSteps);

// The time format of a locale: its long time format without the zone, and with show
// milliseconds ".zzz" right after the seconds, wherever the locale puts them.
QString TimeFormat(const QLocale& locale, bool milliseconds);
// Label 1009: "<short date> <time>".
QString TimeText(const CalendarFields& time, bool milliseconds, const QLocale& locale = QLocale());

QString CameraTitleTooltip(const QString& title);
QString DeviceTitleTooltip(const QString& title);
// "%dfps", with ", %dx%d" when the size is known; empty without a frame rate.
QString StreamInfo(double frameRate, int width, int height);
// The tooltip of label 1109.
QString StatusTooltip(const QString& stateText, const QString& streamInfo);

} // namespace VideoPlayerTexts
