#include "FrameConverter.h"

extern "C" {
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

#include <cstring>

namespace {

void Le16(uint8_t* p, uint16_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
void Le32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

constexpr uint32_t kHeaders = 14 + 40;

} // namespace

FrameConverter::~FrameConverter() { sws_freeContext(m_sws); }

bool FrameConverter::Convert(const AVFrame* frame)
{
    if (!frame || frame->width <= 0 || frame->height <= 0)
        return false;
    if (!m_sws || frame->width != m_width || frame->height != m_height || frame->format != m_format) {
        sws_freeContext(m_sws);
        m_width = frame->width;
        m_height = frame->height;
        m_format = frame->format;
        m_sws = sws_getContext(m_width, m_height, static_cast<AVPixelFormat>(m_format), m_width, m_height,
                               AV_PIX_FMT_BGRA, SWS_POINT, nullptr, nullptr, nullptr);
        m_buffer.assign(static_cast<size_t>(m_width) * m_height * 4, 0);
        if (!m_sws)
            return false;
    }
    uint8_t* dst[4] = {m_buffer.data(), nullptr, nullptr, nullptr};
    int dstStride[4] = {m_width * 4, 0, 0, 0};
    sws_scale(m_sws, frame->data, frame->linesize, 0, m_height, dst, dstStride);
    return true;
}

uint32_t FrameConverter::BmpSize(int width, int height)
{
    return kHeaders + static_cast<uint32_t>(width) * static_cast<uint32_t>(height) * 4u;
}

void FrameConverter::WriteBmp(uint8_t* out) const
{
    const uint32_t size = BmpSize(m_width, m_height);
    std::memset(out, 0, kHeaders);
    out[0] = 'B';
    out[1] = 'M';
    Le32(out + 2, size);
    Le32(out + 10, kHeaders);
    Le32(out + 14, 40);
    Le32(out + 18, static_cast<uint32_t>(m_width));
    Le32(out + 22, static_cast<uint32_t>(m_height)); // positive: bottom-up rows
    Le16(out + 26, 1);
    Le16(out + 28, 32);
    Le32(out + 34, size - kHeaders);
    Le32(out + 38, 2835);
    Le32(out + 42, 2835);
    const size_t row = static_cast<size_t>(m_width) * 4;
    for (int y = 0; y < m_height; ++y)
        std::memcpy(out + kHeaders + row * y, m_buffer.data() + row * (m_height - 1 - y), row);
}
