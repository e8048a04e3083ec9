// Inverse transverse Mercator (UTM) in its classic series form: the footpoint
// latitude from a fixed-point iteration on the meridian-arc series (coefficients
// to e^10), then latitude and longitude from series in the reduced easting to
// its sixth and fifth powers. Scale 0.9996, false easting 500000 m, no false
// northing, central meridian 6*zone - 183 degrees.
#pragma once

#include <cstdint>

#include "Variables.h"
#include "platform/fpcheck.h"

namespace kovra {

// The ellipsoid of the source datum: GRS80 only when direction is 1.
Ellipsoid sourceEllipsoid(int16_t direction);

// Easting and northing in metres to longitude and latitude in radians on the
// source ellipsoid, in the run's zone. Raises a RunError on a floating-point
// fault, or when the footpoint iteration does not settle within kFootpointCap
// evaluations.
template <fp::CheckPolicy Policy = fp::Checked>
LonLat utm2ll(double easting, double northing, const RunSettings& run);

// Real northings need at most five evaluations of the footpoint step; an absurd
// one (or a non-finite result) must not hang the run.
inline constexpr int kFootpointCap = 100;

struct Footpoint {
    double latitude;  // radians
    int evaluations;  // of the footpoint step
};

// The footpoint latitude of a northing in metres.
Footpoint footpointLatitude(double northing, const Ellipsoid& ellipsoid);

}  // namespace kovra
