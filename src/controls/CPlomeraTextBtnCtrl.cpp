#include "controls/CPlomeraTextBtnCtrl.h"

#include <QFontDatabase>
#include <QPainter>

namespace {

constexpr int kHoverInset = 2;
const QString kSymbolFamily = QStringLiteral("Webdings");
const QString kArrowFamily = QStringLiteral("DejaVu Sans");

} // namespace

CPlomeraTextBtnCtrl::CPlomeraTextBtnCtrl(QWidget* parent) : CPlomeraBtnCtrl(parent) {}

void CPlomeraTextBtnCtrl::SetText(const QString& text, const QString& fontFamily, int pixelSize,
                                  QRgb colour)
{
    text_ = text;
    fontFamily_ = fontFamily;
    fontSize_ = pixelSize;
    textColour_ = colour;
    if (accessibleName().isEmpty()) {
        setAccessibleName(text);
    }
    ResetPictures();
}

QString CPlomeraTextBtnCtrl::ShownText(const QString& text, const QString& fontFamily)
{
    if (fontFamily.compare(kSymbolFamily, Qt::CaseInsensitive) != 0) {
        return text;
    }
    QString shown;
    for (QChar c : text) {
        switch (c.unicode()) {
        case '3': shown += QChar(0x25C0); break; // ◀
        case '4': shown += QChar(0x25B6); break; // ▶
        case '5': shown += QChar(0x25B2); break; // ▲
        case '6': shown += QChar(0x25BC); break; // ▼
        case 'q': shown += QChar(0x21BB); break; // ↻ (circular arrows)
        default: shown += c; break;
        }
    }
    return shown;
}

QFont CPlomeraTextBtnCtrl::TextFont() const
{
    QFont font;
    if (fontFamily_.compare(kSymbolFamily, Qt::CaseInsensitive) == 0) {
        font.setFamily(kArrowFamily);
    } else if (!fontFamily_.isEmpty() && QFontDatabase::hasFamily(fontFamily_)) {
        font.setFamily(fontFamily_);
    } else {
        font.setStyleHint(QFont::SansSerif);
        font.setFamily(QStringLiteral("Sans Serif"));
    }
    font.setPixelSize(fontSize_ > 0 ? fontSize_ : 12);
    font.setWeight(QFont::Normal);
    return font;
}

void CPlomeraTextBtnCtrl::ComposePicture(QPainter& p, Picture which)
{
    CPlomeraBtnCtrl::ComposePicture(p, which);
    if (which == Hover || which == CheckedHover) {
        p.fillRect(rect().adjusted(kHoverInset, kHoverInset, -kHoverInset, -kHoverInset),
                   QColor::fromRgba(HoverColour()));
    }
    if (text_.isEmpty()) {
        return;
    }
    QColor colour = QColor::fromRgba(textColour_);
    if (which == Disabled) {
        // Greyed like a disabled image, so a disabled text button does not look usable.
        const int g = qRound(0.3 * colour.red() + 0.59 * colour.green() + 0.11 * colour.blue());
        colour = QColor(g, g, g, colour.alpha());
    }
    p.setFont(TextFont());
    p.setPen(colour);
    p.drawText(rect(), Qt::AlignCenter, ShownText(text_, fontFamily_));
}
