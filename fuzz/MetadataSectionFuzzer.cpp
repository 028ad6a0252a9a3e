// The metadata section reader over any bytes: it refuses with FalException or reads a track, and
// what it read is written and read back to the same bytes (no field is half-read or invented).
#include "FuzzSupport.h"
#include "FuzzTargets.h"

#include "evidence/FalException.h"
#include "evidence/MetadataSection.h"

int FuzzMetadataSection(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    MetadataTrack track;
    try {
        track = MetadataSection::Decode(bytes);
    } catch (const FalException&) {
        return 0;
    }
    const QByteArray once = MetadataSection::Encode(track);
    const QByteArray twice = MetadataSection::Encode(MetadataSection::Decode(once));
    FUZZ_CHECK(once == twice);
    return 0;
}

PLOMERA_FUZZ_TARGET(FuzzMetadataSection)
