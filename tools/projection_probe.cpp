// Runs kovra's own projection series on points read from standard input, one a
// line, so that a script can hold them against an exact transverse Mercator:
//
//   projection_probe inverse ED50|ETRS89 ZONE   reads "easting northing" (metres),
//                                               writes "longitude latitude" (radians)
//   projection_probe forward ED50|ETRS89 ZONE   reads "longitude latitude" (radians),
//                                               writes "easting northing" (metres)
//
// ED50 stands for the International 1924 ellipsoid, ETRS89 for GRS80. Values are
// written with 17 significant digits, which give back the same double. A line that
// cannot be read or converted gives a line "error ..." in its place, so that output
// and input stay line for line; the exit status is then 1.
#include <cstdio>
#include <iostream>
#include <string>

#include "ll2utm.h"
#include "platform/runtime_error.h"
#include "utm2ll.h"

using namespace kovra;

namespace {

enum class Series { inverse, forward };

struct Pair {
    double first, second;
};

Pair project(Series series, double first, double second, const RunSettings& state)
{
    if (series == Series::inverse) {
        const LonLat geo = utm2ll(first, second, state);
        return {geo.lon, geo.lat};
    }
    const EastNorth grid = ll2utm(first, second, state);
    return {grid.easting, grid.northing};
}

// The state that makes the series project on the named datum's ellipsoid: the
// inverse takes GRS80 for direction 1, the forward for direction 0.
RunSettings stateFor(Series series, bool grs80, int zone)
{
    RunSettings state;
    state.zone = static_cast<int16_t>(zone);
    state.direction = (series == Series::inverse) == grs80 ? 1 : 0;
    return state;
}

int usage()
{
    std::fprintf(stderr, "usage: projection_probe inverse|forward ED50|ETRS89 ZONE < points\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) return usage();
    const std::string series = argv[1], datum = argv[2];
    char* end = nullptr;
    const long zone = std::strtol(argv[3], &end, 10);
    if ((series != "inverse" && series != "forward") || (datum != "ED50" && datum != "ETRS89") ||
        *end != '\0' || end == argv[3] || zone < 1 || zone > 60)
        return usage();
    const Series which = series == "inverse" ? Series::inverse : Series::forward;
    const RunSettings state = stateFor(which, datum == "ETRS89", static_cast<int>(zone));

    int status = 0;
    std::string line;
    for (long number = 1; std::getline(std::cin, line); ++number) {
        double first = 0, second = 0;
        if (std::sscanf(line.c_str(), "%lf %lf", &first, &second) != 2) {
            std::printf("error line %ld: two numbers expected\n", number);
            status = 1;
            continue;
        }
        try {
            const Pair out = project(which, first, second, state);
            std::printf("%.17g %.17g\n", out.first, out.second);
        } catch (const platform::RunError& e) {
            std::printf("error line %ld: %s\n", number, e.what());
            status = 1;
        }
    }
    return status;
}
