// Whole runs on committed point files with the demo grid: every byte of the
// output and every message must stay as the verified converter gives them.
// Each run warns that the grid is the demo grid, so none has status 0.
#include <gtest/gtest.h>

#include <utility>

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
        {kExamples / "ed50_sample.txt", "ed50_sample", 1},
        {kExamples / "etrs89_sample.txt", "etrs89_sample", 1},
        {kGolden / "ed50_generated.txt", "ed50_generated", 1},
        {kGolden / "etrs89_generated.txt", "etrs89_generated", 1},
    };
    // The single-threaded loop and three worker threads, on blocks of 1024 records.
    for (const GoldenCase& c : cases)
    for (const char* threads : {"KOVRA_THREADS=1", "KOVRA_THREADS=3"}) {
        SCOPED_TRACE(c.name + " " + threads);
        TempDir dir;
        fs::copy_file(DEMO_GRID, dir / "mirtaxo.gsb");
        const std::string in = c.input.filename().string();
        fs::copy_file(c.input, dir / in);
        const ProgramRun run = runProgram(KOVRA_BINARY, {in, "out.txt"}, dir.path(), {.environment = {threads}});
        EXPECT_EQ(run.status, c.status);
        EXPECT_TRUE(readFile(dir / "out.txt") == readFile(kGolden / (c.name + ".expected")));
        EXPECT_EQ(run.err, readFile(kGolden / (c.name + ".messages")));
        EXPECT_EQ(readFile(dir / in), readFile(c.input)) << "the input is never touched";
    }
}

TEST(Golden, ThreadsEndTheRunWhereTheSerialLoopDoes)
{
    // Errors sprinkled over many blocks, a record too long to split in the
    // middle, and a file system that fills up: the same bytes and messages
    // whatever the number of threads.
    std::string input = readFile(kGolden / "etrs89_generated.txt");
    for (int i = 0; i < 4; ++i) input += input.substr(input.find('\n') + 1);
    const std::string longRecord = std::string(40000, '7') + "\r\n";
    const std::string cut = input.substr(0, input.size() / 2) + "\r\n" + longRecord + input.substr(input.size() / 2);
    for (const auto& [text, fileSize] : {std::pair{cut, 0ULL}, std::pair{input, 900000ULL}}) {
        std::vector<std::pair<ProgramRun, std::string>> runs;
        for (const char* threads : {"KOVRA_THREADS=1", "KOVRA_THREADS=2", "KOVRA_THREADS=5"}) {
            TempDir dir;
            fs::copy_file(DEMO_GRID, dir / "mirtaxo.gsb");
            writeFile(dir / "in.txt", text);
            const ProgramRun run = runProgram(KOVRA_BINARY, {"in.txt", "out.txt"}, dir.path(),
                                              {.fileSize = fileSize, .environment = {threads}});
            runs.emplace_back(run, readFile(dir / "out.txt"));
        }
        EXPECT_EQ(runs[0].first.status, 2);
        EXPECT_NE(runs[0].first.err.find(fileSize ? "kovra: cannot write out.txt: File too large"
                                                  : "Error leeCadena: Overflow"),
                  std::string::npos);
        for (const auto& [run, output] : runs) {
            EXPECT_EQ(run.status, runs[0].first.status);
            EXPECT_EQ(run.err, runs[0].first.err);
            EXPECT_TRUE(output == runs[0].second);
        }
    }
}
