// Projections and angle conversions against worked examples and round trips.
#include <gtest/gtest.h>

#include <cmath>

#include "ll2utm.h"
#include "opes.h"
#include "platform/runtime_error.h"
#include "utm2ll.h"

using namespace kovra;

namespace {

RunSettings stateFor(int16_t zone, int16_t direction)
{
    RunSettings v;
    v.zone = zone;
    v.direction = direction;
    v.PI = kProgramPi;
    return v;
}

std::string errorOf(auto&& call)
{
    try {
        call();
    } catch (const platform::RunError& e) {
        return e.description();
    }
    return "no error";
}

}  // namespace

TEST(Ll2utm, WorkedExamplesGiveTheExactLines)
{
    const double lat = 0.7051130178057085, lon = -0.06457718232379012;
    const EastNorth grs80 = ll2utm(lon, lat, stateFor(30, 0));
    EXPECT_NEAR(grs80.easting, 440598.07885, 5e-6);
    EXPECT_NEAR(grs80.northing, 4472390.03101, 5e-6);
    EXPECT_EQ(outputLine("P1 ", grs80, "12.5 X"), "P1 440598.078 4472390.031 12.5 X");

    for (int16_t direction : {1, -1})
        EXPECT_EQ(outputLine("P1 ", ll2utm(lon, lat, stateFor(30, direction)), "12.5 X"),
                  "P1 440595.387 4472467.209 12.5 X");

    const EastNorth south = ll2utm(-0.08726646259971639, -0.5235987755982984, stateFor(30, 0));
    EXPECT_EQ(coordinateText(south.easting), "307084.894");
    EXPECT_EQ(coordinateText(south.northing), "-3320469.286");

    // On the central meridian every easting term vanishes; on the equator the northing.
    const double lambda0 = (-3 * kProgramPi) / 180;
    EXPECT_EQ(coordinateText(ll2utm(lambda0, 0.7, stateFor(30, 0)).easting), "500000");
    EXPECT_EQ(coordinateText(ll2utm(-0.02, 0.0, stateFor(30, 1)).northing), "0");
}

TEST(Ll2utm, OutputLineCutsToThreeDecimalsAndKeepsTheRest)
{
    EXPECT_EQ(coordinateText(4400000.5), "4400000.5");
    EXPECT_EQ(coordinateText(500000.0001), "500000.000");
    EXPECT_EQ(coordinateText(4472390.0309999999), "4472390.031");
    EXPECT_EQ(coordinateText(-3320469.28699), "-3320469.286");  // cut toward zero
    EXPECT_EQ(coordinateText(0.25), "0.25");
    EXPECT_EQ(outputLine("", {1, 2}, ""), " 1 2 ");
    EXPECT_EQ(outputLine("  P9 ", {1, 2}, " a  b "), "P9 1 2  a  b ");
}

TEST(Ll2utm, ZoneOverflowsAreErrors)
{
    EXPECT_EQ(errorOf([] { ll2utm(0.1, 0.7, stateFor(5462, 0)); }), "Overflow");
    EXPECT_EQ(errorOf([] { ll2utm(0.1, 0.7, stateFor(-5431, 0)); }), "Overflow");
    EXPECT_EQ(errorOf([] { ll2utm(0.1, 0.7, stateFor(5461, 0)); }), "no error");
    EXPECT_EQ(errorOf([] { ll2utm(0.1, 0.7, stateFor(-5430, 0)); }), "no error");
    // Zone 0: central meridian at -183 degrees, projected without complaint.
    EXPECT_EQ(errorOf([] { ll2utm(0.1, 0.7, stateFor(0, 0)); }), "no error");
}

TEST(ParseRadianes, DegreesMinutesSecondsRoundTripAndSigns)
{
    EXPECT_EQ(parseRadianes(-0.06457718232379013, 0.0, kProgramPi).lon, -3.7000000000000006);
    EXPECT_EQ(parseRadianes(0.1, 0.008726646259971639, kProgramPi).lat, 0.5);

    const LonLat zero = parseRadianes(0.0, 0.0, kProgramPi);
    EXPECT_TRUE(zero.lon == 0 && std::signbit(zero.lon));  // zero longitude is "W"
    EXPECT_TRUE(zero.lat == 0 && !std::signbit(zero.lat));
    EXPECT_GT(parseRadianes(1e-12, 0.0, kProgramPi).lon, 0.0);
    EXPECT_LT(parseRadianes(0.1, -0.2, kProgramPi).lat, 0.0);

    // 32768 whole degrees do not fit the 16-bit integer (about 571.9 radians).
    EXPECT_EQ(errorOf([] { parseRadianes(600.0, 0.1, kProgramPi); }), "Overflow");
    EXPECT_EQ(errorOf([] { parseRadianes(0.1, -571.0, kProgramPi); }), "no error");
}

TEST(ParseSeconds, ArcSecondsToRadians)
{
    EXPECT_EQ(parseSeconds(3600.0, 0.0, kProgramPi).lon, kProgramPi / 180);
    EXPECT_EQ(parseSeconds(0.0, 0.0, kProgramPi).lat, 0.0);
    EXPECT_EQ(errorOf([] { parseSeconds(1e308, 0.0, kProgramPi); }), "Overflow");
}

TEST(Utm2ll, ExactValuesOnTheAxes)
{
    const RunSettings ed50 = stateFor(30, 0);
    EXPECT_EQ(utm2ll(440000.0, 0.0, ed50).lat, 0.0);
    const double lambda0 = -3 / (180 / kProgramPi);
    EXPECT_EQ(utm2ll(500000.0, 4400000.0, ed50).lon, lambda0);
    EXPECT_EQ(utm2ll(500000.0, 4400000.0, stateFor(30, 1)).lon, lambda0);

    // No southern false northing: -Y mirrors Y.
    const LonLat north = utm2ll(420000.0, 4400000.0, ed50);
    const LonLat south = utm2ll(420000.0, -4400000.0, ed50);
    EXPECT_EQ(north.lon, south.lon);
    EXPECT_EQ(north.lat, -south.lat);
}

TEST(Utm2ll, FootpointSettlesWithinFiveStepsAndAbsurdInputFails)
{
    for (const Ellipsoid& ell : {kInternational1924, kGrs80})
        for (double northing = -1e7; northing <= 1e7; northing += 1e4)
            ASSERT_LE(footpointLatitude(northing, ell).evaluations, 5) << northing;

    EXPECT_EQ(errorOf([] { utm2ll(1e60, 4400000.0, stateFor(30, 0)); }), "Overflow");
    // At this northing successive values alternate between neighbouring doubles
    // more than 1e-11 apart: without a cap the iteration would never end.
    EXPECT_EQ(errorOf([] { utm2ll(500000.0, 9381645374532.6523, stateFor(30, 0)); }),
              "Footpoint latitude did not converge");
}

TEST(Utm2ll, RoundTripThroughLl2utmWithinAMillimetre)
{
    // Direction -1 projects both ways on International 1924.
    const RunSettings v = stateFor(30, -1);
    const double degree = kProgramPi / 180;
    for (double latDeg = 0; latDeg <= 60; latDeg += 2.5)
        for (double dLon = -3; dLon <= 3; dLon += 0.5) {
            const EastNorth start = ll2utm((-3 + dLon) * degree, latDeg * degree, v);
            const LonLat geo = utm2ll(start.easting, start.northing, v);
            const EastNorth back = ll2utm(geo.lon, geo.lat, v);
            EXPECT_NEAR(back.easting, start.easting, 1e-3) << latDeg << " " << dLon;
            EXPECT_NEAR(back.northing, start.northing, 1e-3) << latDeg << " " << dLon;
        }
}
