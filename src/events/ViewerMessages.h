#pragma once

// The private message numbers between the panes, their coordinators and the viewer: the
// framework's user-message base (1024) plus a fixed offset. This is the one place they are
// written; everything else uses the names. Panes also send some of them to their own parents
// (tiles to the grid), and the viewer handles each number one way, whoever sends it.
namespace ViewerMessages {

inline constexpr int kUserMessageBase = 1024;

// Playback control bar (IUITimelineEvents).
inline constexpr int OnPlay = 1131;
inline constexpr int OnPause = 1132;
inline constexpr int OnPreviousFrame = 1133;
inline constexpr int OnNextFrame = 1134;
inline constexpr int OnFastForward = 1135;
inline constexpr int OnFastRewind = 1136;
inline constexpr int OnLoop = 1138;
inline constexpr int OnShowFileInfo = 1140;
inline constexpr int OnExportSnapshot = 1141;
inline constexpr int OnGoToTime = 1142;
inline constexpr int OnShowMap = 1149;

// Viewer caption (IUIViewerCaptionEvents).
inline constexpr int CloseAllVideoPlayers = 1143;
inline constexpr int ShowOverLayText = 1144;
inline constexpr int SetLayout = 1145;
inline constexpr int AdjustCameraOrder = 1146;
inline constexpr int MaxRestoreViewer = 1147;
inline constexpr int ShowPreviousVideoPage = 1158;
inline constexpr int ShowNextVideoPage = 1159;
inline constexpr int ShowVideoPlayerVolumeBars = 1166;
inline constexpr int ShiftCamerasBackward = 1172;
inline constexpr int ShiftCamerasForward = 1173;
inline constexpr int EnableAllCamerasAudio = 1195;

// Tile grid and its tiles (IUIViewerGridEvents).
inline constexpr int CloseVideoPlayer = 1148;
inline constexpr int HandleMouseMoveInFullScreenMode = 1160;
inline constexpr int SelectVideoPlayer = 1161;
inline constexpr int HandleSingleTileMaximized = 1163;
inline constexpr int OpenVideoFileAndPlaySingleCamera = 1168;
inline constexpr int RefreshVideoWindow = 1206;
inline constexpr int DewarpDragMove = 1210;
inline constexpr int DewarpDragStart = 1211;

// Shared by the application-wide and the grid interfaces.
inline constexpr int PlaySelectedVideoFile = 1156;
inline constexpr int EnableCameraAudio = 1162;
inline constexpr int DisableCameraAudio = 1165;
inline constexpr int OpenVideoPlayer = 1169;
inline constexpr int OpenDewarpView = 1209;
inline constexpr int ShowWatermark = 1212;

// Application-wide channel (IPlomeraViewEvents).
inline constexpr int OpenLocalFile = 1151;
inline constexpr int SeekToTime = 1152;
inline constexpr int SetPreserveAspectRatio = 1153;
inline constexpr int ShowMilliSeconds = 1154;
inline constexpr int ShowVideoTime = 1155;
inline constexpr int ReleaseVideoFile = 1157;
inline constexpr int SelectCamera = 1164;
// The main frame's close command; the viewer answers it by sending itself CloseAllVideoPlayers.
inline constexpr int CloseAllVideoPlayersRequest = 1174;
inline constexpr int EditBookmark = 1177;
inline constexpr int DeleteBookmark = 1178;
inline constexpr int DeleteBookmarks = 1179;
inline constexpr int CopyBookmarkToClipboard = 1180;
inline constexpr int CopyBookmarksToClipboard = 1181;
inline constexpr int PrintBookmark = 1182;
inline constexpr int PrintBookmarks = 1183;
inline constexpr int SeekToBookmark = 1184;
inline constexpr int SaveBookmarks = 1185;
// With a time from the time scale, or without one (first parameter 0) from the control bar.
inline constexpr int AddBookmark = 1186;
inline constexpr int RegisterLocalFile = 1189;
inline constexpr int MetadataHover = 1190;
inline constexpr int DisplayMetadataSettings = 1191;
inline constexpr int VisibleRangeChanged = 1192;
inline constexpr int MetadataPaneSized = 1193;
inline constexpr int RestoreViewerWhenMaximized = 1194;
inline constexpr int UpdateDeviceLevelAudio = 1197;
inline constexpr int ShowMetadataChart = 1198;
inline constexpr int SeekToMapPoint = 1199;
inline constexpr int SeekToCursorTime = 1200;
inline constexpr int MapViewToggled = 1201;
inline constexpr int SetTempFolder = 1202;
inline constexpr int StartupComplete = 1203;
inline constexpr int FramePlacementChanged = 1205;
inline constexpr int SelectAllCameras = 1207;
// With a flag from the application-wide channel, or without one from the control bar.
inline constexpr int SyncAll = 1208;
// The File menu's snapshots of the selected tile: into the snapshot folder, onto the clipboard.
inline constexpr int SnapshotSelectedTile = 1213;
inline constexpr int CopySnapshotToClipboard = 1214;

// The layout selection pop-up to its caption: the chosen layout mode.
inline constexpr int LayoutModeSelected = 1124;

// Requests that reach the viewer from elsewhere than the four interfaces.
inline constexpr int LogError = 1126;          // first parameter: the text to log as an error
inline constexpr int SaveSnapshots = 1150;     // from the snapshot dialog
inline constexpr int SetAudioVolume = 1167;    // camera, volume 0 ... 65535
inline constexpr int CloseVolumePopup = 1175;  // the volume pop-up lost the pointer
inline constexpr int CabinetProgress = 1204;   // posted by the support-library expansion
inline constexpr int WatermarkReport = 3023;
// The map and metadata panes' two further requests; their issues give them their parameters.
inline constexpr int MetadataNotice = 1125;
inline constexpr int MetadataSettingsChanged = 1188;  // the settings dialog's edited list

}  // namespace ViewerMessages
