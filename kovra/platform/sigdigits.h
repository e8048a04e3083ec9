// The first 15 significant decimal digits of a double: its exact binary value
// rounded to 15 digits, a tie to the even last digit, as printf's "%.14e"
// gives them in the C locale.
#pragma once

namespace platform {

inline constexpr int kSignificantDigits = 15;

// The value rounded is d1.d2...d15 x 10^exponent.
struct SignificantDigits {
    char digits[kSignificantDigits];
    int exponent;
};

// The two ways that significantDigits takes, public so that a test can hold
// them equal. The exact integer way takes magnitudes from 2^-16 (1.5e-5) up to
// below 2^47 (1.4e14), which every coordinate in metres falls in, and gives
// false for any other, leaving d unchanged. The library way (std::to_chars)
// takes every magnitude, at several times the cost.
bool significantDigitsExactly(double magnitude, SignificantDigits& d);
SignificantDigits significantDigitsByLibrary(double magnitude);

// The digits of a finite magnitude above 0.
inline SignificantDigits significantDigits(double magnitude)
{
    SignificantDigits d;
    return significantDigitsExactly(magnitude, d) ? d : significantDigitsByLibrary(magnitude);
}

}  // namespace platform
