// Extraction and writing of a package against `cp` of the same bytes. The package is the real
// player with sample recordings appended; each round times ours, then cp, and the median of the
// per-round ratios is reported with the minimum and maximum beside it.
#include "package/PackageExtraction.h"
#include "package/PackageLayout.h"
#include "package/PackageWriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kRounds = 11;
constexpr int kCopiesOfEachSample = 8;

double Seconds(const std::function<void()>& body)
{
    const auto start = std::chrono::steady_clock::now();
    body();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void Run(const QString& program, const QStringList& args)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(program, args);
    if (!process.waitForFinished(600000) || process.exitCode() != 0) {
        std::fprintf(stderr, "%s failed\n", qPrintable(program));
        std::exit(1);
    }
}

void Fail(const char* what)
{
    std::fprintf(stderr, "package bench: %s\n", what);
    std::exit(1);
}

struct Figures {
    std::vector<double> ratios;
    double oursSeconds = 0;
    double cpSeconds = 0;

    void Add(double ours, double cp)
    {
        ratios.push_back(cp / ours);
        oursSeconds += ours;
        cpSeconds += cp;
    }
};

void Sync()
{
    ::sync();
}

void Report(const char* name, const Figures& f, qint64 bytes)
{
    std::vector<double> sorted = f.ratios;
    std::sort(sorted.begin(), sorted.end());
    const double mib = double(bytes) / (1 << 20);
    std::printf("%s throughput: %.0f MiB/s (cp %.0f MiB/s, %.0f MiB per round)\n", name,
                mib * kRounds / f.oursSeconds, mib * kRounds / f.cpSeconds, mib);
    std::printf("%s vs cp: %.2f ratio (goal >= 0.8; min %.2f, max %.2f; %d rounds)\n", name, sorted[sorted.size() / 2],
                sorted.front(), sorted.back(), kRounds);
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir(QDir::currentPath() + QStringLiteral("/bench-package-XXXXXX"));
    if (!dir.isValid())
        Fail("no temporary folder");
    const QString samples = dir.filePath(QStringLiteral("samples"));
    Run(QStringLiteral(PLOMERA_EVIDENCE),
        {"make-sample", samples, "--cameras", "2", "--duration", "240", "--start", "2021-06-05 07:08:00"});
    QStringList files;
    for (const QString& name : QDir(samples).entryList({"*.video"}, QDir::Files, QDir::Name)) {
        for (int copy = 0; copy < kCopiesOfEachSample; ++copy) {
            const QString path = samples + QStringLiteral("/%1-%2").arg(copy).arg(name);
            if (!QFile::copy(samples + QLatin1Char('/') + name, path))
                Fail("couldn't copy a sample");
            files << path;
        }
    }
    const QString package = dir.filePath(QStringLiteral("evidence.exe"));
    PackageWriter::CreatePackage(QStringLiteral(PLOMERA_PLAYER), files, package, std::nullopt, 2);
    qint64 carried = 0;
    for (const QString& file : files)
        carried += QFileInfo(file).size();
    const qint64 packageSize = QFileInfo(package).size();

    // The running package as start-up leaves it, for the writer.
    const QString extracted = dir.filePath(QStringLiteral("extracted"));
    PackageExtraction running(package);
    running.SetExtractionFolder(extracted);
    QString runningTarget = extracted + QLatin1Char('/') + QLatin1String(PackageLayout::kSingleFileName);
    if (!running.InitializeVideoExtraction(runningTarget))
        Fail("extraction failed");

    Figures extraction;
    Figures writing;
    Figures writingSynced;
    for (int round = 0; round < kRounds; ++round) {
        // Ours first in even rounds, the reference first in odd ones; dirty pages of the last
        // measurement are flushed, untimed, before each.
        const bool oursFirst = round % 2 == 0;
        const QString ours = dir.filePath(QStringLiteral("ours"));
        const QString theirs = dir.filePath(QStringLiteral("cp"));
        const QString written = dir.filePath(QStringLiteral("written.exe"));
        const QString copied = dir.filePath(QStringLiteral("copied.exe"));
        double a = 0, b = 0;

        // Extraction: the carried files into a fresh folder, against cp of the same files.
        auto extract = [&] {
            Sync();
            PackageExtraction reader(package);
            reader.SetExtractionFolder(ours);
            QString target = ours + QLatin1Char('/') + QLatin1String(PackageLayout::kSingleFileName);
            bool ok = false;
            a = Seconds([&] { ok = reader.InitializeVideoExtraction(target); });
            if (!ok)
                Fail("extraction failed");
        };
        auto copyFiles = [&] {
            QDir().mkdir(theirs);
            Sync();
            b = Seconds([&] { Run(QStringLiteral("cp"), QStringList(files) << theirs); });
        };
        oursFirst ? (extract(), copyFiles()) : (copyFiles(), extract());
        extraction.Add(a, b);
        QDir(ours).removeRecursively();
        QDir(theirs).removeRecursively();

        // Writing: a new package from the running one and its extracted files (flushed to disk
        // before it takes the chosen name), against cp of the package file, bare and followed
        // by a flush of the copy.
        auto write = [&] {
            Sync();
            bool ok = false;
            a = Seconds([&] { ok = PackageWriter::CreateSingleEvidenceFile(running, extracted, written); });
            if (!ok || QFileInfo(written).size() != packageSize)
                Fail("writing failed");
        };
        double synced = 0;
        auto copyPackage = [&] {
            Sync();
            b = Seconds([&] { Run(QStringLiteral("cp"), {package, copied}); });
            synced = b + Seconds([&] { Run(QStringLiteral("sync"), {"-d", copied}); });
        };
        oursFirst ? (write(), copyPackage()) : (copyPackage(), write());
        writing.Add(a, b);
        writingSynced.Add(a, synced);
        QFile::remove(written);
        QFile::remove(copied);
    }
    Report("package extraction", extraction, carried);
    Report("package writing", writing, packageSize);
    Report("package writing, copy flushed too,", writingSynced, packageSize);
    return 0;
}
