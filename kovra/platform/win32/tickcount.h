// A 64-bit millisecond count from the 32-bit one of GetTickCount, which wraps
// to 0 every 49.7 days: the stand-in for GetTickCount64 on Windows XP
// (tickcount64.cpp). Plain arithmetic, so that the Linux build tests it.
#pragma once

#include <cstdint>

namespace platform::win32 {

// The count now, from the one given before and GetTickCount's value now: a
// value below the low half of the one before means a wrap in between. Right as
// long as two calls are never 49.7 days apart.
inline uint64_t widenedTickCount(uint64_t before, uint32_t now)
{
    const uint64_t wraps = (before >> 32) + (now < static_cast<uint32_t>(before) ? 1 : 0);
    return (wraps << 32) | now;
}

}  // namespace platform::win32
