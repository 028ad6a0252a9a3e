#include "driver/VdlLibrary.h"

#include "evidence/FalException.h"
#include "logging/Logger.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <dlfcn.h>
#include <mutex>
#include <optional>

namespace {

// Guards the chosen path and the loaded table; the library is loaded once and never unloaded,
// because its threads and callbacks may outlive any one driver.
std::mutex g_mutex;
QString g_callerPath;
std::optional<VdlAdapter> g_adapter;

// The library's and FFmpeg's lines go to the one log, from whichever thread they come.
void LogLine(int32_t level, const char* text, void*)
{
    const QString line = QString::fromUtf8(text != nullptr ? text : "").trimmed();
    if (level == 0) {
        Logger::GetInstance()->Error(line);
    } else {
        Logger::GetInstance()->Info(line);
    }
}

QString InFolder(const QString& folder)
{
    return QDir(folder).filePath(QString::fromLatin1(VdlLibrary::kFileName));
}

QString ExecutableFolder()
{
    if (QCoreApplication::instance() != nullptr) {
        return QCoreApplication::applicationDirPath();
    }
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().section(QLatin1Char('/'), 0, -2);
}

QStringList CandidatesLocked()
{
    QStringList paths;
    if (!g_callerPath.isEmpty()) {
        paths << (QFileInfo(g_callerPath).isDir() ? InFolder(g_callerPath) : g_callerPath);
    }
    const QString codecFolder = qEnvironmentVariable("CODECINTERFACE");
    if (!codecFolder.isEmpty()) {
        paths << InFolder(codecFolder);
    }
    const QString exeFolder = ExecutableFolder();
    if (!exeFolder.isEmpty()) {
        paths << InFolder(exeFolder);
        // Installed, the programs sit in bin/ and the library in lib/plomera/ of the same prefix.
        paths << QDir::cleanPath(InFolder(exeFolder + QStringLiteral("/../lib/plomera")));
    }
#ifdef PLOMERA_VDL_BUILD_PATH
    paths << QString::fromUtf8(PLOMERA_VDL_BUILD_PATH);
#endif
    paths.removeDuplicates();
    return paths;
}

} // namespace

void VdlLibrary::SetLibraryPath(const QString& path)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_callerPath = path;
}

QStringList VdlLibrary::CandidatePaths()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return CandidatesLocked();
}

VdlAdapter VdlLibrary::Load(const QString& path)
{
    void* handle = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* reason = dlerror();
        throw FalException(QStringLiteral("Unable to load the video decoding library %1: %2")
                               .arg(path, QString::fromLocal8Bit(reason != nullptr ? reason : "")));
    }
    VdlAdapter table;
    QString missing;
#define PLOMERA_VDL_RESOLVE(name)                                                                  \
    table.name = reinterpret_cast<decltype(table.name)>(dlsym(handle, "VDL_" #name));              \
    if (table.name == nullptr && missing.isEmpty()) {                                              \
        missing = QStringLiteral("VDL_" #name);                                                    \
    }
    PLOMERA_VDL_CALLS(PLOMERA_VDL_RESOLVE)
#undef PLOMERA_VDL_RESOLVE
    if (!missing.isEmpty()) {
        dlclose(handle);
        throw FalException(QStringLiteral("The video decoding library %1 has no %2").arg(path, missing));
    }
    return table;
}

const VdlAdapter& VdlLibrary::Adapter()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_adapter) {
        return *g_adapter;
    }
    const QStringList paths = CandidatesLocked();
    QString reasons;
    for (const QString& path : paths) {
        if (!QFileInfo::exists(path)) {
            continue;
        }
        try {
            g_adapter = Load(path);
            g_adapter->SetLogCallback(&LogLine, nullptr);
            return *g_adapter;
        } catch (const FalException& e) {
            reasons += QStringLiteral(" ") + e.Message();
        }
    }
    throw FalException(QStringLiteral("Unable to load the video decoding library %1 (looked in: %2).%3")
                           .arg(QString::fromLatin1(kFileName), paths.join(QStringLiteral(", ")), reasons));
}
