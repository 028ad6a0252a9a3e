#include "bookmarks/BookmarkPrintLayout.h"

#include "evidence/FalException.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QRegularExpression>
#include <QTextLayout>
#include <algorithm>
#include <cmath>

QRect BookmarkPrintLayout::TextRect(const QPaintDevice& device)
{
    // (100, 100) to (3000, 3000), the far corner outside the rectangle.
    return QRect(100, 100, 2900, 2900) & QRect(0, 0, device.width(), device.height());
}

std::vector<QStringList> BookmarkPrintLayout::Pages(const QString& text, const QFont& font, QPaintDevice& device)
{
    const QRect rect = TextRect(device);
    const QFontMetricsF metrics(font, &device);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);

    QStringList lines;
    QStringList paragraphs = text.split(QRegularExpression(QStringLiteral("\r?\n")));
    if (text.endsWith(QLatin1Char('\n'))) {
        paragraphs.removeLast();  // the last line's end opens no line of its own
    }
    for (const QString& paragraph : paragraphs) {
        if (paragraph.isEmpty()) {
            lines << QString();
            continue;
        }
        QTextLayout layout(paragraph, font, &device);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(std::max(rect.width(), 1));
            lines << paragraph.mid(line.textStart(), line.textLength());
        }
        layout.endLayout();
    }

    // A page holds every line that ends inside the rectangle, and always at least one. A bookmark
    // (the lines up to an empty one) starts a fresh page rather than being split, unless it is
    // longer than a page; an empty line at a page's end stays there, as it draws nothing.
    const qreal room = rect.height() - metrics.height();
    const auto perPage = static_cast<qsizetype>(std::max(1.0, std::floor(room / metrics.lineSpacing()) + 1));
    std::vector<QStringList> pages(1);
    qsizetype used = 0;  // lines of the page that draw something or precede one that does
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i].isEmpty() && used == perPage) {
            pages.back() << QString();
            continue;
        }
        const bool blockStart = i == 0 || lines[i - 1].isEmpty();
        qsizetype block = 0;
        while (blockStart && i + block < lines.size() && !lines[i + block].isEmpty()) ++block;
        if (used == perPage || (blockStart && used > 0 && used + block > perPage && block <= perPage)) {
            pages.emplace_back();
            used = 0;
        }
        pages.back() << lines[i];
        ++used;
    }
    return pages;
}

int BookmarkPrintLayout::Print(QPagedPaintDevice& device, const QString& text)
{
    QPainter painter;
    if (!painter.begin(&device)) {
        throw FalException(QStringLiteral("The printer could not be opened"));
    }
    const QFont font(QFont(), &device);
    const QFontMetricsF metrics(font, &device);
    const QRect rect = TextRect(device);
    const std::vector<QStringList> pages = Pages(text, font, device);
    painter.setFont(font);
    for (size_t p = 0; p < pages.size(); ++p) {
        if (p > 0 && !device.newPage()) {
            painter.end();
            throw FalException(QStringLiteral("The printer could not start page %1").arg(p + 1));
        }
        painter.setClipRect(rect);
        qreal y = rect.top();
        for (const QString& line : pages[p]) {
            // drawText at a point draws every character as it is: no mnemonic, no tab expansion.
            painter.drawText(QPointF(rect.left(), y + metrics.ascent()), line);
            y += metrics.lineSpacing();
        }
    }
    if (!painter.end()) {
        throw FalException(QStringLiteral("The printer could not finish the document"));
    }
    return static_cast<int>(pages.size());
}
