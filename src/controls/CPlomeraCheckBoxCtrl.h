#pragma once

#include "controls/CPlomeraBtnCtrl.h"

// The image button with a text label: the image stands at the left edge, the label is centred
// in the rest, in its font (the named family, or the sans-serif family when there is no such
// font), size in points, regular style.
class CPlomeraCheckBoxCtrl : public CPlomeraBtnCtrl {
    Q_OBJECT
public:
    explicit CPlomeraCheckBoxCtrl(QWidget* parent = nullptr);

    void SetLabel(const QString& label, const QString& fontFamily, float pointSize, QRgb colour);
    const QString& Label() const { return label_; }
    // The font the label is drawn with.
    QFont LabelFont() const;

protected:
    void ComposePicture(QPainter& p, Picture which) override;
    void DrawImage(QPainter& p, const QImage& image) override;

private:
    QString label_;
    QString fontFamily_;
    QRgb textColour_ = 0xFF000000;
    float fontSize_ = 9.0f;
};
