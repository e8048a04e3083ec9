// One point record: split into its fields (leeCadena), converted through the
// chain of stages (convertPoint), and what it gives the run, its output line
// and its messages (convertRecord). The driver and the record loop both use it.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Variables.h"
#include "ed2et.h"
#include "grid.h"
#include "platform/trap.h"
#include "pointnotes.h"

namespace kovra {

// Records longer than this are refused; all positions in a record are 16-bit.
inline constexpr std::size_t kMaxRecordLength = 32767;

// A record cut into its fields, which point into the record's text. A field
// is the text before a blank; a field that has no blank behind it is missing,
// and what is left is the rest.
struct RecordFields {
    std::string_view pointName;  // trailing blank included; empty when missing
    std::optional<std::string_view> easting, northing;  // without their blank
    std::string_view lineRest;
    double coordX = 0, coordY = 0;  // the numeric values of easting and northing
    // Whether each coordinate field that is there is wholly a number.
    bool eastingIsNumber = true, northingIsNumber = true;
};

// Splits a record into pointName (with its trailing blank), coordX, coordY and
// lineRest. Raises a RunError for a record over kMaxRecordLength characters or
// a number beyond the range of a double.
RecordFields leeCadena(std::string_view record);

// What the chain of stages made of one point: its output line, or the error
// of the stage that stopped it; and whether its shift was extrapolated.
struct PointResult {
    std::optional<std::string> line;
    std::optional<platform::TrapError> error;
    std::optional<Extrapolation> extrapolated;
    double sourceLongitude = 0;  // radians, once the inverse projection gave it
};

// Converts a split record through every stage. Each stage's trap ends the
// point at its first failure.
PointResult convertPoint(const RecordFields& record, const RunSettings& run, const Grid& grid);

// What one record gives: its output line when it converted, and its messages
// in the order they arise, each starting with the input's name and line.
struct RecordResult {
    std::optional<std::string> line;
    std::vector<std::string> messages;
    long warnings = 0;     // how many of the messages are warnings
    bool endsRun = false;  // could not be split: the run ends here

    void warn(std::string text)
    {
        messages.push_back(std::move(text));
        ++warnings;
    }
};

// Splits and converts one record, found at place.
RecordResult convertRecord(std::string_view record, const MessagePlace& place, const RunSettings& run,
                           const Grid& grid);

}  // namespace kovra
