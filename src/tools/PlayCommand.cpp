#include "tools/PlayCommand.h"

#include "driver/FrameSurface.h"
#include "driver/VdlLibrary.h"
#include "evidence/FalException.h"
#include "facade/FalFacade.h"
#include "tools/CommandOutput.h"
#include "tools/TimeArgument.h"
#include "tools/ToolCommand.h"

#include <QFileInfo>
#include <QImage>
#include <QJsonObject>
#include <memory>
#include <optional>
#include <vector>

namespace {

constexpr int kFirstFrameMillis = 10000;

const QString kSeek = QStringLiteral("--seek");
const QString kSnapshot = QStringLiteral("--snapshot");
const QString kLibrary = QStringLiteral("--library");
const QString kJson = QStringLiteral("--json");

QString Format(const VDL_Clock& t)
{
    return QString::asprintf("%04d-%02d-%02d %02d:%02d:%02d.%03d", t.year, t.month, t.day, t.hour, t.minute, t.second, t.ms);
}

int Run(const CommandArguments& args, CommandOutput& io)
{
    args.ExpectPositional(1, 1, QStringLiteral("FILE"));
    const QString path = args.Positional().first();
    const std::optional<qint64> seekTime = args.Time(kSeek);
    const QString snapshotPath = args.Value(kSnapshot);
    const bool json = args.Has(kJson);
    if (args.Has(kSnapshot) && snapshotPath.isEmpty()) {
        throw UsageError(QStringLiteral("option '--snapshot' needs a file name"));
    }
    if (args.Has(kLibrary)) {
        VdlLibrary::SetLibraryPath(args.Value(kLibrary));
    }

    // The surfaces outlive the facade, so no port can still be presenting into one that is gone.
    std::vector<std::unique_ptr<FrameSurface>> surfaces;
    FalFacade facade;
    FalFacade::OwnedVideos videos;
    VideoList list;
    int status = 0;
    try {
        videos = facade.OpenVideoFile(path, QFileInfo(path).absolutePath());
        if (videos.empty()) {
            io.Message(QStringLiteral("%1 holds no videos").arg(path));
            return 1;
        }
        for (const auto& video : videos) {
            surfaces.push_back(std::make_unique<FrameSurface>());
            video->renderWindow = surfaces.back()->Handle();
            list.push_back(video.get());
        }
        facade.PlayVideos(&list);
        Video* first = list.front();
        if (!surfaces.front()->WaitForPresented(1, kFirstFrameMillis)) {
            throw FalException(QStringLiteral("No picture arrived from %1").arg(first->GetCamera()->GetName()));
        }
        // A still picture: pause first, so the seek lands on the frame that is then shown.
        facade.PauseVideo(first);
        if (seekTime) {
            facade.SeekVideo(first, *seekTime);
        }
        // The picture and the description of the same frame, taken together.
        const SnapshotFrame shown = facade.GetSnapshotAndFrame(first);
        const QImage& picture = shown.image;
        if (!snapshotPath.isEmpty() && (picture.isNull() || !picture.save(snapshotPath, "PNG"))) {
            throw FalException(QStringLiteral("Could not write the snapshot %1").arg(snapshotPath));
        }
        if (json) {
            QJsonObject o{{QStringLiteral("path"), path},
                          {QStringLiteral("cameras"), static_cast<qint64>(videos.size())},
                          {QStringLiteral("camera"), first->GetCamera()->GetName()},
                          {QStringLiteral("frameIndex"), static_cast<qint64>(shown.frame.frameIndex)},
                          {QStringLiteral("playedMillis"), static_cast<qint64>(shown.frame.playedMillis)},
                          {QStringLiteral("wallClockMillis"), static_cast<qint64>(shown.frame.wallClockMillis)},
                          {QStringLiteral("frameTime"), Format(shown.frame.clock)},
                          {QStringLiteral("snapshot"), QJsonValue::Null}};
            if (!snapshotPath.isEmpty()) {
                o[QStringLiteral("snapshot")] = QJsonObject{{QStringLiteral("path"), snapshotPath},
                                                            {QStringLiteral("width"), picture.width()},
                                                            {QStringLiteral("height"), picture.height()}};
            }
            io.Json(o);
        } else {
            io.Line(QStringLiteral("file: %1").arg(path));
            io.Line(QStringLiteral("cameras: %1").arg(videos.size()));
            io.Line(QStringLiteral("camera: %1").arg(first->GetCamera()->GetName()));
            io.Line(QStringLiteral("frame: %1").arg(Format(shown.frame.clock)));
            io.Line(QStringLiteral("index: %1").arg(shown.frame.frameIndex));
            io.Line(QStringLiteral("played: %1 s").arg(shown.frame.playedMillis / 1000));
            if (!snapshotPath.isEmpty()) {
                io.Line(QStringLiteral("snapshot: %1 (%2x%3)").arg(snapshotPath).arg(picture.width()).arg(picture.height()));
            }
        }
    } catch (const FalException& e) {
        io.Message(e.Message());
        status = 1;
    }
    try {
        if (!list.empty()) {
            facade.StopVideos(&list);
        }
    } catch (const FalException& e) {
        io.Message(e.Message());
        status = 1;
    }
    return status;
}

} // namespace

const ToolCommand& PlayCommand::Command()
{
    static const ToolCommand command{
        "play",
        "play a file's cameras without a window and report (or save) the frame reached",
        "play FILE [--seek TIME] [--snapshot OUT.png] [--library PATH] [--json]",
        R"HELP(Opens FILE through the player's own facade and decoding library, plays all its cameras into
surfaces without a window until the first picture arrives, pauses the first camera and, with
--seek, moves it to a time. Then it reports the frame on screen. The file is only read.

Options:
  --seek TIME          the wall-clock time to show (the frame that was on screen then)
  --snapshot OUT.png   write the picture on screen, as the player's snapshot takes it
  --library PATH       the decoding library libvdl.so to use (default: the one found in
                       $CODECINTERFACE, beside this tool, in lib/plomera/ of the prefix this
                       tool is installed in, or in the build)
  --json               one JSON object instead of the lines: {"path", "cameras", "camera",
                       "frameIndex", "playedMillis", "wallClockMillis" (epoch ms),
                       "frameTime" (local "YYYY-MM-DD HH:MM:SS.mmm"),
                       "snapshot": {"path", "width", "height"} or null}

)HELP" PLOMERA_TIME_FORMS_HELP R"HELP(

Exit codes:
  0   the frame was reached (and written)
  1   the file cannot be opened or played, or the snapshot cannot be written
  64  a mistake in the command line
)HELP",
        {{kSeek, QStringLiteral("TIME")},
         {kSnapshot, QStringLiteral("OUT.png")},
         {kLibrary, QStringLiteral("PATH")},
         {kJson, {}}},
        &Run,
    };
    return command;
}
