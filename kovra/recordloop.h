// The record loop of a run: every record after the header is read, handed to
// the converter it is given, and its messages and line handed on in input
// order. Conversion
// runs on worker threads in blocks of records when the machine has more than
// one core; a single-threaded loop stays for small files and as the
// reference, and both give the same output and messages, byte for byte.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/msgbox.h"
#include "platform/outputfile.h"
#include "platform/progress.h"
#include "platform/textfile.h"
#include "pointnotes.h"
#include "record.h"

namespace kovra {

struct LoopResult {
    bool endedEarly = false;  // a record could not be split: the run ended at it
    long lastLine = 1;        // the input line of the last record handed on (1: the header)
    RunCount count;           // the records handed on, and their warnings
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

// Converts one record, found at place: what the loop hands on for it. Worker
// threads call it at the same time, each for records of its own.
using RecordConverter = std::function<RecordResult(std::string_view record, const MessagePlace& place)>;

// Converts the records of the input named inputName up to its end, or up to
// the first record that cannot be split, and hands each one's messages and
// line on in input order. A failed write ends the loop at once
// (WriteFailure), a failed read once every record before it is handed on
// (ReadFailure), an interruption before the next record is handed on
// (Interrupted), and whatever else a conversion throws (std::bad_alloc) the
// same way, on whichever thread it happened; result says how far it got all
// the same. progress is told of every record.
void convertRecords(const std::string& inputName, const RecordConverter& convert, platform::InputFile& input,
                    platform::OutputFile& output, const platform::Reporter& report,
                    platform::ProgressLine& progress, unsigned threads, LoopResult& result);

}  // namespace kovra
