#pragma once

#include "map/COSMCtrlPosition.h"

#include <QColor>
#include <QPen>
#include <QString>
#include <vector>

// A polyline node: a position and whether it is selected.
class COSMCtrlNode {
public:
    COSMCtrlNode() = default;
    explicit COSMCtrlNode(const COSMCtrlPosition& where, bool isSelected = false)
        : position(where)
        , selected(isSelected)
    {
    }

    COSMCtrlPosition position;
    bool selected = false;
};

// A line through positions, drawn with a stroke style in the renderer's numbering.
class COSMCtrlPolyline {
public:
    enum CapStyle { kCapFlat = 0, kCapSquare = 1, kCapRound = 2, kCapTriangle = 3 };
    enum LineJoin { kJoinMiter = 0, kJoinBevel = 1, kJoinRound = 2, kJoinMiterOrBevel = 3 };
    enum DashStyle { kDashSolid = 0, kDashDash = 1, kDashDot = 2, kDashDashDot = 3, kDashDashDotDot = 4 };
    // Style 0 or 1 draws the line between consecutive nodes; styles 1 and 2 draw the nodes.
    enum DrawStyle { kDrawLine = 0, kDrawLineAndNodes = 1, kDrawNodes = 2 };

    bool ShowsAt(double zoom) const { return visible && zoom >= minZoom && zoom <= maxZoom; }
    bool DrawsLine() const { return drawStyle == kDrawLine || drawStyle == kDrawLineAndNodes; }
    bool DrawsNodes() const { return drawStyle == kDrawLineAndNodes || drawStyle == kDrawNodes; }

    // The pen of the line: width, colour, join, miter limit, dash style and offset, and the cap
    // of the dashes. The start and end caps are drawn apart when they differ from it.
    QPen LinePen() const;
    static Qt::PenCapStyle QtCap(int capStyle);
    static Qt::PenJoinStyle QtJoin(int lineJoin);
    static Qt::PenStyle QtDash(int dashStyle);

    std::vector<COSMCtrlNode> nodes;
    double lineWidth = 2.0;
    QColor lineColour = QColor(255, 0, 0);
    QColor nodeColour = QColor(255, 0, 0);
    QColor selectedNodeColour = QColor(255, 0, 0);
    int dashCap = kCapFlat;
    int dashStyle = kDashSolid;
    int endCap = kCapRound;
    int startCap = kCapRound;
    int lineJoin = kJoinRound;
    double dashOffset = 0.0;
    double miterLimit = 1.0;
    double nodeSize = 4.0;
    double selectedNodeSize = 2.0;
    int drawStyle = kDrawNodes;
    QString toolTipText;
    bool visible = true;
    bool selectable = true;
    double minZoom = 0.0;
    double maxZoom = 18.0;
};
