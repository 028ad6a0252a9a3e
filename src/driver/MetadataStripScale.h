#pragma once

#include <QtGlobal>
#include <optional>

// The one mapping between the metadata strip's pixels and time: the strip spans the time scale's
// window [left, right] across its width. The driver draws with it and the viewer reads the
// pointer with it, so a double click on a drawn sample seeks to that sample.
class MetadataStripScale {
public:
    MetadataStripScale(qint64 left, qint64 right, int width) : left_(left), right_(right), width_(width) {}

    bool Valid() const { return width_ > 0 && right_ > left_; }
    // left + trunc(x × (right − left) / width); none for an empty strip or window.
    std::optional<qint64> TimeAt(int x) const;
    // The inverse, unrounded; none for an empty strip or window.
    std::optional<double> XAt(qint64 time) const;

private:
    qint64 left_;
    qint64 right_;
    int width_;
};
