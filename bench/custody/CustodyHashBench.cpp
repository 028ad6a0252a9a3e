// custody_hash: the three custody digests (SHA-256 of the file and of its stream region, MD5) of
// a 2 GiB file in one pass, against `sha256sum` of the same file, in alternating rounds; and how
// late a 10 ms timer of the GUI thread fires while the digests run on a worker, as in the file
// information dialog.
#include "evidence/CustodyDigest.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

double Percentile(std::vector<double> v, double p)
{
    std::sort(v.begin(), v.end());
    if (v.empty()) {
        return 0.0;
    }
    return v[std::min(v.size() - 1, static_cast<size_t>(p * static_cast<double>(v.size())))];
}

bool MakeFile(const QString& path, qint64 size)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) {
        return false;
    }
    std::vector<char> block(8 << 20);
    uint32_t x = 2463534242u;
    for (char& c : block) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        c = static_cast<char>(x);
    }
    for (qint64 written = 0; written < size; written += static_cast<qint64>(block.size())) {
        // Each block differs a little, so no two are alike.
        block[0] = static_cast<char>(written >> 23);
        f.write(block.data(), static_cast<qint64>(block.size()));
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const qint64 size = qEnvironmentVariableIntValue("CUSTODY_BENCH_MIB") > 0
        ? qint64(qEnvironmentVariableIntValue("CUSTODY_BENCH_MIB")) << 20
        : qint64(2048) << 20;
    const int rounds = 5;
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/custody-bench-XXXXXX"));
    const QString path = dir.filePath(QStringLiteral("evidence.video"));
    if (!MakeFile(path, size)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return 1;
    }
    const qint64 region = size - 4096;

    std::vector<double> ours;
    std::vector<double> reference;
    std::vector<double> ratios;
    std::vector<double> late;
    // One untimed pass of each, so both start from the page cache.
    CustodyDigest::Compute(path, region, nullptr, {});
    for (int round = 0; round < rounds; ++round) {
        // Ours, with the GUI thread's 10 ms timer running.
        QElapsedTimer clock;
        clock.start();
        CustodyDigest::Result result;
        bool done = false;
        std::thread worker([&] {
            // As the file information dialog's worker does it.
            result = CustodyDigest::Compute(path, region, nullptr, {}, true);
            QMetaObject::invokeMethod(&app, [&] { done = true; }, Qt::QueuedConnection);
        });
        QTimer tick;
        tick.setTimerType(Qt::PreciseTimer);
        QElapsedTimer since;
        since.start();
        QObject::connect(&tick, &QTimer::timeout, [&] {
            late.push_back(std::max(0.0, static_cast<double>(since.nsecsElapsed()) / 1e6 - 10.0));
            since.restart();
        });
        tick.start(10);
        while (!done) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        tick.stop();
        worker.join();
        const double oursSeconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        if (!result.complete) {
            std::fprintf(stderr, "digest failed: %s\n", qPrintable(result.error));
            return 1;
        }

        clock.restart();
        QProcess sha;
        sha.start(QStringLiteral("sha256sum"), {path});
        sha.waitForFinished(-1);
        const double refSeconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        if (QString::fromLatin1(sha.readAllStandardOutput()).section(QLatin1Char(' '), 0, 0) != result.sha256File) {
            std::fprintf(stderr, "sha256sum disagrees\n");
            return 1;
        }
        ours.push_back(oursSeconds);
        reference.push_back(refSeconds);
        ratios.push_back(oursSeconds / refSeconds);
    }
    const double mib = static_cast<double>(size) / (1 << 20);
    std::printf("custody_hash_three_digests: %.2f s for %.0f MiB, %.0f MiB/s (median of %d)\n", Median(ours), mib,
                mib / Median(ours), rounds);
    std::printf("custody_hash_sha256sum: %.2f s for %.0f MiB, %.0f MiB/s (median of %d)\n", Median(reference), mib,
                mib / Median(reference), rounds);
    std::printf("custody_hash_ratio: %.2f (goal <= 1.00; min %.2f, max %.2f)\n", Median(ratios),
                *std::min_element(ratios.begin(), ratios.end()), *std::max_element(ratios.begin(), ratios.end()));
    std::printf("custody_hash_gui_timer_late_p99: %.1f ms (goal < 20 ms; median %.2f, max %.1f, %zu ticks)\n",
                Percentile(late, 0.99), Median(late), *std::max_element(late.begin(), late.end()), late.size());
    return 0;
}
