#pragma once

#include <cstdint>

// The geometry of a dewarp view: the fisheye lens, the camera's placement and the projection of
// one view. Plain value type, no threads, no state beyond its fields; the remap table, the
// outlines, the hit test and the drag all go through it.
//
// Directions are camera rays: x right, y down (as in the picture), z along the lens axis. The lens
// is equidistant over 180 degrees: a ray at angle t from the axis lies at r = R * t / 90 degrees
// from the circle's centre, the circle centred in the frame, R half the frame's height, pixel
// centres at +0.5 (continuous coordinates: pixel (i, j) covers [i, i + 1) x [j, j + 1)).
struct DewarpVec {
    double x = 0.0, y = 0.0, z = 0.0;
};

class DewarpGeometry {
public:
    enum Placement { Wall = 1, Desktop = 2, Ceiling = 3 };
    enum Mode { Fisheye = 0, Ptz = 0x100, Panorama180 = 0x200, Panorama360 = 0x300, WallView = 0x400 };

    // What a view is: its placement and mode, and its parameters (position in frame fractions,
    // zoom 0..1, wide-scan offset in radians).
    struct Setup {
        int placement = Ceiling;
        int mode = Fisheye;
        double x = 0.5, y = 0.5;
        double zoom = 0.5;
        double offset = 0.0;
        bool operator==(const Setup&) const = default;
    };

    // frameWidth x frameHeight: the fisheye frame; outWidth x outHeight: the view's picture.
    DewarpGeometry(const Setup& setup, int frameWidth, int frameHeight, int outWidth, int outHeight);

    static bool ValidPlacement(int placement) { return placement >= Wall && placement <= Ceiling; }
    static bool ValidMode(int mode);
    // The position a new PTZ view looks at: the centre on a wall, halfway up elsewhere.
    static void NewPtzPosition(int placement, double* x, double* y);

    // The lens: the ray through a frame point (continuous pixel coordinates), and back. Rays past
    // 90 degrees from the axis lie outside the circle: LensPoint is false for them.
    DewarpVec LensRay(double u, double v) const;
    bool LensPoint(const DewarpVec& ray, double* u, double* v) const;
    // A frame point moved back inside the circle (just inside its rim) when it lies outside.
    void ClampToCircle(double* u, double* v) const;

    // The ray shown at a point of the view (fractions of its width and height, continuous), and
    // where a ray shows in the view (false when the view does not show it).
    bool ViewRay(double fx, double fy, DewarpVec* ray) const;
    bool ViewPoint(const DewarpVec& ray, double* fx, double* fy) const;
    // The frame point (continuous pixels) shown at a view point; false outside the circle.
    bool FramePoint(double fx, double fy, double* u, double* v) const;
    // Fast path for table building: frame points of a run of view pixels along one row, pixel
    // centres from column 0; false entries outside the circle get u = -1.
    void FrameRow(int row, int width, int height, float* u, float* v) const;

    const Setup& GetSetup() const { return m_setup; }
    int FrameWidth() const { return m_frameWidth; }
    int FrameHeight() const { return m_frameHeight; }
    double Radius() const { return m_radius; }

private:
    enum class Kind { Scaled, Rectilinear, Band, Cylinder };
    bool LensPointFast(float x, float y, float z, float* u, float* v) const;

    Setup m_setup;
    int m_frameWidth, m_frameHeight;
    int m_outWidth, m_outHeight;
    double m_cx, m_cy, m_radius;
    Kind m_kind = Kind::Scaled;
    // Rectilinear: the view's axes in camera rays, and tan of the half fields.
    DewarpVec m_forward, m_right, m_down;
    double m_tanX = 1.0, m_tanY = 1.0;
    // Band (panoramas around the axis): the azimuth of the view's centre column, its span, the
    // direction azimuth runs (+1 ceiling, -1 desktop), polar angle at the top and bottom rows.
    double m_azimuthCentre = 0.0, m_span = 0.0, m_sense = 1.0, m_polarTop = 0.0, m_polarBottom = 0.0;
    // Cylinder (wall panoramas): azimuth span 180 degrees, heights +-tan 60 degrees.
    double m_tanHeight = 0.0;
};
