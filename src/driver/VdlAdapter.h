#pragma once

#include "vdl/vdl.h"

// The decoding library's calls the player makes, in one list. The driver reaches the library only
// through a table built from it, so the library can be loaded late (from the folder start-up
// prepares) and tests can hand in a table of their own.
#define PLOMERA_VDL_CALLS(X)                                                                       \
    X(AcquirePort)                                                                                 \
    X(ReleasePort)                                                                                 \
    X(SetIndexReadyCallback)                                                                       \
    X(SetStreamKey)                                                                                \
    X(OpenFile)                                                                                    \
    X(SyncToAudio)                                                                                 \
    X(GetFileTimeRange)                                                                            \
    X(Play)                                                                                        \
    X(Pause)                                                                                       \
    X(Stop)                                                                                        \
    X(Faster)                                                                                      \
    X(Slower)                                                                                      \
    X(PlayBackward)                                                                                \
    X(StepForward)                                                                                 \
    X(StepBackward)                                                                                \
    X(SeekPlayedTime)                                                                              \
    X(SeekWallClock)                                                                               \
    X(GetPlayedSeconds)                                                                            \
    X(GetPlayedMillis)                                                                             \
    X(GetFrameTime)                                                                                \
    X(GetFrameClock)                                                                               \
    X(SoundOn)                                                                                     \
    X(SoundOff)                                                                                    \
    X(SetVolume)                                                                                   \
    X(EnableOverlays)                                                                              \
    X(GetPictureSize)                                                                              \
    X(GetBmp)                                                                                      \
    X(SetWatermarkCallback)                                                                        \
    X(DewarpEnable)                                                                                \
    X(DewarpDisable)                                                                               \
    X(DewarpOpenView)                                                                              \
    X(DewarpCloseView)                                                                             \
    X(DewarpGetParams)                                                                             \
    X(DewarpSetParams)                                                                             \
    X(DewarpSetWindow)                                                                             \
    X(DewarpSetOutlineMode)                                                                        \
    X(DewarpViewAt)                                                                                \
    X(DewarpMapDrag)                                                                               \
    X(GetLastError)                                                                                \
    X(GetErrorText)                                                                                \
    X(SelectStream)                                                                                \
    X(SetWallClockOrigin)                                                                          \
    X(SetSurface)                                                                                  \
    X(FollowPort)                                                                                  \
    X(SetFollowOffset)                                                                             \
    X(SetSurfaceView)                                                                              \
    X(GetStats)                                                                                    \
    X(GetStreamInfo)                                                                               \
    X(GetBmpAndFrame)                                                                              \
    X(GetFrameInfo)                                                                                \
    X(SetLogCallback)                                                                              \
    X(GetWatermarkStatus)                                                                          \
    X(ScanWatermark)

// One entry per call, typed from the public header; a loaded table has every entry set.
struct VdlAdapter {
#define PLOMERA_VDL_ENTRY(name) decltype(&::VDL_##name) name = nullptr;
    PLOMERA_VDL_CALLS(PLOMERA_VDL_ENTRY)
#undef PLOMERA_VDL_ENTRY
};
