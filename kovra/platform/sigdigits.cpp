#include "sigdigits.h"

#include <array>
#include <bit>
#include <charconv>
#include <cstdint>
#include <cstring>

// Coordinates take the exact integer way: std::to_chars with a precision costs
// about three times as many instructions, 11 to 15 % of a whole run of kovra.
//
// Why significantDigitsExactly gives the correctly rounded digits.
//
// A normal double is m * 2^(e - 52) exactly, m the integer of its 53 significand
// bits (2^52 <= m < 2^53) and e its unbiased exponent, so 2^e <= magnitude <
// 2^(e + 1). With q = floor(e * log10(2)), 10^q <= 2^e < 10^(q + 1), and with
// k = 14 - q
//     10^14 <= x = magnitude * 10^k < 2 * 10^15.
// x is m * 10^k / 2^shift with shift = 52 - e, and m * 10^k is an exact
// integer (below 2^53 * 10^19 < 2^117, so it fits 128 bits). Its lowest shift
// bits are the fraction of x, its higher ones the whole part: both are exact,
// so x rounded half to even is whole + 1 when the fraction is above 1/2, or
// equal to it with whole odd, and whole otherwise. That is the only rounding.
// The fraction's highest bit tells whether it reaches 1/2, any bit below it
// whether it goes beyond.
// When whole < 10^15, x has 15 digits before its point and the rounded integer
// N (10^14 <= N <= 10^15) is the 15 digits, the first at 10^(14 - k); N = 10^15
// is fifteen 9s carried over: 1 and 14 zeros, one power higher. When
// whole >= 10^15, then x >= 10^15 and 10^14 <= x / 10 < 2 * 10^14, so the
// same steps at k - 1 give the digits.
// Bounds: e from -16 to 46 keeps k and k - 1 within 0 to 19, where 10^k fits
// 64 bits; shift is then 6 to 68 and whole < 2 * 10^15 fits 64 bits.
// q comes from an integer product and shift, log10(2) cut to 18 bits; checks
// at compile time below hold it equal to floor(e * log10(2)) for every e of
// that range, and the range to those k, by exact powers of 2 and 10.

namespace platform {

namespace {

// An unsigned 128-bit integer as two 64-bit halves, the same code on every
// target: 32-bit ones have no 128-bit type. On x86-64 its four partial
// products cost no measurable time against one 128-bit multiplication.
struct UInt128 {
    uint64_t high;
    uint64_t low;
};

UInt128 product(uint64_t a, uint64_t b)
{
    constexpr uint64_t kLow32 = 0xffffffff;
    const uint64_t lowLow = (a & kLow32) * (b & kLow32);
    const uint64_t lowHigh = (a & kLow32) * (b >> 32);
    const uint64_t highLow = (a >> 32) * (b & kLow32);
    const uint64_t highHigh = (a >> 32) * (b >> 32);
    const uint64_t middle = (lowLow >> 32) + (lowHigh & kLow32) + (highLow & kLow32);  // below 3 * 2^32
    return {highHigh + (lowHigh >> 32) + (highLow >> 32) + (middle >> 32), (middle << 32) | (lowLow & kLow32)};
}

// The low 64 bits of x / 2^shift, for a shift from 1 to 127.
uint64_t shiftedRight(UInt128 x, int shift)
{
    if (shift >= 64) return x.high >> (shift - 64);
    return (x.high << (64 - shift)) | (x.low >> shift);
}

// Whether any of the lowest n bits of x (n from 1 to 127) is set.
bool anyBitBelow(UInt128 x, int n)
{
    if (n <= 64) return (x.low << (64 - n)) != 0;
    return x.low != 0 || (x.high << (128 - n)) != 0;
}

constexpr int kFractionBits = 52;  // the stored significand bits of a double
constexpr int kExponentBias = 1023;
constexpr int kFirstDigitPower = kSignificantDigits - 1;  // the 15 digits as an integer: d1 at 10^14

// floor(e * log10(2)) for the exponents below, by log10(2) * 2^18 cut to an integer.
constexpr int kLog10Of2Shift = 18;
constexpr int kLog10Of2Scaled = 78913;
constexpr int floorLog10Pow2(int e) { return (e * kLog10Of2Scaled) >> kLog10Of2Shift; }

constexpr int kMaxPowerOfTen = 19;  // the largest that fits 64 bits
constexpr uint64_t powerOfTen(int k) { return k == 0 ? 1 : 10 * powerOfTen(k - 1); }
constexpr auto kPowersOfTen = [] {
    std::array<uint64_t, kMaxPowerOfTen + 1> powers{};
    for (int k = 0; k <= kMaxPowerOfTen; ++k) powers[k] = powerOfTen(k);
    return powers;
}();

// The binary exponents taken: k = 14 - floor(e * log10(2)) and k - 1 stay in the table.
constexpr int kMinBinaryExponent = -16;
constexpr int kMaxBinaryExponent = 46;
static_assert(kFirstDigitPower - floorLog10Pow2(kMinBinaryExponent) == kMaxPowerOfTen);
static_assert(kFirstDigitPower - floorLog10Pow2(kMaxBinaryExponent) - 1 == 0);

// 10^q <= 2^e < 10^(q + 1) for q = floorLog10Pow2(e), for a negative e as
// 10^-(q + 1) < 2^-e <= 10^-q.
constexpr bool floorLog10Pow2IsExact(int e)
{
    const int q = floorLog10Pow2(e);
    const uint64_t power = uint64_t{1} << (e < 0 ? -e : e);
    if (e >= 0) return powerOfTen(q) <= power && power < powerOfTen(q + 1);
    return powerOfTen(-q - 1) < power && power <= powerOfTen(-q);
}
constexpr bool floorLog10Pow2IsExactOnRange()
{
    for (int e = kMinBinaryExponent; e <= kMaxBinaryExponent; ++e)
        if (!floorLog10Pow2IsExact(e)) return false;
    return true;
}
static_assert(floorLog10Pow2IsExactOnRange());

// scaled / 2^shift rounded to an integer, a tie to the even one.
uint64_t roundedHalfToEven(UInt128 scaled, int shift)
{
    const uint64_t whole = shiftedRight(scaled, shift);
    const bool atLeastHalf = shiftedRight(scaled, shift - 1) & 1;
    const bool beyondHalf = atLeastHalf && anyBitBelow(scaled, shift - 1);
    return whole + ((beyondHalf || (atLeastHalf && (whole & 1))) ? 1 : 0);
}

// The 15 decimal digits of n < 10^15, two at a time.
void writeDigits(uint64_t n, char (&out)[kSignificantDigits])
{
    static constexpr char kPairs[] =
        "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
        "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
        "8081828384858687888990919293949596979899";
    for (int i = kSignificantDigits - 2; i >= 1; i -= 2, n /= 100) std::memcpy(out + i, kPairs + 2 * (n % 100), 2);
    out[0] = static_cast<char>('0' + n);
}

}  // namespace

bool significantDigitsExactly(double magnitude, SignificantDigits& d)
{
    const uint64_t bits = std::bit_cast<uint64_t>(magnitude);
    // The sign bit is clear; subnormals, infinities and NaN fall outside the range.
    const int e = static_cast<int>(bits >> kFractionBits) - kExponentBias;
    if (e < kMinBinaryExponent || e > kMaxBinaryExponent) return false;
    const uint64_t m = (bits & ((uint64_t{1} << kFractionBits) - 1)) | (uint64_t{1} << kFractionBits);
    const int shift = kFractionBits - e;
    int k = kFirstDigitPower - floorLog10Pow2(e);
    UInt128 scaled = product(m, kPowersOfTen[k]);
    if (shiftedRight(scaled, shift) >= kPowersOfTen[kSignificantDigits]) scaled = product(m, kPowersOfTen[--k]);
    uint64_t digits = roundedHalfToEven(scaled, shift);
    d.exponent = kFirstDigitPower - k;
    if (digits == kPowersOfTen[kSignificantDigits]) {
        digits = kPowersOfTen[kFirstDigitPower];
        ++d.exponent;
    }
    writeDigits(digits, d.digits);
    return true;
}

SignificantDigits significantDigitsByLibrary(double magnitude)
{
    char text[32];
    // d.dddddddddddddde±dd, or three exponent digits, correctly rounded.
    const char* end =
        std::to_chars(text, text + sizeof text, magnitude, std::chars_format::scientific, kFirstDigitPower).ptr;
    SignificantDigits d;
    d.digits[0] = text[0];
    std::memcpy(d.digits + 1, text + 2, kFirstDigitPower);
    const char* sign = text + 2 + kFirstDigitPower + 1;
    std::from_chars(sign + 1, end, d.exponent);
    if (*sign == '-') d.exponent = -d.exponent;
    return d;
}

}  // namespace platform
