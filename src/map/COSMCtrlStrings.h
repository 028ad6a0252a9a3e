#pragma once

// The map control's texts, each exactly as the control has always shown and logged them.
// Failure formats take the failure text as %1.
namespace COSMCtrlStrings {

inline constexpr const char* kCreateFailed = "Create() failed : %1";
inline constexpr const char* kCreateChildControlsFailed = "OnCreateChildControls() failed : %1";
inline constexpr const char* kDrawFailed = "Draw() failed : %1";
// Belongs to the editing modes, which this program does not offer.
inline constexpr const char* kDblClickPolylineFailed = "HandleLButtonDblClickPolyline() failed : %1";
inline constexpr const char* kDblClickMapFailed = "HandleLButtonDblClickMap() failed : %1";
inline constexpr const char* kLButtonDblClkFailed = "OnLButtonDblClk() failed : %1";
inline constexpr const char* kStartDragFailed = "StartDrag() failed : %1";
inline constexpr const char* kLButtonDownFailed = "OnLButtonDown() failed : %1";
inline constexpr const char* kMouseMoveFailed = "OnMouseMove() failed : %1";
inline constexpr const char* kLButtonUpFailed = "OnLButtonUp() failed : %1";
inline constexpr const char* kKeyDownFailed = "OnKeyDown() failed : %1";
inline constexpr const char* kCharFailed = "OnChar() failed : %1";
inline constexpr const char* kMouseWheelFailed = "OnMouseWheel() failed : %1";
inline constexpr const char* kVScrollFailed = "OnVScroll() failed : %1";
inline constexpr const char* kBoundingNodeRectFailed = "GetBoundingNodeRect() failed : %1";
inline constexpr const char* kBoundingRectFailed = "GetBoundingRect() failed : %1";
inline constexpr const char* kSizeFailed = "OnSize() failed : %1";
inline constexpr const char* kDraw2DFailed = "OnDraw2D() failed : %1";
// The renderer's device was lost and remade; the painter here has no such event.
inline constexpr const char* kRecreatedResourcesFailed = "OnRecreatedResources() failed : %1";
// The viewer's side of a double-click on the map.
inline constexpr const char* kSeekVideoToMapPositionFailed = "SeekVideoToMapPosition() failed : %1";

// String 110: the tile source's attribution, two links.
inline constexpr const char* kAttribution110 =
    "<a href=\"https://www.openstreetmap.org/copyright\">\u00a9 OpenStreetMap contributors</a>, "
    "<a href=\"https://opendatacommons.org/licenses/odbl/\">License</a>";

} // namespace COSMCtrlStrings
