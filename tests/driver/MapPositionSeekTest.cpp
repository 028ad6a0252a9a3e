#include "driver/MapPositionSeek.h"

#include <gtest/gtest.h>

namespace {

constexpr double kMetresPerDegreeLatitude = 111194.93; // 2 pi R / 360

LatLongSample At(double latitude, double longitude, qint64 millis)
{
    return {longitude, latitude, millis};
}

} // namespace

TEST(MapPositionSeekTest, HaversineDistances)
{
    EXPECT_DOUBLE_EQ(MapPositionSeek::DistanceMetres(51.5, -0.12, 51.5, -0.12), 0.0);
    EXPECT_NEAR(MapPositionSeek::DistanceMetres(10.0, 20.0, 11.0, 20.0), kMetresPerDegreeLatitude, 0.1);
    // London to Paris on a sphere of 6371 km.
    EXPECT_NEAR(MapPositionSeek::DistanceMetres(51.5074, -0.1278, 48.8566, 2.3522), 343556.0, 100.0);
    // Across the antimeridian the short way round, and antipodes are half the circumference.
    EXPECT_NEAR(MapPositionSeek::DistanceMetres(0.0, 179.9995, 0.0, -179.9995), 111.19, 0.01);
    EXPECT_NEAR(MapPositionSeek::DistanceMetres(0.0, 0.0, 0.0, 180.0), 20015086.8, 1.0);
}

TEST(MapPositionSeekTest, FirstSampleWithinFiftyMetresDecides)
{
    const double lat = -33.8568;
    const double lon = 151.2153;
    const double sixtyMetres = 60.0 / kMetresPerDegreeLatitude;
    const double thirtyMetres = 30.0 / kMetresPerDegreeLatitude;
    const double tenMetres = 10.0 / kMetresPerDegreeLatitude;
    const LatLongData track{At(lat + sixtyMetres, lon, 1000), At(lat - thirtyMetres, lon, 2000),
                            At(lat + tenMetres, lon, 3000)};
    const auto hit = MapPositionSeek::FirstNear(track, lat, lon);
    ASSERT_TRUE(hit.has_value());
    EXPECT_EQ(hit->time, 2000); // not the nearer sample after it

    EXPECT_FALSE(MapPositionSeek::FirstNear(track, lat + 2 * sixtyMetres + 0.0002, lon).has_value());
    EXPECT_FALSE(MapPositionSeek::FirstNear({At(lat + sixtyMetres, lon, 1)}, lat, lon).has_value());
    EXPECT_FALSE(MapPositionSeek::TimeAt({}, lat, lon).has_value());
}

// The tests run with TZ=Europe/London: the recorder's fields are read as local time.
TEST(MapPositionSeekTest, SampleFieldsAreReadAsLocalTime)
{
    // 2024-07-01 12:00:00 as the recorder wrote it: noon in London, summer time, 11:00 UTC.
    EXPECT_EQ(MapPositionSeek::SeekTime(At(0, 0, 1719835200000)), 1719835200 - 3600);
    // 2024-01-15 12:00:00: winter, no shift; milliseconds are dropped.
    EXPECT_EQ(MapPositionSeek::SeekTime(At(0, 0, 1705320000999)), 1705320000);
    // 1900-01-01 00:00:00 is still a time; the last second of 1899 gives 0.
    EXPECT_NE(MapPositionSeek::SeekTime(At(0, 0, -2208988800000)), 0);
    EXPECT_EQ(MapPositionSeek::SeekTime(At(0, 0, -2208988801000)), 0);

    const LatLongData track{At(1.0, 2.0, 1705320000000)};
    EXPECT_EQ(MapPositionSeek::TimeAt(track, 1.0, 2.0), std::optional<qint64>(1705320000));
}
