#include "startup/CabinetFileHelper.h"

#include "logging/Logger.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <ctime>
#include <mspack.h>
#include <sys/stat.h>
#include <sys/time.h>

namespace {

QString EntryName(const mscabd_file* file)
{
    // Names are ANSI unless the entry says UTF-8.
    return (file->attribs & MSCAB_ATTRIB_UTF_NAME) ? QString::fromUtf8(file->filename)
                                                   : QString::fromLatin1(file->filename);
}

void ApplyDateAndAttributes(const QString& path, const mscabd_file* file)
{
    std::tm tm{};
    tm.tm_year = file->date_y - 1900;
    tm.tm_mon = file->date_m - 1;
    tm.tm_mday = file->date_d;
    tm.tm_hour = file->time_h;
    tm.tm_min = file->time_m;
    tm.tm_sec = file->time_s;
    tm.tm_isdst = -1;
    const std::time_t when = std::mktime(&tm);
    const QByteArray native = QFile::encodeName(path);
    if (when != static_cast<std::time_t>(-1)) {
        struct timeval times[2] = {{when, 0}, {when, 0}};
        ::utimes(native.constData(), times);
    }
    if (file->attribs & MSCAB_ATTRIB_RDONLY) {
        ::chmod(native.constData(), 0444);
    }
}

} // namespace

CabinetFileHelper::CabinetFileHelper(Notify notify)
    : CCThread::SimpleThread("Cabinet File Extracting Thread"), notify_(std::move(notify))
{
}

CabinetFileHelper::~CabinetFileHelper()
{
    if (Handle().joinable()) {
        WaitForHandle(Handle());
    }
}

QString CabinetFileHelper::DestinationFor(const QString& destinationFolder, const QString& entryName)
{
    QString name = entryName;
    while (name.startsWith(QLatin1Char('\\'))) {
        name.remove(0, 1);
    }
    while (name.endsWith(QLatin1Char('\\'))) {
        name.chop(1);
    }
    const QStringList parts = name.split(QLatin1Char('\\'));
    for (const QString& part : parts) {
        if (part.isEmpty() || part == QLatin1String(".") || part == QLatin1String("..") || part.contains(QLatin1Char('/'))) {
            return {};
        }
    }
    QString folder = destinationFolder;
    if (!folder.endsWith(QLatin1Char('/'))) {
        folder += QLatin1Char('/');
    }
    return folder + parts.join(QLatin1Char('/'));
}

void CabinetFileHelper::Start(const QString& cabinetName, const QString& cabinetFolder, const QString& destinationFolder)
{
    destinationFolder_ = destinationFolder.endsWith(QLatin1Char('/')) ? destinationFolder : destinationFolder + QLatin1Char('/');
    cabinetName_ = cabinetName;
    cabinetFolder_ = cabinetFolder;
    progress_ = 0;
    result_ = 0;
    {
        std::lock_guard<std::mutex> lock(doneMutex_);
        done_ = false;
    }
    if (!CCThread::SimpleThread::Start()) {
        Logger::GetInstance()->Error(QStringLiteral("Cannot start the cabinet file extract"));
        if (notify_) {
            notify_(kCompletionValue, 0);
        }
        return;
    }
    std::unique_lock<std::mutex> lock(doneMutex_);
    doneSignal_.wait(lock, [this] { return done_; });
}

uint32_t CabinetFileHelper::Run(void*)
{
    result_ = Expand();
    if (notify_) {
        notify_(kCompletionValue, result_);
    }
    {
        std::lock_guard<std::mutex> lock(doneMutex_);
        done_ = true;
    }
    doneSignal_.notify_all();
    return 1;
}

int CabinetFileHelper::Expand()
{
    mscab_decompressor* cabd = mspack_create_cab_decompressor(nullptr);
    if (!cabd) {
        Logger::GetInstance()->Error(QStringLiteral("Error in FDICreate Method"));
        return 0;
    }
    QString folder = cabinetFolder_;
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/'))) {
        folder += QLatin1Char('/');
    }
    const QByteArray cabinetPath = QFile::encodeName(folder + cabinetName_);
    mscabd_cabinet* cab = cabd->open(cabd, cabinetPath.constData());
    bool ok = cab != nullptr;
    for (mscabd_file* file = ok ? cab->files : nullptr; file; file = file->next) {
        const QString target = DestinationFor(destinationFolder_, EntryName(file).replace(QLatin1Char('/'), QLatin1Char('\\')));
        if (target.isEmpty()) {
            Logger::GetInstance()->Error(QStringLiteral("Refused cabinet entry outside the folder: %1").arg(EntryName(file)));
            ok = false;
            continue;
        }
        if (notify_) {
            notify_(progress_, 1);
        }
        progress_ = std::min(progress_ + 1, kProgressCap);
        QDir().mkpath(QFileInfo(target).absolutePath());
        // A read-only copy from an earlier start is replaced, not written through.
        QFile::remove(target);
        const QByteArray native = QFile::encodeName(target);
        if (cabd->extract(cabd, file, native.constData()) != MSPACK_ERR_OK) {
            ok = false;
            continue;
        }
        ApplyDateAndAttributes(target, file);
    }
    if (cab) {
        cabd->close(cabd, cab);
    }
    mspack_destroy_cab_decompressor(cabd);
    if (!ok) {
        Logger::GetInstance()->Error(QStringLiteral("Error in FDICopy"));
        return 0;
    }
    return 1;
}
