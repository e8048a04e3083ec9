// Record split, header zone and the per-point chain with its error traps.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "ed2et.h"
#include "frmMain.h"
#include "header.h"
#include "platform/runtime_error.h"
#include "record.h"

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
        const RecordFields v = leeCadena(c.record);
        EXPECT_EQ(v.pointName, c.name) << c.record;
        EXPECT_EQ(v.coordX, c.x) << c.record;
        EXPECT_EQ(v.coordY, c.y) << c.record;
        EXPECT_EQ(v.lineRest, c.rest) << c.record;
    }

    EXPECT_NO_THROW(leeCadena(std::string(32767, 'x')));
    EXPECT_THROW(leeCadena(std::string(32768, 'x')), platform::RunError);
    EXPECT_THROW(leeCadena("P1 1e400 4400000 x"), platform::RunError);
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

TEST(HeaderWarnings, ZoneSixtyIsNotWarnedAsMisread)
{
    // Two digits from 01 to 60 after the "H" are a zone as written, both ends
    // included; anything else is warned about.
    const struct {
        const char* header;
        bool warned;
    } cases[] = {
        {"UTM ED50 H01", false}, {"UTM ED50 H30", false}, {"UTM ED50 H59", false}, {"UTM ED50 H60", false},
        {"UTM ED50 H00", true},  {"UTM ED50 H61", true},  {"UTM ED50 H6", true},
    };
    for (const auto& c : cases) {
        const RunSettings run = readHeader(c.header, "in.txt").run;
        EXPECT_EQ(headerWarnings(c.header, run, 0).size(), c.warned ? 1u : 0u) << c.header;
    }
}

TEST(ConvertPoint, EachStageReportsItsOwnFailureUnderItsProcedureName)
{
    const Grid demoGrid = Grid::open(DEMO_GRID);
    RunSettings run;
    run.zone = 30;
    run.direction = 0;
    run.sourceDatum = "ED50";
    const auto convert = [&](double easting, double northing) {
        const std::string record = "P " + std::to_string(easting) + " " + std::to_string(northing) + " ";
        return convertPoint(leeCadena(record), run, demoGrid);
    };
    const auto errorText = [](const PointResult& r) { return r.error ? r.error->text() : "none"; };

    EXPECT_EQ(errorText(convert(1e60, 4470000)), "Error utm2ll: Overflow");  // sixth power of the easting
    EXPECT_EQ(errorText(convert(440000, 2000000)), "Error ed2et: ");        // far south of the grid
    const PointResult good = convert(440000, 4470000);
    EXPECT_FALSE(good.error);
    ASSERT_TRUE(good.line);
    EXPECT_EQ(good.line->rfind("P 43", 0), 0u) << *good.line;
}
