#pragma once

#include <cstdint>
#include <vector>

// Seals and inserts the watermark records of a sample stream (layout in vdl.h): one record
// carried as an SEI NAL unit in front of a packet, sealed over the coded frame bytes since the
// previous record.
class SampleWatermark {
public:
    SampleWatermark(const uint8_t key[16], int32_t serial, const uint8_t mac[6], uint8_t channel);

    // Adds the record to an Annex B packet (returned whole); breakSeal spoils its seal.
    std::vector<uint8_t> InsertRecord(const uint8_t* packet, int size, uint32_t packedTime,
                                      bool breakSeal);
    // Takes a packet (as finally written) into the bytes the next record seals.
    void Account(const uint8_t* packet, int size);

    // The decoding library's WatermarkChecker cuts packets into NAL units the same way with code
    // of its own. That is on purpose, keep both: the sample maker is written apart from the
    // checker so that streams made here test the checker rather than repeat it.
    static std::vector<std::vector<uint8_t>> SplitAnnexB(const uint8_t* data, int size);

private:
    uint8_t m_key[16];
    int32_t m_serial;
    uint8_t m_mac[6];
    uint8_t m_channel;
    uint32_t m_sequence = 0;
    std::vector<uint8_t> m_sealed;
};
