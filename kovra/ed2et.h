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

namespace kovra {

// Where the last successful lookup placed the point: the fractions of its
// cell, in spacings west and north of the cell's south-east node (negative
// when the shift is extrapolated beyond the sub-grid's south or east edge),
// and the sub-grid, counted from 0.
// The coefficients of the bilinear shift over one cell.
struct Bilinear {
    double a0, a1, a2, a3;
};

// The last cell a lookup interpolated in, kept with the position so that the
// next lookup in the same cell need not read its nodes again.
struct CellCoefficients {
    const Grid* grid = nullptr;  // none yet
    int subGrid = -1;
    int32_t row = 0, col = 0;
    Bilinear lat{}, lon{};
};

struct CellPosition {
    double x = 0, y = 0;
    int subGrid = -1;
    CellCoefficients cell;
};

// The forward shift of a point (arc-seconds, positive east and north). Both
// results are zero when no sub-grid holds the point. After a successful lookup
// where holds the point's place in its cell; after a miss it is left as it
// was. Raises a RunError for more than 150 sub-grids, a zero spacing, a count,
// index, record number or file position beyond 32 bits, a floating-point fault
// or a grid that is not usable.
LonLat interpolateGrid(const Grid& grid, double lonSeconds, double latSeconds, CellPosition& where);

// The ED50 position whose forward shift lands on the given ETRS89 one, after
// exactly 15 iterations. Both results are zero when an estimate of any
// iteration lies outside the grid (only its shifted latitude is tested).
// where and the errors are those of interpolateGrid, for the last lookup.
LonLat invertGrid(const Grid& grid, double lonSeconds, double latSeconds, CellPosition& where);

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
// arc-seconds on the other one, forward when sourceDatum is exactly "ED50" and
// in reverse otherwise. Sets gridFileName; the lookup fractions go to coordX,
// coordY. A point outside the grid (the product of the shifted coordinates is
// zero) raises RunError(0, "").
Shift ed2et(double latDegrees, double lonDegrees, Variables& state, const Grid& grid);

}  // namespace kovra
