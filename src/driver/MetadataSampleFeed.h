#pragma once

#include "evidence/MetadataSample.h"

#include <QtGlobal>
#include <optional>
#include <vector>

// Which samples the play position passed since it was last seen: one notice each, in order, as
// play runs over them; after a jump of more than 10 s either way only the last sample at or
// before the new position, so a seek does not replay minutes of track. Every kind is passed on
// (the viewer ignores kinds 0 and 1).
class MetadataSampleFeed {
public:
    static constexpr qint64 kJumpSeconds = 10;

    // times: each sample's time in the viewer's seconds, parallel to samples; both outlive the feed.
    MetadataSampleFeed(const std::vector<MetadataSample>& samples, const std::vector<qint64>& times)
        : samples_(samples), times_(times) {}

    std::vector<const MetadataSample*> Advance(qint64 position);
    void Reset() { last_.reset(); }

private:
    // The index of the first sample after the position.
    size_t UpperBound(qint64 position) const;

    const std::vector<MetadataSample>& samples_;
    const std::vector<qint64>& times_;
    std::optional<qint64> last_;
};
