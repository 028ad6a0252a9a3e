#pragma once

// Dialog, control, command, picture and string numbers of the time scale and the control bar,
// named once here.
namespace TimelineIds {

// Dialogs.
inline constexpr int TrackBarDialog = 347;
inline constexpr int GoToDialog = 348;
inline constexpr int FileInfoDialog = 555;
inline constexpr int ControlBarDialog = 560;

// Track bar controls.
inline constexpr int ScrollLeft = 1088;
inline constexpr int Surface = 1004;
inline constexpr int ScrollRight = 1006;

// Control bar controls.
inline constexpr int PreviousFrame = 7009;
inline constexpr int FastRewind = 1098;
inline constexpr int PlayPause = 1099;
inline constexpr int FastForward = 1101;
inline constexpr int NextFrame = 1102;
inline constexpr int Loop = 1005;
inline constexpr int Separator1000 = 1000;
inline constexpr int SyncAll = 7048;
inline constexpr int ExportSnapshot = 1103;
inline constexpr int LocalFileInfo = 1106;
inline constexpr int Separator1063 = 1063;
inline constexpr int ZoomIn = 1002;
inline constexpr int ZoomOut = 1003;
inline constexpr int CenterCursor = 7005;
inline constexpr int GoTo = 1007;
inline constexpr int ScaleFrame = 7044;
inline constexpr int ShowMap = 1104;

// Go-to and file information dialogs.
inline constexpr int GoToCalendar = 7007;
inline constexpr int GoToTimePicker = 1095;
inline constexpr int InfoDevice = 1041;
inline constexpr int InfoCamera = 1042;
inline constexpr int InfoStart = 1043;
inline constexpr int InfoEnd = 1107;
inline constexpr int InfoDeviceType = 1046;
inline constexpr int InfoLocation = 1045;
// Beyond the dialog's template: the camera's watermark checks, on a row of their own.
inline constexpr int InfoWatermark = 1047;

// Snapshot dialog.
inline constexpr int SnapshotDialog = 568;
inline constexpr int SnapshotFolder = 1047;
inline constexpr int SnapshotTime = 1048;
inline constexpr int SnapshotDeviceTitle = 1049;
inline constexpr int SnapshotCameras = 1050;
inline constexpr int SnapshotBrowse = 1051;
inline constexpr int SnapshotOk = 1;

// Menus and their commands.
inline constexpr int BookmarkMenu = 365;
inline constexpr int PlaceMenu = 366;
inline constexpr int Details = 32841;
inline constexpr int SeekToBookmark = 32798;
inline constexpr int CopyBookmark = 32799;
inline constexpr int PrintBookmark = 32797;
inline constexpr int DeleteBookmark = 32796;
inline constexpr int EditBookmark = 32805;
inline constexpr int AddBookmark = 32814;

// Strings.
inline constexpr int AddBookmarkText = 121;
inline constexpr int ScrollRightText = 314;
inline constexpr int ScrollLeftText = 529;

// Pictures.
inline constexpr int CursorPicture = 563;

} // namespace TimelineIds
