#include "numtext.h"

#include <bit>
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

constexpr uint64_t kPow10[] = {1ULL,
                               10ULL,
                               100ULL,
                               1000ULL,
                               10000ULL,
                               100000ULL,
                               1000000ULL,
                               10000000ULL,
                               100000000ULL,
                               1000000000ULL,
                               10000000000ULL,
                               100000000000ULL,
                               1000000000000ULL,
                               10000000000000ULL,
                               100000000000000ULL,
                               1000000000000000ULL,
                               10000000000000000ULL,
                               100000000000000000ULL,
                               1000000000000000000ULL,
                               10000000000000000000ULL};

// The 15 decimal digits of n < 10^15, two at a time.
void writeDigits(uint64_t n, char (&out)[15])
{
    static constexpr char kPairs[] =
        "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
        "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
        "8081828384858687888990919293949596979899";
    for (int i = 13; i >= 1; i -= 2, n /= 100) std::memcpy(out + i, kPairs + 2 * (n % 100), 2);
    out[0] = static_cast<char>('0' + n);
}

// Powers of ten that are exact doubles.
constexpr double kPow10Double[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                   1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

__extension__ typedef unsigned __int128 uint128;  // GCC and Clang on 64-bit targets

// The 15 digits by exact integer arithmetic, for the magnitudes coordinates
// have (1e-5 up to 2^52): the value is m * 2^-s exactly, so m * 10^k * 2^-s,
// rounded half to even, is the correctly rounded 15-digit integer for the
// k that puts it in [10^14, 10^15). False outside that range.
bool significantDigitsExactly(double magnitude, Digits& d)
{
    const uint64_t bits = std::bit_cast<uint64_t>(magnitude);
    const int biased = static_cast<int>(bits >> 52);  // the sign bit is clear
    if (biased == 0 || biased == 0x7ff) return false;  // subnormal, infinite or NaN
    const uint64_t m = (bits & ((uint64_t{1} << 52) - 1)) | (uint64_t{1} << 52);
    const int shift = 1075 - biased;  // magnitude = m * 2^-shift, 2^(52 - shift) <= magnitude
    if (shift < 1 || shift > 100) return false;
    // 10^14 <= magnitude * 10^k < 10^15 for k = 14 - floor(log10(magnitude)); start from
    // floor((52 - shift) * log10(2)) and step to the right k.
    int k = 14 - (((52 - shift) * 78913) >> 18);
    for (int step = 0; step < 3; ++step) {
        if (k < 0 || k > 19) return false;
        const uint128 scaled = static_cast<uint128>(m) * kPow10[k];
        const uint64_t whole = static_cast<uint64_t>(scaled >> shift);
        if (whole < kPow10[14]) {
            ++k;
            continue;
        }
        if (whole >= kPow10[15]) {
            --k;
            continue;
        }
        const uint128 rest = scaled & ((static_cast<uint128>(1) << shift) - 1);
        const uint128 half = static_cast<uint128>(1) << (shift - 1);
        uint64_t digits = whole + ((rest > half || (rest == half && (whole & 1))) ? 1 : 0);
        d.exponent = 14 - k;
        if (digits == kPow10[15]) {  // rounded up to the next power of ten
            digits = kPow10[14];
            ++d.exponent;
        }
        writeDigits(digits, d.digits);
        return true;
    }
    return false;
}

Digits significantDigits(double magnitude)
{
    Digits d;
    if (significantDigitsExactly(magnitude, d)) return d;
    char buffer[40];
    // d.dddddddddddddde±xx, correctly rounded like printf's "%.14e".
    const char* end = std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific, 14).ptr;
    d.digits[0] = buffer[0];
    std::memcpy(d.digits + 1, buffer + 2, 14);
    int exponent = 0;
    for (const char* c = buffer + 18; c < end; ++c) exponent = exponent * 10 + (*c - '0');
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

    const std::string text(number);
#ifdef _WIN32
    static const _locale_t cLocale = _create_locale(LC_NUMERIC, "C");
    errno = 0;
    value = _strtod_l(text.c_str(), nullptr, cLocale);
#else
    static const locale_t cLocale = newlocale(LC_NUMERIC_MASK, "C", nullptr);
    errno = 0;
    value = strtod_l(text.c_str(), nullptr, cLocale);
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
    const size_t n = text.size();
    size_t i = 0;
    while (i < n && text[i] == ' ') ++i;
    const size_t start = i;
    const bool negative = i < n && text[i] == '-';
    if (i < n && (text[i] == '+' || text[i] == '-')) ++i;

    // The digits are gathered while they are scanned: a plain decimal of at
    // most 15 significant digits and 22 decimals is one correctly rounded
    // division of two exact doubles, which is the correctly rounded value of
    // the text.
    uint64_t mantissa = 0;
    int significant = 0, decimals = 0;
    size_t mantissaDigits = 0;
    auto take = [&](bool afterPoint) {
        const char c = text[i++];
        ++mantissaDigits;
        decimals += afterPoint;
        if (mantissa == 0 && c == '0') return;
        if (++significant <= 15) mantissa = mantissa * 10 + static_cast<uint64_t>(c - '0');
    };
    while (i < n && isDigit(text[i])) take(false);
    if (i < n && text[i] == '.') {
        ++i;
        while (i < n && isDigit(text[i])) take(true);
    }
    if (mantissaDigits == 0) return {0.0, 0};

    // An exponent counts only when at least one digit follows the letter.
    bool exponent = false;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        size_t j = i + 1;
        if (j < n && (text[j] == '+' || text[j] == '-')) ++j;
        if (j < n && isDigit(text[j])) {
            while (j < n && isDigit(text[j])) ++j;
            i = j;
            exponent = true;
        }
    }
    if (!exponent && significant <= 15 && decimals <= 22) {
        const double value = static_cast<double>(mantissa) / kPow10Double[decimals];
        return {negative ? -value : value, i};
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
