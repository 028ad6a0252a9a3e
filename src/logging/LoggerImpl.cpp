#include "logging/LoggerImpl.h"

#include <QFile>
#include <QSettings>
#include <QVariant>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

constexpr int kHeaderRuleLength = 73;

const char* LevelName(qint32 level)
{
    switch (level) {
    case LoggerImpl::LevelError:
        return "Error";
    case LoggerImpl::LevelWarning:
        return "Warning";
    case LoggerImpl::LevelInfo:
        return "Info";
    case LoggerImpl::LevelTrace:
        return "Trace";
    default:
        return "";
    }
}

qint64 SystemClockMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

// The file holds 8-bit text: characters up to U+00FF are written as the byte of that value.
// Anything above becomes one '?' per character, so the rest of the record and its line end
// still reach the file.
void AppendNarrowed(std::string& out, const QString& text)
{
    const qsizetype length = text.size();
    for (qsizetype i = 0; i < length; ++i) {
        const char16_t unit = text.at(i).unicode();
        if (unit <= 0xFF) {
            out.push_back(static_cast<char>(unit));
            continue;
        }
        if (QChar::isHighSurrogate(unit) && i + 1 < length && text.at(i + 1).isLowSurrogate())
            ++i;
        out.push_back('?');
    }
}

bool WriteAll(int fd, const std::string& bytes)
{
    const char* data = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        left -= static_cast<size_t>(written);
    }
    return true;
}

}  // namespace

LoggerImpl::LoggerImpl() : LoggerImpl(Options{}) {}

LoggerImpl::LoggerImpl(Options options)
    : SimpleThread("LoggerThread"),
      logFileName_(std::move(options.logFileName)),
      clock_(options.clock ? std::move(options.clock) : std::function<qint64()>(SystemClockMs)),
      threadId_(options.threadId ? std::move(options.threadId)
                                 : std::function<quint32()>(CCThread::SimpleThreadBase::CurrentThreadId))
{
    tzset();
    logFilePath_ = QFile::encodeName(logFileName_);
    localtime_r(&lastHeaderDate_, &lastHeaderDay_);
    if (options.settingsFile.isEmpty()) {
        QSettings settings(QStringLiteral("Quorvane"), QStringLiteral("Plomera"));
        flags_ = ReadLogFlags(settings);
    } else {
        QSettings settings(options.settingsFile, QSettings::IniFormat);
        flags_ = ReadLogFlags(settings);
    }

    if (options.startWriter && Start())
        return;
    LogRecord record;
    record.level = LevelError;
    record.text = QStringLiteral("Cannot start the logger");
    record.timeMs = clock_();
    record.threadId = threadId_();
    Write(record);
}

LoggerImpl::~LoggerImpl()
{
    Stop();
    if (Handle().joinable() && !IsCurrentThread()) {
        const int result = WaitForHandle(Handle());
        if (result != 0)
            SetLastError(result);
    }

    std::deque<std::unique_ptr<LogRecord>> rest;
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        rest.swap(queue_);
    }
    for (const auto& record : rest) {
        if (Write(*record) != 0)
            break;
    }
}

quint32 LoggerImpl::ReadLogFlags(QSettings& settings)
{
    const QVariant value = settings.value(QStringLiteral("LogFlags"));
    if (!value.isValid())
        return kLoggingOff;

    bool ok = false;
    qint64 number = 0;
    const int type = value.metaType().id();
    if (type == QMetaType::QString || type == QMetaType::QByteArray) {
        const QString text = value.toString().trimmed();
        if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
            number = static_cast<qint64>(text.mid(2).toULongLong(&ok, 16));
        else
            number = text.toLongLong(&ok, 10);
    } else {
        number = value.toLongLong(&ok);
    }
    if (!ok)
        return kLoggingOff;
    return static_cast<quint32>(number);
}

void LoggerImpl::Error(const QString& text)
{
    if (flags_ != kLoggingOff)
        Enqueue(LevelError, text);
}

void LoggerImpl::Info(const QString& text)
{
    if (flags_ != kLoggingOff && flags_ != kErrorsOnly)
        Enqueue(LevelInfo, text);
}

void LoggerImpl::Enqueue(qint32 level, const QString& text)
{
    auto record = std::make_unique<LogRecord>();
    record->level = level;
    record->text = text;
    record->threadId = threadId_();
    bool wasEmpty = false;
    {
        // Stamped under the lock so that queue order is time order: a day header can then never
        // be followed by a record of the day before.
        std::lock_guard<std::mutex> lock(queueMutex_);
        record->timeMs = clock_();
        wasEmpty = queue_.empty();
        queue_.push_back(std::move(record));
    }
    // The writer only ever waits on an empty queue, so only the first record needs to wake it.
    if (wasEmpty)
        dataReady_.notify_one();
}

size_t LoggerImpl::PendingCount() const
{
    std::lock_guard<std::mutex> lock(queueMutex_);
    return queue_.size();
}

uint32_t LoggerImpl::Run(void*)
{
    for (;;) {
        std::unique_ptr<LogRecord> record;
        {
            std::unique_lock<std::mutex> lock(queueMutex_);
            dataReady_.wait(lock, [this] { return stopRequested_ || !queue_.empty(); });
            // Stopping wins over waiting records: the destructor writes those.
            if (stopRequested_)
                return 0;
            record = std::move(queue_.front());
            queue_.pop_front();
        }
        // Written outside the lock: producers never wait for the file.
        Write(*record);
    }
}

void LoggerImpl::Stop()
{
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        stopRequested_ = true;
    }
    dataReady_.notify_all();
}

int LoggerImpl::Write(const LogRecord& record)
{
    const int fd = ::open(logFilePath_.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return -1;

    qint64 seconds = record.timeMs / 1000;
    qint64 millis = record.timeMs % 1000;
    if (millis < 0) {
        millis += 1000;
        --seconds;
    }
    const std::time_t recordTime = static_cast<std::time_t>(seconds);
    std::tm local{};
    localtime_r(&recordTime, &local);
    const bool newDay = local.tm_mday != lastHeaderDay_.tm_mday || local.tm_mon != lastHeaderDay_.tm_mon ||
                        local.tm_year != lastHeaderDay_.tm_year;

    std::string out;
    out.reserve(static_cast<size_t>(record.text.size()) + 128);
    char buffer[64];
    if (newDay) {
        // "%x" of the C locale, whatever locale the process runs in: mm/dd/yy.
        out += "\r\n";
        out.append(kHeaderRuleLength, '-');
        std::snprintf(buffer, sizeof buffer, "\r\n%02d/%02d/%02d:\r\n", local.tm_mon + 1, local.tm_mday,
                      (local.tm_year + 1900) % 100);
        out += buffer;
    }
    // "%X" of the C locale: HH:MM:SS.
    std::snprintf(buffer, sizeof buffer, "  %02d:%02d:%02d.%03d\t%-6X\t%-7s\t", local.tm_hour, local.tm_min,
                  local.tm_sec, static_cast<int>(millis), static_cast<unsigned>(record.threadId),
                  LevelName(record.level));
    out += buffer;
    AppendNarrowed(out, record.text);
    out += "\r\n";

    const bool written = WriteAll(fd, out);
    ::close(fd);
    if (!written)
        return -1;
    if (newDay) {
        lastHeaderDate_ = recordTime;
        lastHeaderDay_ = local;
    }
    return 0;
}
