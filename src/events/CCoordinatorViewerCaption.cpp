#include "events/CCoordinatorViewerCaption.h"

#include "events/ViewerMessageDispatch.h"

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

void CCoordinatorViewerCaption::CloseAllVideoPlayers()
{
    SendViewerMessage<ViewerMessages::CloseAllVideoPlayers>(target_);
}

void CCoordinatorViewerCaption::ShowOverLayText(bool flag)
{
    SendViewerMessage<ViewerMessages::ShowOverLayText>(target_, flag);
}

void CCoordinatorViewerCaption::SetLayout(int mode)
{
    SendViewerMessage<ViewerMessages::SetLayout>(target_, mode);
}

void CCoordinatorViewerCaption::AdjustCameraOrder()
{
    SendViewerMessage<ViewerMessages::AdjustCameraOrder>(target_);
}

void CCoordinatorViewerCaption::MaxRestoreViewer(bool maximise)
{
    SendViewerMessage<ViewerMessages::MaxRestoreViewer>(target_, maximise);
}

void CCoordinatorViewerCaption::ShowNextVideoPage()
{
    SendViewerMessage<ViewerMessages::ShowNextVideoPage>(target_);
}

void CCoordinatorViewerCaption::ShowPreviousVideoPage()
{
    SendViewerMessage<ViewerMessages::ShowPreviousVideoPage>(target_);
}

void CCoordinatorViewerCaption::ShiftCamerasBackward()
{
    SendViewerMessage<ViewerMessages::ShiftCamerasBackward>(target_);
}

void CCoordinatorViewerCaption::ShiftCamerasForward()
{
    SendViewerMessage<ViewerMessages::ShiftCamerasForward>(target_);
}

void CCoordinatorViewerCaption::ShowVideoPlayerVolumeBars(const QRect& anchor)
{
    SendViewerMessage<ViewerMessages::ShowVideoPlayerVolumeBars>(target_, anchor);
}

void CCoordinatorViewerCaption::EnableAllCamerasAudio(bool flag)
{
    SendViewerMessage<ViewerMessages::EnableAllCamerasAudio>(target_, flag);
}
