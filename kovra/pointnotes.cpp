#include "pointnotes.h"

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
    return file + ":" + lineText(line) + ": " + what;
}

std::string MessagePlace::warning(const std::string& what) const { return text("warning: " + what); }

std::string PointLabel::nameSuffix() const { return name.empty() ? "" : " (point " + name + ")"; }

std::string stageErrorText(const MessagePlace& place, const PointLabel& label,
                           const platform::TrapError& error)
{
    platform::TrapError shown = error;
    if (shown.description.empty() && shown.procedure == "ed2et") shown.description = "outside the grid";
    std::string details = label.name.empty() ? "" : "point " + label.name;
    if (!label.note.empty()) details += (details.empty() ? "" : "; ") + label.note;
    return place.text(shown.text() + (details.empty() ? "" : " (" + details + ")"));
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
                         extrapolation.subGrid + "\"");
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
