#include "driver/DewarpLayouts.h"

#include "evidence/WideText.h"

namespace {

constexpr float kThird = 0.333333f;
constexpr float kTwoThirds = 0.666667f;

using View = DewarpLayouts::View;
using Plan = DewarpLayouts::Plan;

View Main(int32_t placement, int32_t mode) { return View{placement, mode, 0, 0, 0, 0, 0}; }
View Ptz(int32_t placement, float x, float y) { return View{placement, DewarpLayouts::kPtz, 8, x, y, 0, 0}; }
View ZoomedPtz(int32_t placement, float x, float y) { return View{placement, DewarpLayouts::kPtz, 10, x, y, 0.1f, 0}; }

Plan A(int32_t placement) { return Plan{{Main(placement, DewarpLayouts::kFisheye)}, 0}; }
Plan B(int32_t placement, int32_t mode) { return Plan{{View{placement, mode, 4, 0, 0, 0, 0}}, 0}; }
Plan C()
{
    return Plan{{Main(DewarpLayouts::kCeiling, DewarpLayouts::kPanorama360), Ptz(DewarpLayouts::kCeiling, 0.25f, 0.5f)}, 2};
}
Plan D(int32_t placement, int32_t mode)
{
    return Plan{{Main(placement, mode), Ptz(placement, 0.5f, kThird), Ptz(placement, kThird, kTwoThirds),
                 Ptz(placement, kTwoThirds, kTwoThirds)},
                2};
}
Plan E(int32_t placement, int32_t mode)
{
    Plan p{{Main(placement, mode)}, 1};
    const float points[8][2] = {{0.25f, 0.25f}, {0.5f, 0.25f}, {0.75f, 0.25f}, {0.25f, 0.5f},
                                {0.75f, 0.5f},  {0.25f, 0.75f}, {0.5f, 0.75f}, {0.75f, 0.75f}};
    for (const auto& xy : points)
        p.views.push_back(Ptz(placement, xy[0], xy[1]));
    return p;
}
Plan F()
{
    const int32_t c = DewarpLayouts::kCeiling;
    return Plan{{Main(c, DewarpLayouts::kPanorama360), Ptz(c, 0.25f, 0.25f), Ptz(c, 0.5f, 0.25f), Ptz(c, 0.75f, 0.25f),
                 Ptz(c, 0.25f, 0.75f), Ptz(c, 0.5f, 0.75f), Ptz(c, 0.75f, 0.75f)},
                2};
}
Plan G()
{
    const int32_t c = DewarpLayouts::kCeiling;
    return Plan{{ZoomedPtz(c, 0.25f, 0.5f), ZoomedPtz(c, 0.75f, 0.5f)}, DewarpLayouts::kNoOutline};
}
Plan H(int32_t placement)
{
    return Plan{{ZoomedPtz(placement, kThird, kThird), ZoomedPtz(placement, kTwoThirds, kThird),
                 ZoomedPtz(placement, kThird, kTwoThirds), ZoomedPtz(placement, kTwoThirds, kTwoThirds)},
                DewarpLayouts::kNoOutline};
}

} // namespace

int32_t DewarpLayouts::PlacementOf(const QString& mountType, bool* known)
{
    // The tag's text carries its padding NULs; the comparison stops at the first.
    const QString text = WideText::UpToNul(mountType);
    int32_t placement = 0;
    if (text == QLatin1String("Ceiling"))
        placement = kCeiling;
    else if (text == QLatin1String("Desktop"))
        placement = kDesktop;
    else if (text == QLatin1String("Wall"))
        placement = kWall;
    if (known)
        *known = placement != 0;
    return placement != 0 ? placement : kCeiling;
}

DewarpLayouts::Plan DewarpLayouts::For(int32_t placement, int32_t layoutMode)
{
    const bool wall = placement == kWall;
    const bool ceiling = placement == kCeiling;
    switch (layoutMode) {
    case 3: return wall ? Plan{} : A(placement);
    case 4: return D(placement, kFisheye);
    case 6: return E(placement, kFisheye);
    case 7: return wall ? Plan{{Main(placement, kWallView)}, kNoOutline} : Plan{};
    case 8: return wall ? D(placement, kWallView) : Plan{};
    case 9: return wall ? E(placement, kWallView) : Plan{};
    case 10: return wall ? Plan{} : B(placement, kPanorama180);
    case 11: return wall ? Plan{} : B(placement, kPanorama360);
    case 13: return wall ? Plan{} : C();
    case 14: return wall ? Plan{} : D(placement, kPanorama360);
    case 15: return wall ? Plan{} : F();
    case 16: return wall ? Plan{} : E(placement, kPanorama360);
    case 17: return ceiling ? G() : Plan{};
    case 18: return H(placement);
    case 19: return ceiling ? A(placement) : Plan{};
    default: return Plan{};
    }
}
