// Prints every stage's result, as exact hexadecimal doubles, for a fixed sweep
// of points in both directions, then the line or message a run gives each. Built once optimised and once without
// optimisation; the two outputs must be identical.
#include <cstdio>

#include <string>

#include "ed2et.h"
#include "ll2utm.h"
#include "opes.h"
#include "platform/runtime_error.h"
#include "record.h"
#include "utm2ll.h"

using namespace kovra;

namespace {

// The fractions of the cell that the shift's last lookup placed a point in,
// by the lookup of the run's direction, as ed2et makes it.
CellPlace placeOfShift(const RunSettings& run, const Grid& grid, const LonLat& degrees)
{
    const double lon = degrees.lon * 3600, lat = degrees.lat * 3600;
    return (run.sourceDatum == "ED50" ? interpolateGrid(grid, lon, lat) : invertGrid(grid, lon, lat)).place;
}

// Each stage checked on its own; after the shift, the fractions of the cell
// its last lookup placed the point in.
void probe(const RunSettings& run, const Grid& grid, double easting, double northing)
{
    std::printf("%a %a:", easting, northing);
    try {
        const LonLat geo = utm2ll(easting, northing, run);
        const LonLat deg = parseRadianes(geo.lon, geo.lat, run.PI);
        std::printf(" %a %a %a %a", geo.lon, geo.lat, deg.lon, deg.lat);
        const LonLat sec = ed2et(deg.lat, deg.lon, run, grid).seconds;
        const CellPlace place = placeOfShift(run, grid, deg);
        const LonLat rad = parseSeconds(sec.lon, sec.lat, run.PI);
        const EastNorth out = ll2utm(rad.lon, rad.lat, run);
        std::printf(" %a %a %a %a %a %a %a %a", sec.lon, sec.lat, place.x, place.y, rad.lon, rad.lat,
                    out.easting, out.northing);
    } catch (const platform::RunError& e) {
        std::printf(" error %d %s", e.number(), e.what());
    }
    std::printf("\n");
}

// The whole chain as a run converts a point (the checks deferred to its end):
// the output line, or the message.
void convert(const RunSettings& run, const Grid& grid, double easting, double northing)
{
    RecordFields record;
    record.pointName = "P ";
    record.coordX = easting;
    record.coordY = northing;
    const PointResult r = convertPoint(record, run, grid);
    std::printf("%s\n", r.line ? r.line->c_str() : r.error->text().c_str());
}

template <class Probe>
void sweep(const Grid& grid, Probe probe)
{
    for (const char* datum : {"ED50", "ETRS89"}) {
        RunSettings run;
        run.zone = 30;
        run.sourceDatum = datum;
        run.direction = run.sourceDatum == "ED50" ? 0 : 1;
        for (double e = 150000; e <= 850000; e += 17321.5)
            for (double n = 3900000; n <= 4950000; n += 23456.7) probe(run, grid, e, n);
        for (double e : {0.0, 500000.0, 1e60}) probe(run, grid, e, 4400000);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) return 2;
    const Grid grid = Grid::open(argv[1]);
    sweep(grid, probe);
    sweep(grid, convert);
    return 0;
}
