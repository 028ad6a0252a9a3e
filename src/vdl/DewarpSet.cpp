#include "DewarpSet.h"

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixfmt.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr int kDefaultWidth = 1280;
constexpr int kDefaultHeight = 720;
constexpr int kMaxEdge = 16384;
// swscale writes RGB rows in blocks of 16 pixels: room past the last row (as FrameConverter).
constexpr size_t kScalerOverrun = 64;
constexpr int kBorderSteps = 24;

// Outline colours (B, G, R): style 1 uses the first; style 2 one per PTZ in turn.
constexpr uint32_t kColours[] = {0x00FFFF00u, 0x0000FF00u, 0x00FF4040u, 0x000080FFu, 0x00FF00FFu,
                                 0x0000FFFFu, 0x00FFFFFFu, 0x008080FFu};

// 3 x 5 digits, rows top down, three bits a row (high bit left).
constexpr uint16_t kDigits[10] = {075557, 026222, 071747, 071717, 055711, 074717, 074757, 071111, 075757, 075717};

void Plot(std::vector<uint8_t>& bgra, int width, int height, int x, int y, uint32_t colour)
{
    if (x < 0 || y < 0 || x >= width || y >= height)
        return;
    uint8_t* p = bgra.data() + (static_cast<size_t>(y) * width + x) * 4;
    p[0] = static_cast<uint8_t>(colour);
    p[1] = static_cast<uint8_t>(colour >> 8);
    p[2] = static_cast<uint8_t>(colour >> 16);
    p[3] = 0xFF;
}

void Line(std::vector<uint8_t>& bgra, int width, int height, double x0, double y0, double x1, double y1, uint32_t colour)
{
    const int steps = static_cast<int>(std::max(std::abs(x1 - x0), std::abs(y1 - y0))) + 1;
    for (int k = 0; k <= steps; ++k) {
        const double t = double(k) / steps;
        const int x = static_cast<int>(std::lround(x0 + (x1 - x0) * t));
        const int y = static_cast<int>(std::lround(y0 + (y1 - y0) * t));
        Plot(bgra, width, height, x, y, colour);
        Plot(bgra, width, height, x + 1, y, colour);
        Plot(bgra, width, height, x, y + 1, colour);
    }
}

void Number(std::vector<uint8_t>& bgra, int width, int height, int x, int y, int n, uint32_t colour)
{
    const int scale = std::max(2, height / 120);
    const std::string text = std::to_string(n);
    for (size_t c = 0; c < text.size(); ++c) {
        const uint16_t glyph = kDigits[text[c] - '0'];
        for (int row = 0; row < 5; ++row)
            for (int col = 0; col < 3; ++col)
                if (glyph & (1u << ((4 - row) * 3 + (2 - col))))
                    for (int dy = 0; dy < scale; ++dy)
                        for (int dx = 0; dx < scale; ++dx)
                            Plot(bgra, width, height, x + (static_cast<int>(c) * 4 + col) * scale + dx,
                                 y + row * scale + dy, colour);
    }
}

} // namespace

DewarpSet::DewarpSet() = default;

DewarpSet::~DewarpSet()
{
    for (auto& [sub, out] : m_outputs)
        FreeOutput(out);
    sws_freeContext(m_toPlanar);
}

void DewarpSet::FreeOutput(Output& out)
{
    sws_freeContext(out.sws);
    out.sws = nullptr;
}

void DewarpSet::SetFrameSize(int width, int height)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_frameWidth = width;
    m_frameHeight = height;
}

DewarpSet::View* DewarpSet::Find(int subPort)
{
    for (View& v : m_views)
        if (v.subPort == subPort)
            return &v;
    return nullptr;
}

const DewarpSet::View* DewarpSet::Find(int subPort) const
{
    for (const View& v : m_views)
        if (v.subPort == subPort)
            return &v;
    return nullptr;
}

void DewarpSet::CountSurfaces()
{
    int n = 0;
    for (const View& v : m_views)
        n += v.surface.present ? 1 : 0;
    m_surfaces.store(n);
}

int DewarpSet::Enable()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_enabled = true;
    return VDL_ERR_NONE;
}

int DewarpSet::Disable()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_views.empty())
        m_enabled = false;
    return VDL_ERR_NONE;
}

int DewarpSet::Open(int placement, int mode, int32_t* subPort)
{
    if (!subPort)
        return VDL_ERR_BAD_ARGUMENT;
    if (!DewarpGeometry::ValidPlacement(placement))
        return VDL_ERR_BAD_PLACEMENT;
    if (!DewarpGeometry::ValidMode(mode))
        return VDL_ERR_BAD_MODE;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_enabled)
        return VDL_ERR_WRONG_STATE;
    if (m_views.size() >= VDL_DEWARP_MAX_VIEWS)
        return VDL_ERR_NO_FREE_PORT;
    int number = 1;
    while (Find(number))
        ++number;
    View view;
    view.subPort = number;
    view.setup.placement = placement;
    view.setup.mode = mode;
    view.setup.zoom = 0.5;
    DewarpGeometry::NewPtzPosition(placement, &view.setup.x, &view.setup.y);
    m_views.push_back(view);
    *subPort = number;
    Changed();
    return VDL_ERR_NONE;
}

int DewarpSet::Close(int subPort)
{
    std::lock_guard<std::mutex> render(m_renderMutex); // waits for a render in progress
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = std::find_if(m_views.begin(), m_views.end(), [&](const View& v) { return v.subPort == subPort; });
    if (it == m_views.end())
        return VDL_ERR_BAD_SUBPORT;
    m_views.erase(it);
    auto out = m_outputs.find(subPort);
    if (out != m_outputs.end()) {
        FreeOutput(out->second);
        m_outputs.erase(out);
    }
    CountSurfaces();
    Changed();
    return VDL_ERR_NONE;
}

int DewarpSet::GetParams(int subPort, VDL_DewarpParams* params) const
{
    if (!params)
        return VDL_ERR_BAD_ARGUMENT;
    std::lock_guard<std::mutex> lock(m_mutex);
    const View* v = Find(subPort);
    if (!v)
        return VDL_ERR_BAD_SUBPORT;
    std::memset(params, 0, sizeof *params);
    params->updateKind = VDL_DEWARP_UPDATE_ZOOM | VDL_DEWARP_UPDATE_OFFSET | VDL_DEWARP_UPDATE_POSITION;
    params->placementMode = v->setup.placement | v->setup.mode;
    params->x = static_cast<float>(v->setup.x);
    params->y = static_cast<float>(v->setup.y);
    const double w = m_frameWidth > 0 ? m_frameWidth : 4.0;
    const double h = m_frameHeight > 0 ? m_frameHeight : 3.0;
    params->circle[0] = 0.5f;
    params->circle[1] = 0.5f;
    params->circle[2] = static_cast<float>(h / 2.0 / w);
    params->circle[3] = 0.5f;
    params->zoom = static_cast<float>(v->setup.zoom);
    params->offset = static_cast<float>(v->setup.offset);
    return VDL_ERR_NONE;
}

int DewarpSet::SetParams(int subPort, const VDL_DewarpParams& params)
{
    const int kind = params.updateKind;
    if ((kind & VDL_DEWARP_UPDATE_ZOOM) && !(std::isfinite(params.zoom)))
        return VDL_ERR_BAD_ARGUMENT;
    if ((kind & VDL_DEWARP_UPDATE_OFFSET) && !std::isfinite(params.offset))
        return VDL_ERR_BAD_ARGUMENT;
    if ((kind & VDL_DEWARP_UPDATE_POSITION) && !(std::isfinite(params.x) && std::isfinite(params.y)))
        return VDL_ERR_BAD_ARGUMENT;
    std::lock_guard<std::mutex> lock(m_mutex);
    View* v = Find(subPort);
    if (!v)
        return VDL_ERR_BAD_SUBPORT;
    if (kind & VDL_DEWARP_UPDATE_ZOOM)
        v->setup.zoom = std::clamp(static_cast<double>(params.zoom), 0.0, 1.0);
    if (kind & VDL_DEWARP_UPDATE_OFFSET)
        v->setup.offset = std::remainder(static_cast<double>(params.offset), 2.0 * 3.14159265358979323846);
    if (kind & VDL_DEWARP_UPDATE_POSITION) {
        // Kept inside the circle.
        const int w = m_frameWidth > 0 ? m_frameWidth : 4;
        const int h = m_frameHeight > 0 ? m_frameHeight : 3;
        const DewarpGeometry lens(DewarpGeometry::Setup{}, w, h, 1, 1);
        double u = params.x * w, vv = params.y * h;
        lens.ClampToCircle(&u, &vv);
        v->setup.x = u / w;
        v->setup.y = vv / h;
    }
    Changed();
    return VDL_ERR_NONE;
}

int DewarpSet::SetSurface(int subPort, const VDL_Surface* surface)
{
    if (surface && !surface->present)
        return VDL_ERR_BAD_ARGUMENT;
    std::lock_guard<std::mutex> render(m_renderMutex);
    std::lock_guard<std::mutex> lock(m_mutex);
    View* v = Find(subPort);
    if (!v)
        return VDL_ERR_BAD_SUBPORT;
    v->surface = surface ? *surface : VDL_Surface{};
    CountSurfaces();
    Changed();
    return VDL_ERR_NONE;
}

int DewarpSet::SetSize(int subPort, int width, int height)
{
    if (width < 0 || height < 0 || width > kMaxEdge || height > kMaxEdge || (width == 0) != (height == 0))
        return VDL_ERR_BAD_ARGUMENT;
    std::lock_guard<std::mutex> lock(m_mutex);
    View* v = Find(subPort);
    if (!v)
        return VDL_ERR_BAD_SUBPORT;
    v->width = width;
    v->height = height;
    Changed();
    return VDL_ERR_NONE;
}

int DewarpSet::SetOutlineMode(int subPort, int mode)
{
    if (mode < 0 || mode > 2)
        return VDL_ERR_BAD_ARGUMENT;
    std::lock_guard<std::mutex> lock(m_mutex);
    View* v = Find(subPort);
    if (!v)
        return VDL_ERR_BAD_SUBPORT;
    v->outline = mode;
    Changed();
    return VDL_ERR_NONE;
}

void DewarpSet::SizeOf(const View& view, int frameWidth, int frameHeight, int* width, int* height)
{
    if (view.width > 0) {
        *width = view.width;
        *height = view.height;
    } else if (view.setup.mode == DewarpGeometry::Fisheye && frameWidth > 0) {
        *width = frameWidth;
        *height = frameHeight;
    } else {
        *width = kDefaultWidth;
        *height = kDefaultHeight;
    }
}

DewarpGeometry DewarpSet::GeometryOf(const View& view, int frameWidth, int frameHeight)
{
    int w, h;
    SizeOf(view, frameWidth, frameHeight, &w, &h);
    return DewarpGeometry(view.setup, frameWidth, frameHeight, w, h);
}

int DewarpSet::ViewAt(int subPort, double x, double y, int32_t* found) const
{
    *found = 0;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_frameWidth <= 0)
        return VDL_ERR_NOT_OPEN;
    const View* host = Find(subPort);
    if (!host || host->setup.mode == DewarpGeometry::Ptz) {
        host = nullptr;
        for (const View& v : m_views)
            if (v.setup.mode != DewarpGeometry::Ptz)
                host = &v;
    }
    if (!host)
        return VDL_ERR_BAD_SUBPORT;
    DewarpVec ray;
    if (!GeometryOf(*host, m_frameWidth, m_frameHeight).ViewRay(x, y, &ray))
        return VDL_ERR_NONE;
    for (auto it = m_views.rbegin(); it != m_views.rend(); ++it) {
        double fx, fy;
        if (it->setup.mode == DewarpGeometry::Ptz && GeometryOf(*it, m_frameWidth, m_frameHeight).ViewPoint(ray, &fx, &fy)) {
            *found = it->subPort;
            break;
        }
    }
    return VDL_ERR_NONE;
}

int DewarpSet::MapDrag(int target, int source, double x, double y, double x0, double y0, double x1, double y1,
                       double* outX, double* outY) const
{
    if (!outX || !outY)
        return VDL_ERR_BAD_ARGUMENT;
    for (double value : {x, y, x0, y0, x1, y1})
        if (!std::isfinite(value))
            return VDL_ERR_BAD_ARGUMENT;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_frameWidth <= 0)
        return VDL_ERR_NOT_OPEN;
    const View* t = Find(target);
    const View* s = Find(source);
    if (!t || !s)
        return VDL_ERR_BAD_SUBPORT;
    if (t->setup.mode != DewarpGeometry::Ptz)
        return VDL_ERR_BAD_MODE;
    const double w = m_frameWidth, h = m_frameHeight;
    double px = x, py = y;
    if (target == source) {
        // Grab the scene: find the position whose view shows the ray under the press at the
        // pointer (Newton's method on the two position fractions).
        View moved = *t;
        moved.setup.x = x;
        moved.setup.y = y;
        DewarpVec ray;
        if (!GeometryOf(moved, m_frameWidth, m_frameHeight).ViewRay(x0, y0, &ray))
            return VDL_ERR_NONE;
        auto at = [&](double qx, double qy, double* fx, double* fy) {
            View probe = moved;
            probe.setup.x = qx;
            probe.setup.y = qy;
            *fx = *fy = NAN;
            GeometryOf(probe, m_frameWidth, m_frameHeight).ViewPoint(ray, fx, fy);
            return std::isfinite(*fx) && std::isfinite(*fy);
        };
        for (int iteration = 0; iteration < 12; ++iteration) {
            double fx, fy, ax, ay, bx, by;
            const double d = 1e-5;
            if (!at(px, py, &fx, &fy) || !at(px + d, py, &ax, &ay) || !at(px, py + d, &bx, &by))
                break;
            const double ex = x1 - fx, ey = y1 - fy;
            if (std::abs(ex) < 1e-7 && std::abs(ey) < 1e-7)
                break;
            const double j11 = (ax - fx) / d, j21 = (ay - fy) / d, j12 = (bx - fx) / d, j22 = (by - fy) / d;
            const double det = j11 * j22 - j12 * j21;
            if (std::abs(det) < 1e-12)
                break;
            double sx = (ex * j22 - ey * j12) / det;
            double sy = (j11 * ey - j21 * ex) / det;
            const double len = std::hypot(sx, sy);
            if (len > 0.1) { // stay near: the lens bends strongly towards the rim
                sx *= 0.1 / len;
                sy *= 0.1 / len;
            }
            px += sx;
            py += sy;
        }
    } else {
        // From a fisheye or panorama view: the PTZ follows the pointer across the frame. The
        // fisheye view is the frame scaled: the pointer counts even past the circle's rim.
        if (s->setup.mode == DewarpGeometry::Fisheye) {
            px = x + (x1 - x0);
            py = y + (y1 - y0);
        }
        const DewarpGeometry from = GeometryOf(*s, m_frameWidth, m_frameHeight);
        double u0, v0, u1, v1;
        if (s->setup.mode != DewarpGeometry::Fisheye && from.FramePoint(x0, y0, &u0, &v0)
            && from.FramePoint(x1, y1, &u1, &v1)) {
            px = x + (u1 - u0) / w;
            py = y + (v1 - v0) / h;
        }
    }
    const DewarpGeometry lens(DewarpGeometry::Setup{}, m_frameWidth, m_frameHeight, 1, 1);
    double u = px * w, v = py * h;
    lens.ClampToCircle(&u, &v);
    *outX = u / w;
    *outY = v / h;
    return VDL_ERR_NONE;
}

void DewarpSet::DrawOutlines(const View& host, const std::vector<View>& views, int frameWidth, int frameHeight,
                             Output& out)
{
    int w, h;
    SizeOf(host, frameWidth, frameHeight, &w, &h);
    const DewarpGeometry hostGeometry = GeometryOf(host, frameWidth, frameHeight);
    int ordinal = 0;
    for (const View& ptz : views) {
        if (ptz.setup.mode != DewarpGeometry::Ptz)
            continue;
        const uint32_t colour = host.outline == 2 ? kColours[ordinal % std::size(kColours)] : kColours[0];
        ++ordinal;
        const DewarpGeometry g = GeometryOf(ptz, frameWidth, frameHeight);
        bool havePrevious = false;
        double px = 0, py = 0;
        for (int k = 0; k <= 4 * kBorderSteps; ++k) {
            const int edge = (k / kBorderSteps) % 4;
            const double t = double(k % kBorderSteps) / kBorderSteps;
            const double fx = edge == 0 ? t : edge == 1 ? 1.0 : edge == 2 ? 1.0 - t : 0.0;
            const double fy = edge == 0 ? 0.0 : edge == 1 ? t : edge == 2 ? 1.0 : 1.0 - t;
            DewarpVec ray;
            double hx, hy;
            if (!g.ViewRay(fx, fy, &ray) || !hostGeometry.ViewPoint(ray, &hx, &hy)) {
                havePrevious = false;
                continue;
            }
            const double X = hx * w, Y = hy * h;
            // A jump across a panorama's seam is no line.
            if (havePrevious && std::abs(X - px) < w / 4.0)
                Line(out.bgra, w, h, px, py, X, Y, colour);
            px = X;
            py = Y;
            havePrevious = true;
        }
        if (host.outline == 2) {
            DewarpVec centre;
            double hx, hy;
            if (g.ViewRay(0.5, 0.5, &centre) && hostGeometry.ViewPoint(centre, &hx, &hy))
                Number(out.bgra, w, h, static_cast<int>(hx * w), static_cast<int>(hy * h), ordinal, colour);
        }
    }
}

void DewarpSet::Render(const AVFrame* frame, const VDL_Picture& main)
{
    if (!frame || frame->width < 2 || frame->height < 2 || m_surfaces.load() == 0)
        return;
    std::lock_guard<std::mutex> render(m_renderMutex);
    std::vector<View> views;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_enabled)
            return;
        m_frameWidth = frame->width;
        m_frameHeight = frame->height;
        views = m_views;
    }
    // The three 4:2:0 planes: the frame's own, or converted once for all views.
    const uint8_t* planes[3];
    int strides[2];
    const bool planar = frame->format == AV_PIX_FMT_YUV420P || frame->format == AV_PIX_FMT_YUVJ420P;
    const bool full = frame->format == AV_PIX_FMT_YUVJ420P || frame->color_range == AVCOL_RANGE_JPEG;
    if (planar) {
        planes[0] = frame->data[0];
        planes[1] = frame->data[1];
        planes[2] = frame->data[2];
        strides[0] = frame->linesize[0];
        strides[1] = frame->linesize[1];
        if (frame->linesize[1] != frame->linesize[2])
            return;
    } else {
        const int cw = (frame->width + 1) / 2, ch = (frame->height + 1) / 2;
        m_toPlanar = sws_getCachedContext(m_toPlanar, frame->width, frame->height, static_cast<AVPixelFormat>(frame->format),
                                          frame->width, frame->height, AV_PIX_FMT_YUV420P, SWS_POINT, nullptr, nullptr, nullptr);
        if (!m_toPlanar)
            return;
        m_planar.resize(static_cast<size_t>(frame->width) * frame->height + 2u * cw * ch + kScalerOverrun);
        uint8_t* dst[4] = {m_planar.data(), m_planar.data() + static_cast<size_t>(frame->width) * frame->height,
                           m_planar.data() + static_cast<size_t>(frame->width) * frame->height + static_cast<size_t>(cw) * ch, nullptr};
        int dstStride[4] = {frame->width, cw, cw, 0};
        sws_scale(m_toPlanar, frame->data, frame->linesize, 0, frame->height, dst, dstStride);
        planes[0] = dst[0];
        planes[1] = dst[1];
        planes[2] = dst[2];
        strides[0] = frame->width;
        strides[1] = cw;
    }
    for (const View& view : views) {
        if (!view.surface.present)
            continue;
        Output& out = m_outputs[view.subPort];
        RemapTable::Key key;
        key.setup = view.setup;
        key.frameWidth = frame->width;
        key.frameHeight = frame->height;
        key.lumaStride = strides[0];
        key.chromaStride = strides[1];
        SizeOf(view, frame->width, frame->height, &key.outWidth, &key.outHeight);
        if (!out.table || !(out.table->GetKey() == key)) {
            out.table = std::make_shared<const RemapTable>(key);
            m_builds.fetch_add(1);
        }
        const RemapTable& table = *out.table;
        const int w = table.OutWidth(), h = table.OutHeight();
        const int cw = table.ChromaWidth(), ch = table.ChromaHeight();
        out.y.resize(static_cast<size_t>(w) * h);
        out.u.resize(static_cast<size_t>(cw) * ch);
        out.v.resize(static_cast<size_t>(cw) * ch);
        table.Apply(planes[0], planes[1], planes[2], out.y.data(), out.u.data(), out.v.data(), full ? 0 : 16);
        const int format = full ? AV_PIX_FMT_YUVJ420P : AV_PIX_FMT_YUV420P;
        if (!out.sws || out.swsWidth != w || out.swsHeight != h || out.swsFormat != format) {
            sws_freeContext(out.sws);
            out.sws = sws_getContext(w, h, static_cast<AVPixelFormat>(format), w, h, AV_PIX_FMT_BGRA, SWS_POINT,
                                     nullptr, nullptr, nullptr);
            out.swsWidth = w;
            out.swsHeight = h;
            out.swsFormat = format;
        }
        if (!out.sws)
            continue;
        out.bgra.resize(static_cast<size_t>(w) * h * 4 + kScalerOverrun);
        const uint8_t* src[4] = {out.y.data(), out.u.data(), out.v.data(), nullptr};
        const int srcStride[4] = {w, cw, cw, 0};
        uint8_t* dst[4] = {out.bgra.data(), nullptr, nullptr, nullptr};
        const int dstStride[4] = {w * 4, 0, 0, 0};
        sws_scale(out.sws, src, srcStride, 0, h, dst, dstStride);
        if (view.outline != 0)
            DrawOutlines(view, views, frame->width, frame->height, out);
        VDL_Picture picture = main;
        picture.pixels = out.bgra.data();
        picture.width = w;
        picture.height = h;
        picture.stride = w * 4;
        picture.sourceWidth = frame->width;
        picture.sourceHeight = frame->height;
        picture.viewX = 0;
        picture.viewY = 0;
        picture.viewWidth = frame->width;
        picture.viewHeight = frame->height;
        view.surface.present(view.surface.user, &picture);
    }
}
