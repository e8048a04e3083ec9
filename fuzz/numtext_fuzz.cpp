// Number text both ways. The first eight bytes, as a double, are written with
// numberText and read back: the value must be the double nearest to the
// number rounded to 15 significant digits (printf's "%.14e", then strtod), and
// the text must have the plain decimal form. All the bytes, as a text, are
// read with numericPrefix: the value must be strtod's for the prefix it took,
// an overflow must be one for strtod too, and the value written and read back
// must round to 15 digits again. Where the exact integer way to the 15 digits
// takes a value, it must give the library's digits.
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "platform/numtext.h"
#include "platform/runtime_error.h"
#include "platform/sigdigits.h"

namespace {

using fuzz::require;

locale_t cLocale()
{
    static const locale_t locale = newlocale(LC_NUMERIC_MASK, "C", nullptr);
    return locale;
}

// The double nearest to v rounded to 15 significant digits.
double roundedTo15Digits(double v)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.14e", v);
    return strtod_l(text, nullptr, cLocale());
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// A blank or "-", then digits without a needless leading zero, then at most a
// point with digits of which the last is not zero.
bool plainDecimalForm(const std::string& text)
{
    if (text.size() < 2 || (text[0] != ' ' && text[0] != '-')) return false;
    std::size_t i = 1;
    const std::size_t intStart = i;
    while (i < text.size() && isDigit(text[i])) ++i;
    const std::size_t intDigits = i - intStart;
    if (intDigits == 0 || (intDigits > 1 && text[intStart] == '0')) return false;
    if (i == text.size()) return text != "-0";
    if (text[i] != '.') return false;
    ++i;
    const std::size_t fracStart = i;
    while (i < text.size() && isDigit(text[i])) ++i;
    return i == text.size() && i > fracStart && text.back() != '0';
}

void checkDigitWays(double magnitude)
{
    platform::SignificantDigits exact;
    if (!platform::significantDigitsExactly(magnitude, exact)) return;
    const platform::SignificantDigits library = platform::significantDigitsByLibrary(magnitude);
    require(std::memcmp(exact.digits, library.digits, sizeof exact.digits) == 0 && exact.exponent == library.exponent,
            "the exact digits are not the library's", std::string(exact.digits, sizeof exact.digits));
}

// Writes a finite value and reads it back.
void checkRoundTrip(double v)
{
    checkDigitWays(std::fabs(v));
    const std::string text = platform::numberText(v);
    require(text.size() <= platform::kMaxNumberText, "numberText longer than its buffer", text);
    require(plainDecimalForm(text), "numberText not in plain decimal form", text);
    // Within 5e292 of the largest double, 15 digits round up beyond the range
    // of a double: such a text reads back as an overflow.
    const double expected = roundedTo15Digits(v);
    double back = 0;
    try {
        back = platform::numericValue(text);
    } catch (const platform::RunError& error) {
        require(std::isinf(expected) && error.number() == platform::kOverflow, "a written number does not read back",
                text);
        return;
    }
    require(back == expected, "read back is not the value rounded to 15 digits", text);
    require(std::signbit(back) == (text[0] == '-'), "sign lost", text);
}

void checkReading(std::string_view text)
{
    std::size_t blanks = 0;
    while (blanks < text.size() && text[blanks] == ' ') ++blanks;
    const std::string rest(text.substr(blanks));  // NUL-terminated for strtod
    platform::NumberPrefix prefix{};
    try {
        prefix = platform::numericPrefix(text);
    } catch (const platform::RunError& error) {
        require(error.number() == platform::kOverflow, "reading raised an error that is not an overflow");
        // A decimal number started here, so strtod reads the same one.
        errno = 0;
        const double reference = strtod_l(rest.c_str(), nullptr, cLocale());
        require(std::isinf(reference) && errno == ERANGE, "overflow where strtod has none", rest);
        return;
    }
    require(prefix.length <= text.size(), "prefix longer than the text");
    if (prefix.length == 0) {
        require(prefix.value == 0, "no number read, but a value other than 0");
        const std::size_t sign = !rest.empty() && (rest[0] == '+' || rest[0] == '-');
        const bool digitFirst = sign < rest.size() && isDigit(rest[sign]);
        const bool pointDigit = sign + 1 < rest.size() && rest[sign] == '.' && isDigit(rest[sign + 1]);
        require(!digitFirst && !pointDigit, "a number at the start was not read", rest);
        return;
    }
    require(prefix.length > blanks, "a prefix of blanks only");
    const std::string number(text.substr(blanks, prefix.length - blanks));
    char* end = nullptr;
    const double reference = strtod_l(number.c_str(), &end, cLocale());
    require(end == number.c_str() + number.size(), "the prefix taken is no decimal number", number);
    require(prefix.value == reference, "value differs from strtod's", number);
    require(platform::numericValue(text) == prefix.value, "numericValue differs from numericPrefix");
    // The prefix is all there is of the number: reading it alone takes it whole.
    require(platform::numericPrefix(text.substr(0, prefix.length)).length == prefix.length,
            "the prefix read alone is read differently", number);
    checkRoundTrip(prefix.value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size >= sizeof(double)) {
        double v;
        std::memcpy(&v, data, sizeof v);
        if (std::isfinite(v)) checkRoundTrip(v);
    }
    checkReading(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
