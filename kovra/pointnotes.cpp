#include "pointnotes.h"

#include <cmath>
#include <cstdio>

namespace kovra {

namespace {

std::string lineText(long line) { return std::to_string(line); }

// Arc-seconds to the thousandth, without trailing zeros.
std::string secondsText(double seconds)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.3f", seconds);
    std::string text = buffer;
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
    return text + "\"";
}

}  // namespace

std::string MessagePlace::text(const std::string& what) const
{
    return std::string(file) + ":" + lineText(line) + ": " + what;
}

std::string MessagePlace::warning(const std::string& what) const { return text("warning: " + what); }

namespace {

std::string partOfLine(const MessagePlace& place)
{
    if (place.afterComma > 0) return "the part after the comma at column " + lineText(place.afterComma);
    if (place.endingComma > 0) return "the part before the comma at column " + lineText(place.endingComma);
    return {};
}

}  // namespace

PointLabel::PointLabel(std::string name, const MessagePlace& place, std::string note)
    : name(std::move(name)), part(partOfLine(place)), note(std::move(note))
{
}

std::string PointLabel::withoutNote() const
{
    std::string what = name.empty() ? part : part.empty() ? "point " + name : "point " + name + ", " + part;
    return what.empty() ? "" : " (" + what + ")";
}

std::string PointLabel::details() const
{
    if (note.empty()) return withoutNote();
    const std::string what = withoutNote();
    return what.empty() ? " (" + note + ")" : what.substr(0, what.size() - 1) + "; " + note + ")";
}

std::string PointLabel::partOnly() const { return part.empty() ? "" : " (" + part + ")"; }

std::string stageErrorText(const MessagePlace& place, const PointLabel& label,
                           const platform::TrapError& error)
{
    platform::TrapError shown = error;
    if (shown.description.empty() && shown.procedure == "ed2et") shown.description = "outside the grid";
    return place.text(shown.text() + label.details());
}

std::string extrapolationWarning(const MessagePlace& place, const PointLabel& label,
                                 const Extrapolation& extrapolation)
{
    std::string distance;
    if (extrapolation.south > 0) distance = secondsText(extrapolation.south) + " south";
    if (extrapolation.east > 0)
        distance += (distance.empty() ? "" : " and ") + secondsText(extrapolation.east) + " east";
    const std::string point = label.name.empty() ? "the point" : label.name;
    return place.warning("shift of " + point + " extrapolated " + distance + " of sub-grid \"" +
                         extrapolation.subGrid + "\"" + label.partOnly());
}

std::string commaWarning(const MessagePlace& place, std::string_view record, bool isHeader)
{
    constexpr std::size_t kShown = 40;
    const std::string shown = record.size() <= kShown ? std::string(record) : std::string(record.substr(0, kShown)) + "...";
    return place.warning("the comma at column " + lineText(place.endingComma) + " ends " +
                         (isHeader ? "the header" : "the record") + " \"" + shown + "\": the rest of the line is read as " +
                         (isHeader ? "point records" : "further records; the decimal separator is \".\""));
}

std::string meridianWarning(const MessagePlace& place, const PointLabel& label, double degrees, double easting,
                            int zone)
{
    char text[200];
    std::snprintf(text, sizeof text,
                  " lies %.3f degrees (%.1f km) %s of the central meridian of zone %d; the projection holds to "
                  "1 mm within %.3f degrees of it only",
                  std::fabs(degrees), std::fabs(easting - kFalseEasting) / 1000, degrees < 0 ? "west" : "east", zone,
                  kSeriesRangeDegrees);
    return place.warning((label.name.empty() ? "the point" : label.name) + text + label.partOnly());
}

std::string summaryText(const std::string& input, const RunCount& count, RunEnd end, long line)
{
    const auto counted = [](long n, const char* one, const char* many) {
        return std::to_string(n) + " " + (n == 1 ? one : many);
    };
    const std::string warnings = counted(count.warnings, "warning", "warnings");
    std::string text = input + ": ";
    if (count.records == 0)
        text += (end == RunEnd::kFinished ? "no point records after the header, " : "no point record read, ") + warnings;
    else
        text += std::to_string(count.converted) + " of " + counted(count.records, "point", "points") + " converted, " +
                std::to_string(count.records - count.converted) + " not converted, " + warnings;
    switch (end) {
    case RunEnd::kFinished: return text;
    case RunEnd::kAtRecord: return text + "; the run ended at line " + lineText(line);
    case RunEnd::kInterrupted:
        return text + "; the run was interrupted after line " + lineText(line) + " without finishing its output";
    case RunEnd::kFailed: break;
    }
    return text + "; the run ended after line " + lineText(line) + " without finishing its output";
}

std::string OutputLeft::text() const
{
    if (asItWas) return name + " was left as it was";
    if (completeThrough > 0)
        return "the output is complete up to input line " + lineText(completeThrough) + " and holds nothing after it";
    return "the output holds no complete line";
}

std::string readFailureText(const std::string& input, long line, const std::string& reason,
                            const std::optional<OutputLeft>& left)
{
    const std::string what = "cannot read the input: " + reason + "; the run ends here";
    return MessagePlace{input, line}.text(left && left->asItWas ? what + "; " + left->text() : what);
}

std::string writeFailureText(const std::string& reason, const OutputLeft& left)
{
    return "cannot write " + left.name + ": " + reason + "; " + left.text();
}

std::string outOfMemoryText(const std::string& input, long lastLine, const OutputLeft& left)
{
    return input + ": out of memory after input line " + lineText(lastLine) + "; the run ends here; " + left.text();
}

std::string interruptedText(const OutputLeft& left) { return "interrupted: " + left.text(); }

}  // namespace kovra
