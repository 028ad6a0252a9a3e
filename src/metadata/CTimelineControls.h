#pragma once

#include <QDockWidget>

class CTimelineMetadataPlayback;

// The "Metadata Player" pane: one metadata strip over its whole client area.
class CTimelineControls : public QDockWidget {
    Q_OBJECT
public:
    explicit CTimelineControls(QWidget* parent = nullptr);
    CTimelineMetadataPlayback* Strip() const { return strip_; }

private:
    CTimelineMetadataPlayback* strip_ = nullptr;
};
