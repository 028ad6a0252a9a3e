#pragma once

#include "vdl/vdl.h"

#include <cstdint>
#include <vector>

// Finds the watermark records in the coded video packets (layout in vdl.h) and checks each
// record's seal against the packets read since the previous one. Fed in reading order; a seek
// breaks the chain, and the first record after it is taken as the new start, unchecked.
// It also keeps the stream's status (VDL_WatermarkStatusBlock) over everything fed since
// Configure: a seek ends a stretch without records but keeps the counts. Not thread-safe: the
// port publishes Status() through its WatermarkWatch.
class WatermarkChecker {
public:
    // lengthSize: NAL length prefix of length-prefixed streams (from the avcC), 0 for Annex B.
    // Starts a new status.
    void Configure(const uint8_t key[16], int lengthSize);
    // The stream was positioned elsewhere: the chain and the stretch without records end.
    void Reset();
    // Takes one packet; appends the reports it gives rise to. packedTime is the frame's wall-clock
    // time, 0 when unknown (then record times are not compared).
    void Feed(const uint8_t* data, int size, int64_t playedMillis, uint32_t packedTime,
              std::vector<VDL_WatermarkReport>& reports);
    const VDL_WatermarkStatusBlock& Status() const { return m_status; }

    static int LengthSizeFromExtradata(const uint8_t* extradata, int size);

private:
    std::vector<std::vector<uint8_t>> Split(const uint8_t* data, int size) const;
    bool ParseRecord(const std::vector<uint8_t>& nal, uint8_t record[VDL_WATERMARK_RECORD_SIZE]) const;
    // The status's counts and identity for one record; returns its fault.
    uint8_t Tally(const VDL_WatermarkReport& record, uint32_t framePackedTime, bool sealHeld);
    void NoteFailure(int64_t playedMillis, uint32_t packedTime);
    // The stretch without records from the last record (or the start) up to playedMillis.
    void NoteStretch(int64_t playedMillis, uint32_t packedTime);
    void UpdateState();

    uint8_t m_key[16] = {};
    int m_lengthSize = 4;
    bool m_chain = false;       // a record was seen since the last reset
    bool m_missingReported = false;
    int64_t m_lastRecordMillis = 0;
    std::vector<uint8_t> m_sealed;
    VDL_WatermarkStatusBlock m_status = {};
    bool m_stretchOpen = false;     // a stretch start is set since the last reset
    int64_t m_stretchFromMillis = 0;
    uint32_t m_stretchFromTime = 0;
};
