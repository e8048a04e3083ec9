// Detection of floating-point faults inside a computation.
//
// A stage calls fp::begin() on its inputs before its first operation and
// fp::check() on its results after its last one. begin() clears the sticky
// exception flags; check() raises a RunError when an overflow, a division by
// zero or an invalid operation happened in between. Underflow and inexact
// results are not faults.
//
// The empty asm statements tie the flag operations to the data: the compiler
// must treat the inputs as changed after the flags are cleared and the results
// as used before they are tested, so no optimisation level can move the
// arithmetic across either call.
#pragma once

#include <cfenv>
#include <cmath>

#include "runtime_error.h"

namespace fp {

template <class T>
inline void pinOne(T& value)
{
    asm volatile("" : "+m"(value) : : "memory");
}

template <class... Ts>
inline void pin(Ts&... values)
{
    (pinOne(values), ...);
}

template <class... Ts>
inline void begin(Ts&... inputs)
{
    std::feclearexcept(FE_ALL_EXCEPT);
    pin(inputs...);
}

template <class... Ts>
inline void check(Ts&... results)
{
    pin(results...);
    const int raised = std::fetestexcept(FE_OVERFLOW | FE_DIVBYZERO | FE_INVALID);
    if (raised & FE_DIVBYZERO) throw platform::divisionByZeroError();
    if (raised & FE_OVERFLOW) throw platform::overflowError();
    if (raised & FE_INVALID) throw platform::invalidOperationError();
    // A quiet NaN or an infinity read from a file passes through arithmetic
    // without raising a flag; it is a fault all the same.
    if (!(std::isfinite(results) && ...)) {
        if ((std::isnan(results) || ...)) throw platform::invalidOperationError();
        throw platform::overflowError();
    }
}

}  // namespace fp
