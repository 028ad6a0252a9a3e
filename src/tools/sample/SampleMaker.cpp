#include "SampleMaker.h"
#include "SampleMetadata.h"
#include "evidence/MetadataSection.h"

#include "SampleStreamWriter.h"

#include "evidence/DeviceTypes.h"
#include "evidence/FileTag.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cmath>

#include <ctime>
#include <stdexcept>

namespace {

// A model name the tag writer knows, so that the file's device type reads back.
int SampleDeviceType()
{
    for (int type = 1; type <= DeviceTypes::kHighestType; ++type) {
        if (type != DeviceTypes::kPlayedTimeSeek && !DeviceTypes::DisplayName(type).isEmpty())
            return type;
    }
    return DeviceTypes::kUnknown;
}

// Returns the tag version written.
QString WriteTag(const QString& path, const SampleEvidenceOptions& o, const QStringList& names, int firstChannel,
              qint64 start, qint64 end)
{
    FileTag tag;
    tag.SetDeviceType(SampleDeviceType());
    tag.SetDeviceName(o.deviceName);
    tag.SetCameraNames(names);
    quint32 mask = 0;
    for (int i = 0; i < names.size(); ++i)
        mask |= 1u << (firstChannel + i);
    tag.SetChannelMask(mask);
    tag.SetStartTime(start);
    tag.SetEndTime(end);
    tag.SetEncrypted(o.encrypted);
    // Kind 2 offers every dewarp layout in the tile's menu; kind 1 the single views only.
    tag.SetFisheyeKind(o.fisheye ? (o.fisheyeLayouts ? 2 : 1) : 0);
    if (o.fisheye) {
        tag.SetViewFlag(true);  // the viewer treats the camera as a fisheye one by this flag
        tag.SetMountType(o.mount);
        tag.SetViewMode(QStringLiteral("Panoramic 360"));
    }
    for (int b = 0; b < o.bookmarks; ++b) {
        const qint64 at = start + (end - start) * (b + 1) / (o.bookmarks + 1);
        tag.AddBookmark(QStringLiteral("Bookmark %1").arg(b + 1), at,
                        QStringLiteral("Sample bookmark %1 of %2").arg(b + 1).arg(o.bookmarks));
    }
    if (o.metadata) {
        tag.SetMetadataSection(MetadataSection::kSectionId,
                               MetadataSection::Encode(SampleMetadata::Make(start, end, o.routeLatitude, o.routeLongitude)));
    }
    QString version = o.tagVersion;
    if (version.isEmpty())
        version = o.fisheye ? QStringLiteral("7.1") : QStringLiteral("6.2");
    tag.AppendTag(path, version);
    return version;
}

} // namespace

qint64 SampleMaker::DefaultStart()
{
    struct tm local = {};
    local.tm_year = 2021 - 1900;
    local.tm_mon = 5;
    local.tm_mday = 5;
    local.tm_hour = 7;
    local.tm_min = 8;
    local.tm_isdst = -1;
    return static_cast<qint64>(mktime(&local));
}

QStringList SampleMaker::Make(const QString& folder, const SampleEvidenceOptions& options)
{
    QStringList paths;
    for (const SampleFile& file : MakeFiles(folder, options))
        paths << file.path;
    return paths;
}

std::vector<SampleFile> SampleMaker::MakeFiles(const QString& folder, const SampleEvidenceOptions& o)
{
    if (o.cameras < 1 || o.firstCamera < 1 || o.firstCamera + o.cameras > 33 || o.channelsPerFile < 1
        || o.channelsPerFile > 32)
        throw std::runtime_error("cameras and channels per file must be 1 to 32");
    if (!QDir().mkpath(folder))
        throw std::runtime_error("cannot create " + folder.toStdString());
    const qint64 start = o.startUtc != 0 ? o.startUtc : DefaultStart();
    const qint64 end = start + static_cast<qint64>(o.durationSeconds + 0.999);
    std::vector<SampleFile> written;
    const int files = (o.cameras + o.channelsPerFile - 1) / o.channelsPerFile;
    const qint64 framesPerFile = std::llround(o.durationSeconds * o.fps);
    const qint64 framesInAll = framesPerFile * (files + (o.partial ? 1 : 0));
    for (int f = 0; f < files + (o.partial ? 1 : 0); ++f) {
        const bool partial = f == files;
        const int first = partial ? 0 : f * o.channelsPerFile;
        const int count = partial ? std::min(o.channelsPerFile, o.cameras) : std::min(o.channelsPerFile, o.cameras - first);
        QStringList names;
        for (int c = 0; c < count; ++c)
            names << QStringLiteral("Camera %1").arg(o.firstCamera + first + c);
        SampleStreamOptions s;
        s.width = o.width;
        s.height = o.height;
        s.fps = o.fps;
        s.gop = o.gop;
        s.bitRate = o.bitRate;
        s.durationSeconds = o.durationSeconds;
        s.codec = o.codec;
        s.startUtc = start;
        s.cameraNames = names;
        for (int c = 0; c < count; ++c)
            s.cameraNumbers << o.firstCamera + first + c;
        s.audio = o.audio;
        s.fisheye = o.fisheye && f == 0; // the first camera is the fisheye one
        s.mount = o.mount;
        s.watermark = o.watermark;
        s.watermarkKey = o.key.toLatin1();
        s.watermarkBreakSecond = o.watermarkBreak;
        s.watermarkGapFrom = o.watermarkGapFrom;
        s.watermarkGapTo = o.watermarkGapTo;
        if (o.encrypted) {
            s.container = "mp4";
            s.encryptionKey = o.key.toLatin1();
            if (s.encryptionKey.size() != 16)
                throw std::runtime_error("the stream key must be 16 characters");
        }
        const QString base = names.size() == 1 ? names.first() : QStringLiteral("Cameras %1-%2").arg(o.firstCamera + first).arg(o.firstCamera + first + count - 1);
        const QString path = QDir(folder).filePath(base.toLower().replace(' ', '_')
                                                   + (partial ? QStringLiteral(".partial") : QStringLiteral(".video")));
        if (o.progress) {
            const QString name = QFileInfo(path).fileName();
            const qint64 before = framesPerFile * f;
            s.progress = [&o, name, before, framesInAll](int64_t done, int64_t) {
                o.progress(before + done, framesInAll, name);
            };
        }
        SampleStreamWriter::Write(path, s);
        SampleEvidenceOptions tagged = o;
        tagged.fisheye = s.fisheye;
        const QString version = WriteTag(path, tagged, names, o.firstCamera - 1 + first, start, end);
        SampleFile made;
        made.path = path;
        made.cameraNames = names;
        for (int c = 0; c < count; ++c)
            made.channels << o.firstCamera - 1 + first + c;
        made.startTime = start;
        made.endTime = end;
        made.tagVersion = partial ? QString() : version;
        made.partial = partial;
        if (partial) {
            // An export that was cut short: the stream ends early, the tag is lost with it.
            QFile file(path);
            const qint64 size = file.size();
            if (!file.resize(size * 6 / 10))
                throw std::runtime_error("cannot cut " + path.toStdString());
        }
        written.push_back(made);
    }
    return written;
}
