#include "MakeSampleCommand.h"

#include "SampleMaker.h"

#include "evidence/FalException.h"
#include "tools/CommandOutput.h"
#include "tools/ProgressCounter.h"
#include "tools/TimeArgument.h"
#include "tools/ToolCommand.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QRegularExpression>
#include <cmath>

extern "C" {
#include <libavutil/log.h>
}

#include <exception>

namespace {

constexpr int kMaxCameras = 32;

// Every option and what it sets, checked in full before anything is written.
SampleEvidenceOptions Check(const CommandArguments& args)
{
    args.ExpectPositional(1, 1, QStringLiteral("DIR"));
    SampleEvidenceOptions o;
    auto integer = [&](const char* option, int low, int high, int* out) {
        if (const auto v = args.Integer(QString::fromLatin1(option), low, high))
            *out = static_cast<int>(*v);
    };
    auto oneOf = [&](const char* option, const QStringList& allowed, QString* out) {
        const QString name = QString::fromLatin1(option);
        if (!args.Has(name))
            return;
        *out = args.Value(name);
        if (!allowed.contains(*out))
            throw UsageError(QStringLiteral("bad value '%1' for %2 (%3)").arg(*out, name, allowed.join(QStringLiteral(", "))));
    };
    integer("--cameras", 1, kMaxCameras, &o.cameras);
    integer("--first-camera", 1, kMaxCameras, &o.firstCamera);
    integer("--channels-per-file", 1, kMaxCameras, &o.channelsPerFile);
    if (o.firstCamera + o.cameras > kMaxCameras + 1)
        throw UsageError(QStringLiteral("cameras %1 to %2: a recorder has at most %3")
                             .arg(o.firstCamera)
                             .arg(o.firstCamera + o.cameras - 1)
                             .arg(kMaxCameras));
    if (const auto d = args.Number(QStringLiteral("--duration"), 0.001, 24 * 3600))
        o.durationSeconds = *d;
    if (const auto start = args.Time(QStringLiteral("--start"))) {
        if (*start <= 0)
            throw UsageError(QStringLiteral("--start must lie after 1970-01-01 00:00:00 UTC"));
        o.startUtc = *start;
    }
    integer("--fps", 1, 120, &o.fps);
    if (args.Has(QStringLiteral("--size"))) {
        static const QRegularExpression size(QStringLiteral("^([0-9]{2,4})x([0-9]{2,4})$"));
        const QString text = args.Value(QStringLiteral("--size"));
        const auto m = size.match(text);
        o.width = m.captured(1).toInt();
        o.height = m.captured(2).toInt();
        if (!m.hasMatch() || o.width < 64 || o.height < 64 || o.width > 4096 || o.height > 4096 || o.width % 2 != 0
            || o.height % 2 != 0)
            throw UsageError(QStringLiteral("bad size '%1' for --size (WxH, even, 64 to 4096)").arg(text));
    }
    integer("--gop", 1, 1000, &o.gop);
    oneOf("--codec", {QStringLiteral("h264"), QStringLiteral("mpeg4")}, &o.codec);
    o.audio = args.Has(QStringLiteral("--audio"));
    o.encrypted = args.Has(QStringLiteral("--encrypted"));
    if (args.Has(QStringLiteral("--key"))) {
        o.key = args.Value(QStringLiteral("--key"));
        if (o.key.toLatin1().size() != 16)
            throw UsageError(QStringLiteral("the --key must be 16 characters"));
    }
    o.fisheye = args.Has(QStringLiteral("--fisheye"));
    o.fisheyeLayouts = args.Has(QStringLiteral("--fisheye-layouts"));
    if (o.fisheyeLayouts && !o.fisheye)
        throw UsageError(QStringLiteral("--fisheye-layouts needs --fisheye"));
    oneOf("--mount", {QStringLiteral("Ceiling"), QStringLiteral("Wall"), QStringLiteral("Desktop")}, &o.mount);
    o.watermark = args.Has(QStringLiteral("--watermark"));
    integer("--watermark-break", 0, 1 << 30, &o.watermarkBreak);
    if (args.Has(QStringLiteral("--watermark-gap"))) {
        static const QRegularExpression gap(QStringLiteral("^([0-9]{1,9})-([0-9]{1,9})$"));
        const QString text = args.Value(QStringLiteral("--watermark-gap"));
        const auto m = gap.match(text);
        o.watermarkGapFrom = m.captured(1).toInt();
        o.watermarkGapTo = m.captured(2).toInt();
        if (!m.hasMatch() || o.watermarkGapTo <= o.watermarkGapFrom)
            throw UsageError(QStringLiteral("bad gap '%1' for --watermark-gap (A-B seconds, A below B)").arg(text));
    }
    oneOf("--tag-version", {QStringLiteral("6.0"), QStringLiteral("6.1"), QStringLiteral("6.2"), QStringLiteral("7.1")},
          &o.tagVersion);
    integer("--bookmarks", 0, 1000, &o.bookmarks);
    o.partial = args.Has(QStringLiteral("--partial"));
    o.metadata = args.Has(QStringLiteral("--metadata"));
    if (args.Has(QStringLiteral("--route"))) {
        const QString text = args.Value(QStringLiteral("--route"));
        const QStringList parts = text.split(QLatin1Char(','));
        bool okLat = false;
        bool okLon = false;
        const double lat = parts.size() == 2 ? parts[0].trimmed().toDouble(&okLat) : 0.0;
        const double lon = parts.size() == 2 ? parts[1].trimmed().toDouble(&okLon) : 0.0;
        if (!okLat || !okLon || std::abs(lat) > 85.0 || std::abs(lon) > 180.0)
            throw UsageError(QStringLiteral("bad route centre '%1' for --route (LAT,LON in degrees, |LAT| <= 85)").arg(text));
        if (!o.metadata)
            throw UsageError(QStringLiteral("--route needs --metadata"));
        o.routeLatitude = lat;
        o.routeLongitude = lon;
    }
    if (o.metadata && (o.tagVersion == QLatin1String("6.0") || o.tagVersion == QLatin1String("6.1")))
        throw UsageError(QStringLiteral("--metadata needs --tag-version 6.2 or 7.1 (the others have no section table)"));
    if (o.watermark && o.codec != QLatin1String("h264"))
        throw UsageError(QStringLiteral("--watermark needs --codec h264"));
    return o;
}

QJsonObject ToJson(const QString& folder, const std::vector<SampleFile>& files)
{
    QJsonArray list;
    for (const SampleFile& f : files) {
        QJsonArray channels;
        for (int c : f.channels)
            channels.append(c);
        list.append(QJsonObject{{QStringLiteral("path"), f.path},
                                {QStringLiteral("cameraNames"), QJsonArray::fromStringList(f.cameraNames)},
                                {QStringLiteral("channels"), channels},
                                {QStringLiteral("startTime"), f.startTime},
                                {QStringLiteral("endTime"), f.endTime},
                                {QStringLiteral("tagVersion"), f.partial ? QJsonValue() : QJsonValue(f.tagVersion)},
                                {QStringLiteral("partial"), f.partial}});
    }
    return QJsonObject{{QStringLiteral("folder"), folder}, {QStringLiteral("files"), list}};
}

int Run(const CommandArguments& args, CommandOutput& io)
{
    SampleEvidenceOptions o = Check(args);
    const QString folder = args.Positional().first();
    ProgressCounter progress(io, args.Has(QStringLiteral("--quiet")), QStringLiteral("make-sample"),
                             ProgressCounter::Unit::Items, QStringLiteral("frames"));
    if (progress.Shown()) {
        o.progress = [&progress](qint64 done, qint64 total, const QString& file) { progress.Update(done, total, file); };
    }
    av_log_set_level(AV_LOG_ERROR);
    std::vector<SampleFile> files;
    try {
        files = SampleMaker::MakeFiles(folder, o);
    } catch (const FalException& e) {
        progress.Finish();
        io.Message(e.Message());
        return 1;
    } catch (const std::exception& e) {
        progress.Finish();
        io.Message(QString::fromUtf8(e.what()));
        return 1;
    }
    progress.Finish();
    if (args.Has(QStringLiteral("--json"))) {
        io.Json(ToJson(folder, files));
    } else {
        for (const SampleFile& f : files)
            io.Line(f.path);
    }
    return 0;
}

} // namespace

const ToolCommand& MakeSampleCommand::Command()
{
    static const ToolCommand command{
        "make-sample",
        "write sample evidence: tagged .video files with stamped test pictures",
        "make-sample DIR [OPTIONS]",
        R"HELP(Writes an export folder of sample evidence made by this project: one .video file per camera
(or per group of cameras), each a stream of test pictures that show the camera, the wall-clock
time and the frame number and carry a machine-readable frame stamp, followed by a real tag.
Prints the paths of the files written, one per line. Existing files of the same names are
replaced.

Options (defaults in brackets):
  --cameras N              cameras in all, 1 to 32 [1]
  --first-camera N         number of the first camera [1]
  --channels-per-file N    cameras (video streams) in one file [1]
  --duration S             seconds of recording [60]
  --start TIME             wall-clock time of the first frame [2021-06-05 07:08:00 local]
  --fps F, --gop G         frame rate [25] and key-frame distance [50]
  --size WxH               picture size, even, 64 to 4096 [640x360]
  --codec h264|mpeg4       [h264]
  --audio                  a tone track
  --encrypted, --key K     encrypted stream (MP4), with the 16-character stream key
  --fisheye, --mount M     the first camera is a fisheye camera mounted M [Ceiling]
  --fisheye-layouts        its tag offers the combined dewarp layouts (several views at once)
                           as well as the single views
  --watermark              watermark records in the stream (h264 only)
  --watermark-break S      the record of second S has a spoilt seal
  --watermark-gap A-B      no records from second A to B
  --tag-version V          6.0, 6.1, 6.2 or 7.1 [6.2; 7.1 for fisheye]
  --bookmarks K            K bookmarks spread over the recording [0]
  --partial                one more file, cut short, named .partial
  --metadata               a vehicle's metadata section in every file (a sample a second
                           round a loop of about a kilometre; see `metadata`)
  --route LAT,LON          the loop's centre in degrees [51.5074,-0.1278]
  --json                   one JSON object instead of the paths: {"folder", "files": [{"path",
                           "cameraNames", "channels", "startTime", "endTime" (epoch seconds),
                           "tagVersion" (null for a .partial), "partial"}]}
  --quiet                  no progress counter (it is shown only when standard error is a
                           terminal)

)HELP" PLOMERA_TIME_FORMS_HELP R"HELP(

Exit codes:
  0   the files were written
  1   writing failed
  64  a mistake in the command line
)HELP",
        {{QStringLiteral("--cameras"), QStringLiteral("N")},
         {QStringLiteral("--first-camera"), QStringLiteral("N")},
         {QStringLiteral("--channels-per-file"), QStringLiteral("N")},
         {QStringLiteral("--duration"), QStringLiteral("S")},
         {QStringLiteral("--start"), QStringLiteral("TIME")},
         {QStringLiteral("--fps"), QStringLiteral("F")},
         {QStringLiteral("--size"), QStringLiteral("WxH")},
         {QStringLiteral("--gop"), QStringLiteral("G")},
         {QStringLiteral("--codec"), QStringLiteral("h264|mpeg4")},
         {QStringLiteral("--audio"), {}},
         {QStringLiteral("--encrypted"), {}},
         {QStringLiteral("--key"), QStringLiteral("K")},
         {QStringLiteral("--fisheye"), {}},
         {QStringLiteral("--fisheye-layouts"), {}},
         {QStringLiteral("--mount"), QStringLiteral("Ceiling|Wall|Desktop")},
         {QStringLiteral("--watermark"), {}},
         {QStringLiteral("--watermark-break"), QStringLiteral("S")},
         {QStringLiteral("--watermark-gap"), QStringLiteral("A-B")},
         {QStringLiteral("--tag-version"), QStringLiteral("6.0|6.1|6.2|7.1")},
         {QStringLiteral("--bookmarks"), QStringLiteral("K")},
         {QStringLiteral("--partial"), {}},
         {QStringLiteral("--metadata"), {}},
         {QStringLiteral("--route"), QStringLiteral("LAT,LON")},
         {QStringLiteral("--json"), {}},
         {QStringLiteral("--quiet"), {}}},
        &Run,
    };
    return command;
}
