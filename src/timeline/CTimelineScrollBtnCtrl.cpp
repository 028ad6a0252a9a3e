#include "timeline/CTimelineScrollBtnCtrl.h"

#include "timeline/CTimelineTrackBar.h"

#include <QMouseEvent>

CTimelineScrollBtnCtrl::CTimelineScrollBtnCtrl(QWidget* parent) : CPlomeraTextBtnCtrl(parent)
{
    // The scale is reached by the keyboard itself; these only repeat what its keys do.
    setFocusPolicy(Qt::NoFocus);
}

void CTimelineScrollBtnCtrl::SetTarget(CTimelineTrackBar* target, int direction)
{
    target_ = target;
    direction_ = direction;
}

void CTimelineScrollBtnCtrl::mousePressEvent(QMouseEvent* event)
{
    CPlomeraTextBtnCtrl::mousePressEvent(event);
    if (target_ && isEnabled()
        && (event->button() == Qt::LeftButton || event->button() == Qt::RightButton)) {
        target_->StartScrolling(direction_);
    }
}

void CTimelineScrollBtnCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    Stop();
    CPlomeraTextBtnCtrl::mouseReleaseEvent(event);
}

void CTimelineScrollBtnCtrl::leaveEvent(QEvent* event)
{
    Stop();
    CPlomeraTextBtnCtrl::leaveEvent(event);
}

void CTimelineScrollBtnCtrl::hideEvent(QHideEvent* event)
{
    Stop();
    CPlomeraTextBtnCtrl::hideEvent(event);
}

void CTimelineScrollBtnCtrl::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange && !isEnabled()) {
        Stop();
    }
    CPlomeraTextBtnCtrl::changeEvent(event);
}

void CTimelineScrollBtnCtrl::Stop()
{
    if (target_) {
        target_->StopScrolling();
    }
}
