// The record loop on its own, with a converter that fails where a test says:
// whatever a conversion throws ends the loop on every path, serial or on
// worker threads, and what was handed on before it is every record up to a
// point, none missing; memory that runs out on the workers alone ends nothing.
#include <gtest/gtest.h>

#include <new>
#include <sstream>
#include <string>
#include <thread>

#include "platform/outputfile.h"
#include "platform/progress.h"
#include "platform/textfile.h"
#include "recordloop.h"
#include "run_program.h"

using namespace kovra;

namespace {

// 3000 records, each its own output line "P<input line>": three blocks of
// 1024 records and a part.
void writeNumberedRecords(const std::filesystem::path& path)
{
    std::string input = "UTM ED50 H30\r\n";
    for (long line = 2; line <= 3001; ++line) input += 'P' + std::to_string(line) + "\r\n";
    writeFile(path, input);
}

// The lines of the output, "P2" to "P<last>", none missing; last.
long checkNumberedLines(const std::filesystem::path& path)
{
    std::istringstream written(readFile(path));
    long expected = 2;
    for (std::string line; std::getline(written, line); ++expected)
        EXPECT_EQ(line, 'P' + std::to_string(expected) + '\r') << "a record missing before it";
    return expected - 1;
}

}  // namespace

TEST(RecordLoop, AWorkersFailureIsRaisedNotSwallowedWithItsBlock)
{
    // The record on line 1500, in the second block, fails as a conversion
    // that runs out of memory does, on any thread.
    constexpr long kFailingLine = 1500;
    TempDir dir;
    writeNumberedRecords(dir / "in.txt");
    const RecordConverter convert = [&](std::string_view record, const MessagePlace& place) {
        if (place.line == kFailingLine) throw std::bad_alloc();
        RecordResult converted;
        converted.line = std::string(record);
        return converted;
    };
    for (const unsigned threads : {1u, 3u}) {
        SCOPED_TRACE(threads);
        const std::unique_ptr<platform::InputFile> in = platform::openInputFile((dir / "in.txt").string());
        in->readField(100);  // the header
        LoopResult result;
        {
            platform::OutputFile out((dir / "out.txt").string());
            platform::ProgressLine progress("in.txt", std::nullopt);
            EXPECT_THROW(convertRecords("in.txt", convert, *in, out, [](const std::string&) {}, progress, threads, result),
                         std::bad_alloc);
            out.publish();
        }
        EXPECT_LT(result.lastLine, kFailingLine);
        EXPECT_EQ(checkNumberedLines(dir / "out.txt"), result.lastLine);
    }
}

TEST(RecordLoop, WorkersShortOfMemoryHandTheirRecordsToFewerNotToTheBin)
{
    // Memory runs out on every worker thread at the record of line 1500, and
    // never on the reader's: the run once ended with "out of memory". The
    // records are converted all the same, none twice, none missing.
    const std::thread::id reader = std::this_thread::get_id();
    TempDir dir;
    writeNumberedRecords(dir / "in.txt");
    const RecordConverter convert = [&](std::string_view record, const MessagePlace& place) {
        if (place.line >= 1500 && std::this_thread::get_id() != reader) throw std::bad_alloc();
        RecordResult converted;
        converted.line = std::string(record);
        return converted;
    };
    const std::unique_ptr<platform::InputFile> in = platform::openInputFile((dir / "in.txt").string());
    in->readField(100);  // the header
    LoopResult result;
    {
        platform::OutputFile out((dir / "out.txt").string());
        platform::ProgressLine progress("in.txt", std::nullopt);
        convertRecords("in.txt", convert, *in, out, [](const std::string&) {}, progress, 4, result);
        out.publish();
    }
    EXPECT_EQ(result.lastLine, 3001);
    EXPECT_EQ(checkNumberedLines(dir / "out.txt"), 3001);
}
