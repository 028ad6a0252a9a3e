#pragma once

#include <QString>
#include <QtGlobal>
#include <cstdint>

// What the local-file driver keeps about the file one camera plays: its decoder port and the
// file's time range as the decoder reports it.
class KestraneLocalFileData {
public:
    KestraneLocalFileData();
    virtual ~KestraneLocalFileData();

    int32_t port = 0;
    qint64 startTime = 0;
    qint64 endTime = 0;
    QString text;
    // The port is acquired and not yet given back: the driver releases it when it is replaced or
    // the driver goes away, so a camera that was opened but never played does not keep it.
    bool portHeld = false;
};
