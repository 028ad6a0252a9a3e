#pragma once

// Numbers of the control bar's pictures (drawn in src/resources/pictures/Timeline.cpp). Each
// button has three in a row: normal, hover, disabled.
namespace TimelinePictures {

inline constexpr int PreviousFrame = 700;
inline constexpr int FastRewind = 703;
inline constexpr int Play = 706;
inline constexpr int Pause = 709;
inline constexpr int FastForward = 712;
inline constexpr int NextFrame = 715;
inline constexpr int Loop = 718;
inline constexpr int LoopChecked = 721;
inline constexpr int SyncAll = 724;
inline constexpr int ExportSnapshot = 727;
inline constexpr int FileInfo = 730;
inline constexpr int ZoomIn = 733;
inline constexpr int ZoomOut = 736;
inline constexpr int CenterCursor = 739;
inline constexpr int GoTo = 742;
inline constexpr int ShowMetadata = 745;

} // namespace TimelinePictures
