#pragma once

#include "controls/CPlomeraBtnCtrl.h"

// A button of the control bar: its own picture for normal, hover and disabled (and, for a
// toggle, the same three checked); pressed is the normal picture over the pressed colour, hover
// the hover picture over the hover colour. Both colours are opaque black unless set.
class CTimelineBtnCtrl : public CPlomeraBtnCtrl {
    Q_OBJECT
public:
    struct ImageSet {
        int normal = 0;
        int hover = 0;
        int disabled = 0;
    };

    explicit CTimelineBtnCtrl(QWidget* parent = nullptr);

    // Loads the pictures and drops the cached ones.
    void SetImages(const ImageSet& images);
    void SetCheckedImages(const ImageSet& images);
    const ImageSet& Images() const { return images_; }
    // Loads every picture again (the viewer calls it when start-up completes).
    void ReloadImages();

    Picture CurrentPicture() const override;

protected:
    void enterEvent(QEnterEvent* event) override;
    bool WantsPicture(Picture which) const override;
    void ComposePicture(QPainter& p, Picture which) override;

private:
    const ResourceImage& ImageFor(Picture which) const;

    ImageSet images_;
    ImageSet checkedImages_;
    bool hasChecked_ = false;
    ResourceImage hover_;
    ResourceImage disabled_;
    ResourceImage checkedNormal_;
    ResourceImage checkedHover_;
    ResourceImage checkedDisabled_;
};
