#include "RemapTable.h"

#include <algorithm>
#include <cmath>

RemapTable::RemapTable(const Key& key) : m_key(key)
{
    const DewarpGeometry lumaView(key.setup, key.frameWidth, key.frameHeight, key.outWidth, key.outHeight);
    Fill(lumaView, key.outWidth, key.outHeight, key.frameWidth, key.frameHeight, key.lumaStride, 1.0, &m_luma);
    // The chroma planes: half the size both ways, the same view sampled at half resolution.
    const DewarpGeometry chromaView(key.setup, key.frameWidth, key.frameHeight, ChromaWidth(), ChromaHeight());
    Fill(chromaView, ChromaWidth(), ChromaHeight(), (key.frameWidth + 1) / 2, (key.frameHeight + 1) / 2,
         key.chromaStride, 0.5, &m_chroma);
}

void RemapTable::Fill(const DewarpGeometry& geometry, int width, int height, int planeWidth, int planeHeight,
                      int stride, double scale, std::vector<Entry>* entries)
{
    entries->resize(static_cast<size_t>(width) * height);
    std::vector<float> u(width), v(width);
    const float s = static_cast<float>(scale);
    const float maxX = static_cast<float>(std::max(0, planeWidth - 2));
    const float maxY = static_cast<float>(std::max(0, planeHeight - 2));
    const float lastX = static_cast<float>(planeWidth - 1);
    const float lastY = static_cast<float>(planeHeight - 1);
    Entry* out = entries->data();
    for (int row = 0; row < height; ++row) {
        geometry.FrameRow(row, width, height, u.data(), v.data());
        for (int i = 0; i < width; ++i, ++out) {
            if (u[i] < 0.0f) {
                *out = Entry{-1, 0, 0, 0};
                continue;
            }
            // Frame point to this plane's sample grid (sample centres at +0.5).
            const float sx = std::clamp(u[i] * s - 0.5f, 0.0f, lastX);
            const float sy = std::clamp(v[i] * s - 0.5f, 0.0f, lastY);
            const float x0 = std::min(std::floor(sx), maxX);
            const float y0 = std::min(std::floor(sy), maxY);
            const int fx = std::clamp(static_cast<int>((sx - x0) * 256.0f + 0.5f), 0, 255);
            const int fy = std::clamp(static_cast<int>((sy - y0) * 256.0f + 0.5f), 0, 255);
            *out = Entry{static_cast<int32_t>(y0) * stride + static_cast<int32_t>(x0), static_cast<uint8_t>(fx),
                         static_cast<uint8_t>(fy), 0};
        }
    }
}

void RemapTable::ApplyPlane(const std::vector<Entry>& entries, const uint8_t* src, uint8_t* dst, int stride,
                            uint8_t outside)
{
    const size_t n = entries.size();
    const Entry* e = entries.data();
    for (size_t k = 0; k < n; ++k) {
        const Entry t = e[k];
        if (t.index < 0) {
            dst[k] = outside;
            continue;
        }
        const uint8_t* p = src + t.index;
        const uint32_t fx = t.fx, fy = t.fy;
        const uint32_t top = p[0] * (256 - fx) + p[1] * fx;
        const uint32_t bottom = p[stride] * (256 - fx) + p[stride + 1] * fx;
        dst[k] = static_cast<uint8_t>((top * (256 - fy) + bottom * fy + 32768) >> 16);
    }
}

void RemapTable::Apply(const uint8_t* y, const uint8_t* u, const uint8_t* v, uint8_t* outY, uint8_t* outU,
                       uint8_t* outV, uint8_t black) const
{
    ApplyPlane(m_luma, y, outY, m_key.lumaStride, black);
    ApplyPlane(m_chroma, u, outU, m_key.chromaStride, 128);
    ApplyPlane(m_chroma, v, outV, m_key.chromaStride, 128);
}
