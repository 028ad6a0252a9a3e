#include "metadata/CTimelineControls.h"

#include "controls/StringTable.h"
#include "metadata/CTimelineMetadataPlayback.h"

namespace {
constexpr int kCaptionText = 142;
}

CTimelineControls::CTimelineControls(QWidget* parent) : QDockWidget(StringTable::Load(kCaptionText), parent)
{
    setObjectName(QStringLiteral("pane142"));
    strip_ = new CTimelineMetadataPlayback(this);
    setWidget(strip_);
}
