#include "ed2et.h"

#include <cmath>
#include <optional>

#include "platform/fpcheck.h"
#include "platform/integer.h"

namespace kovra {

namespace {

using platform::BinFile;
using platform::checked32;

constexpr int32_t kNodeBytes = 16;
constexpr int64_t kLonShiftAt = 4;  // in a node record, after the latitude shift

constexpr int32_t kMaxSubGrids = 150;
constexpr double kNoSpacing = 1000000;  // a sub-grid this coarse is never chosen
constexpr int kIterations = 15;

// Magnitudes from here up round to an infinite single.
constexpr double kSingleOverflow = 0x1p128 - 0x1p103;

// The 1-based row or column of the cell a point falls in: truncated toward zero.
int32_t cellIndex(double spacings)
{
    return platform::roundToInteger<int32_t>(std::trunc(spacings) + 1);
}

struct Cell {
    const SubGrid* grid;
    int index;  // of the sub-grid, from 0
    int32_t row, col;
};

// The lookup is compiled twice: with every floating-point check, and for a
// run whose checks are deferred to the end of the point's chain (see
// fp::beginIf), where it does the same arithmetic and nothing else.

// The cell of the point in a sub-grid, if the sub-grid holds it. A point on
// S_LAT or E_LONG is inside; one on N_LAT or W_LONG is not.
template <bool checked>
std::optional<Cell> cellIn(const SubGrid& g, int index, double lambda, double phi)
{
    if (g.headerError) throw *g.headerError;
    const int32_t row = cellIndex(spacingsBetween<checked>(phi, g.sLat, g.latInc));
    const int32_t col = cellIndex(spacingsBetween<checked>(lambda, g.eLong, g.longInc));
    if (row >= 1 && col >= 1 && row < g.rows && col < g.cols) return Cell{&g, index, row, col};
    return std::nullopt;
}

// Scans the sub-grids in file order and keeps the one with the strictly finest
// LAT_INC that holds the point; ties go to the earlier one, LONG_INC plays no
// part. Only 150 sub-grids fit: a grid that declares more fails every lookup
// once those are scanned.
template <bool checked>
std::optional<Cell> findCell(const Grid& grid, double lambda, double phi)
{
    double best = kNoSpacing;
    std::optional<Cell> chosen;
    const std::vector<SubGrid>& subGrids = grid.subGrids();
    for (int i = 0; i < static_cast<int>(subGrids.size()); ++i) {
        const std::optional<Cell> cell = cellIn<checked>(subGrids[i], i, lambda, phi);
        if (cell && subGrids[i].latInc < best) {
            best = subGrids[i].latInc;
            chosen = cell;
        }
    }
    if (grid.declaredSubGrids() > kMaxSubGrids) throw platform::subscriptError();
    return chosen;
}

// The four nodes of the cell. Nodes run row by row from S_LAT northward, each
// row from E_LONG westward, so node (r, c) is record (r - 1) * cols + c. P1 is
// the south-east node, P2 west of it, P3 north of it, P4 north-west.
struct NodeShifts {
    float lat[4], lon[4];
};

NodeShifts readCellNodes(const BinFile& file, const Cell& cell)
{
    const int32_t cols = cell.grid->cols;
    const int32_t p1 = checked32(checked32(int64_t{cell.row - 1} * cols) + int64_t{cell.col});
    const int32_t p3 = checked32(int64_t{p1} + cols);
    const int32_t numbers[4] = {p1, checked32(int64_t{p1} + 1), p3, checked32(int64_t{p3} + 1)};
    NodeShifts nodes;
    for (int i = 0; i < 4; ++i) {
        const int32_t offset = checked32(int64_t{numbers[i] - 1} * kNodeBytes);
        const int32_t position = checked32(int64_t{cell.grid->start} + offset);
        nodes.lat[i] = file.singleAt(position);
        nodes.lon[i] = file.singleAt(position + kLonShiftAt);
    }
    return nodes;
}

// A double rounded to single precision; one beyond the single range overflows.
double toSingle(double value)
{
    if (std::isgreaterequal(std::fabs(value), kSingleOverflow)) throw platform::overflowError();
    return static_cast<float>(value);
}

// The coefficients of the bilinear shift over a cell: a0 = t1, a1 = t2 - t1,
// a2 = t3 - t1 and a3 = ((t4 + t1) - t2) - t3, a1..a3 rounded to single
// precision.
Bilinear bilinearOver(const float (&t)[4])
{
    return {t[0], toSingle(double{t[1]} - t[0]), toSingle(double{t[2]} - t[0]),
            toSingle(((double{t[3]} + t[0]) - t[1]) - t[2])};
}

// The shift at fractions x, y of the cell: ((a0 + a1 x) + a2 y) + (a3 x) y.
double shiftAt(const Bilinear& a, double x, double y)
{
    return ((a.a0 + a.a1 * x) + a.a2 * y) + (a.a3 * x) * y;
}

// The cell's coefficients: those of the last lookup when it was in the same
// cell (as every estimate of a reverse shift after the first usually is), else
// from its four nodes.
// Reads the cell's nodes and keeps its coefficients in last.
[[gnu::noinline]] void loadCell(const Grid& grid, const Cell& cell, CellCoefficients& last)
{
    last.grid = nullptr;  // not valid until complete
    const NodeShifts nodes = readCellNodes(grid.bytes(), cell);
    last.lat = bilinearOver(nodes.lat);
    last.lon = bilinearOver(nodes.lon);
    last.subGrid = cell.index;
    last.row = cell.row;
    last.col = cell.col;
    last.grid = &grid;
}

inline const CellCoefficients& coefficientsOf(const Grid& grid, const Cell& cell, CellPosition& where)
{
    CellCoefficients& last = where.cell;
    if (last.grid != &grid || last.subGrid != cell.index || last.row != cell.row || last.col != cell.col)
        loadCell(grid, cell, last);
    return last;
}

// The place of the point in its cell: the fractions west and north of the
// cell's south-east node.
struct Fractions {
    double x, y;
};

// The shifted point (positive east) at fractions x, y of a cell.
template <bool checked>
LonLat shiftIn(const CellCoefficients& coefficients, Fractions f, double lambda, double phi)
{
    LonLat shifted;
    shifted.lat = phi + shiftAt(coefficients.lat, f.x, f.y);
    shifted.lon = -(lambda + shiftAt(coefficients.lon, f.x, f.y));
    fp::checkIf<checked>(shifted.lon, shifted.lat);
    return shifted;
}

// The shifted point (positive east) in its cell. The fractions are stored as
// soon as each is formed.
template <bool checked>
LonLat interpolateCell(const Grid& grid, const Cell& cell, double lambda, double phi, CellPosition& where)
{
    const SubGrid& g = *cell.grid;
    where.subGrid = cell.index;
    fp::beginIf<checked>(lambda, phi);
    const double phi1 = (cell.row - 1) * g.latInc + g.sLat;
    const double lambda1 = (cell.col - 1) * g.longInc + g.eLong;
    double y = (phi - phi1) / g.latInc;
    fp::checkIf<checked>(y);
    where.y = y;
    double x = (lambda - lambda1) / g.longInc;
    fp::checkIf<checked>(x);
    where.x = x;
    return shiftIn<checked>(coefficientsOf(grid, cell, where), {x, y}, lambda, phi);
}

// The same, unchecked, for a point that is likely in the cell of the last
// lookup, as the estimates of a reverse shift nearly always are: the fractions
// in that cell are formed while the cell is searched for, not after it, and
// used when the search finds that cell (the same operations, so the same bits).
LonLat interpolateLikelyInLastCell(const Grid& grid, double lambda, double phi, CellPosition& where)
{
    const CellCoefficients& last = where.cell;
    const SubGrid& g = grid.subGrids()[last.subGrid];
    const Fractions likely{(lambda - ((last.col - 1) * g.longInc + g.eLong)) / g.longInc,
                           (phi - ((last.row - 1) * g.latInc + g.sLat)) / g.latInc};
    const std::optional<Cell> cell = findCell<false>(grid, lambda, phi);
    if (!cell) return {0, 0};
    if (cell->index != last.subGrid || cell->row != last.row || cell->col != last.col)
        return interpolateCell<false>(grid, *cell, lambda, phi, where);
    where.subGrid = cell->index;
    where.y = likely.y;
    where.x = likely.x;
    return shiftIn<false>(last, likely, lambda, phi);
}

// The next estimate of the reverse shift: X - (GX - lon0), Y - (GY - lat0).
template <bool checked>
LonLat correctEstimate(LonLat estimate, LonLat shifted, LonLat target)
{
    fp::beginIf<checked>(estimate, shifted, target);
    LonLat next;
    next.lon = estimate.lon - (shifted.lon - target.lon);
    next.lat = estimate.lat - (shifted.lat - target.lat);
    fp::checkIf<checked>(next.lon, next.lat);
    return next;
}

// A negative fraction means the point lay south of S_LAT or east of E_LONG,
// less than one spacing out, and its shift was read from the first cell.
std::optional<Extrapolation> extrapolation(const Grid& grid, const CellPosition& where)
{
    if (where.subGrid < 0 || !(where.x < 0 || where.y < 0)) return std::nullopt;
    const SubGrid& g = grid.subGrids()[where.subGrid];
    return Extrapolation{where.y < 0 ? -where.y * g.latInc : 0, where.x < 0 ? -where.x * g.longInc : 0,
                         g.name};
}

bool outsideGrid(LonLat shifted)
{
    fp::begin(shifted);
    double product = shifted.lon * shifted.lat;
    fp::check(product);
    return product == 0;
}

template <bool checked>
LonLat forwardShift(const Grid& grid, double lonSeconds, double latSeconds, CellPosition& where)
{
    grid.throwIfUnusable();
    const double lambda = -lonSeconds;  // positive west from here on
    const double phi = latSeconds;
    if constexpr (!checked) {
        if (where.cell.grid == &grid) return interpolateLikelyInLastCell(grid, lambda, phi, where);
    }
    const std::optional<Cell> cell = findCell<checked>(grid, lambda, phi);
    if (!cell) return {0, 0};
    return interpolateCell<checked>(grid, *cell, lambda, phi, where);
}

template <bool checked>
LonLat reverseShift(const Grid& grid, double lonSeconds, double latSeconds, CellPosition& where)
{
    const LonLat target{lonSeconds, latSeconds};
    LonLat estimate = target;
    for (int i = 0; i < kIterations; ++i) {
        const LonLat shifted = forwardShift<checked>(grid, estimate.lon, estimate.lat, where);
        if (shifted.lat == 0) return {0, 0};
        estimate = correctEstimate<checked>(estimate, shifted, target);
    }
    return estimate;
}

}  // namespace

LonLat interpolateGrid(const Grid& grid, double lonSeconds, double latSeconds, CellPosition& where)
{
    return fp::deferred ? forwardShift<false>(grid, lonSeconds, latSeconds, where)
                        : forwardShift<true>(grid, lonSeconds, latSeconds, where);
}

LonLat invertGrid(const Grid& grid, double lonSeconds, double latSeconds, CellPosition& where)
{
    return fp::deferred ? reverseShift<false>(grid, lonSeconds, latSeconds, where)
                        : reverseShift<true>(grid, lonSeconds, latSeconds, where);
}

Shift ed2et(double latDegrees, double lonDegrees, Variables& state, const Grid& grid)
{
    state.gridFileName = kGridFileName;
    fp::begin(latDegrees, lonDegrees);
    double lat = latDegrees * 3600;
    double lon = lonDegrees * 3600;
    fp::check(lat, lon);
    CellPosition where{state.coordX, state.coordY, -1, {}};
    const LonLat shifted = state.sourceDatum == "ED50" ? interpolateGrid(grid, lon, lat, where)
                                                       : invertGrid(grid, lon, lat, where);
    state.coordX = where.x;
    state.coordY = where.y;
    if (outsideGrid(shifted)) throw platform::RunError(0, "");
    return {shifted, extrapolation(grid, where)};
}

}  // namespace kovra
