// Arbitrary bytes as a grid file: Grid::open, then forward and reverse lookups
// and the datum-shift stage at points taken from the input and from the
// bounds of the grid's own sub-grids (corners, middle, just past the south
// and east edges). A run-time error is an expected outcome; what must hold is that a
// grid is usable or says why not, that a grid that says no point can be
// shifted through it (unusable, or usable with every lookup failing) fails
// every lookup, and that a lookup that succeeds gives finite coordinates.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "ed2et.h"
#include "fuzz_support.h"
#include "grid.h"
#include "platform/runtime_error.h"

namespace {

using fuzz::require;
using kovra::Grid;

struct Point {
    double lonSeconds, latSeconds;  // positive east and north
};

// Points about a sub-grid: its corners and middle, and half a cell past its
// south and east edges, where shifts are extrapolated.
void pointsAround(const kovra::SubGrid& g, std::vector<Point>& points)
{
    const double lats[] = {g.sLat, (g.sLat + g.nLat) / 2, g.nLat, g.sLat - g.latInc / 2};
    const double westLons[] = {g.eLong, (g.eLong + g.wLong) / 2, g.wLong, g.eLong - g.longInc / 2};
    for (const double lat : lats)
        for (const double west : westLons) points.push_back({-west, lat});
}

// Points from the input itself: its last 16 bytes as two doubles, and
// arc-second values made of its first bytes.
void pointsFromInput(const uint8_t* data, size_t size, std::vector<Point>& points)
{
    if (size >= 16) {
        double lon, lat;
        std::memcpy(&lon, data + size - 16, 8);
        std::memcpy(&lat, data + size - 8, 8);
        points.push_back({lon, lat});
    }
    if (size >= 4) {
        const int16_t lon = static_cast<int16_t>(data[0] | data[1] << 8);
        const int16_t lat = static_cast<int16_t>(data[2] | data[3] << 8);
        points.push_back({lon * 10.0, lat * 10.0});
    }
}

bool lookupFails(const Grid& grid, const Point& p, bool reverse)
{
    try {
        const auto [shifted, where] = reverse ? kovra::invertGrid(grid, p.lonSeconds, p.latSeconds)
                                              : kovra::interpolateGrid(grid, p.lonSeconds, p.latSeconds);
        require(std::isfinite(shifted.lon) && std::isfinite(shifted.lat), "a lookup gave a non-finite result");
        const bool outside = shifted.lon == 0 && shifted.lat == 0;
        require(outside || where.subGrid >= 0, "a shifted point without a sub-grid");
        if (where.subGrid >= 0)
            require(where.subGrid < static_cast<int>(grid.subGrids().size()), "a sub-grid beyond those read");
        return false;
    } catch (const platform::RunError& error) {
        require(error.number() != 0, "a lookup error without a number");
        return true;
    }
}

void shiftStage(const Grid& grid, const Point& p, const char* datum)
{
    kovra::RunSettings run;
    run.sourceDatum = datum;
    try {
        const kovra::Shift shift = kovra::ed2et(p.latSeconds / 3600, p.lonSeconds / 3600, run, grid);
        require(std::isfinite(shift.seconds.lon) && std::isfinite(shift.seconds.lat),
                "ed2et passed a non-finite position on");
        require(shift.seconds.lon * shift.seconds.lat != 0, "ed2et passed a point outside the grid on");
    } catch (const platform::RunError&) {
        // Outside the grid, or a wrong value in it: the point is skipped.
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const fuzz::ScratchDir scratch;
    const std::string path = scratch / "mirtaxo.gsb";
    fuzz::writeBytes(path, data, size);
    const Grid grid = Grid::open(path);

    require(grid.state() != Grid::State::kMissing, "a grid file that exists reads as missing");
    const bool usable = grid.state() == Grid::State::kUsable;
    const bool noShift = !grid.problem().empty();
    require(usable || noShift, "an unusable grid that does not say why");
    if (noShift)
        require(grid.problem().rfind("grid file \"" + path + "\"", 0) == 0, "a problem that does not name the grid",
                grid.problem());
    if (!usable) {
        require(grid.subGrids().empty(), "an unusable grid kept its sub-grids");
    } else {
        require(grid.declaredSubGrids() > 0, "a usable grid without sub-grids");
        const std::size_t read = static_cast<std::size_t>(std::min(grid.declaredSubGrids(), 150));
        require(grid.subGrids().size() == read, "not every declared sub-grid was read");
        for (const kovra::SubGrid& g : grid.subGrids()) {
            require(g.gsCount >= 0 && g.start >= 176, "a sub-grid without a place in the file");
            require(static_cast<uint64_t>(g.start) + uint64_t(g.gsCount) * 16 <= size,
                    "a sub-grid whose nodes are not all in the file");
            if (!g.headerError) require(int64_t{g.rows} * g.cols == g.gsCount, "node count and bounds disagree");
        }
    }

    std::vector<Point> points;
    pointsFromInput(data, size, points);
    for (std::size_t i = 0; i < grid.subGrids().size() && i < 3; ++i) pointsAround(grid.subGrids()[i], points);
    if (grid.subGrids().size() > 3) pointsAround(grid.subGrids().back(), points);

    for (const Point& p : points) {
        const bool forwardFails = lookupFails(grid, p, false);
        if (noShift) require(forwardFails, "a lookup in a grid no point can be shifted through did not fail");
        lookupFails(grid, p, true);
        shiftStage(grid, p, "ED50");
        shiftStage(grid, p, "ETRS89");
    }
    return 0;
}
