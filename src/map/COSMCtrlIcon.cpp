#include "map/COSMCtrlIcon.h"

#include <QPainter>
#include <QPainterPath>

COSMCtrlIcon::COSMCtrlIcon(int x, int y, int id, const QString& type)
    : anchorX(x)
    , anchorY(y)
    , resourceId(id)
    , resourceType(type)
{
}

COSMCtrlIcon::COSMCtrlIcon(int x, int y, const QString& file)
    : anchorX(x)
    , anchorY(y)
    , fileName(file)
{
}

COSMCtrlIcon COSMCtrlIcon::Pin()
{
    return COSMCtrlIcon(10, 24, kPinResource, QLatin1String(kPngResourceType));
}

const QImage& COSMCtrlIcon::Bitmap()
{
    if (!loaded_) {
        loaded_ = true;
        QImage image = fileName.isEmpty() ? LoadResource(resourceId, resourceType) : QImage(fileName);
        if (!image.isNull()) {
            bitmap_ = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        }
    }
    return bitmap_;
}

QImage COSMCtrlIcon::LoadResource(int id, const QString& type)
{
    if (id == kPinResource && type == QLatin1String(kPngResourceType)) {
        return PaintPin();
    }
    return QImage();
}

QImage COSMCtrlIcon::PaintPin()
{
    // A round red head on a point that ends in the bottom pixel of column 10.
    QImage pin(21, 25, QImage::Format_ARGB32_Premultiplied);
    pin.fill(Qt::transparent);
    QPainter painter(&pin);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath outline;
    outline.moveTo(10.5, 25.0);
    outline.cubicTo(8.0, 19.0, 1.0, 15.0, 1.0, 9.5);
    outline.arcTo(QRectF(1.0, 0.5, 19.0, 19.0), 180.0, -180.0);
    outline.cubicTo(20.0, 15.0, 13.0, 19.0, 10.5, 25.0);
    outline.closeSubpath();
    painter.setPen(QPen(QColor(120, 0, 0), 1.0));
    painter.setBrush(QColor(220, 30, 30));
    painter.drawPath(outline);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawEllipse(QPointF(10.5, 9.5), 3.5, 3.5);
    painter.end();
    return pin;
}
