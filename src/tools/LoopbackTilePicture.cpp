#include "tools/LoopbackTilePicture.h"

#include "map/COSMCtrlProjection.h"

#include <QBuffer>
#include <QColor>
#include <QFont>
#include <QPainter>
#include <cmath>

namespace {

constexpr int kTile = 256;

// Which pixels of a row (or column) a line at a multiple of step crosses: the pixel whose two
// edges lie on different sides of it.
template <typename EdgeDegrees>
void FindLines(EdgeDegrees edge, double step, bool (&on)[kTile], bool (&major)[kTile])
{
    for (int i = 0; i < kTile; ++i) {
        const double a = std::floor(edge(i) / step);
        const double b = std::floor(edge(i + 1) / step);
        on[i] = a != b;
        const double crossed = std::max(a, b);
        major[i] = on[i] && std::fmod(std::fabs(crossed), 5.0) == 0.0;
    }
}

} // namespace

double LoopbackTilePicture::GraticuleStep(int zoom)
{
    const double wanted = 360.0 / COSMCtrlProjection::TilesPerSide(zoom) / 8.0;
    double step = std::pow(10.0, std::floor(std::log10(wanted)));
    for (double factor : {5.0, 2.0}) {
        if (step * factor <= wanted) {
            return step * factor;
        }
    }
    return step;
}

QImage LoopbackTilePicture::Paint(int zoom, int x, int y)
{
    QImage image(kTile, kTile, QImage::Format_RGB32);
    // Light colours from the address, so that neighbours differ and dark lines stay readable.
    const int hue = (x * 67 + y * 131 + zoom * 29) % 360;
    image.fill(QColor::fromHsv(hue, 60, 235));

    const double step = GraticuleStep(zoom);
    bool meridian[kTile];
    bool meridianMajor[kTile];
    bool parallel[kTile];
    bool parallelMajor[kTile];
    FindLines([&](int px) { return COSMCtrlProjection::Longitude(x + px / double(kTile), zoom); }, step, meridian,
              meridianMajor);
    // Rows run south, so the latitude of a row's top edge is the larger one.
    FindLines([&](int py) { return -COSMCtrlProjection::Latitude(y + py / double(kTile), zoom); }, step, parallel,
              parallelMajor);
    const QRgb minor = qRgb(90, 90, 90);
    const QRgb majorLine = qRgb(0, 0, 160);
    for (int py = 0; py < kTile; ++py) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(py));
        for (int px = 0; px < kTile; ++px) {
            if (parallelMajor[py] || meridianMajor[px]) {
                line[px] = majorLine;
            } else if (parallel[py] || meridian[px]) {
                line[px] = minor;
            }
        }
    }

    QPainter painter(&image);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(18);
    font.setBold(true);
    painter.setFont(font);
    const QString text = QStringLiteral("%1/%2/%3").arg(zoom).arg(x).arg(y);
    const QRect box = painter.fontMetrics().boundingRect(text).adjusted(-4, -2, 4, 2);
    QRect centred = box;
    centred.moveCenter(QPoint(kTile / 2, kTile / 2 + 40));
    painter.fillRect(centred, QColor(255, 255, 255, 200));
    painter.setPen(Qt::black);
    painter.drawText(centred, Qt::AlignCenter, text);
    // A thin frame shows the tile's own edges.
    painter.setPen(QColor(200, 60, 60));
    painter.drawRect(0, 0, kTile - 1, kTile - 1);
    return image;
}

QByteArray LoopbackTilePicture::Png(int zoom, int x, int y)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    Paint(zoom, x, y).save(&buffer, "PNG");
    return png;
}
