#include "map/COSMCtrlTileCache.h"

#include "logging/Logger.h"
#include "map/COSMCtrlInternetSession.h"
#include "map/COSMCtrlTileDatabase.h"
#include "map/CppSQLite3Exception.h"
#include "map/TileCacheStrings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QThread>
#include <QUrl>
#include <chrono>
#include <cmath>

COSMCtrlTileCache::COSMCtrlTileCache(bool startWorker)
    : provider_(&builtInProvider_)
    , transferTimeoutMs_(COSMCtrlInternetSession::kDefaultTransferTimeoutMs)
{
    if (startWorker) {
        StartWorker();
    }
}

COSMCtrlTileCache::~COSMCtrlTileCache()
{
    StopWorker();
    queue_.Clear();
}

void COSMCtrlTileCache::StartWorker()
{
    if (worker_) {
        return;
    }
    stop_.store(false);
    worker_.reset(QThread::create([this] { WorkerLoop(); }));
    worker_->setObjectName(QLatin1String(TileCacheStrings::kWorkerName));
    worker_->start();
}

void COSMCtrlTileCache::StopWorker()
{
    if (!worker_) {
        return;
    }
    {
        std::lock_guard<std::mutex> guard(stopLock_);
        stop_.store(true);
    }
    stopSignal_.notify_all();
    queue_.Clear();
    worker_->wait();
    worker_.reset();
}

void COSMCtrlTileCache::OpenCache(const QString& path)
{
    cachePath_ = path;
    COSMCtrlTileDatabase(path).CreateIfAbsent();
}

std::optional<QByteArray> COSMCtrlTileCache::FindCachedTile(int zoom, int x, int y) const
{
    return COSMCtrlTileDatabase(cachePath_).ReadTile(zoom, x, y);
}

std::optional<QByteArray> COSMCtrlTileCache::LoadTile(int zoom, int x, int y)
{
    std::optional<QByteArray> tile = FindCachedTile(zoom, x, y);
    if (!tile && IsInternetAvailable() && zoom == CurrentWholeZoom()) {
        QueueDownload(zoom, x, y);
    }
    return tile;
}

bool COSMCtrlTileCache::StoreTile(int zoom, int x, int y, const QByteArray& bytes)
{
    return StoreTileIn(cachePath_, zoom, x, y, bytes);
}

bool COSMCtrlTileCache::StoreTileIn(const QString& cachePath, int zoom, int x, int y, const QByteArray& bytes)
{
    try {
        COSMCtrlTileDatabase(cachePath).InsertTile(zoom, x, y, bytes);
        return true;
    } catch (const CppSQLite3Exception& e) {
        Logger::GetInstance()->Error(e.ErrorMessage());
        InsertErrorHandler handler;
        {
            std::lock_guard<std::mutex> guard(handlerLock_);
            handler = insertErrorHandler_;
        }
        if (handler) {
            handler(QLatin1String(TileCacheStrings::kImageInsertError), e.ErrorMessage());
        }
        return false;
    }
}

void COSMCtrlTileCache::QueueDownload(int zoom, int x, int y)
{
    auto item = std::make_unique<structDownloadItem>();
    item->zoom = zoom;
    item->x = x;
    item->y = y;
    item->url = provider_->GetDownloadURL(zoom, x, y);
    item->cachePath = cachePath_;
    queue_.Push(std::move(item));
}

void COSMCtrlTileCache::ClearDownloads()
{
    queue_.Clear();
}

void COSMCtrlTileCache::RequestTiles(const COSMCtrlDownloadTileItemArray& items)
{
    if (!items.IsEmpty() && IsInternetAvailable()) {
        QueueDownload(CurrentWholeZoom(), items[0].x, items[0].y);
    }
}

bool COSMCtrlTileCache::WaitForDownloads(int timeoutMs)
{
    return queue_.WaitUntilDrained(timeoutMs);
}

bool COSMCtrlTileCache::CheckInternetAvailable()
{
    COSMCtrlInternetSession session(QLatin1String(TileCacheStrings::kAgentName));
    session.SetTransferTimeout(kAvailabilityTimeoutMs);
    const bool available = session.OpenPage(AvailabilityCheckUrl());
    SetInternetAvailable(available);
    return available;
}

QString COSMCtrlTileCache::MissingTileText() const
{
    return QLatin1String(IsInternetAvailable() ? TileCacheStrings::kTileNotAvailable
                                               : TileCacheStrings::kInternetNotAvailable);
}

int COSMCtrlTileCache::CurrentWholeZoom() const
{
    return int(std::floor(GetCurrentZoom()));
}

void COSMCtrlTileCache::SetTileProvider(IOSMCtrlTileProvider* provider)
{
    provider_ = provider != nullptr ? provider : &builtInProvider_;
}

const IOSMCtrlTileProvider& COSMCtrlTileCache::TileProvider() const
{
    return *provider_;
}

void COSMCtrlTileCache::SetInsertErrorHandler(InsertErrorHandler handler)
{
    std::lock_guard<std::mutex> guard(handlerLock_);
    insertErrorHandler_ = std::move(handler);
}

void COSMCtrlTileCache::WorkerLoop()
{
    COSMCtrlInternetSession session(QLatin1String(TileCacheStrings::kAgentName));
    session.SetTransferTimeout(transferTimeoutMs_);
    while (!stop_.load()) {
        int waitMs = kIdlePollMs;
        std::unique_ptr<structDownloadItem> item = queue_.TakeFirst();
        if (item) {
            try {
                // Read without a lock: a stale zoom costs one extra or one skipped download.
                if (item->zoom == CurrentWholeZoom()
                    && COSMCtrlTileDatabase(item->cachePath).FindTileId(item->zoom, item->x, item->y) == 0) {
                    downloading_.store(true);
                    const QByteArray bytes = session.DownloadTile(item->url, &stop_);
                    downloading_.store(false);
                    if (bytes.size() > 0) {
                        StoreTileIn(item->cachePath, item->zoom, item->x, item->y, bytes);
                    }
                }
            } catch (const std::exception& e) {
                downloading_.store(false);
                // One failing tile must not end the downloads of the whole session.
                Logger::GetInstance()->Error(
                    QString::fromLatin1(TileCacheStrings::kWorkerFailed).arg(QString::fromUtf8(e.what())));
            }
            waitMs = 0;
            item.reset();
            queue_.FinishItem();
        }
        if (waitMs > 0) {
            std::unique_lock<std::mutex> guard(stopLock_);
            stopSignal_.wait_for(guard, std::chrono::milliseconds(waitMs), [this] { return stop_.load(); });
        }
    }
}

QString COSMCtrlTileCache::ChooseCachePath(const QString& programFolder, const QString& userCacheFolder)
{
    const QString besideProgram = QDir(programFolder).filePath(QLatin1String(TileCacheStrings::kCacheFileName));
    const QFileInfo file(besideProgram);
    const QFileInfo folder(programFolder);
    // Under /usr the program is installed by the system's packages: root could write there, but
    // nothing the package manager does not own belongs there, so every user keeps a cache of
    // their own.
    const bool installed = QDir::cleanPath(folder.absoluteFilePath()).startsWith(QLatin1String("/usr/"));
    if (!programFolder.isEmpty() && !installed
        && (file.exists() ? file.isWritable() : (folder.isDir() && folder.isWritable()))) {
        return besideProgram;
    }
    QDir().mkpath(userCacheFolder);
    return QDir(userCacheFolder).filePath(QLatin1String(TileCacheStrings::kCacheFileName));
}

QString COSMCtrlTileCache::DefaultCachePath()
{
    const QString path = ChooseCachePath(QCoreApplication::applicationDirPath(),
                                         QStandardPaths::writableLocation(QStandardPaths::CacheLocation));
    Logger::GetInstance()->Info(QStringLiteral("Map tile cache file : %1").arg(path));
    return path;
}

QString COSMCtrlTileCache::AvailabilityCheckUrl()
{
    QSettings settings(QStringLiteral("Quorvane"), QStringLiteral("Plomera"));
    const QString configured = settings.value(QLatin1String(kAvailabilitySetting)).toString().trimmed();
    if (!configured.isEmpty()) {
        return configured;
    }
    const QString server = COSMCtrlMapnikTileProvider::ServerSetting();
    if (COSMCtrlMapnikTileProvider::IsUsableServer(server)) {
        // A tile server of the investigator's own network answers for the network it is on.
        const COSMCtrlMapnikTileProvider provider(server);
        const int port = provider.GetDownloadPort();
        return port == COSMCtrlMapnikTileProvider::kDefaultPort
                   ? QStringLiteral("http://%1/").arg(provider.GetDownloadHost())
                   : QStringLiteral("http://%1:%2/").arg(provider.GetDownloadHost()).arg(port);
    }
    return QLatin1String(kDefaultAvailabilityUrl);
}
