#pragma once

#include <QString>
#include <QStringList>

class IPlomeraViewEvents;

// The start-up steps that need no window: the temporary folder, the support binaries, the
// environment, and the open requests for the command line or the current directory.
class StartupSequence {
public:
    static constexpr const char* kSupportResource = ":/SUPPORTBINARIES/551";
    static constexpr const char* kCabinetName = "player.bin";
    static constexpr const char* kMapDatabase = "Data.gmdb";

    // System temporary directory + "Plomera_" + file version; the version alone (a relative
    // path) when there is no temporary directory.
    static QString GetTempFolder(const QString& fileVersion, const QString& systemTemp);

    // The folder is used only when it is ours alone: created 0700 when missing; one that another
    // user owns, that others can write or that is a link is replaced by a fresh private folder.
    // Returns the folder to use; why is set when it had to change.
    static QString SecureTempFolder(const QString& folder, QString* why = nullptr);

    // "*.video" names of the folder, else its "*.partial" names, in directory order.
    static QStringList FindVideoFiles(const QString& folder);
    // The first "*.video", else the first "*.partial", else " ".
    static QString FindFirstVideoFile(const QString& folder);
    static void RecursiveDelete(const QString& folder);

    // Writes the support cabinet into the folder as player.bin and expands it there.
    static bool ExtractSupportBinaries(const QString& folder, const QByteArray& cabinet);
    // Copies Data.gmdb from beside the executable; a missing one is not an error.
    static void CopyMapDatabase(const QString& folder, const QString& executablePath);

    // PATH gets ";" and the folder appended; CODECINTERFACE becomes the folder.
    static void SetEnvironment(const QString& folder);

    // The open requests after the temporary folder is ready: the package's evidence, else the
    // first argument, else the current directory's video files. Always ends in StartupComplete.
    static void RaiseOpenRequests(IPlomeraViewEvents* events, const QString& tempFolder,
                                  const QStringList& arguments, const QString& currentDirectory);
};
