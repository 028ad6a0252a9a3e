// The bookmark section of a 6.2 or 7.1 tag: its bytes and the positions the section table and the
// trailer give for it. The input is one control byte, three signed 32-bit shifts (slot 100,
// slot 101, the trailer's tag start; little-endian) and the section's bytes.
#include "FuzzSupport.h"
#include "FuzzTargets.h"

#include "evidence/TagBuilder.h"

#include "evidence/FalException.h"
#include "evidence/FileTag.h"

#include <cstring>
#include <stdexcept>

namespace {

constexpr size_t kHeader = 13;
constexpr qint64 kTable62 = 3396;
constexpr qint64 kTable71 = 3425;

int32_t LittleEndian32(const uint8_t* p)
{
    return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8
                                | static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24);
}

void PutBigEndian(std::string& out, size_t at, uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) {
        out[at + i] = static_cast<char>((value >> (8 * (bytes - 1 - i))) & 0xFF);
    }
}

} // namespace

int FuzzBookmarkSection(const uint8_t* data, size_t size)
{
    if (size < kHeader) {
        return 0;
    }
    const uint8_t control = data[0];
    const int32_t shiftBookmarks = LittleEndian32(data + 1);
    const int32_t shiftTail = LittleEndian32(data + 5);
    const int32_t shiftTagStart = LittleEndian32(data + 9);
    std::string payload(reinterpret_cast<const char*>(data + kHeader), size - kHeader);

    TagSpec laidOut;
    laidOut.version = (control & 1) ? "7.1" : "6.2";
    laidOut.stream = std::string(64, 'S');
    if (control & 2) {
        const size_t tail = std::min<size_t>(payload.size() / 2, 600);
        laidOut.tailSection = payload.substr(payload.size() - tail);
        payload.resize(payload.size() - tail);
    }
    laidOut.bookmarkSection = payload;
    std::string file = TagBuilder::Build(laidOut);

    const qint64 bookmarksAt = static_cast<qint64>(laidOut.stream.size());
    const qint64 tailAt = bookmarksAt + static_cast<qint64>(laidOut.bookmarkSection.size());
    const qint64 tagStart = tailAt + static_cast<qint64>(laidOut.tailSection.size());
    const qint64 table = tagStart + ((control & 1) ? kTable71 : kTable62);
    const qint64 slot100 = bookmarksAt + shiftBookmarks;
    const qint64 slot101 = tailAt + shiftTail;
    const qint64 trailerStart = tagStart + shiftTagStart;
    PutBigEndian(file, static_cast<size_t>(table + 100 * 12 + 4), static_cast<uint64_t>(slot100), 8);
    PutBigEndian(file, static_cast<size_t>(table + 101 * 12 + 4), static_cast<uint64_t>(slot101), 8);
    PutBigEndian(file, file.size() - 17, static_cast<uint64_t>(trailerStart), 8);

    ScratchFile scratch(reinterpret_cast<const uint8_t*>(file.data()), file.size(),
                        QStringLiteral("bookmark-section.video"));
    const qint64 fileSize = static_cast<qint64>(file.size());
    FileTag tag;
    try {
        if (!tag.LoadFromFile(scratch.Path())) {
            return 0;
        }
    } catch (const FalException&) {
        return 0;
    } catch (const std::invalid_argument&) {
        return 0;
    } catch (const std::out_of_range&) {
        return 0;
    }
    const auto& records = tag.Bookmarks();
    FUZZ_CHECK(static_cast<qint64>(records.size()) * BookmarkRecord::kSize <= fileSize + BookmarkRecord::kSize);
    if (shiftTagStart == 0 && slot100 >= 0 && slot100 <= slot101 && slot101 <= tagStart) {
        // A sound table: the records are exactly the section's bytes, the last one zero-padded.
        const qint64 length = slot101 - slot100;
        FUZZ_CHECK(static_cast<qint64>(records.size()) == (length + BookmarkRecord::kSize - 1) / BookmarkRecord::kSize);
        for (size_t i = 0; i < records.size(); ++i) {
            const qint64 at = slot100 + static_cast<qint64>(i) * BookmarkRecord::kSize;
            const qint64 n = std::min<qint64>(BookmarkRecord::kSize, slot101 - at);
            FUZZ_CHECK(std::memcmp(records[i]->Bytes().data(), file.data() + at, static_cast<size_t>(n)) == 0);
            for (qint64 k = n; k < BookmarkRecord::kSize; ++k) {
                FUZZ_CHECK(records[i]->Bytes()[static_cast<size_t>(k)] == 0);
            }
        }
    }
    // Reading the section again gives the same list.
    const size_t count = records.size();
    try {
        tag.ReadBookmarks();
        FUZZ_CHECK(tag.Bookmarks().size() == count);
    } catch (const FalException&) {
    }
    const QByteArray after = scratch.Bytes();
    FUZZ_CHECK(after == QByteArray::fromStdString(file));
    return 0;
}

PLOMERA_FUZZ_TARGET(FuzzBookmarkSection)
