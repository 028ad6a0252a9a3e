#include "package/PackageExtraction.h"

#include "evidence/FalException.h"
#include "logging/Logger.h"
#include "package/PackageCopy.h"
#include "package/PackageLayout.h"
#include "package/PackagePassword.h"

#include <QDir>
#include <QFile>

using namespace PackageLayout;

namespace {

// The failure texts of extraction, as the log shows them.
constexpr const char* kInitializeFailure = "Error in InitializeVideoExtraction : %1";
constexpr const char* kCreateFailure = "Error in ExractVideoFile : %1";
constexpr const char* kExtractFailure = "Error in ExtractVideoFile : %1";

void LogError(const char* format, const QString& text)
{
    Logger::GetInstance()->Error(QString::fromLatin1(format).arg(text.left(255)));
}

}  // namespace

PackageExtraction::PackageExtraction(QString executablePath) : executable_(std::move(executablePath)) {}

bool PackageExtraction::InitializeVideoExtraction(QString& target)
{
    if (target.isEmpty())
        return false;
    QFile executable(executable_);
    if (!executable.open(QIODevice::ReadOnly)) {
        LogError(kInitializeFailure, executable.errorString());
        return false;
    }
    return ReadPackageTrailer(executable, target);
}

bool PackageExtraction::ReadPackageTrailer(QFile& executable, QString& target)
{
    if (!trailer_.ReadTail(executable, executable.size()))
        return false;
    isPackage_ = true;
    switch (trailer_.Kind()) {
    case kKindSingleFile:
        trailer_.ReadSingleFileBlock(executable);
        return PasswordCheck(false) && ExtractSingleFile(executable, target);
    case kKindManyFiles:
        trailer_.ReadManyFilesBlock(executable);
        return PasswordCheck(true) && ExtractAllFiles(executable, target);
    default:
        LogError(kExtractFailure,
                 QStringLiteral("Package kind %1 is not known; nothing extracted").arg(trailer_.Kind()));
        return false;
    }
}

bool PackageExtraction::PasswordCheck(bool rawDigest)
{
    const quint8 protection = trailer_.Protection();
    if (protection == kNoPassword)
        return true;
    if (protection != kPasswordRequired) {
        LogError(kExtractFailure,
                 QStringLiteral("Package protection %1 is not known; nothing extracted").arg(protection));
        return false;
    }
    const std::optional<QString> password = prompt_ ? prompt_() : std::nullopt;
    if (!password)
        return false;
    const QByteArray stored = trailer_.DigestField();
    return rawDigest ? PackagePassword::MatchesDigest(stored, *password)
                     : PackagePassword::MatchesText(stored, *password);
}

std::unique_ptr<IPackageProgress> PackageExtraction::ShowProgress() const
{
    return progressFactory_ ? progressFactory_(QString::fromLatin1(kProgressTitle)) : nullptr;
}

void PackageExtraction::MakeFolder() const
{
    // One level only: the folder's parent is the system's temporary folder.
    if (!folder_.isEmpty() && !QDir(folder_).exists())
        QDir().mkdir(folder_);
}

bool PackageExtraction::ExtractTo(QFile& executable, qint64 offset, qint64 size, const QString& path,
                                  IPackageProgress* progress, const QString& startName)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        LogError(kCreateFailure, file.errorString());
        return false;
    }
    if (progress && !startName.isEmpty())
        progress->StartFile(startName, size, 1);
    try {
        PackageCopy::CopyRange(executable, offset, size, file, [progress](qint64 done) {
            if (progress)
                progress->UpdateProgress(done);
        });
        if (!file.flush())
            throw FalException(QStringLiteral("Couldn't write %1: %2").arg(path, file.errorString()));
    } catch (...) {
        // A half-copied file is not evidence.
        file.remove();
        throw;
    }
    file.close();
    return true;
}

bool PackageExtraction::ExtractSingleFile(QFile& executable, const QString& target)
{
    MakeFolder();
    const std::unique_ptr<IPackageProgress> progress = ShowProgress();
    singleFileName_ = target.mid(target.lastIndexOf(QLatin1Char('/')) + 1);
    return ExtractTo(executable, trailer_.SingleFileOffset(), trailer_.SingleFileSize(), target, progress.get(),
                     singleFileName_);
}

bool PackageExtraction::ExtractAllFiles(QFile& executable, QString& target)
{
    const std::vector<PackageEntry>& entries = trailer_.Entries();
    const int count = static_cast<int>(entries.size());
    const std::unique_ptr<IPackageProgress> progress = ShowProgress();
    bool extractedAny = false;
    for (int i = 0; i < count; ++i) {
        const PackageEntry& entry = entries[size_t(i)];
        const QString name = entry.Name();
        const QString refusal = PackageEntry::RefusalOfName(name);
        if (!refusal.isEmpty()) {
            LogError(kExtractFailure,
                     QStringLiteral("Package entry %1 \"%2\" refused, %3; the other files are extracted")
                         .arg(i)
                         .arg(name, refusal));
            continue;
        }
        if (progress)
            progress->StartFile(name, entry.size, count);
        MakeFolder();
        const QString path = folder_ + QLatin1Char('/') + name;
        if (!ExtractTo(executable, entry.offset, entry.size, path, progress.get(), QString()))
            return false;
        extractedAny = true;
        target = target.left(target.lastIndexOf(QLatin1Char('/')) + 1) + name;
        if (extracted_ && !extracted_(target))
            break;
    }
    return extractedAny;
}
