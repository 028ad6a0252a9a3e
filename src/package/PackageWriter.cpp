#include "package/PackageWriter.h"

#include "evidence/AnsiCodePage.h"
#include "evidence/FalException.h"
#include "logging/Logger.h"
#include "package/PackageCopy.h"
#include "package/PackageExtraction.h"
#include "package/PackageLayout.h"
#include "package/PackagePassword.h"
#include "package/PackageTrailer.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>

#include <limits>

using namespace PackageLayout;

namespace {

// The package under construction: a temporary file in the target's folder.
class PendingPackage {
public:
    explicit PendingPackage(const QString& target) : file_(target)
    {
        file_.setDirectWriteFallback(false);
        if (!file_.open(QIODevice::WriteOnly))
            throw FalException(QStringLiteral("Couldn't create %1: %2").arg(target, file_.errorString()));
    }
    ~PendingPackage()
    {
        if (file_.isOpen())
            file_.cancelWriting();
    }
    QSaveFile& File() { return file_; }

    void Write(const QByteArray& bytes)
    {
        if (file_.write(bytes) != bytes.size())
            throw FalException(QStringLiteral("Couldn't write %1: %2").arg(file_.fileName(), file_.errorString()));
    }

    void Commit(QFileDevice::Permissions permissions)
    {
        file_.setPermissions(permissions);
        if (!file_.commit())
            throw FalException(QStringLiteral("Couldn't write %1: %2").arg(file_.fileName(), file_.errorString()));
    }

private:
    QSaveFile file_;
};

void LogUnopenable(const QString& path)
{
    Logger::GetInstance()->Error(QStringLiteral("Unable to open video file: ") + path);
}

QFileDevice::Permissions RunnablePermissions(const QFile& player)
{
    return player.permissions() | QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
}

void OpenForReading(QFile& file)
{
    if (!file.open(QIODevice::ReadOnly))
        throw FalException(QStringLiteral("Couldn't open %1: %2").arg(file.fileName(), file.errorString()));
}

}  // namespace

bool PackageWriter::AppendFiles(QFileDevice& target, const QStringList& paths, std::vector<PackageEntry>& entries,
                                const PackageProgressFactory& progressFactory)
{
    Q_ASSERT(paths.size() == qsizetype(entries.size()));
    const std::unique_ptr<IPackageProgress> progress =
        progressFactory ? progressFactory(QString::fromLatin1(kProgressTitle)) : nullptr;
    const int count = static_cast<int>(entries.size());
    for (int i = 0; i < count; ++i) {
        QFile file(paths[i]);
        if (!file.open(QIODevice::ReadOnly)) {
            LogUnopenable(paths[i]);
            return false;
        }
        PackageEntry& entry = entries[size_t(i)];
        entry.size = file.size();
        if (i > 0) {
            const PackageEntry& previous = entries[size_t(i) - 1];
            if (previous.size > std::numeric_limits<qint64>::max() - previous.offset)
                throw FalException(QStringLiteral("The files are too large for one package"));
            entry.offset = previous.offset + previous.size;
        }
        if (progress) {
            progress->StartFile(entry.Name(), entry.size, count);
            progress->UpdateProgress(0);
        }
        PackageCopy::CopyRange(file, 0, entry.size, target, [&progress](qint64 done) {
            if (progress)
                progress->UpdateProgress(done);
        });
    }
    return true;
}

bool PackageWriter::WritePackageFiles(QFileDevice& target, const QString& folder, std::vector<PackageEntry>& entries,
                                      const PackageProgressFactory& progress)
{
    QStringList paths;
    for (const PackageEntry& entry : entries) {
        const QString name = entry.Name();
        const QString path = folder + QLatin1Char('/') + name;
        // Extraction refused such a name, so no such file came from the package.
        if (!PackageEntry::RefusalOfName(name).isEmpty()) {
            LogUnopenable(path);
            return false;
        }
        paths << path;
    }
    return AppendFiles(target, paths, entries, progress);
}

bool PackageWriter::CreateSingleEvidenceFile(const PackageExtraction& extraction, const QString& folder,
                                             const QString& target, const PackageProgressFactory& progress)
{
    if (!extraction.IsPackage())
        return false;
    const PackageTrailer& trailer = extraction.Trailer();
    std::vector<PackageEntry> entries;
    QByteArray block;
    qint64 playerSize = 0;
    if (trailer.HasManyFilesBlock()) {
        entries = trailer.Entries();
        block = trailer.ManyFilesBlock();
        playerSize = entries.empty() ? trailer.FileSize() - kManyFilesBlockFromEnd : entries.front().offset;
    } else if (trailer.HasSingleFileBlock()) {
        // Its one file becomes entry 0 under the name it was extracted as; the password goes
        // with it as the raw digest behind the stored text.
        const QByteArray name = AnsiCodePage::FromWide(extraction.SingleFileName());
        if (name.isEmpty() || name.size() >= kEntryNameSize)
            throw FalException(QStringLiteral("No file to write into the package"));
        entries.push_back(PackageEntry::Make(name, trailer.SingleFileOffset(), trailer.SingleFileSize()));
        const std::optional<QByteArray> digest = PackagePassword::DigestOfText(trailer.DigestField());
        if (!digest && trailer.Protection() == kPasswordRequired)
            throw FalException(QStringLiteral("The package's password cannot be carried into a new package"));
        block = PackageTrailer::MakeManyFilesBlock(1, trailer.Protection(), digest.value_or(QByteArray()));
        playerSize = trailer.SingleFileOffset();
    } else {
        throw FalException(QStringLiteral("The running package's trailer was not read"));
    }

    QFile executable(extraction.ExecutablePath());
    OpenForReading(executable);
    PendingPackage package(target);
    PackageCopy::CopyRange(executable, 0, playerSize, package.File());
    if (!WritePackageFiles(package.File(), folder, entries, progress))
        return false;
    package.Write(PackageTrailer::ManyFilesTrailer(entries, block, trailer.Marker()));
    package.Commit(RunnablePermissions(executable));
    return true;
}

void PackageWriter::CreatePackage(const QString& player, const QStringList& files, const QString& target,
                                  const std::optional<QString>& password, quint32 kind,
                                  const PackageProgressFactory& progress)
{
    if (files.isEmpty())
        throw FalException(QStringLiteral("A package carries at least one file"));
    if (kind == kKindSingleFile && files.size() != 1)
        throw FalException(QStringLiteral("A one-file package carries exactly one file"));
    if (kind != kKindSingleFile && kind != kKindManyFiles)
        throw FalException(QStringLiteral("Package kind %1 is not known").arg(kind));

    QFile executable(player);
    OpenForReading(executable);
    const qint64 playerSize = executable.size();
    PackageTrailer existing;
    if (existing.ReadTail(executable, playerSize))
        throw FalException(QStringLiteral("%1 is already a package").arg(player));

    std::vector<PackageEntry> entries;
    QSet<QByteArray> names;
    for (const QString& path : files) {
        const QString name = QFileInfo(path).fileName();
        const QByteArray ansi = AnsiCodePage::FromWide(name);
        if (AnsiCodePage::ToWide(ansi) != name)
            throw FalException(QStringLiteral("The name of %1 cannot be written in the package's code page").arg(path));
        if (ansi.size() >= kEntryNameSize)
            throw FalException(QStringLiteral("The name of %1 is too long for a package").arg(path));
        if (!PackageEntry::RefusalOfName(name).isEmpty())
            throw FalException(QStringLiteral("%1 is not a file name a package can carry").arg(path));
        if (names.contains(ansi.toLower()))
            throw FalException(QStringLiteral("Two files are named %1; extraction would keep only one").arg(name));
        names.insert(ansi.toLower());
        entries.push_back(PackageEntry::Make(ansi, playerSize, 0));
    }
    const quint8 protection = password ? kPasswordRequired : kNoPassword;

    PendingPackage package(target);
    PackageCopy::CopyRange(executable, 0, playerSize, package.File());
    if (!AppendFiles(package.File(), files, entries, progress))
        throw FalException(QStringLiteral("Couldn't read the files to carry"));
    if (kind == kKindSingleFile) {
        const QByteArray text = password ? PackagePassword::DigestText(*password) : QByteArray();
        package.Write(PackageTrailer::SingleFileTrailer(playerSize, entries.front().size, protection, text));
    } else {
        const QByteArray digest = password ? PackagePassword::Digest(*password) : QByteArray();
        const QByteArray block = PackageTrailer::MakeManyFilesBlock(quint32(entries.size()), protection, digest);
        package.Write(PackageTrailer::ManyFilesTrailer(entries, block, QByteArray(kMarker, kMarkerSize)));
    }
    package.Commit(RunnablePermissions(executable));
}
