#include "driver/MetadataSampleEvent.h"

QEvent::Type MetadataSampleEvent::EventType()
{
    static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}
