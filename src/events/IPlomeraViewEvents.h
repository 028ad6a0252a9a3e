#pragma once

#include "evidence/VideoFile.h"

#include <QPoint>
#include <QString>
#include <QtGlobal>

class BookmarkRecord;
class QObject;
class Video;
struct NavigatorItem;

// The application-wide channel from the panes to the viewer. Every event but ExtractVideoFile
// and CreateSingleEvidenceFile becomes one synchronous message to the viewer; the slot order is
// fixed. Times are the 64-bit seconds of the evidence layer; objects stay owned by the raiser.
class IPlomeraViewEvents {
public:
    virtual ~IPlomeraViewEvents() = default;

    virtual void OpenLocalFile(const QString& path) = 0;
    virtual void RegisterLocalFile(const QString& path) = 0;
    virtual void SeekToTime(qint64 time) = 0;
    virtual void SeekToMapPoint(double latitude, double longitude) = 0;
    virtual void VisibleRangeChanged(qint64 left, qint64 right) = 0;
    virtual void SetPreserveAspectRatio(bool flag) = 0;
    virtual void ShowMilliSeconds(bool flag) = 0;
    virtual void ShowVideoTime(bool flag) = 0;
    virtual void PlaySelectedVideoFile(const QString& path) = 0;
    virtual void ReleaseVideoFile(const QString& path) = 0;
    virtual void SelectCamera(Video* video) = 0;
    virtual void SelectAllCameras(bool flag) = 0;
    virtual void SyncAll(bool flag) = 0;
    virtual void OpenVideoPlayer(NavigatorItem* item) = 0;
    virtual void EnableCameraAudio(Video* video) = 0;
    virtual void DisableCameraAudio(Video* video) = 0;
    virtual void CloseAllVideoPlayers() = 0;
    // Extracts the evidence a package carries into the folder; true when the running program
    // is a package, whether or not extraction succeeded.
    virtual bool ExtractVideoFile(const QString& tempFolder) = 0;
    virtual void EditBookmark(BookmarkRecord* bookmark) = 0;
    virtual void DeleteBookmark(BookmarkRecord* bookmark) = 0;
    virtual void CopyBookmarkToClipboard(BookmarkRecord* bookmark) = 0;
    virtual void PrintBookmark(BookmarkRecord* bookmark) = 0;
    virtual void SeekToBookmark(BookmarkRecord* bookmark) = 0;
    virtual void DeleteBookmarks(BookmarkList* bookmarks) = 0;
    virtual void CopyBookmarksToClipboard(BookmarkList* bookmarks) = 0;
    virtual void PrintBookmarks(BookmarkList* bookmarks) = 0;
    virtual void SaveBookmarks() = 0;
    // The selected tile's frame as a composed snapshot: into the snapshot folder, or onto the
    // clipboard.
    virtual void SnapshotSelectedTile() = 0;
    virtual void CopySnapshotToClipboard() = 0;
    virtual void AddBookmarkAtTime(qint64 time) = 0;
    // tooltipWindow is null when the pointer left the metadata pane.
    virtual void MetadataHover(QObject* tooltipWindow, const QPoint& point) = 0;
    virtual void SeekToCursorTime() = 0;
    virtual void MetadataPaneSized() = 0;
    virtual void DisplayMetadataSettings() = 0;
    virtual void RestoreViewerWhenMaximized() = 0;
    // Writes a new package carrying the files as they now are.
    virtual void CreateSingleEvidenceFile(const QString& tempFolder) = 0;
    virtual void UpdateDeviceLevelAudio(bool channel1, bool channel2) = 0;
    virtual void ShowMetadataChart(bool flag) = 0;
    virtual void MapViewToggled(bool flag) = 0;
    virtual void SetTempFolder(const QString& path) = 0;
    virtual void StartupComplete() = 0;
    // showCommand: 2 minimised, 3 maximised.
    virtual void FramePlacementChanged(int showCommand) = 0;
    virtual void OpenDewarpView(Video* video, const QString& viewText) = 0;
    virtual void ShowWatermark(Video* video) = 0;
};
