// Detection of floating-point faults inside a computation.
//
// A stage calls fp::begin<Policy>() on its inputs before its first operation
// and fp::check<Policy>() on its results after its last one. Checked, begin()
// clears the sticky exception flags and check() raises a RunError when an
// overflow, a division by zero or an invalid operation happened in between.
// Underflow and inexact results are not faults.
//
// The empty asm statements tie the flag operations to the data: the compiler
// must treat the inputs as changed after the flags are cleared and the results
// as used before they are tested, so no optimisation level can move the
// arithmetic across either call.
#pragma once

#include <cfenv>
#include <cmath>
#include <concepts>

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

// The sticky exception flags, read and cleared in the registers directly: a
// library call (glibc's feclearexcept saves and reloads the whole x87
// environment, mingw-w64's i386 one runs CPUID to learn whether there is an
// SSE unit) made it the most costly step of a conversion. The flag bits of
// both registers are those of <cfenv>.
//
// On x86-64 every double operation of this program, those inside libm
// included, runs in SSE registers: the SSE control register holds every flag.
// The 32-bit Windows build runs this program's own operations in SSE registers
// too, but the prebuilt libraries' (the mathematical functions among them) in
// x87 ones: there the flags of both count.
#if defined(__x86_64__) || (defined(__i386__) && defined(__SSE2__))
inline void clearSseFlags()
{
    unsigned int csr;
    asm volatile("stmxcsr %0" : "=m"(csr) : : "memory");
    if (csr & FE_ALL_EXCEPT) {
        csr &= ~static_cast<unsigned int>(FE_ALL_EXCEPT);
        asm volatile("ldmxcsr %0" : : "m"(csr) : "memory");
    }
}

inline int sseFlags()
{
    unsigned int csr;
    asm volatile("stmxcsr %0" : "=m"(csr) : : "memory");
    return static_cast<int>(csr);
}
#endif

#if defined(__x86_64__)
inline void clearFlags() { clearSseFlags(); }
inline int raisedFlags(int mask) { return sseFlags() & mask; }
#elif defined(__i386__) && defined(__SSE2__)
inline int x87Flags()
{
    unsigned short status;
    asm volatile("fnstsw %0" : "=m"(status) : : "memory");
    return status;
}

inline void clearFlags()
{
    clearSseFlags();
    if (x87Flags() & FE_ALL_EXCEPT) asm volatile("fnclex" : : : "memory");
}

inline int raisedFlags(int mask) { return (sseFlags() | x87Flags()) & mask; }
#else
inline void clearFlags() { std::feclearexcept(FE_ALL_EXCEPT); }
inline int raisedFlags(int mask) { return std::fetestexcept(mask); }
#endif

inline constexpr int kFaults = FE_OVERFLOW | FE_DIVBYZERO | FE_INVALID;

// How a computation looks for floating-point faults: the policy every stage
// of the chain, and every step of the grid lookup inside it, is compiled for.
//
// Checked: each stage clears the sticky flags on entry (begin) and tests them
// after its last step (check), so a fault raises the RunError that names it in
// the stage where it happened, as the stage's message must say.
//
// Deferred: nothing inside the computation touches the flags. The caller
// clears them once before the whole chain of a point and tests them once
// after it; when a flag was raised, or a stage failed, it runs the chain again
// Checked, which finds the fault and gives the exact message. Reading the flags
// waits for every pending floating-point operation, so one test instead of
// dozens per point is what makes a run fast (a quarter of the reverse shift's
// time). Both policies run the same arithmetic, so their results are the same
// bits. A deferred check of a stage's results still fails on a non-finite
// value: a NaN or an infinity read from a grid file passes through arithmetic
// without raising a flag, and must not reach the output. The steps inside a
// stage (checkStep) are not checked at all when deferred: the stage's own
// check of its results, and the caller's test of the flags, find whatever went
// wrong in them.
struct Checked {};
struct Deferred {};

template <class Policy>
concept CheckPolicy = std::same_as<Policy, Checked> || std::same_as<Policy, Deferred>;

template <CheckPolicy Policy, class... Ts>
inline void begin(Ts&... inputs)
{
    if constexpr (std::same_as<Policy, Checked>) {
        clearFlags();
        pin(inputs...);
    }
}

template <CheckPolicy Policy, class... Ts>
inline void check(Ts&... results)
{
    if constexpr (std::same_as<Policy, Checked>) {
        pin(results...);
        const int raised = raisedFlags(kFaults);
        if (raised & FE_DIVBYZERO) throw platform::divisionByZeroError();
        if (raised & FE_OVERFLOW) throw platform::overflowError();
        if (raised & FE_INVALID) throw platform::invalidOperationError();
    }
    if (!(std::isfinite(results) && ...)) {
        if ((std::isnan(results) || ...)) throw platform::invalidOperationError();
        throw platform::overflowError();
    }
}

// The check after one step inside a stage (see above).
template <CheckPolicy Policy, class... Ts>
inline void checkStep(Ts&... results)
{
    if constexpr (std::same_as<Policy, Checked>) check<Checked>(results...);
}

}  // namespace fp
