#include "metadata/MetadataPanelText.h"

#include <cmath>

namespace {

const char* const kCompass[16] = {"N", "NNE", "NE", "ENE", "E", "ESE", "SE", "SSE",
                                  "S", "SSW", "SW", "WSW", "W", "WNW", "NW", "NNW"};

constexpr double kStandardGravity = 9.807;

} // namespace

double MetadataPanelText::Round(double value, int decimals)
{
    // 10² must be exactly 100, so the power is built by multiplication rather than pow().
    double scale = 1.0;
    for (int i = 0; i < decimals; ++i)
        scale *= 10.0;
    return std::round(value * scale) / scale;
}

QString MetadataPanelText::DegreeForm(double value)
{
    const double a = std::fabs(value);
    double d = std::floor(a);
    double m = Round((a - d) * 60.0, 6);
    if (m >= 60.0) {
        // 11.99999999999 rounds to 60 minutes: that is the next whole degree.
        d += 1.0;
        m -= 60.0;
    }
    return QString::asprintf("%d\u00B0 %.6f'", static_cast<int>(d), m);
}

QString MetadataPanelText::Coordinate(double value, const QString& hemisphere)
{
    return QStringLiteral("%1 %2").arg(DegreeForm(value), hemisphere);
}

QString MetadataPanelText::Direction(int32_t index)
{
    if (index < 0 || index > 15)
        return QStringLiteral("Unknown");
    return QString::fromLatin1(kCompass[index]);
}

QString MetadataPanelText::Speed(double mph)
{
    return QString::asprintf("%.2f mph", mph);
}

QString MetadataPanelText::Acceleration(double x, double y, double z)
{
    return QString::asprintf("%.2f g", Round(std::sqrt(x * x + y * y + z * z) / kStandardGravity, 2));
}

QString MetadataPanelText::Input(const MetadataSample& sample, int input)
{
    if (input < 1 || input > MetadataSample::kInputs)
        return QStringLiteral("NA");
    // Only the name's 16 bytes count; anything past them is not part of the name.
    const QString name = sample.inputNames[input - 1].left(MetadataSample::kInputNameSize);
    if (name.isEmpty() || name.at(0) == QChar(0))
        return QStringLiteral("NA");
    return (sample.inputMask >> (input - 1)) & 1u ? QStringLiteral("YES") : QStringLiteral("NO");
}

QString MetadataPanelText::InputLabel(int input)
{
    if (input >= 13)
        return QStringLiteral("Analog_%1").arg(input - 12, 2, 10, QChar('0'));
    return QStringLiteral("AlarmIn%1").arg(input, 2, 10, QChar('0'));
}

QString MetadataPanelText::AcceleratorPressure(double value)
{
    return QString::asprintf("%.2f %s", value, "%");
}

QString MetadataPanelText::BrakePressure(double value)
{
    return QString::asprintf("%.2f", value);
}

std::vector<std::pair<QString, QString>> MetadataPanelText::Pairs(const MetadataSample& sample)
{
    std::vector<std::pair<QString, QString>> pairs;
    pairs.emplace_back(QStringLiteral("Latitude"), Coordinate(sample.latitude, sample.latitudeHemisphere));
    pairs.emplace_back(QStringLiteral("Longitude"), Coordinate(sample.longitude, sample.longitudeHemisphere));
    pairs.emplace_back(QStringLiteral("Direction"), Direction(sample.direction));
    pairs.emplace_back(QStringLiteral("Speed"), Speed(sample.speedMph));
    pairs.emplace_back(QStringLiteral("Acceleration"),
                       Acceleration(sample.accelerationX, sample.accelerationY, sample.accelerationZ));
    for (int i = 1; i <= MetadataSample::kInputs; ++i)
        pairs.emplace_back(InputLabel(i), Input(sample, i));
    pairs.emplace_back(QStringLiteral("Accelerator Pressure"), AcceleratorPressure(sample.acceleratorPressure));
    pairs.emplace_back(QStringLiteral("Brake Pressure"), BrakePressure(sample.brakePressure));
    return pairs;
}
