#pragma once

#include <QEvent>
#include <QString>
#include <QtGlobal>

class QObject;

// One private message to the viewer (or to a pane's parent): the event type is the message
// number of ViewerMessages.h, and the two parameters follow the coordinators' conventions:
// - a flag is 0 or 1 in the low byte;
// - a number (layout mode, show command) is the value itself;
// - a text is the address of a QString the sender holds for the duration of the send;
// - a 64-bit time, a point, a rectangle or a map position is the address of the sender's copy;
// - a pane object (Video, bookmark, bookmark list, open request, cell) is its address and stays
//   owned by the sender.
// The receiver copies whatever it keeps.
class ViewerMessageEvent : public QEvent {
    Q_DECL_EVENT_COMMON(ViewerMessageEvent)
public:
    ViewerMessageEvent(int message, quintptr wParam = 0, quintptr lParam = 0);

    int Message() const { return static_cast<int>(type()); }
    quintptr WParam() const { return wParam_; }
    quintptr LParam() const { return lParam_; }

    bool WFlag() const { return (wParam_ & 0xFF) != 0; }
    bool LFlag() const { return (lParam_ & 0xFF) != 0; }
    // The parameter as the address of a T; null when the sender passed none.
    template <typename T>
    T* WPointer() const
    {
        return reinterpret_cast<T*>(wParam_);
    }
    template <typename T>
    T* LPointer() const
    {
        return reinterpret_cast<T*>(lParam_);
    }
    // The text the parameter points at; empty when it points at none.
    QString WText() const;
    QString LText() const;

    // Parameter values built by the same conventions.
    static quintptr FlagParam(bool flag) { return flag ? 1u : 0u; }
    static quintptr AddressParam(const void* address) { return reinterpret_cast<quintptr>(address); }

    // The viewer message an event carries, or null for any other event.
    static ViewerMessageEvent* From(QEvent* event);

    // Delivers the message synchronously on the calling thread, which must be the target's; the
    // receiver has handled it when this returns. Without a target nothing happens. Returns
    // whether the target accepted the event.
    static bool Send(QObject* target, int message, quintptr wParam = 0, quintptr lParam = 0);
    // Queues the message for the target's thread (cross-thread notices). Returns false, posting
    // nothing, when there is no target: the sender then still owns what the parameters point at.
    static bool Post(QObject* target, int message, quintptr wParam = 0, quintptr lParam = 0);

private:
    quintptr wParam_;
    quintptr lParam_;
};
