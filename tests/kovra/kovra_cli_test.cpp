// End-to-end runs of the kovra program on files in a temporary directory.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "run_program.h"
#include "test_grid.h"

namespace fs = std::filesystem;

namespace {

const std::string kUsage = "kovra: usage: kovra INPUT OUTPUT (kovra --help for more)\n";

ProgramRun kovra(const TempDir& dir, const std::vector<std::string>& args)
{
    return runProgram(KOVRA_BINARY, args, dir.path());
}

// A directory holding the demo grid (without its mark) and an input file "in.txt".
struct Workspace {
    TempDir dir;
    explicit Workspace(const std::string& input, bool withGrid = true)
    {
        if (withGrid) writeFile(dir / "mirtaxo.gsb", unmarkedDemoGrid());
        writeFile(dir / "in.txt", input);
    }
    ProgramRun run() { return kovra(dir, {"in.txt", "out.txt"}); }
    std::string output() const { return readFile(dir / "out.txt"); }
};

// A run that ends early with exactly one message.
void expectRefused(const ProgramRun& run, const std::string& message)
{
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "kovra: Error openFiles: " + message + "\n");
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) result.push_back(line);
    return result;
}

std::vector<double> numbers(const std::string& line)
{
    std::istringstream in(line);
    std::string name;
    double easting, northing;
    in >> name >> easting >> northing;
    return {easting, northing};
}

}  // namespace

TEST(KovraCommandLine, PathsOpeningOrderAndRefusals)
{
    Workspace w("UTM ED50 H30\r\n");

    // No blank: nothing is opened, a usage hint follows the message.
    for (const std::vector<std::string>& args : {std::vector<std::string>{"in.txt"}, {}}) {
        const ProgramRun r = kovra(w.dir, args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.err, "kovra: Error openFiles: \n" + kUsage);
    }
    EXPECT_FALSE(fs::exists(w.dir / "out.txt"));

    // Two blanks and an output path with blanks.
    EXPECT_EQ(kovra(w.dir, {"in.txt  two.txt"}).status, 0);
    EXPECT_EQ(readFile(w.dir / "two.txt"), "UTM ETRS89 H30\r\n");
    EXPECT_EQ(kovra(w.dir, {"in.txt", "out", "file.txt"}).status, 0);
    EXPECT_TRUE(fs::exists(w.dir / "out file.txt"));

    // A missing input leaves an existing output as it was.
    writeFile(w.dir / "out.txt", "precious\r\n");
    expectRefused(kovra(w.dir, {"nothere.txt", "out.txt"}), "File not found: nothere.txt");
    EXPECT_EQ(w.output(), "precious\r\n");

    // A blank in the input path: the input path is the text before it, which
    // the message says when the command line holds more than two words.
    const ProgramRun blank = kovra(w.dir, {"my in.txt", "x.txt"});
    EXPECT_EQ(blank.status, 2);
    EXPECT_EQ(blank.err, "kovra: Error openFiles: File not found: my\n"
                         "kovra: the input path ends at the first blank (an input path cannot hold one); everything "
                         "after it, \"in.txt x.txt\", is the output path\n");
    EXPECT_FALSE(fs::exists(w.dir / "in.txt x.txt"));

    // An output in a folder that does not exist; with a blank in it, no word
    // about the input, which is there.
    expectRefused(kovra(w.dir, {"in.txt", "no/such/folder.txt"}),
                  "Path not found: no/such/folder.txt");
    expectRefused(kovra(w.dir, {"in.txt", "no/such", "folder.txt"}), "Path not found: no/such folder.txt");

    // An empty input is refused before the output is touched.
    writeFile(w.dir / "empty.txt", "");
    expectRefused(kovra(w.dir, {"empty.txt", "out.txt"}), "Input file is empty: empty.txt");
    EXPECT_EQ(w.output(), "precious\r\n");

    // The same file twice would empty the input before it is read.
    expectRefused(kovra(w.dir, {"in.txt", "./in.txt"}),
                  "Input and output are the same file: ./in.txt");
    EXPECT_EQ(readFile(w.dir / "in.txt"), "UTM ED50 H30\r\n");

    // An existing output is replaced, not appended to.
    EXPECT_EQ(w.run().status, 0);
    EXPECT_EQ(w.output(), "UTM ETRS89 H30\r\n");

    const ProgramRun help = kovra(w.dir, {"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("usage: kovra INPUT OUTPUT", 0), 0u);
}

TEST(KovraHeader, DatumAndZoneFromTheFirstFieldAndWarningsAboutWhatItLeavesToChance)
{
    const std::string neither =
        "kovra: in.txt:1: warning: the header names neither \"ED50\" nor \"ETRS89\" (written so, in capitals): the "
        "points are converted from ETRS89 to ED50 on the International 1924 ellipsoid on both sides, and no header "
        "line is written\n";
    const std::string both = "kovra: in.txt:1: warning: the header names both \"ED50\" and \"ETRS89\": the points "
                             "are converted from ETRS89 to ED50, and both header lines are written\n";
    const auto zone = [](const std::string& read, const std::string& value, bool withH = true) {
        return std::string("kovra: in.txt:1: warning: ") +
               (withH ? "the zone is read from the two characters after the first \"H\""
                      : "the header has no \"H\": the zone is read from its first two characters") +
               ", \"" + read + "\", as " + value + ": write it as two digits from 01 to 60 right after an \"H\", as in \"H30\"\n";
    };
    const struct {
        const char* input;
        const char* output;
        std::string warnings;
    } cases[] = {
        {"UTM ED50 H30\r\n", "UTM ETRS89 H30\r\n", ""},
        {"UTM ETRS89 H29\r\n", "UTM ED50 H29\r\n", ""},
        {"UTM ED50 H01\n", "UTM ETRS89 H1\r\n", ""},
        {"utm ed50 h30\r\n", "", neither + zone("ut", "0", false)},
        {"UTM ED50 H3", "UTM ETRS89 H3\r\n", zone("3", "3")},
        {"UTM ED50 ETRS89 H30\n", "UTM ETRS89 H30\r\nUTM ED50 H30\r\n", both},
        {"UTM ED50 H30 -> ETRS89\n", "UTM ETRS89 H30\r\nUTM ED50 H30\r\n", both},
        {"UTM H30\r\n", "", neither},
        {"UTM ED-50 H30\r\n", "", neither},
        {"UTM ETRS 89 H30\r\n", "", neither},
        {"UTM ED50 H-3\r\n", "UTM ETRS89 H-3\r\n", zone("-3", "-3")},
        {"UTM ED50 HUSO 30\r\n", "UTM ETRS89 H0\r\n", zone("US", "0")},
        {"UTM ED50 H 30\r\n", "UTM ETRS89 H3\r\n", zone(" 3", "3")},
        {"UTM ED50 H3O\r\n", "UTM ETRS89 H3\r\n", zone("3O", "3")},
        {"UTM ED50 H61\r\n", "UTM ETRS89 H61\r\n", zone("61", "61")},
    };
    for (const auto& c : cases) {
        Workspace w(c.input);
        const ProgramRun r = w.run();
        EXPECT_EQ(r.status, c.warnings.empty() ? 0 : 1) << c.input;
        const bool two = c.warnings.find('\n') + 1 < c.warnings.size();
        const std::string summary = std::string("kovra: in.txt: no point records after the header, ") +
                                    (two ? "2 warnings" : "1 warning") + "\n";
        EXPECT_EQ(r.err, c.warnings.empty() ? "" : c.warnings + summary) << c.input;
        EXPECT_EQ(w.output(), c.output) << c.input;
    }

    // A comma cuts the header to "UTM": no datum, zone 0, and the rest of the
    // line becomes two records, both at easting 0 and outside the grid. The
    // comma is named first.
    Workspace cut("UTM, ED50, H30\r\n");
    const ProgramRun r = cut.run();
    EXPECT_EQ(r.status, 1);
    const auto afterComma = [](const char* column) {
        return std::string("kovra: in.txt:1: Error ed2et: outside the grid (the part after the comma at column ") +
               column + ")\n";
    };
    EXPECT_EQ(r.err, "kovra: in.txt:1: warning: the comma at column 4 ends the header \"UTM\": the rest of the line is "
                     "read as point records\n" +
                         neither + zone("UT", "0", false) + afterComma("4") + afterComma("10") +
                         "kovra: in.txt: 0 of 2 points converted, 2 not converted, 3 warnings\n");
    EXPECT_EQ(cut.output(), "");
}

TEST(KovraRecords, FieldsNamesAndRestsReachTheOutput)
{
    Workspace w("UTM ED50 H30\r\n"
                "P1 440000.000 4470000.000 100.0 X\r\n"
                "  P2 440100 4470100 \r\n"
                "P3 440200 4470200  two  blanks \n"
                "P4 440300.5,5 4470300 10\r\n"
                "P5 440400 4470400\r\n");
    const ProgramRun r = w.run();
    const std::vector<std::string> out = lines(w.output());
    ASSERT_EQ(out.size(), 4u) << r.err;
    EXPECT_EQ(out[0], "UTM ETRS89 H30\r");
    EXPECT_EQ(out[1].substr(0, 3), "P1 ");
    EXPECT_EQ(out[1].substr(out[1].size() - 9), " 100.0 X\r");
    EXPECT_EQ(out[2].substr(0, 3), "P2 ");
    EXPECT_EQ(out[2].substr(out[2].size() - 2), " \r");  // empty rest: one blank, then CR LF
    EXPECT_EQ(out[3].substr(out[3].size() - 15), "  two  blanks \r");

    // The comma splits "P4 440300.5,5 4470300 10" into "P4 440300.5" (easting
    // without a blank behind it: 0) and "5 4470300 10" (northing 0), which the
    // comma warning says first; in "P5 440400 4470400" the northing has no
    // blank behind it either. All three land on the equator, far outside the
    // grid.
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err,
              "kovra: in.txt:5: warning: the comma at column 12 ends the record \"P4 440300.5\": the rest of the line "
              "is read as further records; the decimal separator is \".\"\n"
              "kovra: in.txt:5: Error ed2et: outside the grid (point P4, the part before the comma at column 12)\n"
              "kovra: in.txt:5: Error ed2et: outside the grid (point 5, the part after the comma at column 12)\n"
              "kovra: in.txt:6: Error ed2et: outside the grid (point P5; northing missing: put a blank or a "
              "further field after it)\n"
              "kovra: in.txt: 3 of 6 points converted, 3 not converted, 1 warning\n");
}

TEST(KovraSummary, ARunThatSaidAnythingEndsWithTheCountOfItsPointRecordsAndWarnings)
{
    const std::string header = "UTM ED50 H30\r\n", good = "A 440000 4470000 a\r\n";
    const struct {
        const char* what;
        std::string input;
        std::string summary;  // the last line; none for a run that said nothing
    } cases[] = {
        {"clean", header + good + good, ""},
        {"one warning", header + "A 440000x 4470000 a\r\n", "1 of 1 point converted, 0 not converted, 1 warning"},
        {"one point lost", header + good + "B 440000 0 b\r\n", "1 of 2 points converted, 1 not converted, 0 warnings"},
        {"empty lines are no point records", header + "\r\n" + good + "  \r\nB 440000 0 b\r\n\r\n",
         "1 of 2 points converted, 1 not converted, 0 warnings"},
        {"each part of a line a comma broke is one",
         header + "A 440000 4470000 a,b\r\n", "1 of 2 points converted, 1 not converted, 1 warning"},
        {"warnings of the header and of the points", "UTM ED50 H3O\r\n" + good + "A 440000x 4470000 a\r\n",
         "0 of 2 points converted, 2 not converted, 2 warnings"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Workspace w(c.input);
        const std::vector<std::string> said = lines(w.run().err);
        if (c.summary.empty()) {
            EXPECT_TRUE(said.empty());
            continue;
        }
        ASSERT_FALSE(said.empty());
        EXPECT_EQ(said.back(), "kovra: in.txt: " + c.summary);
    }
}

TEST(KovraRecords, StageErrorInTheMiddleSkipsOnlyThatPoint)
{
    Workspace w("UTM ED50 H30\r\n"
                "A 440000 4470000 a\r\n"
                "B 1e60 4470000 b\r\n"
                "C 440000 4470000 c\r\n");
    const ProgramRun r = w.run();
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "kovra: in.txt:3: Error utm2ll: Overflow (point B)\n"
                     "kovra: in.txt: 2 of 3 points converted, 1 not converted, 0 warnings\n");
    const std::vector<std::string> out = lines(w.output());
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[1].substr(1, out[1].size() - 3), out[2].substr(1, out[2].size() - 3));
    EXPECT_EQ(out[1][0], 'A');
    EXPECT_EQ(out[2][0], 'C');
}

TEST(KovraRecords, RecordTooLongEndsTheRunKeepingEarlierLines)
{
    Workspace w("UTM ED50 H30\r\nA 440000 4470000 a\r\n" + std::string(40000, 'x') +
                "\r\nC 440000 4470000 c\r\n");
    const ProgramRun r = w.run();
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "kovra: in.txt:3: Error leeCadena: Overflow: record longer than 32767 characters; the run ends "
                     "here: no record after it was converted\n"
                     "kovra: in.txt: 1 of 2 points converted, 1 not converted, 0 warnings; the run ended at line 3\n");
    EXPECT_EQ(lines(w.output()).size(), 2u);
}

TEST(KovraGrid, MissingGridIsNotCreatedAndIsNamedOnceWithItsFolderAndNamesInAnotherCase)
{
    // The folder searched, absolute, what to do, and the files there whose
    // names differ from the grid's in case only (a grid saved from Windows).
    const std::string copy = "copy your NTv2 grid there as mirtaxo.gsb";
    const std::string rename = " mirtaxo.gsb (the name is case-sensitive), or " + copy;
    const struct {
        std::vector<const char*> files;  // in the working directory
        std::string after;               // what follows the folder's path
    } cases[] = {
        {{}, ": no point can be shifted; " + copy},
        {{"MIRTAXO.GSB"}, ", which holds \"MIRTAXO.GSB\": no point can be shifted; rename that file" + rename},
        {{"Mirtaxo.gsb", "mirtaxo.gsb.bak"},
         ", which holds \"Mirtaxo.gsb\": no point can be shifted; rename that file" + rename},
        {{"mirtaxo.GSB", "MIRTAXO.GSB"},
         ", which holds \"MIRTAXO.GSB\" and \"mirtaxo.GSB\": no point can be shifted; rename one of them" + rename},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.after);
        Workspace w("UTM ED50 H30\r\nA 440000 4470000 a\r\nB 440000 4470000 b\r\n", false);
        for (const char* file : c.files) writeFile(w.dir / file, "");
        const ProgramRun r = w.run();
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, "kovra: grid file \"mirtaxo.gsb\" not found in the working directory, " +
                             fs::canonical(w.dir.path()).string() + c.after + "\n" +
                             "kovra: in.txt:2: Error ed2et: outside the grid (point A)\n"
                             "kovra: in.txt:3: Error ed2et: outside the grid (point B)\n"
                             "kovra: in.txt: 0 of 2 points converted, 2 not converted, 0 warnings\n");
        EXPECT_EQ(w.output(), "UTM ETRS89 H30\r\n");
        EXPECT_FALSE(fs::exists(w.dir / "mirtaxo.gsb"));
    }
}

TEST(KovraGrid, BothDirectionsRoundTripWithinTwoMillimetres)
{
    Workspace w(readFile(fs::path(RUK_EXAMPLES_DIR) / "ed50_sample.txt"));
    ASSERT_EQ(w.run().status, 0);
    EXPECT_EQ(lines(w.output())[0], "UTM ETRS89 H30\r");
    ASSERT_EQ(kovra(w.dir, {"out.txt", "back.txt"}).status, 0);

    const std::vector<std::string> start = lines(readFile(w.dir / "in.txt"));
    const std::vector<std::string> shifted = lines(w.output());
    const std::vector<std::string> back = lines(readFile(w.dir / "back.txt"));
    ASSERT_EQ(back.size(), start.size());
    EXPECT_EQ(back[0], "UTM ED50 H30\r");
    for (size_t i = 1; i < start.size(); ++i) {
        const auto a = numbers(start[i]), s = numbers(shifted[i]), b = numbers(back[i]);
        // Each direction cuts its coordinates to the millimetre, so the way
        // back may land up to two millimetres off, never more.
        EXPECT_NEAR(b[0], a[0], 2.000001e-3) << start[i];
        EXPECT_NEAR(b[1], a[1], 2.000001e-3) << start[i];
        EXPECT_GT(std::hypot(s[0] - a[0], s[1] - a[1]), 50.0) << "the datums differ by ~100 m";
    }
}
