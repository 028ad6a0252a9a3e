#pragma once

#include <QImage>
#include <QRect>

struct ToolCommand;

// `plomera-evidence stamp IMAGE [--json]`: the frame index a sample frame carries, read from a
// bare frame or from a snapshot with its text rows around the picture.
class StampCommand {
public:
    static const ToolCommand& Command();
    // Where the camera's picture lies in the image: a snapshot's picture starts 20 pixels down,
    // ends 20 pixels above the bottom, and its right edge is where the transparent margin begins;
    // any other image is all picture.
    static QRect PictureRect(const QImage& image);
    // The frame index, or -1 when the picture carries no readable stamp.
    static qint64 FrameIndex(const QImage& image);
};
