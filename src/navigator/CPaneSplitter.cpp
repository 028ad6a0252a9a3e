#include "navigator/CPaneSplitter.h"

#include <QPainter>

namespace {
constexpr int kMinimumRow = 25;
}

CPaneSplitter::CPaneSplitter(QWidget* parent) : QSplitter(Qt::Vertical, parent)
{
    setContentsMargins(1, 1, 1, 1);
    setHandleWidth(3);
    setChildrenCollapsible(false);
}

void CPaneSplitter::resizeEvent(QResizeEvent* event)
{
    QSplitter::resizeEvent(event);
    if (count() == 2) {
        const int half = std::max(kMinimumRow, contentsRect().height() / 2);
        setSizes({half, half});
    }
}

void CPaneSplitter::paintEvent(QPaintEvent* event)
{
    QSplitter::paintEvent(event);
    QPainter p(this);
    p.setPen(palette().color(QPalette::Dark));
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < count(); ++i) {
        p.drawRect(widget(i)->geometry().adjusted(-1, -1, 0, 0));
    }
}
