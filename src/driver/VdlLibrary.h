#pragma once

#include "driver/VdlAdapter.h"

#include <QString>
#include <QStringList>

// Loads libvdl.so on first use and fills the process's one adapter table from it. The library is
// looked for, in this order: the path the caller gave, the folder named by CODECINTERFACE (the
// folder start-up prepares), beside the executable, in lib/plomera/ of the prefix the executable
// is installed in, and where the build put it.
class VdlLibrary {
public:
    static constexpr const char* kFileName = "libvdl.so";

    // A file, or a folder holding libvdl.so. Only takes effect before the first use.
    static void SetLibraryPath(const QString& path);
    static QStringList CandidatePaths();

    // The loaded table; loads the library on the first call. Throws FalException when no
    // candidate loads or a call is missing from the library.
    static const VdlAdapter& Adapter();

    // Loads one file and fills a table from it; throws FalException naming the missing call.
    static VdlAdapter Load(const QString& path);
};
