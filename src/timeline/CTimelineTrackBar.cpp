#include "timeline/CTimelineTrackBar.h"

#include "controls/ResourceImage.h"
#include "controls/StringTable.h"
#include "events/IPlomeraViewEvents.h"
#include "evidence/BookmarkRecord.h"
#include "evidence/Video.h"
#include "logging/HandlerGuard.h"
#include "timeline/CTimelineScrollBtnCtrl.h"
#include "timeline/TimelineIds.h"
#include "timeline/TimelineLocalTime.h"

#include <QDateTime>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>
#include <cmath>

namespace {

constexpr int kScrollButtonWidth = 20;
constexpr int kScrollMillis = 10;
// A keyframe seek costs about a fifth of an exact one: 25 pictures a second while dragging.
constexpr int kLiveSeekMillis = 40;
constexpr int kTooltipMillis = 1000;
constexpr int kLabelPixels = 10;
constexpr QRgb kSpanColour = 0x8000FF00;
constexpr QRgb kMarkColour = 0x80FFFF00;
constexpr QRgb kScrollColour = 0xFF3399FF;

constexpr HandlerGuard::Failure kMouseMoveError = HandlerGuard::ErrorIn("Timelinetrack bar mouse move");
constexpr HandlerGuard::Failure kScrollError = HandlerGuard::ErrorIn("Time line Start Scrolling");
constexpr HandlerGuard::Failure kPaintError = HandlerGuard::ErrorIn("DrawTimelineCursor");
constexpr HandlerGuard::Failure kMouseUpError = HandlerGuard::ErrorIn("Timeline HandleMouseUp");
constexpr HandlerGuard::Failure kEventsError = HandlerGuard::ErrorIn("Timeline HandleTimelineEvents");
constexpr HandlerGuard::Failure kContextMenuError = HandlerGuard::Text("Error in OnContextMenu: %s");
constexpr HandlerGuard::Failure kInitError = HandlerGuard::Text("Error in InitTimeLineTrackBar: %s");

HandlerGuard::Failure CommandError(int command)
{
    switch (command) {
    case TimelineIds::Details:
    case TimelineIds::EditBookmark: return HandlerGuard::Text("Error in OnEditBookmark: %s");
    case TimelineIds::DeleteBookmark: return HandlerGuard::Text("Error in OnDeleteBookmark: %s");
    case TimelineIds::PrintBookmark: return HandlerGuard::Text("Error in OnPrintBookmark: %s");
    case TimelineIds::SeekToBookmark: return HandlerGuard::Text("Error in OnSeekToBookmark: %s");
    case TimelineIds::CopyBookmark: return HandlerGuard::Text("Error in OnCopyToClipboard: %s");
    default: return HandlerGuard::Text("Error in OnTimelineAddBookmark: %s");
    }
}

qint64 Now()
{
    return QDateTime::currentSecsSinceEpoch();
}

} // namespace

CTimelineTrackBar::CTimelineTrackBar(QWidget* parent) : QWidget(parent), scale_(Now())
{
    HandlerGuard::Run(kInitError, [&] {
        setAttribute(Qt::WA_OpaquePaintEvent);
        auto* row = new QHBoxLayout(this);
        row->setContentsMargins(0, 0, 0, 0);
        row->setSpacing(0);
        left_ = new CTimelineScrollBtnCtrl(this);
        surface_ = new QWidget(this);
        right_ = new CTimelineScrollBtnCtrl(this);
        left_->setObjectName(QStringLiteral("1088"));
        surface_->setObjectName(QStringLiteral("1004"));
        right_->setObjectName(QStringLiteral("1006"));
        const struct {
            CTimelineScrollBtnCtrl* button;
            const char* glyph;
            int tooltip;
            int direction;
        } buttons[] = {{left_, "3", TimelineIds::ScrollLeftText, 0},
                       {right_, "4", TimelineIds::ScrollRightText, 1}};
        for (const auto& b : buttons) {
            b.button->setFixedWidth(kScrollButtonWidth);
            b.button->SetText(QString::fromLatin1(b.glyph), QStringLiteral("Webdings"), 25, kScrollColour);
            b.button->SetTooltipText(b.tooltip);
            b.button->SetTarget(this, b.direction);
            b.button->SetDisabled(true);
        }
        row->addWidget(left_);
        row->addWidget(surface_, 1);
        row->addWidget(right_);

        surface_->setAttribute(Qt::WA_OpaquePaintEvent);
        surface_->setMouseTracking(true);
        surface_->setFocusPolicy(Qt::StrongFocus);
        surface_->setAccessibleName(QStringLiteral("Time scale"));
        surface_->installEventFilter(this);
        cursorImage_ = ResourceImage(TimelineIds::CursorPicture).Image();

        scrollTimer_.setInterval(kScrollMillis);
        connect(&scrollTimer_, &QTimer::timeout, this, [this] { ScrollTick(); });
        liveSeekTimer_.setSingleShot(true);
        connect(&liveSeekTimer_, &QTimer::timeout, this, [this] {
            if (pendingLiveSeek_) {
                const qint64 t = *pendingLiveSeek_;
                pendingLiveSeek_.reset();
                lastLiveSeek_.restart();
                RaiseSeek(t);
            }
        });
    });
}

CTimelineTrackBar::~CTimelineTrackBar()
{
    // The buttons outlive this part of the object by a moment; they must not call back.
    if (left_) {
        left_->SetTarget(nullptr, 0);
    }
    if (right_) {
        right_->SetTarget(nullptr, 1);
    }
    if (surface_) {
        surface_->removeEventFilter(this);
    }
}

QSize CTimelineTrackBar::sizeHint() const
{
    return QSize(600, 56);
}

IPlomeraViewEvents* CTimelineTrackBar::Events() const
{
    return viewEvents_ ? viewEvents_() : nullptr;
}

const Video* CTimelineTrackBar::FirstVideo() const
{
    return videos_ && !videos_->empty() ? videos_->front() : nullptr;
}

bool CTimelineTrackBar::LiveSeekAllowed() const
{
    const Video* v = FirstVideo();
    return v
        && (v->playbackState == PlaybackState::Paused || v->playbackState == PlaybackState::Playing)
        && v->viewerByte2 == 1;
}

bool CTimelineTrackBar::FirstHasMetadata() const
{
    const Video* v = FirstVideo();
    return v && v->hasMetadata;
}

// ---- operations -----------------------------------------------------------------------------

void CTimelineTrackBar::SetTimeRange(qint64 start, qint64 end)
{
    scale_.SetTimeRange(start, end);
    ViewChanged();
}

void CTimelineTrackBar::ClearData()
{
    StopScrolling();
    scale_.Clear();
    bookmarks_ = nullptr;
    videos_ = nullptr;
    contextBookmark_.reset();
    panning_ = false;
    cursorDrag_ = 0;
    liveSeekTimer_.stop();
    pendingLiveSeek_.reset();
    ViewChanged();
}

void CTimelineTrackBar::SetViewRange(qint64 span, qint64 viewEnd)
{
    if (scale_.SetViewRange(span, viewEnd)) {
        ViewChanged();
    }
}

void CTimelineTrackBar::CenterOn(qint64 time, qint64 span, bool setCursor)
{
    const QRect before = scale_.CursorPicture();
    const bool moved = scale_.CenterOn(time, span, setCursor);
    if (moved) {
        ViewChanged();
    } else {
        CursorMoved(before);
    }
}

void CTimelineTrackBar::Zoom(int kind)
{
    const QRect before = scale_.CursorPicture();
    if (scale_.Zoom(kind, Now())) {
        ViewChanged();
    } else if (kind == 2) {
        CursorMoved(before);
    }
}

void CTimelineTrackBar::SetCursorTime(qint64 time)
{
    if (cursorDrag_) {
        return;
    }
    const QRect before = scale_.CursorPicture();
    if (scale_.SetCursorTime(time)) {
        CursorMoved(before);
    }
}

void CTimelineTrackBar::SetCursorTimeMs(qint64 millis)
{
    if (cursorDrag_) {
        return;
    }
    const QRect before = scale_.CursorPicture();
    if (scale_.SetCursorTimeMs(millis)) {
        CursorMoved(before);
    }
}

void CTimelineTrackBar::SetBookmarks(const BookmarkList* bookmarks)
{
    // A null list drops the one held: it may be freed, and must not be drawn later.
    bookmarks_ = bookmarks;
    if (!bookmarks) {
        contextBookmark_.reset();
    }
    staticDirty_ = true;
    surface_->update();
}

void CTimelineTrackBar::EnableScrolling(bool enable)
{
    left_->SetDisabled(!enable);
    right_->SetDisabled(!enable);
}

qint64 CTimelineTrackBar::TimeAtLeftEdge() const
{
    return scale_.TimeAtLeftEdge(left_->width());
}

qint64 CTimelineTrackBar::TimeAtRightEdge() const
{
    return scale_.TimeAtRightEdge(right_->width());
}

void CTimelineTrackBar::ViewChanged()
{
    staticDirty_ = true;
    surface_->update();
}

void CTimelineTrackBar::CursorMoved(const QRect& before)
{
    const QRect after = scale_.CursorPicture();
    if (after == before) {
        return;
    }
    surface_->update(before);
    surface_->update(after);
}

// ---- events out -----------------------------------------------------------------------------

void CTimelineTrackBar::RaiseSeek(qint64 time)
{
    if (IPlomeraViewEvents* events = Events()) {
        // The cursor is drawn where it landed before the cameras seek: a seek returns only with
        // each camera's frame on screen, and with sixteen cameras that is a visible wait.
        surface_->repaint();
        events->SeekToTime(time);
    }
}

void CTimelineTrackBar::RequestLiveSeek(qint64 time)
{
    if (!lastLiveSeek_.isValid() || lastLiveSeek_.elapsed() >= kLiveSeekMillis) {
        pendingLiveSeek_.reset();
        liveSeekTimer_.stop();
        lastLiveSeek_.restart();
        RaiseSeek(time);
        return;
    }
    pendingLiveSeek_ = time;
    if (!liveSeekTimer_.isActive()) {
        liveSeekTimer_.start(static_cast<int>(kLiveSeekMillis - lastLiveSeek_.elapsed()));
    }
}

void CTimelineTrackBar::RaiseVisibleRange()
{
    if (!FirstHasMetadata()) {
        return;
    }
    if (IPlomeraViewEvents* events = Events()) {
        events->VisibleRangeChanged(TimeAtLeftEdge(), TimeAtRightEdge());
    }
}

// ---- painting -------------------------------------------------------------------------------

void CTimelineTrackBar::BuildStaticLayer()
{
    const QSize size = surface_->size();
    const qreal dpr = surface_->devicePixelRatioF();
    if (staticLayer_.size() != size * dpr) {
        staticLayer_ = QPixmap(size * dpr);
        staticLayer_.setDevicePixelRatio(dpr);
    }
    ++staticBuilds_;
    staticDirty_ = false;
    const int w = size.width();
    const int h = size.height();
    QPainter p(&staticLayer_);
    p.fillRect(QRect(QPoint(), size), Qt::black);
    p.setPen(Qt::white);
    p.drawRect(QRect(QPoint(1, 1), QPoint(w - 2, h - h / 2 - 1)));
    if (!scale_.Drawable()) {
        return;
    }
    // Ticks and their labels.
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(kLabelPixels);
    font.setWeight(QFont::Normal);
    p.setFont(font);
    const QFontMetrics metrics(font);
    const int tickBottom = h / 3 - 5;
    const int labelTop = h / 3 - metrics.height() / 3;
    for (const TimelineScale::Tick& tick : scale_.Ticks()) {
        const int x = scale_.ClippedPixel(tick.time);
        if (x < -w || x > 2 * w) {
            continue;
        }
        p.drawLine(x, 0, x, tickBottom);
        const int textWidth = metrics.horizontalAdvance(tick.label);
        p.drawText(QRect(x - textWidth / 2, labelTop, textWidth + 1, metrics.height()),
                   Qt::AlignLeft | Qt::AlignTop, tick.label);
    }
    // The recorded span and the bookmarks' marks.
    const int band = h / 2;
    const int x0 = std::max(-1, scale_.ClippedPixel(scale_.DataStart()));
    const int x1 = std::min(w + 1, scale_.ClippedPixel(scale_.DataEnd()));
    if (x1 >= x0) {
        p.fillRect(QRect(x0, 0, x1 - x0, band), QColor::fromRgba(kSpanColour));
    }
    if (bookmarks_) {
        for (const auto& b : *bookmarks_) {
            if (!b) {
                continue;
            }
            const int x = scale_.ClippedPixel(b->GetTime());
            if (x + TimelineScale::kMarkWidth >= 0 && x <= w) {
                p.fillRect(QRect(x, 0, TimelineScale::kMarkWidth, band), QColor::fromRgba(kMarkColour));
            }
        }
    }
}

void CTimelineTrackBar::Paint(QPaintEvent* event)
{
    QElapsedTimer clock;
    clock.start();
    HandlerGuard::Run(kPaintError, [&] {
        scale_.SetSurfaceWidth(surface_->width());
        if (staticDirty_ || staticLayer_.isNull()) {
            BuildStaticLayer();
        }
        lastPaintRegion_ = event->region();
        QPainter p(surface_);
        for (const QRect& r : event->region()) {
            p.drawPixmap(r, staticLayer_, QRectF(QPointF(r.topLeft()) * staticLayer_.devicePixelRatio(),
                                                 QSizeF(r.size()) * staticLayer_.devicePixelRatio()));
        }
        if (showCursor_ && scale_.Drawable() && !cursorImage_.isNull()) {
            const QRect cursor = scale_.CursorPicture();
            if (event->region().intersects(cursor)) {
                p.drawImage(cursor.topLeft(), cursorImage_);
            }
        }
        if (surface_->hasFocus()) {
            QPen pen(QColor(0x80, 0x80, 0x80));
            pen.setStyle(Qt::DotLine);
            p.setPen(pen);
            p.drawRect(surface_->rect().adjusted(0, 0, -1, -1));
        }
    });
    lastPaintNanos_ = clock.nsecsElapsed();
}

// ---- mouse ----------------------------------------------------------------------------------

CTimelineTrackBar::Pointer CTimelineTrackBar::PointerNow() const
{
    // The pointer's place now, not where the message says it was.
    const QPoint local = surface_->mapFromGlobal(QCursor::pos());
    const bool inBand = local.x() >= 0 && local.x() < surface_->width() && local.y() >= 0
        && local.y() < surface_->height() / 2;
    return {static_cast<double>(local.x()), inBand, scale_.TimeAtPixel(local.x())};
}

std::shared_ptr<BookmarkRecord> CTimelineTrackBar::BookmarkAt(double x) const
{
    if (!bookmarks_) {
        return nullptr;
    }
    for (const auto& b : *bookmarks_) {
        if (b && scale_.BookmarkUnder(b->GetTime(), x)) {
            return b;
        }
    }
    return nullptr;
}

void CTimelineTrackBar::OnPress(QMouseEvent* event)
{
    HandlerGuard::Run(kEventsError, [&] {
        if (!scale_.HasData()) {
            return;
        }
        if (event->button() != Qt::LeftButton && event->button() != Qt::RightButton) {
            return;
        }
        surface_->setFocus(Qt::MouseFocusReason);
        rightPressed_ = event->button() == Qt::RightButton;
        const Pointer pointer = PointerNow();
        if (!pointer.inBand) {
            return;
        }
        const QPoint at(static_cast<int>(pointer.x), surface_->mapFromGlobal(QCursor::pos()).y());
        if (scale_.CursorHandle(surface_->height()).contains(at) && event->button() == Qt::LeftButton) {
            cursorDrag_ = 1;
            surface_->setCursor(Qt::PointingHandCursor);
        } else {
            panning_ = true;
            lastX_ = at.x();
            surface_->setCursor(Qt::ArrowCursor);
        }
    });
}

void CTimelineTrackBar::UpdateTooltip(const Pointer& pointer)
{
    QString text = TimelineLocalTime::TooltipText(pointer.time);
    if (const auto b = BookmarkAt(pointer.x)) {
        text = b->GetName();
    }
    if (text == lastTooltip_) {
        return;
    }
    lastTooltip_ = text;
    QToolTip::showText(QCursor::pos(), text, surface_, QRect(), kTooltipMillis);
}

void CTimelineTrackBar::OnMove(QMouseEvent*)
{
    HandlerGuard::Run(kMouseMoveError, [&] {
        if (!scale_.HasData()) {
            return;
        }
        const Pointer pointer = PointerNow();
        const int x = static_cast<int>(pointer.x);
        if (panning_) {
            if (scale_.Pan(lastX_, x)) {
                ViewChanged();
            }
            lastX_ = x;
        }
        const QPoint at(x, surface_->mapFromGlobal(QCursor::pos()).y());
        const bool overHandle = scale_.CursorHandle(surface_->height()).contains(at);
        if (overHandle) {
            surface_->setCursor(Qt::PointingHandCursor);
        } else if (!cursorDrag_) {
            surface_->setCursor(Qt::ArrowCursor);
        }
        if (showCursor_ && pointer.inBand && !overHandle) {
            UpdateTooltip(pointer);
        }
        if (cursorDrag_) {
            const QRect before = scale_.CursorPicture();
            const qint64 t = scale_.ClampToViewAndData(pointer.time);
            if (scale_.SetCursorTime(t)) {
                CursorMoved(before);
            }
            if (LiveSeekAllowed()) {
                surface_->repaint(before.united(scale_.CursorPicture()));
                RequestLiveSeek(t);
            }
        } else if (panning_) {
            RaiseVisibleRange();
        }
    });
}

void CTimelineTrackBar::OnLeave()
{
    HandlerGuard::Run(kMouseMoveError, [&] {
        lastTooltip_.clear();
        if (!cursorDrag_ || !scale_.HasData()) {
            return;
        }
        const QRect before = scale_.CursorPicture();
        if (scale_.SetCursorTime(scale_.ClampToViewAndData(PointerNow().time))) {
            CursorMoved(before);
        }
    });
}

void CTimelineTrackBar::OnRelease(QMouseEvent* event)
{
    HandlerGuard::Run(kMouseUpError, [&] {
        if (event->button() != Qt::LeftButton && event->button() != Qt::RightButton) {
            return;
        }
        panning_ = false;
        if (!scale_.HasData()) {
            cursorDrag_ = 0;
            return;
        }
        const Pointer pointer = PointerNow();
        if (cursorDrag_) {
            cursorDrag_ = 0;
            liveSeekTimer_.stop();
            pendingLiveSeek_.reset();
            const QRect before = scale_.CursorPicture();
            const qint64 t = scale_.ClampToViewAndData(pointer.time);
            scale_.SetCursorTime(t);
            CursorMoved(before);
            RaiseSeek(t);
        }
        surface_->setCursor(Qt::ArrowCursor);
        if (event->button() == Qt::RightButton && rightPressed_) {
            rightPressed_ = false;
            // The menu opens on the release: opened on the press it would leave the pan flag set.
            if (pointer.inBand) {
                ShowContextMenu(QCursor::pos(), pointer.x, pointer.time);
            }
        }
    });
}

void CTimelineTrackBar::OnDoubleClick(QMouseEvent* event)
{
    HandlerGuard::Run(kEventsError, [&] {
        if (!scale_.HasData()
            || (event->button() != Qt::LeftButton && event->button() != Qt::RightButton)) {
            return;
        }
        const Pointer pointer = PointerNow();
        if (!scale_.InsideData(pointer.time)) {
            return;
        }
        const QRect before = scale_.CursorPicture();
        scale_.SetCursorTime(pointer.time);
        CursorMoved(before);
        RaiseSeek(pointer.time);
    });
}

// ---- context menu ---------------------------------------------------------------------------

void CTimelineTrackBar::ShowContextMenu(const QPoint& globalPos, double x, qint64 time)
{
    HandlerGuard::Run(kContextMenuError, [&] {
        if (!scale_.StrictlyInsideData(time)) {
            return;
        }
        QMenu menu(surface_);
        openMenu_ = &menu;
        std::shared_ptr<BookmarkRecord> bookmark = BookmarkAt(x);
        const auto add = [&menu](const QString& text, int command) {
            menu.addAction(text)->setData(command);
        };
        if (bookmark) {
            contextBookmark_ = bookmark;
            menu.setObjectName(QString::number(TimelineIds::BookmarkMenu));
            menu.setTitle(QStringLiteral("Bookmark"));
            add(QStringLiteral("Details"), TimelineIds::Details);
            menu.addSeparator();
            add(QStringLiteral("Seek to Bookmark"), TimelineIds::SeekToBookmark);
            add(QStringLiteral("Copy to Clipboard"), TimelineIds::CopyBookmark);
            add(QStringLiteral("Print"), TimelineIds::PrintBookmark);
            add(QStringLiteral("Delete"), TimelineIds::DeleteBookmark);
        } else {
            contextTime_ = time;
            menu.setObjectName(QString::number(TimelineIds::PlaceMenu));
            add(StringTable::Load(TimelineIds::AddBookmarkText), TimelineIds::AddBookmark);
        }
        QAction* chosen = menu.exec(globalPos);
        openMenu_.clear();
        if (!chosen) {
            return;
        }
        const int command = chosen->data().toInt();
        if (command == TimelineIds::AddBookmark) {
            HandlerGuard::Run(CommandError(command), [&] {
                if (IPlomeraViewEvents* events = Events()) {
                    events->AddBookmarkAtTime(contextTime_);
                }
            });
        } else {
            RunBookmarkCommand(command, contextBookmark_.get());
        }
    });
}

void CTimelineTrackBar::RunBookmarkCommand(int command, BookmarkRecord* bookmark)
{
    HandlerGuard::Run(CommandError(command), [&] {
        IPlomeraViewEvents* events = Events();
        if (!events || !bookmark) {
            return;
        }
        switch (command) {
        case TimelineIds::Details:
        case TimelineIds::EditBookmark: events->EditBookmark(bookmark); break;
        case TimelineIds::DeleteBookmark: events->DeleteBookmark(bookmark); break;
        case TimelineIds::CopyBookmark: events->CopyBookmarkToClipboard(bookmark); break;
        case TimelineIds::PrintBookmark: events->PrintBookmark(bookmark); break;
        case TimelineIds::SeekToBookmark: events->SeekToBookmark(bookmark); break;
        default: break;
        }
    });
}

// ---- scrolling ------------------------------------------------------------------------------

void CTimelineTrackBar::StartScrolling(int direction)
{
    HandlerGuard::Run(kScrollError, [&] {
        if (scale_.ViewEnd() == 0) {
            return;
        }
        scrolling_ = true;
        scrollDirection_ = direction;
        ScrollTick();
        scrollTimer_.start();
    });
}

void CTimelineTrackBar::StopScrolling()
{
    scrolling_ = false;
    scrollTimer_.stop();
}

void CTimelineTrackBar::ScrollTick()
{
    HandlerGuard::Run(kScrollError, [&] {
        if (!scrolling_) {
            scrollTimer_.stop();
            return;
        }
        if (scale_.ScrollStep(scrollDirection_)) {
            ViewChanged();
        }
        RaiseVisibleRange();
    });
}

// ---- keyboard -------------------------------------------------------------------------------

bool CTimelineTrackBar::HandlesKey(const QKeyEvent* event) const
{
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Plus:
    case Qt::Key_Equal:
    case Qt::Key_Minus:
    case Qt::Key_C:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Menu:
        return true;
    default:
        return false;
    }
}

void CTimelineTrackBar::StepCursor(qint64 seconds)
{
    if (!scale_.HasData()) {
        return;
    }
    const QRect before = scale_.CursorPicture();
    const qint64 t = std::clamp(scale_.CursorTime() + seconds, scale_.DataStart(), scale_.DataEnd());
    if (scale_.SetCursorTime(t)) {
        CursorMoved(before);
        keyCursorMoved_ = true;
    }
}

void CTimelineTrackBar::JumpToBookmark(bool next)
{
    if (!bookmarks_ || !scale_.HasData()) {
        return;
    }
    std::shared_ptr<BookmarkRecord> best;
    const qint64 now = scale_.CursorTime();
    for (const auto& b : *bookmarks_) {
        if (!b) {
            continue;
        }
        const qint64 t = b->GetTime();
        if (next ? (t > now && (!best || t < best->GetTime())) : (t < now && (!best || t > best->GetTime()))) {
            best = b;
        }
    }
    if (!best) {
        return;
    }
    const QRect before = scale_.CursorPicture();
    scale_.SetCursorTime(best->GetTime());
    CursorMoved(before);
    if (IPlomeraViewEvents* events = Events()) {
        events->SeekToBookmark(best.get());
    }
}

bool CTimelineTrackBar::OnKey(QKeyEvent* event)
{
    if (!HandlesKey(event)) {
        return false;
    }
    HandlerGuard::Run(kEventsError, [&] {
        const bool ctrl = event->modifiers() & Qt::ControlModifier;
        const bool shift = event->modifiers() & Qt::ShiftModifier;
        switch (event->key()) {
        case Qt::Key_Left:
        case Qt::Key_Right: {
            const int sign = event->key() == Qt::Key_Right ? 1 : -1;
            if (ctrl) {
                StepCursor(sign * (shift ? TimelineScale::TickStep(scale_.VisibleSpan()) : 1));
            } else if (scale_.SetViewRange(scale_.VisibleSpan(),
                                           scale_.ViewEnd() + sign * scale_.VisibleSpan() / 10)) {
                ViewChanged();
                RaiseVisibleRange();
            }
            break;
        }
        case Qt::Key_Plus:
        case Qt::Key_Equal: Zoom(0); break;
        case Qt::Key_Minus: Zoom(1); break;
        case Qt::Key_C: Zoom(2); break;
        case Qt::Key_PageUp: JumpToBookmark(false); break;
        case Qt::Key_PageDown: JumpToBookmark(true); break;
        case Qt::Key_Menu: {
            const double x = scale_.CursorPixel();
            const QPoint local(static_cast<int>(x), surface_->height() / 4);
            ShowContextMenu(surface_->mapToGlobal(local), x, scale_.CursorTime());
            break;
        }
        default: break;
        }
    });
    return true;
}

bool CTimelineTrackBar::OnKeyRelease(QKeyEvent* event)
{
    // The cursor moved by keys seeks once the key is let go, not at every repeat.
    if ((event->key() == Qt::Key_Left || event->key() == Qt::Key_Right) && !event->isAutoRepeat()
        && keyCursorMoved_) {
        keyCursorMoved_ = false;
        RaiseSeek(scale_.CursorTime());
        return true;
    }
    return false;
}

// ---- event routing --------------------------------------------------------------------------

bool CTimelineTrackBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != surface_) {
        return QWidget::eventFilter(watched, event);
    }
    switch (event->type()) {
    case QEvent::Paint:
        Paint(static_cast<QPaintEvent*>(event));
        return true;
    case QEvent::Resize:
        scale_.SetSurfaceWidth(surface_->width());
        ViewChanged();
        return false;
    case QEvent::MouseButtonPress:
        OnPress(static_cast<QMouseEvent*>(event));
        return true;
    case QEvent::MouseMove:
        OnMove(static_cast<QMouseEvent*>(event));
        return true;
    case QEvent::MouseButtonRelease:
        OnRelease(static_cast<QMouseEvent*>(event));
        return true;
    case QEvent::MouseButtonDblClick:
        OnDoubleClick(static_cast<QMouseEvent*>(event));
        return true;
    case QEvent::Leave:
        OnLeave();
        return false;
    case QEvent::ContextMenu:
        // Mouse menus open on the right release (OnRelease); the Menu key comes as a key.
        return true;
    case QEvent::ShortcutOverride: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (HandlesKey(key)) {
            key->accept();
            return true;
        }
        return false;
    }
    case QEvent::KeyPress:
        return OnKey(static_cast<QKeyEvent*>(event));
    case QEvent::KeyRelease:
        return OnKeyRelease(static_cast<QKeyEvent*>(event));
    case QEvent::FocusIn:
    case QEvent::FocusOut:
        surface_->update();
        if (event->type() == QEvent::FocusOut) {
            panning_ = false;
        }
        return false;
    case QEvent::Hide:
        panning_ = false;
        cursorDrag_ = 0;
        StopScrolling();
        return false;
    default:
        return QWidget::eventFilter(watched, event);
    }
}
