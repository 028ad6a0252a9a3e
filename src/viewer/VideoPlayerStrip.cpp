#include "viewer/VideoPlayerStrip.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPalette>
#include <QWidget>
#include <algorithm>

namespace VideoPlayerStrip {

QLabel* MakeLabel(QWidget* strip, int id)
{
    auto* label = new QLabel(strip);
    label->setObjectName(QString::number(id));
    label->setAutoFillBackground(false);
    label->setTextFormat(Qt::PlainText);
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, QColor(0, 0, 0));
    label->setPalette(p);
    return label;
}

void Paint(QWidget* strip, const QColor& colour)
{
    QPalette p = strip->palette();
    p.setColor(QPalette::Window, colour);
    strip->setPalette(p);
}

int Height(const QWidget* strip, int tallestControl)
{
    return std::max(strip->fontMetrics().height() + 6, tallestControl + 4);
}

} // namespace VideoPlayerStrip
