#include "events/CCoordinatorPlomeraView.h"

#include "events/ViewerMessageEvent.h"
#include "events/ViewerMessages.h"
#include "events/structMapPoint.h"
#include "logging/Logger.h"
#include "package/PackageLayout.h"

#include <QObject>
#include <exception>

namespace {

quintptr Address(const void* address)
{
    return ViewerMessageEvent::AddressParam(address);
}

quintptr Flag(bool flag)
{
    return ViewerMessageEvent::FlagParam(flag);
}

void LogFailure(const char* operation, const QString& reason)
{
    const QString text = QStringLiteral("Error in %1 : %2").arg(QLatin1String(operation), reason.left(255));
    Logger::GetInstance()->Error(text);
}

}  // namespace

QString CCoordinatorPlomeraView::PackageFileName()
{
    return QString::fromLatin1(PackageLayout::kSingleFileName);
}

CCoordinatorPlomeraView::CCoordinatorPlomeraView(QObject* targetWindow) : target_(targetWindow) {}

CCoordinatorPlomeraView::~CCoordinatorPlomeraView() = default;

void CCoordinatorPlomeraView::Send(int message, quintptr wParam, quintptr lParam)
{
    ViewerMessageEvent::Send(target_, message, wParam, lParam);
}

void CCoordinatorPlomeraView::SendText(int message, const QString& text)
{
    const QString copy = text;  // held by the coordinator for the duration of the send
    Send(message, Address(&copy));
}

void CCoordinatorPlomeraView::SendTime(int message, qint64 time)
{
    const qint64 copy = time;
    Send(message, Address(&copy));
}

void CCoordinatorPlomeraView::OpenLocalFile(const QString& path)
{
    SendText(ViewerMessages::OpenLocalFile, path);
}

void CCoordinatorPlomeraView::RegisterLocalFile(const QString& path)
{
    SendText(ViewerMessages::RegisterLocalFile, path);
}

void CCoordinatorPlomeraView::SeekToTime(qint64 time)
{
    SendTime(ViewerMessages::SeekToTime, time);
}

void CCoordinatorPlomeraView::SeekToMapPoint(double latitude, double longitude)
{
    const structMapPoint point{latitude, longitude};
    Send(ViewerMessages::SeekToMapPoint, Address(&point));
}

void CCoordinatorPlomeraView::VisibleRangeChanged(qint64 left, qint64 right)
{
    const qint64 leftCopy = left;
    const qint64 rightCopy = right;
    Send(ViewerMessages::VisibleRangeChanged, Address(&leftCopy), Address(&rightCopy));
}

void CCoordinatorPlomeraView::SetPreserveAspectRatio(bool flag)
{
    Send(ViewerMessages::SetPreserveAspectRatio, Flag(flag));
}

void CCoordinatorPlomeraView::ShowMilliSeconds(bool flag)
{
    Send(ViewerMessages::ShowMilliSeconds, Flag(flag));
}

void CCoordinatorPlomeraView::ShowVideoTime(bool flag)
{
    Send(ViewerMessages::ShowVideoTime, Flag(flag));
}

void CCoordinatorPlomeraView::PlaySelectedVideoFile(const QString& path)
{
    SendText(ViewerMessages::PlaySelectedVideoFile, path);
}

void CCoordinatorPlomeraView::ReleaseVideoFile(const QString& path)
{
    SendText(ViewerMessages::ReleaseVideoFile, path);
}

void CCoordinatorPlomeraView::SelectCamera(Video* video)
{
    Send(ViewerMessages::SelectCamera, Address(video));
}

void CCoordinatorPlomeraView::SelectAllCameras(bool flag)
{
    Send(ViewerMessages::SelectAllCameras, Flag(flag));
}

void CCoordinatorPlomeraView::SyncAll(bool flag)
{
    Send(ViewerMessages::SyncAll, Flag(flag));
}

void CCoordinatorPlomeraView::OpenVideoPlayer(NavigatorItem* item)
{
    Send(ViewerMessages::OpenVideoPlayer, Address(item), 0);  // no target cell
}

void CCoordinatorPlomeraView::EnableCameraAudio(Video* video)
{
    Send(ViewerMessages::EnableCameraAudio, Address(video));
}

void CCoordinatorPlomeraView::DisableCameraAudio(Video* video)
{
    Send(ViewerMessages::DisableCameraAudio, Address(video));
}

void CCoordinatorPlomeraView::CloseAllVideoPlayers()
{
    Send(ViewerMessages::CloseAllVideoPlayersRequest);
}

bool CCoordinatorPlomeraView::ExtractVideoFile(const QString& tempFolder)
{
    try {
        QString target = tempFolder + QLatin1Char('/') + PackageFileName();
        extractionFolder_ = tempFolder;
        const bool extracted = extraction_ && extraction_(*this, target);
        if (extracted && isPackage_ != 0 && target_)
            OpenLocalFile(target);
    } catch (const std::exception& error) {
        LogFailure("ExtractVideoFile", QString::fromUtf8(error.what()));
    } catch (...) {
        LogFailure("ExtractVideoFile", QStringLiteral("unknown error"));
    }
    return isPackage_ != 0;
}

void CCoordinatorPlomeraView::EditBookmark(BookmarkRecord* bookmark)
{
    Send(ViewerMessages::EditBookmark, Address(bookmark));
}

void CCoordinatorPlomeraView::DeleteBookmark(BookmarkRecord* bookmark)
{
    Send(ViewerMessages::DeleteBookmark, Address(bookmark));
}

void CCoordinatorPlomeraView::CopyBookmarkToClipboard(BookmarkRecord* bookmark)
{
    Send(ViewerMessages::CopyBookmarkToClipboard, Address(bookmark));
}

void CCoordinatorPlomeraView::PrintBookmark(BookmarkRecord* bookmark)
{
    Send(ViewerMessages::PrintBookmark, Address(bookmark));
}

void CCoordinatorPlomeraView::SeekToBookmark(BookmarkRecord* bookmark)
{
    Send(ViewerMessages::SeekToBookmark, Address(bookmark));
}

void CCoordinatorPlomeraView::DeleteBookmarks(BookmarkList* bookmarks)
{
    Send(ViewerMessages::DeleteBookmarks, Address(bookmarks));
}

void CCoordinatorPlomeraView::CopyBookmarksToClipboard(BookmarkList* bookmarks)
{
    Send(ViewerMessages::CopyBookmarksToClipboard, Address(bookmarks));
}

void CCoordinatorPlomeraView::PrintBookmarks(BookmarkList* bookmarks)
{
    Send(ViewerMessages::PrintBookmarks, Address(bookmarks));
}

void CCoordinatorPlomeraView::SaveBookmarks()
{
    Send(ViewerMessages::SaveBookmarks);
}

void CCoordinatorPlomeraView::AddBookmarkAtTime(qint64 time)
{
    SendTime(ViewerMessages::AddBookmark, time);
}

void CCoordinatorPlomeraView::MetadataHover(QObject* tooltipWindow, const QPoint& point)
{
    QObject* const window = tooltipWindow;
    const QPoint pointCopy = point;
    Send(ViewerMessages::MetadataHover, Address(&window), Address(&pointCopy));
}

void CCoordinatorPlomeraView::SeekToCursorTime()
{
    Send(ViewerMessages::SeekToCursorTime);
}

void CCoordinatorPlomeraView::MetadataPaneSized()
{
    Send(ViewerMessages::MetadataPaneSized);
}

void CCoordinatorPlomeraView::DisplayMetadataSettings()
{
    Send(ViewerMessages::DisplayMetadataSettings);
}

void CCoordinatorPlomeraView::RestoreViewerWhenMaximized()
{
    Send(ViewerMessages::RestoreViewerWhenMaximized);
}

void CCoordinatorPlomeraView::CreateSingleEvidenceFile(const QString& tempFolder)
{
    if (evidenceWriter_)
        evidenceWriter_(*this, tempFolder);
}

void CCoordinatorPlomeraView::UpdateDeviceLevelAudio(bool channel1, bool channel2)
{
    Send(ViewerMessages::UpdateDeviceLevelAudio, Flag(channel1), Flag(channel2));
}

void CCoordinatorPlomeraView::ShowMetadataChart(bool flag)
{
    Send(ViewerMessages::ShowMetadataChart, Flag(flag));
}

void CCoordinatorPlomeraView::MapViewToggled(bool flag)
{
    Send(ViewerMessages::MapViewToggled, Flag(flag));
}

void CCoordinatorPlomeraView::SetTempFolder(const QString& path)
{
    SendText(ViewerMessages::SetTempFolder, path);
}

void CCoordinatorPlomeraView::StartupComplete()
{
    Send(ViewerMessages::StartupComplete);
}

void CCoordinatorPlomeraView::FramePlacementChanged(int showCommand)
{
    Send(ViewerMessages::FramePlacementChanged, static_cast<quintptr>(showCommand));
}

void CCoordinatorPlomeraView::OpenDewarpView(Video* video, const QString& viewText)
{
    const QString copy = viewText;
    Send(ViewerMessages::OpenDewarpView, Address(video), Address(&copy));
}

void CCoordinatorPlomeraView::ShowWatermark(Video* video)
{
    Send(ViewerMessages::ShowWatermark, Address(video));
}
