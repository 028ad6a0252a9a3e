#pragma once

#include <QString>

#include <cstdint>
#include <vector>

// The combined dewarp layouts as data: which views a layout mode opens on a placement, with
// which parameters, and the outline mode set afterwards. No library calls; the driver walks the
// plan.
class DewarpLayouts {
public:
    static constexpr int32_t kWall = 1;
    static constexpr int32_t kDesktop = 2;
    static constexpr int32_t kCeiling = 3;
    static constexpr int32_t kFisheye = 0;
    static constexpr int32_t kPtz = 0x100;
    static constexpr int32_t kPanorama180 = 0x200;
    static constexpr int32_t kPanorama360 = 0x300;
    static constexpr int32_t kWallView = 0x400;
    static constexpr int32_t kNoOutline = -1;

    // One view of a layout: opened with placement and mode; with parameters when updateKind is
    // not 0 (position x, y, zoom, wide-scan offset as the kind says).
    struct View {
        int32_t placement = kCeiling;
        int32_t mode = kFisheye;
        int32_t updateKind = 0;
        float x = 0.0f, y = 0.0f, zoom = 0.0f, offset = 0.0f;
    };
    struct Plan {
        std::vector<View> views; // for the list's videos in order
        int32_t outlineMode = kNoOutline;
    };

    // The mount type's placement: "Wall" 1, "Desktop" 2, "Ceiling" 3 (exact, up to the first
    // NUL: the tag's text is padded with them). Any other text
    // gives the ceiling's 3 with known false.
    static int32_t PlacementOf(const QString& mountType, bool* known = nullptr);
    // The plan for a placement and layout mode; empty views when the combination opens nothing.
    static Plan For(int32_t placement, int32_t layoutMode);
};
