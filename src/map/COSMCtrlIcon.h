#pragma once

#include <QImage>
#include <QString>

// A picture markers point with: its bitmap comes from a numbered resource or from a file, and
// the anchor is the bitmap's pixel that is placed on the marker's position. The bitmap is made
// on first use and kept.
class COSMCtrlIcon {
public:
    // The map pin: 21 x 25 pixels, its tip at (10, 24).
    static constexpr int kPinResource = 388;
    static constexpr const char* kPngResourceType = "PNG";

    COSMCtrlIcon() = default;
    COSMCtrlIcon(int anchorX, int anchorY, int resourceId, const QString& resourceType);
    COSMCtrlIcon(int anchorX, int anchorY, const QString& fileName);
    // The pin with its own anchor.
    static COSMCtrlIcon Pin();

    // Null when the resource is unknown or the file does not decode.
    const QImage& Bitmap();

    int anchorX = 0;
    int anchorY = 0;
    int resourceId = 0;
    QString resourceType;
    QString fileName;

private:
    // The pictures compiled into the program, by resource number.
    static QImage LoadResource(int resourceId, const QString& resourceType);
    static QImage PaintPin();

    QImage bitmap_;
    bool loaded_ = false;
};
