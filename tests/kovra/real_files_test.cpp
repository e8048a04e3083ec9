// Point files as surveyors make them, end to end: headers that name no datum
// or both, zones not written as H30, text saved as UTF-16, tabs and decimal
// commas, points far from the central meridian, odd grids and settings. Each
// output is what the system defines (the same bytes as before these files
// got their messages); the messages say what went wrong, at its line. Files
// without a mistake stay silent.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <optional>

#include "ntv2_writer.h"
#include "run_program.h"
#include "test_grid.h"

namespace fs = std::filesystem;

namespace {

const std::string kEd50 = "UTM ED50 H30\r\n";
const std::string kToEtrs = "UTM ETRS89 H30\r\n";
const std::string kMadrid = "V001 440720.512 4474256.331 655.20 VG Madrid";
const std::string kMadridOut = "V001 440612.184 4474060.681 655.20 VG Madrid\r\n";

std::string message(const std::string& text) { return "kovra: " + text + "\n"; }
std::string warning(int line, const std::string& text) { return message("in.txt:" + std::to_string(line) + ": warning: " + text); }
// The last line of a run that said anything.
std::string summary(const std::string& counts) { return message("in.txt: " + counts); }
const std::string kOneWarned = summary("1 of 1 point converted, 0 not converted, 1 warning");
const std::string kLostWithWarning = summary("0 of 1 point converted, 1 not converted, 1 warning");

// The warning, first of those about its line, that a comma broke the line into records.
std::string commaBroke(int line, int column, const std::string& recordShown)
{
    return warning(line, "the comma at column " + std::to_string(column) + " ends the record " + recordShown +
                             ": the rest of the line is read as further records; the decimal separator is \".\"");
}

// A grid with one constant shift over 30..50 N and 20 W..20 E: wide enough to
// convert a point 1000 km from its central meridian.
std::string wideGrid()
{
    ntv2::Grid grid;
    grid.subGrids.push_back(ntv2::regularSubGrid(108000, -72000, 3600, 3600, 21, 41, [](double, double) {
        return ntv2::Node{-3.9f, 4.7f};
    }));
    const std::vector<unsigned char> bytes = ntv2::encode(grid);
    return std::string(bytes.begin(), bytes.end());
}

struct RealFile {
    const char* what;
    std::string input;
    std::optional<std::string> output;  // none: no output file
    std::string messages;
    int status;
    std::vector<std::string> environment = {};
    std::optional<std::string> grid = std::nullopt;  // the demo grid without its mark when none
};

// Runs kovra on each file in a folder of its own, over an old output.
void expectRuns(const std::vector<RealFile>& files)
{
    for (const RealFile& f : files) {
        SCOPED_TRACE(f.what);
        TempDir dir;
        writeFile(dir / "mirtaxo.gsb", f.grid ? *f.grid : unmarkedDemoGrid());
        writeFile(dir / "in.txt", f.input);
        writeFile(dir / "out.txt", "old output\r\n");
        const ProgramRun run = runProgram(KOVRA_BINARY, {"in.txt", "out.txt"}, dir.path(),
                                          {.addressSpace = 0, .fileSize = 0, .environment = f.environment});
        EXPECT_EQ(run.status, f.status);
        EXPECT_EQ(run.err, f.messages);
        EXPECT_EQ(readFile(dir / "out.txt"), f.output);
    }
}

}  // namespace

TEST(RealFiles, EachMistakeIsNamedAtItsLineAndTheOutputIsTheSystems)
{
    const std::string neither =
        warning(1, "the header names neither \"ED50\" nor \"ETRS89\" (written so, in capitals): the points are "
                   "converted from ETRS89 to ED50 on the International 1924 ellipsoid on both sides, and no header "
                   "line is written");
    const auto zone = [](const char* read, const char* value) {
        return warning(1, std::string("the zone is read from the two characters after the first \"H\", \"") + read +
                              "\", as " + value + ": write it as two digits from 01 to 60 right after an \"H\", as in "
                              "\"H30\"");
    };
    const std::string outside = "Error ed2et: outside the grid";
    const std::string threadsIgnored = "\", not a whole number from 1 to 256: it is ignored";
    const std::vector<RealFile> files = {
        // Headers as they are written by hand.
        {"no datum named", "UTM H30\r\n" + kMadrid + "\r\n", "V001 440831.528 4474374.754 655.20 VG Madrid\r\n",
         neither + kOneWarned, 1},
        {"the datum in lower case", "UTM ed50 H30\r\n" + kMadrid + "\r\n",
         "V001 440831.528 4474374.754 655.20 VG Madrid\r\n", neither + kOneWarned, 1},
        {"the datum with a hyphen", "UTM ED-50 H30\r\n" + kMadrid + "\r\n",
         "V001 440831.528 4474374.754 655.20 VG Madrid\r\n", neither + kOneWarned, 1},
        {"ETRS 89 with a blank", "UTM ETRS 89 H30\r\n" + kMadrid + "\r\n",
         "V001 440831.528 4474374.754 655.20 VG Madrid\r\n", neither + kOneWarned, 1},
        {"both datums", "UTM ED50 H30 -> ETRS89\r\n" + kMadrid + "\r\n",
         "UTM ETRS89 H30\r\nUTM ED50 H30\r\nV001 440828.840 4474451.985 655.20 VG Madrid\r\n",
         warning(1, "the header names both \"ED50\" and \"ETRS89\": the points are converted from ETRS89 to ED50, and "
                    "both header lines are written") +
             kOneWarned,
         1},
        {"HUSO 30", "UTM ED50 HUSO 30\r\n" + kMadrid + "\r\n", "UTM ETRS89 H0\r\n",
         zone("US", "0") + message("in.txt:2: " + outside + " (point V001)") + kLostWithWarning, 1},
        {"H 30", "UTM ED50 H 30\r\n" + kMadrid + "\r\n", "UTM ETRS89 H3\r\n",
         zone(" 3", "3") + message("in.txt:2: " + outside + " (point V001)") + kLostWithWarning, 1},
        {"H3O, letter O", "UTM ED50 H3O\r\n" + kMadrid + "\r\n", "UTM ETRS89 H3\r\n",
         zone("3O", "3") + message("in.txt:2: " + outside + " (point V001)") + kLostWithWarning, 1},
        // Text saved as "Unicode": nothing is written, an old output stays.
        {"UTF-16", std::string("\xff\xfeU\0T\0M\0 \0E\0D\0" "5\0" "0\0 \0H\0" "3\0" "0\0\r\0\n\0", 30), "old output\r\n",
         message("in.txt is UTF-16 text: save it as ANSI or UTF-8"), 2},
        // Separators that are not blanks.
        {"a tab before the height", kEd50 + "P01 440100.000 4474000.125\t650.00 EST\r\n",
         kToEtrs + "P01 439991.690 4473804.491 EST\r\n",
         warning(2, "northing \"4474000.125<TAB>650.00\" holds a tab, which does not separate fields: read as "
                    "4474000.125; \"650.00\" after the tab is not in the output") +
             kOneWarned,
         1},
        // A line broken by decimal commas: the comma named first, with the
        // decimal separator; then one error for each piece that is lost, as a
        // piece (was: "easting and northing missing" first, the comma later).
        {"a decimal comma in the height", kEd50 + "P04 442875.125 4477950.000 700,25 VG Chamberi\r\n",
         kToEtrs + "P04 442766.784 4477754.251 700\r\n",
         commaBroke(2, 31, "\"P04 442875.125 4477950.000 700\"") +
             message("in.txt:2: " + outside + " (point 25, the part after the comma at column 31)") +
             summary("1 of 2 points converted, 1 not converted, 1 warning"),
         1},
        {"decimal commas in every number", kEd50 + "P001 428503,711 4458743,352 760,37 VG\r\n", kToEtrs,
         commaBroke(2, 12, "\"P001 428503\"") +
             message("in.txt:2: " + outside + " (point P001, the part before the comma at column 12)") +
             message("in.txt:2: " + outside + " (point 711, the part after the comma at column 12)") +
             message("in.txt:2: " + outside + " (point 352, the part after the comma at column 24)") +
             message("in.txt:2: " + outside + " (point 37, the part after the comma at column 32)") +
             summary("0 of 4 points converted, 4 not converted, 1 warning"),
         1},
        // Points beyond the projection's 1 mm range: one on each side of it,
        // and one 1000 km out in a grid that covers it.
        {"either side of the 1 mm range", kEd50 + "E1 208623.929 4433415.073 inside\r\nE2 200084.841 4433747.229 outside\r\n",
         kToEtrs + "E1 208523.567 4433224.443 inside\r\nE2 199984.804 4433556.749 outside\r\n",
         warning(3, "E2 lies 3.513 degrees (299.9 km) west of the central meridian of zone 30; the projection holds "
                    "to 1 mm within 3.463 degrees of it only") +
             summary("2 of 2 points converted, 0 not converted, 1 warning"),
         1},
        {"1000 km from the central meridian", kEd50 + "FAR 1500000 4400000 1000 km east\r\n",
         kToEtrs + "FAR 1499861.356 4399788.673 1000 km east\r\n",
         warning(2, "FAR lies 11.560 degrees (1000.0 km) east of the central meridian of zone 30; the projection holds "
                    "to 1 mm within 3.463 degrees of it only") +
             kOneWarned,
         1, {}, wideGrid()},
        // Settings that are not a number of threads are named and ignored.
        {"KOVRA_THREADS=abc", kEd50 + kMadrid + "\r\n", kToEtrs + kMadridOut,
         message("warning: KOVRA_THREADS is \"abc" + threadsIgnored) + kOneWarned, 1, {"KOVRA_THREADS=abc"}},
        {"KOVRA_THREADS=0", kEd50 + kMadrid + "\r\n", kToEtrs + kMadridOut,
         message("warning: KOVRA_THREADS is \"0" + threadsIgnored) + kOneWarned, 1, {"KOVRA_THREADS=0"}},
        {"KOVRA_THREADS=-3", kEd50 + kMadrid + "\r\n", kToEtrs + kMadridOut,
         message("warning: KOVRA_THREADS is \"-3" + threadsIgnored) + kOneWarned, 1, {"KOVRA_THREADS=-3"}},
        {"KOVRA_THREADS=3x", kEd50 + kMadrid + "\r\n", kToEtrs + kMadridOut,
         message("warning: KOVRA_THREADS is \"3x" + threadsIgnored) + kOneWarned, 1, {"KOVRA_THREADS=3x"}},
        {"KOVRA_THREADS=257", kEd50 + kMadrid + "\r\n", kToEtrs + kMadridOut,
         message("warning: KOVRA_THREADS is \"257" + threadsIgnored) + kOneWarned, 1, {"KOVRA_THREADS=257"}},
        // Files that must stay silent.
        {"a clean file with a UTF-8 byte order mark", "\xef\xbb\xbf" + kEd50 + kMadrid + "\r\n", kToEtrs + kMadridOut, "",
         0},
        {"H30 with CR LF", kEd50 + kMadrid + "\r\n", kToEtrs + kMadridOut, "", 0},
        {"H30 with LF", "UTM ED50 H30\n" + kMadrid + "\n", kToEtrs + kMadridOut, "", 0},
        {"256 threads", kEd50 + kMadrid + "\r\n", kToEtrs + kMadridOut, "", 0, {"KOVRA_THREADS=256"}},
    };
    expectRuns(files);
}

TEST(RealFiles, ZeroOrInvertedSpacingsAndOtherUnitsAreNamedOnceWhenTheGridIsOpened)
{
    const auto gridWith = [](const std::function<void(ntv2::Grid&)>& change) {
        ntv2::Grid grid;
        grid.subGrids.push_back(ntv2::regularSubGrid(144000, 10800, 1800, 1800, 3, 5, [](double, double) {
            return ntv2::Node{-3.9f, 4.7f};
        }));
        grid.subGrids[0].name = "SPAIN";
        change(grid);
        const std::vector<unsigned char> bytes = ntv2::encode(grid);
        return std::string(bytes.begin(), bytes.end());
    };
    const std::string points = kEd50 + "P1 440000 4470000 x\r\nP2 440100 4470100 y\r\n";
    const std::string lost = summary("0 of 2 points converted, 2 not converted, 1 warning");
    const struct {
        const char* what;
        std::string grid;
        std::string messages;
    } cases[] = {
        {"LAT_INC 0", gridWith([](auto& g) { g.subGrids[0].latInc = 0; }),
         message("grid file \"mirtaxo.gsb\": warning: sub-grid 1 \"SPAIN\" has LAT_INC 0") +
             message("in.txt:2: Error ed2et: Division by zero (point P1)") +
             message("in.txt:3: Error ed2et: Division by zero (point P2)") + lost},
        {"LONG_INC infinite", gridWith([](auto& g) {
             g.subGrids[0].longInc = INFINITY;
             g.subGrids[0].gsCount = 3;
         }),
         message("grid file \"mirtaxo.gsb\": warning: sub-grid 1 \"SPAIN\" has LONG_INC inf") +
             message("in.txt:2: Error ed2et: outside the grid (point P1)") +
             message("in.txt:3: Error ed2et: outside the grid (point P2)") + lost},
        {"E_LONG on W_LONG", gridWith([](auto& g) {
             g.subGrids[0].wLong = g.subGrids[0].eLong;
             g.subGrids[0].gsCount = 3;
         }),
         message("grid file \"mirtaxo.gsb\": warning: sub-grid 1 \"SPAIN\" has E_LONG 10800 not below W_LONG 10800: "
                 "its bounds enclose nothing") +
             message("in.txt:2: Error ed2et: outside the grid (point P1)") +
             message("in.txt:3: Error ed2et: outside the grid (point P2)") + lost},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        writeFile(dir / "mirtaxo.gsb", c.grid);
        writeFile(dir / "in.txt", points);
        const ProgramRun run = runProgram(KOVRA_BINARY, {"in.txt", "out.txt"}, dir.path());
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, c.messages);
        EXPECT_EQ(readFile(dir / "out.txt"), kToEtrs);
    }
}

TEST(RealFiles, AShiftExtrapolatedBeyondASubGridIsWarnedAboutNotSilent)
{
    // The point on the equator on zone 30's central meridian, 0 N 3 W
    // (10800" positive west), and a constant shift: a sub-grid whose south
    // or east edge lies less than one spacing (3600") past it still shifts
    // it, by the same amount, extrapolated from its first cell, and says so.
    // (From ED50: the reverse shift of a point on the equator ends on a
    // latitude of exactly zero, which counts as outside the grid.)
    const auto edgeAt = [](double sLat, double eLong) {
        ntv2::Grid grid;
        grid.subGrids.push_back(ntv2::regularSubGrid(sLat, eLong, 3600, 3600, 3, 3, [](double, double) {
            return ntv2::Node{-3.9f, 4.7f};
        }));
        grid.subGrids[0].name = "EDGE";
        const std::vector<unsigned char> bytes = ntv2::encode(grid);
        return std::string(bytes.begin(), bytes.end());
    };
    const auto extrapolated = [](const std::string& distance) {
        return warning(2, "shift of S extrapolated " + distance + " of sub-grid \"EDGE\"") + kOneWarned;
    };
    const std::string beyond = message("in.txt:2: Error ed2et: outside the grid (point S)") +
                               summary("0 of 1 point converted, 1 not converted, 0 warnings");
    const struct {
        const char* what;
        double sLat, eLong;
        std::string messages;
    } cases[] = {
        {"inside", -3600, 7200, ""},
        {"south", 1234.5678, 7200, extrapolated("1234.568\" south")},
        {"east", -3600, 12034.5678, extrapolated("1234.568\" east")},
        {"south and east", 1234.5678, 12034.5678, extrapolated("1234.568\" south and 1234.568\" east")},
        {"a spacing and more south", 4834.5678, 7200, beyond},
    };
    std::optional<std::string> insideOutput;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        writeFile(dir / "mirtaxo.gsb", edgeAt(c.sLat, c.eLong));
        writeFile(dir / "in.txt", kEd50 + "S 500000 0 x\r\n");
        const ProgramRun run = runProgram(KOVRA_BINARY, {"in.txt", "out.txt"}, dir.path());
        EXPECT_EQ(run.err, c.messages);
        EXPECT_EQ(run.status, c.messages.empty() ? 0 : 1);
        const std::string output = readFile(dir / "out.txt");
        if (!insideOutput) insideOutput = output;
        else if (c.messages == beyond) EXPECT_EQ(output, kToEtrs);
        else EXPECT_EQ(output, *insideOutput) << "a constant shift, extrapolated or not";
    }
    // 3.9" south and 4.7" west on the equator: 119.7 m and 145.3 m of UTM.
    EXPECT_EQ(insideOutput, kToEtrs + "S 499854.724 -119.740 x\r\n");
}

TEST(RealFiles, EmptyLinesAreNoRecordsWhereverTheyStand)
{
    // A line that holds nothing, or only blanks, is skipped without a message
    // and keeps its number (was: "outside the grid (empty record)" and status
    // 1 for a clean file that ends with an empty line). The text after or
    // before a comma is a record, empty or not.
    const std::string outside = "Error ed2et: outside the grid";
    const std::vector<RealFile> files = {
        {"an empty last line, CR LF", kEd50 + kMadrid + "\r\n\r\n", kToEtrs + kMadridOut, "", 0},
        {"an empty last line, LF", "UTM ED50 H30\n" + kMadrid + "\n\n", kToEtrs + kMadridOut, "", 0},
        {"an empty last line, CR", "UTM ED50 H30\r" + kMadrid + "\r\r", kToEtrs + kMadridOut, "", 0},
        {"blanks and no line end after the last point", kEd50 + kMadrid + "\r\n   ", kToEtrs + kMadridOut, "", 0},
        {"empty lines and lines of blanks between points", kEd50 + "\r\n" + kMadrid + "\r\n \r\n\n\rV002 440720 0 x\r\n",
         kToEtrs + kMadridOut,
         message("in.txt:7: " + outside + " (point V002)") + summary("1 of 2 points converted, 1 not converted, 0 warnings"),
         1},
        {"the empty text after a comma at the end of a line", kEd50 + kMadrid + ",\r\n", kToEtrs + kMadridOut,
         commaBroke(2, 45, "\"V001 440720.512 4474256.331 655.20 VG Ma...\"") +
             message("in.txt:2: " + outside + " (the part after the comma at column 45; empty record)") +
             summary("1 of 2 points converted, 1 not converted, 1 warning"),
         1},
        {"blanks before a comma", kEd50 + "   ,x\r\n", kToEtrs,
         commaBroke(2, 4, "\"\"") +
             message("in.txt:2: " + outside + " (the part before the comma at column 4; empty record)") +
             message("in.txt:2: " + outside + " (the part after the comma at column 4)") +
             summary("0 of 2 points converted, 2 not converted, 1 warning"),
         1},
        // The header is the first line, even an empty one: the file is read
        // without one, and the warning says so first.
        {"an empty first line", "\r\n" + kEd50 + kMadrid + "\r\n", "",
         warning(1, "the first line, the header, is empty: the points are converted from ETRS89 to ED50 on the "
                    "International 1924 ellipsoid on both sides, in zone 0, and no header line is written; put the "
                    "header (as \"UTM ED50 H30\") on the first line") +
             warning(2, "easting \"ED50\" read as 0") +
             message("in.txt:2: " + outside + " (point UTM; northing missing: put a blank or a further field after it)") +
             message("in.txt:3: " + outside + " (point V001)") +
             summary("0 of 2 points converted, 2 not converted, 2 warnings"),
         1},
        // No record, so no grid is opened: an empty grid file would be named.
        {"the header and empty lines", kEd50 + "\r\n  \r\n", kToEtrs, "", 0, {}, ""},
    };
    expectRuns(files);
}
