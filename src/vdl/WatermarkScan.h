#pragma once

#include "vdl/vdl.h"

#include <cstdint>
#include <string>

// VDL_ScanWatermark: the stream region's packets through a WatermarkChecker, none decoded. Runs
// on the calling thread; holds nothing after it returns. Returns VDL_ERR_*.
int ScanWatermark(const std::string& path, int stream, const std::string& key, int64_t originUtcSeconds,
                  VDL_WatermarkStatusBlock* status, VDL_WatermarkCallback onFailure, void* user);
