#include "map/COSMCtrlPolyline.h"

Qt::PenCapStyle COSMCtrlPolyline::QtCap(int capStyle)
{
    switch (capStyle) {
    case kCapSquare:
        return Qt::SquareCap;
    case kCapRound:
        return Qt::RoundCap;
    default:
        // The triangle has no pen counterpart: it is drawn by hand on a flat end.
        return Qt::FlatCap;
    }
}

Qt::PenJoinStyle COSMCtrlPolyline::QtJoin(int join)
{
    switch (join) {
    case kJoinBevel:
        return Qt::BevelJoin;
    case kJoinRound:
        return Qt::RoundJoin;
    case kJoinMiterOrBevel:
        // Mitred up to the limit, bevelled beyond it.
        return Qt::SvgMiterJoin;
    default:
        return Qt::MiterJoin;
    }
}

Qt::PenStyle COSMCtrlPolyline::QtDash(int dash)
{
    switch (dash) {
    case kDashDash:
        return Qt::DashLine;
    case kDashDot:
        return Qt::DotLine;
    case kDashDashDot:
        return Qt::DashDotLine;
    case kDashDashDotDot:
        return Qt::DashDotDotLine;
    default:
        return Qt::SolidLine;
    }
}

QPen COSMCtrlPolyline::LinePen() const
{
    QPen pen(lineColour, lineWidth, QtDash(dashStyle), QtCap(dashCap), QtJoin(lineJoin));
    pen.setMiterLimit(miterLimit);
    if (dashStyle != kDashSolid) {
        pen.setDashOffset(dashOffset);
    }
    return pen;
}
