#include "numtext.h"

#include <charconv>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <cstdlib>
#include <locale.h>

#include "runtime_error.h"

namespace platform {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The 15 significant digits of a non-zero magnitude and the power of ten of the
// first one, so that the value is d1.d2...d15 x 10^exponent.
struct Digits {
    char digits[15];
    int exponent;
};

Digits significantDigits(double magnitude)
{
    char buffer[40];
    // d.dddddddddddddde±xx, correctly rounded like printf's "%.14e".
    std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific, 14);
    Digits d;
    d.digits[0] = buffer[0];
    std::memcpy(d.digits + 1, buffer + 2, 14);
    int exponent = 0;
    for (const char* c = buffer + 18; isDigit(*c); ++c) exponent = exponent * 10 + (*c - '0');
    d.exponent = buffer[17] == '-' ? -exponent : exponent;
    return d;
}

// The value of a text that is wholly a decimal number, correctly rounded.
// from_chars reads "." as the separator whatever the user's locale; a value
// out of its range (overflow, or a result that underflows) is left to strtod_l
// in the C locale, which gives the same correctly rounded value and tells an
// overflow from an underflow.
double decimalValue(std::string_view number)
{
    const std::string_view digits = number.front() == '+' ? number.substr(1) : number;
    double value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error == std::errc() && end == digits.data() + digits.size()) return value;

    static const locale_t cLocale = newlocale(LC_NUMERIC_MASK, "C", nullptr);
    const std::string text(number);
    errno = 0;
    value = strtod_l(text.c_str(), nullptr, cLocale);
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
    const Digits d = significantDigits(std::fabs(value));
    // The digits before the point, then those after it without trailing zeros.
    int fractionDigits;
    const char* fraction;
    int leadingZeros = 0;
    if (d.exponent < 0) {
        *p++ = '0';
        leadingZeros = -d.exponent - 1;
        fraction = d.digits;
        fractionDigits = 15;
    } else if (d.exponent < 15) {
        std::memcpy(p, d.digits, static_cast<std::size_t>(d.exponent + 1));
        p += d.exponent + 1;
        fraction = d.digits + d.exponent + 1;
        fractionDigits = 14 - d.exponent;
    } else {
        std::memcpy(p, d.digits, 15);
        p += 15;
        std::memset(p, '0', static_cast<std::size_t>(d.exponent - 14));
        p += d.exponent - 14;
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
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    const size_t start = i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;

    size_t mantissaDigits = 0;
    while (i < text.size() && isDigit(text[i])) ++i, ++mantissaDigits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && isDigit(text[i])) ++i, ++mantissaDigits;
    }
    if (mantissaDigits == 0) return {0.0, 0};

    // An exponent counts only when at least one digit follows the letter.
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
        if (j < text.size() && isDigit(text[j])) {
            while (j < text.size() && isDigit(text[j])) ++j;
            i = j;
        }
    }

    return {decimalValue(text.substr(start, i - start)), i};
}

std::string trimBlanks(std::string_view text)
{
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const size_t last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

}  // namespace platform
