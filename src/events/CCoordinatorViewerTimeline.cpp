#include "events/CCoordinatorViewerTimeline.h"

#include "events/ViewerMessageEvent.h"
#include "events/ViewerMessages.h"

#include <QObject>

CCoordinatorViewerTimeline::CCoordinatorViewerTimeline(QObject* targetWindow) : target_(targetWindow) {}

CCoordinatorViewerTimeline::~CCoordinatorViewerTimeline()
{
    delete controlBarWindow_.data();
}

void CCoordinatorViewerTimeline::SetControlBarWindow(QObject* window)
{
    if (controlBarWindow_ != window)
        delete controlBarWindow_.data();
    controlBarWindow_ = window;
}

void CCoordinatorViewerTimeline::Send(int message, quintptr wParam)
{
    ViewerMessageEvent::Send(target_, message, wParam);
}

void CCoordinatorViewerTimeline::OnPlay()
{
    Send(ViewerMessages::OnPlay);
}

void CCoordinatorViewerTimeline::OnPause()
{
    Send(ViewerMessages::OnPause);
}

void CCoordinatorViewerTimeline::OnPreviousFrame()
{
    Send(ViewerMessages::OnPreviousFrame);
}

void CCoordinatorViewerTimeline::OnNextFrame()
{
    Send(ViewerMessages::OnNextFrame);
}

void CCoordinatorViewerTimeline::OnFastForward()
{
    Send(ViewerMessages::OnFastForward);
}

void CCoordinatorViewerTimeline::OnFastRewind()
{
    Send(ViewerMessages::OnFastRewind);
}

void CCoordinatorViewerTimeline::OnLoop(bool flag)
{
    Send(ViewerMessages::OnLoop, ViewerMessageEvent::FlagParam(flag));
}

void CCoordinatorViewerTimeline::OnShowFileInfo()
{
    Send(ViewerMessages::OnShowFileInfo);
}

void CCoordinatorViewerTimeline::OnExportSnapshot()
{
    Send(ViewerMessages::OnExportSnapshot);
}

void CCoordinatorViewerTimeline::OnAddBookmark()
{
    Send(ViewerMessages::AddBookmark, 0);  // no time: the viewer takes the current play time
}

void CCoordinatorViewerTimeline::OnSyncAll()
{
    Send(ViewerMessages::SyncAll);
}

void CCoordinatorViewerTimeline::OnGoToTime()
{
    Send(ViewerMessages::OnGoToTime);
}

void CCoordinatorViewerTimeline::OnShowMap()
{
    Send(ViewerMessages::OnShowMap);
}
