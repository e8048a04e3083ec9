#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <utility>

#include "platform/integer.h"
#include "platform/numtext.h"
#include "platform/runtime_error.h"

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
