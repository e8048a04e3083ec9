# 32-bit Windows (i686), the build that is shipped: it runs on Windows XP SP3
# and every later 32- or 64-bit Windows.
#
# The arithmetic is chosen, not inherited, so that every result is the bits of
# the 64-bit and Linux builds. i686 code computes in x87 registers by default,
# at 64-bit precision: each value rounded twice (to 64 bits, then to 53 when it
# is stored), which changes thousands of stage results. So:
# - this program's own code runs every double operation in SSE2 registers
#   (-msse2 -mfpmath=sse), each rounded once as on x86-64. That needs a
#   Pentium 4, Athlon 64 or later; both programs refuse to start on an older
#   processor (platform/win32/sse2check.cpp).
# - Windows keeps the stack aligned to 4 bytes only, SSE2 code wants 16:
#   -mstackrealign realigns it in each function that needs it, so that a call
#   from Windows or from the prebuilt libraries cannot misplace an aligned slot.
# - the prebuilt libraries (libstdc++'s from_chars among them) are x87 code:
#   CRT_fp8.o sets the x87 precision to 53 bits in every thread the run-time
#   starts (its _fpreset), so that their operations round once to a double too.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(RUK_MINGW_TARGET i686-w64-mingw32)
set(RUK_MINGW_LINKER_FLAGS -l:CRT_fp8.o)
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse -mstackrealign")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse -mstackrealign")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
