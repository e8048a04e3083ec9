// The texts of the messages about one record: where it is (GNU style,
// "file:line: "), which point it is, and what the user should look at.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "ed2et.h"
#include "platform/trap.h"

namespace kovra {

// The input line a message is about, and where on it the record stands.
struct MessagePlace {
    std::string_view file;  // the input's name, which lives for the run
    long line;
    long afterComma = 0;   // the column of the comma the record follows on its line; 0 when none
    long endingComma = 0;  // the column of the comma that ends the record; 0 when the line end does

    // Whether a comma broke the record's line into records, this one among them.
    bool isPiece() const { return afterComma > 0 || endingComma > 0; }

    std::string text(const std::string& what) const;     // "file:line: what"
    std::string warning(const std::string& what) const;  // "file:line: warning: what"
};

// The point a message is about: its name, the part of its line it is, and
// what is missing from its record.
struct PointLabel {
    std::string name;  // trimmed; empty when the record has none
    std::string part;  // "the part after (before) the comma at column N"; empty for a line a comma did not break
    std::string note;  // empty when every field is there

    PointLabel(std::string name, const MessagePlace& place, std::string note = {});

    // " (point NAME, PART; NOTE)" with those there are, or nothing.
    std::string details() const;
    // The same without the note.
    std::string withoutNote() const;
    // " (PART)", or nothing.
    std::string partOnly() const;
};

// "Error <stage>: <description> (point NAME, PART; NOTE)", at the record's
// place. A point outside the grid has no description; the message says so
// instead.
std::string stageErrorText(const MessagePlace& place, const PointLabel& label,
                           const platform::TrapError& error);

std::string extrapolationWarning(const MessagePlace& place, const PointLabel& label,
                                 const Extrapolation& extrapolation);

// The first record of a line that a comma broke into records, or the header
// a comma cut short: the comma ended it, and the rest of the line is read as
// further records; for a record, that "." is the decimal separator.
std::string commaWarning(const MessagePlace& place, std::string_view record, bool isHeader = false);

// A converted point further from its zone's central meridian than the
// projection series hold to a millimetre: degrees east of it (negative:
// west), and its easting.
std::string meridianWarning(const MessagePlace& place, const PointLabel& label, double degrees, double easting,
                            int zone);

// What became of the point records of a run (the records after the header),
// and how many warnings it gave.
struct RunCount {
    long records = 0, converted = 0, warnings = 0;

    // Whether a point was not converted, or a warning given.
    bool flagged() const { return converted < records || warnings > 0; }
};

// How a run ended, for its summary.
enum class RunEnd {
    kFinished,     // every record was read
    kAtRecord,     // at a record that could not be split, on the line given
    kInterrupted,  // by a signal, after the line given
    kFailed,       // by a failed read or write, or no memory left, after the line given
};

// The last line of a run that said anything: "in.txt: 148 of 150 points
// converted, 2 not converted, 3 warnings", and where the run ended when it
// ended early (the message before it says what the output then holds).
std::string summaryText(const std::string& input, const RunCount& count, RunEnd end, long line);

// What a run that could not finish left at the output's path: nothing new
// when the output replaces the path whole, else the lines written so far.
struct OutputLeft {
    std::string name;
    bool asItWas;
    long completeThrough;  // the last input line whose output line is whole

    std::string text() const;  // "out.txt was left as it was", "the output is complete up to ..."
};

// A failed read of the input: where, and why; and what the output's path
// holds, when the output was opened and replaces the path whole.
std::string readFailureText(const std::string& input, long line, const std::string& reason,
                            const std::optional<OutputLeft>& left = std::nullopt);

// A failed write of the output: the reason, and what the path holds.
std::string writeFailureText(const std::string& reason, const OutputLeft& left);

// The memory ran out after the records up to input line lastLine were handed on.
std::string outOfMemoryText(const std::string& input, long lastLine, const OutputLeft& left);

// A signal ended the run.
std::string interruptedText(const OutputLeft& left);

}  // namespace kovra
