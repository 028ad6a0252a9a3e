#include "events/CCoordinatorViewerTimeline.h"

#include "events/ViewerMessageDispatch.h"

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

void CCoordinatorViewerTimeline::OnPlay()
{
    SendViewerMessage<ViewerMessages::OnPlay>(target_);
}

void CCoordinatorViewerTimeline::OnPause()
{
    SendViewerMessage<ViewerMessages::OnPause>(target_);
}

void CCoordinatorViewerTimeline::OnPreviousFrame()
{
    SendViewerMessage<ViewerMessages::OnPreviousFrame>(target_);
}

void CCoordinatorViewerTimeline::OnNextFrame()
{
    SendViewerMessage<ViewerMessages::OnNextFrame>(target_);
}

void CCoordinatorViewerTimeline::OnFastForward()
{
    SendViewerMessage<ViewerMessages::OnFastForward>(target_);
}

void CCoordinatorViewerTimeline::OnFastRewind()
{
    SendViewerMessage<ViewerMessages::OnFastRewind>(target_);
}

void CCoordinatorViewerTimeline::OnLoop(bool flag)
{
    SendViewerMessage<ViewerMessages::OnLoop>(target_, flag);
}

void CCoordinatorViewerTimeline::OnShowFileInfo()
{
    SendViewerMessage<ViewerMessages::OnShowFileInfo>(target_);
}

void CCoordinatorViewerTimeline::OnExportSnapshot()
{
    SendViewerMessage<ViewerMessages::OnExportSnapshot>(target_);
}

void CCoordinatorViewerTimeline::OnAddBookmark()
{
    // No time: the viewer takes the current play time.
    SendViewerMessage<ViewerMessages::AddBookmark>(target_, std::optional<qint64>());
}

void CCoordinatorViewerTimeline::OnSyncAll()
{
    SendViewerMessage<ViewerMessages::SyncAll>(target_, false);  // no flag from the control bar
}

void CCoordinatorViewerTimeline::OnGoToTime()
{
    SendViewerMessage<ViewerMessages::OnGoToTime>(target_);
}

void CCoordinatorViewerTimeline::OnShowMap()
{
    SendViewerMessage<ViewerMessages::OnShowMap>(target_);
}
