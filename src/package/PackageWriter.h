#pragma once

#include "package/IPackageProgress.h"
#include "package/PackageEntry.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

class PackageExtraction;
class QFileDevice;

// Writing packages. Every package is written to a temporary file beside the target and renamed
// into place once complete, so a failure never leaves a half-written package under the chosen
// name, and an existing file there stays as it was. The package gets the player's permissions:
// it is run, not opened.
class PackageWriter {
public:
    static constexpr const char* kProgressTitle = "File Saving in Progress ...";

    // A new many-file package from the running package (as extraction read it at start-up) and
    // the files of folder that its entries name: the player part of the running executable, the
    // files as they are now, the entries with their new offsets and sizes, the block, kind and
    // marker as read. A one-file package is written as a many-file package with one entry.
    // False when a file is missing (logged); throws FalException on other failures.
    static bool CreateSingleEvidenceFile(const PackageExtraction& extraction, const QString& folder,
                                         const QString& target, const PackageProgressFactory& progress = {});

    // Appends the files of folder named by the entries to target, in order, and sets each
    // entry's size and, from entry 1 on, its offset; entry 0 keeps its offset. False when a
    // file cannot be opened (logged "Unable to open video file: ").
    static bool WritePackageFiles(QFileDevice& target, const QString& folder, std::vector<PackageEntry>& entries,
                                  const PackageProgressFactory& progress = {});

    // A first package from a plain player and video files: kind 2 with one entry per file, or
    // kind 1 with exactly one file. Without a password none is asked for. Throws FalException.
    static void CreatePackage(const QString& player, const QStringList& files, const QString& target,
                              const std::optional<QString>& password, quint32 kind,
                              const PackageProgressFactory& progress = {});

private:
    static bool AppendFiles(QFileDevice& target, const QStringList& paths, std::vector<PackageEntry>& entries,
                            const PackageProgressFactory& progress);
};
