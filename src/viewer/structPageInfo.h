#pragma once

#include <vector>

class CVideoPlayer;

// One page of the viewer: its index and its players in open order (the viewer owns the players).
struct structPageInfo {
    int index = 0;
    std::vector<CVideoPlayer*> players;
};
