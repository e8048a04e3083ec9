// Conversions to the 16-bit and 32-bit integers of the system, and checked
// integer arithmetic. A value outside the integer's range is an overflow error.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

#include "runtime_error.h"

namespace platform {

template <class Int>
Int checkedInteger(long long value)
{
    if (value < std::numeric_limits<Int>::min() || value > std::numeric_limits<Int>::max())
        throw overflowError();
    return static_cast<Int>(value);
}

// A double rounded to the nearest integer, an exact half to the even neighbour.
template <class Int>
Int roundToInteger(double value)
{
    const double r = std::nearbyint(value);  // default rounding mode: ties to even
    if (!(r >= std::numeric_limits<Int>::min() && r <= std::numeric_limits<Int>::max()))
        throw overflowError();  // NaN lands here too
    return static_cast<Int>(r);
}

// The whole part of a double, the fraction dropped toward zero.
template <class Int>
Int truncToInteger(double value)
{
    return roundToInteger<Int>(std::trunc(value));
}

inline int16_t checked16(long long v) { return checkedInteger<int16_t>(v); }
inline int32_t checked32(long long v) { return checkedInteger<int32_t>(v); }

}  // namespace platform
