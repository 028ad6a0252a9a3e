#pragma once

// Command, resource and string numbers of the main window, named once here.
namespace CommandIds {

inline constexpr int FileOpen = 57601;
inline constexpr int NavigatorOpenVideoFile = 32781;
inline constexpr int PreserveAspectRatio = 32830;
inline constexpr int ShowMilliseconds = 32831;
inline constexpr int ShowVideoTime = 32832;
inline constexpr int MetadataChart = 32833;
inline constexpr int MetadataChartButton = 32836;
inline constexpr int MapView = 32835;
inline constexpr int SaveBookmarks = 32822;
inline constexpr int SnapshotSelectedTile = 32850;
inline constexpr int CopySnapshotToClipboard = 32851;
inline constexpr int About = 57664;
inline constexpr int StatusBar = 59393;
inline constexpr int Exit = 57665;
inline constexpr int StyleFirst = 205;
inline constexpr int StyleLast = 219;
inline constexpr int DefaultStyle = 210;
// Accepted by the view and handled elsewhere (navigator, tiles).
inline constexpr int IgnoredByView[] = {32827, 32828, 32784, 32785, 1001, 1062};

inline constexpr int NavigatorPaneId = 133;
inline constexpr int ViewerControlId = 11;
inline constexpr int MainToolbar = 570;

} // namespace CommandIds

namespace StringIds {

inline constexpr const char* AppTitle = "Ombrix Player";                 // 128
inline constexpr const char* NavigatorCaption = "Video File Selector";   // 527
inline constexpr const char* Customize = "Customize...";                 // 125

} // namespace StringIds
