// What one log call costs the caller while the writer thread is busy, and how many records a
// second the writer sustains compared with bare open-append-close of the same lines.
#include "logging/LoggerImpl.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRounds = 5;
constexpr int kCallsPerRound = 100000;
constexpr int kRecordsPerRound = 50000;

const QString kMessage = QStringLiteral("Video File Opened Successfully : /evidence/Lobby camera 1.video");

double Ns(Clock::duration d)
{
    return static_cast<double>(std::chrono::duration_cast<std::chrono::nanoseconds>(d).count());
}

double Percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    return values[static_cast<size_t>(p * static_cast<double>(values.size() - 1))];
}

LoggerImpl::Options LoggingOn(const QTemporaryDir& dir)
{
    const QString settings = dir.filePath(QStringLiteral("Plomera.conf"));
    QFile file(settings);
    if (file.open(QIODevice::WriteOnly))
        file.write("[General]\nLogFlags=1\n");
    LoggerImpl::Options options;
    options.settingsFile = settings;
    options.logFileName = dir.filePath(QStringLiteral("OmbrixPlayer.log"));
    return options;
}

// Per-call cost of Error() with a backlog in the queue, so the writer never waits.
void CallCost(const QTemporaryDir& dir, std::vector<double>& costs, bool& writerStayedBusy)
{
    QFile::remove(dir.filePath(QStringLiteral("OmbrixPlayer.log")));
    LoggerImpl logger(LoggingOn(dir));
    for (int i = 0; i < 2000; ++i)
        logger.Error(kMessage);
    for (int i = 0; i < kCallsPerRound; ++i) {
        const Clock::time_point start = Clock::now();
        logger.Error(kMessage);
        costs.push_back(Ns(Clock::now() - start));
    }
    writerStayedBusy = writerStayedBusy && logger.PendingCount() > 0;
    // The backlog is drained by the destructor; it is not part of the figure.
}

double ClockOverheadNs()
{
    std::vector<double> empty;
    for (int i = 0; i < 100000; ++i) {
        const Clock::time_point start = Clock::now();
        empty.push_back(Ns(Clock::now() - start));
    }
    return Percentile(empty, 0.5);
}

// Records per second from the first record queued until the writer has taken the last one. The
// queue is looked at seldom, so that looking does not slow the writer down.
double WriterRate(const QTemporaryDir& dir)
{
    QFile::remove(dir.filePath(QStringLiteral("OmbrixPlayer.log")));
    LoggerImpl logger(LoggingOn(dir));
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < kRecordsPerRound; ++i)
        logger.Error(kMessage);
    while (logger.PendingCount() > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const double seconds = Ns(Clock::now() - start) / 1e9;
    return kRecordsPerRound / seconds;
}

// The same bytes per record, opened, appended and closed by hand.
double BareAppendRate(const QTemporaryDir& dir)
{
    const QByteArray path = QFile::encodeName(dir.filePath(QStringLiteral("bare.log")));
    ::unlink(path.constData());
    const std::string line = "  14:03:07.123\t1A2B  \tError  \t" + kMessage.toStdString() + "\r\n";
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < kRecordsPerRound; ++i) {
        const int fd = ::open(path.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0)
            return 0.0;
        if (::write(fd, line.data(), line.size()) < 0) {
            ::close(fd);
            return 0.0;
        }
        ::close(fd);
    }
    const double seconds = Ns(Clock::now() - start) / 1e9;
    return kRecordsPerRound / seconds;
}

}  // namespace

int main()
{
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/bench_logger-XXXXXX"));
    if (!dir.isValid()) {
        std::fprintf(stderr, "cannot make a temporary folder\n");
        return 1;
    }

    const double clockNs = ClockOverheadNs();
    std::vector<double> costs;
    bool writerStayedBusy = true;
    for (int round = 0; round < kRounds; ++round)
        CallCost(dir, costs, writerStayedBusy);

    std::vector<double> ours;
    std::vector<double> bare;
    std::vector<double> ratios;
    for (int round = 0; round < kRounds; ++round) {
        ours.push_back(WriterRate(dir));
        bare.push_back(BareAppendRate(dir));
        ratios.push_back(ours.back() / bare.back());
    }
    const double bareNs = 1e9 / Percentile(bare, 0.5);

    std::printf("logger_call_median: %.0f ns (goal: far below one open-append-close, %.0f ns; "
                "writer busy throughout: %s; includes %.0f ns of clock reading)\n",
                Percentile(costs, 0.5), bareNs, writerStayedBusy ? "yes" : "no", clockNs);
    std::printf("logger_call_p95: %.0f ns (over %d calls)\n", Percentile(costs, 0.95), kRounds * kCallsPerRound);
    std::printf("logger_writer_rate: %.0f records/s (median of %d rounds of %d; goal: close to bare append)\n",
                Percentile(ours, 0.5), kRounds, kRecordsPerRound);
    std::printf("bare_append_rate: %.0f records/s (same lines, open-append-close each)\n", Percentile(bare, 0.5));
    std::printf("logger_writer_vs_bare_append: %.2f ratio (median of %d alternating rounds, min %.2f, max %.2f; goal ~1)\n",
                Percentile(ratios, 0.5), kRounds, *std::min_element(ratios.begin(), ratios.end()),
                *std::max_element(ratios.begin(), ratios.end()));
    return 0;
}
