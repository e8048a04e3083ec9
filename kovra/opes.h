// Angle conversions around the datum shift: radians to signed decimal degrees
// by way of degrees, minutes and seconds, and arc-seconds to radians. Both use
// the program's pi.
#pragma once

#include "Variables.h"
#include "platform/fpcheck.h"

namespace kovra {

// Longitude and latitude in radians to signed decimal degrees. A longitude of
// exactly zero is taken as west and comes out as -0. Raises a RunError on a
// floating-point fault or when the whole degrees leave the 16-bit range.
template <fp::CheckPolicy Policy = fp::Checked>
LonLat parseRadianes(double lonRadians, double latRadians, double PI);

// Longitude and latitude in arc-seconds to radians: ((PI * s) / 180) / 3600.
template <fp::CheckPolicy Policy = fp::Checked>
LonLat parseSeconds(double lonSeconds, double latSeconds, double PI);

}  // namespace kovra
