// Bad input end to end through the kovra program, grouped by kind: bytes and
// line ends, numbers, huge records, files that are not plain files, a file
// system that fills up, damaged grids and a grid replaced while a run reads
// it. Each case states the messages, the exit status and the output, and
// every run checks that the input is left as it was.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <fstream>
#include <functional>
#include <optional>
#include <thread>

#include "demo_grid.h"
#include "ntv2_writer.h"
#include "run_program.h"
#include "test_grid.h"

namespace fs = std::filesystem;

namespace {

const std::string kHeader = "UTM ED50 H30\r\n";
const std::string kOutHeader = "UTM ETRS89 H30\r\n";
// A point inside the demo grid and its line after the shift to ETRS89.
const std::string kPoint = "P1 440000 4470000 x";
const std::string kPointOut = "P1 439891.620 4469804.429 x\r\n";
// The same point converted from easting 0, as a field read as 0 leaves it.
const std::string kEastingZeroOut = "P1 -91.968 4469812.449 x\r\n";

bool sanitized() { return std::getenv("RUK_NO_ADDRESS_LIMIT") != nullptr; }

struct Outcome {
    int status;
    std::string err;
    std::optional<std::string> out;  // none: no output file
};

// A working directory with a grid (the demo grid without its mark unless told otherwise).
struct Bench {
    TempDir dir;
    explicit Bench(const std::optional<std::string>& grid = unmarkedDemoGrid())
    {
        if (grid) writeFile(dir / "mirtaxo.gsb", *grid);
    }
    // Writes in.txt, runs kovra and checks that the input is as it was.
    Outcome run(const std::string& input, const std::vector<std::string>& args = {"in.txt", "out.txt"},
                const ChildOptions& options = {})
    {
        writeFile(dir / "in.txt", input);
        Outcome o = runRaw(args, options);
        EXPECT_TRUE(readFile(dir / "in.txt") == input) << "the input was changed";
        return o;
    }
    Outcome runRaw(const std::vector<std::string>& args, const ChildOptions& options = {})
    {
        fs::remove(dir / "out.txt");
        const ProgramRun r = runProgram(KOVRA_BINARY, args, dir.path(), options);
        Outcome o{r.status, r.err, std::nullopt};
        if (fs::exists(dir / "out.txt")) o.out = readFile(dir / "out.txt");
        return o;
    }
};

// n points that convert, P1 on line 2 and so on.
std::string manyPoints(int n)
{
    std::string text = kHeader;
    for (int i = 1; i <= n; ++i) text += 'P' + std::to_string(i) + " " + std::to_string(440000 + i % 500) + " 4470000 x\r\n";
    return text;
}

struct Case {
    const char* what;
    std::string input;
    int status;
    std::string err;
    std::optional<std::string> out;
};

// Equal texts; a long one that differs is shown from its first difference on
// (the full comparison of two huge texts takes the test tool minutes).
void expectSameText(const std::string& actual, const std::string& expected)
{
    if (actual.size() + expected.size() < 8192) {
        EXPECT_EQ(actual, expected);
        return;
    }
    const auto [a, e] = std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
    EXPECT_TRUE(a == actual.end() && e == expected.end())
        << "from byte " << (a - actual.begin()) << ": got \"" << std::string(a, a + std::min<long>(200, actual.end() - a))
        << "\", expected \"" << std::string(e, e + std::min<long>(200, expected.end() - e)) << "\"";
}

void expectOutcomes(const std::vector<Case>& cases)
{
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bench bench;
        const Outcome o = bench.run(c.input);
        EXPECT_EQ(o.status, c.status);
        expectSameText(o.err, c.err);
        EXPECT_EQ(o.out, c.out);
    }
}

std::string message(const std::string& text) { return "kovra: " + text + "\n"; }

// The last line of a run that said anything: what became of its point records.
std::string summary(const std::string& counts) { return message("in.txt: " + counts); }
const std::string kOneLost = summary("0 of 1 point converted, 1 not converted, 0 warnings");
const std::string kOneWarned = summary("1 of 1 point converted, 0 not converted, 1 warning");

}  // namespace

TEST(Battery, BytesAndLineEnds)
{
    const std::string p = "P2 440000 4470000 y";
    const std::string pOut = "P2 439891.620 4469804.429 y\r\n";
    expectOutcomes({
        {"binary garbage for a record", kHeader + "\x01\x02\xff\xfe garbage \x80\x81 \x90\r\n" + kPoint, 1,
         message("in.txt:2: warning: easting \"garbage\" read as 0") +
             message("in.txt:2: warning: northing \"\\x80\\x81\" read as 0") +  // C1 bytes too
             message("in.txt:2: Error ed2et: outside the grid (point \\x01\\x02\xff\xfe)") +  // controls shown escaped
             summary("1 of 2 points converted, 1 not converted, 2 warnings"),
         kOutHeader + kPointOut},
        // C1 controls (CSI "\x9b" clears an 8-bit terminal's screen), as
        // bytes and as UTF-8 characters, and bidi controls, which reorder the
        // text, once written raw: escaped in messages, kept in the output.
        {"C1 and bidi controls in names",
         kHeader + "\x9b" "2J\xc2\x9b" "1m\xe2\x80\xae" "abc\xe2\x81\xa6" "d\xc3\xb1\xf1 440000 0 y\r\n" +
             "\xe2\x80\xae" "\x9b" "P1 440000 4470000 x\r\n",
         1,
         message("in.txt:2: Error ed2et: outside the grid (point \\x9b2J\\u009b1m\\u202eabc\\u2066d\xc3\xb1\xf1)") +
             summary("1 of 2 points converted, 1 not converted, 0 warnings"),
         kOutHeader + "\xe2\x80\xae" "\x9b" "P1 439891.620 4469804.429 x\r\n"},
        {"NUL bytes in the rest are copied", kHeader + kPoint + std::string("\0z\0", 3) + "\r\n", 0, "",
         kOutHeader + "P1 439891.620 4469804.429 x" + std::string("\0z\0", 3) + "\r\n"},
        {"no line end after the last record", kHeader + kPoint, 0, "", kOutHeader + kPointOut},
        {"CR only", "UTM ED50 H30\r" + kPoint + "\r" + p + "\r", 0, "", kOutHeader + kPointOut + pOut},
        {"LF only", "UTM ED50 H30\n" + kPoint + "\n" + p + "\n", 0, "", kOutHeader + kPointOut + pOut},
        {"all three mixed", kHeader + kPoint + "\n" + p + "\r", 0, "", kOutHeader + kPointOut + pOut},
        {"UTF-8 byte order mark before the header", "\xef\xbb\xbf" + kHeader + kPoint, 0, "", kOutHeader + kPointOut},
        // An empty line is no record, wherever it stands (was: an error for each).
        {"empty lines and a line of blanks", kHeader + "\r\n" + kPoint + "\r\n\n   \r\n", 0, "", kOutHeader + kPointOut},
        {"tabs are no blanks", kHeader + "P1\t440000\t4470000\tx\r\n", 1,
         message("in.txt:2: Error ed2et: outside the grid (name, easting and northing missing: each field needs a "
                 "blank after it; tabs do not separate fields)") +
             kOneLost,
         kOutHeader},
        {"a tab hides the height", kHeader + "P1 440000 4470000\t650.00 x\r\n", 1,
         message("in.txt:2: warning: northing \"4470000<TAB>650.00\" holds a tab, which does not separate fields: "
                 "read as 4470000; \"650.00\" after the tab is not in the output") +
             kOneWarned,
         kOutHeader + kPointOut},
        {"a tab in the name", kHeader + "P1\tA 440000 4470000 x\r\n", 1,
         message("in.txt:2: warning: the name \"P1<TAB>A\" holds a tab, which does not separate fields") + kOneWarned,
         kOutHeader + "P1\tA 439891.620 4469804.429 x\r\n"},
        // Text saved as UTF-16 is refused before anything is written.
        {"UTF-16 with a byte order mark", std::string("\xff\xfeU\0T\0M\0 \0E\0D\0" "5\0" "0\0\r\0\n\0", 22), 2,
         message("in.txt is UTF-16 text: save it as ANSI or UTF-8"), std::nullopt},
        {"big-endian UTF-16", std::string("\xfe\xff\0U\0T\0M\0\r\0\n", 12), 2,
         message("in.txt is UTF-16 text: save it as ANSI or UTF-8"), std::nullopt},
        {"UTF-16 without a mark", std::string("U\0T\0M\0 \0H\0" "3\0" "0\0\r\0\n\0", 18), 2,
         message("in.txt is UTF-16 text: save it as ANSI or UTF-8"), std::nullopt},
        {"a header without line end and nothing else", "UTM ED50 H30", 0, "", kOutHeader},
    });
}

TEST(Battery, RecordLengthLimits)
{
    const std::string prefix = kPoint + " ";  // the rest fills the record up
    const std::string exact = prefix + std::string(32767 - prefix.size(), 'r');
    const std::string over = prefix + std::string(32768 - prefix.size(), 'r');
    const std::string header = "UTM ED50 H30 ";
    const std::string commas(100000, ',');
    // The first of them starts the line, and its comma is warned about once;
    // each other one follows a comma.
    std::string emptyRecords =
        message("in.txt:2: warning: the comma at column 1 ends the record \"\": the rest of the line is read as "
                "further records; the decimal separator is \".\"") +
        message("in.txt:2: Error ed2et: outside the grid (the part before the comma at column 1; empty record)");
    for (int column = 1; column <= 100000; ++column)
        emptyRecords += message("in.txt:2: Error ed2et: outside the grid (the part after the comma at column " +
                                std::to_string(column) + "; empty record)");
    emptyRecords += summary("1 of 100002 points converted, 100001 not converted, 1 warning");
    expectOutcomes({
        {"a record of 32767 characters", kHeader + exact + "\r\n", 0, "",
         kOutHeader + "P1 439891.620 4469804.429 " + exact.substr(kPoint.size() - 1) + "\r\n"},
        {"a record of 32768 characters", kHeader + over + "\r\n" + kPoint, 2,
         message("in.txt:2: Error leeCadena: Overflow: record longer than 32767 characters; the run ends here: no record "
                 "after it was converted") +
             summary("0 of 1 point converted, 1 not converted, 0 warnings; the run ended at line 2"),
         kOutHeader},
        {"a header of 32767 characters", header + std::string(32767 - header.size(), 'h') + "\r\n" + kPoint, 0, "",
         kOutHeader + kPointOut},
        {"a header of 32768 characters", header + std::string(32768 - header.size(), 'h') + "\r\n" + kPoint, 2,
         message("in.txt:1: the header is longer than 32767 characters: not a point file"), std::nullopt},
        // Each comma ends a record: 100000 commas make 100001 empty records.
        {"a hundred thousand commas", kHeader + commas + "\r\n" + kPoint, 1, emptyRecords, kOutHeader + kPointOut},
    });
}

TEST(Battery, NumbersThatAreNotPlainDecimals)
{
    // Each as the easting of P1. A number is read as far as it goes, with a
    // warning when that is not the whole field; a value beyond a double ends
    // the run; one the projection cannot take skips the point. An easting read
    // as 0 puts P1 500 km west of the central meridian, and says so.
    const std::string w = "in.txt:2: warning: easting \"";
    const auto offMeridian = [](const char* degrees, const char* km) {
        return message(std::string("in.txt:2: warning: P1 lies ") + degrees + " degrees (" + km +
                       " km) west of the central meridian of zone 30; the projection holds to 1 mm within 3.463 "
                       "degrees of it only");
    };
    const std::string atZero = offMeridian("5.875", "500.0");
    const std::string ended = summary("0 of 1 point converted, 1 not converted, 0 warnings; the run ended at line 2");
    const std::string twoWarnings = summary("1 of 1 point converted, 0 not converted, 2 warnings");
    const struct {
        const char* text;
        int status;
        std::string err;
        std::string out;  // after the output header
    } numbers[] = {
        {"1e999", 2, message("in.txt:2: Error leeCadena: Overflow; the run ends here: no record after it was converted") + ended, ""},
        {"-1e999", 2, message("in.txt:2: Error leeCadena: Overflow; the run ends here: no record after it was converted") + ended, ""},
        {"1e308", 1, message("in.txt:2: Error utm2ll: Overflow (point P1)") + kOneLost, ""},
        {"nan", 1, message(w + "nan\" read as 0") + atZero + twoWarnings, kEastingZeroOut},
        {"inf", 1, message(w + "inf\" read as 0") + atZero + twoWarnings, kEastingZeroOut},
        {"-", 1, message(w + "-\" read as 0") + atZero + twoWarnings, kEastingZeroOut},
        {"&H10", 1, message(w + "&H10\" read as 0") + atZero + twoWarnings, kEastingZeroOut},
        {"0x1p3", 1, message(w + "0x1p3\" read as 0") + atZero + twoWarnings, kEastingZeroOut},
        {"1d5", 1, message(w + "1d5\" read as 1") + atZero + twoWarnings, "P1 -90.968 4469812.449 x\r\n"},
        {"1e5e5", 1, message(w + "1e5e5\" read as 100000") + offMeridian("4.705", "400.0") + twoWarnings,
         "P1 99904.355 4469810.735 x\r\n"},
        {"440000..5", 1, message(w + "440000..5\" read as 440000") + kOneWarned, kPointOut},
        {".5", 1, atZero + kOneWarned, "P1 -91.468 4469812.449 x\r\n"},
        {"5.", 1, atZero + kOneWarned, "P1 -86.968 4469812.449 x\r\n"},
        {"+440000", 0, "", kPointOut},
        {".44e6", 0, "", kPointOut},
        {"1e-999", 1, atZero + kOneWarned, kEastingZeroOut},  // too small for a double: 0
    };
    for (const auto& n : numbers) {
        SCOPED_TRACE(n.text);
        Bench bench;
        const Outcome o = bench.run(kHeader + "P1 " + n.text + " 4470000 x\r\n");
        EXPECT_EQ(o.status, n.status);
        EXPECT_EQ(o.err, n.err);
        EXPECT_EQ(o.out, kOutHeader + n.out);
    }
}

TEST(Battery, HugeRecordsCostNoMemoryAndEndTheRun)
{
    // 300 MB in one record, with line ends and a record after it, read with
    // 256 MiB of address space; the sanitizers need far more address space, so
    // there 50 MB and no limit. Two threads whatever the machine: each thread's
    // stack takes address space, and one per core would leave none on a
    // machine with many.
    const std::size_t size = sanitized() ? 50u << 20 : 300u << 20;
    const ChildOptions limit{.addressSpace = sanitized() ? 0 : 256ULL << 20, .environment = {"KOVRA_THREADS=2"}};
    for (const bool asHeader : {false, true}) {
        SCOPED_TRACE(asHeader ? "as the header" : "as a record");
        Bench bench;
        {
            std::ofstream in(bench.dir / "in.txt", std::ios::binary);
            in << (asHeader ? "UTM ED50 H30 " : kHeader + kPoint + "\r\nP2 ");
            const std::string block(1 << 20, 'x');
            for (std::size_t written = 0; written < size; written += block.size()) in << block;
            in << "\r\n" << kPoint << "\r\n";
        }
        const Outcome o = bench.runRaw({"in.txt", "out.txt"}, limit);
        EXPECT_EQ(o.status, 2);
        if (asHeader) {
            EXPECT_EQ(o.err, message("in.txt:1: the header is longer than 32767 characters: not a point file"));
            EXPECT_FALSE(o.out);
        } else {
            EXPECT_EQ(o.err, message("in.txt:3: Error leeCadena: Overflow: record longer than 32767 characters; the run "
                                     "ends here: no record after it was converted") +
                                 summary("1 of 2 points converted, 1 not converted, 0 warnings; the run ended at line 3"));
            EXPECT_EQ(o.out, kOutHeader + kPointOut);
        }
    }
}

TEST(Battery, FilesThatAreNotPlainFiles)
{
    Bench bench;
    writeFile(bench.dir / "ok.txt", kHeader + kPoint + "\r\n");
    fs::create_directory(bench.dir / "folder");
    const struct {
        const char* input;
        const char* output;
        int status;
        std::string err;
        std::optional<std::string> out;  // of out.txt
    } cases[] = {
        {"folder", "out.txt", 2, message("Error openFiles: Path/File access error: folder (Is a directory)"),
         std::nullopt},
        {"ok.txt", "folder", 2, message("Error openFiles: Path/File access error: folder (Is a directory)"),
         std::nullopt},
        // A device is no point file; an output may be one.
        {"/dev/null", "out.txt", 2,
         message("Error openFiles: Path/File access error: /dev/null (not a regular file or a pipe)"), std::nullopt},
        {"ok.txt", "/dev/null", 0, "", std::nullopt},
        {"/dev/zero", "out.txt", 2,
         message("Error openFiles: Path/File access error: /dev/zero (not a regular file or a pipe)"), std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.input) + " " + c.output);
        const Outcome o = bench.runRaw({c.input, c.output});
        EXPECT_EQ(o.status, c.status);
        EXPECT_EQ(o.err, c.err);
        EXPECT_EQ(o.out, c.out);
    }
    EXPECT_EQ(readFile(bench.dir / "ok.txt"), kHeader + kPoint + "\r\n");
}

TEST(Battery, FilesThatMayNotBeReadOrWritten)
{
    Bench bench;
    // An input without read permission; root reads it all the same.
    if (geteuid() != 0) {
        writeFile(bench.dir / "secret.txt", kHeader + kPoint);
        fs::permissions(bench.dir / "secret.txt", fs::perms::none);
        const Outcome o = bench.runRaw({"secret.txt", "out.txt"});
        EXPECT_EQ(o.status, 2);
        EXPECT_EQ(o.err, message("Error openFiles: Permission denied: secret.txt"));
        EXPECT_FALSE(o.out);
    }
    // An output that may not be written: the immutable flag binds root too;
    // without root, a read-only file does.
    writeFile(bench.dir / "locked.txt", "precious\r\n");
    const int fd = ::open((bench.dir / "locked.txt").c_str(), O_RDONLY);
    int flags = 0, locked = 0;
    bool immutable = false;
    if (fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
        locked = flags | FS_IMMUTABLE_FL;
        immutable = ::ioctl(fd, FS_IOC_SETFLAGS, &locked) == 0;
    }
    if (!immutable && geteuid() != 0) fs::permissions(bench.dir / "locked.txt", fs::perms::owner_read);
    if (immutable || geteuid() != 0) {
        const Outcome o = bench.run(kHeader + kPoint, {"in.txt", "locked.txt"});
        EXPECT_EQ(o.status, 2);
        EXPECT_EQ(o.err, message("Error openFiles: Permission denied: locked.txt"));
        if (immutable) ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
        EXPECT_EQ(readFile(bench.dir / "locked.txt"), "precious\r\n");
    } else {
        ADD_FAILURE() << "running as root where the immutable flag cannot be set: nothing stops root from writing";
    }
    if (fd >= 0) ::close(fd);
}

TEST(Battery, FifoInputAndOutput)
{
    // 3000 records through a FIFO, from a writer that sends them in pieces:
    // no size is known, so the run uses its worker threads. The output must be
    // that of the same input read from a plain file.
    const std::string input = manyPoints(3000);
    Bench plain;
    const Outcome reference = plain.run(input);
    ASSERT_EQ(reference.status, 0);
    ASSERT_TRUE(reference.out);

    Bench bench;
    ASSERT_EQ(::mkfifo((bench.dir / "in.fifo").c_str(), 0600), 0);
    std::thread writer([&] {
        std::ofstream fifo(bench.dir / "in.fifo", std::ios::binary);
        for (std::size_t at = 0; at < input.size(); at += 7001) fifo << input.substr(at, 7001) << std::flush;
    });
    Outcome o = bench.runRaw({"in.fifo", "out.txt"});
    writer.join();
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.err, "");
    EXPECT_TRUE(o.out == reference.out);

    // The output a FIFO, read by another thread.
    ASSERT_EQ(::mkfifo((bench.dir / "out.fifo").c_str(), 0600), 0);
    writeFile(bench.dir / "in.txt", input);
    std::string received;
    std::thread reader([&] { received = readFile(bench.dir / "out.fifo"); });
    o = bench.runRaw({"in.txt", "out.fifo"});
    reader.join();
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.err, "");
    EXPECT_TRUE(received == *reference.out);
}

TEST(Battery, FileSystemFullOrOutOfInodesLeavesTheOldOutput)
{
    if (geteuid() != 0) GTEST_SKIP() << "mounting a small file system needs root";
    // 64 KiB fill up mid-run. Two inodes (the folder and out.txt) leave none
    // for the temporary file: the run once wrote out.txt in place instead,
    // and a failure left a piece of the new output where the old one was.
    for (const char* options : {"size=64k", "size=1m,nr_inodes=2"}) {
        SCOPED_TRACE(options);
        Bench bench;
        fs::create_directory(bench.dir / "small");
        if (::mount("tmpfs", (bench.dir / "small").c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options) != 0)
            GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
        writeFile(bench.dir / "small" / "out.txt", "the previous output\r\n");
        const Outcome o = bench.run(manyPoints(5000), {"in.txt", "small/out.txt"});
        const std::string out = readFile(bench.dir / "small" / "out.txt");
        const auto left = std::distance(fs::directory_iterator(bench.dir / "small"), fs::directory_iterator());
        ::umount((bench.dir / "small").c_str());

        // The new output never fitted: the previous one is left whole, and no
        // temporary file stays behind. Out of space mid-run, the summary
        // says the run did not finish; with no inode the run ends at its
        // start, with its one message.
        EXPECT_EQ(o.status, 2);
        const std::string said =
            message("cannot write small/out.txt: No space left on device; small/out.txt was left as it was");
        if (std::string_view(options).find("nr_inodes") != std::string_view::npos) {
            EXPECT_EQ(o.err, said);
        } else {
            EXPECT_EQ(o.err.substr(0, o.err.find('\n') + 1), said);
            EXPECT_TRUE(o.err.ends_with(" without finishing its output\n")) << o.err;
        }
        EXPECT_EQ(out, "the previous output\r\n");
        EXPECT_EQ(left, 1);
    }
}

TEST(Battery, DamagedGridsEndToEnd)
{
    // Small sub-grids about P1 (40.38 N, 3.71 W; arc-seconds, longitudes
    // positive west), with a constant shift.
    auto around = [](int count) {
        ntv2::Grid g;
        for (int i = 0; i < count; ++i)
            g.subGrids.push_back(ntv2::regularSubGrid(144000, 10800, 1800, 1800, 3, 5, [](double, double) {
                return ntv2::Node{-3.9f, 4.7f};
            }));
        return g;
    };
    auto damaged = [&](const std::function<void(ntv2::Grid&)>& damage) {
        ntv2::Grid g = around(1);
        damage(g);
        return encoded(g);
    };
    const std::string demo = readFile(DEMO_GRID);
    const std::string unusable =
        message("in.txt:2: Error ed2et: Unusable grid file mirtaxo.gsb (point P1)") + kOneLost;
    auto problem = [](const std::string& what) {
        return message("grid file \"mirtaxo.gsb\" " + what + ": no point can be shifted");
    };
    auto remark = [](const std::string& what) { return message("grid file \"mirtaxo.gsb\": warning: " + what); };
    const std::string lostWithRemark = summary("0 of 1 point converted, 1 not converted, 1 warning");
    const std::string converted = "P1 439890.928 4469803.529 x\r\n";  // the constant shift
    const struct {
        const char* what;
        std::string grid;
        int status;
        std::string err;
        std::string out;  // after the output header
    } cases[] = {
        {"cut inside the overview header", demo.substr(0, 100), 1,
         problem("is truncated: the overview header needs 176 bytes, the file holds 100") + unusable, ""},
        {"cut inside the sub-grid header", demo.substr(0, 300), 1,
         problem("is truncated: the header of sub-grid 1 needs bytes 176 to 352, the file holds 300") + unusable, ""},
        {"NUM_FILE largest", damaged([](auto& g) { g.numFile = INT32_MAX; }), 1,
         problem("is truncated: the header of sub-grid 2 needs bytes 592 to 768, the file holds 608") + unusable, ""},
        {"NUM_FILE smallest", damaged([](auto& g) { g.numFile = INT32_MIN; }), 1,
         problem("declares no sub-grid (NUM_FILE is -2147483648)") + unusable, ""},
        {"GS_COUNT largest", damaged([](auto& g) { g.subGrids[0].gsCount = INT32_MAX; }), 1,
         problem("is damaged: sub-grid 1 \"SUBGRID\" declares 2147483647 nodes, more than a grid file can hold") +
             unusable,
         ""},
        {"GS_COUNT smallest", damaged([](auto& g) { g.subGrids[0].gsCount = INT32_MIN; }), 1,
         problem("is damaged: sub-grid 1 \"SUBGRID\" declares -2147483648 nodes") + unusable, ""},
        // Wrong values in a complete grid fail each point that reaches them.
        {"LAT_INC zero", damaged([](auto& g) { g.subGrids[0].latInc = 0; }), 1,
         remark("sub-grid 1 \"SUBGRID\" has LAT_INC 0") + message("in.txt:2: Error ed2et: Division by zero (point P1)") +
             lostWithRemark,
         ""},
        {"LONG_INC not a number", damaged([](auto& g) { g.subGrids[0].longInc = NAN; }), 1,
         remark("sub-grid 1 \"SUBGRID\" has LONG_INC nan") +
             message("in.txt:2: Error ed2et: Invalid floating-point operation (point P1)") + lostWithRemark,
         ""},
        {"S_LAT on N_LAT", damaged([](auto& g) { g.subGrids[0].nLat = g.subGrids[0].sLat; g.subGrids[0].gsCount = 5; }),
         1,
         remark("sub-grid 1 \"SUBGRID\" has S_LAT 144000 not below N_LAT 144000: its bounds enclose nothing") +
             message("in.txt:2: Error ed2et: outside the grid (point P1)") + lostWithRemark,
         ""},
        {"GS_TYPE in minutes", damaged([](auto& g) { g.gsType = "MINUTES"; }), 1,
         remark("GS_TYPE is \"MINUTES\", not \"SECONDS\": its values are read as arc-seconds all the same") +
             kOneWarned,
         converted},
        // An infinite spacing makes one row of nodes, which the count does not fit.
        {"LAT_INC infinite", damaged([](auto& g) { g.subGrids[0].latInc = INFINITY; }), 1,
         problem("is damaged: sub-grid 1 \"SUBGRID\" has 1 rows and 5 columns of nodes by its bounds and spacings, "
                 "but declares 15 nodes") +
             unusable,
         ""},
        // Grids that every lookup fails in are named once, when they are
        // opened (was: only each point's error); each point still fails.
        {"LAT_INC 1e-300: rows past 32 bits", damaged([](auto& g) { g.subGrids[0].latInc = 1e-300; }), 1,
         message("grid file \"mirtaxo.gsb\": the rows of nodes of sub-grid 1 \"SUBGRID\" cannot be counted from "
                 "S_LAT 144000, N_LAT 147600 and LAT_INC 1e-300 (Overflow): no point can be shifted") +
             message("in.txt:2: Error ed2et: Overflow (point P1)") + kOneLost,
         ""},
        {"columns past 32 bits", damaged([](auto& g) { g.subGrids[0].wLong = 10800 + 3e9 * 1800; }), 1,
         message("grid file \"mirtaxo.gsb\": the columns of nodes of sub-grid 1 \"SUBGRID\" cannot be counted from "
                 "E_LONG 10800, W_LONG 5400000010800 and LONG_INC 1800 (Overflow): no point can be shifted") +
             message("in.txt:2: Error ed2et: Overflow (point P1)") + kOneLost,
         ""},
        {"150 sub-grids", encoded(around(150)), 0, "", converted},
        {"151 sub-grids", encoded(around(151)), 1,
         problem("declares 151 sub-grids (NUM_FILE), more than the 150 a lookup can scan") +
             message("in.txt:2: Error ed2et: Subscript out of range (point P1)") + kOneLost,
         ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Bench bench(c.grid);
        const Outcome o = bench.run(kHeader + kPoint + "\r\n");
        EXPECT_EQ(o.status, c.status);
        EXPECT_EQ(o.err, c.err);
        EXPECT_EQ(o.out, kOutHeader + c.out);
        EXPECT_EQ(readFile(bench.dir / "mirtaxo.gsb"), c.grid) << "the grid is never written";
    }
}

TEST(Battery, GridReplacedDuringTheRunIsNotReadAgain)
{
    // The grid is read once, when the first record is about to be read. The
    // test sees the grid file closed after reading (inotify); then a grid with
    // other shifts is renamed over it, and only after that do the rest of the
    // records arrive through the input FIFO. All must be shifted through the
    // first grid.
    const std::string input = manyPoints(2500);
    Bench plain;
    const Outcome reference = plain.run(input);
    ASSERT_EQ(reference.status, 0);

    Bench bench;
    ntv2::Grid other = ntv2::demoGrid();
    other.subGrids[0].node = [](double, double) { return ntv2::Node{1.5f, -2.5f}; };
    writeFile(bench.dir / "other.gsb", encoded(other));
    ASSERT_EQ(::mkfifo((bench.dir / "in.txt").c_str(), 0600), 0);
    const int watch = ::inotify_init1(IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(::inotify_add_watch(watch, (bench.dir / "mirtaxo.gsb").c_str(), IN_CLOSE_NOWRITE), 0);
    std::thread feeder([&] {
        std::ofstream in(bench.dir / "in.txt", std::ios::binary);
        const std::size_t firstPart = input.find("P1000 ");
        in << input.substr(0, firstPart) << std::flush;
        alignas(inotify_event) char event[sizeof(inotify_event) + 256];
        (void)!::read(watch, event, sizeof event);  // kovra has read the grid and closed it
        fs::rename(bench.dir / "other.gsb", bench.dir / "mirtaxo.gsb");
        in << input.substr(firstPart) << std::flush;
    });
    const Outcome o = bench.runRaw({"in.txt", "out.txt"});
    feeder.join();
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.err, "");
    ::close(watch);
    EXPECT_TRUE(o.out == reference.out);
    EXPECT_EQ(readFile(bench.dir / "mirtaxo.gsb"), encoded(other));
}

// Bugs that this battery and the fuzz targets found, fixed since: each stays fixed.
TEST(Battery, FormerFindings)
{
    // A warning about a field read as a subnormal number: the number text
    // needs more than 330 characters (was: stack overflow, SIGSEGV).
    {
        Bench bench;
        const Outcome o = bench.run(kHeader + "P1 440000 4.94e-324x x\r\n");
        EXPECT_EQ(o.status, 1);
        EXPECT_EQ(o.err, message("in.txt:2: warning: northing \"4.94e-324x\" read as 0." + std::string(323, '0') +
                                 "494065645841247") +
                             message("in.txt:2: Error ed2et: outside the grid (point P1)") +
                             summary("0 of 1 point converted, 1 not converted, 1 warning"));
    }
    // An input whose first read fails (was: uncaught ReadFailure, abort).
    {
        Bench bench;
        fs::create_symlink("/proc/self/mem", bench.dir / "mem.txt");
        const Outcome o = bench.runRaw({"mem.txt", "out.txt"});
        EXPECT_EQ(o.status, 2);
        EXPECT_EQ(o.err, message("mem.txt:1: cannot read the input: Input/output error; the run ends here"));
        EXPECT_FALSE(o.out);
    }
    // A message that holds a NUL byte is written whole (was: cut at the NUL).
    {
        Bench bench;
        const Outcome o = bench.run(kHeader + "P1 440000" + std::string(1, '\0') + " 4470000 x\r\n");
        EXPECT_EQ(o.err, message("in.txt:2: warning: easting \"440000\\x00\" read as 440000") + kOneWarned);
    }
}
