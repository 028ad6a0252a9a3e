#include "driver/MetadataStripScale.h"

std::optional<qint64> MetadataStripScale::TimeAt(int x) const
{
    if (!Valid()) return std::nullopt;
    return left_ + static_cast<qint64>(x) * (right_ - left_) / width_;
}

std::optional<double> MetadataStripScale::XAt(qint64 time) const
{
    if (!Valid()) return std::nullopt;
    return static_cast<double>(time - left_) * width_ / static_cast<double>(right_ - left_);
}
