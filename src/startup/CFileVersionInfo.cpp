#include "startup/CFileVersionInfo.h"

#include <QFile>
#include <QLocale>
#include <cstring>
#include <vector>

namespace {

constexpr uint32_t kFixedSignature = 0xFEEF04BD;
constexpr qint64 kScanLimit = 512LL << 20;  // the block sits in the executable, never in appended evidence
constexpr qint64 kChunk = 4 << 20;

const unsigned char kMaskedMarker[16] = {0x0b, 0x36, 0x2f, 0x3b, 0x2c, 0x2a, 0x2b, 0x7f,
                                         0x6c, 0x1e, 0x3a, 0x69, 0x76, 0x1c, 0x0e, 0x1f};

uint32_t Le32(const char* p)
{
    uint32_t v = 0;
    std::memcpy(&v, p, 4);
    return v;
}

} // namespace

QByteArray CFileVersionInfo::Marker()
{
    QByteArray m(16, '\0');
    for (int i = 0; i < 16; ++i) {
        m[i] = static_cast<char>(kMaskedMarker[i] ^ 0x5A);
    }
    return m;
}

void CFileVersionInfo::Reset()
{
    fixedInfo.fill(0);
    for (QString* s : {&CompanyName, &FileDescription, &FileVersion, &InternalName, &LegalCopyright,
                       &OriginalFileName, &ProductName, &ProductVersion, &Comments, &LegalTrademarks,
                       &PrivateBuild, &SpecialBuild}) {
        s->clear();
    }
}

int CFileVersionInfo::ChooseTranslation(const uint32_t* entries, int count, uint16_t userLanguage)
{
    // Exact language, else same primary language byte; tried for the user's language, then
    // language 0, then 9; else the first entry.
    for (const uint16_t lang : {userLanguage, uint16_t(0), uint16_t(9)}) {
        for (int i = 0; i < count; ++i) {
            if ((entries[i] & 0xFFFF) == lang) {
                return i;
            }
        }
        for (int i = 0; i < count; ++i) {
            if ((entries[i] & 0xFF) == (lang & 0xFF)) {
                return i;
            }
        }
    }
    return 0;
}

bool CFileVersionInfo::Create(const QString& path)
{
    Reset();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray marker = Marker();
    QByteArray carry;
    qint64 offset = 0;
    while (offset < kScanLimit && !f.atEnd()) {
        const QByteArray chunk = carry + f.read(kChunk);
        qsizetype at = 0;
        while ((at = chunk.indexOf(marker, at)) >= 0) {
            if (f.seek(offset - carry.size() + at + marker.size())) {
                const QByteArray sizeBytes = f.read(4);
                if (sizeBytes.size() == 4) {
                    const uint32_t size = Le32(sizeBytes.constData());
                    if (size >= kFixedSize + 8 && size < (1u << 20)) {
                        const QByteArray block = f.read(size);
                        if (block.size() == qsizetype(size) && Parse(block)) {
                            return true;
                        }
                    }
                }
            }
            ++at;
        }
        offset += chunk.size() - carry.size();
        carry = chunk.right(marker.size() - 1);
        f.seek(offset);
    }
    Reset();
    return false;
}

bool CFileVersionInfo::Parse(const QByteArray& block)
{
    const char* p = block.constData();
    const char* end = p + block.size();
    if (Le32(p) != kFixedSignature) {
        return false;
    }
    std::memcpy(fixedInfo.data(), p, kFixedSize);
    p += kFixedSize;
    const uint32_t count = Le32(p);
    p += 4;
    if (count == 0 || count > 64 || p + 4 * count > end) {
        return false;
    }
    std::vector<uint32_t> translations(count);
    for (uint32_t i = 0; i < count; ++i) {
        translations[i] = Le32(p + 4 * i);
    }
    p += 4 * count;
    // The user's language as a language identifier: US English when the locale is English.
    const uint16_t user = QLocale::system().language() == QLocale::English ? 0x0409 : 0;
    const int chosen = ChooseTranslation(translations.data(), int(count), user);
    QString* fields[] = {&CompanyName, &FileDescription, &FileVersion, &InternalName, &LegalCopyright,
                         &OriginalFileName, &ProductName, &ProductVersion, &Comments, &LegalTrademarks,
                         &PrivateBuild, &SpecialBuild};
    for (int t = 0; t < int(count); ++t) {
        for (QString* field : fields) {
            if (p + 4 > end) {
                return false;
            }
            const uint32_t bytes = Le32(p);
            p += 4;
            if (bytes % 2 != 0 || p + bytes > end) {
                return false;
            }
            if (t == chosen) {
                *field = QString::fromUtf16(reinterpret_cast<const char16_t*>(p), bytes / 2);
            }
            p += bytes;
        }
    }
    return true;
}
