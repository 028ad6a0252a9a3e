#include "tools/EvidenceInfoCommand.h"

#include "evidence/DeviceTypes.h"
#include "evidence/FalException.h"
#include "evidence/FileTag.h"
#include "evidence/FileTagJson.h"
#include "evidence/WideText.h"
#include "tools/CommandOutput.h"
#include "tools/TimeArgument.h"
#include "tools/ToolCommand.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QString Text(const QString& s)
{
    return WideText::UpToNul(s);
}

} // namespace

QJsonObject EvidenceInfoCommand::ToJson(const FileTag& tag, bool loaded)
{
    return FileTagJson::Of(tag, loaded);
}

namespace {

int Run(const CommandArguments& args, CommandOutput& io)
{
    args.ExpectPositional(1, 1, QStringLiteral("FILE"));
    const QString path = args.Positional().first();
    FileTag tag;
    bool loaded = false;
    try {
        loaded = tag.LoadFromFile(path);
    } catch (const FalException& e) {
        io.Message(e.Message());
        return 2;
    } catch (const std::exception& e) {
        io.Message(QString::fromUtf8(e.what()));
        return 2;
    }
    if (args.Has(QStringLiteral("--json"))) {
        io.Json(EvidenceInfoCommand::ToJson(tag, loaded));
        return loaded ? 0 : 1;
    }
    if (!loaded) {
        io.Line(QStringLiteral("%1: no recognised tag (version %2)").arg(path, tag.Version()));
        return 1;
    }
    io.Line(QStringLiteral("File:        %1").arg(path));
    io.Line(QStringLiteral("Tag version: %1").arg(tag.Version()));
    io.Line(QStringLiteral("Device:      %1 (model %2, type %3)")
                .arg(Text(tag.DeviceName()), Text(tag.ModelName()))
                .arg(tag.DeviceType()));
    io.Line(QStringLiteral("Recorded:    %1 to %2")
                .arg(TimeArgument::FormatLocal(tag.StartTime()), TimeArgument::FormatLocal(tag.EndTime())));
    io.Line(QStringLiteral("Encrypted:   %1").arg(tag.Encrypted() ? "yes" : "no"));
    io.Line(QStringLiteral("Fisheye:     %1").arg(tag.FisheyeKind()));
    if (!Text(tag.MountType()).isEmpty()) {
        io.Line(QStringLiteral("Mount type:  %1, view mode %2").arg(Text(tag.MountType()), Text(tag.ViewMode())));
    }
    const auto& channels = tag.Channels();
    for (size_t p = 0; p < channels.size(); ++p) {
        const QString name = static_cast<qsizetype>(p) < tag.CameraNames().size()
                                 ? Text(tag.CameraNames().at(static_cast<qsizetype>(p)))
                                 : QStringLiteral("Camera %1").arg(p + 1);
        io.Line(QStringLiteral("Channel %1:   %2").arg(channels[p]).arg(name));
    }
    io.Line(QStringLiteral("Bookmarks:   %1").arg(tag.Bookmarks().size()));
    for (const auto& b : tag.Bookmarks()) {
        io.Line(QStringLiteral("  %1  %2  %3").arg(TimeArgument::FormatLocal(b->GetTime()), b->GetName(), b->GetNotes()));
    }
    return 0;
}

} // namespace

const ToolCommand& EvidenceInfoCommand::Command()
{
    static const ToolCommand command{
        "info",
        "the tag of a .video file as the player reads it",
        "info FILE [--json]",
        R"HELP(Reads the tag of a .video or .partial file (versions 6.0, 6.1, 6.2 and 7.1) as the player
does and prints what it holds: device, cameras, recording time, fisheye mount, bookmarks.
The file is only read.

Options:
  --json   one JSON object, also for a file without a recognised tag ("loaded": false):
           path, version, loaded, deviceType, deviceName, modelName, cameraNames [text],
           channelMask, channels [number], startTime, endTime, afterEnd, number, encrypted,
           flagB, fisheyeKind, leadingText, mountType, viewMode, viewFlag, value1, value2,
           tagStart, loadTimeTagStart, sections [{slot, id, position}],
           bookmarks [{name, time, notes}]; times are epoch seconds.

Exit codes:
  0   a recognised tag was read
  1   the file has no recognised tag
  2   the file cannot be read
  64  a mistake in the command line
)HELP",
        {{QStringLiteral("--json"), {}}},
        &Run,
    };
    return command;
}
