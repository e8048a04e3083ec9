// Whole runs on committed point files with the demo grid: every byte of the
// output and every message must stay as the verified converter gives them.
#include <gtest/gtest.h>

#include "run_program.h"

namespace fs = std::filesystem;

namespace {

const fs::path kGolden = RUK_GOLDEN_DIR;
const fs::path kExamples = RUK_EXAMPLES_DIR;

struct GoldenCase {
    fs::path input;
    std::string name;  // of the expected files
    int status;
};

}  // namespace

TEST(Golden, OutputsAndMessagesAreByteForByteTheVerifiedOnes)
{
    const GoldenCase cases[] = {
        {kExamples / "ed50_sample.txt", "ed50_sample", 0},
        {kExamples / "etrs89_sample.txt", "etrs89_sample", 0},
        {kGolden / "ed50_generated.txt", "ed50_generated", 1},
        {kGolden / "etrs89_generated.txt", "etrs89_generated", 1},
    };
    for (const GoldenCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        fs::copy_file(DEMO_GRID, dir / "mirtaxo.gsb");
        const std::string in = c.input.filename().string();
        fs::copy_file(c.input, dir / in);
        const ProgramRun run = runProgram(KOVRA_BINARY, {in, "out.txt"}, dir.path());
        EXPECT_EQ(run.status, c.status);
        EXPECT_TRUE(readFile(dir / "out.txt") == readFile(kGolden / (c.name + ".expected")));
        const fs::path messages = kGolden / (c.name + ".messages");
        const std::string expected = fs::exists(messages) ? readFile(messages) : "";
        EXPECT_EQ(run.err, expected);
        EXPECT_EQ(readFile(dir / in), readFile(c.input)) << "the input is never touched";
    }
}
