#include "controls/CPlomeraCheckBoxCtrl.h"

#include <QFontDatabase>
#include <QPainter>

namespace {

constexpr int kLabelLeft = 4;

} // namespace

CPlomeraCheckBoxCtrl::CPlomeraCheckBoxCtrl(QWidget* parent) : CPlomeraBtnCtrl(parent) {}

void CPlomeraCheckBoxCtrl::SetLabel(const QString& label, const QString& fontFamily, float pointSize,
                                    QRgb colour)
{
    label_ = label;
    fontFamily_ = fontFamily;
    fontSize_ = pointSize;
    textColour_ = colour;
    setAccessibleName(label);
    ResetPictures();
}

QFont CPlomeraCheckBoxCtrl::LabelFont() const
{
    QFont font;
    if (!fontFamily_.isEmpty() && QFontDatabase::hasFamily(fontFamily_)) {
        font.setFamily(fontFamily_);
    } else {
        font.setStyleHint(QFont::SansSerif);
        font.setFamily(QStringLiteral("Sans Serif"));
    }
    font.setPointSizeF(fontSize_ > 0 ? fontSize_ : 9.0);
    font.setWeight(QFont::Normal);
    font.setStyle(QFont::StyleNormal);
    return font;
}

void CPlomeraCheckBoxCtrl::DrawImage(QPainter& p, const QImage& image)
{
    p.drawImage(QPoint(0, (height() - image.height()) / 2), image);
}

void CPlomeraCheckBoxCtrl::ComposePicture(QPainter& p, Picture which)
{
    CPlomeraBtnCtrl::ComposePicture(p, which);
    if (label_.isEmpty()) {
        return;
    }
    p.setFont(LabelFont());
    p.setPen(QColor::fromRgba(textColour_));
    p.drawText(QRect(kLabelLeft, 0, width(), height()), Qt::AlignCenter, label_);
}
