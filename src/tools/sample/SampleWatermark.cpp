#include "SampleWatermark.h"

#include "vdl/vdl.h"

#include <openssl/evp.h>
#include <openssl/hmac.h>

#include <cstring>

namespace {

void PutBe32(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(static_cast<uint8_t>(v >> 24));
    out.push_back(static_cast<uint8_t>(v >> 16));
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v));
}

// Inserts emulation prevention bytes so that the payload cannot mimic a start code.
std::vector<uint8_t> Escape(const std::vector<uint8_t>& raw)
{
    std::vector<uint8_t> out;
    int zeros = 0;
    for (uint8_t b : raw) {
        if (zeros >= 2 && b <= 3) {
            out.push_back(3);
            zeros = 0;
        }
        out.push_back(b);
        zeros = b == 0 ? zeros + 1 : 0;
    }
    return out;
}

} // namespace

SampleWatermark::SampleWatermark(const uint8_t key[16], int32_t serial, const uint8_t mac[6],
                                 uint8_t channel)
    : m_serial(serial), m_channel(channel)
{
    std::memcpy(m_key, key, 16);
    std::memcpy(m_mac, mac, 6);
}

std::vector<std::vector<uint8_t>> SampleWatermark::SplitAnnexB(const uint8_t* data, int size)
{
    // Same cut as FFmpeg's Annex B to length-prefixed conversion: a zero byte in front of
    // 00 00 01 belongs to the start code.
    std::vector<std::vector<uint8_t>> nals;
    auto findStart = [&](int from) {
        for (int i = from; i + 2 < size; ++i) {
            if (data[i] == 0 && data[i + 1] == 0 && data[i + 2] == 1)
                return i;
        }
        return size;
    };
    int start = findStart(0);
    while (start < size) {
        int begin = start + 3;
        int next = findStart(begin);
        int end = next;
        if (next < size && next > begin && data[next - 1] == 0)
            end = next - 1;
        if (end > begin)
            nals.emplace_back(data + begin, data + end);
        start = next;
    }
    return nals;
}

void SampleWatermark::Account(const uint8_t* packet, int size)
{
    for (const auto& nal : SplitAnnexB(packet, size)) {
        PutBe32(m_sealed, static_cast<uint32_t>(nal.size()));
        m_sealed.insert(m_sealed.end(), nal.begin(), nal.end());
    }
}

std::vector<uint8_t> SampleWatermark::InsertRecord(const uint8_t* packet, int size,
                                                   uint32_t packedTime, bool breakSeal)
{
    std::vector<uint8_t> record;
    record.push_back(1);
    PutBe32(record, packedTime);
    PutBe32(record, static_cast<uint32_t>(m_serial));
    record.insert(record.end(), m_mac, m_mac + 6);
    record.push_back(m_channel);
    PutBe32(record, m_sequence++);

    std::vector<uint8_t> message(record);
    message.insert(message.end(), m_sealed.begin(), m_sealed.end());
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int digestSize = 0;
    HMAC(EVP_sha256(), m_key, 16, message.data(), message.size(), digest, &digestSize);
    if (breakSeal)
        digest[0] ^= 0xFF;
    record.insert(record.end(), digest, digest + 16);
    m_sealed.clear();

    static const uint8_t uuid[16] = VDL_WATERMARK_UUID;
    std::vector<uint8_t> sei;
    sei.push_back(5);                                          // user data unregistered
    sei.push_back(16 + VDL_WATERMARK_RECORD_SIZE);            // payload size
    sei.insert(sei.end(), uuid, uuid + 16);
    sei.insert(sei.end(), record.begin(), record.end());
    sei.push_back(0x80);                                       // rbsp trailing bits
    std::vector<uint8_t> escaped = Escape(sei);

    std::vector<uint8_t> out = {0, 0, 0, 1, 0x06};
    out.insert(out.end(), escaped.begin(), escaped.end());
    out.insert(out.end(), packet, packet + size);
    return out;
}
