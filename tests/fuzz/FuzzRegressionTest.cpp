// Every input kept for the fuzz targets, run through the same target code in the normal build:
// the seed corpus (fuzz/corpus/<target>/) and the minimised inputs of every finding fixed
// (tests/fuzz/inputs/<target>/). A broken promise aborts the test with the target's message.
#include "FuzzTargets.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <cstdio>
#include <ostream>

namespace {

struct Target {
    const char* name;
    int (*run)(const uint8_t*, size_t);
};

const Target kTargets[] = {
    {"tag_reader", &FuzzTagReader},
    {"bookmark_section", &FuzzBookmarkSection},
    {"metadata_section", &FuzzMetadataSection},
    {"save_bookmarks", &FuzzSaveBookmarks},
    {"cabinet", &FuzzCabinet},
    {"vdl_open", &FuzzVdlOpen},
#ifdef PLOMERA_FUZZ_PACKAGE
    {"package", &FuzzPackage},
#endif
};

// Test names and messages show the target's name, not its bytes.
void PrintTo(const Target& target, std::ostream* out)
{
    *out << target.name;
}

class FuzzRegressionTest : public ::testing::TestWithParam<Target> {};

int RunFolder(const Target& target, const QString& folder)
{
    int count = 0;
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
        QFile f(dir.filePath(name));
        if (!f.open(QIODevice::ReadOnly)) {
            ADD_FAILURE() << "cannot read " << f.fileName().toStdString();
            continue;
        }
        const QByteArray bytes = f.readAll();
        // Named before it runs: a finding aborts the process.
        std::fprintf(stderr, "%s: %s\n", target.name, qPrintable(f.fileName()));
        EXPECT_EQ(target.run(reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<size_t>(bytes.size())), 0);
        ++count;
    }
    return count;
}

} // namespace

TEST_P(FuzzRegressionTest, EveryKeptInputRunsCleanly)
{
    const Target& target = GetParam();
    const int seeds = RunFolder(target, QStringLiteral(PLOMERA_FUZZ_CORPUS "/") + QLatin1String(target.name));
    RunFolder(target, QStringLiteral(PLOMERA_FUZZ_INPUTS "/") + QLatin1String(target.name));
    EXPECT_GT(seeds, 0) << "the seed corpus of " << target.name << " is missing";
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzRegressionTest, ::testing::ValuesIn(kTargets),
                         [](const ::testing::TestParamInfo<Target>& info) { return std::string(info.param.name); });
