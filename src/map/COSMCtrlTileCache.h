#pragma once

#include "map/COSMCtrlDownloadQueue.h"
#include "map/COSMCtrlDownloadTileItem.h"
#include "map/COSMCtrlMapnikTileProvider.h"

#include <QByteArray>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

class IOSMCtrlTileProvider;
class QThread;

// The map's tiles: the cache file, the download queue and the worker thread
// "DownloadImageAndUpdateMDBFileThread" that fetches queued tiles one at a time and stores them.
// The drawing thread calls LoadTile, QueueDownload, RequestTiles and ClearDownloads; the worker
// only takes from the queue and writes the cache file. Neither touches a window.
class COSMCtrlTileCache {
public:
    static constexpr int kIdlePollMs = 10;
    static constexpr const char* kAvailabilitySetting = "MapAvailabilityCheckUrl";
    static constexpr const char* kDefaultAvailabilityUrl = "http://www.example.com/";
    static constexpr int kAvailabilityTimeoutMs = 5000;

    // Called on the worker thread when a downloaded tile could not be stored: the text to show
    // the user ("SQLite Image Insert Error") and SQLite's explanation. A window must hand it over
    // to its own thread before showing anything.
    using InsertErrorHandler = std::function<void(const QString& text, const QString& detail)>;

    // Starts the worker unless told not to (tests queue first and start it later).
    explicit COSMCtrlTileCache(bool startWorker = true);
    // Stops the worker, cancelling a download in progress, and frees every queued item.
    ~COSMCtrlTileCache();
    COSMCtrlTileCache(const COSMCtrlTileCache&) = delete;
    COSMCtrlTileCache& operator=(const COSMCtrlTileCache&) = delete;

    void StartWorker();
    void StopWorker();

    // Stores the path and creates the file with its schema when it does not exist.
    void OpenCache(const QString& path);
    const QString& CachePath() const { return cachePath_; }

    // The cached bytes, or nothing. A missing tile at the current whole zoom level is queued for
    // download while the network is available.
    std::optional<QByteArray> LoadTile(int zoom, int x, int y);
    // The cached bytes, or nothing, without queueing.
    std::optional<QByteArray> FindCachedTile(int zoom, int x, int y) const;
    // Adds the tile unless it is cached already; false when the insert failed.
    bool StoreTile(int zoom, int x, int y, const QByteArray& bytes);
    void QueueDownload(int zoom, int x, int y);
    void ClearDownloads();
    // Queues the first layout item (the tile nearest the centre) while the network is available.
    void RequestTiles(const COSMCtrlDownloadTileItemArray& items);
    std::size_t QueuedDownloads() const { return queue_.Size(); }
    // Waits until the queue is empty and the worker has finished its item.
    bool WaitForDownloads(int timeoutMs);
    // True while a download runs, for the wait cursor.
    bool IsDownloading() const { return downloading_.load(); }

    // The availability check, made once when the map view is created; stores its result. Blocks
    // the calling thread (events still run) for at most kAvailabilityTimeoutMs without an answer.
    bool CheckInternetAvailable();
    bool IsInternetAvailable() const { return internetAvailable_.load(); }
    void SetInternetAvailable(bool available) { internetAvailable_.store(available); }
    // The placeholder text of a tile that cannot be shown.
    QString MissingTileText() const;

    // The control's zoom; only its whole level matters here.
    void SetCurrentZoom(double zoom) { currentZoom_.store(zoom); }
    double GetCurrentZoom() const { return currentZoom_.load(); }
    int CurrentWholeZoom() const;

    // nullptr selects the built-in source. The provider must outlive its use here.
    void SetTileProvider(IOSMCtrlTileProvider* provider);
    const IOSMCtrlTileProvider& TileProvider() const;

    void SetInsertErrorHandler(InsertErrorHandler handler);
    // Takes effect for the worker started next.
    void SetTransferTimeout(int milliseconds) { transferTimeoutMs_ = milliseconds; }

    // "Data.gmdb" beside the executable when that folder (or the file) is writable and not under
    // /usr (an installed program), else in the user's cache folder; logs which.
    static QString DefaultCachePath();
    static QString ChooseCachePath(const QString& programFolder, const QString& userCacheFolder);
    // The page of the availability check: the setting, else the root of a tile server named by
    // its setting, else a well-known public page.
    static QString AvailabilityCheckUrl();

private:
    void WorkerLoop();
    bool StoreTileIn(const QString& cachePath, int zoom, int x, int y, const QByteArray& bytes);

    QString cachePath_;
    COSMCtrlMapnikTileProvider builtInProvider_;
    IOSMCtrlTileProvider* provider_;
    COSMCtrlDownloadQueue queue_;
    std::atomic<double> currentZoom_{3.0};
    std::atomic<bool> internetAvailable_{false};
    std::atomic<bool> downloading_{false};
    int transferTimeoutMs_;

    std::mutex handlerLock_;  // guards insertErrorHandler_
    InsertErrorHandler insertErrorHandler_;

    std::mutex stopLock_;  // guards the worker's sleep against a missed stop
    std::condition_variable stopSignal_;
    std::atomic<bool> stop_{false};
    std::unique_ptr<QThread> worker_;
};
