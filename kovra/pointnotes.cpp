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

PointLabel::PointLabel(std::string name, const MessagePlace& place, std::string note)
    : name(std::move(name)),
      part(place.afterComma > 0 ? "the part after the comma at column " + lineText(place.afterComma) : ""),
      note(std::move(note))
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

std::string commaWarning(const MessagePlace& place, std::string_view record)
{
    constexpr std::size_t kShown = 40;
    const std::string shown = record.size() <= kShown ? std::string(record) : std::string(record.substr(0, kShown)) + "...";
    return place.warning("a comma ends the record at column " + lineText(place.afterComma) + ": \"" + shown +
                         "\" is read as the next record");
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
