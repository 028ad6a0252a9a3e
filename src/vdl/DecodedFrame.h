#pragma once

#include <cstdint>
#include <memory>

struct AVFrame;

// One frame as the decoder gave it, shared by whoever still needs it (the screen, a cache, the
// queue of pictures ahead), with its timestamp and its played time.
struct DecodedFrame {
    std::shared_ptr<AVFrame> picture;
    int64_t pts = 0;
    double ms = 0.0;
};
