// The player loads the library by path and looks every entry up by name.
#include <gtest/gtest.h>

#include <dlfcn.h>

TEST(VdlLibrary, EveryCallOfTheInterfaceIsExportedByName)
{
    void* library = dlopen(VDL_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    const char* const names[] = {
        "VDL_AcquirePort", "VDL_SetIndexReadyCallback", "VDL_SetStreamKey", "VDL_OpenFile", "VDL_SyncToAudio",
        "VDL_GetFileTimeRange", "VDL_Play", "VDL_Pause", "VDL_Stop", "VDL_ReleasePort", "VDL_Faster", "VDL_Slower",
        "VDL_PlayBackward", "VDL_StepForward", "VDL_StepBackward", "VDL_SeekPlayedTime", "VDL_SeekWallClock",
        "VDL_GetPlayedSeconds", "VDL_GetPlayedMillis", "VDL_GetFrameTime", "VDL_GetFrameClock", "VDL_SoundOn",
        "VDL_SoundOff", "VDL_SetVolume", "VDL_EnableOverlays", "VDL_GetPictureSize", "VDL_GetBmp",
        "VDL_SetWatermarkCallback", "VDL_DewarpEnable", "VDL_DewarpDisable", "VDL_DewarpOpenView",
        "VDL_DewarpCloseView", "VDL_DewarpGetParams", "VDL_DewarpSetParams", "VDL_DewarpSetWindow",
        "VDL_DewarpSetOutlineMode", "VDL_DewarpViewAt", "VDL_DewarpMapDrag", "VDL_GetLastError", "VDL_GetErrorText",
        "VDL_SetSurface", "VDL_SelectStream", "VDL_SetStreamRegion", "VDL_SetWallClockOrigin", "VDL_FollowPort", "VDL_SetFollowOffset",
        "VDL_GetStreamInfo", "VDL_GetStats", "VDL_GetFrameInfo", "VDL_GetBmpAndFrame", "VDL_SetDecoderThreads",
        "VDL_GetSpeed", "VDL_SetLogCallback", "VDL_SetSurfaceView", "VDL_SetTimeSource"};
    for (const char* name : names)
        EXPECT_NE(dlsym(library, name), nullptr) << name;
    // Nothing of the inside leaks out under a name a caller could bind to by mistake.
    EXPECT_EQ(dlsym(library, "_ZN4Port4PlayEPK11VDL_Surface"), nullptr);
    dlclose(library);
}
