#include "numtext.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "runtime_error.h"
#include "sigdigits.h"

namespace platform {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Whether a decimal number (an optional sign, digits with at most one ".",
// an optional exponent with digits) is 1 or more in magnitude: whether the
// power of ten of its first significant digit, its exponent added, is 0 or more.
bool atLeastOne(std::string_view number)
{
    const std::size_t exponentAt = std::min(number.find_first_of("eE"), number.size());
    const std::string_view mantissa = number.substr(0, exponentAt);
    const std::size_t first = mantissa.find_first_of("123456789");
    if (first == std::string_view::npos) return false;
    const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
    const long long power = first < point ? static_cast<long long>(point - first) - 1
                                          : -static_cast<long long>(first - point);
    long long exponent = 0;
    if (exponentAt < number.size()) {
        std::string_view digits = number.substr(exponentAt + 1);
        const bool negative = digits.front() == '-';
        if (negative || digits.front() == '+') digits.remove_prefix(1);
        // An exponent beyond long long is as good as one beyond every power a text can hold.
        if (std::from_chars(digits.data(), digits.data() + digits.size(), exponent).ec != std::errc{})
            exponent = std::numeric_limits<long long>::max() / 2;
        if (negative) exponent = -exponent;
    }
    return power + exponent >= 0;
}

// The value of a decimal number beyond the range that from_chars gives: one
// too large for a double, an overflow, which raises, or one nearer to 0 than
// half the smallest subnormal, whose correctly rounded value is a zero of its
// sign. No number of either kind is near 1, so its magnitude tells which.
double outOfRangeValue(std::string_view number)
{
    if (atLeastOne(number)) throw overflowError();
    return number.front() == '-' ? -0.0 : 0.0;
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
