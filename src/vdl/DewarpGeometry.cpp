#include "DewarpGeometry.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kHalfPi = kPi / 2.0;
constexpr double kDegree = kPi / 180.0;

DewarpVec Cross(const DewarpVec& a, const DewarpVec& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double Dot(const DewarpVec& a, const DewarpVec& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
DewarpVec Normalized(const DewarpVec& a)
{
    const double n = std::sqrt(Dot(a, a));
    return n > 0.0 ? DewarpVec{a.x / n, a.y / n, a.z / n} : a;
}

// atan of 0..1 within about 1e-5 radians (a hundredth of a pixel on a 960-pixel radius), for the
// table's inner loop.
inline float AtanUnit(float t)
{
    const float t2 = t * t;
    return t * (0.99997726f + t2 * (-0.33262347f + t2 * (0.19354346f + t2 * (-0.11643287f + t2 * (0.05265332f + t2 * -0.01172120f)))));
}

// The angle of (h >= 0, z) from the z axis, 0..pi.
inline float PolarAngle(float h, float z)
{
    const float az = std::fabs(z);
    float a = h <= az ? AtanUnit(h / az) : static_cast<float>(kHalfPi) - AtanUnit(az / h);
    return z >= 0.0f ? a : static_cast<float>(kPi) - a;
}

double Wrap(double a)
{
    a = std::fmod(a + kPi, 2.0 * kPi);
    if (a < 0.0)
        a += 2.0 * kPi;
    return a - kPi;
}

} // namespace

bool DewarpGeometry::ValidMode(int mode)
{
    return mode == Fisheye || mode == Ptz || mode == Panorama180 || mode == Panorama360 || mode == WallView;
}

void DewarpGeometry::NewPtzPosition(int placement, double* x, double* y)
{
    *x = 0.5;
    *y = placement == Wall ? 0.5 : 0.25;
}

DewarpGeometry::DewarpGeometry(const Setup& setup, int frameWidth, int frameHeight, int outWidth, int outHeight)
    : m_setup(setup), m_frameWidth(std::max(1, frameWidth)), m_frameHeight(std::max(1, frameHeight)),
      m_outWidth(std::max(1, outWidth)), m_outHeight(std::max(1, outHeight)), m_cx(m_frameWidth / 2.0),
      m_cy(m_frameHeight / 2.0), m_radius(m_frameHeight / 2.0)
{
    const bool wall = setup.placement == Wall;
    if (setup.mode == Ptz) {
        m_kind = Kind::Rectilinear;
        double u = setup.x * m_frameWidth;
        double v = setup.y * m_frameHeight;
        ClampToCircle(&u, &v);
        m_forward = Normalized(LensRay(u, v));
        // Level: the world's up, as the placement has it, stays up in the picture.
        const DewarpVec up = wall ? DewarpVec{0, -1, 0} : setup.placement == Desktop ? DewarpVec{0, 0, 1} : DewarpVec{0, 0, -1};
        DewarpVec right = Cross(m_forward, up);
        if (Dot(right, right) < 1e-12)
            right = Cross(m_forward, DewarpVec{0, -1, 0}); // looking straight along up: any level will do
        if (Dot(right, right) < 1e-12)
            right = {1, 0, 0};
        m_right = Normalized(right);
        m_down = Cross(m_forward, m_right);
        const double field = (120.0 - 100.0 * std::clamp(setup.zoom, 0.0, 1.0)) * kDegree;
        m_tanX = std::tan(field / 2.0);
        m_tanY = m_tanX * m_outHeight / m_outWidth;
    } else if ((setup.mode == Panorama180 || setup.mode == Panorama360) && !wall) {
        m_kind = Kind::Band;
        m_span = setup.mode == Panorama360 ? 2.0 * kPi : kPi;
        m_sense = setup.placement == Desktop ? -1.0 : 1.0;
        m_azimuthCentre = -kHalfPi; // picture up
        // Horizon on top for a ceiling, at the bottom for a desktop.
        m_polarTop = setup.placement == Desktop ? 20.0 * kDegree : 90.0 * kDegree;
        m_polarBottom = setup.placement == Desktop ? 90.0 * kDegree : 20.0 * kDegree;
    } else if (setup.mode == Panorama180 || setup.mode == Panorama360 || setup.mode == WallView) {
        m_kind = Kind::Cylinder;
        m_tanHeight = std::tan(60.0 * kDegree);
    }
}

DewarpVec DewarpGeometry::LensRay(double u, double v) const
{
    const double dx = u - m_cx;
    const double dy = v - m_cy;
    const double r = std::hypot(dx, dy);
    if (r <= 0.0)
        return {0, 0, 1};
    const double theta = r / m_radius * kHalfPi;
    const double s = std::sin(theta) / r;
    return {dx * s, dy * s, std::cos(theta)};
}

bool DewarpGeometry::LensPoint(const DewarpVec& ray, double* u, double* v) const
{
    const double h = std::hypot(ray.x, ray.y);
    const double theta = std::atan2(h, ray.z);
    if (theta > kHalfPi + 1e-9)
        return false;
    const double k = h > 0.0 ? m_radius * theta / kHalfPi / h : 0.0;
    *u = m_cx + ray.x * k;
    *v = m_cy + ray.y * k;
    return true;
}

inline bool DewarpGeometry::LensPointFast(float x, float y, float z, float* u, float* v) const
{
    const float h = std::sqrt(x * x + y * y);
    if (h <= 0.0f) {
        *u = static_cast<float>(m_cx);
        *v = static_cast<float>(m_cy);
        return z > 0.0f;
    }
    const float theta = PolarAngle(h, z);
    if (theta > static_cast<float>(kHalfPi) + 1e-6f)
        return false;
    const float k = static_cast<float>(m_radius / kHalfPi) * theta / h;
    *u = static_cast<float>(m_cx) + x * k;
    *v = static_cast<float>(m_cy) + y * k;
    return true;
}

void DewarpGeometry::ClampToCircle(double* u, double* v) const
{
    const double dx = *u - m_cx;
    const double dy = *v - m_cy;
    const double r = std::hypot(dx, dy);
    const double limit = m_radius * 0.999;
    if (r > limit) {
        *u = m_cx + dx * limit / r;
        *v = m_cy + dy * limit / r;
    }
}

bool DewarpGeometry::ViewRay(double fx, double fy, DewarpVec* ray) const
{
    switch (m_kind) {
    case Kind::Scaled: {
        const double u = fx * m_frameWidth;
        const double v = fy * m_frameHeight;
        if (std::hypot(u - m_cx, v - m_cy) > m_radius)
            return false;
        *ray = LensRay(u, v);
        return true;
    }
    case Kind::Rectilinear: {
        const double a = (2.0 * fx - 1.0) * m_tanX;
        const double b = (2.0 * fy - 1.0) * m_tanY;
        *ray = {m_forward.x + a * m_right.x + b * m_down.x, m_forward.y + a * m_right.y + b * m_down.y,
                m_forward.z + a * m_right.z + b * m_down.z};
        return true;
    }
    case Kind::Band: {
        const double phi = m_azimuthCentre + m_sense * ((fx - 0.5) * m_span - m_setup.offset);
        const double theta = m_polarTop + (m_polarBottom - m_polarTop) * fy;
        *ray = {std::sin(theta) * std::cos(phi), std::sin(theta) * std::sin(phi), std::cos(theta)};
        return true;
    }
    case Kind::Cylinder: {
        const double alpha = (fx - 0.5) * kPi - m_setup.offset;
        const double h = m_tanHeight * (1.0 - 2.0 * fy);
        *ray = {std::sin(alpha), -h, std::cos(alpha)};
        return true;
    }
    }
    return false;
}

bool DewarpGeometry::ViewPoint(const DewarpVec& ray, double* fx, double* fy) const
{
    switch (m_kind) {
    case Kind::Scaled: {
        double u, v;
        if (!LensPoint(ray, &u, &v))
            return false;
        *fx = u / m_frameWidth;
        *fy = v / m_frameHeight;
        return true;
    }
    case Kind::Rectilinear: {
        const double z = Dot(ray, m_forward);
        if (z <= 1e-9)
            return false;
        *fx = (Dot(ray, m_right) / z / m_tanX + 1.0) / 2.0;
        *fy = (Dot(ray, m_down) / z / m_tanY + 1.0) / 2.0;
        return *fx >= 0.0 && *fx <= 1.0 && *fy >= 0.0 && *fy <= 1.0;
    }
    case Kind::Band: {
        const DewarpVec n = Normalized(ray);
        const double theta = std::acos(std::clamp(n.z, -1.0, 1.0));
        const double phi = std::atan2(n.y, n.x);
        *fx = 0.5 + (Wrap(m_sense * (phi - m_azimuthCentre) + m_setup.offset)) / m_span;
        *fy = (theta - m_polarTop) / (m_polarBottom - m_polarTop);
        return *fx >= 0.0 && *fx <= 1.0 && *fy >= 0.0 && *fy <= 1.0;
    }
    case Kind::Cylinder: {
        const double horizontal = std::hypot(ray.x, ray.z);
        if (horizontal <= 1e-9)
            return false;
        const double alpha = std::atan2(ray.x, ray.z);
        *fx = 0.5 + Wrap(alpha + m_setup.offset) / kPi;
        *fy = (1.0 - (-ray.y / horizontal) / m_tanHeight) / 2.0;
        return *fx >= 0.0 && *fx <= 1.0 && *fy >= 0.0 && *fy <= 1.0;
    }
    }
    return false;
}

bool DewarpGeometry::FramePoint(double fx, double fy, double* u, double* v) const
{
    DewarpVec ray;
    return ViewRay(fx, fy, &ray) && LensPoint(ray, u, v);
}

void DewarpGeometry::FrameRow(int row, int width, int height, float* u, float* v) const
{
    const double fy = (row + 0.5) / height;
    switch (m_kind) {
    case Kind::Scaled: {
        const float vv = static_cast<float>(fy * m_frameHeight);
        const float step = static_cast<float>(double(m_frameWidth) / width);
        const float r2 = static_cast<float>(m_radius * m_radius);
        const float dy = vv - static_cast<float>(m_cy);
        for (int i = 0; i < width; ++i) {
            const float uu = (i + 0.5f) * step;
            const float dx = uu - static_cast<float>(m_cx);
            const bool in = dx * dx + dy * dy <= r2;
            u[i] = in ? uu : -1.0f;
            v[i] = vv;
        }
        return;
    }
    case Kind::Rectilinear: {
        // The ray runs linearly along a row.
        const double b = (2.0 * fy - 1.0) * m_tanY;
        const double a0 = (1.0 / width - 1.0) * m_tanX;
        const double da = 2.0 * m_tanX / width;
        const float bx = static_cast<float>(m_forward.x + b * m_down.x + a0 * m_right.x);
        const float by = static_cast<float>(m_forward.y + b * m_down.y + a0 * m_right.y);
        const float bz = static_cast<float>(m_forward.z + b * m_down.z + a0 * m_right.z);
        const float sx = static_cast<float>(da * m_right.x);
        const float sy = static_cast<float>(da * m_right.y);
        const float sz = static_cast<float>(da * m_right.z);
        for (int i = 0; i < width; ++i) {
            if (!LensPointFast(bx + sx * i, by + sy * i, bz + sz * i, &u[i], &v[i]))
                u[i] = -1.0f;
        }
        return;
    }
    case Kind::Band: {
        // Polar angle fixed along a row: the radius is too.
        const double theta = m_polarTop + (m_polarBottom - m_polarTop) * fy;
        const double r = m_radius * theta / kHalfPi;
        for (int i = 0; i < width; ++i) {
            const double phi = m_azimuthCentre + m_sense * (((i + 0.5) / width - 0.5) * m_span - m_setup.offset);
            u[i] = static_cast<float>(m_cx + r * std::cos(phi));
            v[i] = static_cast<float>(m_cy + r * std::sin(phi));
        }
        return;
    }
    case Kind::Cylinder: {
        const float h = static_cast<float>(m_tanHeight * (1.0 - 2.0 * fy));
        for (int i = 0; i < width; ++i) {
            const double alpha = ((i + 0.5) / width - 0.5) * kPi - m_setup.offset;
            if (!LensPointFast(static_cast<float>(std::sin(alpha)), -h, static_cast<float>(std::cos(alpha)), &u[i], &v[i]))
                u[i] = -1.0f;
        }
        return;
    }
    }
}
