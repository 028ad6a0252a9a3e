#pragma once

#include <QString>
#include <QtGlobal>

// One queued log message. The creation time is kept as wall-clock milliseconds since 1970 and
// turned into local date and time when the record is written.
struct LogRecord {
    qint32 level = 0;
    QString text;
    qint64 timeMs = 0;
    quint32 threadId = 0;
};
