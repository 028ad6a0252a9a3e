#include "tools/MetadataCommand.h"

#include "evidence/FalException.h"
#include "evidence/FileTag.h"
#include "evidence/MetadataSection.h"
#include "tools/CommandOutput.h"
#include "tools/ToolCommand.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>
#include <QTimeZone>

#include <cmath>
#include <optional>

namespace {

// The recorder's clock fields, shown as they were recorded (no zone shift).
QString ClockText(qint64 millis)
{
    return QDateTime::fromMSecsSinceEpoch(millis, Qt::UTC).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
}

QString Colour(uint32_t argb)
{
    return QStringLiteral("#%1").arg(argb, 8, 16, QLatin1Char('0')).toUpper();
}

QJsonObject SampleJson(const MetadataSample& s)
{
    QJsonArray names;
    for (const QString& n : s.inputNames)
        names.append(n);
    return QJsonObject{{QStringLiteral("kind"), s.kind},
                       {QStringLiteral("time"), ClockText(s.timeMillis)},
                       {QStringLiteral("timeMillis"), s.timeMillis},
                       {QStringLiteral("latitude"), s.latitude},
                       {QStringLiteral("longitude"), s.longitude},
                       {QStringLiteral("latitudeHemisphere"), s.latitudeHemisphere},
                       {QStringLiteral("longitudeHemisphere"), s.longitudeHemisphere},
                       {QStringLiteral("direction"), s.direction},
                       {QStringLiteral("speedMph"), s.speedMph},
                       {QStringLiteral("acceleration"), QJsonArray{s.accelerationX, s.accelerationY, s.accelerationZ}},
                       {QStringLiteral("inputNames"), names},
                       {QStringLiteral("inputMask"), static_cast<qint64>(s.inputMask)},
                       {QStringLiteral("acceleratorPressure"), s.acceleratorPressure},
                       {QStringLiteral("brakePressure"), s.brakePressure}};
}

int Run(const CommandArguments& args, CommandOutput& io)
{
    args.ExpectPositional(1, 1, QStringLiteral("FILE"));
    const QString path = args.Positional().first();
    FileTag tag;
    std::optional<MetadataTrack> track;
    try {
        if (!tag.LoadFromFile(path)) {
            io.Message(QStringLiteral("%1: no recognised tag (version %2)").arg(path, tag.Version()));
            return 1;
        }
        track = MetadataSection::Read(path, tag);
    } catch (const FalException& e) {
        io.Message(e.Message());
        return 2;
    } catch (const std::exception& e) {
        io.Message(QString::fromUtf8(e.what()));
        return 2;
    }
    if (!track) {
        io.Message(QStringLiteral("%1 holds no metadata section").arg(path));
        return 1;
    }
    if (args.Has(QStringLiteral("--json"))) {
        QJsonArray settings;
        for (const MetadataSetting& s : track->settings) {
            settings.append(QJsonObject{{QStringLiteral("inputType"), s.inputType},
                                        {QStringLiteral("name"), s.name},
                                        {QStringLiteral("colour"), Colour(s.colour)},
                                        {QStringLiteral("selected"), s.selected}});
        }
        QJsonArray samples;
        for (const MetadataSample& s : track->samples)
            samples.append(SampleJson(s));
        io.Json(QJsonObject{{QStringLiteral("path"), path},
                            {QStringLiteral("slot"), MetadataSection::SlotOf(tag)},
                            {QStringLiteral("settings"), settings},
                            {QStringLiteral("samples"), samples}});
        return 0;
    }
    io.Line(QStringLiteral("File:     %1").arg(path));
    io.Line(QStringLiteral("Settings: %1").arg(track->settings.size()));
    for (const MetadataSetting& s : track->settings) {
        io.Line(QStringLiteral("  %1 %2 %3%4").arg(s.inputType, 4).arg(Colour(s.colour), s.name,
                                                     s.selected ? QStringLiteral(" (shown)") : QString()));
    }
    io.Line(QStringLiteral("Samples:  %1").arg(track->samples.size()));
    for (const MetadataSample& s : track->samples) {
        io.Line(QStringLiteral("  %1 kind %2  %3 %4 %5 %6  dir %7  %8 mph  inputs %9")
                    .arg(ClockText(s.timeMillis))
                    .arg(s.kind)
                    .arg(std::abs(s.latitude), 0, 'f', 6)
                    .arg(s.latitudeHemisphere)
                    .arg(std::abs(s.longitude), 0, 'f', 6)
                    .arg(s.longitudeHemisphere)
                    .arg(s.direction)
                    .arg(s.speedMph, 0, 'f', 2)
                    .arg(s.inputMask, 4, 16, QLatin1Char('0')));
    }
    return 0;
}

} // namespace

const ToolCommand& MetadataCommand::Command()
{
    static const ToolCommand command{
        "metadata",
        "print a file's vehicle metadata section (display settings and samples)",
        "metadata FILE [--json]",
        R"HELP(Reads the metadata section of FILE (a vehicle's track: position, direction, speed,
acceleration, pressures and the fourteen inputs, one sample at a time, and the settings of the
metadata display). The file is only read.

Options:
  --json   one JSON object: {"path", "slot", "settings": [{"inputType", "name", "colour"
           ("#AARRGGBB"), "selected"}], "samples": [{"kind", "time" (the recorder's clock,
           "YYYY-MM-DD HH:MM:SS.mmm"), "timeMillis", "latitude", "longitude" (decimal degrees),
           "latitudeHemisphere", "longitudeHemisphere", "direction", "speedMph",
           "acceleration" ([x, y, z] m/s²), "inputNames" (14), "inputMask",
           "acceleratorPressure", "brakePressure"}]}

Exit codes:
  0   the section was read
  1   no recognised tag, or no metadata section
  2   the file cannot be read, or its metadata section is damaged
  64  a mistake in the command line
)HELP",
        {{QStringLiteral("--json"), {}}},
        &Run,
    };
    return command;
}
