#include "metadata/CTimelineMetadataPlayback.h"

#include "controls/StringTable.h"
#include "events/IPlomeraViewEvents.h"
#include "logging/HandlerGuard.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

namespace {

constexpr int kShowTooltipText = 144;
constexpr int kHideTooltipText = 143;

// The tooltip: a frameless child that shows the picture the driver painted.
class TooltipView : public QWidget {
public:
    explicit TooltipView(QWidget* parent) : QWidget(parent) { hide(); }
    QImage picture;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.drawImage(0, 0, picture);
    }
};

} // namespace

CTimelineMetadataPlayback::CTimelineMetadataPlayback(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    tooltip_ = new TooltipView(this);
}

IPlomeraViewEvents* CTimelineMetadataPlayback::Events() const
{
    return enabled_ && events_ ? events_() : nullptr;
}

QString CTimelineMetadataPlayback::TooltipCommandText(bool tooltipsOn)
{
    return StringTable::Load(tooltipsOn ? kHideTooltipText : kShowTooltipText);
}

void CTimelineMetadataPlayback::SetTooltipsOn(bool on)
{
    tooltipsOn_ = on;
    if (!on) HideTooltip();
}

QImage* CTimelineMetadataPlayback::TooltipPicture()
{
    return &static_cast<TooltipView*>(tooltip_)->picture;
}

void CTimelineMetadataPlayback::ShowTooltipAt(const QPoint& point)
{
    const QImage& picture = *TooltipPicture();
    // Beside the pointer, kept inside the strip where it fits.
    QPoint at = point + QPoint(12, 4);
    if (at.x() + picture.width() > width()) at.setX(std::max(0, point.x() - picture.width() - 12));
    if (at.y() + picture.height() > height()) at.setY(std::max(0, height() - picture.height()));
    tooltip_->setGeometry(QRect(at, picture.size()));
    tooltip_->show();
    tooltip_->raise();
    tooltip_->update();
}

void CTimelineMetadataPlayback::HideTooltip()
{
    tooltip_->hide();
}

QMenu* CTimelineMetadataPlayback::BuildContextMenu(QWidget* parent)
{
    if (!enabled_) return nullptr;
    auto* menu = new QMenu(QStringLiteral("Metadata Settings"), parent);
    QAction* settings = menu->addAction(QStringLiteral("Display Metadata Settings"));
    settings->setData(kDisplaySettingsCommand);
    connect(settings, &QAction::triggered, this, [this] {
        if (IPlomeraViewEvents* e = Events()) e->DisplayMetadataSettings();
    });
    QAction* toggle = menu->addAction(TooltipCommandText(tooltipsOn_));
    toggle->setData(kToggleTooltipCommand);
    connect(toggle, &QAction::triggered, this, [this] { SetTooltipsOn(!tooltipsOn_); });
    return menu;
}

void CTimelineMetadataPlayback::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (strip_.isNull()) {
        p.fillRect(rect(), Qt::black);
    } else {
        p.drawImage(0, 0, strip_);
    }
}

void CTimelineMetadataPlayback::resizeEvent(QResizeEvent* event)
{
    HandlerGuard::Run(HandlerGuard::Text("Error in OnSize TimelineMetadataPlayback: %s"), [&] {
        strip_ = QImage(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
        strip_.fill(Qt::black);
        if (IPlomeraViewEvents* e = Events()) e->MetadataPaneSized();
    });
    QWidget::resizeEvent(event);
}

void CTimelineMetadataPlayback::mouseMoveEvent(QMouseEvent* event)
{
    HandlerGuard::Run(HandlerGuard::Text("Error in OnMouseMove TimelineMetadataPlayback: %s"), [&] {
        if (!tooltipsOn_) return;
        if (IPlomeraViewEvents* e = Events()) e->MetadataHover(tooltip_, event->position().toPoint());
    });
}

void CTimelineMetadataPlayback::leaveEvent(QEvent*)
{
    HandlerGuard::Run(HandlerGuard::Text("Error in OnMouseLeave TimelineMetadataPlayback: %s"), [&] {
        if (!tooltipsOn_) return;
        if (IPlomeraViewEvents* e = Events()) e->MetadataHover(nullptr, QPoint());
    });
}

void CTimelineMetadataPlayback::mouseDoubleClickEvent(QMouseEvent*)
{
    if (IPlomeraViewEvents* e = Events()) e->SeekToCursorTime();
}

void CTimelineMetadataPlayback::mouseReleaseEvent(QMouseEvent* event)
{
    if ((event->button() == Qt::LeftButton || event->button() == Qt::RightButton) && parentWidget())
        parentWidget()->setFocus();
    QWidget::mouseReleaseEvent(event);
}

void CTimelineMetadataPlayback::contextMenuEvent(QContextMenuEvent* event)
{
    HandlerGuard::Run(HandlerGuard::Text("Error in OnContextMenu: %s"), [&] {
        QMenu* menu = BuildContextMenu(this);
        if (menu == nullptr) return;
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(event->globalPos());
    });
}
