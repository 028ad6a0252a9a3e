#pragma once

// Requests of the playback control bar's buttons; each becomes one synchronous message to the
// viewer.
class IUITimelineEvents {
public:
    virtual ~IUITimelineEvents() = default;

    virtual void OnPlay() = 0;
    virtual void OnPause() = 0;
    virtual void OnPreviousFrame() = 0;
    virtual void OnNextFrame() = 0;
    virtual void OnFastForward() = 0;
    virtual void OnFastRewind() = 0;
    virtual void OnLoop(bool flag) = 0;
    virtual void OnShowFileInfo() = 0;
    virtual void OnExportSnapshot() = 0;
    // Carries no time: the viewer uses the current play time.
    virtual void OnAddBookmark() = 0;
    virtual void OnSyncAll() = 0;
    virtual void OnGoToTime() = 0;
    virtual void OnShowMap() = 0;
};
