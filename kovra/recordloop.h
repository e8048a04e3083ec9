// The record loop of a run: every record after the header is split,
// converted and its messages and line handed on in input order. Conversion
// runs on worker threads in blocks of records when the machine has more than
// one core; a single-threaded loop stays for small files and as the
// reference, and both give the same output and messages, byte for byte.
#pragma once

#include <string>

#include "Variables.h"
#include "platform/msgbox.h"
#include "platform/outputfile.h"
#include "platform/progress.h"
#include "platform/textfile.h"

namespace kovra {

struct LoopResult {
    bool endedEarly = false;  // a record could not be split: the run ended at it
    bool flagged = false;     // a point was skipped or a warning given
    long lastLine = 1;        // the input line of the last record handed on (1: the header)
};

// The most threads a run converts on.
inline constexpr unsigned kMaxThreads = 256;

// How many threads convert, and the warning about a KOVRA_THREADS that is
// not a whole number from 1 to kMaxThreads (which is then ignored).
struct ThreadChoice {
    unsigned count;
    std::string warning;
};

// KOVRA_THREADS when it is set (1 is the single-threaded loop), else one per
// core, and one for an input file small enough that threads would not pay.
ThreadChoice conversionThreads(const platform::InputFile& input);

// Converts the records up to the end of the input, or up to the first record
// that cannot be split, and hands each one's messages and line on in input
// order. The grid is opened when the first record is read; a run without
// records needs none. A failed write ends the loop at once (WriteFailure), a
// failed read once every record before it is handed on (ReadFailure), an
// interruption before the next record is handed on (Interrupted); result
// says how far it got all the same. progress is told of every record.
void convertRecords(const RunSettings& run, platform::InputFile& input, platform::OutputFile& output,
                    const platform::Reporter& report, platform::ProgressLine& progress, unsigned threads,
                    LoopResult& result);

}  // namespace kovra
