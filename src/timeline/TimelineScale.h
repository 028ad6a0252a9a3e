#pragma once

#include <QRect>
#include <QString>
#include <QtGlobal>
#include <vector>

// The arithmetic of the time scale, without a window: the data span, the view (start, end,
// span, pixels per second over the surface width), time <-> pixel, zoom and pan, the ticks and
// their labels, the cursor handle. Times are seconds since 1970 UTC; labels are local.
class TimelineScale {
public:
    static constexpr qint64 kDefaultSpan = 28800;     // 8 hours
    static constexpr qint64 kMinSpan = 60;
    static constexpr qint64 kMaxSpan = 31536000;      // 365 days
    static constexpr qint64 kMargin = 60;             // around the data span
    static constexpr int kCursorHalfWidth = 10;
    static constexpr int kMarkWidth = 3;

    struct Tick {
        qint64 time;
        double x;
        QString label;
    };

    // The view ends at now and spans 8 hours; the cursor stands in its middle.
    explicit TimelineScale(qint64 now);

    // The surface width in pixels. A view range set while the width was 0 is applied now.
    void SetSurfaceWidth(int width);
    int SurfaceWidth() const { return width_; }

    // Data span; the view becomes [start - 60, end + 60]. Returns whether the view changed.
    void SetTimeRange(qint64 start, qint64 end);
    // Forgets the data (the last recording was closed): only the frame is drawn.
    void Clear();
    // Span 0 stands for 8 hours; spans are held to 60 s ... 365 days. Ignored for a view end of
    // 0. Returns whether the view moved.
    bool SetViewRange(qint64 span, qint64 viewEnd);
    bool CenterOn(qint64 time, qint64 span, bool setCursor);
    // 0 in (span / 4), 1 out (span x 4), 2 centre on the cursor. Returns whether the view moved.
    bool Zoom(int kind, qint64 now);
    // The pointer moved from x0 to x1 while panning: the view moves the other way; the part
    // below one second is carried to the next step. Returns whether the view moved.
    bool Pan(int x0, int x1);
    // Moves the view end by a fiftieth of the tick step (direction 1 later, 0 earlier).
    bool ScrollStep(int direction);
    bool SetCursorTime(qint64 time);
    // The cursor at a frame's time: drawn between whole seconds.
    bool SetCursorTimeMs(qint64 millis);
    double CursorPixel() const;

    static qint64 ClampSpan(qint64 span);
    static qint64 TickStep(qint64 span);

    double PixelOf(qint64 time) const;
    // The surface pixel clipped into a range an int holds, for drawing.
    int ClippedPixel(qint64 time) const;
    qint64 TimeAtPixel(double x) const;
    // The outer edges of the whole track bar, scroll buttons included.
    qint64 TimeAtLeftEdge(int leftButtonWidth) const;
    qint64 TimeAtRightEdge(int rightButtonWidth) const;
    std::vector<Tick> Ticks() const;
    // The label of a tick at this time for the current span.
    QString TickLabel(qint64 time) const;
    // The cursor's picture and hit area: (x - 10, 0) to (x + 10, height / 4); empty when the
    // cursor time is 0 or its pixel is not positive.
    QRect CursorHandle(int height) const;
    // Where the cursor picture (20 x 10) is drawn.
    QRect CursorPicture() const;
    // Whether a bookmark at this time is under the pointer: the same second, or, where a pixel
    // spans more than a second, the pointer on its 3-pixel mark.
    bool BookmarkUnder(qint64 bookmarkTime, double x) const;
    bool InsideData(qint64 time) const { return hasData_ && time >= dataStart_ && time <= dataEnd_; }
    bool StrictlyInsideData(qint64 time) const { return hasData_ && time > dataStart_ && time < dataEnd_; }
    // A time held to the view and the data span.
    qint64 ClampToViewAndData(qint64 time) const;

    bool HasData() const { return hasData_; }
    qint64 DataStart() const { return dataStart_; }
    qint64 DataEnd() const { return dataEnd_; }
    qint64 ViewStart() const { return viewStart_; }
    qint64 ViewEnd() const { return viewEnd_; }
    qint64 VisibleSpan() const { return span_; }
    qint64 CursorTime() const { return cursor_; }
    double PixelsPerSecond() const { return pixelsPerSecond_; }
    // Whether there is anything to draw beyond the frame.
    bool Drawable() const { return hasData_ && viewStart_ != 0 && viewEnd_ != 0 && span_ != 0; }

private:
    void Recompute();

    int width_ = 0;
    double pixelsPerSecond_ = 0.0;
    bool hasData_ = false;
    qint64 dataStart_ = 0;
    qint64 dataEnd_ = 0;
    qint64 viewStart_ = 0;
    qint64 viewEnd_ = 0;
    qint64 cursor_ = 0;
    qint64 cursorMs_ = 0;
    qint64 span_ = kDefaultSpan;
    double panCarry_ = 0.0;
    // A view asked for while the surface had no width (span, end); 0 when none.
    qint64 pendingSpan_ = 0;
    qint64 pendingEnd_ = 0;
};
