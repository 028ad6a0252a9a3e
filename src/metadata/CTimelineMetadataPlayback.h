#pragma once

#include <QImage>
#include <QWidget>
#include <functional>

class IPlomeraViewEvents;
class QMenu;

// The metadata strip under the time scale: a picture the size of its client area that the
// playback driver paints (through the viewer) and this window only blits, a tooltip window
// whose picture the driver paints too, and the pointer's events for the viewer. Events go out
// only while the enabled flag is set (a file with a metadata track is open); the tooltip events
// only while tooltips are on. GUI thread only.
class CTimelineMetadataPlayback : public QWidget {
    Q_OBJECT
public:
    static constexpr int kDisplaySettingsCommand = 32824;
    static constexpr int kToggleTooltipCommand = 32825;

    explicit CTimelineMetadataPlayback(QWidget* parent = nullptr);

    void SetEvents(std::function<IPlomeraViewEvents*()> events) { events_ = std::move(events); }
    void SetEnabledFlag(bool on) { enabled_ = on; }
    bool EnabledFlag() const { return enabled_; }
    bool TooltipsOn() const { return tooltipsOn_; }
    // The context menu's second item toggles this; off also hides the tooltip.
    void SetTooltipsOn(bool on);
    // "Show ToolTip" while tooltips are off, "Hide ToolTip" while on.
    static QString TooltipCommandText(bool tooltipsOn);

    QImage* StripPicture() { return &strip_; }
    QWidget* TooltipWindow() const { return tooltip_; }
    QImage* TooltipPicture();
    // Shows the tooltip's picture beside a point of the strip; hides it.
    void ShowTooltipAt(const QPoint& point);
    void HideTooltip();
    // The menu the strip offers, built for the current state (null while disabled).
    QMenu* BuildContextMenu(QWidget* parent);

    QSize sizeHint() const override { return QSize(498, 46); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    IPlomeraViewEvents* Events() const;

    std::function<IPlomeraViewEvents*()> events_;
    QImage strip_;
    QWidget* tooltip_ = nullptr;
    bool tooltipsOn_ = false;
    bool enabled_ = false;
};
