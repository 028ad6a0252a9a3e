#include "viewer/SnapshotComposer.h"

#include <QDateTime>
#include <QFileInfo>
#include <QFontMetrics>
#include <QImageWriter>
#include <QLocale>
#include <QPainter>

const QString SnapshotComposer::kCaption = QStringLiteral("Save Snapshot(s)");

QString SnapshotComposer::FolderPrefix(const QString& folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

QString SnapshotComposer::SafeTitle(const QString& title)
{
    QString safe = title;
    bool leading = true;
    for (QChar& c : safe) {
        const bool dot = leading && c == QLatin1Char('.');
        if (dot || c == QLatin1Char('/') || c == QLatin1Char('\\') || c.category() == QChar::Other_Control) {
            c = QLatin1Char('_');
        }
        leading = leading && dot;
    }
    return safe;
}

QString SnapshotComposer::Stamp(qint64 time)
{
    return QDateTime::fromSecsSinceEpoch(time).toString(QStringLiteral("yyyyMMdd_HHmmss"));
}

QString SnapshotComposer::FileName(int index, const QString& deviceTitle, int cameraNumber, qint64 time)
{
    return QStringLiteral("_%1_%2_%3_%4.png").arg(index).arg(SafeTitle(deviceTitle)).arg(cameraNumber + 1).arg(Stamp(time));
}

QString SnapshotComposer::FreePath(const QString& path)
{
    if (!QFileInfo::exists(path)) {
        return path;
    }
    const QFileInfo info(path);
    const QString stem = info.path() + QLatin1Char('/') + info.completeBaseName();
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    for (int n = 2;; ++n) {
        const QString candidate = QStringLiteral("%1-%2%3").arg(stem).arg(n).arg(suffix);
        if (!QFileInfo::exists(candidate)) {
            return candidate;
        }
    }
}

bool SnapshotComposer::Usable(const QImage& picture)
{
    return !picture.isNull() && (picture.width() >= kMinimumSide || picture.height() >= kMinimumSide);
}

QString SnapshotComposer::TimeText(qint64 time)
{
    const QLocale locale = QLocale::system();
    const QDateTime when = QDateTime::fromSecsSinceEpoch(time);
    QString timeFormat = locale.timeFormat(QLocale::ShortFormat);
    // The short form drops the seconds, which a frame's time needs.
    if (!timeFormat.contains(QLatin1Char('s'))) {
        timeFormat.replace(QLatin1String("mm"), QLatin1String("mm:ss"));
    }
    return locale.toString(when.date(), QLocale::ShortFormat) + QLatin1Char(' ') + locale.toString(when.time(), timeFormat);
}

QFont SnapshotComposer::Font()
{
    // Carlito is metric-compatible with Calibri, so the texts take the room they were laid out for.
    QFont font(QStringLiteral("Calibri"));
    font.setFamilies({QStringLiteral("Calibri"), QStringLiteral("Carlito")});
    font.setPixelSize(20);
    font.setWeight(QFont::Normal);
    return font;
}

QImage SnapshotComposer::Compose(const QImage& picture, const QString& cameraTitle, qint64 time, const QString& deviceTitle)
{
    const int w = picture.width();
    const int h = picture.height();
    const QFont font = Font();
    const QString timeText = TimeText(time);
    const int timeX = TimeX(w);
    int width = w < kNarrowWidth ? w + kNarrowExtra : w;
    width = qMax(width, timeX + QFontMetrics(font).horizontalAdvance(timeText) + 1);
    QImage canvas(width, h + 2 * kMargin, QImage::Format_ARGB32);
    canvas.fill(Qt::transparent);
    QPainter p(&canvas);
    p.setFont(font);
    p.setPen(Qt::black);
    // Unbounded layout rectangles: no text is wrapped or cut.
    const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip;
    p.drawText(QRect(0, 0, 0, 0), flags, cameraTitle);
    p.drawText(QRect(timeX, 0, 0, 0), flags, timeText);
    p.drawImage(QRect(0, kMargin, w, h), picture);
    p.drawText(QRect(0, h + kMargin, 0, 0), flags, deviceTitle);
    p.end();
    return canvas;
}

bool SnapshotComposer::Save(const QImage& image, const QString& path)
{
    QImageWriter writer(path, "png");
    return writer.write(image);
}

SnapshotComposer::Outcome SnapshotComposer::Result(int requested, const QStringList& failed, const QString& folder)
{
    Outcome o;
    if (requested > 0 && failed.size() >= requested) {
        o.text = QStringLiteral("Couldn't save snapshots");
        o.icon = Icon::Critical;
        o.log = QStringLiteral("%1 Snapshots could not be saved").arg(failed.size());
        o.logIsError = true;
    } else if (!failed.isEmpty()) {
        o.text = QStringLiteral("Snapshots Generated\nNot saved: ") + failed.join(QStringLiteral(", "));
        o.icon = Icon::Warning;
        o.log = QStringLiteral("%1 Snapshots could not be saved").arg(failed.size());
        o.logIsError = true;
    } else {
        o.text = QStringLiteral("Snapshots Generated");
        o.log = QStringLiteral("All Snapshots saved successfully to : %1").arg(folder);
    }
    return o;
}
