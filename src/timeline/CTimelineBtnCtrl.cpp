#include "timeline/CTimelineBtnCtrl.h"

#include "logging/HandlerGuard.h"

#include <QPainter>

CTimelineBtnCtrl::CTimelineBtnCtrl(QWidget* parent) : CPlomeraBtnCtrl(parent)
{
    SetHoverColour(0xFF000000);
    SetPressedColour(0xFF000000);
}

void CTimelineBtnCtrl::enterEvent(QEnterEvent* event)
{
    HandlerGuard::Run(HandlerGuard::Text("CTimelineBtnCtrl::OnMouseHover failed : %s"),
                      [&] { CPlomeraBtnCtrl::enterEvent(event); });
}

void CTimelineBtnCtrl::SetImages(const ImageSet& images)
{
    images_ = images;
    hover_ = ResourceImage(images.hover);
    disabled_ = ResourceImage(images.disabled);
    SetImage(images.normal, true);
}

void CTimelineBtnCtrl::SetCheckedImages(const ImageSet& images)
{
    checkedImages_ = images;
    hasChecked_ = images.normal != 0;
    checkedNormal_ = ResourceImage(images.normal);
    checkedHover_ = ResourceImage(images.hover);
    checkedDisabled_ = ResourceImage(images.disabled);
    ResetPictures();
}

void CTimelineBtnCtrl::ReloadImages()
{
    SetImages(images_);
    if (hasChecked_) {
        SetCheckedImages(checkedImages_);
    }
}

bool CTimelineBtnCtrl::WantsPicture(Picture which) const
{
    switch (which) {
    case CheckedNormal:
    case CheckedPressed:
    case CheckedHover:
    case CheckedDisabled: return hasChecked_;
    default: return true;
    }
}

CPlomeraBtnCtrl::Picture CTimelineBtnCtrl::CurrentPicture() const
{
    const Picture base = CPlomeraBtnCtrl::CurrentPicture();
    if (!hasChecked_ || !IsCheckedState()) {
        return base;
    }
    switch (base) {
    case Normal: return CheckedNormal;
    case Pressed: return CheckedPressed;
    case Hover: return CheckedHover;
    case Disabled: return CheckedDisabled;
    default: return base;
    }
}

const ResourceImage& CTimelineBtnCtrl::ImageFor(Picture which) const
{
    switch (which) {
    case Hover: return hover_;
    case Disabled: return disabled_;
    case CheckedNormal:
    case CheckedPressed: return checkedNormal_;
    case CheckedHover: return checkedHover_;
    case CheckedDisabled: return checkedDisabled_;
    default: return Image();
    }
}

void CTimelineBtnCtrl::ComposePicture(QPainter& p, Picture which)
{
    FillStateColour(p, which, rect());
    const ResourceImage& image = ImageFor(which);
    if (!image.IsEmpty()) {
        DrawImage(p, image.Image());
    }
}
