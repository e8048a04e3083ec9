// Grid lookup and datum shift on small grids made by the NTv2 writer, whose
// node shifts are known functions of position.
#include <gtest/gtest.h>

#include <unistd.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <utility>

#include "demo_grid.h"
#include "ed2et.h"
#include "platform/fpcheck.h"
#include "ntv2_writer.h"

using namespace kovra;
namespace fs = std::filesystem;

namespace {

constexpr double kS = 1000, kE = 2000, kInc = 60;  // S_LAT, E_LONG (positive west), spacing

// A bilinear field of the node position, in spacings north of S_LAT (r) and west
// of E_LONG (c). Bilinear interpolation must reproduce it, inside and out.
double latField(double r, double c) { return 0.5 + 0.25 * r + 0.125 * c + 0.0625 * r * c; }
double lonField(double r, double c) { return -1.0 + 0.375 * r - 0.25 * c + 0.03125 * r * c; }

ntv2::Node fieldNode(double lat, double lonWest)
{
    const double r = (lat - kS) / kInc, c = (lonWest - kE) / kInc;
    return {static_cast<float>(latField(r, c)), static_cast<float>(lonField(r, c))};
}

// Neighbouring nodes whose difference is beyond the single-precision range.
ntv2::Node opposingExtremes(double, double lonWest) { return {lonWest > kE + 200 ? 3e38f : -3e38f}; }

// 5 rows by 6 columns of nodes.
ntv2::Grid fieldGrid() { return {.subGrids = {ntv2::regularSubGrid(kS, kE, kInc, kInc, 5, 6, fieldNode)}}; }

ntv2::SubGrid constantSubGrid(double sLat, double eLong, double inc, int32_t rows, int32_t cols,
                              float latShift, float lonShiftWest = 0)
{
    return ntv2::regularSubGrid(sLat, eLong, inc, inc, rows, cols,
                                [=](double, double) { return ntv2::Node{latShift, lonShiftWest}; });
}

// A point given in spacings from S_LAT and E_LONG, in arc-seconds positive east.
LonLat at(double r, double c) { return {-(kE + c * kInc), kS + r * kInc}; }

LonLat lookup(const Grid& grid, LonLat p) { return interpolateGrid(grid, p.lon, p.lat).seconds; }

RunSettings from(const char* sourceDatum)
{
    RunSettings run;
    run.sourceDatum = sourceDatum;
    return run;
}

std::string errorOf(const std::function<void()>& call)
{
    try {
        call();
    } catch (const platform::RunError& e) {
        return std::to_string(e.number()) + " " + e.description();
    }
    return "no error";
}

class Ed2etTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() /
               ("ed2et_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
                "_" + std::to_string(::getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string path() const { return (dir_ / kGridFileName).string(); }
    Grid write(const ntv2::Grid& grid, std::optional<std::size_t> maxBytes = std::nullopt)
    {
        ntv2::writeGrid(path(), grid, maxBytes);
        return Grid::open(path());
    }

    fs::path dir_;
};

}  // namespace

TEST_F(Ed2etTest, BilinearFieldIsReproducedAndFractionsStored)
{
    const Grid grid = write(fieldGrid());
    struct Case { double r, c, x, y; } cases[] = {
        {2, 3, 0, 0},          {2.25, 3.75, 0.75, 0.25}, {1.5, 0.5, 0.5, 0.5},
        {0, 0, 0, 0},          {0, 4.9, 0.9, 0},         {3.9, 0, 0, 0.9},  // on S_LAT, E_LONG
        {-0.5, 2.5, 0.5, -0.5}, {1.25, -0.75, -0.75, 0.25},                // extrapolated
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << "r=" << k.r << " c=" << k.c);
        const LonLat p = at(k.r, k.c);
        const auto [shifted, place] = interpolateGrid(grid, p.lon, p.lat);
        EXPECT_NEAR(place.x, k.x, 1e-12);
        EXPECT_NEAR(place.y, k.y, 1e-12);
        EXPECT_EQ(place.subGrid, 0);
        EXPECT_NEAR(shifted.lat, p.lat + latField(k.r, k.c), 1e-9);
        EXPECT_NEAR(shifted.lon, p.lon - lonField(k.r, k.c), 1e-9);
    }
    // On node P1 the shifts are P1's, exactly.
    const LonLat p1 = at(2, 3);
    EXPECT_EQ(lookup(grid, p1).lat, p1.lat + latField(2, 3));
    EXPECT_EQ(lookup(grid, p1).lon, -(-p1.lon + lonField(2, 3)));
}

TEST_F(Ed2etTest, CoefficientsAreRoundedToSinglePrecision)
{
    // Nodes [row][column] of one cell. The mid-cell value is the mean up to that
    // rounding; 2^24 - (-1.5) and 1.5 + 2^24 need 26 bits and round to 2^24 + 2.
    constexpr float k24 = 16777216;
    struct Case { float t[2][2]; double x, y, shift, tolerance; } cases[] = {
        {{{1.1f, 2.3f}, {3.7f, 5.9f}}, 0.5, 0.5, (1.1 + 2.3 + 3.7 + 5.9) / 4, 1e-6},
        {{{k24, -1.5f}, {k24, -1.5f}}, 0.5, 0, k24 - (k24 + 2) / 2, 0},  // a1
        {{{k24, 0}, {0, 1.5f}}, 0.5, 0.5, (k24 + 2) / 4, 0},             // a3
    };
    for (const Case& k : cases) {
        const Grid grid = write({.subGrids = {ntv2::regularSubGrid(
                                         kS, kE, kInc, kInc, 2, 2, [&](double lat, double lonWest) {
                                             return ntv2::Node{k.t[lat > kS][lonWest > kE], 0};
                                         })}});
        const LonLat p = at(k.y, k.x);
        EXPECT_NEAR(lookup(grid, p).lat - p.lat, k.shift, k.tolerance) << k.t[0][0];
    }
}

TEST_F(Ed2etTest, PointsOutsideGiveZerosAndNoPlace)
{
    const Grid grid = write(fieldGrid());
    struct Case { double r, c; } cases[] = {
        {4, 2}, {2, 5},                 // on N_LAT, on W_LONG
        {-1, 2}, {2, -1}, {5.5, 2},     // a full spacing south, east; north
    };
    for (const Case& k : cases) {
        const auto [shifted, place] = interpolateGrid(grid, at(k.r, k.c).lon, at(k.r, k.c).lat);
        EXPECT_EQ(shifted.lon, 0) << k.r << " " << k.c;
        EXPECT_EQ(shifted.lat, 0);
        EXPECT_EQ(place.subGrid, -1);
    }
}

TEST_F(Ed2etTest, FinestLatitudeSpacingWinsTiesGoToTheEarlier)
{
    // Each sub-grid covers the point; its latitude shift names it.
    auto sub = [](double latInc, double longInc, float name) {
        ntv2::SubGrid g = constantSubGrid(0, -100000, latInc, 4, 4, name);
        g.longInc = longInc;
        g.wLong = g.eLong + 3 * longInc;
        return g;
    };
    struct Case { std::vector<ntv2::SubGrid> subGrids; float chosen; } cases[] = {
        {{sub(60, 60, 1), sub(60, 30, 2)}, 1},          // tie; finer LONG_INC ignored
        {{sub(60, 60, 1), sub(30, 60, 2)}, 2},
        {{sub(30, 60, 1), sub(60, 10, 2)}, 1},
        {{sub(1000000, 1000000, 1)}, 0},               // never chosen
        {{sub(1000000, 60, 1), sub(999999.5, 60, 2)}, 2},
    };
    for (const Case& k : cases) {
        const Grid grid = write({.subGrids = k.subGrids});
        const LonLat p{100000 - 20, 20};
        EXPECT_EQ(lookup(grid, p).lat, k.chosen ? p.lat + k.chosen : 0) << k.chosen;
    }
}

TEST_F(Ed2etTest, NodeCountsRoundHalfToEven)
{
    // A span of 24.5 spacings has 25 rows (cells up to 24), one of 25.5 has 27 (up to 26).
    struct Case { double span; int32_t nodes; double r, c; bool inside; } cases[] = {
        {24.5, 25, 23.5, 0.5, true}, {24.5, 25, 24.2, 0.5, false}, {25.5, 27, 25.7, 0.5, true},
        {25.5, 27, 26.1, 0.5, false}, {24.5, 25, 0.5, 24.2, false}, {25.5, 27, 0.5, 25.7, true},
    };
    for (const Case& k : cases) {
        ntv2::Grid g = fieldGrid();
        ntv2::SubGrid& sub = g.subGrids[0];
        sub.nLat = kS + k.span * kInc;
        sub.wLong = kE + k.span * kInc;
        sub.rows = sub.cols = k.nodes;
        EXPECT_EQ(lookup(write(g), at(k.r, k.c)).lat != 0, k.inside) << k.span << " " << k.r;
    }
}

TEST_F(Ed2etTest, AtMost150SubGridsAreRead)
{
    ntv2::Grid g;
    for (int i = 1; i <= 150; ++i) g.subGrids.push_back(constantSubGrid(0, -600, 600 - i, 3, 3, i));
    EXPECT_EQ(lookup(write(g), {0, 10}).lat, 10 + 150);
    g.subGrids.push_back(g.subGrids.front());
    EXPECT_EQ(errorOf([&] { lookup(write(g), {0, 10}); }), "9 Subscript out of range");
}

TEST_F(Ed2etTest, WrongValuesInACompleteGridFailEachLookup)
{
    using Damage = std::function<void(ntv2::SubGrid&)>;
    struct Case { const char* fault; Damage damage; const char* error; } cases[] = {
        {"zero LAT_INC", [](auto& g) { g.latInc = 0; }, "11 Division by zero"},
        {"zero LONG_INC", [](auto& g) { g.longInc = 0; }, "11 Division by zero"},
        {"zero spacing and span", [](auto& g) { g.latInc = 0; g.nLat = g.sLat; }, "11 Division by zero"},
        {"NaN spacing", [](auto& g) { g.latInc = NAN; }, "5 Invalid floating-point operation"},
        {"infinite bound", [](auto& g) { g.nLat = INFINITY; }, "6 Overflow"},
        {"row count", [](auto& g) { g.nLat = kS + 2147483647.0 * kInc; }, "6 Overflow"},
        {"node shifts beyond single range", [](auto& g) { g.node = opposingExtremes; }, "6 Overflow"},
        {"not-a-number node shifts", [](auto& g) { g.node = [](double, double) { return ntv2::Node{NAN, NAN}; }; },
         "5 Invalid floating-point operation"},
    };
    for (const Case& k : cases) {
        ntv2::Grid g = fieldGrid();
        k.damage(g.subGrids[0]);
        g.subGrids.push_back(fieldGrid().subGrids[0]);
        const Grid grid = write(g);
        EXPECT_EQ(grid.state(), Grid::State::kUsable) << k.fault;
        EXPECT_EQ(errorOf([&] { lookup(grid, at(2.5, 3.5)); }), k.error) << k.fault;
    }
}

TEST_F(Ed2etTest, DamagedOrIncompleteGridIsUnusableAndSaysWhy)
{
    auto withSub = [](const std::function<void(ntv2::SubGrid&)>& damage) {
        ntv2::Grid g = fieldGrid();
        damage(g.subGrids[0]);
        return g;
    };
    ntv2::Grid noSubGrid = fieldGrid(), negative = fieldGrid(), wrongSystem = fieldGrid();
    noSubGrid.numFile = 0;
    negative.numFile = -3;
    const std::size_t complete = ntv2::encode(fieldGrid()).size();
    struct Case { ntv2::Grid grid; std::optional<std::size_t> cut; const char* problem; } cases[] = {
        {fieldGrid(), 0, "is empty"},
        {fieldGrid(), 100, "is truncated: the overview header needs 176 bytes, the file holds 100"},
        {fieldGrid(), 176 + 128, "is truncated: the header of sub-grid 1 needs bytes 176 to 352, the file holds 304"},
        {fieldGrid(), 2 * 176 + 6 * 16 + 5,
         "is truncated: sub-grid 1 \"SUBGRID\" declares 30 nodes, the file holds 6"},
        {fieldGrid(), complete - 16 - 1, "is truncated: sub-grid 1 \"SUBGRID\" declares 30 nodes, the file holds 29"},
        {noSubGrid, {}, "declares no sub-grid (NUM_FILE is 0)"},
        {negative, {}, "declares no sub-grid (NUM_FILE is -3)"},
        {withSub([](auto& g) { g.gsCount = -40; }), {}, "is damaged: sub-grid 1 \"SUBGRID\" declares -40 nodes"},
        {withSub([](auto& g) { g.gsCount = 134217727; }), {},
         "is damaged: sub-grid 1 \"SUBGRID\" declares 134217727 nodes, more than a grid file can hold"},
        {withSub([](auto& g) { g.gsCount = 29; }), {},
         "is damaged: sub-grid 1 \"SUBGRID\" has 5 rows and 6 columns of nodes by its bounds and spacings, "
         "but declares 29 nodes"},
        {withSub([](auto& g) { g.wLong = kE + 1.2e9 * kInc; }), {},
         "is damaged: sub-grid 1 \"SUBGRID\" has 5 rows and 1200000001 columns of nodes by its bounds and "
         "spacings, but declares 30 nodes"},
    };
    for (const Case& k : cases) {
        const Grid grid = write(k.grid, k.cut);
        EXPECT_EQ(grid.state(), Grid::State::kUnusable) << k.problem;
        EXPECT_EQ(grid.problem(), "grid file \"" + path() + "\" " + k.problem + ": no point can be shifted");
        EXPECT_EQ(errorOf([&] { lookup(grid, at(1, 1)); }), "321 Unusable grid file " + path());
    }

    // Not NTv2 at all: the labels are not where the format puts them.
    std::vector<unsigned char> bytes = ntv2::encode(fieldGrid());
    bytes[176 + 64] = 'X';
    ntv2::writeFile(path(), bytes);
    EXPECT_EQ(Grid::open(path()).problem(),
              "grid file \"" + path() + "\" is not an NTv2 file: the header of sub-grid 1 has \"X_LAT\" where "
              "the label \"S_LAT\" belongs (byte 240): no point can be shifted");
    fs::remove(path());
    fs::create_symlink("/dev/zero", path());
    EXPECT_EQ(Grid::open(path()).state(), Grid::State::kUnreadable);  // a device is no grid file
}

TEST_F(Ed2etTest, MissingGridIsNotCreatedAndUnreadableGridFailsEveryLookup)
{
    const Grid missing = Grid::open(path());
    const RunSettings state = from("ETRS89");
    EXPECT_EQ(missing.state(), Grid::State::kMissing);
    EXPECT_EQ(lookup(missing, at(1, 1)).lat, 0);
    EXPECT_EQ(errorOf([&] { ed2et(40, -3, state, missing); }), "0 ");
    EXPECT_FALSE(fs::exists(path()));

    fs::create_directory(path());
    const Grid directory = Grid::open(path());
    EXPECT_EQ(directory.state(), Grid::State::kUnreadable);
    const std::string expected = "75 Cannot read grid file " + path() + ": not a regular file";
    for (int i = 0; i < 2; ++i) EXPECT_EQ(errorOf([&] { ed2et(40, -3, state, directory); }), expected);
}

TEST_F(Ed2etTest, ReverseShiftRunsExactlyFifteenIterations)
{
    // A latitude shift of k spacings per spacing north: each iteration of the
    // reverse shift multiplies the estimate's error by -k, so after n of them
    // it is (-k)^n times the first one. With k = 1/2 every count differs.
    constexpr double k = 0.5, shift0 = 30;
    const Grid grid = write({.subGrids = {ntv2::regularSubGrid(kS, kE, kInc, kInc, 40, 4, [](double lat, double) {
                                 return ntv2::Node{static_cast<float>(shift0 + k * (lat - kS)), 0};
                             })}});
    const LonLat target = at(20, 1.5);
    const double solution = kS + (target.lat - kS - shift0) / (1 + k);  // forward shift lands on target
    const LonLat ed = invertGrid(grid, target.lon, target.lat).seconds;
    EXPECT_NEAR(ed.lat - solution, std::pow(-k, 15) * (target.lat - solution), 1e-9);
    EXPECT_EQ(ed.lon, target.lon);
}

TEST_F(Ed2etTest, DeferredLookupsGiveTheCheckedBits)
{
    // A run converts with the checks deferred, through a lookup that reuses the
    // last cell: on nested sub-grids with steep fields, where the estimates of
    // a reverse shift move between cells and sub-grids, it must give exactly
    // what the checked lookup gives.
    auto steep = [](double lat, double lonWest) {
        return ntv2::Node{static_cast<float>(std::sin(lat / 37) * 40), static_cast<float>(std::cos(lonWest / 23) * 35)};
    };
    ntv2::Grid g = fieldGrid();
    g.subGrids[0] = ntv2::regularSubGrid(kS, kE, kInc, kInc, 9, 9, steep);
    g.subGrids.push_back(ntv2::regularSubGrid(kS + 120, kE + 120, 20, 20, 10, 10, steep));
    const Grid grid = write(g);
    auto bits = [](double v) { return std::bit_cast<uint64_t>(v); };
    for (double r = -0.4; r < 8.5; r += 0.173) {
        for (double c = -0.4; c < 8.5; c += 0.191) {
            const LonLat p = at(r, c);
            const std::pair<GridShift, GridShift> checkedAndDeferred[] = {
                {interpolateGrid<fp::Checked>(grid, p.lon, p.lat), interpolateGrid<fp::Deferred>(grid, p.lon, p.lat)},
                {invertGrid<fp::Checked>(grid, p.lon, p.lat), invertGrid<fp::Deferred>(grid, p.lon, p.lat)},
            };
            for (const auto& [checked, deferred] : checkedAndDeferred) {
                ASSERT_EQ(bits(checked.seconds.lon), bits(deferred.seconds.lon)) << r << " " << c;
                ASSERT_EQ(bits(checked.seconds.lat), bits(deferred.seconds.lat)) << r << " " << c;
                ASSERT_EQ(bits(checked.place.x), bits(deferred.place.x));
                ASSERT_EQ(bits(checked.place.y), bits(deferred.place.y));
                ASSERT_EQ(checked.place.subGrid, deferred.place.subGrid);
            }
        }
    }
}

TEST_F(Ed2etTest, ReverseShiftInvertsTheForwardShiftOnTheDemoGrid)
{
    const std::string demo = std::string(RUK_EXAMPLES_DIR) + "/mirtaxo.gsb";
    std::ifstream file(demo, std::ios::binary);
    const std::vector<unsigned char> committed{std::istreambuf_iterator<char>(file), {}};
    EXPECT_EQ(committed, ntv2::encode(ntv2::demoGrid())) << "regenerate with make_demo_grid";

    const Grid grid = Grid::open(demo);
    ASSERT_EQ(grid.state(), Grid::State::kUsable);
    for (double latDeg = 36; latDeg < 44.4; latDeg += 0.7) {
        for (double lonDeg = -9.3; lonDeg < 3.3; lonDeg += 0.9) {
            const LonLat etrs{lonDeg * 3600, latDeg * 3600};
            const LonLat ed = invertGrid(grid, etrs.lon, etrs.lat).seconds;
            const LonLat back = interpolateGrid(grid, ed.lon, ed.lat).seconds;
            EXPECT_NEAR(back.lon, etrs.lon, 1e-6) << latDeg << " " << lonDeg;
            EXPECT_NEAR(back.lat, etrs.lat, 1e-6);
            EXPECT_NEAR(ed.lat - etrs.lat, 3.9, 0.5);  // ED50 lies north and east of ETRS89
            EXPECT_NEAR(ed.lon - etrs.lon, 4.7, 0.5);
        }
    }
}

TEST_F(Ed2etTest, TheCommittedDemoGridCarriesTheMarkThatMakesKovraWarnAboutIt)
{
    // The overview's VERSION record, bytes 64 to 79 of the file the packages
    // ship: a believable grid with invented shifts must not pass for an
    // official one, whose VERSION is "NTv2.0".
    const std::string demo = std::string(RUK_EXAMPLES_DIR) + "/mirtaxo.gsb";
    std::ifstream file(demo, std::ios::binary);
    std::string overview(176, '\0');
    file.read(overview.data(), 176);
    EXPECT_EQ(overview.substr(64, 16), "VERSION RUK-DEMO");

    const Grid grid = Grid::open(demo);
    EXPECT_TRUE(grid.isDemo());
    ASSERT_FALSE(grid.remarks().empty());
    EXPECT_EQ(grid.remarks()[0], "grid file \"" + demo + "\": warning: it is the synthetic demo grid of this program: "
                                 "its shifts are invented; use your mapping agency's official grid");
    EXPECT_FALSE(write(fieldGrid()).isDemo());
    EXPECT_TRUE(write(fieldGrid()).remarks().empty());
}

TEST_F(Ed2etTest, ReverseShiftFailsWhenAnEstimateLeavesTheGrid)
{
    // A constant shift of 2.5 spacings north: the first estimate of a point less
    // than that far from S_LAT falls south of the grid.
    const Grid grid = write({.subGrids = {constantSubGrid(kS, kE, kInc, 5, 6, 150)}});
    EXPECT_EQ(invertGrid(grid, at(1, 1).lon, at(1, 1).lat).seconds.lat, 0);
    EXPECT_EQ(invertGrid(grid, at(3.5, 1).lon, at(3.5, 1).lat).seconds.lat, at(3.5, 1).lat - 150);
}

TEST_F(Ed2etTest, Ed2etPicksTheDirectionAndReportsPointsOutside)
{
    // Around the prime meridian, a constant shift of +6" north and 30" west.
    const ntv2::SubGrid sub = constantSubGrid(3600, -600, 60, 5, 21, 6, 30);
    const Grid grid = write({.subGrids = {sub}});
    struct Case { const char* datum; LonLat expected; } cases[] = {
        {"ED50", {225 - 30, 3825 + 6}}, {"ETRS89", {225 + 30, 3825 - 6}}, {"ed50", {255, 3819}},
        {"ED50 ", {255, 3819}},         {"", {255, 3819}},
    };
    for (const Case& k : cases) {
        const Shift shift = ed2et(1.0625, 0.0625, from(k.datum), grid);  // 3825", 225"
        EXPECT_EQ(shift.seconds.lon, k.expected.lon) << k.datum;
        EXPECT_EQ(shift.seconds.lat, k.expected.lat) << k.datum;
        EXPECT_FALSE(shift.extrapolated) << k.datum;
    }

    // Half a spacing south of S_LAT the shift is extrapolated, by as far as the
    // last lookup lay south: the reverse shift's estimate lies 6" further.
    for (const auto& [datum, south] : {std::pair{"ED50", 30.0}, std::pair{"ETRS89", 36.0}}) {
        const std::optional<Extrapolation> extrapolated = ed2et(3570.0 / 3600, 0.0625, from(datum), grid).extrapolated;
        ASSERT_TRUE(extrapolated) << datum;
        EXPECT_NEAR(extrapolated->south, south, 1e-9) << datum;
        EXPECT_EQ(extrapolated->east, 0) << datum;
    }

    const RunSettings ed50 = from("ED50");
    EXPECT_EQ(errorOf([&] { ed2et(0.5, 0.0625, ed50, grid); }), "0 ");  // south of the grid
    // The reverse shift tests only the latitude for zero: a longitude of zero on
    // the way is no miss. The stage counts a zero in either coordinate as one.
    EXPECT_EQ(interpolateGrid(grid, 30, 3825).seconds.lon, 0);
    EXPECT_EQ(invertGrid(grid, 30, 3825).seconds.lon, 60);
    ntv2::SubGrid toZero = sub;
    toZero.node = [](double, double) { return ntv2::Node{6, 225}; };
    EXPECT_EQ(errorOf([&] { ed2et(1.0625, 0.0625, ed50, write({.subGrids = {toZero}})); }), "0 ");
}
