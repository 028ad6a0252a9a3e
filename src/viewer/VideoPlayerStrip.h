#pragma once

#include <QColor>

class QLabel;
class QWidget;

// What the tile's two strips share: their colours, labels that show the strip's colour behind
// their text, and their height.
namespace VideoPlayerStrip {

// A new tile's strips, and the selected tile's.
inline const QColor kSelectedColour{86, 150, 100};
// An unselected tile's strips (the grid's choice).
inline const QColor kUnselectedColour{210, 210, 210};

// A label numbered id (its object name) whose background is the strip's own painting.
QLabel* MakeLabel(QWidget* strip, int id);
// The strip's palette follows its colour, so that what is drawn over it agrees.
void Paint(QWidget* strip, const QColor& colour);
// One line of the strip's font, or the tallest control in it.
int Height(const QWidget* strip, int tallestControl);

} // namespace VideoPlayerStrip
