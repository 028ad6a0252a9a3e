#include "controls/CPlomeraBtnCtrl.h"

#include "controls/StringTable.h"

#include <QCursor>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

namespace {

constexpr int kTooltipMillis = 1000;

} // namespace

QImage GreyImage(const QImage& image)
{
    QImage grey = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < grey.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(grey.scanLine(y));
        for (int x = 0; x < grey.width(); ++x) {
            // Premultiplied channels stay premultiplied: the weights add up to 1.
            const QRgb c = row[x];
            const int g = qBound(0, qRound(0.3 * qRed(c) + 0.59 * qGreen(c) + 0.11 * qBlue(c)), qAlpha(c));
            row[x] = qRgba(g, g, g, qAlpha(c));
        }
    }
    return grey;
}

CPlomeraBtnCtrl::CPlomeraBtnCtrl(QWidget* parent) : QAbstractButton(parent)
{
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QAbstractButton::pressed, this, &CPlomeraBtnCtrl::OnPressed);
    connect(this, &QAbstractButton::clicked, this, [this] { values_[2] = ~values_[2]; });
}

CPlomeraBtnCtrl::~CPlomeraBtnCtrl() = default;

void CPlomeraBtnCtrl::SetImage(int resourceId, bool reset)
{
    image_ = ResourceImage(resourceId);
    if (reset) {
        ResetPictures();
    }
}

void CPlomeraBtnCtrl::SetSecondImage(int resourceId)
{
    secondImage_ = ResourceImage(resourceId);
    hasSecondImage_ = !secondImage_.IsEmpty();
    ResetPictures();
}

void CPlomeraBtnCtrl::SetTooltipText(int stringId)
{
    SetTooltipText(StringTable::Load(stringId));
}

void CPlomeraBtnCtrl::SetTooltipText(const QString& text)
{
    if (text.isEmpty()) {
        return;
    }
    tooltipText_ = text;
    setAccessibleName(text);
    if (hovering_ && QToolTip::isVisible()) {
        ShowTooltip();
    }
}

void CPlomeraBtnCtrl::SetDisabled(bool disabled)
{
    disabled_ = disabled;
    setEnabled(!disabled);
    update();
}

void CPlomeraBtnCtrl::SetCheckedState(bool checked)
{
    if (checked_ != checked) {
        checked_ = checked;
        update();
    }
}

void CPlomeraBtnCtrl::SetHoverColour(QRgb argb)
{
    hoverColour_ = argb;
    ResetPictures();
}

void CPlomeraBtnCtrl::SetPressedColour(QRgb argb)
{
    pressedColour_ = argb;
    ResetPictures();
}

void CPlomeraBtnCtrl::ResetPictures()
{
    rendered_ = false;
    for (QPixmap& p : pictures_) {
        p = QPixmap();
    }
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    update();
}

QSize CPlomeraBtnCtrl::sizeHint() const
{
    return image_.IsEmpty() ? QSize(16, 16) : image_.Size();
}

CPlomeraBtnCtrl::Picture CPlomeraBtnCtrl::CurrentPicture() const
{
    if (!rendered_ && !CanRender()) {
        return PictureCount;
    }
    if (disabled_ || !isEnabled()) {
        return Disabled;
    }
    const bool checkedPictures = checked_ && hasSecondImage_;
    if (isDown()) {
        return checkedPictures ? CheckedPressed : Pressed;
    }
    if (hovering_) {
        return checkedPictures ? CheckedHover : Hover;
    }
    return checkedPictures ? CheckedNormal : Normal;
}

bool CPlomeraBtnCtrl::WantsPicture(Picture which) const
{
    switch (which) {
    case CheckedNormal:
    case CheckedPressed:
    case CheckedHover: return hasSecondImage_;
    case CheckedDisabled: return false;
    default: return true;
    }
}

void CPlomeraBtnCtrl::FillStateColour(QPainter& p, Picture which, const QRect& area)
{
    if (which == Pressed || which == CheckedPressed) {
        p.fillRect(area, QColor::fromRgba(pressedColour_));
    } else if (which == Hover || which == CheckedHover) {
        p.fillRect(area, QColor::fromRgba(hoverColour_));
    }
}

void CPlomeraBtnCtrl::DrawImage(QPainter& p, const QImage& image)
{
    const QPoint at((width() - image.width()) / 2, (height() - image.height()) / 2);
    p.drawImage(at, image);
}

void CPlomeraBtnCtrl::ComposePicture(QPainter& p, Picture which)
{
    const bool second = which == CheckedNormal || which == CheckedPressed || which == CheckedHover;
    const ResourceImage& source = second ? secondImage_ : image_;
    if (source.IsEmpty()) {
        return;
    }
    FillStateColour(p, which, rect());
    DrawImage(p, which == Disabled ? GreyImage(source.Image()) : source.Image());
}

void CPlomeraBtnCtrl::RenderPictures()
{
    const QSize size = this->size();
    const qreal dpr = devicePixelRatioF();
    QPixmap background(size * dpr);
    background.setDevicePixelRatio(dpr);
    background.fill(Qt::transparent);
    if (QWidget* parent = parentWidget()) {
        // The parent's own drawing under the button, without its children: the button looks
        // transparent and a repaint never needs the parent again.
        parent->render(&background, QPoint(), QRegion(geometry()), QWidget::DrawWindowBackground);
    }
    pictures_[Background] = background;
    for (int i = Normal; i < PictureCount; ++i) {
        const auto which = static_cast<Picture>(i);
        if (!WantsPicture(which)) {
            continue;
        }
        QPixmap picture = background;
        QPainter p(&picture);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        ComposePicture(p, which);
        p.end();
        pictures_[which] = picture;
    }
    rendered_ = true;
    setAttribute(Qt::WA_OpaquePaintEvent, true);
}

void CPlomeraBtnCtrl::paintEvent(QPaintEvent*)
{
    if (!rendered_) {
        if (!CanRender() || width() <= 0 || height() <= 0) {
            return;
        }
        RenderPictures();
    }
    const Picture which = CurrentPicture();
    if (which == PictureCount) {
        return;
    }
    QPainter p(this);
    p.drawPixmap(0, 0, pictures_[which]);
    if (hasFocus() && focusPolicy() != Qt::NoFocus) {
        // The keyboard's place: a dotted frame inside the edge.
        QPen pen(QColor(0x80, 0x80, 0x80));
        pen.setStyle(Qt::DotLine);
        p.setPen(pen);
        p.drawRect(rect().adjusted(1, 1, -2, -2));
    }
}

void CPlomeraBtnCtrl::focusInEvent(QFocusEvent* event)
{
    QAbstractButton::focusInEvent(event);
    update();
}

void CPlomeraBtnCtrl::focusOutEvent(QFocusEvent* event)
{
    QAbstractButton::focusOutEvent(event);
    update();
}

void CPlomeraBtnCtrl::resizeEvent(QResizeEvent* event)
{
    QAbstractButton::resizeEvent(event);
    ResetPictures();
}

void CPlomeraBtnCtrl::enterEvent(QEnterEvent* event)
{
    QAbstractButton::enterEvent(event);
    hovering_ = true;
    update();
    ShowTooltip();
}

void CPlomeraBtnCtrl::leaveEvent(QEvent* event)
{
    QAbstractButton::leaveEvent(event);
    hovering_ = false;
    update();
}

void CPlomeraBtnCtrl::ShowTooltip()
{
    if (!tooltipText_.isEmpty()) {
        QToolTip::showText(QCursor::pos(), tooltipText_, this, rect(), kTooltipMillis);
    }
}

void CPlomeraBtnCtrl::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        setFocus(Qt::MouseFocusReason);
    }
    QAbstractButton::mousePressEvent(event);
}

void CPlomeraBtnCtrl::mouseDoubleClickEvent(QMouseEvent* event)
{
    // A fast second click is a press of its own: Qt delivers that press before the double
    // click, so the double click itself adds nothing (pressing again would flip a toggle twice).
    event->accept();
}

void CPlomeraBtnCtrl::changeEvent(QEvent* event)
{
    QAbstractButton::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) {
        update();
    }
}

void CPlomeraBtnCtrl::OnPressed()
{
    // Once per press, on the way down; painting only reads the state.
    if (toggleMode_) {
        checked_ = !checked_;
    }
    update();
}
