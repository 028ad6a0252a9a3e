#pragma once

#include <QRect>
#include <QSize>

// The zoom bar's geometry and its mappings between zoom levels and pixels. The slider control
// and the drawn bar occupy the same 20 x 246 rectangle at the zoom bar's corner; the drawn bar
// has its zoom-in button just above that rectangle and its zoom-out button just below.
class COSMCtrlZoomBar {
public:
    static constexpr int kWidth = 20;
    static constexpr int kHeight = 246;
    static constexpr int kPixelsPerLevel = 11;
    static constexpr int kSliderMaximum = 180;
    static constexpr int kButtonSize = 20;
    static constexpr int kButtonGap = 4;

    static QRect BarRect(const QSize& client, int corner, int dx, int dy);
    static QRect ZoomInButton(const QRect& bar);
    static QRect ZoomOutButton(const QRect& bar);

    // Slider position (18 - zoom) x 10, so that the top (position 0) is zoom 18.
    static int SliderPosition(double zoom);
    static double ZoomFromSliderPosition(int position);
    // A press on the drawn bar: floor((bottom - y - 8) / 11), clamped to [0, 18].
    static double ZoomFromBarPress(const QRect& bar, int y);
    // A drag along the drawn bar: the whole part of 18 - (y - top) / 11, not clamped (the zoom
    // setter refuses what lies outside [0, 18]).
    static double ZoomFromBarDrag(const QRect& bar, int y);
    // Where the drawn bar marks a zoom level: the middle of the band a press maps to it.
    static int LevelY(const QRect& bar, double zoom);
};
