// Datum shift between ED50 and ETRS89 through an NTv2 grid-shift file.
//
// The forward shift (ED50 to ETRS89) is one bilinear interpolation in the
// sub-grid with the finest latitude spacing that holds the point; the reverse
// shift inverts it by 15 fixed-point iterations, with no convergence test. All
// angles are arc-seconds, positive east and north; only inside the lookup do
// longitudes run positive west, as the NTv2 format stores them. Sub-grids are
// not treated as nested, values are read 8 bytes after each header record's
// start whatever its label says, and the units are taken to be arc-seconds.
#pragma once

#include <optional>
#include <string>

#include "Variables.h"
#include "grid.h"
#include "platform/fpcheck.h"

namespace kovra {

// Where a lookup placed the point: the fractions of its cell, in spacings
// west (x) and north (y) of the cell's south-east node, negative when the
// shift is extrapolated beyond the sub-grid's south or east edge; and the
// sub-grid, counted from 0 (-1: no sub-grid holds the point).
struct CellPlace {
    double x = 0, y = 0;
    int subGrid = -1;
};

// A shifted position (arc-seconds, positive east and north), both coordinates
// zero when the point is outside the grid, and where its last lookup placed it.
struct GridShift {
    LonLat seconds{0, 0};
    CellPlace place;
};

// The forward shift of a point (arc-seconds, positive east and north). Raises
// a RunError for more than 150 sub-grids, a zero spacing, a count, index,
// record number or file position beyond 32 bits, a floating-point fault or a
// grid that is not usable.
template <fp::CheckPolicy Policy = fp::Checked>
GridShift interpolateGrid(const Grid& grid, double lonSeconds, double latSeconds);

// The ED50 position whose forward shift lands on the given ETRS89 one, after
// exactly 15 iterations. Outside the grid when an estimate of any iteration
// lies outside it (only its shifted latitude is tested). The place and the
// errors are those of interpolateGrid, for the last lookup.
template <fp::CheckPolicy Policy = fp::Checked>
GridShift invertGrid(const Grid& grid, double lonSeconds, double latSeconds);

// A shift read beyond a sub-grid's data: how far (arc-seconds) the point of
// the last lookup lay south of S_LAT and east of E_LONG, and the sub-grid.
struct Extrapolation {
    double south, east;
    std::string subGrid;
};

struct Shift {
    LonLat seconds;  // the shifted position, arc-seconds, positive east and north
    std::optional<Extrapolation> extrapolated;
};

// The datum-shift stage: a point in decimal degrees on the source datum to
// arc-seconds on the other one, forward when the run's sourceDatum is exactly
// "ED50" and in reverse otherwise. A point outside the grid (the product of
// the shifted coordinates is zero) raises RunError(0, "").
template <fp::CheckPolicy Policy = fp::Checked>
Shift ed2et(double latDegrees, double lonDegrees, const RunSettings& run, const Grid& grid);

}  // namespace kovra
