#pragma once

#include "vdl/vdl.h"

#include <QColor>
#include <QString>

class FalFacade;
class Video;

// What a tile's caption strip shows of its camera's watermark checks: nothing while they pass or
// have not run, "Watermark missing" or "Watermark broken" in their colours when they fail, with
// the detail (the file information's words) as its tooltip. A dewarp view shows its root
// camera's. Plain data: the viewer's timer reads it for each tile and hands it to the strip.
struct WatermarkBadge {
    enum class Kind { None, Missing, Broken };

    Kind kind = Kind::None;
    QString text;
    QColor foreground;
    QColor background;
    QString tooltip;

    bool Shown() const { return kind != Kind::None; }
    bool operator==(const WatermarkBadge&) const = default;

    static WatermarkBadge For(const VDL_WatermarkStatusBlock& status);
    // The camera's badge through the facade (its root's for a dewarp view); none when the facade
    // cannot say (the camera not opened).
    static WatermarkBadge Of(FalFacade& facade, Video* video);
    // The file information's "Watermark :" row for the camera: "Not checked" when the facade
    // cannot say.
    static QString RowText(FalFacade& facade, Video* video);
};
