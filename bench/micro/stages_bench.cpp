// Micro-benchmarks of kovra's stages on the demo grid: the projections, one
// grid lookup, the reverse shift, number text both ways (and the two ways to
// its digits) and the record split.
// Run with `make bench-micro`; not part of the tests.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "ed2et.h"
#include "ll2utm.h"
#include "platform/fpcheck.h"
#include "platform/numtext.h"
#include "platform/sigdigits.h"
#include "record.h"
#include "utm2ll.h"

using namespace kovra;

namespace {

RunSettings settings(int16_t direction)
{
    RunSettings v;
    v.zone = 30;
    v.direction = direction;
    v.sourceDatum = direction == 0 ? "ED50" : "ETRS89";
    return v;
}

const Grid& demoGrid()
{
    static const Grid grid = Grid::open(RUK_DEMO_GRID);
    return grid;
}

// Points spread over the demo grid, in arc-seconds (positive east).
std::vector<LonLat> gridPoints()
{
    std::vector<LonLat> points;
    for (double lat = 36.1; lat < 44; lat += 0.37)
        for (double lon = -9.1; lon < 3; lon += 0.41) points.push_back({lon * 3600, lat * 3600});
    return points;
}

void Utm2ll(benchmark::State& state)
{
    const RunSettings v = settings(0);
    double e = 300000;
    for (auto _ : state) {
        benchmark::DoNotOptimize(utm2ll(e, 4400000, v));
        e = e < 700000 ? e + 1.5 : 300000;
    }
}
BENCHMARK(Utm2ll);

void Ll2utm(benchmark::State& state)
{
    const RunSettings v = settings(0);
    double lon = -0.09;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ll2utm(lon, 0.7051130178057085, v));
        lon = lon < 0 ? lon + 1e-7 : -0.09;
    }
}
BENCHMARK(Ll2utm);

// Runs convert points with the flag tests deferred to the end of the chain
// (a checked rerun only on a fault); the lookups are measured that way too.
template <GridShift (*shift)(const Grid&, double, double)>
void ShiftPoints(benchmark::State& state)
{
    const std::vector<LonLat> points = gridPoints();
    std::size_t i = 0;
    for (auto _ : state) {
        const LonLat& p = points[i++ % points.size()];
        benchmark::DoNotOptimize(shift(demoGrid(), p.lon, p.lat));
    }
}
BENCHMARK(ShiftPoints<interpolateGrid<fp::Deferred>>)->Name("GridLookup");
BENCHMARK(ShiftPoints<invertGrid<fp::Deferred>>)->Name("ReverseShift");

platform::SignificantDigits exactDigits(double value)
{
    platform::SignificantDigits digits{};
    platform::significantDigitsExactly(value, digits);
    return digits;
}

// Number text of coordinate-sized values, and the two ways to their 15 digits
// that it chooses between.
template <auto write>
void CoordinateText(benchmark::State& state)
{
    double value = 4474060.68112345;
    for (auto _ : state) {
        benchmark::DoNotOptimize(write(value));
        value += 0.001;
    }
}
BENCHMARK(CoordinateText<platform::numberText>)->Name("NumberToText");
BENCHMARK(CoordinateText<exactDigits>)->Name("SignificantDigitsExactly");
BENCHMARK(CoordinateText<platform::significantDigitsByLibrary>)->Name("SignificantDigitsByLibrary");

void TextToNumber(benchmark::State& state)
{
    const std::string texts[] = {"440720.512", "4474256.331", "-3320469.286", "500000"};
    std::size_t i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(platform::numericValue(texts[i++ % 4]));
}
BENCHMARK(TextToNumber);

void RecordSplit(benchmark::State& state)
{
    const std::string record = "V001 440720.512 4474256.331 655.20 VG Madrid";
    for (auto _ : state) benchmark::DoNotOptimize(leeCadena(record));
}
BENCHMARK(RecordSplit);

}  // namespace

BENCHMARK_MAIN();
