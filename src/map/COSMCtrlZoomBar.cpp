#include "map/COSMCtrlZoomBar.h"

#include "map/COSMCtrlCorner.h"
#include "map/COSMCtrlProjection.h"

#include <algorithm>
#include <cmath>

QRect COSMCtrlZoomBar::BarRect(const QSize& client, int corner, int dx, int dy)
{
    return COSMCtrlCorner::Place(client, corner, dx, dy, QSize(kWidth, kHeight));
}

QRect COSMCtrlZoomBar::ZoomInButton(const QRect& bar)
{
    return QRect(bar.left(), bar.top() - kButtonGap - kButtonSize, kButtonSize, kButtonSize);
}

QRect COSMCtrlZoomBar::ZoomOutButton(const QRect& bar)
{
    return QRect(bar.left(), bar.top() + kHeight + kButtonGap, kButtonSize, kButtonSize);
}

int COSMCtrlZoomBar::SliderPosition(double zoom)
{
    return int((COSMCtrlProjection::kMaxZoom - zoom) * 10.0);
}

double COSMCtrlZoomBar::ZoomFromSliderPosition(int position)
{
    return COSMCtrlProjection::kMaxZoom - position / 10.0;
}

double COSMCtrlZoomBar::ZoomFromBarPress(const QRect& bar, int y)
{
    const int bottom = bar.top() + kHeight;
    const double level = std::floor(double(bottom - y - 8) / kPixelsPerLevel);
    return std::clamp(level, double(COSMCtrlProjection::kMinZoom), double(COSMCtrlProjection::kMaxZoom));
}

double COSMCtrlZoomBar::ZoomFromBarDrag(const QRect& bar, int y)
{
    return std::trunc(COSMCtrlProjection::kMaxZoom - double(y - bar.top()) / kPixelsPerLevel);
}

int COSMCtrlZoomBar::LevelY(const QRect& bar, double zoom)
{
    // The middle of the band a press maps to that level.
    const int bottom = bar.top() + kHeight;
    return bottom - 8 - int(std::lround(zoom * kPixelsPerLevel)) - kPixelsPerLevel / 2;
}
