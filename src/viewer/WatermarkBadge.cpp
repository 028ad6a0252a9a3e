#include "viewer/WatermarkBadge.h"

#include "driver/WatermarkStatusText.h"
#include "evidence/FalException.h"
#include "evidence/Video.h"
#include "facade/FalFacade.h"

#include <optional>

namespace {

std::optional<VDL_WatermarkStatusBlock> StatusOf(FalFacade& facade, Video* video)
{
    if (!video)
        return std::nullopt;
    Video* root = video->rootCamera ? video->rootCamera : video;
    try {
        return facade.GetWatermarkStatus(root);
    } catch (const FalException&) {
        return std::nullopt;
    }
}

} // namespace

WatermarkBadge WatermarkBadge::For(const VDL_WatermarkStatusBlock& status)
{
    WatermarkBadge b;
    if (status.state == VDL_WATERMARK_STATE_BROKEN) {
        b.kind = Kind::Broken;
        b.text = QStringLiteral("Watermark broken");
        b.foreground = QColor(255, 255, 255);
        b.background = QColor(200, 0, 0);
    } else if (status.state == VDL_WATERMARK_STATE_MISSING) {
        b.kind = Kind::Missing;
        b.text = QStringLiteral("Watermark missing");
        b.foreground = QColor(0, 0, 0);
        b.background = QColor(255, 191, 0);
    } else {
        return b;
    }
    b.tooltip = WatermarkStatusText::Row(status);
    return b;
}

WatermarkBadge WatermarkBadge::Of(FalFacade& facade, Video* video)
{
    const std::optional<VDL_WatermarkStatusBlock> status = StatusOf(facade, video);
    return status ? For(*status) : WatermarkBadge{};
}

QString WatermarkBadge::RowText(FalFacade& facade, Video* video)
{
    const std::optional<VDL_WatermarkStatusBlock> status = StatusOf(facade, video);
    return status ? WatermarkStatusText::Row(*status) : QStringLiteral("Not checked");
}
