#include "record.h"

#include <cmath>

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
    result.sourceLongitude = geographic->lon;
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

// A field as a message quotes it, its tabs shown as <TAB>.
std::string quoted(std::string_view field)
{
    std::string text = "\"";
    for (const char c : field) text += c == '\t' ? std::string_view("<TAB>") : std::string_view(&c, 1);
    return text + "\"";
}

std::string valueText(double value) { return platform::trimBlanks(platform::numberText(value)); }

// What a field holds that the user should know: a tab, which separates
// nothing, and what the tab hid from the output; or, for a coordinate (read
// as value), text that is not wholly a number. Empty when nothing.
std::string fieldRemark(const char* which, const std::optional<std::string_view>& field, bool isNumber,
                        std::optional<double> value)
{
    if (!field) return {};
    const std::size_t tab = field->find('\t');
    if (tab == std::string_view::npos) {
        return isNumber || !value ? "" : std::string(which) + " " + quoted(*field) + " read as " + valueText(*value);
    }
    std::string what = std::string(which) + " " + quoted(*field) + " holds a tab, which does not separate fields";
    if (!value) return what;
    what += ": read as " + valueText(*value);
    const std::string hidden = platform::trimBlanks(field->substr(tab + 1));
    if (!hidden.empty()) what += "; " + quoted(hidden) + " after the tab is not in the output";
    return what;
}

// One warning for each field that holds a tab, and each coordinate field that
// is not wholly a number.
std::vector<std::string> fieldWarnings(const MessagePlace& place, const PointLabel& label, const RecordFields& fields)
{
    std::vector<std::string> warnings;
    const std::optional<std::string_view> name =
        fields.pointName.empty() ? std::nullopt : std::optional(fields.pointName.substr(0, fields.pointName.size() - 1));
    for (const std::string& what : {fieldRemark("the name", name, true, std::nullopt),
                                    fieldRemark("easting", fields.easting, fields.eastingIsNumber, fields.coordX),
                                    fieldRemark("northing", fields.northing, fields.northingIsNumber, fields.coordY)})
        if (!what.empty()) warnings.push_back(place.warning(what + label.partOnly()));
    return warnings;
}

// What is missing from a record whose easting or northing has no blank behind
// it, or that is empty; empty when nothing is. The fields of a piece of a line
// that a comma broke are missing because of the comma, which is warned about.
std::string missingFieldNote(std::string_view record, const RecordFields& fields, const MessagePlace& place)
{
    std::string note;
    if (record.empty()) return "empty record";
    if (place.isPiece()) return {};
    if (fields.pointName.empty()) note = "name, easting and northing missing: each field needs a blank after it";
    else if (!fields.easting) note = "easting and northing missing: each needs a blank after it";
    else if (!fields.northing) note = "northing missing: put a blank or a further field after it";
    if (!note.empty() && record.find('\t') != std::string_view::npos) note += "; tabs do not separate fields";
    return note;
}

// How far east of the run's central meridian (negative: west) a longitude in
// radians lies, in degrees.
double degreesFromMeridian(double longitude, const RunSettings& run)
{
    return longitude * 180 / run.PI - (6.0 * run.zone - 183);
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

RecordResult convertRecord(std::string_view record, const MessagePlace& place, const RunSettings& run,
                           const Grid& grid)
{
    RecordResult result;
    if (place.afterComma == 0 && place.endingComma > 0) result.warn(commaWarning(place, record));
    std::optional<TrapError> splitError;
    const auto split = trap("leeCadena", splitError, [&] { return leeCadena(record); });
    if (!split) {
        result.messages.push_back(place.text(splitError->text() + "; the run ends here: no record after it was converted"));
        result.endsRun = true;
        return result;
    }
    const RecordFields& fields = *split;
    PointResult point = convertPoint(fields, run, grid);
    const double fromMeridian = degreesFromMeridian(point.sourceLongitude, run);
    const bool farFromMeridian = point.line && std::fabs(fromMeridian) > kSeriesRangeDegrees;
    // The common case, a complete record that converts without a remark. (A
    // tab in the easting or northing makes it no number.)
    const bool plain = fields.northing && fields.eastingIsNumber && fields.northingIsNumber &&
                       fields.pointName.find('\t') == std::string_view::npos;
    if (plain && !point.error && !point.extrapolated && !farFromMeridian) {
        result.line = std::move(point.line);
        return result;
    }

    const PointLabel label(platform::trimBlanks(fields.pointName), place, missingFieldNote(record, fields, place));
    // A piece of a broken line that is lost gets its error alone: what is
    // wrong with its fields comes of the comma.
    if (!point.error || !place.isPiece())
        for (std::string& warning : fieldWarnings(place, label, fields)) result.warn(std::move(warning));
    if (point.extrapolated) result.warn(extrapolationWarning(place, label, *point.extrapolated));
    if (farFromMeridian) result.warn(meridianWarning(place, label, fromMeridian, fields.coordX, run.zone));
    if (point.error) {
        result.messages.push_back(stageErrorText(place, label, *point.error));
    } else if (!label.note.empty()) {
        result.warn(place.warning(label.note + label.withoutNote()));
    }
    result.line = std::move(point.line);
    return result;
}

}  // namespace kovra
