#pragma once

#include "events/ViewerMessageEvent.h"

#include <QObject>
#include <QString>
#include <QVector>
#include <utility>

// Stands in for the viewer: records every message number with its text parameter.
class RecordingTarget : public QObject {
public:
    QVector<std::pair<int, QString>> received;

    bool event(QEvent* e) override
    {
        if (ViewerMessageEvent* m = ViewerMessageEvent::From(e)) {
            received.append({m->Message(), m->WParam() ? m->WText() : QString()});
            return true;
        }
        return QObject::event(e);
    }
};
