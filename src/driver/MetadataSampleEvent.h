#pragma once

#include "evidence/MetadataSample.h"

#include <QEvent>

// One metadata sample the play position passed, posted by the driver to the window its device
// names (the viewer's message 1125); the event owns its copy of the sample.
class MetadataSampleEvent : public QEvent {
public:
    explicit MetadataSampleEvent(MetadataSample sample) : QEvent(EventType()), sample_(std::move(sample)) {}

    static QEvent::Type EventType();
    const MetadataSample& Sample() const { return sample_; }
    // The sample event an event is, or null.
    static const MetadataSampleEvent* From(const QEvent* e)
    {
        return e->type() == EventType() ? static_cast<const MetadataSampleEvent*>(e) : nullptr;
    }

private:
    MetadataSample sample_;
};
