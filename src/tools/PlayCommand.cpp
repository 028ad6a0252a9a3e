#include "tools/PlayCommand.h"

#include "driver/FrameSurface.h"
#include "driver/VdlLibrary.h"
#include "evidence/FalException.h"
#include "facade/FalFacade.h"
#include "tools/CommandLineText.h"

#include <QFileInfo>
#include <QImage>
#include <memory>
#include <optional>
#include <vector>

namespace {

constexpr int kFirstFrameMillis = 10000;

const char* const kUsage =
    "usage: plomera-evidence play FILE [--seek \"YYYY-MM-DD HH:MM:SS\"] [--snapshot OUT.png] [--library PATH]";

QString Format(const CalendarFields& t)
{
    return QString::asprintf("%04d-%02d-%02d %02d:%02d:%02d.%03d", t.year, t.month, t.day, t.hour, t.minute, t.second,
                             t.millisecond);
}

int Usage(const QString& problem = {})
{
    if (!problem.isEmpty()) {
        CommandLineText::Err(QStringLiteral("play: ") + problem);
    }
    CommandLineText::Err(QString::fromLatin1(kUsage));
    return 2;
}

} // namespace

int PlayCommand::Run(const QStringList& args)
{
    QString path;
    QString snapshotPath;
    std::optional<qint64> seekTime;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == QLatin1String("--seek")) {
            if (!hasValue || !(seekTime = CommandLineText::ParseTime(args[++i]))) {
                return Usage(QStringLiteral("--seek needs a time \"YYYY-MM-DD HH:MM:SS\""));
            }
        } else if (a == QLatin1String("--snapshot")) {
            if (!hasValue) {
                return Usage(QStringLiteral("--snapshot needs a file name"));
            }
            snapshotPath = args[++i];
        } else if (a == QLatin1String("--library")) {
            if (!hasValue) {
                return Usage(QStringLiteral("--library needs a path"));
            }
            VdlLibrary::SetLibraryPath(args[++i]);
        } else if (a.startsWith(QLatin1String("--")) || !path.isEmpty()) {
            return Usage(QStringLiteral("unexpected argument ") + a);
        } else {
            path = a;
        }
    }
    if (path.isEmpty()) {
        return Usage();
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
            CommandLineText::Err(QStringLiteral("play: %1 holds no videos").arg(path));
            return 1;
        }
        for (const auto& video : videos) {
            surfaces.push_back(std::make_unique<FrameSurface>());
            video->renderWindow = surfaces.back()->Handle();
            list.push_back(video.get());
        }
        CommandLineText::Out(QStringLiteral("file: %1").arg(path));
        CommandLineText::Out(QStringLiteral("cameras: %1").arg(videos.size()));
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
        CommandLineText::Out(QStringLiteral("camera: %1").arg(first->GetCamera()->GetName()));
        CommandLineText::Out(QStringLiteral("frame: %1").arg(Format(facade.GetVideoTime(first))));
        CommandLineText::Out(QStringLiteral("played: %1 s").arg(facade.GetPlayedTime(first)));
        if (!snapshotPath.isEmpty()) {
            const QImage picture = facade.SaveSnapshot(first);
            if (picture.isNull() || !picture.save(snapshotPath, "PNG")) {
                throw FalException(QStringLiteral("Could not write the snapshot %1").arg(snapshotPath));
            }
            CommandLineText::Out(
                QStringLiteral("snapshot: %1 (%2x%3)").arg(snapshotPath).arg(picture.width()).arg(picture.height()));
        }
    } catch (const FalException& e) {
        CommandLineText::Err(QStringLiteral("play: ") + e.Message());
        status = 1;
    }
    try {
        if (!list.empty()) {
            facade.StopVideos(&list);
        }
    } catch (const FalException& e) {
        CommandLineText::Err(QStringLiteral("play: ") + e.Message());
        status = 1;
    }
    return status;
}
