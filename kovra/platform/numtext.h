// Numbers as text, independent of the user's locale: "." is always the
// decimal separator.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// The value rounded to 15 significant digits, in plain decimal digits at every
// magnitude (never an exponent form), trailing zeros after the point dropped and
// the point too when nothing follows it, a "0" before the point of a magnitude
// below 1. A non-negative value gets a leading blank, a negative one a "-";
// negative zero is written as zero.
std::string numberText(double value);

// The same text written to out, which must hold kMaxNumberText characters;
// gives its length.
inline constexpr std::size_t kMaxNumberText = 344;  // "-0." + 323 zeros + 15 digits, and more
std::size_t writeNumberText(char* out, double value);

// The value of the longest leading part of the text that forms a decimal number
// (blanks before it skipped, an optional sign, digits with at most one ".", an
// optional exponent "e"/"E" with digits); 0 when there is none. A value beyond
// the range of a double raises an overflow error.
double numericValue(std::string_view text);

// The same value, and how many characters of the text it took (leading blanks
// included): the text is wholly a number when length == text.size().
struct NumberPrefix {
    double value;
    std::size_t length;
};
NumberPrefix numericPrefix(std::string_view text);

// The text without the blanks at either end; other white space is kept.
std::string trimBlanks(std::string_view text);

}  // namespace platform
