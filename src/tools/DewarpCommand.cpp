#include "tools/DewarpCommand.h"

#include "driver/DewarpLayouts.h"
#include "driver/FrameSurface.h"
#include "driver/VdlLibrary.h"
#include "evidence/Camera.h"
#include "evidence/FalException.h"
#include "evidence/VideoFile.h"
#include "evidence/WideText.h"
#include "facade/FalFacade.h"
#include "tools/CommandOutput.h"
#include "tools/TimeArgument.h"
#include "tools/ToolCommand.h"

#include <QFileInfo>
#include <QImage>
#include <QJsonObject>
#include <QSize>
#include <memory>
#include <numbers>
#include <optional>
#include <vector>

namespace {

constexpr int kFirstFrameMillis = 10000;
constexpr int kLargestSide = 8192;

const QString kMode = QStringLiteral("--mode");
const QString kPos = QStringLiteral("--pos");
const QString kZoom = QStringLiteral("--zoom");
const QString kOffset = QStringLiteral("--offset");
const QString kSize = QStringLiteral("--size");
const QString kSeek = QStringLiteral("--seek");
const QString kOut = QStringLiteral("--out");
const QString kLibrary = QStringLiteral("--library");
const QString kJson = QStringLiteral("--json");

struct ModeEntry {
    const char* name;
    int32_t mode;
};
constexpr ModeEntry kModes[] = {{"fisheye", DewarpLayouts::kFisheye},
                               {"ptz", DewarpLayouts::kPtz},
                               {"180", DewarpLayouts::kPanorama180},
                               {"360", DewarpLayouts::kPanorama360},
                               {"wall", DewarpLayouts::kWallView}};

int32_t ModeOf(const QString& text)
{
    for (const ModeEntry& m : kModes) {
        if (text == QLatin1String(m.name)) {
            return m.mode;
        }
    }
    throw UsageError(QStringLiteral("unknown mode '%1' (fisheye, ptz, 180, 360 or wall)").arg(text));
}

// "X,Y" as fractions of the frame, each in [0, 1].
std::pair<float, float> PositionOf(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char(','));
    bool okX = false;
    bool okY = false;
    const double x = parts.size() == 2 ? parts[0].trimmed().toDouble(&okX) : 0.0;
    const double y = parts.size() == 2 ? parts[1].trimmed().toDouble(&okY) : 0.0;
    if (!okX || !okY || x < 0.0 || x > 1.0 || y < 0.0 || y > 1.0) {
        throw UsageError(QStringLiteral("'--pos' needs X,Y as fractions of the frame between 0 and 1, not '%1'").arg(text));
    }
    return {static_cast<float>(x), static_cast<float>(y)};
}

QSize SizeOf(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char('x'));
    bool okW = false;
    bool okH = false;
    const int w = parts.size() == 2 ? parts[0].toInt(&okW) : 0;
    const int h = parts.size() == 2 ? parts[1].toInt(&okH) : 0;
    if (!okW || !okH || w < 16 || h < 16 || w > kLargestSide || h > kLargestSide) {
        throw UsageError(QStringLiteral("'--size' needs WxH between 16 and %1 pixels a side, not '%2'").arg(kLargestSide).arg(text));
    }
    return {w, h};
}

// What the command line asks of the view; checked whole before the file is opened.
struct Request {
    DewarpLayouts::View setting;
    QSize size;
};

Request RequestOf(const CommandArguments& args)
{
    Request r;
    r.setting.mode = ModeOf(args.Required(kMode));
    const bool ptz = r.setting.mode == DewarpLayouts::kPtz;
    const bool band = r.setting.mode == DewarpLayouts::kPanorama180 || r.setting.mode == DewarpLayouts::kPanorama360;
    if ((args.Has(kPos) || args.Has(kZoom)) && !ptz) {
        throw UsageError(QStringLiteral("'--pos' and '--zoom' steer a PTZ view: use them with '--mode ptz'"));
    }
    if (args.Has(kOffset) && !band) {
        throw UsageError(QStringLiteral("'--offset' turns a panorama: use it with '--mode 180' or '--mode 360'"));
    }
    if (args.Has(kPos)) {
        const auto [x, y] = PositionOf(args.Value(kPos));
        r.setting.updateKind |= VDL_DEWARP_UPDATE_POSITION;
        r.setting.x = x;
        r.setting.y = y;
    }
    if (const std::optional<double> zoom = args.Number(kZoom, 0.0, 1.0)) {
        r.setting.updateKind |= VDL_DEWARP_UPDATE_ZOOM;
        r.setting.zoom = static_cast<float>(*zoom);
    }
    if (const std::optional<double> offset = args.Number(kOffset, -2.0 * std::numbers::pi, 2.0 * std::numbers::pi)) {
        r.setting.updateKind |= VDL_DEWARP_UPDATE_OFFSET;
        r.setting.offset = static_cast<float>(*offset);
    }
    if (args.Has(kSize)) {
        r.size = SizeOf(args.Value(kSize));
    }
    return r;
}

QString ModeName(int32_t mode)
{
    for (const ModeEntry& m : kModes) {
        if (m.mode == mode) {
            return QLatin1String(m.name);
        }
    }
    return {};
}

int Run(const CommandArguments& args, CommandOutput& io)
{
    args.ExpectPositional(1, 1, QStringLiteral("FILE"));
    const QString path = args.Positional().first();
    const QString out = args.Required(kOut);
    const Request request = RequestOf(args);
    const std::optional<qint64> seekTime = args.Time(kSeek);
    if (args.Has(kLibrary)) {
        VdlLibrary::SetLibraryPath(args.Value(kLibrary));
    }

    // The surfaces outlive the facade, so no port or view can still be presenting into one that is gone.
    FrameSurface cameraSurface;
    FrameSurface viewSurface;
    FalFacade facade;
    FalFacade::OwnedVideos videos;
    std::unique_ptr<Video> view;
    VideoList list;
    int status = 0;
    try {
        videos = facade.OpenVideoFile(path, QFileInfo(path).absolutePath());
        Video* fisheye = nullptr;
        for (const auto& video : videos) {
            const VideoFile* file = video->GetVideoFile();
            if (file != nullptr && (file->fisheyeFullDewarp || file->fisheyeSecondKind)) {
                fisheye = video.get();
                break;
            }
        }
        if (fisheye == nullptr) {
            io.Message(QStringLiteral("%1 holds no fisheye camera").arg(path));
            return 1;
        }
        fisheye->renderWindow = cameraSurface.Handle();
        list.push_back(fisheye);
        facade.PlayVideo(fisheye);
        if (!cameraSurface.WaitForPresented(1, kFirstFrameMillis)) {
            throw FalException(QStringLiteral("No picture arrived from %1").arg(fisheye->GetCamera()->GetName()));
        }
        // A still picture: pause first, so the seek lands on the frame the view then shows.
        facade.PauseVideo(fisheye);
        if (seekTime) {
            facade.SeekVideo(fisheye, *seekTime);
        }
        view = std::make_unique<Video>(std::make_unique<Camera>(fisheye->GetCamera()->GetDevice(),
                                                                fisheye->GetCamera()->GetChannel()));
        view->rootCamera = fisheye;
        view->playbackState = fisheye->playbackState;
        view->renderWindow = viewSurface.Handle();
        facade.DewarpShowView(view.get(), request.setting, request.size);
        // A paused port renders the frame it shows into a new view at once.
        if (!viewSurface.WaitForPresented(1, kFirstFrameMillis)) {
            throw FalException(QStringLiteral("No dewarped picture arrived from %1").arg(fisheye->GetCamera()->GetName()));
        }
        const QImage picture = viewSurface.LastImage();
        if (picture.isNull() || !picture.save(out, "PNG")) {
            throw FalException(QStringLiteral("Could not write the picture %1").arg(out));
        }
        const qint64 frameIndex = viewSurface.LastFrameIndex();
        const QString mount = WideText::UpToNul(fisheye->GetVideoFile()->mountType);
        if (args.Has(kJson)) {
            io.Json(QJsonObject{{QStringLiteral("path"), path},
                                {QStringLiteral("camera"), fisheye->GetCamera()->GetName()},
                                {QStringLiteral("mount"), mount},
                                {QStringLiteral("mode"), ModeName(request.setting.mode)},
                                {QStringLiteral("frameIndex"), frameIndex},
                                {QStringLiteral("wallClockMillis"), static_cast<qint64>(viewSurface.LastWallClockMillis())},
                                {QStringLiteral("out"), QJsonObject{{QStringLiteral("path"), out},
                                                                    {QStringLiteral("width"), picture.width()},
                                                                    {QStringLiteral("height"), picture.height()}}}});
        } else {
            io.Line(QStringLiteral("file: %1").arg(path));
            io.Line(QStringLiteral("camera: %1 (%2 mount)").arg(fisheye->GetCamera()->GetName(), mount.isEmpty() ? QStringLiteral("no") : mount));
            io.Line(QStringLiteral("mode: %1").arg(ModeName(request.setting.mode)));
            io.Line(QStringLiteral("index: %1").arg(frameIndex));
            io.Line(QStringLiteral("picture: %1 (%2x%3)").arg(out).arg(picture.width()).arg(picture.height()));
        }
    } catch (const FalException& e) {
        io.Message(e.Message());
        status = 1;
    }
    // The view goes before its camera's port: the port is released once, the views first.
    if (view && view->dewarpPort != 0) {
        try {
            facade.CloseDewarpView(view.get());
            facade.DewarpClose(view.get());
        } catch (const FalException& e) {
            io.Message(e.Message());
            status = 1;
        }
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

const ToolCommand& DewarpCommand::Command()
{
    static const ToolCommand command{
        "dewarp",
        "render one dewarp view of a fisheye camera into a picture",
        "dewarp FILE --mode fisheye|ptz|180|360|wall [--pos X,Y] [--zoom Z] [--offset O] [--size WxH] [--seek TIME] --out PNG [--json]",
        R"HELP(Opens FILE through the player's own facade and decoding library, plays its fisheye camera
without a window until the first picture arrives, pauses it (at TIME with --seek), opens one
dewarp view on the placement of the camera's mount type (Wall, Desktop, Ceiling; any other:
Ceiling) and writes the view's picture. The file is only read.

Options:
  --mode MODE          fisheye (the circle), ptz (a rectilinear view), 180 or 360 (panoramas),
                       wall (the wall's cylinder)
  --pos X,Y            ptz: the point looked at, as fractions of the frame (0..1 each)
  --zoom Z             ptz: 0 (120 degrees across) to 1 (20 degrees across)
  --offset O           180, 360: turns the panorama by O radians (-6.28..6.28)
  --size WxH           the view's size in pixels (default: the library's for the mode)
  --seek TIME          the wall-clock time to show (the frame that was on screen then)
  --out PNG            the picture to write
  --library PATH       the decoding library libvdl.so to use
  --json               one JSON object: {"path", "camera", "mount", "mode", "frameIndex",
                       "wallClockMillis", "out": {"path", "width", "height"}}

)HELP" PLOMERA_TIME_FORMS_HELP R"HELP(

Exit codes:
  0   the picture was written
  1   the file cannot be played, holds no fisheye camera, or the picture cannot be written
  64  a mistake in the command line
)HELP",
        {{kMode, QStringLiteral("MODE")},
         {kPos, QStringLiteral("X,Y")},
         {kZoom, QStringLiteral("Z")},
         {kOffset, QStringLiteral("O")},
         {kSize, QStringLiteral("WxH")},
         {kSeek, QStringLiteral("TIME")},
         {kOut, QStringLiteral("PNG")},
         {kLibrary, QStringLiteral("PATH")},
         {kJson, {}}},
        &Run,
    };
    return command;
}
