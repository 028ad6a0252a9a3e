#pragma once

#include <QFont>
#include <QRect>
#include <QString>
#include <QStringList>
#include <vector>

class QPaintDevice;
class QPagedPaintDevice;

// Bookmark text on paper: drawn in the device's default font, top-left in the rectangle (100, 100)
// to (3000, 3000) of device units (cut to the page when the page is smaller), broken into lines at
// word boundaries (a word wider than the rectangle at any character) with the font's leading
// between lines. Every character is printed as it is: "&" is text, never a mnemonic. What does not
// fit one page goes on as many further pages as it needs; a line is never split across pages.
// No widgets: it paints onto any paged device (a printer, a PDF writer).
class BookmarkPrintLayout {
public:
    // The text rectangle on a page of the device, in device units.
    static QRect TextRect(const QPaintDevice& device);
    // The text broken into lines and the lines into pages, for this font on this device. CR LF (or
    // a lone LF) ends a line; an empty line stays an empty line. At least one page.
    static std::vector<QStringList> Pages(const QString& text, const QFont& font, QPaintDevice& device);
    // Paints the text onto the device, beginning and ending its painting; returns the number of
    // pages. Throws FalException when the device cannot be painted on.
    static int Print(QPagedPaintDevice& device, const QString& text);
};
