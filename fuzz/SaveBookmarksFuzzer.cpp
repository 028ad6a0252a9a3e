// Saving bookmarks into a file of any content. The save either fails, leaving the file byte for
// byte as it was and no backup behind, or succeeds, and then the file reads back with exactly the
// bookmarks saved, the same tag fields, and the stream and the sections behind the bookmarks
// untouched. The first input byte picks the edit (bits 0-1: keep, add one, clear, add three) and
// a write, truncate or flush to fail as a full disk would (bits 2-5: the n-th, 0 = none); the rest
// is the file.
#include "FuzzSupport.h"
#include "FuzzTargets.h"

#include "evidence/FalException.h"
#include "evidence/FileTag.h"

#include <QDir>
#include <QFileInfo>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace {

struct Fields {
    int deviceType;
    QString deviceName;
    QString leadingText;
    quint32 channelMask;
    qint64 startTime;
    qint64 endTime;
    uint8_t afterEnd;
    uint8_t encrypted;
    uint8_t flagB;
    uint8_t fisheye;
    QString mountType;
    QString viewMode;
    bool viewFlag;
    int32_t value1;
    int32_t value2;

    static Fields Of(const FileTag& tag, uint8_t flagB)
    {
        return {tag.DeviceType(), tag.DeviceName(), tag.LeadingText(), tag.ChannelMask(), tag.StartTime(),
                tag.EndTime(), tag.AfterEnd(), tag.EncryptedFlag(), flagB, tag.FisheyeKind(), tag.MountType(),
                tag.ViewMode(), tag.ViewFlag(), tag.Value1(), tag.Value2()};
    }
    bool operator==(const Fields&) const = default;
};

std::vector<std::array<char, BookmarkRecord::kSize>> RecordBytes(const FileTag& tag)
{
    std::vector<std::array<char, BookmarkRecord::kSize>> out;
    for (const auto& record : tag.Bookmarks()) {
        out.push_back(record->Bytes());
    }
    return out;
}

bool LoadCleanly(FileTag& tag, const QString& path)
{
    try {
        return tag.LoadFromFile(path);
    } catch (const FalException&) {
    } catch (const std::invalid_argument&) {
    } catch (const std::out_of_range&) {
    }
    return false;
}

} // namespace

int FuzzSaveBookmarks(const uint8_t* data, size_t size)
{
    if (size < 1) {
        return 0;
    }
    const uint8_t control = data[0];
    const QByteArray before(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
    ScratchFile file(before, QStringLiteral("save.video"));
    const QString backup = file.Path() + QStringLiteral("_Backup");

    FileTag tag;
    if (!LoadCleanly(tag, file.Path())) {
        return 0;
    }
    const bool was71 = tag.Major() == 7 && tag.Minor() == 1;
    const bool hadSections = tag.HasBookmarkSection();
    const Fields fields = Fields::Of(tag, hadSections ? tag.FlagBWritten() : tag.FlagB());
    const qint64 bookmarksAt = hadSections ? tag.Sections()[FileTag::kBookmarkSectionIndex].position
                                           : tag.LoadTimeTagStart();
    const qint64 tailAt = hadSections ? tag.Sections()[FileTag::kLastSectionIndex].position : -1;
    const qint64 tagAt = tag.StartOfTagPosition();

    switch (control & 3) {
    case 1: tag.AddBookmark(QStringLiteral("Door"), 1700000000, QStringLiteral("opened")); break;
    case 2: tag.Bookmarks().clear(); break;
    case 3:
        for (int i = 0; i < 3; ++i) {
            tag.AddBookmark(QStringLiteral("Mark %1").arg(i), 1600000000 + i, QString(300, QLatin1Char('n')));
        }
        break;
    default: break;
    }
    const auto expected = RecordBytes(tag);

    const int failAt = (control >> 2) & 0x0F;
    int operations = 0;
    TagFile::SetFaultHook([&] { return ++operations == failAt; });
    bool saved = false;
    try {
        tag.SaveBookmarks();
        saved = true;
    } catch (const FalException&) {
    }
    TagFile::SetFaultHook({});

    const QByteArray after = file.Bytes();
    FUZZ_CHECK(!QFileInfo::exists(backup));
    FUZZ_CHECK(QDir(FuzzScratchFolder()).entryList(QDir::Files | QDir::NoDotAndDotDot).size() == 1);
    if (!saved) {
        FUZZ_CHECK(after == before);
        return 0;
    }

    // The stream (and any section in front of the bookmarks) is never touched.
    FUZZ_CHECK(bookmarksAt > 0 && bookmarksAt <= before.size());
    FUZZ_CHECK(std::memcmp(after.constData(), before.constData(), static_cast<size_t>(bookmarksAt)) == 0);

    FileTag reread;
    FUZZ_CHECK(LoadCleanly(reread, file.Path()));
    FUZZ_CHECK(reread.Version() == (was71 ? QStringLiteral("7.1") : QStringLiteral("6.2")));
    FUZZ_CHECK(RecordBytes(reread) == expected);
    FUZZ_CHECK(Fields::Of(reread, reread.FlagBWritten()) == fields);
    const auto& sections = reread.Sections();
    FUZZ_CHECK(sections[FileTag::kBookmarkSectionIndex].position == bookmarksAt);
    FUZZ_CHECK(sections[FileTag::kLastSectionIndex].position
               == bookmarksAt + static_cast<qint64>(expected.size()) * BookmarkRecord::kSize);
    if (hadSections) {
        // The sections behind the bookmarks come back behind the new ones, unchanged.
        const QByteArray tail = before.mid(tailAt, tagAt - tailAt);
        FUZZ_CHECK(after.mid(sections[FileTag::kLastSectionIndex].position, tail.size()) == tail);
        FUZZ_CHECK(reread.StartOfTagPosition() == sections[FileTag::kLastSectionIndex].position + tail.size());
    }
    return 0;
}

PLOMERA_FUZZ_TARGET(FuzzSaveBookmarks)
