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

inline constexpr int kFaults = FE_OVERFLOW | FE_DIVBYZERO | FE_INVALID;

// While checks are deferred on a thread, begin() leaves the flags alone and
// check() does not test them (a non-finite result still fails): the caller
// clears the flags once before a whole computation and tests them once after
// it, and when one was raised runs the computation again with every check, to
// find the exact fault. Each flag test waits for all pending arithmetic, so
// one test instead of dozens makes the common case fast; the results are the
// same bits either way.
inline thread_local bool deferred = false;

class DeferredChecks {
public:
    DeferredChecks() : previous_(deferred) { deferred = true; }
    ~DeferredChecks() { deferred = previous_; }
    DeferredChecks(const DeferredChecks&) = delete;
    DeferredChecks& operator=(const DeferredChecks&) = delete;

private:
    bool previous_;
};

template <class... Ts>
inline void begin(Ts&... inputs)
{
    if (deferred) return;
    clearFlags();
    pin(inputs...);
}

template <class... Ts>
inline void check(Ts&... results)
{
    if (!deferred) pin(results...);
    const int raised = deferred ? 0 : raisedFlags(kFaults);
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

// For code compiled twice, once with every check and once for the deferred
// case, where it needs none: a fault there shows in the flags or in a
// non-finite or out-of-range value further on, and the caller's checked rerun
// finds it.
template <bool checked, class... Ts>
inline void beginIf(Ts&... inputs)
{
    if constexpr (checked) begin(inputs...);
}

template <bool checked, class... Ts>
inline void checkIf(Ts&... results)
{
    if constexpr (checked) check(results...);
}

}  // namespace fp
