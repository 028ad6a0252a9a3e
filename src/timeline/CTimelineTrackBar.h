#pragma once

#include "evidence/VideoFile.h"
#include "timeline/TimelineScale.h"

#include <QElapsedTimer>
#include <QImage>
#include <QMenu>
#include <QPixmap>
#include <QPointer>
#include <QRegion>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class BookmarkRecord;
class CTimelineScrollBtnCtrl;
class IPlomeraViewEvents;

class Video;

// The time scale: a surface between two scroll buttons showing the view's ticks, the recorded
// span, the bookmarks and the play cursor. It plays nothing: seeks, view changes and bookmark
// requests go out as IPlomeraViewEvents; the viewer pushes range, bookmarks and cursor back.
// Painting: the ticks, span and marks are a cached layer rebuilt only when the view, the size,
// the data or the bookmarks change; a cursor move repaints the cursor's old and new rectangles.
class CTimelineTrackBar : public QWidget {
    Q_OBJECT
public:
    using ViewEventsSource = std::function<IPlomeraViewEvents*()>;
    using VideoListType = std::vector<Video*>;

    explicit CTimelineTrackBar(QWidget* parent = nullptr);
    ~CTimelineTrackBar() override;

    // How the scale reaches the application-wide channel when it raises an event; a missing
    // source or channel drops the event.
    void SetViewEvents(ViewEventsSource source) { viewEvents_ = std::move(source); }

    void SetTimeRange(qint64 start, qint64 end);
    // The last recording was closed: the frame stays, input is ignored, the lists are dropped.
    void ClearData();
    void SetViewRange(qint64 span, qint64 viewEnd);
    void CenterOn(qint64 time, qint64 span, bool setCursor);
    void Zoom(int kind);
    // The viewer's play position; ignored while the user drags the cursor.
    void SetCursorTime(qint64 time);
    void SetCursorTimeMs(qint64 millis);
    // A null list drops the list held.
    void SetBookmarks(const BookmarkList* bookmarks);
    void SetVideos(const VideoListType* videos) { videos_ = videos; }
    void EnableScrolling(bool enable);
    qint64 TimeAtLeftEdge() const;
    qint64 TimeAtRightEdge() const;
    // The time under the pointer where it is now: the view start plus its x over the pixels per
    // second, in whole seconds.
    qint64 TimeUnderPointer() const { return PointerNow().time; }
    // Tells the view its window again (when the first camera carries metadata): the strip
    // resized and must be drawn for it.
    void RaiseVisibleRange();

    // The scroll buttons' start and stop (one step at once, then one every 10 ms).
    void StartScrolling(int direction);
    void StopScrolling();
    bool IsScrolling() const { return scrolling_; }
    bool IsPanning() const { return panning_; }
    bool IsDraggingCursor() const { return cursorDrag_ != 0; }

    const TimelineScale& Scale() const { return scale_; }
    QWidget* Surface() const { return surface_; }
    CTimelineScrollBtnCtrl* ScrollButton(int direction) const { return direction == 0 ? left_ : right_; }
    // What the last paint covered and how often the cached layer was built (for tests and the
    // benchmark).
    const QRegion& LastPaintRegion() const { return lastPaintRegion_; }
    int StaticLayerBuilds() const { return staticBuilds_; }
    qint64 LastPaintNanos() const { return lastPaintNanos_; }
    // The popup of the last context menu while it is open.
    QMenu* OpenMenu() const { return openMenu_; }

    QSize sizeHint() const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Pointer {
        double x;
        bool inBand;
        qint64 time;
    };

    Pointer PointerNow() const;
    IPlomeraViewEvents* Events() const;
    const Video* FirstVideo() const;
    bool LiveSeekAllowed() const;
    bool FirstHasMetadata() const;
    std::shared_ptr<BookmarkRecord> BookmarkAt(double x) const;

    void Paint(QPaintEvent* event);
    void BuildStaticLayer();
    void ViewChanged();
    void CursorMoved(const QRect& before);
    void RaiseSeek(qint64 time);
    void RequestLiveSeek(qint64 time);

    void OnPress(QMouseEvent* event);
    void OnMove(QMouseEvent* event);
    void OnRelease(QMouseEvent* event);
    void OnDoubleClick(QMouseEvent* event);
    void OnLeave();
    bool OnKey(QKeyEvent* event);
    bool OnKeyRelease(QKeyEvent* event);
    bool HandlesKey(const QKeyEvent* event) const;
    void ShowContextMenu(const QPoint& globalPos, double x, qint64 time);
    void RunBookmarkCommand(int command, BookmarkRecord* bookmark);
    void ScrollTick();
    void StepCursor(qint64 seconds);
    void JumpToBookmark(bool next);
    void UpdateTooltip(const Pointer& pointer);

    TimelineScale scale_;
    CTimelineScrollBtnCtrl* left_ = nullptr;
    QWidget* surface_ = nullptr;
    CTimelineScrollBtnCtrl* right_ = nullptr;
    ViewEventsSource viewEvents_;

    int lastX_ = 0;
    int cursorDrag_ = 0;
    bool scrolling_ = false;
    bool panning_ = false;
    bool rightPressed_ = false;
    bool showCursor_ = true;
    int scrollDirection_ = 0;
    QTimer scrollTimer_;
    bool keyCursorMoved_ = false;

    const BookmarkList* bookmarks_ = nullptr;
    const VideoListType* videos_ = nullptr;
    std::shared_ptr<BookmarkRecord> contextBookmark_;
    qint64 contextTime_ = 0;
    QString lastTooltip_;
    QPointer<QMenu> openMenu_;

    QPixmap staticLayer_;
    bool staticDirty_ = true;
    int staticBuilds_ = 0;
    QImage cursorImage_;
    QRegion lastPaintRegion_;
    qint64 lastPaintNanos_ = 0;

    // Live seeks while dragging: at most one per 40 ms; the release always seeks.
    QElapsedTimer lastLiveSeek_;
    QTimer liveSeekTimer_;
    std::optional<qint64> pendingLiveSeek_;
};
