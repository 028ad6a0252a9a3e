#include "FrameConverter.h"

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include <libyuv/convert_argb.h>
#include <libyuv/scale.h>

#include <algorithm>
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
// swscale's vector code writes RGB rows in whole blocks of 16 pixels: a picture whose width is no
// multiple of 16 gets up to 60 bytes written past its last row. The buffer has room for them.
constexpr size_t kScalerOverrun = 64;

} // namespace

FrameConverter::~FrameConverter() { sws_freeContext(m_sws); }

bool FrameConverter::Convert(const AVFrame* frame, const SurfaceView& view)
{
    if (!frame || frame->width <= 0 || frame->height <= 0)
        return false;
    const auto format = static_cast<AVPixelFormat>(frame->format);
    const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(format);
    if (!desc)
        return false;
    // The rectangle, clamped to the frame and put on the chroma grid, so that every plane starts
    // at a whole sample of its own.
    SurfaceView v = view;
    const bool croppable = !(desc->flags & (AV_PIX_FMT_FLAG_HWACCEL | AV_PIX_FMT_FLAG_BITSTREAM | AV_PIX_FMT_FLAG_PAL));
    if (v.Whole() || !croppable)
        v = SurfaceView{0, 0, frame->width, frame->height, frame->width, frame->height};
    v.x = std::clamp(v.x, 0, frame->width - 1) & ~((1 << desc->log2_chroma_w) - 1);
    v.y = std::clamp(v.y, 0, frame->height - 1) & ~((1 << desc->log2_chroma_h) - 1);
    v.width = std::min(v.width, frame->width - v.x);
    v.height = std::min(v.height, frame->height - v.y);
    if (v.width != m_srcWidth || v.height != m_srcHeight || frame->format != m_format || v.outWidth != m_outWidth
        || v.outHeight != m_outHeight) {
        sws_freeContext(m_sws);
        m_sws = nullptr;
        m_srcWidth = v.width;
        m_srcHeight = v.height;
        m_format = frame->format;
        m_outWidth = v.outWidth;
        m_outHeight = v.outHeight;
    }
    const size_t size = static_cast<size_t>(m_outWidth) * m_outHeight * 4 + kScalerOverrun;
    if (m_buffer.size() != size)
        m_buffer.assign(size, 0);
    const uint8_t* src[4] = {};
    for (int i = 0; i < 4; ++i)
        src[i] = frame->data[i];
    for (int c = 0; c < desc->nb_components; ++c) {
        const AVComponentDescriptor& comp = desc->comp[c];
        const bool chroma = (c == 1 || c == 2) && !(desc->flags & AV_PIX_FMT_FLAG_RGB);
        const int sx = chroma ? desc->log2_chroma_w : 0;
        const int sy = chroma ? desc->log2_chroma_h : 0;
        if (frame->data[comp.plane])
            src[comp.plane] = frame->data[comp.plane] + static_cast<ptrdiff_t>(v.y >> sy) * frame->linesize[comp.plane]
                + static_cast<ptrdiff_t>(v.x >> sx) * comp.step;
    }
    const bool converted = format == AV_PIX_FMT_YUV420P || format == AV_PIX_FMT_YUVJ420P
        ? Convert420(src, frame->linesize, format == AV_PIX_FMT_YUVJ420P)
        : ConvertOther(src, frame->linesize, format);
    if (!converted)
        return false;
    m_shown = v;
    return true;
}

bool FrameConverter::Convert420(const uint8_t* const src[4], const int stride[4], bool fullRange)
{
    const uint8_t* y = src[0];
    const uint8_t* u = src[1];
    const uint8_t* v = src[2];
    int yStride = stride[0];
    int uStride = stride[1];
    int vStride = stride[2];
    if (m_srcWidth != m_outWidth || m_srcHeight != m_outHeight) {
        // Scaled in YUV first: a quarter of the samples of the RGB picture, and the scaler's
        // vector code, where a scaled RGB output of swscale runs row by row in plain C and costs
        // more than the whole frame unscaled (a smaller view would cost more than full size).
        const int chromaWidth = (m_outWidth + 1) / 2;
        const size_t luma = static_cast<size_t>(m_outWidth) * m_outHeight;
        const size_t chroma = static_cast<size_t>(chromaWidth) * ((m_outHeight + 1) / 2);
        if (m_scaled.size() != luma + 2 * chroma)
            m_scaled.assign(luma + 2 * chroma, 0);
        uint8_t* sy = m_scaled.data();
        uint8_t* su = sy + luma;
        uint8_t* sv = su + chroma;
        // Shown at half size or more (or larger): bilinear, which does not alias at that scale;
        // smaller: averaged over the area each pixel covers.
        const double scale = std::min(double(m_outWidth) / m_srcWidth, double(m_outHeight) / m_srcHeight);
        const libyuv::FilterMode filter = scale >= 0.5 ? libyuv::kFilterBilinear : libyuv::kFilterBox;
        if (libyuv::I420Scale(y, yStride, u, uStride, v, vStride, m_srcWidth, m_srcHeight, sy, m_outWidth, su,
                              chromaWidth, sv, chromaWidth, m_outWidth, m_outHeight, filter)
            != 0)
            return false;
        y = sy;
        u = su;
        v = sv;
        yStride = m_outWidth;
        uStride = vStride = chromaWidth;
    }
    // BT.601 as swscale takes it by default: studio range, or full range for the JPEG formats.
    // libyuv's ARGB is swscale's BGRA in memory, opaque.
    uint8_t* out = m_buffer.data();
    const int r = fullRange
        ? libyuv::J420ToARGB(y, yStride, u, uStride, v, vStride, out, Stride(), m_outWidth, m_outHeight)
        : libyuv::I420ToARGB(y, yStride, u, uStride, v, vStride, out, Stride(), m_outWidth, m_outHeight);
    return r == 0;
}

bool FrameConverter::ConvertOther(const uint8_t* const src[4], const int stride[4], int format)
{
    if (!m_sws) {
        // Unscaled: the exact conversion. Shown at half size or more: the cheapest filter, which
        // does not alias at that scale; smaller: averaged over the area each pixel covers.
        const double scale = std::min(double(m_outWidth) / m_srcWidth, double(m_outHeight) / m_srcHeight);
        const int flags = m_srcWidth == m_outWidth && m_srcHeight == m_outHeight ? SWS_POINT
            : scale >= 0.5                                                     ? SWS_FAST_BILINEAR
                                                                               : SWS_AREA;
        m_sws = sws_getContext(m_srcWidth, m_srcHeight, static_cast<AVPixelFormat>(format), m_outWidth, m_outHeight,
                               AV_PIX_FMT_BGRA, flags, nullptr, nullptr, nullptr);
        if (!m_sws)
            return false;
    }
    uint8_t* dst[4] = {m_buffer.data(), nullptr, nullptr, nullptr};
    int dstStride[4] = {Stride(), 0, 0, 0};
    sws_scale(m_sws, src, stride, 0, m_srcHeight, dst, dstStride);
    return true;
}

void FrameConverter::Describe(VDL_Picture* picture) const
{
    picture->pixels = m_buffer.data();
    picture->width = m_outWidth;
    picture->height = m_outHeight;
    picture->stride = Stride();
    picture->viewX = m_shown.x;
    picture->viewY = m_shown.y;
    picture->viewWidth = m_shown.width;
    picture->viewHeight = m_shown.height;
}

uint32_t FrameConverter::BmpSize(int width, int height)
{
    return kHeaders + static_cast<uint32_t>(width) * static_cast<uint32_t>(height) * 4u;
}

void FrameConverter::WriteBmp(uint8_t* out) const
{
    const uint32_t size = BmpSize(m_outWidth, m_outHeight);
    std::memset(out, 0, kHeaders);
    out[0] = 'B';
    out[1] = 'M';
    Le32(out + 2, size);
    Le32(out + 10, kHeaders);
    Le32(out + 14, 40);
    Le32(out + 18, static_cast<uint32_t>(m_outWidth));
    Le32(out + 22, static_cast<uint32_t>(m_outHeight)); // positive: bottom-up rows
    Le16(out + 26, 1);
    Le16(out + 28, 32);
    Le32(out + 34, size - kHeaders);
    Le32(out + 38, 2835);
    Le32(out + 42, 2835);
    const size_t row = static_cast<size_t>(m_outWidth) * 4;
    for (int y = 0; y < m_outHeight; ++y)
        std::memcpy(out + kHeaders + row * y, m_buffer.data() + row * (m_outHeight - 1 - y), row);
}
