#include "events/ViewerMessageEvent.h"

#include <QCoreApplication>
#include <QObject>
#include <QThread>

Q_IMPL_EVENT_COMMON(ViewerMessageEvent)

ViewerMessageEvent::ViewerMessageEvent(int message, quintptr wParam, quintptr lParam)
    : QEvent(static_cast<QEvent::Type>(message)), wParam_(wParam), lParam_(lParam)
{
    Q_ASSERT(message >= QEvent::User && message <= QEvent::MaxUser);
}

QString ViewerMessageEvent::WText() const
{
    const QString* text = WPointer<const QString>();
    return text ? *text : QString();
}

QString ViewerMessageEvent::LText() const
{
    const QString* text = LPointer<const QString>();
    return text ? *text : QString();
}

ViewerMessageEvent* ViewerMessageEvent::From(QEvent* event)
{
    if (!event || event->type() < QEvent::User)
        return nullptr;
    return dynamic_cast<ViewerMessageEvent*>(event);
}

bool ViewerMessageEvent::Send(QObject* target, int message, quintptr wParam, quintptr lParam)
{
    if (!target)
        return false;
    // A send runs the receiver's handler here and now, which is only sound on its own thread.
    Q_ASSERT(target->thread() == QThread::currentThread());
    ViewerMessageEvent event(message, wParam, lParam);
    return QCoreApplication::sendEvent(target, &event);
}

bool ViewerMessageEvent::Post(QObject* target, int message, quintptr wParam, quintptr lParam)
{
    if (!target)
        return false;
    QCoreApplication::postEvent(target, new ViewerMessageEvent(message, wParam, lParam));
    return true;
}
