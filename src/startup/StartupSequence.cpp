#include "startup/StartupSequence.h"

#include "events/IPlomeraViewEvents.h"
#include "startup/CabinetFileHelper.h"
#include "logging/Logger.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QStringList NamesWithSuffix(const QString& folder, const QString& suffix)
{
    // By name, as a recorder's export lists them (camera_1 before camera_2): the order in which
    // the system's directory search returns names is arbitrary here, so the file opened first
    // would be whichever came first on that disk.
    const QDir dir(folder.isEmpty() ? QStringLiteral(".") : folder);
    return dir.entryList({QStringLiteral("*") + suffix}, QDir::Files | QDir::Hidden | QDir::System,
                         QDir::Name | QDir::IgnoreCase);
}

QString Join(const QString& folder, const QString& name)
{
    return folder + QLatin1Char('/') + name;
}

} // namespace

QString StartupSequence::GetTempFolder(const QString& fileVersion, const QString& systemTemp)
{
    if (systemTemp.isEmpty()) {
        Logger::GetInstance()->Error(QStringLiteral("GetTempPath failed (%1)\n").arg(ENOENT));
        return fileVersion;
    }
    QString dir = systemTemp;
    if (dir.size() > 1 && !dir.endsWith(QLatin1Char('/'))) {
        dir += QLatin1Char('/');
    }
    return dir + QStringLiteral("Plomera_") + fileVersion;
}

QString StartupSequence::SecureTempFolder(const QString& folder, QString* why)
{
    const QByteArray native = QFile::encodeName(folder);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST) {
        if (why) {
            *why = QStringLiteral("cannot create %1: %2").arg(folder, QString::fromLocal8Bit(std::strerror(errno)));
        }
    } else {
        struct stat st {};
        if (::lstat(native.constData(), &st) == 0) {
            if (!S_ISDIR(st.st_mode)) {
                if (why) *why = QStringLiteral("%1 is not a folder").arg(folder);
            } else if (st.st_uid != ::geteuid()) {
                if (why) *why = QStringLiteral("%1 belongs to another user").arg(folder);
            } else if (st.st_mode & (S_IWGRP | S_IWOTH)) {
                if (why) *why = QStringLiteral("%1 can be written by others").arg(folder);
            } else {
                return folder;
            }
        }
    }
    QByteArray templ = QFile::encodeName(QDir::tempPath() + QStringLiteral("/Plomera-XXXXXX"));
    if (::mkdtemp(templ.data()) == nullptr) {
        return folder;
    }
    return QFile::decodeName(templ);
}

QStringList StartupSequence::FindVideoFiles(const QString& folder)
{
    const QStringList videos = NamesWithSuffix(folder, QStringLiteral(".video"));
    return videos.isEmpty() ? NamesWithSuffix(folder, QStringLiteral(".partial")) : videos;
}

QString StartupSequence::FindFirstVideoFile(const QString& folder)
{
    for (const QString& suffix : {QStringLiteral(".video"), QStringLiteral(".partial")}) {
        const QStringList names = NamesWithSuffix(folder, suffix);
        if (!names.isEmpty()) {
            return names.first();
        }
    }
    return QStringLiteral(" ");
}

void StartupSequence::RecursiveDelete(const QString& folder)
{
    try {
        QDir(folder).removeRecursively();
    } catch (const std::exception& e) {
        Logger::GetInstance()->Error(QStringLiteral("Error in RecursiveDelete : %1").arg(QString::fromUtf8(e.what()).left(255)));
    }
}

bool StartupSequence::ExtractSupportBinaries(const QString& folder, const QByteArray& cabinet)
{
    if (folder.isEmpty()) {
        return false;
    }
    QDir().mkdir(folder);
    QFile out(Join(folder, QString::fromLatin1(kCabinetName)));
    if (out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        out.write(cabinet);
        out.close();
    }
    CabinetFileHelper helper;
    helper.Start(QString::fromLatin1(kCabinetName), folder + QLatin1Char('/'), folder);
    return helper.Result() == 1;
}

void StartupSequence::CopyMapDatabase(const QString& folder, const QString& executablePath)
{
    const qsizetype slash = executablePath.lastIndexOf(QLatin1Char('/'));
    const QString programFolder = slash > 0 ? executablePath.left(slash) : QString();
    const QString source = Join(programFolder, QString::fromLatin1(kMapDatabase));
    if (QFileInfo::exists(source)) {
        const QString target = Join(folder, QString::fromLatin1(kMapDatabase));
        QFile::remove(target);
        QFile::copy(source, target);
    }
}

void StartupSequence::SetEnvironment(const QString& folder)
{
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", path + ";" + QFile::encodeName(folder));
    qputenv("CODECINTERFACE", QFile::encodeName(folder));
}

void StartupSequence::RaiseOpenRequests(IPlomeraViewEvents* events, const QString& tempFolder,
                                        const QStringList& arguments, const QString& currentDirectory)
{
    if (!events) {
        return;
    }
    if (events->ExtractVideoFile(tempFolder)) {
        events->StartupComplete();
        return;
    }
    const QString file = arguments.size() > 1 ? arguments.at(1) : QStringLiteral(" ");
    if (file != QLatin1String(" ")) {
        events->OpenLocalFile(file.startsWith(QLatin1Char('\\')) ? Join(currentDirectory, file) : file);
        events->StartupComplete();
        return;
    }
    const QStringList names = FindVideoFiles(currentDirectory);
    if (!names.isEmpty()) {
        const QString primary = Join(currentDirectory, FindFirstVideoFile(currentDirectory));
        for (const QString& name : names) {
            const QString full = Join(currentDirectory, name);
            if (full != primary) {
                events->RegisterLocalFile(full);
            }
        }
        events->OpenLocalFile(primary);
    }
    events->StartupComplete();
}
