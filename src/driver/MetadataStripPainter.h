#pragma once

#include "driver/MetadataTypes.h"
#include "evidence/MetadataSample.h"

#include <QImage>
#include <QtGlobal>
#include <optional>
#include <vector>

// Draws the metadata strip and its tooltip from a vehicle's samples, without a window: the
// driver hands in the caller's pictures. Each selected non-digital input is a line over the
// window scaled to its own range there, each selected digital input a band where it is set, in
// the input's colour; the play position a vertical line. Inputs with no value in the sample
// record (analog 5 to 7, 10, 11 and the J1939 ones) are not drawn.
class MetadataStripPainter {
public:
    // The value of an input in a sample (a digital one 0 or 1); none when the record has none.
    static std::optional<double> Value(const MetadataSample& sample, int32_t inputType);
    static bool IsDigital(int32_t inputType) { return inputType >= 501 && inputType <= 512; }

    // times: each sample's time in the viewer's seconds, parallel to samples.
    MetadataStripPainter(const std::vector<MetadataSample>& samples, const std::vector<qint64>& times)
        : samples_(samples), times_(times) {}

    // The whole picture for [left, right] with the cursor at position (width cursorWidth,
    // colour 0xRRGGBB).
    void PaintStrip(QImage& strip, const MetadataConfigList& selection, qint64 left, qint64 right,
                    qint64 position, int cursorWidth, quint32 cursorColour) const;
    // "name: value" of the selected inputs for the sample nearest time within 1 s; false (the
    // picture untouched) when there is none or nothing selected has a value.
    bool PaintTooltip(QImage& tooltip, const MetadataConfigList& selection, qint64 time) const;

private:
    const std::vector<MetadataSample>& samples_;
    const std::vector<qint64>& times_;
};
