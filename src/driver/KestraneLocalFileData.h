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
    // The path of the file the port plays.
    QString text;
    // The camera's channel number, kept so the driver never needs the camera again to place the
    // next camera of the same file.
    int32_t channel = -1;
    // The port is acquired and not yet given back: the driver releases it when it is replaced or
    // the driver goes away, so a camera that was opened but never played does not keep it.
    bool portHeld = false;
};
