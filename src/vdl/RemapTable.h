#pragma once

#include "DewarpGeometry.h"

#include <cstdint>
#include <vector>

// Where each pixel of a dewarp view takes its value from in a planar 4:2:0 frame: per output
// sample the index of the top-left source sample of its 2x2 neighbourhood and fixed-point bilinear
// weights, for the luma plane at the view's size and the chroma planes at half of it. Built once
// per change of the view (parameters, its size, the frame's size or plane layout), then applied to
// every frame without a single division or trigonometric call. Immutable once built: the renderer
// swaps a new table in whole.
class RemapTable {
public:
    // What a table is built for; a table whose key differs is rebuilt.
    struct Key {
        DewarpGeometry::Setup setup;
        int frameWidth = 0, frameHeight = 0;
        int lumaStride = 0, chromaStride = 0;
        int outWidth = 0, outHeight = 0;
        bool operator==(const Key&) const = default;
    };

    explicit RemapTable(const Key& key);

    const Key& GetKey() const { return m_key; }
    int OutWidth() const { return m_key.outWidth; }
    int OutHeight() const { return m_key.outHeight; }
    int ChromaWidth() const { return (m_key.outWidth + 1) / 2; }
    int ChromaHeight() const { return (m_key.outHeight + 1) / 2; }

    // Samples the three planes into the view's planes (outY: OutWidth() per row; outU, outV:
    // ChromaWidth() per row). black: the luma outside the circle (16 limited range, 0 full).
    void Apply(const uint8_t* y, const uint8_t* u, const uint8_t* v, uint8_t* outY, uint8_t* outU, uint8_t* outV,
               uint8_t black) const;

private:
    struct Entry {
        int32_t index; // -1: outside the circle
        uint8_t fx, fy; // weights of the right and lower neighbours, in 256ths
        uint16_t pad;
    };
    static void Fill(const DewarpGeometry& geometry, int width, int height, int planeWidth, int planeHeight,
                     int stride, double scale, std::vector<Entry>* entries);
    static void ApplyPlane(const std::vector<Entry>& entries, const uint8_t* src, uint8_t* dst, int stride,
                           uint8_t outside);

    Key m_key;
    std::vector<Entry> m_luma;
    std::vector<Entry> m_chroma;
};
