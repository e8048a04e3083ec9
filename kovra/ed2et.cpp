#include "ed2et.h"

#include <cmath>
#include <optional>

#include "platform/fpcheck.h"
#include "platform/integer.h"

namespace kovra {

namespace {

using platform::BinFile;
using platform::checked32;

// File layout. Every header is 176 bytes of 16-byte records, an 8-byte label
// and then the value; the labels are never looked at. Positions below are
// those of the values.
constexpr int32_t kHeaderBytes = 176;
constexpr int32_t kNodeBytes = 16;
constexpr int64_t kLabelBytes = 8;
constexpr int64_t kNumFileAt = 32 + kLabelBytes;  // in the overview header
constexpr int64_t kSLatAt = 64 + kLabelBytes, kNLatAt = 80 + kLabelBytes;
constexpr int64_t kELongAt = 96 + kLabelBytes, kWLongAt = 112 + kLabelBytes;
constexpr int64_t kLatIncAt = 128 + kLabelBytes, kLongIncAt = 144 + kLabelBytes;
constexpr int64_t kGsCountAt = 160 + kLabelBytes;
constexpr int64_t kLonShiftAt = 4;  // in a node record, after the latitude shift

constexpr int32_t kMaxSubGrids = 150;
constexpr double kNoSpacing = 1000000;  // a sub-grid this coarse is never chosen
constexpr int kIterations = 15;

// Magnitudes from here up round to an infinite single.
constexpr double kSingleOverflow = 0x1p128 - 0x1p103;

// One sub-grid header; angles in arc-seconds, longitudes positive west.
struct SubGrid {
    double sLat, nLat, eLong, wLong, latInc, longInc;
    int32_t gsCount;
    int32_t start;  // file position of its first node record
};

SubGrid readSubGrid(const BinFile& file, int32_t position)
{
    SubGrid g;
    g.sLat = file.doubleAt(position + kSLatAt);
    g.nLat = file.doubleAt(position + kNLatAt);
    g.eLong = file.doubleAt(position + kELongAt);
    g.wLong = file.doubleAt(position + kWLongAt);
    g.latInc = file.doubleAt(position + kLatIncAt);
    g.longInc = file.doubleAt(position + kLongIncAt);
    g.gsCount = file.int32At(position + kGsCountAt);
    g.start = checked32(int64_t{position} + kHeaderBytes);
    return g;
}

// (a - b) / spacing as one checked step. A zero spacing is a division by zero
// even when a - b is zero too.
double spacingsBetween(double a, double b, double spacing)
{
    fp::begin(a, b, spacing);
    double difference = a - b;
    fp::check(difference);
    if (spacing == 0) throw platform::divisionByZeroError();
    double quotient = difference / spacing;
    fp::check(quotient);
    return quotient;
}

// Rows or columns of nodes over a span: round half to even, plus one. The sum
// is formed exactly in double, so only a count beyond 32 bits overflows.
int32_t nodeCount(double spacings)
{
    return platform::roundToInteger<int32_t>(std::nearbyint(spacings) + 1);
}

// The 1-based row or column of the cell a point falls in: truncated toward zero.
int32_t cellIndex(double spacings)
{
    return platform::roundToInteger<int32_t>(std::trunc(spacings) + 1);
}

struct Cell {
    SubGrid grid;
    int32_t row, col, cols;
};

// The cell of the point in a sub-grid, if the sub-grid holds it. A point on
// S_LAT or E_LONG is inside; one on N_LAT or W_LONG is not.
std::optional<Cell> cellIn(const SubGrid& g, double lambda, double phi)
{
    const int32_t rows = nodeCount(spacingsBetween(g.nLat, g.sLat, g.latInc));
    const int32_t cols = nodeCount(spacingsBetween(g.wLong, g.eLong, g.longInc));
    const int32_t row = cellIndex(spacingsBetween(phi, g.sLat, g.latInc));
    const int32_t col = cellIndex(spacingsBetween(lambda, g.eLong, g.longInc));
    if (row >= 1 && col >= 1 && row < rows && col < cols) return Cell{g, row, col, cols};
    return std::nullopt;
}

// Scans the sub-grids in file order and keeps the one with the strictly finest
// LAT_INC that holds the point; ties go to the earlier one, LONG_INC plays no part.
std::optional<Cell> findCell(const BinFile& file, double lambda, double phi)
{
    const int32_t numFile = file.int32At(kNumFileAt);
    double best = kNoSpacing;
    std::optional<Cell> chosen;
    int32_t position = kHeaderBytes;
    for (int32_t i = 1; i <= numFile; ++i) {
        if (i > kMaxSubGrids) throw platform::subscriptError();
        const SubGrid g = readSubGrid(file, position);
        position = checked32(int64_t{g.start} + checked32(int64_t{g.gsCount} * kNodeBytes));
        const std::optional<Cell> cell = cellIn(g, lambda, phi);
        if (cell && g.latInc < best) {
            best = g.latInc;
            chosen = cell;
        }
    }
    return chosen;
}

struct NodeShifts {
    float lat[4], lon[4];  // P1 (south-east), P2 (west of it), P3 (north of it), P4
};

// The four nodes of the cell. Nodes run row by row from S_LAT northward, each
// row from E_LONG westward, so node (r, c) is record (r - 1) * cols + c.
NodeShifts readCellNodes(const BinFile& file, const Cell& cell)
{
    const int32_t p1 = checked32(checked32(int64_t{cell.row - 1} * cell.cols) + int64_t{cell.col});
    const int32_t p3 = checked32(int64_t{p1} + cell.cols);
    const int32_t numbers[4] = {p1, checked32(int64_t{p1} + 1), p3, checked32(int64_t{p3} + 1)};
    NodeShifts nodes;
    for (int i = 0; i < 4; ++i) {
        const int32_t offset = checked32(int64_t{numbers[i] - 1} * kNodeBytes);
        const int32_t position = checked32(int64_t{cell.grid.start} + offset);
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

// The bilinear shift at fractions x, y of the cell, in the order
// ((a0 + a1 x) + a2 y) + (a3 x) y with a1..a3 rounded to single precision.
double bilinear(const float (&t)[4], double x, double y)
{
    const double a0 = t[0];
    const double a1 = toSingle(double{t[1]} - t[0]);
    const double a2 = toSingle(double{t[2]} - t[0]);
    const double a3 = toSingle(((double{t[3]} + t[0]) - t[1]) - t[2]);
    return ((a0 + a1 * x) + a2 * y) + (a3 * x) * y;
}

// The shifted point (positive east) from the cell's nodes. The fractions are
// stored as soon as each is formed.
LonLat interpolateCell(const Cell& cell, const NodeShifts& nodes, double lambda, double phi,
                       double& fractionX, double& fractionY)
{
    const SubGrid& g = cell.grid;
    fp::begin(lambda, phi);
    const double phi1 = (cell.row - 1) * g.latInc + g.sLat;
    const double lambda1 = (cell.col - 1) * g.longInc + g.eLong;
    double y = (phi - phi1) / g.latInc;
    fp::check(y);
    fractionY = y;
    double x = (lambda - lambda1) / g.longInc;
    fp::check(x);
    fractionX = x;
    LonLat shifted;
    shifted.lat = phi + bilinear(nodes.lat, x, y);
    shifted.lon = -(lambda + bilinear(nodes.lon, x, y));
    fp::check(shifted.lon, shifted.lat);
    return shifted;
}

// The next estimate of the reverse shift: X - (GX - lon0), Y - (GY - lat0).
LonLat correctEstimate(LonLat estimate, LonLat shifted, LonLat target)
{
    fp::begin(estimate, shifted, target);
    LonLat next;
    next.lon = estimate.lon - (shifted.lon - target.lon);
    next.lat = estimate.lat - (shifted.lat - target.lat);
    fp::check(next.lon, next.lat);
    return next;
}

bool outsideGrid(LonLat shifted)
{
    fp::begin(shifted);
    double product = shifted.lon * shifted.lat;
    fp::check(product);
    return product == 0;
}

}  // namespace

const platform::LoadedFile& GridFile::loaded() const
{
    if (!isLoaded_) {
        file_ = platform::loadBinFile(fileName_);
        isLoaded_ = true;
    }
    return file_;
}

bool GridFile::missing() const
{
    return loaded().status == platform::LoadedFile::Status::kMissing;
}

const platform::BinFile& GridFile::bytes() const
{
    const platform::LoadedFile& file = loaded();
    if (file.status == platform::LoadedFile::Status::kUnreadable)
        throw platform::RunError(file.errorNumber,
                                 "Cannot read grid file " + fileName_ + ": " + file.reason);
    return file.data;
}

LonLat interpolateGrid(const GridFile& grid, double lonSeconds, double latSeconds,
                       double& fractionX, double& fractionY)
{
    const BinFile& file = grid.bytes();
    const double lambda = -lonSeconds;  // positive west from here on
    const double phi = latSeconds;
    const std::optional<Cell> cell = findCell(file, lambda, phi);
    if (!cell) return {0, 0};
    return interpolateCell(*cell, readCellNodes(file, *cell), lambda, phi, fractionX, fractionY);
}

LonLat invertGrid(const GridFile& grid, double lonSeconds, double latSeconds,
                  double& fractionX, double& fractionY)
{
    const LonLat target{lonSeconds, latSeconds};
    LonLat estimate = target;
    for (int i = 0; i < kIterations; ++i) {
        const LonLat shifted = interpolateGrid(grid, estimate.lon, estimate.lat, fractionX, fractionY);
        if (shifted.lat == 0) return {0, 0};
        estimate = correctEstimate(estimate, shifted, target);
    }
    return estimate;
}

LonLat ed2et(double latDegrees, double lonDegrees, Variables& state, const GridFile& grid)
{
    state.gridFileName = kGridFileName;
    fp::begin(latDegrees, lonDegrees);
    double lat = latDegrees * 3600;
    double lon = lonDegrees * 3600;
    fp::check(lat, lon);
    const LonLat shifted = state.sourceDatum == "ED50"
                               ? interpolateGrid(grid, lon, lat, state.coordX, state.coordY)
                               : invertGrid(grid, lon, lat, state.coordX, state.coordY);
    if (outsideGrid(shifted)) throw platform::RunError(0, "");
    return shifted;
}

}  // namespace kovra
