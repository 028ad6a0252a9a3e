#pragma once

#include "viewer/PopupPointerRule.h"

#include <QTimer>
#include <QWidget>
#include <array>

class CPlomeraBtnCtrl;

// The caption's layout pop-up: the twelve layout modes as picture buttons in four rows of three,
// each with its mode's text as tooltip. A click sends the mode to the owner (LayoutModeSelected)
// and hides the pop-up; it also hides itself by the pointer rule once shown.
class CLayoutSelectionDlg : public QWidget {
    Q_OBJECT
public:
    // Ids of modes 0 ... 11, left to right and top to bottom (mode 10 breaks the run).
    static constexpr std::array<int, 12> kButtonIds = {1011, 1012, 1013, 1014, 1015, 1016,
                                                       1017, 1018, 1019, 1020, 7021, 1022};

    explicit CLayoutSelectionDlg(QWidget* owner);

    // Shows the pop-up with its top right corner at the given point (global), the current mode
    // noted, the pointer rule started over.
    void Open(int currentMode, const QPoint& topRight);
    void SetCurrentMode(int mode) { mode_ = mode; }
    int CurrentMode() const { return mode_; }
    CPlomeraBtnCtrl* Button(int mode) const { return buttons_[static_cast<size_t>(mode)]; }

private:
    void Tick();
    void MouseLeave();

    QWidget* owner_;
    std::array<CPlomeraBtnCtrl*, 12> buttons_{};
    int mode_ = 9;
    PopupPointerRule rule_;
    QTimer timer_;
};
