#include "evidence/MetadataSection.h"

#include "evidence/FalException.h"
#include "evidence/FileTag.h"

#include <QFile>

#include <bit>
#include <cstring>

namespace {

constexpr char kMark[4] = {'P', 'L', 'M', 'D'};
// The bytes of the fields each record version 1 holds; sizes below them are damage.
constexpr int kSettingFields = 12 + MetadataSection::kSettingNameSize;
constexpr int kSampleFields = 4 + 4 + 8 + 8 * 8 + 4 + 2 + 2 + MetadataSample::kInputs * MetadataSample::kInputNameSize;
static_assert(kSettingFields <= MetadataSection::kSettingSize);
static_assert(kSampleFields <= MetadataSection::kSampleSize);

QString Damaged(const QString& what)
{
    return QStringLiteral("The metadata section is damaged: %1").arg(what);
}

class Writer {
public:
    explicit Writer(QByteArray& out) : out_(out) {}
    void U8(uint8_t v) { out_.append(static_cast<char>(v)); }
    void U16(uint16_t v) { Put(v, 2); }
    void U32(uint32_t v) { Put(v, 4); }
    void I64(qint64 v) { Put(static_cast<uint64_t>(v), 8); }
    void F64(double v) { Put(std::bit_cast<uint64_t>(v), 8); }
    void Zero(int n) { out_.append(n, '\0'); }
    void Text(const QString& text, int size)
    {
        QByteArray bytes = text.toLatin1().left(size);
        bytes.append(size - bytes.size(), '\0');
        out_.append(bytes);
    }

private:
    void Put(uint64_t v, int bytes)
    {
        for (int i = 0; i < bytes; ++i)
            out_.append(static_cast<char>((v >> (8 * i)) & 0xFF));
    }
    QByteArray& out_;
};

class Reader {
public:
    Reader(const QByteArray& in, qsizetype at) : p_(reinterpret_cast<const uint8_t*>(in.constData()) + at) {}
    uint8_t U8() { return *p_++; }
    uint16_t U16() { return static_cast<uint16_t>(Get(2)); }
    uint32_t U32() { return static_cast<uint32_t>(Get(4)); }
    qint64 I64() { return static_cast<qint64>(Get(8)); }
    double F64() { return std::bit_cast<double>(Get(8)); }
    void Skip(int n) { p_ += n; }
    // ASCII up to the first NUL, never past size bytes.
    QString Text(int size)
    {
        const char* s = reinterpret_cast<const char*>(p_);
        const size_t n = strnlen(s, static_cast<size_t>(size));
        p_ += size;
        return QString::fromLatin1(s, static_cast<qsizetype>(n));
    }

private:
    uint64_t Get(int bytes)
    {
        uint64_t v = 0;
        for (int i = 0; i < bytes; ++i)
            v |= static_cast<uint64_t>(p_[i]) << (8 * i);
        p_ += bytes;
        return v;
    }
    const uint8_t* p_;
};

} // namespace

QByteArray MetadataSection::Encode(const MetadataTrack& track)
{
    QByteArray out;
    out.reserve(kHeaderSize + static_cast<qsizetype>(track.settings.size()) * kSettingSize
                + static_cast<qsizetype>(track.samples.size()) * kSampleSize);
    Writer w(out);
    out.append(kMark, 4);
    w.U16(kVersion);
    w.U16(kHeaderSize);
    w.U32(kSettingSize);
    w.U32(static_cast<uint32_t>(track.settings.size()));
    w.U32(kSampleSize);
    w.U32(static_cast<uint32_t>(track.samples.size()));
    w.Zero(8);
    for (const MetadataSetting& s : track.settings) {
        w.U32(static_cast<uint32_t>(s.inputType));
        w.U32(s.colour);
        w.U8(s.selected ? 1 : 0);
        w.Zero(3);
        w.Text(s.name, kSettingNameSize);
        w.Zero(kSettingSize - kSettingFields);
    }
    for (const MetadataSample& s : track.samples) {
        w.U8(s.kind);
        w.Zero(3);
        w.U32(static_cast<uint32_t>(s.direction));
        w.I64(s.timeMillis);
        for (double v : {s.longitude, s.latitude, s.speedMph, s.accelerationX, s.accelerationY, s.accelerationZ,
                         s.acceleratorPressure, s.brakePressure})
            w.F64(v);
        w.U32(s.inputMask);
        w.Text(s.longitudeHemisphere, 2);
        w.Text(s.latitudeHemisphere, 2);
        for (const QString& name : s.inputNames)
            w.Text(name, MetadataSample::kInputNameSize);
        w.Zero(kSampleSize - kSampleFields);
    }
    return out;
}

MetadataTrack MetadataSection::Decode(const QByteArray& bytes)
{
    if (bytes.size() < kHeaderSize)
        throw FalException(Damaged(QStringLiteral("%1 bytes, shorter than its header").arg(bytes.size())));
    if (std::memcmp(bytes.constData(), kMark, 4) != 0)
        throw FalException(Damaged(QStringLiteral("it does not begin with its mark")));
    Reader h(bytes, 4);
    const uint16_t version = h.U16();
    const uint16_t headerSize = h.U16();
    const uint32_t settingSize = h.U32();
    const uint32_t settingCount = h.U32();
    const uint32_t sampleSize = h.U32();
    const uint32_t sampleCount = h.U32();
    if (version != kVersion)
        throw FalException(QStringLiteral("The metadata section's version (%1) is unsupported by this version of the software.").arg(version));
    if (headerSize < kHeaderSize || settingSize < kSettingFields || sampleSize < kSampleFields)
        throw FalException(Damaged(QStringLiteral("its record sizes (%1, %2, %3) are below their fields").arg(headerSize).arg(settingSize).arg(sampleSize)));
    // Sizes and counts come from the file and may be anything: each product of two 32-bit values
    // fits in 64 unsigned bits, and each is held against the section before they are added.
    const uint64_t available = static_cast<uint64_t>(bytes.size());
    const uint64_t settingBytes = static_cast<uint64_t>(settingSize) * settingCount;
    const uint64_t sampleBytes = static_cast<uint64_t>(sampleSize) * sampleCount;
    if (settingBytes > available || sampleBytes > available || headerSize + settingBytes + sampleBytes > available)
        throw FalException(Damaged(QStringLiteral("%1 settings and %2 samples do not fit in its %3 bytes")
                                       .arg(settingCount).arg(sampleCount).arg(bytes.size())));
    MetadataTrack track;
    track.settings.reserve(settingCount);
    track.samples.reserve(sampleCount);
    qint64 at = headerSize;
    for (uint32_t i = 0; i < settingCount; ++i, at += settingSize) {
        Reader r(bytes, at);
        MetadataSetting s;
        s.inputType = static_cast<int32_t>(r.U32());
        s.colour = r.U32();
        s.selected = r.U8() != 0;
        r.Skip(3);
        s.name = r.Text(kSettingNameSize);
        track.settings.push_back(s);
    }
    for (uint32_t i = 0; i < sampleCount; ++i, at += sampleSize) {
        Reader r(bytes, at);
        MetadataSample s;
        s.kind = r.U8();
        r.Skip(3);
        s.direction = static_cast<int32_t>(r.U32());
        s.timeMillis = r.I64();
        s.longitude = r.F64();
        s.latitude = r.F64();
        s.speedMph = r.F64();
        s.accelerationX = r.F64();
        s.accelerationY = r.F64();
        s.accelerationZ = r.F64();
        s.acceleratorPressure = r.F64();
        s.brakePressure = r.F64();
        s.inputMask = r.U32();
        s.longitudeHemisphere = r.Text(2);
        s.latitudeHemisphere = r.Text(2);
        for (QString& name : s.inputNames)
            name = r.Text(MetadataSample::kInputNameSize);
        track.samples.push_back(std::move(s));
    }
    return track;
}

int MetadataSection::SlotOf(const FileTag& tag)
{
    const auto& sections = tag.Sections();
    for (int slot = 0; slot < FileTag::kBookmarkSectionIndex; ++slot) {
        if (sections[slot].id == kSectionId && sections[slot].position >= 0)
            return slot;
    }
    return -1;
}

std::optional<MetadataTrack> MetadataSection::Read(const QString& path, const FileTag& tag)
{
    const int slot = SlotOf(tag);
    if (slot < 0)
        return std::nullopt;
    const auto& sections = tag.Sections();
    const qint64 start = sections[slot].position;
    // A section runs to the start of the next slot's section.
    const qint64 end = sections[slot + 1].position;
    if (end < start || end - start > kMaxSection || (tag.StartOfTagPosition() >= 0 && end > tag.StartOfTagPosition()))
        throw FalException(Damaged(QStringLiteral("the section table gives it the bytes %1 to %2").arg(start).arg(end)));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(start))
        throw FalException(QStringLiteral("Unable to open video file: ") + path);
    const QByteArray bytes = file.read(end - start);
    if (bytes.size() != end - start)
        throw FalException(Damaged(QStringLiteral("the file ends inside it")));
    return Decode(bytes);
}
