#pragma once

#include "driver/VdlAdapter.h"

#include <QByteArray>
#include <map>
#include <set>
#include <string>
#include <vector>

// A stand-in for the decoding library: records every call with its arguments, answers with the
// values a test sets, and fails any call a test names, with the error code it gives. One per
// process, like the library.
class FakeVdl {
public:
    static FakeVdl& Get();
    static const VdlAdapter& Adapter();

    void Reset();
    void Fail(const std::string& call, int32_t error = VDL_ERR_WRONG_STATE) { failing[call] = error; }
    // The calls since the last Reset or Clear, separated by spaces, e.g. "Play(1) Pause(1,1)".
    std::string Calls() const;
    void Clear() { calls.clear(); }
    bool Called(const std::string& name) const;

    std::vector<std::string> calls;
    std::map<std::string, int32_t> failing;
    int32_t nextPort = 1;
    int32_t lastError = 0;

    uint32_t fileStart = 0;
    uint32_t fileStop = 0;
    uint32_t frameTime = 0;
    int32_t clockMillis = 0;
    int32_t playedMillis = 0;
    int32_t playedSeconds = 0;
    int32_t pictureWidth = 0;
    int32_t pictureHeight = 0;
    QByteArray bmp;
    VDL_FrameInfo frameInfo = {};
    VDL_Stats stats = {};
    VDL_StreamInfo streamInfo = {};
    std::map<int32_t, VDL_WatermarkStatusBlock> watermarkStatus; // by port
    const VDL_Surface* lastSurface = nullptr;
    uint32_t lastBmpSize = 0;
    std::string lastKey;
    std::string lastPath;

    // Dewarping: sub-ports handed out from 1 per port; the parameter blocks set, by sub-port;
    // what ViewAt and MapDrag answer.
    int32_t nextSubPort = 1;
    std::map<int32_t, VDL_DewarpParams> dewarpParams;
    std::map<int32_t, int32_t> dewarpModes; // sub-port -> placement | mode of its open
    std::map<int32_t, const void*> dewarpWindows;
    int32_t viewAt = 0;
    float dragX = 0.0f, dragY = 0.0f;

    VDL_IndexReadyCallback indexReady = nullptr;
    void* indexReadyUser = nullptr;
    VDL_WatermarkCallback watermark = nullptr;
    void* watermarkUser = nullptr;
};
