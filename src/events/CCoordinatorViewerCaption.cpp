#include "events/CCoordinatorViewerCaption.h"

#include "events/ViewerMessageEvent.h"
#include "events/ViewerMessages.h"

#include <QObject>

CCoordinatorViewerCaption::CCoordinatorViewerCaption(QObject* targetWindow) : target_(targetWindow) {}

CCoordinatorViewerCaption::~CCoordinatorViewerCaption()
{
    delete captionWindow_.data();
}

void CCoordinatorViewerCaption::SetCaptionWindow(QObject* window)
{
    if (captionWindow_ != window)
        delete captionWindow_.data();
    captionWindow_ = window;
}

void CCoordinatorViewerCaption::Send(int message, quintptr wParam)
{
    ViewerMessageEvent::Send(target_, message, wParam);
}

void CCoordinatorViewerCaption::CloseAllVideoPlayers()
{
    Send(ViewerMessages::CloseAllVideoPlayers);
}

void CCoordinatorViewerCaption::ShowOverLayText(bool flag)
{
    Send(ViewerMessages::ShowOverLayText, ViewerMessageEvent::FlagParam(flag));
}

void CCoordinatorViewerCaption::SetLayout(int mode)
{
    Send(ViewerMessages::SetLayout, static_cast<quintptr>(mode));
}

void CCoordinatorViewerCaption::AdjustCameraOrder()
{
    Send(ViewerMessages::AdjustCameraOrder);
}

void CCoordinatorViewerCaption::MaxRestoreViewer(bool maximise)
{
    Send(ViewerMessages::MaxRestoreViewer, ViewerMessageEvent::FlagParam(maximise));
}

void CCoordinatorViewerCaption::ShowNextVideoPage()
{
    Send(ViewerMessages::ShowNextVideoPage);
}

void CCoordinatorViewerCaption::ShowPreviousVideoPage()
{
    Send(ViewerMessages::ShowPreviousVideoPage);
}

void CCoordinatorViewerCaption::ShiftCamerasBackward()
{
    Send(ViewerMessages::ShiftCamerasBackward);
}

void CCoordinatorViewerCaption::ShiftCamerasForward()
{
    Send(ViewerMessages::ShiftCamerasForward);
}

void CCoordinatorViewerCaption::ShowVideoPlayerVolumeBars(const QRect& anchor)
{
    const QRect copy = anchor;
    Send(ViewerMessages::ShowVideoPlayerVolumeBars, ViewerMessageEvent::AddressParam(&copy));
}

void CCoordinatorViewerCaption::EnableAllCamerasAudio(bool flag)
{
    Send(ViewerMessages::EnableAllCamerasAudio, ViewerMessageEvent::FlagParam(flag));
}
