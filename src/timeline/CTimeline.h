#pragma once

#include "timeline/CTimelineTrackBar.h"

#include <QWidget>
#include <map>

class CTimelineBtnCtrl;
class Device;
class IUITimelineEvents;

// The playback control bar at the bottom of the viewer: transport, file and time-scale buttons
// in one row, the time scale below. Transport and file buttons raise IUITimelineEvents; the
// four time-scale buttons act on the scale. The viewer mirrors the playback state back with
// SetPlaybackState.
class CTimeline : public QWidget {
    Q_OBJECT
public:
    explicit CTimeline(IUITimelineEvents* sink, QWidget* parent = nullptr);
    ~CTimeline() override;

    void SetTimeRange(qint64 start, qint64 end) { trackBar_->SetTimeRange(start, end); }
    void SetCursorTime(qint64 time) { trackBar_->SetCursorTime(time); }
    void SetCursorTimeMs(qint64 millis) { trackBar_->SetCursorTimeMs(millis); }
    void SetBookmarks(const BookmarkList* bookmarks) { trackBar_->SetBookmarks(bookmarks); }
    void SetVideos(const CTimelineTrackBar::VideoListType* videos) { trackBar_->SetVideos(videos); }
    void EnableScrolling(bool enable) { trackBar_->EnableScrolling(enable); }
    void ClearData() { trackBar_->ClearData(); }
    void SetViewEvents(CTimelineTrackBar::ViewEventsSource source) { trackBar_->SetViewEvents(std::move(source)); }
    qint64 ViewStart() const { return trackBar_->Scale().ViewStart(); }
    double PixelsPerSecond() const { return trackBar_->Scale().PixelsPerSecond(); }
    qint64 TimeAtLeftEdge() const { return trackBar_->TimeAtLeftEdge(); }
    qint64 TimeAtRightEdge() const { return trackBar_->TimeAtRightEdge(); }

    // Enables the buttons, each as far as the device's capability bytes 4 (frame steps), 5 (fast
    // play) and 6 (snapshot) allow; no device allows all.
    void EnableControls(bool enable, const Device* device);
    // Checks or clears the loop button and its tooltip; raises nothing.
    void SetLoop(bool on);
    void SetPlaybackState(int state);
    int PlaybackState() const { return playbackState_; }
    void ReloadImages();
    // Commands by number, as from a menu (1104 shows the map).
    void OnCommand(int id);
    // Button 1104 ("Show Metadata", the map view), hidden unless metadata playback is offered.
    void SetMetadataButtonVisible(bool visible);

    CTimelineTrackBar* TrackBar() const { return trackBar_; }
    CTimelineBtnCtrl* Button(int id) const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;

private:
    CTimelineBtnCtrl* AddButton(int id, const QString& tooltip, int size, int firstPicture);
    void SetPlayPicture(bool showPause);
    void OnClicked(int id);
    void ApplyEnables();

    IUITimelineEvents* sink_;
    std::map<int, CTimelineBtnCtrl*> buttons_;
    CTimelineTrackBar* trackBar_ = nullptr;
    QWidget* scaleFrame_ = nullptr;
    int playbackState_ = 0;
    bool controlsEnabled_ = false;
    bool stepAllowed_ = true;
    bool fastAllowed_ = true;
    bool snapshotAllowed_ = true;
};
