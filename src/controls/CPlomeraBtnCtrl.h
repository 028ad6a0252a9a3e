#pragma once

#include "controls/ResourceImage.h"

#include <QAbstractButton>
#include <QPixmap>
#include <QRgb>
#include <QString>
#include <array>
#include <cstdint>

// An image button of the player's bars: one cached picture per state (normal, pressed, hover,
// disabled and, with a second image, the three checked ones), built once over a copy of the
// parent's own drawing under the button, so that a repaint is a single drawPixmap. A toggle
// button inverts its checked state once per press, on the way down; drawing only reads it.
// The pictures are rebuilt after SetImage with reset, a resize, or ResetPictures (owners call
// it when the colour behind the button changes).
class CPlomeraBtnCtrl : public QAbstractButton {
    Q_OBJECT
public:
    enum Picture {
        Background,
        Normal,
        Pressed,
        Hover,
        CheckedNormal,
        CheckedPressed,
        CheckedHover,
        Disabled,
        // Only for buttons that have a picture of their own for it (the control bar's toggles).
        CheckedDisabled,
        PictureCount
    };

    explicit CPlomeraBtnCtrl(QWidget* parent = nullptr);
    ~CPlomeraBtnCtrl() override;

    // Replaces the image; with reset the cached pictures are dropped and the button repainted.
    void SetImage(int resourceId, bool reset);
    // The image of the checked states; sets has-second-image when it loads.
    void SetSecondImage(int resourceId);
    // The tooltip text from the string table (an empty text leaves the tooltip as it was).
    void SetTooltipText(int stringId);
    void SetTooltipText(const QString& text);
    const QString& TooltipText() const { return tooltipText_; }

    // Drawn grey and deaf to the mouse while set.
    void SetDisabled(bool disabled);
    bool IsDisabled() const { return disabled_; }
    void SetToggleMode(bool on) { toggleMode_ = on; }
    bool ToggleMode() const { return toggleMode_; }
    // The checked state of a toggle button; the picture shown follows it.
    void SetCheckedState(bool checked);
    bool IsCheckedState() const { return checked_; }
    void SetHoverColour(QRgb argb);
    void SetPressedColour(QRgb argb);
    QRgb HoverColour() const { return hoverColour_; }
    QRgb PressedColour() const { return pressedColour_; }
    bool IsHovering() const { return hovering_; }
    // Inverted on every click (kept for the owners that read it).
    uint32_t ClickValue() const { return values_[2]; }

    // Drops the cached pictures; the next paint builds them over the parent as it is now.
    void ResetPictures();
    bool IsRendered() const { return rendered_; }
    // The state picture a paint would copy now (Disabled, Pressed, ... ), PictureCount when the
    // button draws nothing.
    virtual Picture CurrentPicture() const;
    const QPixmap& PictureOf(Picture which) const { return pictures_[which]; }
    QSize sizeHint() const override;

protected:
    // Whether the state pictures can be built: an image button needs its image.
    virtual bool CanRender() const { return !image_.IsEmpty(); }
    // Which state pictures are built: the checked ones only with a second image.
    virtual bool WantsPicture(Picture which) const;
    // Draws one state picture over the background already on the painter.
    virtual void ComposePicture(QPainter& p, Picture which);
    // Draws an image at its natural size, centred in the client rectangle.
    virtual void DrawImage(QPainter& p, const QImage& image);
    // The fill of a pressed or hover state (none for the others).
    void FillStateColour(QPainter& p, Picture which, const QRect& area);
    const ResourceImage& Image() const { return image_; }
    const ResourceImage& SecondImage() const { return secondImage_; }
    bool HasSecondImage() const { return hasSecondImage_; }

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void RenderPictures();
    void OnPressed();
    void ShowTooltip();

    bool hasSecondImage_ = false;
    bool disabled_ = false;
    bool toggleMode_ = false;
    bool hovering_ = false;
    bool checked_ = false;
    ResourceImage secondImage_;
    ResourceImage image_;
    QString tooltipText_;
    std::array<QPixmap, PictureCount> pictures_;
    QRgb hoverColour_ = 0xFFF0F0F0;
    QRgb pressedColour_ = 0xFFFFFFFF;
    std::array<uint32_t, 3> values_{};
    bool rendered_ = false;
};

// The grey of a disabled picture: each of red, green and blue becomes
// 0.3 red + 0.59 green + 0.11 blue, alpha unchanged.
QImage GreyImage(const QImage& image);
