// A player executable of any content read as a package: the trailer, the password check and the
// extraction of one or all files, then, for what extracted, a new package written from it and
// extracted again. Nothing may be written outside the extraction folder, no extracted file may
// be larger than the package, the package itself stays as it was, and a rewritten package
// carries the same files.
#include "FuzzSupport.h"
#include "FuzzTargets.h"

#include "evidence/FalException.h"
#include "package/PackageExtraction.h"
#include "package/PackageWriter.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <map>

namespace {

const QString kPassword = QStringLiteral("evidence");

// Every file under folder with its content, by name relative to folder.
std::map<QString, QByteArray> Contents(const QString& folder)
{
    std::map<QString, QByteArray> out;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        FUZZ_CHECK(!info.isSymLink() && info.isFile());
        out[QDir(folder).relativeFilePath(info.filePath())] = ReadWholeFile(info.filePath());
    }
    return out;
}

bool Extract(PackageExtraction& extraction, const QString& folder, int* files)
{
    extraction.SetExtractionFolder(folder);
    extraction.SetPasswordPrompt([] { return std::optional<QString>(kPassword); });
    extraction.SetFileExtracted([files, folder](const QString& path) {
        FUZZ_CHECK(QFileInfo(path).absolutePath() == QFileInfo(folder).absoluteFilePath());
        ++*files;
        return true;
    });
    QString target = folder + QStringLiteral("/AFD62DEF-B422-4AD5-B4C4-49FDF00D00F9.tmp");
    try {
        return extraction.InitializeVideoExtraction(target);
    } catch (const FalException&) {
        return false;
    }
}

} // namespace

int FuzzPackage(const uint8_t* data, size_t size)
{
    const QString root = FuzzScratchFolder() + QStringLiteral("/package");
    QDir(root).removeRecursively();
    QDir().mkpath(root);
    const QByteArray package(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    {
        ScratchFile file(package, QStringLiteral("package/player"));
        const QString out = root + QStringLiteral("/out");
        PackageExtraction extraction(file.Path());
        int files = 0;
        const bool extracted = Extract(extraction, out, &files);
        FUZZ_CHECK(file.Bytes() == package);
        const QStringList top = QDir(root).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        FUZZ_CHECK(top.size() <= 2 && top.contains(QStringLiteral("player")));
        const auto contents = Contents(out);
        for (const auto& [name, bytes] : contents) {
            FUZZ_CHECK(bytes.size() <= package.size());
        }
        if (extracted && extraction.IsPackage()) {
            // Written again from what was extracted, the package carries the same files.
            const QString again = root + QStringLiteral("/again");
            bool written = false;
            try {
                written = PackageWriter::CreateSingleEvidenceFile(extraction, out, again);
            } catch (const FalException&) {
            }
            if (written) {
                PackageExtraction second(again);
                int secondFiles = 0;
                FUZZ_CHECK(Extract(second, root + QStringLiteral("/out2"), &secondFiles));
                FUZZ_CHECK(Contents(root + QStringLiteral("/out2")) == contents);
            }
        }
    }
    QDir(root).removeRecursively();
    return 0;
}

PLOMERA_FUZZ_TARGET(FuzzPackage)
