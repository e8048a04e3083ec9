#include "record.h"

#include "ll2utm.h"
#include "opes.h"
#include "platform/numtext.h"
#include "pointnotes.h"
#include "utm2ll.h"

namespace kovra {

namespace {

using platform::RunError;
using platform::trap;
using platform::TrapError;

// Splits off the text up to and including the first blank of r; none when r
// holds no blank.
std::optional<std::string_view> takeField(std::string_view& r)
{
    const size_t p = r.find(' ');
    if (p == std::string_view::npos) return std::nullopt;
    const std::string_view field = r.substr(0, p + 1);
    r.remove_prefix(p + 1);
    return field;
}

std::optional<std::string_view> withoutBlank(std::optional<std::string_view> field)
{
    if (field) field->remove_suffix(1);
    return field;
}

// Whether a field that is there is wholly the number it was read as.
bool wholly(const std::optional<std::string_view>& field, const platform::NumberPrefix& number)
{
    return !field || (!field->empty() && number.length == field->size());
}

// The whole chain for one point, each stage under its own trap. parseSeconds
// reports as "parseRadianes", like the step before the shift.
template <fp::CheckPolicy Policy>
PointResult runChain(const RecordFields& record, const RunSettings& run, const Grid& grid)
{
    PointResult result;
    std::optional<TrapError>& caught = result.error;
    const auto geographic =
        trap("utm2ll", caught, [&] { return utm2ll<Policy>(record.coordX, record.coordY, run); });
    if (!geographic) return result;
    const auto degrees =
        trap("parseRadianes", caught, [&] { return parseRadianes<Policy>(geographic->lon, geographic->lat, run.PI); });
    if (!degrees) return result;
    const auto shifted = trap("ed2et", caught, [&] { return ed2et<Policy>(degrees->lat, degrees->lon, run, grid); });
    if (!shifted) return result;
    result.extrapolated = shifted->extrapolated;
    const auto radians = trap("parseRadianes", caught, [&] {
        return parseSeconds<Policy>(shifted->seconds.lon, shifted->seconds.lat, run.PI);
    });
    if (!radians) return result;
    result.line = trap("ll2utm", caught, [&] {
        return outputLine(record.pointName, ll2utm<Policy>(radians->lon, radians->lat, run), record.lineRest);
    });
    return result;
}

std::string fieldWarning(const char* which, const std::optional<std::string_view>& field, bool isNumber)
{
    if (isNumber) return {};
    const platform::NumberPrefix number = platform::numericPrefix(*field);
    return std::string(which) + " \"" + std::string(*field) + "\" read as " +
           platform::trimBlanks(platform::numberText(number.value));
}

// One warning for each coordinate field that is not wholly a number, naming
// the value it was read as.
std::vector<std::string> fieldWarnings(const MessagePlace& place, const RecordFields& fields)
{
    std::vector<std::string> warnings;
    for (const std::string& what : {fieldWarning("easting", fields.easting, fields.eastingIsNumber),
                                    fieldWarning("northing", fields.northing, fields.northingIsNumber)})
        if (!what.empty()) warnings.push_back(place.warning(what));
    return warnings;
}

// What is missing from a record whose easting or northing has no blank behind
// it, or that is empty; empty when nothing is.
std::string missingFieldNote(std::string_view record, const RecordFields& fields)
{
    if (record.empty()) return "empty record";
    if (fields.pointName.empty()) return "name, easting and northing missing: each field needs a blank after it";
    if (!fields.easting) return "easting and northing missing: each needs a blank after it";
    if (!fields.northing) return "northing missing: put a blank or a further field after it";
    return {};
}

}  // namespace

RecordFields leeCadena(std::string_view r)
{
    if (r.size() > kMaxRecordLength)
        throw RunError(platform::kOverflow,
                       "Overflow: record longer than " + std::to_string(kMaxRecordLength) + " characters");
    RecordFields fields;
    fields.pointName = takeField(r).value_or(std::string_view());
    fields.easting = withoutBlank(takeField(r));
    fields.northing = withoutBlank(takeField(r));
    fields.lineRest = r;
    const platform::NumberPrefix x = platform::numericPrefix(fields.easting.value_or(std::string_view()));
    const platform::NumberPrefix y = platform::numericPrefix(fields.northing.value_or(std::string_view()));
    fields.coordX = x.value;
    fields.coordY = y.value;
    fields.eastingIsNumber = wholly(fields.easting, x);
    fields.northingIsNumber = wholly(fields.northing, y);
    return fields;
}

PointResult convertPoint(const RecordFields& record, const RunSettings& run, const Grid& grid)
{
    // The whole chain with one test of the floating-point flags at its end
    // (fp::Deferred); when anything went wrong, once more with every stage's
    // own checks, which find the fault and give the exact message.
    fp::clearFlags();
    PointResult fast = runChain<fp::Deferred>(record, run, grid);
    if (!fast.error && !fp::raisedFlags(fp::kFaults)) return fast;
    return runChain<fp::Checked>(record, run, grid);
}

RecordResult convertRecord(std::string_view record, long lineNumber, const RunSettings& run, const Grid& grid)
{
    RecordResult result;
    const MessagePlace place{run.inputFileName, lineNumber};
    std::optional<TrapError> splitError;
    const auto split = trap("leeCadena", splitError, [&] { return leeCadena(record); });
    if (!split) {
        result.messages.push_back(place.text(splitError->text() + "; the run ends here: no record after it was converted"));
        result.endsRun = true;
        return result;
    }
    const RecordFields& fields = *split;
    PointResult point = convertPoint(fields, run, grid);
    // The common case, a complete record that converts without a remark.
    const bool complete = fields.northing && fields.eastingIsNumber && fields.northingIsNumber;
    if (complete && !point.error && !point.extrapolated) {
        result.line = std::move(point.line);
        return result;
    }

    for (std::string& warning : fieldWarnings(place, fields)) result.messages.push_back(std::move(warning));
    const PointLabel label{platform::trimBlanks(fields.pointName), missingFieldNote(record, fields)};
    if (point.extrapolated) result.messages.push_back(extrapolationWarning(place, label, *point.extrapolated));
    if (point.error) {
        result.messages.push_back(stageErrorText(place, label, *point.error));
    } else if (!label.note.empty()) {
        result.messages.push_back(place.warning(label.note + label.nameSuffix()));
    }
    result.line = std::move(point.line);
    result.warned = !result.messages.empty() && result.line.has_value();
    return result;
}

}  // namespace kovra
