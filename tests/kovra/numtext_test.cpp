#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <utility>

#include "platform/integer.h"
#include "platform/numtext.h"
#include "platform/runtime_error.h"
#include "platform/sigdigits.h"

using platform::numberText;
using platform::numericValue;

TEST(NumberText, FifteenDigitsPlainDecimalsNeverExponentForm)
{
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {500000.0, " 500000"},
        {9999999.9999999995, " 10000000"},  // rounds up to the next power of ten
        {0.000123456789012345678, " 0.000123456789012346"},
        {INFINITY, " inf"},
        {-INFINITY, "-inf"},
        {440598.07885, " 440598.07885"},
        {-3320469.2862, "-3320469.2862"},
        {4472390.0309999999, " 4472390.031"},  // rounded to 15 digits first
        {0.5, " 0.5"},
        {-0.25, "-0.25"},
        {-0.0, " 0"},
        {1.5e-7, " 0.00000015"},
        {1e20, " 100000000000000000000"},
        {123456789012345678.0, " 123456789012346000"},
        {1234567890123455.0, " 1234567890123460"},  // exact tie: half to even
        {1234567890123445.0, " 1234567890123440"},
    };
    for (const auto& c : cases) EXPECT_EQ(numberText(c.value), c.text) << c.value;
    // The longest text of all, the smallest subnormal: no buffer may be shorter.
    EXPECT_EQ(numberText(0x1p-1074), " 0." + std::string(323, '0') + "494065645841247");
    EXPECT_EQ(numberText(-1.7976931348623157e308), "-179769313486232" + std::string(294, '0'));
}

TEST(NumericValue, LongestLeadingDecimalNumber)
{
    EXPECT_EQ(numericValue("500000.000 "), 500000.0);
    EXPECT_EQ(numericValue("  -3.5x"), -3.5);
    EXPECT_EQ(numericValue(".5"), 0.5);
    EXPECT_EQ(numericValue("5."), 5.0);
    EXPECT_EQ(numericValue("1.5.3"), 1.5);
    EXPECT_EQ(numericValue("1e3"), 1000.0);
    EXPECT_EQ(numericValue("2e"), 2.0);  // a letter without digits is not an exponent
    EXPECT_EQ(numericValue("30"), 30.0);
    EXPECT_EQ(numericValue("3 "), 3.0);
    EXPECT_EQ(numericValue(""), 0.0);
    EXPECT_EQ(numericValue("ut"), 0.0);
    EXPECT_EQ(numericValue("-"), 0.0);
    EXPECT_EQ(numericValue("0x10"), 0.0);  // no radix prefixes
    EXPECT_EQ(numericValue("1e-999"), 0.0);  // underflow is not an error
    EXPECT_THROW(numericValue("1e999"), platform::RunError);
}

TEST(NumericPrefix, TakesOneSignDigitsOnePointAndAnExponentWithDigits)
{
    const struct {
        const char* text;
        double value;
        std::size_t length;
    } cases[] = {
        {"  +7.25e1z", 72.5, 9},  {"-.5 ", -0.5, 3},      {"+-5", 0.0, 0},   {"- 5", 0.0, 0},
        {".e1", 0.0, 0},          {"inf", 0.0, 0},        {"-nan", 0.0, 0},  {"1e+", 1.0, 1},
        {"1E-2x", 0.01, 4},       {"7.5e", 7.5, 3},       {"0x1p3", 0.0, 1}, {"00012.50", 12.5, 8},
        {"1e-999x", 0.0, 6},      // underflow: 0, the exponent taken
        {"4.94e-324", 0x1p-1074, 9},
        {"123456789012345678901234567890", 1.2345678901234568e29, 30},
    };
    for (const auto& c : cases) {
        const platform::NumberPrefix prefix = platform::numericPrefix(c.text);
        EXPECT_EQ(prefix.value, c.value) << c.text;
        EXPECT_EQ(prefix.length, c.length) << c.text;
    }
    EXPECT_TRUE(std::signbit(numericValue("-0")));
    EXPECT_THROW(numericValue(" -1e400 "), platform::RunError);
    EXPECT_THROW(numericValue(std::string(400, '9')), platform::RunError);
    EXPECT_EQ(numericValue("0." + std::string(400, '0') + "1"), 0.0);
}

TEST(NumericValue, OutOfRangeOverflowsWhenLargeAndIsASignedZeroWhenTiny)
{
    // Beyond a double's range either way: the magnitude decides, however the
    // digits, the point and the exponent place it.
    const struct {
        const char* text;
        bool overflows;
    } cases[] = {
        {"1e309", true},
        {"+1e+999", true},
        {"0.001e312", true},
        {"1000e-327", false},
        {"-0.0001e-320", false},
        {"2.4703282292062327e-324", false},  // just below half the smallest subnormal
        {"1e99999999999999999999999", true},
        {"-1e-99999999999999999999999", false},
        {"000000000000000000000000000000000001e-400", false},
    };
    for (const auto& c : cases) {
        if (c.overflows) {
            EXPECT_THROW(numericValue(c.text), platform::RunError) << c.text;
            continue;
        }
        const double value = numericValue(c.text);
        EXPECT_EQ(value, 0.0) << c.text;
        EXPECT_EQ(std::signbit(value), c.text[0] == '-') << c.text;
    }
}

TEST(NumericValue, PositiveExponentsRoundOnceNotTwiceThroughExtendedPrecision)
{
    // Products m * 10^e whose rounding to 64 significant bits (x87 at its
    // default precision) and then to 53 gives a neighbour of the correctly
    // rounded double: the 32-bit Windows build's number reading must not.
    const struct {
        const char* text;
        double value;
    } cases[] = {
        {"4750134862337265e9", 0x1.f6f0a9d6c94f7p+81},   {"1454963297801927e6", 0x1.3b7eb00a7feafp+70},
        {"6639658589766364e12", 0x1.5743265611c35p+92},  {"7001271608126672e16", 0x1.b9d7a4aff3013p+105},
        {"2701350446596296e19", 0x1.4cf79720d6fcfp+114}, {"3202327351789227e11", 0x1.08e3eb5beddb7p+88},
    };
    for (const auto& c : cases) EXPECT_EQ(numericValue(c.text), c.value) << c.text;
}

TEST(IntegerConversion, RoundsHalfToEvenAndOverflowsOutsideRange)
{
    using platform::roundToInteger;
    EXPECT_EQ(roundToInteger<int16_t>(30.0), 30);
    EXPECT_EQ(roundToInteger<int16_t>(2.5), 2);
    EXPECT_EQ(roundToInteger<int16_t>(3.5), 4);
    EXPECT_EQ(roundToInteger<int16_t>(-32768.5), -32768);
    EXPECT_THROW(roundToInteger<int16_t>(32767.5), platform::RunError);
    EXPECT_THROW(roundToInteger<int16_t>(NAN), platform::RunError);
    EXPECT_EQ(roundToInteger<int32_t>(2147483647.0), 2147483647);
    EXPECT_THROW(roundToInteger<int32_t>(2147483648.0), platform::RunError);
    EXPECT_THROW(platform::checked16(32768), platform::RunError);
    EXPECT_THROW(platform::checked32(-2147483649LL), platform::RunError);
}

namespace {

// The significant digits (without trailing zeros) and the power of ten of the
// first one, from a number's plain decimal text.
std::pair<std::string, int> digitsOfPlainText(std::string text)
{
    text = text.substr(text.find_first_not_of(" -"));
    const size_t point = text.find('.');
    const int integerDigits = static_cast<int>(point == std::string::npos ? text.size() : point);
    if (point != std::string::npos) text.erase(point, 1);
    const size_t first = text.find_first_not_of('0');
    std::string digits = text.substr(first);
    digits.erase(digits.find_last_not_of('0') + 1);
    return {digits, integerDigits - static_cast<int>(first) - 1};
}

// The same from printf's "%.14e", the reference for 15 correctly rounded digits.
std::pair<std::string, int> digitsOfPrintf(double magnitude)
{
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.14e", magnitude);
    std::string digits = std::string(1, buffer[0]) + std::string(buffer + 2, 14);
    digits.erase(digits.find_last_not_of('0') + 1);
    return {digits, std::atoi(buffer + 17)};
}

}  // namespace

TEST(NumberText, DigitsAndValuesEqualPrintfAndStrtodOnMillionsOfRandomNumbers)
{
    std::mt19937_64 random(20261209);
    for (int i = 0; i < 2000000; ++i) {
        // Random bits give every magnitude; scaled ones give survey-sized values.
        double value = std::bit_cast<double>(random());
        if (i % 2) value = std::ldexp(static_cast<double>(random() >> 11), -static_cast<int>(random() % 40));
        if (!std::isfinite(value) || value == 0) continue;
        ASSERT_EQ(digitsOfPlainText(numberText(value)), digitsOfPrintf(std::fabs(value))) << std::hexfloat << value;
    }
    for (int i = 0; i < 1000000; ++i) {
        std::string text = (i % 3 == 0) ? "-" : (i % 3 == 1) ? "+" : "";
        text += std::to_string(random() % 10000000);
        if (i % 2) text += '.' + std::to_string(random() % 1000000000000ULL);
        if (i % 5 == 0) text += 'e' + std::to_string(static_cast<int>(random() % 640) - 350);
        if (i % 7 == 0) text = '.' + std::to_string(random() % 1000);
        ASSERT_EQ(numericValue(text), std::strtod(text.c_str(), nullptr)) << text;
    }
}

namespace {

std::string digitsText(const platform::SignificantDigits& d)
{
    return std::string(d.digits, platform::kSignificantDigits) + "e" + std::to_string(d.exponent);
}

// The exact way's digits, or "not taken".
std::string exactDigits(double magnitude)
{
    platform::SignificantDigits d;
    return platform::significantDigitsExactly(magnitude, d) ? digitsText(d) : "not taken";
}

std::string libraryDigits(double magnitude) { return digitsText(platform::significantDigitsByLibrary(magnitude)); }

bool takenExactly(double magnitude) { return magnitude >= 0x1p-16 && magnitude < 0x1p47; }

}  // namespace

TEST(SignificantDigits, ExactWayEqualsTheLibraryOnTenMillionCoordinateSizedValues)
{
    std::mt19937_64 random(20261210);
    // Random significands in every binade the exact way takes, 2^-16 to 2^47.
    for (int i = 0; i < 6000000; ++i) {
        const double magnitude = std::ldexp(1.0 + static_cast<double>(random() >> 12) * 0x1p-52,
                                            -16 + static_cast<int>(random() % 63));
        ASSERT_EQ(exactDigits(magnitude), libraryDigits(magnitude)) << std::hexfloat << magnitude;
    }
    // The doubles nearest to 16-digit decimals ending in 5, 1e-5 to 1e14: the
    // rounding turns on bits far below the 15th digit.
    for (int i = 0; i < 4000000; ++i) {
        const std::string text = std::to_string(100000000000000ULL + random() % 900000000000000ULL) + "5e-" +
                                 std::to_string(2 + random() % 19);
        double magnitude = 0;
        std::from_chars(text.data(), text.data() + text.size(), magnitude);
        if (takenExactly(magnitude)) {
            ASSERT_EQ(exactDigits(magnitude), libraryDigits(magnitude)) << text;
        }
    }
    // Exact ties, j / 2^(k + 1) with j odd, whose 15 digits at 10^-k are
    // j * 5^k / 2 = N + 1/2: the last digit comes out even.
    for (int k = 0; k <= 19; ++k) {
        const double lowest = 2e14 / std::pow(5.0, k);
        for (int i = 0; i < 1000; ++i) {
            const double j = std::floor(lowest * (1 + 8.9 * static_cast<double>(random() >> 11) * 0x1p-53) / 2) * 2 + 1;
            const double magnitude = std::ldexp(j, -(k + 1));
            if (!takenExactly(magnitude)) continue;
            const std::string digits = exactDigits(magnitude);
            ASSERT_EQ(digits, libraryDigits(magnitude)) << std::hexfloat << magnitude;
            ASSERT_EQ((digits[platform::kSignificantDigits - 1] - '0') % 2, 0) << std::hexfloat << magnitude;
        }
    }
    // Just below a power of ten, fifteen 9s round up to the next one; just
    // above it, the 16th digit is the one dropped.
    for (int power = -4; power <= 13; ++power) {
        const std::string one = "100000000000000e" + std::to_string(power);
        EXPECT_EQ(exactDigits(std::nextafter(std::pow(10.0, power), 0.0)), one) << power;
        EXPECT_EQ(exactDigits(std::stod("1.00000000000000075e" + std::to_string(power))), one) << power;
    }
    // Outside its range the exact way leaves the digits to the library.
    for (const double magnitude : {0x1.fffffffffffffp-17, 0x1p47, 0x1p-1074, double(INFINITY)})
        EXPECT_EQ(exactDigits(magnitude), "not taken") << std::hexfloat << magnitude;
}
