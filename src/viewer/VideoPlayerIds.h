#pragma once

// The numbers of the video player tile: its controls, pictures, menus and menu commands, named
// once here.
namespace VideoPlayerIds {

inline constexpr int TileControl = 100;

// Caption strip (dialog template 360).
inline constexpr int CaptionTemplate = 360;
inline constexpr int CameraTitleLabel = 1021;
inline constexpr int TimeLabel = 1009;
inline constexpr int CloseButton = 1001;

// Status strip (dialog template 349).
inline constexpr int StatusTemplate = 349;
inline constexpr int DeviceTitleLabel = 1108;
inline constexpr int StateLabel = 1109;

// Pictures.
inline constexpr int ClosePicture = 579;
inline constexpr int StatusIcon = 135;
inline constexpr int AudioOnPicture = 392;   // the audio item while the camera's sound is on
inline constexpr int AudioOffPicture = 393;  // ... and while it is off

// Context menus, by audio and mounting.
inline constexpr int MenuCeilingAudioOn = 32786;
inline constexpr int MenuCeilingAudioOff = 32787;
inline constexpr int MenuDesktopAudioOn = 32853;
inline constexpr int MenuDesktopAudioOff = 32851;
inline constexpr int MenuWallAudioOn = 32852;
inline constexpr int MenuWallAudioOff = 32854;

// Menu commands.
inline constexpr int DisableAudio = 32784;
inline constexpr int EnableAudio = 32785;
inline constexpr int Watermark = 32860;
inline constexpr int ViewPtz = 32838;
inline constexpr int ViewPanoramic180 = 32839;
inline constexpr int ViewPanoramic360 = 32840;
inline constexpr int View360PanoramaPtz = 32843;
inline constexpr int View360Panorama3Ptz = 32844;
inline constexpr int View360Panorama6Ptz = 32845;
inline constexpr int View360Panorama8Ptz = 32846;
inline constexpr int View2Ptz = 32847;
inline constexpr int View4Ptz = 32848;
inline constexpr int View360Degree3Ptz = 32849;
inline constexpr int View360Degree8Ptz = 32850;
inline constexpr int ViewPanorama3Ptz = 32851;
inline constexpr int ViewPanorama8Ptz = 32852;
inline constexpr int ViewPanorama = 32855;
inline constexpr int View180Panorama = 32856;
inline constexpr int View360Panorama = 32857;

// The device capability byte that withholds the context menu.
inline constexpr int NoMenuCapability = 10;

} // namespace VideoPlayerIds
