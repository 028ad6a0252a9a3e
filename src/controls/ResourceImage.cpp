#include "controls/ResourceImage.h"

#include <QByteArray>
#include <QFile>
#include <QString>

// The generated picture resource lives in this static library; naming its initialiser keeps the
// linker from dropping it.
static void InitPictureResource()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(pictures);
        return true;
    }();
    (void)done;
}

QString ResourceImage::PathOf(int id)
{
    return QStringLiteral(":/PNG/%1").arg(id);
}

ResourceImage::ResourceImage(int id) : id_(id)
{
    InitPictureResource();
    QFile file(PathOf(id));
    if (!file.open(QIODevice::ReadOnly)) {
        return;
    }
    const QByteArray bytes = file.readAll();
    if (bytes.isEmpty()) {
        return;
    }
    QImage decoded;
    if (!decoded.loadFromData(bytes, "PNG")) {
        return;
    }
    image_ = decoded.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}
