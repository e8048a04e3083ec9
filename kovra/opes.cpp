#include "opes.h"

#include <cmath>
#include <cstdint>

#include "platform/fpcheck.h"
#include "platform/integer.h"

namespace kovra {

namespace {

// The magnitude of an angle in radians, in decimal degrees: through whole
// degrees and minutes held as 16-bit integers and the seconds that remain.
// The caller gives it its sign.
double decimalDegrees(double radians, double PI)
{
    const double A = (std::fabs(radians) * 180) / PI;
    const int16_t D = platform::truncToInteger<int16_t>(A);
    const int16_t M = platform::truncToInteger<int16_t>((A - D) * 60);
    const double S = ((A - D) * 60 - M) * 60;
    return (M / 60.0 + D) + S / 3600;
}

double secondsToRadians(double seconds, double PI)
{
    const double r = (PI * seconds) / 180;
    return r / 3600;
}

}  // namespace

template <fp::CheckPolicy Policy>
LonLat parseRadianes(double lonRadians, double latRadians, double PI)
{
    fp::begin<Policy>(lonRadians, latRadians, PI);
    LonLat degrees;
    degrees.lon = decimalDegrees(lonRadians, PI);
    if (!(lonRadians > 0)) degrees.lon = -degrees.lon;  // "W"
    degrees.lat = decimalDegrees(latRadians, PI);
    if (latRadians < 0) degrees.lat = -degrees.lat;  // "S"
    fp::check<Policy>(degrees.lon, degrees.lat);
    return degrees;
}

template <fp::CheckPolicy Policy>
LonLat parseSeconds(double lonSeconds, double latSeconds, double PI)
{
    fp::begin<Policy>(lonSeconds, latSeconds, PI);
    LonLat radians;
    radians.lat = secondsToRadians(latSeconds, PI);
    radians.lon = secondsToRadians(lonSeconds, PI);
    fp::check<Policy>(radians.lon, radians.lat);
    return radians;
}

template LonLat parseRadianes<fp::Checked>(double, double, double);
template LonLat parseRadianes<fp::Deferred>(double, double, double);
template LonLat parseSeconds<fp::Checked>(double, double, double);
template LonLat parseSeconds<fp::Deferred>(double, double, double);

}  // namespace kovra
