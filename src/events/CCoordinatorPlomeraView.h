#pragma once

#include "events/IPlomeraViewEvents.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <functional>

class QObject;

// The application-wide channel: every event becomes one synchronous message to the viewer,
// except the two package operations, which run inside this object and keep their state here.
// Created by the main view at start-up and owned by it.
class CCoordinatorPlomeraView : public IPlomeraViewEvents {
public:
    // Reads the package carried by the running program into the extraction folder. targetPath
    // arrives as folder + "/" + PackageFileName() and may be changed to name the file to open.
    // Sets the is-package flag when the program is a package; returns true on success.
    using ExtractionHook = std::function<bool(CCoordinatorPlomeraView& coordinator, QString& targetPath)>;
    // Writes a new package carrying the evidence as it now is.
    using EvidenceWriterHook = std::function<void(CCoordinatorPlomeraView& coordinator, const QString& tempFolder)>;

    // Name of the single file a one-file package is extracted to.
    static QString PackageFileName();

    explicit CCoordinatorPlomeraView(QObject* targetWindow = nullptr);
    ~CCoordinatorPlomeraView() override;

    CCoordinatorPlomeraView(const CCoordinatorPlomeraView&) = delete;
    CCoordinatorPlomeraView& operator=(const CCoordinatorPlomeraView&) = delete;

    void SetTargetWindow(QObject* targetWindow) { target_ = targetWindow; }
    QObject* TargetWindow() const { return target_; }

    // Without hooks the program behaves as a plain player: nothing is extracted or written.
    void SetExtractionHook(ExtractionHook hook) { extraction_ = std::move(hook); }
    void SetEvidenceWriterHook(EvidenceWriterHook hook) { evidenceWriter_ = std::move(hook); }

    const QString& ExtractionFolder() const { return extractionFolder_; }
    bool IsPackage() const { return isPackage_ != 0; }
    void SetIsPackage(bool isPackage) { isPackage_ = isPackage ? 1 : 0; }
    QStringList& ExtractedFiles() { return extractedFiles_; }
    const QStringList& ExtractedFiles() const { return extractedFiles_; }

    void OpenLocalFile(const QString& path) override;
    void RegisterLocalFile(const QString& path) override;
    void SeekToTime(qint64 time) override;
    void SeekToMapPoint(double latitude, double longitude) override;
    void VisibleRangeChanged(qint64 left, qint64 right) override;
    void SetPreserveAspectRatio(bool flag) override;
    void ShowMilliSeconds(bool flag) override;
    void ShowVideoTime(bool flag) override;
    void PlaySelectedVideoFile(const QString& path) override;
    void ReleaseVideoFile(const QString& path) override;
    void SelectCamera(Video* video) override;
    void SelectAllCameras(bool flag) override;
    void SyncAll(bool flag) override;
    void OpenVideoPlayer(NavigatorItem* item) override;
    void EnableCameraAudio(Video* video) override;
    void DisableCameraAudio(Video* video) override;
    void CloseAllVideoPlayers() override;
    bool ExtractVideoFile(const QString& tempFolder) override;
    void EditBookmark(BookmarkRecord* bookmark) override;
    void DeleteBookmark(BookmarkRecord* bookmark) override;
    void CopyBookmarkToClipboard(BookmarkRecord* bookmark) override;
    void PrintBookmark(BookmarkRecord* bookmark) override;
    void SeekToBookmark(BookmarkRecord* bookmark) override;
    void DeleteBookmarks(BookmarkList* bookmarks) override;
    void CopyBookmarksToClipboard(BookmarkList* bookmarks) override;
    void PrintBookmarks(BookmarkList* bookmarks) override;
    void SaveBookmarks() override;
    void SnapshotSelectedTile() override;
    void CopySnapshotToClipboard() override;
    void AddBookmarkAtTime(qint64 time) override;
    void MetadataHover(QObject* tooltipWindow, const QPoint& point) override;
    void SeekToCursorTime() override;
    void MetadataPaneSized() override;
    void DisplayMetadataSettings() override;
    void RestoreViewerWhenMaximized() override;
    void CreateSingleEvidenceFile(const QString& tempFolder) override;
    void UpdateDeviceLevelAudio(bool channel1, bool channel2) override;
    void ShowMetadataChart(bool flag) override;
    void MapViewToggled(bool flag) override;
    void SetTempFolder(const QString& path) override;
    void StartupComplete() override;
    void FramePlacementChanged(int showCommand) override;
    void OpenDewarpView(Video* video, const QString& viewText) override;
    void ShowWatermark(Video* video) override;

private:
    QPointer<QObject> target_;
    QString extractionFolder_;
    qint32 isPackage_ = 0;
    QStringList extractedFiles_;
    ExtractionHook extraction_;
    EvidenceWriterHook evidenceWriter_;
};
