#include "numtext.h"

#include <charconv>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <locale.h>

#include "runtime_error.h"
#include "sigdigits.h"

namespace platform {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The value of a decimal number beyond the range that from_chars gives:
// strtod_l in the C locale tells an overflow, which raises, from an underflow,
// whose correctly rounded value it gives.
double outOfRangeValue(std::string_view number)
{
    const std::string text(number);
#ifdef _WIN32
    static const _locale_t cLocale = _create_locale(LC_NUMERIC, "C");
    errno = 0;
    const double value = _strtod_l(text.c_str(), nullptr, cLocale);
#else
    static const locale_t cLocale = newlocale(LC_NUMERIC_MASK, "C", nullptr);
    errno = 0;
    const double value = strtod_l(text.c_str(), nullptr, cLocale);
#endif
    if (errno == ERANGE && std::isinf(value)) throw overflowError();
    return value;
}

}  // namespace

std::size_t writeNumberText(char* out, double value)
{
    char* p = out;
    *p++ = value < 0 ? '-' : ' ';
    if (value == 0.0) {
        *p++ = '0';
        return static_cast<std::size_t>(p - out);
    }
    if (!std::isfinite(value)) {  // no stage lets one through; written as printf would
        const char* word = std::isnan(value) ? "nan" : "inf";
        std::memcpy(p, word, 3);
        return static_cast<std::size_t>(p + 3 - out);
    }
    const SignificantDigits d = significantDigits(std::fabs(value));
    // The digits before the point, then those after it without trailing zeros.
    int fractionDigits;
    const char* fraction;
    int leadingZeros = 0;
    if (d.exponent < 0) {
        *p++ = '0';
        leadingZeros = -d.exponent - 1;
        fraction = d.digits;
        fractionDigits = kSignificantDigits;
    } else if (d.exponent < kSignificantDigits) {
        std::memcpy(p, d.digits, static_cast<std::size_t>(d.exponent + 1));
        p += d.exponent + 1;
        fraction = d.digits + d.exponent + 1;
        fractionDigits = kSignificantDigits - 1 - d.exponent;
    } else {
        const int zeros = d.exponent - (kSignificantDigits - 1);
        std::memcpy(p, d.digits, kSignificantDigits);
        p += kSignificantDigits;
        std::memset(p, '0', static_cast<std::size_t>(zeros));
        p += zeros;
        fraction = d.digits;
        fractionDigits = 0;
    }
    while (fractionDigits > 0 && fraction[fractionDigits - 1] == '0') --fractionDigits;
    if (fractionDigits > 0) {
        *p++ = '.';
        std::memset(p, '0', static_cast<std::size_t>(leadingZeros));
        p += leadingZeros;
        std::memcpy(p, fraction, static_cast<std::size_t>(fractionDigits));
        p += fractionDigits;
    }
    return static_cast<std::size_t>(p - out);
}

std::string numberText(double value)
{
    char text[kMaxNumberText];
    return std::string(text, writeNumberText(text, value));
}

double numericValue(std::string_view text) { return numericPrefix(text).value; }

NumberPrefix numericPrefix(std::string_view text)
{
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    const char* p = begin;
    while (p < end && *p == ' ') ++p;
    const char* const start = p;
    if (p < end && (*p == '+' || *p == '-')) ++p;
    // from_chars takes no sign of its own here, nor "inf" or "nan": a digit or
    // a point comes first. It reads the same decimal number as strtod does
    // ("." as the separator whatever the locale, an exponent only with
    // digits), correctly rounded.
    if (p == end || !(isDigit(*p) || *p == '.')) return {0.0, 0};
    double value = 0;
    const auto [stop, error] = std::from_chars(p, end, value);
    if (error == std::errc::invalid_argument) return {0.0, 0};  // a point without digits
    const std::size_t length = static_cast<std::size_t>(stop - begin);
    if (error == std::errc::result_out_of_range)
        return {outOfRangeValue({start, static_cast<std::size_t>(stop - start)}), length};
    return {*start == '-' ? -value : value, length};
}

std::string trimBlanks(std::string_view text)
{
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const size_t last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

}  // namespace platform
