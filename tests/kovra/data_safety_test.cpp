// Runs that once gave believable wrong coordinates or lost data: a damaged
// grid, an output over the grid, endless files, failing writes and reads.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "platform/runtime_error.h"
#include "platform/textfile.h"
#include "run_program.h"

namespace fs = std::filesystem;

namespace {

const std::string kSample = RUK_EXAMPLES_DIR "/ed50_sample.txt";

struct Workspace {
    TempDir dir;
    Workspace() { fs::copy_file(kSample, dir / "in.txt"); }
    ProgramRun run(const std::vector<std::string>& args = {"in.txt", "out.txt"}, const ChildOptions& limits = {})
    {
        return runProgram(KOVRA_BINARY, args, dir.path(), limits);
    }
    void gridFromDemo(std::size_t bytes)
    {
        writeFile(dir / "mirtaxo.gsb", readFile(DEMO_GRID).substr(0, bytes));
    }
};

int countLines(const std::string& text, const std::string& containing)
{
    int n = 0;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) n += line.find(containing) != std::string::npos;
    return n;
}

// An ED50 file of n points inside the demo grid, P1 on line 2 and so on.
std::string manyPoints(int n)
{
    std::string text = "UTM ED50 H30\r\n";
    for (int i = 1; i <= n; ++i)
        text += 'P' + std::to_string(i) + ' ' + std::to_string(400000 + i % 1000) + ".5 4400000.25 x\r\n";
    return text;
}

}  // namespace

TEST(DataSafety, DamagedGridConvertsNoPointAndSaysWhyOnce)
{
    const struct {
        std::size_t bytes;
        const char* problem;
    } cases[] = {
        {0, "grid file \"mirtaxo.gsb\" is empty: no point can be shifted"},
        {1000, "grid file \"mirtaxo.gsb\" is truncated: sub-grid 1 \"SPAIN\" declares 17113 nodes, the file "
               "holds 40: no point can be shifted"},
        {100000, "grid file \"mirtaxo.gsb\" is truncated: sub-grid 1 \"SPAIN\" declares 17113 nodes, the "
                 "file holds 6228: no point can be shifted"},
    };
    for (const auto& c : cases) {
        Workspace w;
        w.gridFromDemo(c.bytes);
        const ProgramRun r = w.run();
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err.substr(0, r.err.find('\n')), std::string("kovra: ") + c.problem);
        EXPECT_EQ(countLines(r.err, "Error ed2et: Unusable grid file mirtaxo.gsb (point V0"), 10);
        EXPECT_EQ(readFile(w.dir / "out.txt"), "UTM ETRS89 H30\r\n");
    }

    // An endless file is refused after its first header; a huge one unread.
    Workspace endless;
    fs::create_symlink("/dev/zero", endless.dir / "mirtaxo.gsb");
    EXPECT_EQ(endless.run().err.find("kovra: grid file \"mirtaxo.gsb\" is not an NTv2 file"), 0u);
    Workspace huge;
    fs::copy_file(DEMO_GRID, huge.dir / "mirtaxo.gsb");
    fs::resize_file(huge.dir / "mirtaxo.gsb", 3000000000ULL);  // sparse
    EXPECT_EQ(huge.run().err.find("kovra: grid file \"mirtaxo.gsb\" is larger than 2 GiB (3000000000 bytes)"), 0u);
}

TEST(DataSafety, OutputThatIsTheGridIsRefusedBeforeAnythingIsWritten)
{
    Workspace w;
    fs::copy_file(DEMO_GRID, w.dir / "mirtaxo.gsb");
    fs::create_symlink("mirtaxo.gsb", w.dir / "link.txt");
    for (const char* output : {"mirtaxo.gsb", "./mirtaxo.gsb", "link.txt"}) {
        const ProgramRun r = w.run({"in.txt", output});
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.err, std::string("kovra: Error openFiles: Output would overwrite the grid file: ") + output + "\n");
    }
    EXPECT_EQ(readFile(w.dir / "mirtaxo.gsb"), readFile(DEMO_GRID));
    // A missing grid is not created under its name either.
    fs::remove(w.dir / "mirtaxo.gsb");
    EXPECT_EQ(w.run({"in.txt", "mirtaxo.gsb"}).status, 2);
    EXPECT_FALSE(fs::exists(w.dir / "mirtaxo.gsb"));
    EXPECT_EQ(readFile(w.dir / "in.txt"), readFile(kSample));
}

TEST(DataSafety, CommandLineMessagesSayWhatIsWrong)
{
    Workspace w;
    ProgramRun r = w.run({"in.txt", ""});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "kovra: Error openFiles: Bad file name: empty path\n");
    r = w.run({std::string(40000, 'a'), "out.txt"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "kovra: Error openFiles: Overflow\n");  // no usage line: there is a blank
}

TEST(DataSafety, LongLinesCostNoMemory)
{
    if (std::getenv("RUK_NO_ADDRESS_LIMIT")) GTEST_SKIP() << "sanitizer builds reserve huge address space";
    Workspace w;
    {
        std::ofstream in(w.dir / "in.txt", std::ios::binary);
        in << "UTM ED50 H30\r\nA 440000 4470000 a\r\n";
        const std::string block(1 << 20, 'x');
        for (int i = 0; i < 200; ++i) in << block;  // 200 MB without a line end
    }
    fs::copy_file(DEMO_GRID, w.dir / "mirtaxo.gsb");
    const ProgramRun r = w.run({"in.txt", "out.txt"}, {.addressSpace = 128ULL << 20, .fileSize = 0, .environment = {}});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "kovra: in.txt:3: Error leeCadena: Overflow: record longer than 32767 characters\n");
    EXPECT_EQ(countLines(readFile(w.dir / "out.txt"), "\r"), 2);
}

TEST(DataSafety, FailedWritesEndTheRunAndSayWhatIsComplete)
{
    Workspace full;
    fs::copy_file(DEMO_GRID, full.dir / "mirtaxo.gsb");
    ProgramRun r = full.run({"in.txt", "/dev/full"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "kovra: cannot write /dev/full: No space left on device; the output holds no complete line\n");

    // A file system that fills up mid-run: the output keeps whole lines only,
    // and the message names the last input line that is safely written.
    Workspace limited;
    fs::copy_file(DEMO_GRID, limited.dir / "mirtaxo.gsb");
    writeFile(limited.dir / "in.txt", manyPoints(60000));
    r = limited.run({"in.txt", "out.txt"}, {.addressSpace = 0, .fileSize = 1500000, .environment = {}});
    EXPECT_EQ(r.status, 2);
    const std::string out = readFile(limited.dir / "out.txt");
    ASSERT_GT(out.size(), 0u);
    EXPECT_EQ(out.substr(out.size() - 2), "\r\n");
    const int lines = countLines(out, "\r");
    const std::string expected = std::string("kovra: cannot write out.txt: File too large; the output is complete up to input line ") +
                                 std::to_string(lines) + " and holds nothing after it\n";
    EXPECT_EQ(r.err, expected);
    EXPECT_EQ(out.substr(out.rfind("\r\nP") + 2, out.find(' ', out.rfind("\r\nP")) - out.rfind("\r\nP") - 2),
              'P' + std::to_string(lines - 1));
}

TEST(DataSafety, ReadErrorIsNotTheEndOfTheInput)
{
    TempDir dir;
    platform::InputFile directory(dir.path().string());  // opens, but cannot be read
    try {
        directory.atEnd();
        FAIL() << "a read error taken for the end";
    } catch (const platform::ReadFailure& failure) {
        EXPECT_STREQ(failure.what(), "Is a directory");
        EXPECT_EQ(failure.line, 1);
    }
}

TEST(DataSafety, LineEndsAndOverLongFieldsInTheReader)
{
    TempDir dir;
    writeFile(dir / "f.txt", "a,b\rc\r\nd\ne" + std::string(100, 'x') + "\n  f");
    platform::InputFile in((dir / "f.txt").string());
    std::vector<std::pair<long, std::string>> fields;
    while (!in.atEnd()) {
        const long line = in.lineNumber();
        fields.emplace_back(line, in.readField(50));
    }
    ASSERT_GE(fields.size(), 5u);
    EXPECT_EQ(fields[0], std::make_pair(1L, std::string("a")));
    EXPECT_EQ(fields[1], std::make_pair(1L, std::string("b")));  // a lone CR ends a line
    EXPECT_EQ(fields[2], std::make_pair(2L, std::string("c")));
    EXPECT_EQ(fields[3], std::make_pair(3L, std::string("d")));
    EXPECT_EQ(fields[4], std::make_pair(4L, std::string("e").append(49, 'x')));  // cut; the read stops inside it
}
