#pragma once

#include <QString>

#include "evidence/VideoFile.h"

class CTimelineMetadataPlayback;
class CVehicleInfo;
class CVideoFileSelector;
class IPlomeraViewEvents;
class QWidget;

// What the viewer reaches of the window around it (the main view and its frame): the navigator,
// the status bar's first pane, full-screen mode and the application-wide channel. The main view
// gives itself with CViewer::SetHost; without a host these parts are simply not told. Every call
// is on the GUI thread; the pointers returned are the host's and may be null.
class IViewerHost {
public:
    virtual ~IViewerHost() = default;

    virtual CVideoFileSelector* Navigator() = 0;
    // The navigator's pane (the dock around it), shown over the grid in full screen.
    virtual QWidget* NavigatorPane() = 0;
    virtual void SetStatusPane1(const QString& text) = 0;
    virtual void SetFullScreenMode(bool on) = 0;
    virtual IPlomeraViewEvents* ViewEvents() = 0;
    // The main view's temporary folder, where a package is written back.
    virtual QString HostTempFolder() = 0;
    // Some open file has bookmark changes not yet written: the save command follows it.
    virtual void SetBookmarksModified(bool) {}
    // The bookmark pane shows these (null: empties it).
    virtual void ShowBookmarks(const BookmarkList*) {}
    // The metadata panes, made only under the developer option (null otherwise), and showing
    // or hiding the strip's pane.
    virtual CTimelineMetadataPlayback* MetadataStrip() { return nullptr; }
    virtual CVehicleInfo* VehicleInfoPane() { return nullptr; }
    virtual void ShowMetadataPane(bool) {}
};
