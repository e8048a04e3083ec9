// Runs that once gave believable wrong coordinates or lost data: a damaged
// grid, an output over the grid, endless files, failing writes and reads.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <sstream>

#include "platform/runtime_error.h"
#include "platform/textfile.h"
#include "run_program.h"
#include "test_grid.h"

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

    // A device, a directory or a FIFO is no grid, and is not waited for; a
    // huge file is not read.
    for (const auto& make : std::vector<std::function<void(const fs::path&)>>{
             [](const fs::path& p) { fs::create_symlink("/dev/zero", p); },
             [](const fs::path& p) { fs::create_directory(p); },
             [](const fs::path& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); },
         }) {
        Workspace special;
        make(special.dir / "mirtaxo.gsb");
        const ProgramRun r = special.run();
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err.substr(0, r.err.find('\n')),
                  "kovra: grid file \"mirtaxo.gsb\" is not a regular file: no point can be shifted");
        EXPECT_EQ(countLines(r.err, "Error ed2et: Cannot read grid file mirtaxo.gsb: not a regular file (point V0"), 10);
    }
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
    // A missing grid is not created under its name either, nor at the end of
    // a chain of dangling links, relative ones in another folder included:
    // the check follows the links as far as the writer does.
    fs::remove(w.dir / "mirtaxo.gsb");
    fs::create_symlink("mirtaxo.gsb", w.dir / "dang");
    fs::create_symlink("dang", w.dir / "dang2");
    fs::create_directory(w.dir / "sub");
    fs::create_symlink("../dang2", w.dir / "sub" / "up");
    fs::create_symlink("up", w.dir / "sub" / "up2");
    for (const char* output : {"mirtaxo.gsb", "dang", "dang2", "sub/up", "sub/up2"}) {
        const ProgramRun r = w.run({"in.txt", output});
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.err, std::string("kovra: Error openFiles: Output would overwrite the grid file: ") + output + "\n");
        EXPECT_FALSE(fs::exists(w.dir / "mirtaxo.gsb")) << output;
    }
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
    writeFile(w.dir / "mirtaxo.gsb", unmarkedDemoGrid());
    // Two threads whatever the machine: each thread's stack takes address
    // space, and one per core would leave none on a machine with many.
    const ProgramRun r =
        w.run({"in.txt", "out.txt"}, {.addressSpace = 128ULL << 20, .fileSize = 0, .environment = {"KOVRA_THREADS=2"}});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "kovra: in.txt:3: Error leeCadena: Overflow: record longer than 32767 characters; the run ends "
                     "here: no record after it was converted\n"
                     "kovra: in.txt: 1 of 2 points converted, 1 not converted, 0 warnings; the run ended at line 3\n");
    EXPECT_EQ(countLines(readFile(w.dir / "out.txt"), "\r"), 2);
}

TEST(DataSafety, FailedWritesEndTheRunAndSayWhatIsComplete)
{
    Workspace full;
    writeFile(full.dir / "mirtaxo.gsb", unmarkedDemoGrid());
    ProgramRun r = full.run({"in.txt", "/dev/full"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "kovra: cannot write /dev/full: No space left on device; the output holds no complete line\n"
                     "kovra: in.txt: 10 of 10 points converted, 0 not converted, 0 warnings; the run ended after line "
                     "11 without finishing its output\n");

    // A file that may grow no further mid-run (`ulimit -f`, SIGXFSZ at its
    // default, which once killed the run and left its temporary file): the
    // previous output is left as it was, whatever the number of threads.
    for (const char* threads : {"KOVRA_THREADS=1", "KOVRA_THREADS=3"}) {
        Workspace limited;
        writeFile(limited.dir / "mirtaxo.gsb", unmarkedDemoGrid());
        writeFile(limited.dir / "in.txt", manyPoints(60000));
        writeFile(limited.dir / "out.txt", "old\r\n");
        r = limited.run({"in.txt", "out.txt"}, {.addressSpace = 0, .fileSize = 1500000, .environment = {threads}});
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.err, "kovra: cannot write out.txt: File too large; out.txt was left as it was\n"
                         "kovra: in.txt: 60000 of 60000 points converted, 0 not converted, 0 warnings; the run ended "
                         "after line 60001 without finishing its output\n");
        EXPECT_EQ(readFile(limited.dir / "out.txt"), "old\r\n");
        EXPECT_EQ(std::distance(fs::directory_iterator(limited.dir.path()), fs::directory_iterator()), 3)
            << "a temporary file stayed behind";
    }
}

TEST(DataSafety, WorkersShortOfMemoryGiveWayToFewerInsteadOfEndingTheRun)
{
    if (std::getenv("RUK_NO_ADDRESS_LIMIT")) GTEST_SKIP() << "sanitizer builds reserve huge address space";
    // 30 MB of address space, `ulimit -v 30000`: one thread finishes the
    // run; the threads' stacks and blocks do not fit beside it. The run once
    // ended with "out of memory after input line 1".
    Workspace w;
    fs::copy_file(DEMO_GRID, w.dir / "mirtaxo.gsb");
    writeFile(w.dir / "in.txt", manyPoints(60000) + "bad 1 2 x\r\n" + manyPoints(3000).substr(14));
    const ProgramRun reference = w.run({"in.txt", "out.txt"}, {.environment = {"KOVRA_THREADS=1"}});
    const std::string output = readFile(w.dir / "out.txt");
    ASSERT_EQ(reference.status, 1);
    for (const std::vector<std::string>& threads : {std::vector<std::string>{}, {"KOVRA_THREADS=8"}}) {
        SCOPED_TRACE(threads.empty() ? "one thread per core" : threads.front());
        fs::remove(w.dir / "out.txt");
        const ProgramRun r = w.run({"in.txt", "out.txt"}, {.addressSpace = 30000ULL << 10, .environment = threads});
        EXPECT_EQ(r.status, reference.status);
        EXPECT_EQ(r.err, reference.err);
        EXPECT_TRUE(readFile(w.dir / "out.txt") == output);
    }
}

TEST(DataSafety, ReadErrorIsNotTheEndOfTheInput)
{
    TempDir dir;
    platform::InputFile directory(::open(dir.path().c_str(), O_RDONLY));  // opens, but cannot be read
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
    const std::unique_ptr<platform::InputFile> in = platform::openInputFile((dir / "f.txt").string());
    std::vector<std::pair<long, std::string>> fields;
    while (!in->atEnd()) {
        const long line = in->lineNumber();
        fields.emplace_back(line, in->readField(50));
    }
    ASSERT_GE(fields.size(), 5u);
    EXPECT_EQ(fields[0], std::make_pair(1L, std::string("a")));
    EXPECT_EQ(fields[1], std::make_pair(1L, std::string("b")));  // a lone CR ends a line
    EXPECT_EQ(fields[2], std::make_pair(2L, std::string("c")));
    EXPECT_EQ(fields[3], std::make_pair(3L, std::string("d")));
    EXPECT_EQ(fields[4], std::make_pair(4L, std::string("e").append(49, 'x')));  // cut; the read stops inside it
}
