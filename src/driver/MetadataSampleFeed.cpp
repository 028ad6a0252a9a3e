#include "driver/MetadataSampleFeed.h"

size_t MetadataSampleFeed::UpperBound(qint64 position) const
{
    // Recorder clocks may step back (a daylight saving change): a linear walk keeps track order.
    size_t i = 0;
    while (i < times_.size() && times_[i] <= position) ++i;
    return i;
}

std::vector<const MetadataSample*> MetadataSampleFeed::Advance(qint64 position)
{
    std::vector<const MetadataSample*> passed;
    const size_t end = UpperBound(position);
    const bool jumped = !last_ || position < *last_ || position - *last_ > kJumpSeconds;
    if (jumped) {
        if (end > 0) passed.push_back(&samples_[end - 1]);
    } else {
        for (size_t i = UpperBound(*last_); i < end; ++i) passed.push_back(&samples_[i]);
    }
    last_ = position;
    return passed;
}
