#include "MakeSampleCommand.h"

#include "SampleMaker.h"

#include "evidence/FalException.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QTextStream>

extern "C" {
#include <libavutil/log.h>
}

#include <ctime>
#include <exception>

namespace {

const char kUsage[] =
    "usage: plomera-evidence make-sample DIR [--cameras N] [--first-camera N] [--channels-per-file N] [--duration S]\n"
    "       [--start \"YYYY-MM-DD HH:MM:SS\"] [--fps F] [--size WxH] [--gop G] [--codec h264|mpeg4]\n"
    "       [--audio] [--encrypted] [--key K] [--fisheye] [--mount Ceiling|Wall|Desktop] [--watermark]\n"
    "       [--watermark-break S] [--watermark-gap A-B] [--tag-version 6.0|6.1|6.2|7.1]\n"
    "       [--bookmarks K] [--partial]";

int Fail(const QString& text)
{
    QTextStream(stderr) << "make-sample: " << text << "\n";
    return 2;
}

bool ParseStart(const QString& text, qint64* utc)
{
    static const QRegularExpression re(QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2}) (\\d{2}):(\\d{2}):(\\d{2})$"));
    const auto m = re.match(text);
    if (!m.hasMatch())
        return false;
    struct tm local = {};
    local.tm_year = m.captured(1).toInt() - 1900;
    local.tm_mon = m.captured(2).toInt() - 1;
    local.tm_mday = m.captured(3).toInt();
    local.tm_hour = m.captured(4).toInt();
    local.tm_min = m.captured(5).toInt();
    local.tm_sec = m.captured(6).toInt();
    local.tm_isdst = -1;
    const time_t t = mktime(&local);
    if (t == static_cast<time_t>(-1) || local.tm_year < 100)
        return false;
    *utc = static_cast<qint64>(t);
    return true;
}

} // namespace

int MakeSampleCommand(const QStringList& args)
{
    if (args.isEmpty() || args.first().startsWith(QLatin1String("--")))
        return Fail(QString::fromLatin1(kUsage));
    const QString folder = args.first();
    SampleEvidenceOptions o;
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        auto value = [&](QString* out) {
            if (i + 1 >= args.size())
                return false;
            *out = args[++i];
            return true;
        };
        auto number = [&](int* out, int low, int high) {
            QString v;
            bool ok = false;
            if (!value(&v))
                return false;
            const int n = v.toInt(&ok);
            if (!ok || n < low || n > high)
                return false;
            *out = n;
            return true;
        };
        QString v;
        bool ok = true;
        if (a == QLatin1String("--cameras"))
            ok = number(&o.cameras, 1, 32);
        else if (a == QLatin1String("--first-camera"))
            ok = number(&o.firstCamera, 1, 32);
        else if (a == QLatin1String("--channels-per-file"))
            ok = number(&o.channelsPerFile, 1, 32);
        else if (a == QLatin1String("--duration")) {
            ok = value(&v);
            o.durationSeconds = v.toDouble(&ok);
            ok = ok && o.durationSeconds > 0 && o.durationSeconds <= 24 * 3600;
        } else if (a == QLatin1String("--start"))
            ok = value(&v) && ParseStart(v, &o.startUtc);
        else if (a == QLatin1String("--fps"))
            ok = number(&o.fps, 1, 120);
        else if (a == QLatin1String("--size")) {
            ok = value(&v);
            const QStringList wh = v.split('x');
            ok = ok && wh.size() == 2;
            if (ok) {
                o.width = wh[0].toInt(&ok);
                bool ok2 = false;
                o.height = wh[1].toInt(&ok2);
                ok = ok && ok2 && o.width >= 64 && o.height >= 64 && o.width <= 4096 && o.height <= 4096
                    && o.width % 2 == 0 && o.height % 2 == 0;
            }
        } else if (a == QLatin1String("--gop"))
            ok = number(&o.gop, 1, 1000);
        else if (a == QLatin1String("--codec"))
            ok = value(&o.codec) && (o.codec == QLatin1String("h264") || o.codec == QLatin1String("mpeg4"));
        else if (a == QLatin1String("--audio"))
            o.audio = true;
        else if (a == QLatin1String("--encrypted"))
            o.encrypted = true;
        else if (a == QLatin1String("--key"))
            ok = value(&o.key) && o.key.toLatin1().size() == 16;
        else if (a == QLatin1String("--fisheye"))
            o.fisheye = true;
        else if (a == QLatin1String("--mount"))
            ok = value(&o.mount) && QStringList{"Ceiling", "Wall", "Desktop"}.contains(o.mount);
        else if (a == QLatin1String("--watermark"))
            o.watermark = true;
        else if (a == QLatin1String("--watermark-break"))
            ok = number(&o.watermarkBreak, 0, 1 << 30);
        else if (a == QLatin1String("--watermark-gap")) {
            ok = value(&v);
            const QStringList ab = v.split('-');
            ok = ok && ab.size() == 2;
            if (ok) {
                bool ok2 = false;
                o.watermarkGapFrom = ab[0].toInt(&ok);
                o.watermarkGapTo = ab[1].toInt(&ok2);
                ok = ok && ok2 && o.watermarkGapFrom >= 0 && o.watermarkGapTo > o.watermarkGapFrom;
            }
        } else if (a == QLatin1String("--tag-version"))
            ok = value(&o.tagVersion) && QStringList{"6.0", "6.1", "6.2", "7.1"}.contains(o.tagVersion);
        else if (a == QLatin1String("--bookmarks"))
            ok = number(&o.bookmarks, 0, 1000);
        else if (a == QLatin1String("--partial"))
            o.partial = true;
        else
            return Fail(QStringLiteral("unknown option %1\n%2").arg(a, QString::fromLatin1(kUsage)));
        if (!ok)
            return Fail(QStringLiteral("bad value for %1").arg(a));
    }
    if (o.watermark && o.codec != QLatin1String("h264"))
        return Fail(QStringLiteral("--watermark needs --codec h264"));
    av_log_set_level(AV_LOG_ERROR);
    try {
        const QStringList files = SampleMaker::Make(folder, o);
        QTextStream out(stdout);
        for (const QString& f : files)
            out << f << "\n";
        return 0;
    } catch (const FalException& e) {
        QTextStream(stderr) << "make-sample: " << e.Message() << "\n";
    } catch (const std::exception& e) {
        QTextStream(stderr) << "make-sample: " << e.what() << "\n";
    }
    return 1;
}
