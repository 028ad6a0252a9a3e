#include "events/CCoordinatorPlomeraView.h"

#include "events/ViewerMessageDispatch.h"
#include "events/structMapPoint.h"
#include "logging/HandlerGuard.h"
#include "package/PackageLayout.h"

#include <QObject>

QString CCoordinatorPlomeraView::PackageFileName()
{
    return QString::fromLatin1(PackageLayout::kSingleFileName);
}

CCoordinatorPlomeraView::CCoordinatorPlomeraView(QObject* targetWindow) : target_(targetWindow) {}

CCoordinatorPlomeraView::~CCoordinatorPlomeraView() = default;

void CCoordinatorPlomeraView::OpenLocalFile(const QString& path)
{
    SendViewerMessage<ViewerMessages::OpenLocalFile>(target_, path);
}

void CCoordinatorPlomeraView::RegisterLocalFile(const QString& path)
{
    SendViewerMessage<ViewerMessages::RegisterLocalFile>(target_, path);
}

void CCoordinatorPlomeraView::SeekToTime(qint64 time)
{
    SendViewerMessage<ViewerMessages::SeekToTime>(target_, time);
}

void CCoordinatorPlomeraView::SeekToMapPoint(double latitude, double longitude)
{
    const structMapPoint point{latitude, longitude};
    SendViewerMessage<ViewerMessages::SeekToMapPoint>(target_, point);
}

void CCoordinatorPlomeraView::VisibleRangeChanged(qint64 left, qint64 right)
{
    SendViewerMessage<ViewerMessages::VisibleRangeChanged>(target_, left, right);
}

void CCoordinatorPlomeraView::SetPreserveAspectRatio(bool flag)
{
    SendViewerMessage<ViewerMessages::SetPreserveAspectRatio>(target_, flag);
}

void CCoordinatorPlomeraView::ShowMilliSeconds(bool flag)
{
    SendViewerMessage<ViewerMessages::ShowMilliSeconds>(target_, flag);
}

void CCoordinatorPlomeraView::ShowVideoTime(bool flag)
{
    SendViewerMessage<ViewerMessages::ShowVideoTime>(target_, flag);
}

void CCoordinatorPlomeraView::PlaySelectedVideoFile(const QString& path)
{
    SendViewerMessage<ViewerMessages::PlaySelectedVideoFile>(target_, path);
}

void CCoordinatorPlomeraView::ReleaseVideoFile(const QString& path)
{
    SendViewerMessage<ViewerMessages::ReleaseVideoFile>(target_, path);
}

void CCoordinatorPlomeraView::SelectCamera(Video* video)
{
    SendViewerMessage<ViewerMessages::SelectCamera>(target_, video);
}

void CCoordinatorPlomeraView::SelectAllCameras(bool flag)
{
    SendViewerMessage<ViewerMessages::SelectAllCameras>(target_, flag);
}

void CCoordinatorPlomeraView::SyncAll(bool flag)
{
    SendViewerMessage<ViewerMessages::SyncAll>(target_, flag);
}

void CCoordinatorPlomeraView::OpenVideoPlayer(NavigatorItem* item)
{
    SendViewerMessage<ViewerMessages::OpenVideoPlayer>(target_, item, nullptr);  // no target cell
}

void CCoordinatorPlomeraView::EnableCameraAudio(Video* video)
{
    SendViewerMessage<ViewerMessages::EnableCameraAudio>(target_, video);
}

void CCoordinatorPlomeraView::DisableCameraAudio(Video* video)
{
    SendViewerMessage<ViewerMessages::DisableCameraAudio>(target_, video);
}

void CCoordinatorPlomeraView::CloseAllVideoPlayers()
{
    SendViewerMessage<ViewerMessages::CloseAllVideoPlayersRequest>(target_);
}

bool CCoordinatorPlomeraView::ExtractVideoFile(const QString& tempFolder)
{
    HandlerGuard::Run("ExtractVideoFile", [&] {
        QString target = tempFolder + QLatin1Char('/') + PackageFileName();
        extractionFolder_ = tempFolder;
        const bool extracted = extraction_ && extraction_(*this, target);
        if (extracted && isPackage_ != 0 && target_)
            OpenLocalFile(target);
    });
    return isPackage_ != 0;
}

void CCoordinatorPlomeraView::EditBookmark(BookmarkRecord* bookmark)
{
    SendViewerMessage<ViewerMessages::EditBookmark>(target_, bookmark);
}

void CCoordinatorPlomeraView::DeleteBookmark(BookmarkRecord* bookmark)
{
    SendViewerMessage<ViewerMessages::DeleteBookmark>(target_, bookmark);
}

void CCoordinatorPlomeraView::CopyBookmarkToClipboard(BookmarkRecord* bookmark)
{
    SendViewerMessage<ViewerMessages::CopyBookmarkToClipboard>(target_, bookmark);
}

void CCoordinatorPlomeraView::PrintBookmark(BookmarkRecord* bookmark)
{
    SendViewerMessage<ViewerMessages::PrintBookmark>(target_, bookmark);
}

void CCoordinatorPlomeraView::SeekToBookmark(BookmarkRecord* bookmark)
{
    SendViewerMessage<ViewerMessages::SeekToBookmark>(target_, bookmark);
}

void CCoordinatorPlomeraView::DeleteBookmarks(BookmarkList* bookmarks)
{
    SendViewerMessage<ViewerMessages::DeleteBookmarks>(target_, bookmarks);
}

void CCoordinatorPlomeraView::CopyBookmarksToClipboard(BookmarkList* bookmarks)
{
    SendViewerMessage<ViewerMessages::CopyBookmarksToClipboard>(target_, bookmarks);
}

void CCoordinatorPlomeraView::PrintBookmarks(BookmarkList* bookmarks)
{
    SendViewerMessage<ViewerMessages::PrintBookmarks>(target_, bookmarks);
}

void CCoordinatorPlomeraView::SaveBookmarks()
{
    SendViewerMessage<ViewerMessages::SaveBookmarks>(target_);
}

void CCoordinatorPlomeraView::SnapshotSelectedTile()
{
    SendViewerMessage<ViewerMessages::SnapshotSelectedTile>(target_);
}

void CCoordinatorPlomeraView::CopySnapshotToClipboard()
{
    SendViewerMessage<ViewerMessages::CopySnapshotToClipboard>(target_);
}

void CCoordinatorPlomeraView::AddBookmarkAtTime(qint64 time)
{
    SendViewerMessage<ViewerMessages::AddBookmark>(target_, time);
}

void CCoordinatorPlomeraView::MetadataHover(QObject* tooltipWindow, const QPoint& point)
{
    SendViewerMessage<ViewerMessages::MetadataHover>(target_, tooltipWindow, point);
}

void CCoordinatorPlomeraView::SeekToCursorTime()
{
    SendViewerMessage<ViewerMessages::SeekToCursorTime>(target_);
}

void CCoordinatorPlomeraView::MetadataPaneSized()
{
    SendViewerMessage<ViewerMessages::MetadataPaneSized>(target_);
}

void CCoordinatorPlomeraView::DisplayMetadataSettings()
{
    SendViewerMessage<ViewerMessages::DisplayMetadataSettings>(target_);
}

void CCoordinatorPlomeraView::RestoreViewerWhenMaximized()
{
    SendViewerMessage<ViewerMessages::RestoreViewerWhenMaximized>(target_);
}

void CCoordinatorPlomeraView::CreateSingleEvidenceFile(const QString& tempFolder)
{
    if (evidenceWriter_)
        evidenceWriter_(*this, tempFolder);
}

void CCoordinatorPlomeraView::UpdateDeviceLevelAudio(bool channel1, bool channel2)
{
    SendViewerMessage<ViewerMessages::UpdateDeviceLevelAudio>(target_, channel1, channel2);
}

void CCoordinatorPlomeraView::ShowMetadataChart(bool flag)
{
    SendViewerMessage<ViewerMessages::ShowMetadataChart>(target_, flag);
}

void CCoordinatorPlomeraView::MapViewToggled(bool flag)
{
    SendViewerMessage<ViewerMessages::MapViewToggled>(target_, flag);
}

void CCoordinatorPlomeraView::SetTempFolder(const QString& path)
{
    SendViewerMessage<ViewerMessages::SetTempFolder>(target_, path);
}

void CCoordinatorPlomeraView::StartupComplete()
{
    SendViewerMessage<ViewerMessages::StartupComplete>(target_);
}

void CCoordinatorPlomeraView::FramePlacementChanged(int showCommand)
{
    SendViewerMessage<ViewerMessages::FramePlacementChanged>(target_, showCommand);
}

void CCoordinatorPlomeraView::OpenDewarpView(Video* video, const QString& viewText)
{
    SendViewerMessage<ViewerMessages::OpenDewarpView>(target_, video, viewText);
}

void CCoordinatorPlomeraView::ShowWatermark(Video* video)
{
    SendViewerMessage<ViewerMessages::ShowWatermark>(target_, video);
}
