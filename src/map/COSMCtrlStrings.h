#pragma once

// The map control's texts, each exactly as the control has always shown and logged them.
// Failure texts put the reason where their %s is.
namespace COSMCtrlStrings {

inline constexpr const char* kCreateFailed = "Create() failed : %s";
inline constexpr const char* kCreateChildControlsFailed = "OnCreateChildControls() failed : %s";
inline constexpr const char* kDrawFailed = "Draw() failed : %s";
// Belongs to the editing modes, which this program does not offer.
inline constexpr const char* kDblClickPolylineFailed = "HandleLButtonDblClickPolyline() failed : %s";
inline constexpr const char* kDblClickMapFailed = "HandleLButtonDblClickMap() failed : %s";
inline constexpr const char* kLButtonDblClkFailed = "OnLButtonDblClk() failed : %s";
inline constexpr const char* kStartDragFailed = "StartDrag() failed : %s";
inline constexpr const char* kLButtonDownFailed = "OnLButtonDown() failed : %s";
inline constexpr const char* kMouseMoveFailed = "OnMouseMove() failed : %s";
inline constexpr const char* kLButtonUpFailed = "OnLButtonUp() failed : %s";
inline constexpr const char* kKeyDownFailed = "OnKeyDown() failed : %s";
inline constexpr const char* kCharFailed = "OnChar() failed : %s";
inline constexpr const char* kMouseWheelFailed = "OnMouseWheel() failed : %s";
inline constexpr const char* kVScrollFailed = "OnVScroll() failed : %s";
inline constexpr const char* kBoundingNodeRectFailed = "GetBoundingNodeRect() failed : %s";
inline constexpr const char* kBoundingRectFailed = "GetBoundingRect() failed : %s";
inline constexpr const char* kSizeFailed = "OnSize() failed : %s";
inline constexpr const char* kDraw2DFailed = "OnDraw2D() failed : %s";
// The renderer's device was lost and remade; the painter here has no such event.
inline constexpr const char* kRecreatedResourcesFailed = "OnRecreatedResources() failed : %s";
// The viewer's side of a double-click on the map.
inline constexpr const char* kSeekVideoToMapPositionFailed = "SeekVideoToMapPosition() failed : %s";

// String 110: the tile source's attribution, two links.
inline constexpr const char* kAttribution110 =
    "<a href=\"https://www.openstreetmap.org/copyright\">\u00a9 OpenStreetMap contributors</a>, "
    "<a href=\"https://opendatacommons.org/licenses/odbl/\">License</a>";

} // namespace COSMCtrlStrings
