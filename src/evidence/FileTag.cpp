#include "evidence/FileTag.h"

#include "evidence/AnsiCodePage.h"
#include "evidence/DeviceTypes.h"
#include "evidence/EvidenceTime.h"
#include "evidence/FalException.h"
#include "evidence/WideText.h"

#include <QTemporaryFile>
#include <cstring>

namespace {

const QString kUnableToOpen = QStringLiteral("Unable to open video file: ");

quint64 BigEndian(const QByteArray& bytes)
{
    quint64 v = 0;
    for (char c : bytes) {
        v = (v << 8) | static_cast<unsigned char>(c);
    }
    return v;
}

// A reader's guard: the file and string layer's failures get the reader's own message, while
// FalException and the standard number-parsing errors pass unchanged.
template <typename Body>
void Guarded(const QString& message, Body body)
{
    try {
        body();
    } catch (const FalException&) {
        throw;
    } catch (const std::invalid_argument&) {
        throw;
    } catch (const std::out_of_range&) {
        throw;
    } catch (const std::exception&) {
        throw FalException(message);
    }
}

} // namespace

FileTag::FileTag() : marker_(kMarkerSize, '\0') {}

FileTag::~FileTag() = default;

QString FileTag::Version() const
{
    if (marker_ != QByteArrayLiteral("TAG")) {
        return QStringLiteral("3.1");
    }
    return QString::asprintf("%d.%d", Major(), Minor());
}

bool FileTag::HasBookmarkSection() const
{
    return Major() > kWriteMajor || (Major() == kWriteMajor && Minor() >= kWriteMinor);
}

void FileTag::Reset()
{
    major_ = 0;
    minor_ = 0;
    marker_ = QByteArray(kMarkerSize, '\0');
    deviceType_ = 0;
    modelName_.clear();
    deviceName_.clear();
    cameraNames_.clear();
    channelMask_ = 0;
    channels_.clear();
    startTime_ = 0;
    endTime_ = 0;
    afterEnd_ = 0;
    number_ = 0.0f;
    encrypted_ = 0;
    flagB_ = 0;
    flagB2_ = 0;
    fisheyeKind_ = 0;
    leadingText_.clear();
    mountType_.clear();
    viewMode_.clear();
    viewFlag_ = 0;
    value1_ = 0;
    value2_ = 0;
    sections_.fill(SectionSlot{});
    startOfTagPosition_ = -1;
    loadTimeTagStart_ = -1;
    bookmarks_.clear();
    CloseSectionFile();
}

QString FileTag::ReadVersion(const QString& path)
{
    TagFile f;
    if (!f.Open(path, TagFile::Mode::Read)) {
        throw FalException(kUnableToOpen + path);
    }
    f.SeekFromEnd(kMarkerSize);
    const QByteArray marker = f.Read(kMarkerSize);
    if (f.Failed() || marker != QByteArrayLiteral("TAG")) {
        return QStringLiteral("3.1");
    }
    marker_ = marker;
    f.SeekFromEnd(kMarkerSize + kMajorSize + kMinorSize);
    const QByteArray version = f.Read(kMajorSize + kMinorSize);
    if (version.size() == 2) {
        major_ = static_cast<uint8_t>(version[0]);
        minor_ = static_cast<uint8_t>(version[1]);
    }
    return QString::asprintf("%d.%d", Major(), Minor());
}

bool FileTag::LoadFromFile(const QString& path)
{
    Reset();
    const QString version = ReadVersion(path);
    filePath_ = path;
    TagFile f;
    if (!f.Open(path, TagFile::Mode::Read)) {
        throw FalException(kUnableToOpen + path);
    }
    bool recognised = true;
    Guarded(QStringLiteral("The Video File version (%1) is unsupported by this version of the software.").arg(version),
            [&] {
                if (version == QLatin1String("6.0")) {
                    ReadTag60(f);
                } else if (version == QLatin1String("6.1")) {
                    ReadTag61(f);
                } else if (version == QLatin1String("6.2")) {
                    ReadTag62(f);
                } else if (version == QLatin1String("7.1")) {
                    ReadTag71(f);
                } else {
                    recognised = false;
                }
                f.Close();
                if (recognised && (version == QLatin1String("6.2") || version == QLatin1String("7.1"))) {
                    ReadBookmarks();
                }
            });
    return recognised;
}

void FileTag::StartShortTrailer(TagFile& f)
{
    f.SeekFromEnd(kShortTrailerSize);
    const QByteArray length = f.Read(kIntegerSize);
    if (!f.Failed()) {
        f.SeekFromEnd(static_cast<qint64>(BigEndian(length)));
    }
    startOfTagPosition_ = f.Tell();
    loadTimeTagStart_ = f.Tell();
}

void FileTag::StartLongTrailer(TagFile& f)
{
    startOfTagPosition_ = 0;
    f.SeekFromEnd(kLongTrailerSize);
    const QByteArray start = f.Read(8);
    const QByteArray length = f.Read(kIntegerSize);
    if (start.size() == 8) {
        startOfTagPosition_ = static_cast<qint64>(BigEndian(start));
    }
    if (length.size() == kIntegerSize) {
        loadTimeTagStart_ = f.Size() - static_cast<qint64>(BigEndian(length));
    }
    f.Seek(startOfTagPosition_);
    if (f.Tell() != startOfTagPosition_) {
        throw FalException(QStringLiteral("Invalid start of tag position."));
    }
}

void FileTag::ReadByte(TagFile& f, uint8_t& target)
{
    const QByteArray b = f.Read(kFlagSize);
    if (b.size() == kFlagSize) {
        target = static_cast<uint8_t>(b[0]);
    }
}

void FileTag::ReadLongText(TagFile& f, QString& target)
{
    const QByteArray b = f.Read(kLongTextSize);
    if (b.size() == kLongTextSize) {
        target = AnsiCodePage::ToWide(b);
    }
}

void FileTag::ReadLittleEndian(TagFile& f, int32_t& target)
{
    const QByteArray b = f.Read(kIntegerSize);
    if (b.size() == kIntegerSize) {
        quint32 v = 0;
        for (int i = kIntegerSize - 1; i >= 0; --i) {
            v = (v << 8) | static_cast<unsigned char>(b[i]);
        }
        target = static_cast<int32_t>(v);
    }
}

void FileTag::ReadLeadingText(TagFile& f)
{
    const QByteArray length = f.Read(kIntegerSize);
    if (length.size() != kIntegerSize) {
        return;
    }
    const qint64 n = static_cast<qint64>(BigEndian(length));
    const qint64 remaining = f.Size() - f.Tell();
    if (n > remaining) {
        // Longer than what is left of the file: the stream fails as a short read would.
        f.Seek(-1);
        return;
    }
    if (n > kMaxLeadingText) {
        throw std::length_error("leading text too long");
    }
    const QByteArray text = f.Read(n);
    if (text.size() == n) {
        leadingText_ = AnsiCodePage::ToWide(text);
    }
}

void FileTag::ReadCoreFields(TagFile& f)
{
    const QByteArray model = f.Read(kModelNameSize);
    if (model.size() == kModelNameSize) {
        modelName_ = AnsiCodePage::ToWide(model);
        deviceType_ = DeviceTypes::FromModelName(modelName_);
    }
    const QByteArray device = f.Read(kDeviceNameSize);
    if (device.size() == kDeviceNameSize) {
        const int nul = device.indexOf('\0');
        deviceName_ = AnsiCodePage::ToWide(device.left(nul < 0 ? device.size() : nul));
    }
    const QByteArray block = f.Read(kCameraNameBlockSize);
    if (block.size() == kCameraNameBlockSize) {
        SetCameraNameBlock(block);
    }
    const QByteArray mask = f.Read(kIntegerSize);
    if (mask.size() == kIntegerSize) {
        channelMask_ = static_cast<quint32>(BigEndian(mask));
        SetChannelList();
    }
    const QByteArray start = f.Read(kTimeTextSize);
    if (start.size() == kTimeTextSize) {
        startTime_ = EvidenceTime::ParseOleText(start);
    }
    const QByteArray end = f.Read(kTimeTextSize);
    if (end.size() == kTimeTextSize) {
        endTime_ = EvidenceTime::ParseOleText(end);
    }
    ReadByte(f, afterEnd_);
    const QByteArray number = f.Read(kNumberTextSize);
    if (number.size() == kNumberTextSize) {
        // The C library's ASCII-to-float conversion: no number reads as 0.
        const QByteArray terminated = number + '\0';
        try {
            number_ = static_cast<float>(EvidenceTime::StringToDouble(terminated.constData()));
        } catch (const std::invalid_argument&) {
            number_ = 0.0f;
        } catch (const std::out_of_range&) {
            number_ = 0.0f;
        }
    }
}

void FileTag::SetCameraNameBlock(const QByteArray& block)
{
    QString all = AnsiCodePage::ToWide(block);
    WideText::TrimRight(all);
    WideText::TrimLeft(all);
    cameraNames_.clear();
    for (qsizetype start = 0; start <= all.size(); start += kCameraNameSize) {
        QString name = all.mid(start, kCameraNameSize);
        WideText::Trim(name);
        cameraNames_.append(WideText::UpToNul(name));
    }
}

void FileTag::SetChannelList()
{
    channels_.clear();
    for (int bit = 0; bit < 32; ++bit) {
        if (channelMask_ & (1u << bit)) {
            channels_.push_back(bit);
        }
    }
}

void FileTag::SetChannelMask(quint32 mask)
{
    channelMask_ = mask;
    SetChannelList();
}

void FileTag::ReadSectionTable(TagFile& f)
{
    for (SectionSlot& slot : sections_) {
        const QByteArray id = f.Read(kIntegerSize);
        const QByteArray position = f.Read(8);
        if (id.size() == kIntegerSize && position.size() == 8) {
            slot.id = static_cast<int32_t>(BigEndian(id));
            slot.position = static_cast<qint64>(BigEndian(position));
        }
    }
}

void FileTag::ReadTag60(TagFile& f)
{
    Guarded(QStringLiteral("Video File Footer Reading Failed - Version 6.0"), [&] {
        StartShortTrailer(f);
        ReadCoreFields(f);
        ReadByte(f, encrypted_);
        ReadByte(f, flagB_);
    });
}

void FileTag::ReadTag61(TagFile& f)
{
    Guarded(QStringLiteral("Video File Footer Reading Failed - Version 6.1"), [&] {
        StartShortTrailer(f);
        ReadLeadingText(f);
        ReadCoreFields(f);
        ReadByte(f, encrypted_);
        ReadByte(f, flagB_);
        ReadByte(f, fisheyeKind_);
        f.Read(kLongTextSize);
    });
}

void FileTag::ReadLongLayoutFront(TagFile& f)
{
    // 6.2 and 7.1 agree up to the fisheye kind.
    StartLongTrailer(f);
    ReadLeadingText(f);
    ReadCoreFields(f);
    ReadByte(f, encrypted_);
    ReadByte(f, flagB2_);
    ReadByte(f, fisheyeKind_);
}

void FileTag::ReadTag62(TagFile& f)
{
    Guarded(QStringLiteral("Video File Footer Reading Failed - Version 6.2"), [&] {
        ReadLongLayoutFront(f);
        f.Read(kLongTextSize);
        ReadSectionTable(f);
    });
}

void FileTag::ReadTag71(TagFile& f)
{
    // The message names 7.2, as recorders' tools have always reported it.
    Guarded(QStringLiteral("Video File Footer Reading Failed - Version 7.2"), [&] {
        ReadLongLayoutFront(f);
        ReadLongText(f, mountType_);
        ReadByte(f, viewFlag_);
        ReadLongText(f, viewMode_);
        ReadLittleEndian(f, value1_);
        ReadLittleEndian(f, value2_);
        ReadSectionTable(f);
    });
}

bool FileTag::ReadBookmarks()
{
    bookmarks_.clear();
    bool opened = false;
    Guarded(QStringLiteral("Video File Footer Read bookmarks Failed "), [&] {
        opened = OpenSection(kBookmarkSectionIndex, kBookmarkSectionId, false);
        if (opened) {
            ReadBookmarkSection();
        }
    });
    if (!opened) {
        return false;
    }
    CloseMetaData();
    return true;
}

void FileTag::ReadBookmarkSection()
{
    const qint64 start = sections_[kBookmarkSectionIndex].position;
    const qint64 end = sections_[kBookmarkSectionIndex + 1].position;
    if (start >= 0 && end > start && end - start > kMaxBookmarkSection) {
        throw FalException(QStringLiteral("Video File Footer Read bookmarks Failed "));
    }
    char buffer[BookmarkRecord::kSize];
    std::memset(buffer, 0, sizeof buffer);
    for (;;) {
        const int count = ReadSectionRecord(buffer);
        if (count <= 0) {
            break;
        }
        // A short final read keeps the rest of the record zero.
        bookmarks_.push_back(std::make_shared<BookmarkRecord>(buffer, count));
    }
}

bool FileTag::OpenSection(int index, int id, bool forWrite)
{
    openSection_ = index;
    writeFlag_ = forWrite;
    sections_.at(index).id = id;
    if (!sectionFile_.IsOpen()) {
        if (!sectionFile_.Open(filePath_, forWrite ? TagFile::Mode::ReadWrite : TagFile::Mode::Read)) {
            throw FalException(kUnableToOpen + filePath_);
        }
    }
    if (!HasBookmarkSection()) {
        return false;
    }
    if (!forWrite) {
        sectionFile_.Seek(sections_[index].position);
        return true;
    }
    const qint64 next = index < kLastSectionIndex ? sections_[index + 1].position : startOfTagPosition_;
    if (index < kLastSectionIndex) {
        SaveTail(next, startOfTagPosition_ - next);
    }
    sectionFile_.ClearFailure();
    sectionFile_.Seek(next);
    return true;
}

int FileTag::ReadSectionRecord(char* buffer)
{
    if (!sectionFile_.IsOpen()) {
        throw FalException(QStringLiteral("Invalid file handle."));
    }
    int count = 0;
    Guarded(QStringLiteral("Video File Footer Metadata Reading Failed "), [&] {
        const qint64 end = openSection_ < kLastSectionIndex ? sections_[openSection_ + 1].position
                                                            : startOfTagPosition_;
        const qint64 position = sectionFile_.Tell();
        // A failed stream (position -1) has nothing more to give either.
        if (position < 0 || position >= end) {
            count = -1;
            return;
        }
        const qint64 want = std::min<qint64>(BookmarkRecord::kSize, end - position);
        count = static_cast<int>(sectionFile_.ReadInto(buffer, want));
    });
    return count;
}

void FileTag::CloseSectionFile()
{
    sectionFile_.Close();
    openSection_ = -1;
    writeFlag_ = false;
    tailSaved_ = false;
    tailFile_.reset();
}

void FileTag::AddBookmark(const QString& name, qint64 time, const QString& notes)
{
    auto record = std::make_shared<BookmarkRecord>();
    record->SetName(name);
    record->SetTime(time);
    record->SetNotes(notes);
    bookmarks_.push_back(std::move(record));
}

qint64 FileTag::StreamRegionEnd() const
{
    if (startOfTagPosition_ < 0) {
        return -1;
    }
    qint64 end = startOfTagPosition_;
    for (const SectionSlot& slot : sections_) {
        if (slot.id != -1 && slot.position > 0 && slot.position < end) {
            end = slot.position;
        }
    }
    return end;
}
