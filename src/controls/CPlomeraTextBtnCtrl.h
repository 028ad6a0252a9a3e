#pragma once

#include "controls/CPlomeraBtnCtrl.h"

// The button with a centred text in a chosen font (size in pixels, regular style); it draws its
// text even without an image. While hovering, the client area less 2 pixels on each side is
// filled with the hover colour. The symbol font's arrow letters ("3" "4" "5" "6" of "Webdings")
// are drawn as the arrows ◀ ▶ ▲ ▼, its "q" as the circular arrows ↻, in a font that has them.
class CPlomeraTextBtnCtrl : public CPlomeraBtnCtrl {
    Q_OBJECT
public:
    explicit CPlomeraTextBtnCtrl(QWidget* parent = nullptr);

    void SetText(const QString& text, const QString& fontFamily, int pixelSize, QRgb colour);
    const QString& Text() const { return text_; }
    // What is drawn for a text in a font family: the arrows for the symbol font's letters.
    static QString ShownText(const QString& text, const QString& fontFamily);
    QFont TextFont() const;

protected:
    bool CanRender() const override { return true; }
    void ComposePicture(QPainter& p, Picture which) override;

private:
    QString text_;
    QString fontFamily_;
    QRgb textColour_ = 0xFF000000;
    // The first of the three 32-bit values of the image button: the font size in pixels.
    int fontSize_ = 12;
};
