#pragma once

#include "controls/CPlomeraTextBtnCtrl.h"

class CTimelineTrackBar;

// A scroll button of the time scale: while the left or right mouse button holds it, the scale
// scrolls in its direction (0 left, 1 right); letting go or leaving the button stops it.
class CTimelineScrollBtnCtrl : public CPlomeraTextBtnCtrl {
    Q_OBJECT
public:
    explicit CTimelineScrollBtnCtrl(QWidget* parent = nullptr);

    void SetTarget(CTimelineTrackBar* target, int direction);
    int Direction() const { return direction_; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void Stop();

    CTimelineTrackBar* target_ = nullptr;
    int direction_ = 0;
};
