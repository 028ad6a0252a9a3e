#include "evidence/FileTag.h"

#include "evidence/AnsiCodePage.h"
#include "evidence/DeviceTypes.h"
#include "evidence/EvidenceTime.h"
#include "evidence/FalException.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qint64 kCopyBlock = 64 * 1024;

void PutBigEndian(QByteArray& out, quint64 value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i) {
        out.append(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

void PutLittleEndian(QByteArray& out, quint32 value)
{
    for (int i = 0; i < 4; ++i) {
        out.append(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

// ANSI text cut or padded to a fixed width.
QByteArray Fixed(const QString& text, int width, char pad = '\0')
{
    QByteArray bytes = AnsiCodePage::FromWide(text).left(width);
    bytes.append(QByteArray(width - bytes.size(), pad));
    return bytes;
}

void SyncDirectoryOf(const QString& path)
{
    const QByteArray dir = QFileInfo(path).absolutePath().toLocal8Bit();
    const int fd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Copies from `from` (at its position) to `to` (at its position) until `from` ends.
void CopyRest(TagFile& from, TagFile& to)
{
    QByteArray block(kCopyBlock, '\0');
    for (;;) {
        const qint64 got = from.ReadInto(block.data(), kCopyBlock);
        if (got > 0) {
            to.Write(block.constData(), got);
        }
        if (got < kCopyBlock) {
            break;
        }
    }
}

QString FileOpenFailed()
{
    return QStringLiteral("File Open Failed : %1").arg(TagFile::LastErrorText());
}

} // namespace

struct FileTag::Saved {
    std::array<SectionSlot, kSectionSlots> sections;
    qint64 startOfTagPosition;
    uint8_t major;
    uint8_t minor;
    uint8_t flagB2;
};

QByteArray FileTag::BuildCoreFields() const
{
    QByteArray out;
    // An unknown model keeps the name it was read with, so a save never loses it.
    const QString model = DeviceTypes::DisplayName(deviceType_);
    out += Fixed(model.isEmpty() ? modelName_ : model, kModelNameSize);
    out += Fixed(deviceName_, kDeviceNameSize);
    for (int slot = 0; slot < kCameraSlots; ++slot) {
        out += slot < cameraNames_.size() ? Fixed(cameraNames_.at(slot), kCameraNameSize, ' ')
                                          : QByteArray(kCameraNameSize, '\0');
    }
    PutBigEndian(out, channelMask_, kIntegerSize);
    out += EvidenceTime::FormatOleText(startTime_);
    out += EvidenceTime::FormatOleText(endTime_);
    out.append(static_cast<char>(afterEnd_));
    char number[64];
    std::snprintf(number, sizeof number, "%.10Lf", static_cast<long double>(number_));
    out += QByteArray(number).left(kNumberTextSize).leftJustified(kNumberTextSize, '\0');
    return out;
}

QByteArray FileTag::BuildTagBody(bool legacy61) const
{
    QByteArray out;
    const QByteArray leading = AnsiCodePage::FromWide(leadingText_);
    PutBigEndian(out, static_cast<quint64>(leading.size()), kIntegerSize);
    out += leading;
    out += BuildCoreFields();
    out.append(static_cast<char>(encrypted_));
    out.append(static_cast<char>(legacy61 ? flagB_ : flagB2_));
    out.append(static_cast<char>(fisheyeKind_));
    if (!legacy61 && Major() == 7 && Minor() == 1) {
        out += Fixed(mountType_, kLongTextSize);
        out.append(static_cast<char>(viewFlag_));
        out += Fixed(viewMode_, kLongTextSize);
        PutLittleEndian(out, static_cast<quint32>(value1_));
        PutLittleEndian(out, static_cast<quint32>(value2_));
    } else {
        out += QByteArray(kLongTextSize, '\0');
    }
    return out;
}

QByteArray FileTag::BuildTag(qint64 tagStart) const
{
    QByteArray out = BuildTagBody(false);
    for (const SectionSlot& slot : sections_) {
        PutBigEndian(out, static_cast<quint32>(slot.id), kIntegerSize);
        PutBigEndian(out, static_cast<quint64>(slot.position < 0 ? tagStart : slot.position), 8);
    }
    PutBigEndian(out, static_cast<quint64>(tagStart), 8);
    return out;
}

void FileTag::WriteTag()
{
    if (!sectionFile_.IsOpen()) {
        throw FalException(QStringLiteral("Invalid file handle."));
    }
    if (!(Major() == 7 && Minor() == 1)) {
        major_ = kWriteMajor;
        minor_ = kWriteMinor;
    }
    const qint64 tagStart = sectionFile_.Tell();
    startOfTagPosition_ = tagStart;
    if (loadTimeTagStart_ == -1) {
        loadTimeTagStart_ = tagStart;
    }
    QByteArray tag = BuildTag(tagStart);
    for (SectionSlot& slot : sections_) {
        if (slot.position < 0) {
            slot.position = tagStart;
        }
    }
    const qint64 end = tagStart + tag.size() + kIntegerSize + kMajorSize + kMinorSize + kMarkerSize;
    PutBigEndian(tag, static_cast<quint64>(end - loadTimeTagStart_), kIntegerSize);
    tag.append(static_cast<char>(major_));
    tag.append(static_cast<char>(minor_));
    tag += QByteArrayLiteral("TAG");
    marker_ = QByteArrayLiteral("TAG");
    sectionFile_.Write(tag);
}

void FileTag::SaveTail(qint64 from, qint64 length)
{
    if (length <= 0) {
        return;
    }
    // A private, uniquely named file: nobody else can plant or overwrite it.
    tailFile_ = std::make_unique<QTemporaryFile>(QDir::tempPath() + QStringLiteral("/plomera-tail-XXXXXX"));
    if (!tailFile_->open()) {
        throw TagIoError(tailFile_->errorString().toStdString());
    }
    sectionFile_.Seek(from);
    QByteArray block(kCopyBlock, '\0');
    qint64 left = length;
    while (left > 0) {
        const qint64 want = std::min(left, kCopyBlock);
        const qint64 got = sectionFile_.ReadInto(block.data(), want);
        if (got != want || tailFile_->write(block.constData(), got) != got) {
            throw TagIoError("cannot keep the sections behind the bookmarks");
        }
        left -= got;
    }
    tailFile_->flush();
    tailSaved_ = true;
}

void FileTag::PutTailBack()
{
    if (!tailFile_ || !tailFile_->seek(0)) {
        throw TagIoError("the kept sections are missing");
    }
    sectionFile_.ClearFailure();
    sectionFile_.Seek(sectionFile_.Size());
    QByteArray block(kCopyBlock, '\0');
    for (;;) {
        const qint64 got = tailFile_->read(block.data(), kCopyBlock);
        if (got < 0) {
            throw TagIoError(tailFile_->errorString().toStdString());
        }
        if (got == 0) {
            break;
        }
        sectionFile_.Write(block.constData(), got);
    }
    tailFile_.reset();
    tailSaved_ = false;
}

void FileTag::CloseMetaData()
{
    if (!writeFlag_) {
        try {
            CloseSectionFile();
        } catch (const std::exception&) {
            throw FalException(QStringLiteral("Video File Footer close metadta Failed "));
        }
        return;
    }
    if (!sectionFile_.IsOpen()) {
        throw FalException(QStringLiteral("Invalid file handle."));
    }
    if (tailSaved_) {
        PutTailBack();
    }
    sectionFile_.ClearFailure();
    sectionFile_.Seek(sectionFile_.Size());
    WriteTag();
    sectionFile_.Sync();
    CloseSectionFile();
}

bool FileTag::OpenMetaData(int id)
{
    if (filePath_.isEmpty()) {
        throw FalException(QStringLiteral("filePath cannot be null.  You must first LoadFromFile"));
    }
    int index = -1;
    for (int i = 0; i < kSectionSlots && index < 0; ++i) {
        if (sections_[i].id == id) {
            index = i;
        }
    }
    for (int i = 0; i < kSectionSlots && index < 0; ++i) {
        if (sections_[i].id == -1) {
            index = i;
        }
    }
    if (index < 0) {
        throw FalException(QStringLiteral(
            "Cannot create new metadata section.  No more available _startOfMetaDataPosition slot."));
    }
    try {
        return OpenSection(index, id, true);
    } catch (const TagIoError&) {
        throw FalException(QStringLiteral("Video File Footer OpenMetaData Failed "));
    }
}

void FileTag::BackupFileTag(const QString& videoPath, const QString& backupPath)
{
    if (!QFileInfo::exists(videoPath)) {
        return;
    }
    if (loadTimeTagStart_ < 0) {
        throw FalException(QStringLiteral("BackupFileTag failed.  Cannot find start of tag position."));
    }
    TagFile video;
    if (!video.Open(videoPath, TagFile::Mode::Read)) {
        throw FalException(FileOpenFailed());
    }
    backupStart_ = loadTimeTagStart_;
    const qint64 bookmarksAt = sections_[kBookmarkSectionIndex].position;
    if (HasBookmarkSection() && bookmarksAt > 0 && bookmarksAt < backupStart_) {
        backupStart_ = bookmarksAt;
    }
    video.Seek(backupStart_);
    TagFile backup;
    if (!backup.Open(backupPath, TagFile::Mode::Create)) {
        throw FalException(QStringLiteral("Error in BackupFileTag : %1").arg(TagFile::LastErrorText()));
    }
    try {
        CopyRest(video, backup);
        // The backup must be on disk before the video file changes.
        backup.Sync();
    } catch (const TagIoError& e) {
        backup.Close();
        QFile::remove(backupPath);
        throw FalException(QStringLiteral("Error in BackupFileTag : %1").arg(QString::fromStdString(e.what())));
    }
    SyncDirectoryOf(backupPath);
}

void FileTag::RestoreFileTag(const QString& backupPath, const QString& videoPath)
{
    if (!QFileInfo::exists(backupPath) || !QFileInfo::exists(videoPath)) {
        return;
    }
    if (loadTimeTagStart_ <= 0) {
        throw FalException(QStringLiteral("RestoreFileTag failed.  Cannot find start of tag position."));
    }
    const qint64 start = backupStart_ > 0 ? backupStart_ : loadTimeTagStart_;
    TagFile video;
    if (!video.Open(videoPath, TagFile::Mode::ReadWrite)) {
        throw FalException(FileOpenFailed());
    }
    TagFile backup;
    if (!backup.Open(backupPath, TagFile::Mode::Read)) {
        throw FalException(FileOpenFailed());
    }
    try {
        video.Seek(start);
        CopyRest(backup, video);
        // The file ends where its old trailer ended, whatever the failed save had appended.
        video.Truncate(start + backup.Size());
        video.Sync();
    } catch (const TagIoError& e) {
        throw FalException(QStringLiteral("Video File Footer Metadata savebookmarks Failed%1")
                               .arg(QString::fromStdString(e.what())));
    }
}

void FileTag::CheckSectionsBeforeSave() const
{
    if (!HasBookmarkSection()) {
        return;
    }
    // A damaged section table must not make the save cut the file inside its stream.
    const qint64 bookmarks = sections_[kBookmarkSectionIndex].position;
    const qint64 next = sections_[kLastSectionIndex].position;
    if (bookmarks <= 0 || next < bookmarks || startOfTagPosition_ < next) {
        throw FalException(QStringLiteral("Video File Footer Metadata savebookmarks Failed "));
    }
}

bool FileTag::IsWriteProtected(const QString& path)
{
    struct stat st = {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) {
        return false;
    }
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

void FileTag::SaveBookmarks()
{
    if (IsWriteProtected(filePath_)) {
        throw FalException(QStringLiteral("The file is write-protected: %1").arg(filePath_));
    }
    CheckSectionsBeforeSave();
    const QString backup = filePath_ + QStringLiteral("_Backup");
    BackupFileTag(filePath_, backup);
    const Saved saved{sections_, startOfTagPosition_, major_, minor_, flagB2_};
    videoModified_ = false;
    try {
        SaveBookmarksSteps();
    } catch (...) {
        const std::exception_ptr failure = std::current_exception();
        CloseSectionFile();
        sections_ = saved.sections;
        startOfTagPosition_ = saved.startOfTagPosition;
        major_ = saved.major;
        minor_ = saved.minor;
        flagB2_ = saved.flagB2;
        // An untouched file needs no restore; a failed restore keeps the backup, the only copy.
        if (videoModified_) {
            RestoreFileTag(backup, filePath_);
        }
        QFile::remove(backup);
        try {
            std::rethrow_exception(failure);
        } catch (const FalException&) {
            throw;
        } catch (const TagIoError& e) {
            throw FalException(QStringLiteral("Video File Footer Metadata savebookmarks Failed%1")
                                   .arg(QString::fromStdString(e.what())));
        } catch (...) {
            throw FalException(QStringLiteral("Video File Footer Metadata savebookmarks Failed "));
        }
    }
    QFile::remove(backup);
}

void FileTag::SaveBookmarksSteps()
{
    if (!OpenSection(kBookmarkSectionIndex, kBookmarkSectionId, true)) {
        // An older tag: replace it by a current one with an empty bookmark section first.
        if (loadTimeTagStart_ <= 0) {
            CloseSectionFile();
            QFile::remove(filePath_ + QStringLiteral("_Backup"));
            throw FalException(QStringLiteral("Failed to SaveBookmarks, cannot upgrade video tag to current version."));
        }
        // Flag byte B moves to its place in the current layout instead of being lost.
        flagB2_ = flagB_;
        videoModified_ = true;
        sectionFile_.Truncate(loadTimeTagStart_);
        sectionFile_.ClearFailure();
        sectionFile_.Seek(loadTimeTagStart_);
        writeFlag_ = true;
        CloseMetaData();
        OpenMetaData(kBookmarkSectionId);
    }
    const int i = openSection_;
    if (i < kLastSectionIndex) {
        sections_[i + 1].position = sections_[i].position;
    } else {
        startOfTagPosition_ = sections_[i].position;
    }
    videoModified_ = true;
    sectionFile_.Truncate(sections_[i].position);
    sectionFile_.ClearFailure();
    sectionFile_.Seek(sections_[i].position);
    for (const auto& record : bookmarks_) {
        if (!sectionFile_.IsOpen()) {
            throw FalException(QStringLiteral("Invalid file handle."));
        }
        sectionFile_.Write(record->Bytes().data(), BookmarkRecord::kSize);
        for (int slot = i + 1; slot < kSectionSlots; ++slot) {
            sections_[slot].position += BookmarkRecord::kSize;
        }
        startOfTagPosition_ += BookmarkRecord::kSize;
    }
    CloseMetaData();
}

void FileTag::AppendTag(const QString& path, const QString& version)
{
    static const QStringList kVersions = {QStringLiteral("6.0"), QStringLiteral("6.1"),
                                          QStringLiteral("6.2"), QStringLiteral("7.1")};
    if (!kVersions.contains(version)) {
        throw FalException(QStringLiteral("The Video File version (%1) is unsupported by this version of the software.").arg(version));
    }
    CloseSectionFile();
    filePath_ = path;
    major_ = static_cast<uint8_t>(version.at(0).digitValue());
    minor_ = static_cast<uint8_t>(version.at(2).digitValue());
    if (!metadataSection_.isEmpty() && !HasBookmarkSection()) {
        throw FalException(QStringLiteral("A metadata section needs a tag with a section table (6.2 or 7.1), not %1").arg(version));
    }
    if (!sectionFile_.Open(path, TagFile::Mode::ReadWrite)) {
        throw FalException(QStringLiteral("Unable to open video file: ") + path);
    }
    try {
        const qint64 start = sectionFile_.Size();
        sectionFile_.Seek(start);
        if (!HasBookmarkSection()) {
            QByteArray tag = version == QLatin1String("6.1") ? BuildTagBody(true) : BuildCoreFields();
            if (version == QLatin1String("6.0")) {
                tag.append(static_cast<char>(encrypted_));
                tag.append(static_cast<char>(flagB_));
            }
            PutBigEndian(tag, static_cast<quint64>(tag.size() + kShortTrailerSize), kIntegerSize);
            tag.append(static_cast<char>(major_));
            tag.append(static_cast<char>(minor_));
            tag += QByteArrayLiteral("TAG");
            sectionFile_.Write(tag);
            startOfTagPosition_ = loadTimeTagStart_ = start;
        } else {
            sections_.fill(SectionSlot{});
            qint64 bookmarksAt = start;
            if (!metadataSection_.isEmpty()) {
                sectionFile_.Write(metadataSection_);
                sections_[0].id = metadataSectionId_;
                bookmarksAt = start + metadataSection_.size();
            }
            for (int slot = 0; slot <= kBookmarkSectionIndex; ++slot) {
                sections_[slot].position = slot == 0 ? start : bookmarksAt;
            }
            sections_[kBookmarkSectionIndex].id = kBookmarkSectionId;
            for (const auto& record : bookmarks_) {
                sectionFile_.Write(record->Bytes().data(), BookmarkRecord::kSize);
            }
            sections_[kLastSectionIndex].position = sectionFile_.Tell();
            loadTimeTagStart_ = -1;
            WriteTag();
        }
        sectionFile_.Sync();
    } catch (const TagIoError& e) {
        CloseSectionFile();
        throw FalException(QStringLiteral("Video File Footer Metadata savebookmarks Failed%1").arg(QString::fromStdString(e.what())));
    }
    CloseSectionFile();
}
