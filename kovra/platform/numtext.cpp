#include "numtext.h"

#include <charconv>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <locale.h>

#include "runtime_error.h"

namespace platform {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The 15 significant digits of a non-zero magnitude and the power of ten of the
// first one, so that the value is 0.d1d2...d15 x 10^(exponent + 1).
struct Digits {
    char digits[16];
    int exponent;
};

Digits significantDigits(double magnitude)
{
    char buffer[40];
    // d.dddddddddddddde±xx, correctly rounded like printf's "%.14e".
    *std::to_chars(buffer, buffer + sizeof buffer - 1, magnitude, std::chars_format::scientific, 14).ptr = '\0';
    Digits d{};
    d.digits[0] = buffer[0];
    for (int i = 0; i < 14; ++i) d.digits[i + 1] = buffer[i + 2];
    d.digits[15] = '\0';
    d.exponent = std::atoi(buffer + 17);
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

std::string numberText(double value)
{
    if (value == 0.0) return " 0";
    const Digits d = significantDigits(std::fabs(value));

    std::string integerPart, fraction;
    if (d.exponent < 0) {
        integerPart = "0";
        fraction.assign(static_cast<size_t>(-d.exponent - 1), '0');
        fraction += d.digits;
    } else if (d.exponent < 15) {
        integerPart.assign(d.digits, static_cast<size_t>(d.exponent + 1));
        fraction = d.digits + d.exponent + 1;
    } else {
        integerPart = d.digits;
        integerPart.append(static_cast<size_t>(d.exponent - 14), '0');
    }
    while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();

    std::string text = value < 0 ? "-" : " ";
    text += integerPart;
    if (!fraction.empty()) text += "." + fraction;
    return text;
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
