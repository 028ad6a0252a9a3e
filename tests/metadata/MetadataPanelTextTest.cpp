#include "metadata/MetadataPanelText.h"

#include <gtest/gtest.h>

namespace {

MetadataSample Sample()
{
    MetadataSample s;
    s.latitude = -33.8568;
    s.latitudeHemisphere = QStringLiteral("S");
    s.longitude = 151.2153;
    s.longitudeHemisphere = QStringLiteral("E");
    s.direction = 15;
    s.speedMph = 31.256;
    s.accelerationZ = 9.807;
    s.acceleratorPressure = 45.0;
    s.brakePressure = 12.345;
    return s;
}

} // namespace

TEST(MetadataPanelText, CoordinatesAreDegreesAndMinutes)
{
    EXPECT_EQ(MetadataPanelText::Coordinate(-33.8568, QStringLiteral("S")), QStringLiteral("33° 51.408000' S"));
    // The minutes round up to 60: carried into the degree, never shown as 60.
    EXPECT_EQ(MetadataPanelText::DegreeForm(11.99999999999), QStringLiteral("12° 0.000000'"));
    EXPECT_EQ(MetadataPanelText::DegreeForm(0.0), QStringLiteral("0° 0.000000'"));
    EXPECT_EQ(MetadataPanelText::DegreeForm(-0.5), QStringLiteral("0° 30.000000'"));
}

TEST(MetadataPanelText, DirectionOutsideTheCompassIsUnknown)
{
    EXPECT_EQ(MetadataPanelText::Direction(0), QStringLiteral("N"));
    EXPECT_EQ(MetadataPanelText::Direction(15), QStringLiteral("NNW"));
    EXPECT_EQ(MetadataPanelText::Direction(16), QStringLiteral("Unknown"));
    EXPECT_EQ(MetadataPanelText::Direction(-1), QStringLiteral("Unknown"));
}

TEST(MetadataPanelText, MeasuresAndPressures)
{
    EXPECT_EQ(MetadataPanelText::Acceleration(0, 0, 9.807), QStringLiteral("1.00 g"));
    EXPECT_EQ(MetadataPanelText::Acceleration(3, 4, 0), QStringLiteral("0.51 g"));
    EXPECT_EQ(MetadataPanelText::Speed(31.256), QStringLiteral("31.26 mph"));
    EXPECT_EQ(MetadataPanelText::AcceleratorPressure(45.0), QStringLiteral("45.00 %"));
    EXPECT_EQ(MetadataPanelText::BrakePressure(12.345), QStringLiteral("12.35"));
}

TEST(MetadataPanelText, InputsWithoutNameAreNotAvailableWhateverTheirBit)
{
    MetadataSample s = Sample();
    s.inputMask = 0b11;
    s.inputNames[0] = QString();
    s.inputNames[1] = QStringLiteral("Door");
    s.inputNames[2] = QStringLiteral("Siren");
    s.inputNames[13] = QStringLiteral("Fuel");
    s.inputMask |= 1u << 13;
    EXPECT_EQ(MetadataPanelText::Input(s, 1), QStringLiteral("NA"));
    EXPECT_EQ(MetadataPanelText::Input(s, 2), QStringLiteral("YES"));
    EXPECT_EQ(MetadataPanelText::Input(s, 3), QStringLiteral("NO"));
    EXPECT_EQ(MetadataPanelText::Input(s, 14), QStringLiteral("YES"));
}

TEST(MetadataPanelText, PairsCoverThePanelInOrder)
{
    const auto pairs = MetadataPanelText::Pairs(Sample());
    ASSERT_EQ(pairs.size(), 21u);
    EXPECT_EQ(pairs[0], std::make_pair(QStringLiteral("Latitude"), QStringLiteral("33° 51.408000' S")));
    EXPECT_EQ(pairs[2].second, QStringLiteral("NNW"));
    EXPECT_EQ(pairs[4].second, QStringLiteral("1.00 g"));
    EXPECT_EQ(pairs[5].first, QStringLiteral("AlarmIn01"));
    EXPECT_EQ(pairs[16].first, QStringLiteral("AlarmIn12"));
    EXPECT_EQ(pairs[17].first, QStringLiteral("Analog_01"));
    EXPECT_EQ(pairs[18].first, QStringLiteral("Analog_02"));
    EXPECT_EQ(pairs[19], std::make_pair(QStringLiteral("Accelerator Pressure"), QStringLiteral("45.00 %")));
    EXPECT_EQ(pairs[20].first, QStringLiteral("Brake Pressure"));
}
