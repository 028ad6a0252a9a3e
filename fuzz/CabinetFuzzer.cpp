// Expanding a cabinet of any content into a folder: nothing may be written outside that folder,
// whatever the entry names say, and the cabinet itself stays as it was.
#include "FuzzSupport.h"
#include "FuzzTargets.h"

#include "startup/CabinetFileHelper.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

namespace {

// Gives every written file and folder back to its owner so it can be removed.
void RemoveAll(const QString& folder)
{
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile::setPermissions(it.next(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    QDir(folder).removeRecursively();
}

} // namespace

int FuzzCabinet(const uint8_t* data, size_t size)
{
    const QString root = FuzzScratchFolder() + QStringLiteral("/cabinet");
    RemoveAll(root);
    QDir().mkpath(root + QStringLiteral("/out"));
    const QByteArray cabinet(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    {
        ScratchFile file(cabinet, QStringLiteral("cabinet/551"));
        CabinetFileHelper helper;
        helper.Start(QStringLiteral("551"), root, root + QStringLiteral("/out"));
        FUZZ_CHECK(helper.Result() == 0 || helper.Result() == 1);
        FUZZ_CHECK(file.Bytes() == cabinet);
        // Beside the cabinet only the destination folder; inside it only plain files and folders.
        const QStringList top = QDir(root).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        FUZZ_CHECK(top.size() == 2 && top.contains(QStringLiteral("551")) && top.contains(QStringLiteral("out")));
        QDirIterator it(root + QStringLiteral("/out"), QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QFileInfo info(it.next());
            FUZZ_CHECK(!info.isSymLink() && (info.isFile() || info.isDir()));
        }
    }
    FUZZ_CHECK(QDir(FuzzScratchFolder()).entryList(QDir::Files | QDir::NoDotAndDotDot).isEmpty());
    RemoveAll(root);
    return 0;
}

PLOMERA_FUZZ_TARGET(FuzzCabinet)
