#pragma once

#include "logging/LogRecord.h"
#include "logging/SimpleThread.h"

#include <QString>
#include <QtGlobal>
#include <condition_variable>
#include <ctime>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

class QSettings;

// The one queue-and-writer object behind Logger: callers enqueue stamped records, the
// "LoggerThread" appends them one by one to the log file, opening and closing it for every record
// so the file on disk is always complete. Records still queued at destruction are written then.
class LoggerImpl final : public CCThread::SimpleThread {
public:
    enum Level : qint32 { LevelError = 0, LevelWarning = 1, LevelInfo = 2, LevelTrace = 3 };

    // LogFlags: missing or this value writes nothing, 0 writes errors, anything else everything.
    static constexpr quint32 kLoggingOff = 0xFFFFFFFFu;
    static constexpr quint32 kErrorsOnly = 0;

    // Where the logger reads its flags and writes its file, and how it stamps records. The
    // defaults are the program's own; tests point them elsewhere.
    struct Options {
        // An INI file holding LogFlags; empty: the user's settings of Quorvane / Plomera.
        QString settingsFile;
        QString logFileName = QStringLiteral("OmbrixPlayer.log");
        // Wall-clock milliseconds since 1970; empty: the system clock.
        std::function<qint64()> clock;
        // Id written for the calling thread; empty: its kernel thread id.
        std::function<quint32()> threadId;
        // false behaves as if the system refused the writer thread.
        bool startWriter = true;
    };

    LoggerImpl();
    explicit LoggerImpl(Options options);
    ~LoggerImpl() override;

    // LogFlags as a 32-bit number: decimal or 0x-hexadecimal text, negative values taken as
    // their 32-bit pattern. Missing or unreadable: kLoggingOff.
    static quint32 ReadLogFlags(QSettings& settings);

    // Queue an error (written unless logging is off) or an info record (written only when the
    // flags ask for more than errors).
    void Error(const QString& text);
    void Info(const QString& text);

    // Stamp a record with the time and the calling thread and queue it for the writer.
    void Enqueue(qint32 level, const QString& text);

    quint32 Flags() const { return flags_; }
    const QString& LogFileName() const { return logFileName_; }
    // Records waiting for the writer.
    size_t PendingCount() const;

    uint32_t Run(void* parameter) override;
    void Stop() override;

private:
    // Appends one record (with a day header before the first record of a day); 0 when written,
    // -1 when the file could not be opened or written. Only one thread writes at a time: the
    // writer thread, or the constructing / destroying thread while no writer runs.
    int Write(const LogRecord& record);

    mutable std::mutex queueMutex_;
    QString logFileName_;
    QByteArray logFilePath_;
    std::time_t lastHeaderDate_ = 0;
    std::tm lastHeaderDay_{};  // lastHeaderDate_ in local time, kept to spare a conversion per record
    quint32 flags_ = kLoggingOff;
    bool stopRequested_ = false;
    std::condition_variable dataReady_;
    std::deque<std::unique_ptr<LogRecord>> queue_;

    std::function<qint64()> clock_;
    std::function<quint32()> threadId_;
};
