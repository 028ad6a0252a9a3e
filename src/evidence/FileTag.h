#pragma once

#include "evidence/BookmarkRecord.h"
#include "evidence/TagFile.h"
#include "evidence/VideoFile.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class QTemporaryFile;

// The tag of one video file: read from the trailer backwards, and written back when bookmarks
// are saved. One object serves every file its owner opens; each load replaces its whole content.
class FileTag {
public:
    // Layout constants: the single source of every field width.
    static constexpr int kModelNameSize = 16;
    static constexpr int kDeviceNameSize = 100;
    static constexpr int kCameraNameSize = 100;
    static constexpr int kCameraSlots = 32;
    static constexpr int kCameraNameBlockSize = kCameraNameSize * kCameraSlots;
    static constexpr int kTimeTextSize = 16;
    static constexpr int kNumberTextSize = 16;
    static constexpr int kFlagSize = 1;
    static constexpr int kIntegerSize = 4;
    static constexpr int kMajorSize = 1;
    static constexpr int kMinorSize = 1;
    static constexpr int kMarkerSize = 3;
    static constexpr int kLongTextSize = 20;
    static constexpr int kWriteMajor = 6;
    static constexpr int kWriteMinor = 2;
    static constexpr int kSectionSlots = 102;
    static constexpr int kBookmarkSectionIndex = 100;
    static constexpr int kBookmarkSectionId = 999;
    static constexpr int kLastSectionIndex = 101;
    static constexpr int kShortTrailerSize = 9;
    static constexpr int kLongTrailerSize = 17;
    static constexpr int kSectionEntrySize = 12;
    // Guards against lengths from damaged tags; far above anything a recorder writes.
    static constexpr qint64 kMaxLeadingText = 1 << 20;
    static constexpr qint64 kMaxBookmarkSection = 16 << 20;

    struct SectionSlot {
        int32_t id = -1;
        qint64 position = -1;
    };

    FileTag();
    ~FileTag();
    FileTag(const FileTag&) = delete;
    FileTag& operator=(const FileTag&) = delete;

    // Reading.
    QString ReadVersion(const QString& path);
    bool LoadFromFile(const QString& path);
    bool ReadBookmarks();
    bool OpenSection(int index, int id, bool forWrite);
    int ReadSectionRecord(char* buffer);
    void CloseMetaData();

    // Writing: the only change ever made to a video file. A file without any write permission
    // bit is evidence an examiner marked as not to be changed: the save refuses it with "The file
    // is write-protected: %s" before anything is written (no backup), whoever runs it, root
    // included (root would otherwise write it anyway).
    void SaveBookmarks();
    // True when the file exists and its mode has no write bit (owner, group or other).
    static bool IsWriteProtected(const QString& path);
    void BackupFileTag(const QString& videoPath, const QString& backupPath);
    void RestoreFileTag(const QString& backupPath, const QString& videoPath);
    bool OpenMetaData(int id);
    void WriteTag();
    // Writes a fresh tag of the given version ("6.0", "6.1", "6.2", "7.1") at the end of a file
    // that has none, with the bookmark section in front of it for 6.2 and 7.1, and before that
    // the metadata section when one was set (6.2 and 7.1 only: the others have no section table).
    // Used to make sample evidence.
    void AppendTag(const QString& path, const QString& version);
    // The section AppendTag lays in slot 0 with this id (a bookmark save later keeps it).
    void SetMetadataSection(int32_t id, const QByteArray& bytes)
    {
        metadataSectionId_ = id;
        metadataSection_ = bytes;
    }

    // What was read.
    const QString& FilePath() const { return filePath_; }
    QString Version() const;
    int Major() const { return static_cast<int8_t>(major_); }
    int Minor() const { return static_cast<int8_t>(minor_); }
    bool HasBookmarkSection() const;
    int DeviceType() const { return deviceType_; }
    const QString& ModelName() const { return modelName_; }
    const QString& DeviceName() const { return deviceName_; }
    const QStringList& CameraNames() const { return cameraNames_; }
    quint32 ChannelMask() const { return channelMask_; }
    const std::vector<int>& Channels() const { return channels_; }
    qint64 StartTime() const { return startTime_; }
    qint64 EndTime() const { return endTime_; }
    uint8_t AfterEnd() const { return afterEnd_; }
    float Number() const { return number_; }
    bool Encrypted() const { return encrypted_ != 0; }
    uint8_t EncryptedFlag() const { return encrypted_; }
    // Flag byte B as the 6.0/6.1 readers store it; 0 for later versions.
    uint8_t FlagB() const { return flagB_; }
    // Flag byte B in the place only the writer uses (6.2 and 7.1).
    uint8_t FlagBWritten() const { return flagB2_; }
    uint8_t FisheyeKind() const { return fisheyeKind_; }
    const QString& LeadingText() const { return leadingText_; }
    const QString& MountType() const { return mountType_; }
    const QString& ViewMode() const { return viewMode_; }
    bool ViewFlag() const { return viewFlag_ != 0; }
    int32_t Value1() const { return value1_; }
    int32_t Value2() const { return value2_; }
    qint64 StartOfTagPosition() const { return startOfTagPosition_; }
    qint64 LoadTimeTagStart() const { return loadTimeTagStart_; }
    // End of the stream region: the lowest position of a section in use, or the tag's start when
    // no section lies before it; -1 before a tag was read. Saving bookmarks never changes a byte
    // before it, so a digest of the bytes up to here stays the same across bookmark edits.
    qint64 StreamRegionEnd() const;
    const std::array<SectionSlot, kSectionSlots>& Sections() const { return sections_; }
    BookmarkList& Bookmarks() { return bookmarks_; }
    const BookmarkList& Bookmarks() const { return bookmarks_; }

    // Setting the fields, for the sample maker and for tests.
    void SetDeviceType(int type) { deviceType_ = type; modelName_.clear(); }
    void SetDeviceName(const QString& name) { deviceName_ = name; }
    void SetCameraNames(const QStringList& names) { cameraNames_ = names; }
    void SetChannelMask(quint32 mask);
    void SetStartTime(qint64 t) { startTime_ = t; }
    void SetEndTime(qint64 t) { endTime_ = t; }
    void SetEncrypted(bool on) { encrypted_ = on ? 1 : 0; }
    void SetFisheyeKind(int kind) { fisheyeKind_ = static_cast<uint8_t>(kind); }
    void SetMountType(const QString& text) { mountType_ = text; }
    void SetViewMode(const QString& text) { viewMode_ = text; }
    void SetViewFlag(bool on) { viewFlag_ = on ? 1 : 0; }
    void SetValue1(int32_t v) { value1_ = v; }
    void SetValue2(int32_t v) { value2_ = v; }
    void SetLeadingText(const QString& text) { leadingText_ = text; }
    void AddBookmark(const QString& name, qint64 time, const QString& notes);

private:
    struct Saved;

    void Reset();
    void ReadTag60(TagFile& f);
    void ReadTag61(TagFile& f);
    void ReadTag62(TagFile& f);
    void ReadTag71(TagFile& f);
    void ReadLongLayoutFront(TagFile& f);
    void StartShortTrailer(TagFile& f);
    void StartLongTrailer(TagFile& f);
    void ReadLeadingText(TagFile& f);
    void ReadCoreFields(TagFile& f);
    void ReadSectionTable(TagFile& f);
    void ReadByte(TagFile& f, uint8_t& target);
    void ReadLongText(TagFile& f, QString& target);
    void ReadLittleEndian(TagFile& f, int32_t& target);
    void SetCameraNameBlock(const QByteArray& block);
    void SetChannelList();
    void ReadBookmarkSection();

    QByteArray BuildTag(qint64 tagStart) const;
    QByteArray BuildTagBody(bool legacy61) const;
    QByteArray BuildCoreFields() const;
    void SaveBookmarksSteps();
    void SaveTail(qint64 from, qint64 length);
    void PutTailBack();
    void CloseSectionFile();
    void CheckSectionsBeforeSave() const;

    QString filePath_;
    uint8_t major_ = 0;
    uint8_t minor_ = 0;
    QByteArray marker_;
    int deviceType_ = 0;
    QString modelName_;
    QString deviceName_;
    QStringList cameraNames_;
    quint32 channelMask_ = 0;
    std::vector<int> channels_;
    qint64 startTime_ = 0;
    qint64 endTime_ = 0;
    uint8_t afterEnd_ = 0;
    float number_ = 0.0f;
    uint8_t encrypted_ = 0;
    uint8_t flagB_ = 0;
    uint8_t flagB2_ = 0;
    uint8_t fisheyeKind_ = 0;
    QString leadingText_;
    QString mountType_;
    QString viewMode_;
    uint8_t viewFlag_ = 0;
    int32_t value1_ = 0;
    int32_t value2_ = 0;
    std::array<SectionSlot, kSectionSlots> sections_;
    int32_t metadataSectionId_ = 0;
    QByteArray metadataSection_; // for AppendTag only
    qint64 startOfTagPosition_ = -1;
    qint64 loadTimeTagStart_ = -1;
    BookmarkList bookmarks_;

    // Section access, open between OpenSection and CloseMetaData.
    TagFile sectionFile_;
    int openSection_ = -1;
    bool writeFlag_ = false;
    bool tailSaved_ = false;
    bool videoModified_ = false;
    // Where the backup of the save in progress starts: the lowest offset the save may change.
    qint64 backupStart_ = -1;
    std::unique_ptr<QTemporaryFile> tailFile_;
};
