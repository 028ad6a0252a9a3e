#pragma once

#include "viewer/TileSurface.h"
#include "viewer/VideoPlayerZoom.h"

#include <QColor>
#include <QRect>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

// The video surface of a tile: a child of the picture container placed at the picture rectangle
// (wider than the container while zoomed, clipped by it). It owns the tile's render window (the
// TileSurface the decoding library presents to) and paints only the part the container shows:
// the newest frame, which the library already converted to that part at that size, so a paint is
// one 1:1 copy. A frame of an earlier view (the one or two that follow a zoom step, a resize or
// the first frame) is drawn where its rectangle of the frame belongs, scaled. While the
// no-picture byte is set it shows RGB(60, 60, 255) instead. Pointer input passes through to the
// tile.
class CPtzPanel : public QWidget {
    Q_OBJECT
public:
    static constexpr QRgb kNoPictureColour = 0xFF3C3CFF;

    explicit CPtzPanel(QWidget* parent = nullptr);
    ~CPtzPanel() override;

    TileSurface& Surface() { return *surface_; }
    VDL_Surface* Handle() { return surface_->Handle(); }

    // What the tile shows now: the view it asked the library for and the visible part of this
    // panel (its own coordinates).
    void SetView(const VideoPlayerZoom::View& view, const QRect& visible);
    const VideoPlayerZoom::View& View() const { return view_; }
    void SetNoPicture(bool on);
    bool NoPicture() const { return noPicture_; }
    // The red zoom rectangle, from one corner to the other in the panel's coordinates; none clears it.
    void SetZoomRectangle(const std::optional<QRect>& rect);
    void SetFocusFrame(bool on);

    // The frame held for painting, after taking the newest that arrived (a copy).
    QImage HeldImage();
    const TileSurface::Frame& HeldFrame();
    // Whether the frame held matches the view asked for (its paint is a 1:1 copy).
    bool HeldFrameIsOneToOne() const;

    // After a frame of a size not seen before was taken (the tile sets its view for it).
    std::function<void(const QSize& source)> onSourceSize;
    // After each paint with the frame painted and the paint's start and end (steady clock, ns);
    // for measurements.
    std::function<void(const TileSurface::Frame& frame, int64_t startNanos, int64_t endNanos)> onPainted;

    // When the tile could not detach its surface from the library: the surface is kept (frames
    // are dropped) rather than freed under a port that may still present to it.
    void AbandonSurface();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void Take();

    std::unique_ptr<TileSurface> owned_;
    TileSurface* surface_;
    VideoPlayerZoom::View view_;
    QRect visible_;
    QSize lastSource_;
    bool noPicture_ = false;
    bool focusFrame_ = false;
    std::optional<QRect> zoomRectangle_;
};
