// Forward transverse Mercator (UTM) in series form: the meridian arc from a
// Taylor polynomial of degree 21 in the latitude, the northing from the terms of
// even order 2..10 in the longitude difference and the easting from the odd ones
// 1..7, with corrections in powers of eta^2 up to eta^12. Scale 0.9996, false
// easting 500000 m, no false northing, central meridian 6*zone - 183 degrees.
// Every power x^n is the system's power(x, n): x multiplied by x, n - 1
// times, left to right. Also the output record of a converted point.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "Variables.h"
#include "platform/fpcheck.h"

namespace kovra {

// The ellipsoid of the target datum: GRS80 only when direction is 0.
Ellipsoid targetEllipsoid(int16_t direction);

struct EastNorth {
    double easting;
    double northing;
};

// Longitude and latitude in radians to UTM metres in the run's zone, on the
// target ellipsoid. Raises a RunError on a floating-point fault or when the
// central meridian leaves the 16-bit range (zones above 5461 or below -5430).
template <fp::CheckPolicy Policy = fp::Checked>
EastNorth ll2utm(double lonRadians, double latRadians, const RunSettings& run);

// A coordinate as written: 15 significant digits, then cut (not rounded) to at
// most three decimals.
std::string coordinateText(double value);

// The output line of a point, without its line end: the trimmed name, easting,
// northing and the rest of the record unchanged, separated by single blanks.
std::string outputLine(std::string_view pointName, const EastNorth& point, std::string_view lineRest);

}  // namespace kovra
