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

// The sticky exception flags. On x86-64 every double operation of this
// program, those inside libm included, runs in SSE registers, so the flags are
// read and cleared in the SSE control register directly: glibc's feclearexcept
// also saves and reloads the whole x87 environment, which made it the most
// costly step of a conversion. The flag bits there are those of <cfenv>.
#if defined(__x86_64__)
inline void clearFlags()
{
    unsigned int csr;
    asm volatile("stmxcsr %0" : "=m"(csr) : : "memory");
    if (csr & FE_ALL_EXCEPT) {
        csr &= ~static_cast<unsigned int>(FE_ALL_EXCEPT);
        asm volatile("ldmxcsr %0" : : "m"(csr) : "memory");
    }
}

inline int raisedFlags(int mask)
{
    unsigned int csr;
    asm volatile("stmxcsr %0" : "=m"(csr) : : "memory");
    return static_cast<int>(csr) & mask;
}
#else
inline void clearFlags() { std::feclearexcept(FE_ALL_EXCEPT); }
inline int raisedFlags(int mask) { return std::fetestexcept(mask); }
#endif

template <class... Ts>
inline void begin(Ts&... inputs)
{
    clearFlags();
    pin(inputs...);
}

template <class... Ts>
inline void check(Ts&... results)
{
    pin(results...);
    const int raised = raisedFlags(FE_OVERFLOW | FE_DIVBYZERO | FE_INVALID);
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
