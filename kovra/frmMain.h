// The batch driver of kovra: the command line, both point files, the header,
// the record loop, and the chain of stages that converts each point.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Variables.h"
#include "ed2et.h"
#include "platform/msgbox.h"
#include "platform/trap.h"

namespace kovra {

// How a run ended, as the program's exit status.
enum class RunStatus {
    kAllConverted = 0,  // every record produced its line, and nothing needs a look
    kCheckOutput = 1,   // a point was skipped, or a warning was given
    kEndedEarly = 2,    // the files could not be opened, a record could not be
                        // split, or the input could not be read or the output written
};

// The whole run for a command line "INPUT OUTPUT" (the text after the program's
// name). Messages go to report, in the order in which they arise.
RunStatus Form_Load(const std::string& commandLine, const platform::Reporter& report);

// Records longer than this are refused; all positions in a record are 16-bit.
inline constexpr std::size_t kMaxRecordLength = 32767;

// A record cut into its fields, which point into the record's text. A field
// is the text before a blank; a field that has no blank behind it is missing,
// and what is left is the rest.
struct RecordFields {
    std::string_view pointName;  // trailing blank included; empty when missing
    std::optional<std::string_view> easting, northing;  // without their blank
    std::string_view lineRest;
    // Whether each coordinate field that is there is wholly a number; set by leeCadena.
    bool eastingIsNumber = true, northingIsNumber = true;
};
RecordFields splitFields(std::string_view record);

// Splits a record into pointName (with its trailing blank), coordX, coordY and
// lineRest, and gives back its fields. Raises a RunError for a record over
// 32767 characters or a number beyond the range of a double.
RecordFields leeCadena(std::string_view record, Variables& state);

// The zone named by a header: the two characters after its first "H" (or its
// first two when it has no "H"), rounded half to even into 16 bits.
int16_t headerZone(const std::string& header);

// What the chain of stages made of one point: its output line, or the error
// of the stage that stopped it; and whether its shift was extrapolated.
struct PointResult {
    std::optional<std::string> line;
    std::optional<platform::TrapError> error;
    std::optional<Extrapolation> extrapolated;
};

// Converts the point in state through every stage. Each stage's trap ends the
// point at its first failure.
PointResult convertPoint(Variables& state, const Grid& grid);

// The arc-seconds to radians step under its trap, which reports as
// "parseRadianes" like the step before the shift.
std::optional<LonLat> trappedParseSeconds(LonLat seconds, double PI,
                                          std::optional<platform::TrapError>& caught);

// What one record gives: its output line when it converted, and its messages
// in the order they arise, each starting with the input's name and line.
struct RecordResult {
    std::optional<std::string> line;
    std::vector<std::string> messages;
    bool warned = false;   // converted, with a warning
    bool endsRun = false;  // could not be split: the run ends here
};

// Splits and converts one record that starts on input line lineNumber. The
// header's settings are in state.
RecordResult convertRecord(std::string_view record, long lineNumber, Variables& state,
                           const Grid& grid);

}  // namespace kovra
