#include "driver/MetadataStripPainter.h"

#include "driver/MetadataStripScale.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPolygonF>
#include <QStringList>
#include <algorithm>
#include <cmath>

namespace {

constexpr double kGravity = 9.807;
constexpr int kBandHeight = 4;
constexpr int kTooltipMargin = 4;

QColor FromArgb(quint32 argb) { return QColor::fromRgba(argb); }

} // namespace

std::optional<double> MetadataStripPainter::Value(const MetadataSample& s, int32_t type)
{
    if (IsDigital(type)) return (s.inputMask >> (type - 501)) & 1u ? 1.0 : 0.0;
    switch (type) {
    case 2: return s.speedMph;
    case 3: return s.acceleratorPressure;
    case 4: return s.brakePressure;
    case 513: return s.accelerationX;
    case 514: return s.accelerationY;
    case 515: return s.accelerationZ;
    case 516:
        return std::sqrt(s.accelerationX * s.accelerationX + s.accelerationY * s.accelerationY
                         + s.accelerationZ * s.accelerationZ) / kGravity;
    default: return std::nullopt;
    }
}

void MetadataStripPainter::PaintStrip(QImage& strip, const MetadataConfigList& selection, qint64 left, qint64 right,
                                      qint64 position, int cursorWidth, quint32 cursorColour) const
{
    if (strip.isNull()) return;
    strip.fill(Qt::black);
    const MetadataStripScale scale(left, right, strip.width());
    if (!scale.Valid()) return;
    const auto first = std::lower_bound(times_.begin(), times_.end(), left) - times_.begin();
    const auto last = std::upper_bound(times_.begin(), times_.end(), right) - times_.begin();
    QPainter p(&strip);
    const int h = strip.height();
    int band = 0;
    for (const MetadataConfigEntry& entry : selection) {
        if (!entry.display) continue;
        const QColor colour = FromArgb(entry.colour);
        if (IsDigital(entry.id)) {
            const int top = h - (++band) * (kBandHeight + 1);
            for (auto i = first; i < last; ++i) {
                if (samples_[i].kind != 2 || Value(samples_[i], entry.id).value_or(0) == 0) continue;
                const double x0 = *scale.XAt(times_[i]);
                const double x1 = i + 1 < last ? *scale.XAt(times_[i + 1]) : x0 + 1;
                p.fillRect(QRectF(x0, top, std::max(1.0, x1 - x0), kBandHeight), colour);
            }
            continue;
        }
        double lo = 0, hi = 0;
        bool any = false;
        for (auto i = first; i < last; ++i) {
            if (samples_[i].kind != 2) continue;
            if (const auto v = Value(samples_[i], entry.id)) {
                lo = any ? std::min(lo, *v) : *v;
                hi = any ? std::max(hi, *v) : *v;
                any = true;
            }
        }
        if (!any) continue;
        QPolygonF line;
        for (auto i = first; i < last; ++i) {
            if (samples_[i].kind != 2) continue;
            const double v = *Value(samples_[i], entry.id);
            const double y = hi > lo ? (h - 2) - (v - lo) / (hi - lo) * (h - 4) : h / 2.0;
            line << QPointF(*scale.XAt(times_[i]), y);
        }
        p.setPen(QPen(colour, 1));
        p.drawPolyline(line);
    }
    if (position >= left && position <= right) {
        const QColor cursor(static_cast<int>((cursorColour >> 16) & 0xFF), static_cast<int>((cursorColour >> 8) & 0xFF),
                            static_cast<int>(cursorColour & 0xFF));
        const double x = *scale.XAt(position);
        p.fillRect(QRectF(x - cursorWidth / 2.0, 0, std::max(1, cursorWidth), h), cursor);
    }
}

bool MetadataStripPainter::PaintTooltip(QImage& tooltip, const MetadataConfigList& selection, qint64 time) const
{
    const MetadataSample* nearest = nullptr;
    qint64 distance = 2;
    for (size_t i = 0; i < samples_.size(); ++i) {
        const qint64 d = std::llabs(times_[i] - time);
        if (samples_[i].kind == 2 && d <= 1 && d < distance) {
            nearest = &samples_[i];
            distance = d;
        }
    }
    if (nearest == nullptr) return false;
    QStringList lines;
    for (const MetadataConfigEntry& entry : selection) {
        if (!entry.display) continue;
        const auto v = Value(*nearest, entry.id);
        if (!v) continue;
        lines << entry.name + QStringLiteral(": ")
                     + (IsDigital(entry.id) ? (*v != 0 ? QStringLiteral("On") : QStringLiteral("Off"))
                                            : QString::number(*v, 'f', 2));
    }
    if (lines.isEmpty()) return false;
    const QFont font;
    const QFontMetrics metrics(font);
    int width = 0;
    for (const QString& line : lines) width = std::max(width, metrics.horizontalAdvance(line));
    const QSize size(width + 2 * kTooltipMargin, static_cast<int>(lines.size()) * metrics.height() + 2 * kTooltipMargin);
    if (tooltip.size() != size) tooltip = QImage(size, QImage::Format_ARGB32_Premultiplied);
    tooltip.fill(QColor(32, 32, 32));
    QPainter p(&tooltip);
    p.setPen(Qt::white);
    p.drawRect(0, 0, size.width() - 1, size.height() - 1);
    p.setFont(font);
    for (int i = 0; i < lines.size(); ++i)
        p.drawText(kTooltipMargin, kTooltipMargin + i * metrics.height() + metrics.ascent(), lines[i]);
    return true;
}
