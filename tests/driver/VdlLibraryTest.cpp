#include "driver/VdlLibrary.h"
#include "evidence/FalException.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cstdlib>

TEST(VdlLibraryTest, CallerPathComesFirstThenTheStartUpFolderThenBesideTheExecutable)
{
    QTemporaryDir dir;
    setenv("CODECINTERFACE", "/opt/codec", 1);
    VdlLibrary::SetLibraryPath(dir.path());
    QStringList paths = VdlLibrary::CandidatePaths();
    ASSERT_GE(paths.size(), 3);
    EXPECT_EQ(paths[0], dir.filePath("libvdl.so"));
    EXPECT_EQ(paths[1], QStringLiteral("/opt/codec/libvdl.so"));
    EXPECT_TRUE(paths[2].endsWith(QStringLiteral("/libvdl.so")));
    // Installed: bin/plomera-evidence finds lib/plomera/libvdl.so of its own prefix.
    ASSERT_GE(paths.size(), 4);
    EXPECT_TRUE(paths[3].endsWith(QStringLiteral("/lib/plomera/libvdl.so")));
    EXPECT_FALSE(paths[3].contains(QStringLiteral("..")));

    // A file path is taken as it is.
    VdlLibrary::SetLibraryPath(QStringLiteral("/elsewhere/libvdl-debug.so"));
    EXPECT_EQ(VdlLibrary::CandidatePaths().value(0), QStringLiteral("/elsewhere/libvdl-debug.so"));
    VdlLibrary::SetLibraryPath({});
    unsetenv("CODECINTERFACE");
}

TEST(VdlLibraryTest, LoadFailuresNameTheFileOrTheMissingCall)
{
    try {
        VdlLibrary::Load(QStringLiteral("/nonexistent/libvdl.so"));
        FAIL();
    } catch (const FalException& e) {
        EXPECT_TRUE(e.Message().startsWith(QStringLiteral("Unable to load the video decoding library /nonexistent/libvdl.so: ")))
            << e.Message().toStdString();
    }
    // A shared library that is not the decoding library.
    try {
        VdlLibrary::Load(QStringLiteral("libc.so.6"));
        FAIL();
    } catch (const FalException& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("The video decoding library libc.so.6 has no VDL_AcquirePort"));
    }
}
