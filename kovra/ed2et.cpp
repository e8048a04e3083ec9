#include "ed2et.h"

#include <cmath>
#include <optional>

#include "platform/fpcheck.h"
#include "platform/integer.h"

namespace kovra {

namespace {

using platform::BinFile;
using platform::checked32;

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

// The cell of the point in a sub-grid, if the sub-grid holds it. A point on
// S_LAT or E_LONG is inside; one on N_LAT or W_LONG is not.
template <fp::CheckPolicy Policy>
std::optional<Cell> cellIn(const SubGrid& g, int index, double lambda, double phi)
{
    if (g.headerError) throw *g.headerError;
    const int32_t row = cellIndex(spacingsBetween<Policy>(phi, g.sLat, g.latInc));
    const int32_t col = cellIndex(spacingsBetween<Policy>(lambda, g.eLong, g.longInc));
    if (row >= 1 && col >= 1 && row < g.rows && col < g.cols) return Cell{&g, index, row, col};
    return std::nullopt;
}

// Scans the sub-grids in file order and keeps the one with the strictly finest
// LAT_INC that holds the point; ties go to the earlier one, LONG_INC plays no
// part. Only kMaxSubGrids fit: a grid that declares more fails every lookup
// once those are scanned.
template <fp::CheckPolicy Policy>
std::optional<Cell> findCell(const Grid& grid, double lambda, double phi)
{
    double best = kNoSpacing;
    std::optional<Cell> chosen;
    const std::vector<SubGrid>& subGrids = grid.subGrids();
    for (int i = 0; i < static_cast<int>(subGrids.size()); ++i) {
        const std::optional<Cell> cell = cellIn<Policy>(subGrids[i], i, lambda, phi);
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

// The coefficients of the bilinear shift over one cell: a0 = t1, a1 = t2 - t1,
// a2 = t3 - t1 and a3 = ((t4 + t1) - t2) - t3, a1..a3 rounded to single
// precision.
struct Bilinear {
    double a0, a1, a2, a3;
};

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

// The coefficients of the last cell a lookup interpolated in. The estimates
// of a reverse shift after the first nearly always fall in the cell of the one
// before, so one point's lookups read each cell's nodes once.
struct CellCache {
    int subGrid = -1;  // none yet
    int32_t row = 0, col = 0;
    Bilinear lat{}, lon{};

    bool holds(const Cell& cell) const { return subGrid == cell.index && row == cell.row && col == cell.col; }
};

// Reads the cell's nodes into the cache.
[[gnu::noinline]] void loadCell(const Grid& grid, const Cell& cell, CellCache& cache)
{
    cache.subGrid = -1;  // not valid until complete
    const NodeShifts nodes = readCellNodes(grid.bytes(), cell);
    cache.lat = bilinearOver(nodes.lat);
    cache.lon = bilinearOver(nodes.lon);
    cache.subGrid = cell.index;
    cache.row = cell.row;
    cache.col = cell.col;
}

// The place of the point in the cell at row, col of a sub-grid: the fractions
// west and north of the cell's south-east node. Every lookup forms them here.
template <fp::CheckPolicy Policy>
CellPlace placeIn(const SubGrid& g, int subGrid, int32_t row, int32_t col, double lambda, double phi)
{
    fp::begin<Policy>(lambda, phi);
    const double phi1 = (row - 1) * g.latInc + g.sLat;
    const double lambda1 = (col - 1) * g.longInc + g.eLong;
    double y = (phi - phi1) / g.latInc;
    fp::checkStep<Policy>(y);
    double x = (lambda - lambda1) / g.longInc;
    fp::checkStep<Policy>(x);
    return {x, y, subGrid};
}

// The shifted point (positive east) at a place in the cached cell.
template <fp::CheckPolicy Policy>
LonLat shiftIn(const CellCache& cell, const CellPlace& place, double lambda, double phi)
{
    LonLat shifted;
    shifted.lat = phi + shiftAt(cell.lat, place.x, place.y);
    shifted.lon = -(lambda + shiftAt(cell.lon, place.x, place.y));
    fp::checkStep<Policy>(shifted.lon, shifted.lat);
    return shifted;
}

template <fp::CheckPolicy Policy>
GridShift interpolateIn(const Grid& grid, const Cell& cell, double lambda, double phi, CellCache& cache)
{
    const CellPlace place = placeIn<Policy>(*cell.grid, cell.index, cell.row, cell.col, lambda, phi);
    if (!cache.holds(cell)) loadCell(grid, cell, cache);
    return {shiftIn<Policy>(cache, place, lambda, phi), place};
}

// A deferred lookup of a point that is likely in the cached cell, as the
// estimates of a reverse shift nearly always are: its place in that cell is
// formed while the cell is searched for, not after it, and used when the
// search finds that cell.
GridShift interpolateLikelyInCachedCell(const Grid& grid, double lambda, double phi, CellCache& cache)
{
    const SubGrid& g = grid.subGrids()[cache.subGrid];
    const CellPlace likely = placeIn<fp::Deferred>(g, cache.subGrid, cache.row, cache.col, lambda, phi);
    const std::optional<Cell> cell = findCell<fp::Deferred>(grid, lambda, phi);
    if (!cell) return {};
    if (!cache.holds(*cell)) return interpolateIn<fp::Deferred>(grid, *cell, lambda, phi, cache);
    return {shiftIn<fp::Deferred>(cache, likely, lambda, phi), likely};
}

template <fp::CheckPolicy Policy>
GridShift forwardShift(const Grid& grid, double lonSeconds, double latSeconds, CellCache& cache)
{
    grid.throwIfUnusable();
    const double lambda = -lonSeconds;  // positive west from here on
    const double phi = latSeconds;
    if constexpr (std::same_as<Policy, fp::Deferred>) {
        if (cache.subGrid >= 0) return interpolateLikelyInCachedCell(grid, lambda, phi, cache);
    }
    const std::optional<Cell> cell = findCell<Policy>(grid, lambda, phi);
    if (!cell) return {};
    return interpolateIn<Policy>(grid, *cell, lambda, phi, cache);
}

// The next estimate of the reverse shift: X - (GX - lon0), Y - (GY - lat0).
template <fp::CheckPolicy Policy>
LonLat correctEstimate(LonLat estimate, LonLat shifted, LonLat target)
{
    fp::begin<Policy>(estimate, shifted, target);
    LonLat next;
    next.lon = estimate.lon - (shifted.lon - target.lon);
    next.lat = estimate.lat - (shifted.lat - target.lat);
    fp::checkStep<Policy>(next.lon, next.lat);
    return next;
}

// A negative fraction means the point lay south of S_LAT or east of E_LONG,
// less than one spacing out, and its shift was read from the first cell.
std::optional<Extrapolation> extrapolation(const Grid& grid, const CellPlace& place)
{
    if (place.subGrid < 0 || !(place.x < 0 || place.y < 0)) return std::nullopt;
    const SubGrid& g = grid.subGrids()[place.subGrid];
    return Extrapolation{place.y < 0 ? -place.y * g.latInc : 0, place.x < 0 ? -place.x * g.longInc : 0,
                         g.name};
}

template <fp::CheckPolicy Policy>
bool outsideGrid(LonLat shifted)
{
    fp::begin<Policy>(shifted);
    double product = shifted.lon * shifted.lat;
    fp::check<Policy>(product);
    return product == 0;
}

}  // namespace

template <fp::CheckPolicy Policy>
GridShift interpolateGrid(const Grid& grid, double lonSeconds, double latSeconds)
{
    CellCache cache;
    return forwardShift<Policy>(grid, lonSeconds, latSeconds, cache);
}

template <fp::CheckPolicy Policy>
GridShift invertGrid(const Grid& grid, double lonSeconds, double latSeconds)
{
    const LonLat target{lonSeconds, latSeconds};
    LonLat estimate = target;
    CellCache cache;
    CellPlace place;
    for (int i = 0; i < kIterations; ++i) {
        const GridShift shifted = forwardShift<Policy>(grid, estimate.lon, estimate.lat, cache);
        if (shifted.seconds.lat == 0) return {};
        estimate = correctEstimate<Policy>(estimate, shifted.seconds, target);
        place = shifted.place;
    }
    return {estimate, place};
}

template <fp::CheckPolicy Policy>
Shift ed2et(double latDegrees, double lonDegrees, const RunSettings& run, const Grid& grid)
{
    fp::begin<Policy>(latDegrees, lonDegrees);
    double lat = latDegrees * 3600;
    double lon = lonDegrees * 3600;
    fp::check<Policy>(lat, lon);
    const GridShift shifted = run.sourceDatum == "ED50" ? interpolateGrid<Policy>(grid, lon, lat)
                                                        : invertGrid<Policy>(grid, lon, lat);
    if (outsideGrid<Policy>(shifted.seconds)) throw platform::RunError(0, "");
    return {shifted.seconds, extrapolation(grid, shifted.place)};
}

template GridShift interpolateGrid<fp::Checked>(const Grid&, double, double);
template GridShift interpolateGrid<fp::Deferred>(const Grid&, double, double);
template GridShift invertGrid<fp::Checked>(const Grid&, double, double);
template GridShift invertGrid<fp::Deferred>(const Grid&, double, double);
template Shift ed2et<fp::Checked>(double, double, const RunSettings&, const Grid&);
template Shift ed2et<fp::Deferred>(double, double, const RunSettings&, const Grid&);

}  // namespace kovra
