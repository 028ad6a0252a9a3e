// The tag reader on a whole file of any content: every version, damaged trailers, lengths and
// positions pointing anywhere. It must fail only in the ways the evidence layer reports, read
// nothing beyond the file, and leave the file as it was.
#include "FuzzSupport.h"
#include "FuzzTargets.h"

#include "evidence/FalException.h"
#include "evidence/FileTag.h"

#include <stdexcept>

namespace {

void LookAtEverything(const FileTag& tag, qint64 fileSize)
{
    // Channels come from the 32-bit mask, ascending, and every field stays within its width.
    int last = -1;
    for (int channel : tag.Channels()) {
        FUZZ_CHECK(channel > last && channel < 32);
        last = channel;
    }
    FUZZ_CHECK(tag.CameraNames().size() <= FileTag::kCameraNameBlockSize / FileTag::kCameraNameSize + 1);
    for (const QString& name : tag.CameraNames()) {
        FUZZ_CHECK(name.size() <= FileTag::kCameraNameSize);
    }
    FUZZ_CHECK(tag.DeviceName().size() <= FileTag::kDeviceNameSize);
    FUZZ_CHECK(tag.LeadingText().size() <= fileSize);
    // Bookmarks are read from the file, never made up: no more than its bytes can hold.
    const qint64 records = static_cast<qint64>(tag.Bookmarks().size());
    FUZZ_CHECK(records * BookmarkRecord::kSize <= fileSize + BookmarkRecord::kSize);
    for (const auto& record : tag.Bookmarks()) {
        (void)record->GetName();
        (void)record->GetNotes();
        (void)record->GetTime();
    }
    (void)tag.Version();
    (void)tag.MountType().size();
    (void)tag.ViewMode().size();
}

} // namespace

int FuzzTagReader(const uint8_t* data, size_t size)
{
    ScratchFile file(data, size, QStringLiteral("tag-reader.video"));
    {
        FileTag tag;
        try {
            const QString version = tag.ReadVersion(file.Path());
            FUZZ_CHECK(!version.isEmpty());
            if (tag.LoadFromFile(file.Path())) {
                LookAtEverything(tag, static_cast<qint64>(size));
                // A second load of the same file gives the same result.
                const auto count = tag.Bookmarks().size();
                const QStringList names = tag.CameraNames();
                FUZZ_CHECK(tag.LoadFromFile(file.Path()));
                FUZZ_CHECK(tag.Bookmarks().size() == count);
                FUZZ_CHECK(tag.CameraNames() == names);
            }
        } catch (const FalException&) {
        } catch (const std::invalid_argument&) {
            // A time text that is no number: the standard conversion's own error, by design.
        } catch (const std::out_of_range&) {
        }
    }
    const QByteArray after = file.Bytes();
    FUZZ_CHECK(after.size() == static_cast<qsizetype>(size));
    FUZZ_CHECK(size == 0 || std::equal(after.begin(), after.end(), reinterpret_cast<const char*>(data)));
    return 0;
}

PLOMERA_FUZZ_TARGET(FuzzTagReader)
