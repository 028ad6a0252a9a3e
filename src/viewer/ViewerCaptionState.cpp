#include "viewer/ViewerCaptionState.h"

#include <algorithm>

void ViewerCaptionState::SetPageText(int index, int count)
{
    pageText_ = QStringLiteral("Page %1/%2").arg(index + 1).arg(count);
    previous_ = index != 0;
    next_ = index + 1 < count;
}

void ViewerCaptionState::ResetPageText()
{
    SetPageText(0, 1);
}

void ViewerCaptionState::EnableFileControls(bool on)
{
    fileOpen_ = on;
    volume_ = on;
    audio_ = false;
    audioPicture_ = kAudioOffPicture;
}

void ViewerCaptionState::EnableAudioButton(bool on, int picture)
{
    audio_ = on;
    audioPicture_ = picture;
}

void ViewerCaptionState::EnablePageButtons(bool on)
{
    if (!on) {
        previous_ = false;
        next_ = false;
    }
}

int ViewerCaptionState::ControlX(int templateX, int captionWidth)
{
    const int x = templateX * 3 / 2;
    if (templateX < kPageGroupX) return x;
    return x + std::max(0, captionWidth - kTemplateWidth);
}
