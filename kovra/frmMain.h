// The batch driver of kovra: the command line, both point files, the header,
// the record loop, and the chain of stages that converts each point.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "Variables.h"
#include "platform/msgbox.h"

namespace kovra {

class GridFile;

// How a run ended, as the program's exit status.
enum RunStatus {
    kAllConverted = 0,  // every record produced its line
    kSomeSkipped = 1,   // at least one point was skipped with a message
    kEndedEarly = 2,    // the files could not be opened, a record could not be
                        // split, or the output could not be written
};

// The whole run for a command line "INPUT OUTPUT" (the text after the program's
// name). Messages go to report, in the order in which they arise.
RunStatus Form_Load(const std::string& commandLine, const platform::Reporter& report);

// Splits a record into pointName (with its trailing blank), coordX, coordY and
// lineRest. Raises a RunError for a record over 32767 characters or a number
// beyond the range of a double.
void leeCadena(std::string record, Variables& state);

// The zone named by a header: the two characters after its first "H" (or its
// first two when it has no "H"), rounded half to even into 16 bits.
int16_t headerZone(const std::string& header);

using LineWriter = std::function<void(const std::string& line)>;

// Converts the point in state through every stage and hands its output line to
// writeLine. Each stage reports its own failure and ends the point; returns
// whether the line was written.
bool convertPoint(Variables& state, const GridFile& grid, const LineWriter& writeLine,
                  const platform::Reporter& report);

}  // namespace kovra
