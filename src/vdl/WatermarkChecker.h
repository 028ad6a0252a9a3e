#pragma once

#include "vdl/vdl.h"

#include <cstdint>
#include <vector>

// Finds the watermark records in the coded video packets (layout in vdl.h) and checks each
// record's seal against the packets read since the previous one. Fed in reading order; a seek
// breaks the chain, and the first record after it is taken as the new start, unchecked.
class WatermarkChecker {
public:
    // lengthSize: NAL length prefix of length-prefixed streams (from the avcC), 0 for Annex B.
    void Configure(const uint8_t key[16], int lengthSize);
    void Reset();
    // Takes one packet; appends the reports it gives rise to.
    void Feed(const uint8_t* data, int size, int64_t playedMillis, uint32_t packedTime,
              std::vector<VDL_WatermarkReport>& reports);

    static int LengthSizeFromExtradata(const uint8_t* extradata, int size);

private:
    std::vector<std::vector<uint8_t>> Split(const uint8_t* data, int size) const;
    bool ParseRecord(const std::vector<uint8_t>& nal, uint8_t record[VDL_WATERMARK_RECORD_SIZE]) const;

    uint8_t m_key[16] = {};
    int m_lengthSize = 4;
    bool m_chain = false;       // a record was seen since the last reset
    bool m_missingReported = false;
    int64_t m_lastRecordMillis = 0;
    std::vector<uint8_t> m_sealed;
};
