#pragma once

#include "events/ViewerMessages.h"
#include "logging/HandlerGuard.h"

#include <QtGlobal>
#include <array>
#include <cstddef>

// How a message parameter is written and read (the conventions of ViewerMessageEvent.h).
enum class ParamKind : quint8 {
    None,          // always 0
    Flag,          // 0 or 1 in the low byte
    Number,        // the value itself (layout mode, show command, volume)
    Text,          // address of a QString the sender holds for the duration of the send
    OwnedText,     // address of a QString allocated for a posted message; the receiver deletes it
    Time,          // address of a 64-bit time; 0 for "no time"
    Point,         // address of a QPoint
    Rect,          // address of a QRect
    MapPoint,      // address of a structMapPoint
    Window,        // address of a QObject* (which is null for none)
    // Pane objects by address, owned by the sender; 0 for none.
    Video,
    Bookmark,
    BookmarkList,
    NavigatorItem,
    Cell,
    Object,        // a request record whose type the handler names (snapshot request)
};

// One viewer message: its number, its event's name, its two parameters and the text its handler
// logs on failure. The one table of every message the viewer and the panes exchange; the
// coordinators write the parameters by it and the viewer's handlers read them by it.
struct ViewerMessageSpec {
    int number;
    const char* name;
    ParamKind w;
    ParamKind l;
    HandlerGuard::Failure failure;
};

namespace ViewerMessages {

// A row; the failure text is "Error in <name> : %s" unless one is given.
constexpr ViewerMessageSpec Row(int number, const char* name, ParamKind w = ParamKind::None,
                                ParamKind l = ParamKind::None, HandlerGuard::Failure failure = {})
{
    if (!failure.operation && !failure.text)
        failure = HandlerGuard::ErrorIn(name);
    return ViewerMessageSpec{number, name, w, l, failure};
}

// Where a Part names a handler's failure text, the row carries it. A number shared by two events
// (1156, 1162, 1165, 1169, 1186, 1208, 1209, 1212) has one row: the viewer handles it one way.
inline constexpr auto kTable = [] {
    using enum ParamKind;
    constexpr auto In = HandlerGuard::ErrorIn;
    constexpr auto Whole = HandlerGuard::Text;  // a failure text of another shape
    return std::array{
        // Playback control bar (IUITimelineEvents).
        Row(OnPlay, "OnPlay", None, None, In("SetPlayback state")),
        Row(OnPause, "OnPause", None, None, In("SetPlayback state")),
        Row(OnPreviousFrame, "OnPreviousFrame", None, None, In("SetPlayback state")),
        Row(OnNextFrame, "OnNextFrame", None, None, In("SetPlayback state")),
        Row(OnFastForward, "OnFastForward", None, None, In("SetPlayback state")),
        Row(OnFastRewind, "OnFastRewind", None, None, In("SetPlayback state")),
        Row(OnLoop, "OnLoop", Flag, None, In("setplaybackstate")),
        Row(OnShowFileInfo, "OnShowFileInfo", None, None, In("ShowFileInfo")),
        Row(OnExportSnapshot, "OnExportSnapshot"),
        Row(OnGoToTime, "OnGoToTime", None, None, In("GoToSpecificTime")),
        Row(OnShowMap, "OnShowMap", None, None, In("ShowMapViewer")),

        // Viewer caption (IUIViewerCaptionEvents).
        Row(CloseAllVideoPlayers, "CloseAllVideoPlayers"),
        Row(ShowOverLayText, "ShowOverLayText", Flag),
        Row(SetLayout, "SetLayout", Number, None, In("set layout")),
        Row(AdjustCameraOrder, "AdjustCameraOrder"),
        Row(MaxRestoreViewer, "MaxRestoreViewer", Flag),
        Row(ShowPreviousVideoPage, "ShowPreviousVideoPage"),
        Row(ShowNextVideoPage, "ShowNextVideoPage"),
        Row(ShowVideoPlayerVolumeBars, "ShowVideoPlayerVolumeBars", Rect),
        Row(ShiftCamerasBackward, "ShiftCamerasBackward"),
        Row(ShiftCamerasForward, "ShiftCamerasForward"),
        Row(EnableAllCamerasAudio, "EnableAllCamerasAudio", Flag, None, In("OnEnableAllCamerasAudio")),

        // Tile grid and its tiles (IUIViewerGridEvents).
        Row(CloseVideoPlayer, "CloseVideoPlayer", Video),
        Row(HandleMouseMoveInFullScreenMode, "HandleMouseMoveInFullScreenMode", Point),
        Row(SelectVideoPlayer, "SelectVideoPlayer", Video),
        Row(HandleSingleTileMaximized, "HandleSingleTileMaximized", Cell),
        Row(OpenVideoFileAndPlaySingleCamera, "OpenVideoFileAndPlaySingleCamera", Video, Text),
        Row(RefreshVideoWindow, "RefreshVideoWindow"),
        Row(DewarpDragMove, "DewarpDragMove", Video),
        Row(DewarpDragStart, "DewarpDragStart", Video),

        // Shared by the application-wide and the grid interfaces.
        Row(PlaySelectedVideoFile, "PlaySelectedVideoFile", Text),
        Row(EnableCameraAudio, "EnableCameraAudio", Video, None, Whole("Enabled Audio failed : %s")),
        Row(DisableCameraAudio, "DisableCameraAudio", Video, None, Whole("Disabled Audio failed : %s")),
        Row(OpenVideoPlayer, "OpenVideoPlayer", NavigatorItem, Cell),
        Row(OpenDewarpView, "OpenDewarpView", Video, Text),
        Row(ShowWatermark, "ShowWatermark", Video),

        // Application-wide channel (IPlomeraViewEvents).
        Row(OpenLocalFile, "OpenLocalFile", Text, None, In("openLocalFile")),
        Row(SeekToTime, "SeekToTime", Time),
        Row(SetPreserveAspectRatio, "SetPreserveAspectRatio", Flag),
        Row(ShowMilliSeconds, "ShowMilliSeconds", Flag),
        Row(ShowVideoTime, "ShowVideoTime", Flag),
        Row(ReleaseVideoFile, "ReleaseVideoFile", Text),
        Row(SelectCamera, "SelectCamera", Video),
        Row(CloseAllVideoPlayersRequest, "CloseAllVideoPlayers"),
        Row(EditBookmark, "EditBookmark", Bookmark),
        Row(DeleteBookmark, "DeleteBookmark", Bookmark),
        Row(DeleteBookmarks, "DeleteBookmarks", BookmarkList),
        Row(CopyBookmarkToClipboard, "CopyBookmarkToClipboard", Bookmark),
        Row(CopyBookmarksToClipboard, "CopyBookmarksToClipboard", BookmarkList),
        Row(PrintBookmark, "PrintBookmark", Bookmark),
        Row(PrintBookmarks, "PrintBookmarks", BookmarkList),
        Row(SeekToBookmark, "SeekToBookmark", Bookmark),
        Row(SaveBookmarks, "SaveBookmarks"),
        // With a time from the time scale, without one (0) from the control bar.
        Row(AddBookmark, "AddBookmark", Time),
        Row(RegisterLocalFile, "RegisterLocalFile", Text),
        Row(MetadataHover, "MetadataHover", Window, Point),
        Row(DisplayMetadataSettings, "DisplayMetadataSettings", None, None, Whole("Error in OnDisplaymetadataSettings: %s")),
        Row(VisibleRangeChanged, "VisibleRangeChanged", Time, Time),
        Row(MetadataPaneSized, "MetadataPaneSized"),
        Row(RestoreViewerWhenMaximized, "RestoreViewerWhenMaximized"),
        Row(UpdateDeviceLevelAudio, "UpdateDeviceLevelAudio", Flag, Flag, Whole("UpdateDeviceLevelAudio : %s")),
        Row(ShowMetadataChart, "ShowMetadataChart", Flag),
        Row(SeekToMapPoint, "SeekToMapPoint", MapPoint),
        Row(SeekToCursorTime, "SeekToCursorTime"),
        Row(MapViewToggled, "MapViewToggled", Flag),
        Row(SetTempFolder, "SetTempFolder", Text),
        Row(StartupComplete, "StartupComplete"),
        Row(FramePlacementChanged, "FramePlacementChanged", Number),
        Row(SelectAllCameras, "SelectAllCameras", Flag),
        Row(SyncAll, "SyncAll", Flag),
        Row(SnapshotSelectedTile, "SnapshotSelectedTile"),
        Row(CopySnapshotToClipboard, "CopySnapshotToClipboard"),

        // Requests that reach the viewer from elsewhere than the four interfaces.
        Row(LogError, "LogError", Text),
        Row(SaveSnapshots, "SaveSnapshots", Object, None, In("SaveSnaposhots")),
        Row(SetAudioVolume, "SetAudioVolume", Video, Number, Whole("SetAudioVolume failed : %s")),
        Row(CloseVolumePopup, "CloseVolumePopup"),
        Row(CabinetProgress, "CabinetProgress", Number, Number),
        Row(WatermarkReport, "WatermarkReport", OwnedText, OwnedText),
        Row(MetadataNotice, "MetadataNotice"),
        Row(MetadataSettingsChanged, "MetadataSettingsChanged", Object),
    };
}();

// The place of a message number's row in kTable; -1 for a number no row has.
constexpr int IndexOf(int number)
{
    for (size_t i = 0; i < kTable.size(); ++i) {
        if (kTable[i].number == number)
            return static_cast<int>(i);
    }
    return -1;
}

// The row of a message number; null for a number no row has.
inline const ViewerMessageSpec* Find(int number)
{
    const int index = IndexOf(number);
    return index < 0 ? nullptr : &kTable[static_cast<size_t>(index)];
}

}  // namespace ViewerMessages
