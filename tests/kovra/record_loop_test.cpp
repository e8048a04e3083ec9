// The record loop on its own, with a converter that fails where a test says:
// whatever a conversion throws ends the loop on every path, serial or on
// worker threads, and what was handed on before it is every record up to a
// point, none missing.
#include <gtest/gtest.h>

#include <new>
#include <sstream>
#include <string>

#include "platform/outputfile.h"
#include "platform/progress.h"
#include "platform/textfile.h"
#include "recordloop.h"
#include "run_program.h"

using namespace kovra;

TEST(RecordLoop, AWorkersFailureIsRaisedNotSwallowedWithItsBlock)
{
    // 3000 records, each its own output line "P<input line>": three blocks of
    // 1024 records and a part. The record on line 1500, in the second block,
    // fails as a conversion that runs out of memory does.
    constexpr long kFailingLine = 1500;
    TempDir dir;
    std::string input = "UTM ED50 H30\r\n";
    for (long line = 2; line <= 3001; ++line) input += 'P' + std::to_string(line) + "\r\n";
    writeFile(dir / "in.txt", input);
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
        std::istringstream written(readFile(dir / "out.txt"));
        long expected = 2;
        for (std::string line; std::getline(written, line); ++expected)
            ASSERT_EQ(line, 'P' + std::to_string(expected) + '\r') << "a record missing before it";
        EXPECT_EQ(expected - 1, result.lastLine);
    }
}
