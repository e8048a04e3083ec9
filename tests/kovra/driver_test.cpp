// Record split, header zone and the per-point chain with its error traps.
#include <gtest/gtest.h>

#include <vector>

#include "ed2et.h"
#include "frmMain.h"
#include "platform/runtime_error.h"

using namespace kovra;

TEST(LeeCadena, SplitsAtBlanksAndNeedsABlankBehindEachField)
{
    const struct {
        const char* record;
        const char* name;
        double x, y;
        const char* rest;
    } cases[] = {
        {"P1 500000.000 4400000.000 100.0 X", "P1 ", 500000, 4400000, "100.0 X"},
        {"P1  500000 4400000 9", "P1 ", 0, 500000, "4400000 9"},
        {"P1", "", 0, 0, "P1"},
        {"P1 500000.000 4400000.000", "P1 ", 500000, 0, "4400000.000"},
        {"P1 500000.000 4400000.000 ", "P1 ", 500000, 4400000, ""},
        {"", "", 0, 0, ""},
        {"P1 500000 4400000  a b ", "P1 ", 500000, 4400000, " a b "},
    };
    for (const auto& c : cases) {
        Variables v;
        leeCadena(c.record, v);
        EXPECT_EQ(v.pointName, c.name) << c.record;
        EXPECT_EQ(v.coordX, c.x) << c.record;
        EXPECT_EQ(v.coordY, c.y) << c.record;
        EXPECT_EQ(v.lineRest, c.rest) << c.record;
    }

    Variables v;
    EXPECT_NO_THROW(leeCadena(std::string(32767, 'x'), v));
    EXPECT_THROW(leeCadena(std::string(32768, 'x'), v), platform::RunError);
    EXPECT_THROW(leeCadena("P1 1e400 4400000 x", v), platform::RunError);
}

TEST(HeaderZone, TwoCharactersAfterTheFirstH)
{
    EXPECT_EQ(headerZone("UTM ED50 H30"), 30);
    EXPECT_EQ(headerZone("UTM ED50 H3"), 3);
    EXPECT_EQ(headerZone("UTM ED50 H3 x"), 3);
    EXPECT_EQ(headerZone("UTM ED50 H"), 0);
    EXPECT_EQ(headerZone("utm ed50 h30"), 0);  // no "H": the value of "ut"
    EXPECT_EQ(headerZone("29 ETRS89"), 29);    // no "H": the first two characters
    EXPECT_EQ(headerZone("UTM ED50 H-3"), -3);
    EXPECT_EQ(headerZone("HUSO ED50 H30"), 0);  // the first "H" counts
}

namespace {

struct ChainRun {
    std::vector<std::string> lines, messages;
};

// Converts each (easting, northing) on a grid with no shift at all, so that only
// the projections and the traps decide what comes out.
ChainRun convertAll(const std::vector<std::pair<double, double>>& points, int16_t zone)
{
    static GridFile noGrid("no-such-grid-file.gsb");
    ChainRun run;
    for (const auto& [x, y] : points) {
        Variables v;
        v.PI = kProgramPi;
        v.zone = zone;
        v.direction = 0;
        v.sourceDatum = "ED50";
        v.pointName = "P ";
        v.coordX = x;
        v.coordY = y;
        convertPoint(
            v, noGrid, [&](const std::string& line) { run.lines.push_back(line); },
            [&](const std::string& text) { run.messages.push_back(text); });
    }
    return run;
}

}  // namespace

TEST(ConvertPoint, EachStageReportsItsOwnFailureAndTheRunGoesOn)
{
    // Without a grid every point is outside it: "Error ed2et: " with no description.
    const ChainRun outside = convertAll({{440000, 4470000}, {1e60, 4470000}}, 30);
    EXPECT_TRUE(outside.lines.empty());
    ASSERT_EQ(outside.messages.size(), 2u);
    EXPECT_EQ(outside.messages[0], "Error ed2et: ");
    EXPECT_EQ(outside.messages[1], "Error utm2ll: Overflow");
}
