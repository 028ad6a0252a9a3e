#pragma once

// Shared pieces of the fuzz targets. Each target is a plain function so that the same code runs
// under libFuzzer (fuzz/, built with clang) and over the kept inputs in the normal test suite
// (tests/fuzz/). A broken promise aborts, which both the fuzzer and ctest report as a finding.
#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            FuzzFailed(#condition, __FILE__, __LINE__);                                            \
        }                                                                                          \
    } while (0)

[[noreturn]] void FuzzFailed(const char* condition, const char* file, int line);

// A private folder for the files one run writes: under /dev/shm when it exists (no disk wear at
// thousands of runs a second), removed when the process ends.
QString FuzzScratchFolder();

// The input as a file in the scratch folder, removed again when the object goes.
class ScratchFile {
public:
    ScratchFile(const uint8_t* data, size_t size, const QString& name);
    ScratchFile(const QByteArray& bytes, const QString& name);
    ~ScratchFile();
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    const QString& Path() const { return path_; }
    QByteArray Bytes() const;

private:
    QString path_;
};

QByteArray ReadWholeFile(const QString& path);

// One entry point per executable when built as a fuzzer.
#ifdef PLOMERA_FUZZ_ENTRY
#define PLOMERA_FUZZ_TARGET(function)                                                              \
    extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)                        \
    {                                                                                              \
        return function(data, size);                                                               \
    }
#else
#define PLOMERA_FUZZ_TARGET(function)
#endif
