#include "WatermarkChecker.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>

#include <cstdlib>
#include <cstring>

namespace {

constexpr int64_t kMissingAfterMillis = VDL_WATERMARK_GAP_SECONDS * 1000;
// A record whose time is further than this from its frame's is false.
constexpr int64_t kTimeToleranceSeconds = 1;
const uint8_t kUuid[16] = VDL_WATERMARK_UUID;

uint32_t Be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

void PutBe32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int s = 24; s >= 0; s -= 8)
        out.push_back(static_cast<uint8_t>(v >> s));
}

std::vector<uint8_t> Unescape(const uint8_t* p, size_t n)
{
    std::vector<uint8_t> out;
    out.reserve(n);
    int zeros = 0;
    for (size_t i = 0; i < n; ++i) {
        if (zeros >= 2 && p[i] == 3) {
            zeros = 0;
            continue;
        }
        out.push_back(p[i]);
        zeros = p[i] == 0 ? zeros + 1 : 0;
    }
    return out;
}

// Seconds since an arbitrary epoch of a packed time (days from the civil calendar).
int64_t PackedSeconds(uint32_t packed)
{
    int64_t y = (packed >> 26) + 2000;
    const int64_t m = (packed >> 22) & 15;
    const int64_t d = (packed >> 17) & 31;
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const int64_t days = era * 146097 + doe;
    return days * 86400 + ((packed >> 12) & 31) * 3600 + ((packed >> 6) & 63) * 60 + (packed & 63);
}

} // namespace

int WatermarkChecker::LengthSizeFromExtradata(const uint8_t* extradata, int size)
{
    if (extradata && size >= 7 && extradata[0] == 1)
        return (extradata[4] & 3) + 1;
    return 0;
}

void WatermarkChecker::Configure(const uint8_t key[16], int lengthSize)
{
    std::memcpy(m_key, key, 16);
    m_lengthSize = lengthSize;
    m_status = {};
    m_status.firstFailureMillis = -1;
    Reset();
}

void WatermarkChecker::Reset()
{
    m_chain = false;
    m_missingReported = false;
    m_sealed.clear();
    m_stretchOpen = false;
}

uint8_t WatermarkChecker::Tally(const VDL_WatermarkReport& record, uint32_t framePackedTime, bool sealHeld)
{
    ++m_status.recordsSeen;
    uint8_t fault = VDL_WATERMARK_FAULT_NONE;
    if (!sealHeld)
        fault = VDL_WATERMARK_FAULT_SEAL;
    if (!m_status.haveFirstRecord) {
        m_status.haveFirstRecord = 1;
        m_status.serialNumber = record.serialNumber;
        std::memcpy(m_status.mac, record.mac, 6);
        m_status.channel = record.channel;
    } else if (fault == VDL_WATERMARK_FAULT_NONE
               && (record.serialNumber != m_status.serialNumber || std::memcmp(record.mac, m_status.mac, 6) != 0
                   || record.channel != m_status.channel)) {
        fault = VDL_WATERMARK_FAULT_IDENTITY;
    }
    if (fault == VDL_WATERMARK_FAULT_NONE && framePackedTime != 0
        && std::llabs(PackedSeconds(record.packedTime) - PackedSeconds(framePackedTime)) > kTimeToleranceSeconds)
        fault = VDL_WATERMARK_FAULT_TIME;
    if (fault != VDL_WATERMARK_FAULT_NONE) {
        ++m_status.recordsFailed;
        NoteFailure(record.playedMillis, framePackedTime != 0 ? framePackedTime : record.packedTime);
    }
    return fault;
}

void WatermarkChecker::NoteFailure(int64_t playedMillis, uint32_t packedTime)
{
    if (m_status.firstFailureMillis < 0) {
        m_status.firstFailureMillis = playedMillis;
        m_status.firstFailureTime = packedTime;
    }
}

void WatermarkChecker::NoteStretch(int64_t playedMillis, uint32_t packedTime)
{
    if (!m_stretchOpen) {
        m_stretchOpen = true;
        m_stretchFromMillis = playedMillis;
        m_stretchFromTime = packedTime;
        return;
    }
    const int64_t length = playedMillis - m_stretchFromMillis;
    if (length > m_status.longestGapMillis) {
        m_status.longestGapMillis = length;
        m_status.gapFromMillis = m_stretchFromMillis;
        m_status.gapToMillis = playedMillis;
        m_status.gapFromTime = m_stretchFromTime;
        m_status.gapToTime = packedTime;
    }
}

void WatermarkChecker::UpdateState()
{
    if (m_status.recordsFailed > 0)
        m_status.state = VDL_WATERMARK_STATE_BROKEN;
    else if (m_status.longestGapMillis > kMissingAfterMillis)
        m_status.state = VDL_WATERMARK_STATE_MISSING;
    else if (m_status.recordsSeen > 0)
        m_status.state = VDL_WATERMARK_STATE_VERIFIED;
    else
        m_status.state = VDL_WATERMARK_STATE_NOT_CHECKED;
}

std::vector<std::vector<uint8_t>> WatermarkChecker::Split(const uint8_t* data, int size) const
{
    std::vector<std::vector<uint8_t>> nals;
    if (m_lengthSize > 0) {
        int pos = 0;
        while (pos + m_lengthSize <= size) {
            uint32_t n = 0;
            for (int i = 0; i < m_lengthSize; ++i)
                n = n << 8 | data[pos + i];
            pos += m_lengthSize;
            if (n > static_cast<uint32_t>(size - pos))
                break;
            nals.emplace_back(data + pos, data + pos + n);
            pos += static_cast<int>(n);
        }
        return nals;
    }
    auto findStart = [&](int from) {
        for (int i = from; i + 2 < size; ++i) {
            if (data[i] == 0 && data[i + 1] == 0 && data[i + 2] == 1)
                return i;
        }
        return size;
    };
    int start = findStart(0);
    while (start < size) {
        const int begin = start + 3;
        const int next = findStart(begin);
        int end = next;
        if (next < size && next > begin && data[next - 1] == 0)
            end = next - 1;
        if (end > begin)
            nals.emplace_back(data + begin, data + end);
        start = next;
    }
    return nals;
}

bool WatermarkChecker::ParseRecord(const std::vector<uint8_t>& nal, uint8_t record[VDL_WATERMARK_RECORD_SIZE]) const
{
    if (nal.size() < 2 || (nal[0] & 0x1F) != 6)
        return false;
    const std::vector<uint8_t> rbsp = Unescape(nal.data() + 1, nal.size() - 1);
    size_t pos = 0;
    while (pos + 2 <= rbsp.size() && rbsp[pos] != 0x80) {
        int type = 0;
        while (pos < rbsp.size() && rbsp[pos] == 0xFF)
            type += rbsp[pos++];
        if (pos >= rbsp.size())
            return false;
        type += rbsp[pos++];
        size_t payload = 0;
        while (pos < rbsp.size() && rbsp[pos] == 0xFF)
            payload += rbsp[pos++];
        if (pos >= rbsp.size())
            return false;
        payload += rbsp[pos++];
        if (pos + payload > rbsp.size())
            return false;
        if (type == 5 && payload == 16 + VDL_WATERMARK_RECORD_SIZE && std::memcmp(&rbsp[pos], kUuid, 16) == 0
            && rbsp[pos + 16] == 1) {
            std::memcpy(record, &rbsp[pos + 16], VDL_WATERMARK_RECORD_SIZE);
            return true;
        }
        pos += payload;
    }
    return false;
}

void WatermarkChecker::Feed(const uint8_t* data, int size, int64_t playedMillis, uint32_t packedTime,
                            std::vector<VDL_WatermarkReport>& reports)
{
    const auto nals = Split(data, size);
    uint8_t record[VDL_WATERMARK_RECORD_SIZE];
    bool found = false;
    for (const auto& nal : nals) {
        if (ParseRecord(nal, record)) {
            found = true;
            break;
        }
    }
    NoteStretch(playedMillis, packedTime);
    if (found) {
        const uint32_t sequence = Be32(record + 16);
        VDL_WatermarkReport report = {};
        report.packedTime = Be32(record + 1);
        report.serialNumber = static_cast<int32_t>(Be32(record + 5));
        std::memcpy(report.mac, record + 9, 6);
        report.channel = record[15];
        report.sequence = sequence;
        report.playedMillis = playedMillis;
        // Checkable: the chain runs from the previous record, or this is the stream's first.
        const bool checkable = m_chain || sequence == 0;
        bool sealHeld = true;
        if (checkable) {
            std::vector<uint8_t> message(record, record + 20);
            if (m_chain)
                message.insert(message.end(), m_sealed.begin(), m_sealed.end());
            unsigned char digest[EVP_MAX_MD_SIZE];
            unsigned int digestSize = 0;
            HMAC(EVP_sha256(), m_key, 16, message.data(), message.size(), digest, &digestSize);
            sealHeld = CRYPTO_memcmp(digest, record + 20, 16) == 0;
        }
        // An unchecked record still counts, and its identity and time are still compared.
        report.fault = Tally(report, packedTime, sealHeld);
        report.status = report.fault == VDL_WATERMARK_FAULT_NONE ? VDL_WATERMARK_INTACT : VDL_WATERMARK_BROKEN;
        if (checkable)
            reports.push_back(report);
        m_stretchFromMillis = playedMillis;
        m_stretchFromTime = packedTime;
        m_chain = true;
        m_missingReported = false;
        m_lastRecordMillis = playedMillis;
        m_sealed.clear();
    } else if (m_chain && !m_missingReported && playedMillis - m_lastRecordMillis > kMissingAfterMillis) {
        VDL_WatermarkReport report = {};
        report.packedTime = packedTime;
        report.status = VDL_WATERMARK_MISSING;
        report.playedMillis = playedMillis;
        reports.push_back(report);
        m_missingReported = true;
    }
    UpdateState();
    if (m_chain) {
        for (const auto& nal : nals) {
            PutBe32(m_sealed, static_cast<uint32_t>(nal.size()));
            m_sealed.insert(m_sealed.end(), nal.begin(), nal.end());
        }
    }
}
