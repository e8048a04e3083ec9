// The 32-bit Windows build runs its arithmetic in SSE2 registers (see
// cmake/mingw-w64-i686.cmake). On a processor without SSE2, older than the
// Pentium 4 and the Athlon 64, the first such instruction would end the
// program with an illegal-instruction fault and no word of why. This check
// runs first, in the program's first constructor, before any of the
// program's own code, and ends it with one message box that says why. It is
// compiled without SSE (kovra/platform/win32/CMakeLists.txt), so that it runs
// on any processor.
#include <windows.h>

#include <cpuid.h>

namespace {

// The status of a program that did nothing, as kovra's when its files cannot be opened.
constexpr UINT kRefused = 2;

bool hasSse2()
{
    unsigned int eax, ebx, ecx, edx;
    return __get_cpuid(1, &eax, &ebx, &ecx, &edx) && (edx & bit_SSE2);
}

__attribute__((constructor(101))) void refuseWithoutSse2()
{
    if (hasSse2()) return;
    MessageBoxW(nullptr,
                L"Este programa necesita un procesador con SSE2 (Pentium 4, Athlon 64 o posterior); "
                L"el de este equipo no lo tiene.\n\n"
                L"This program needs a processor with SSE2 (Pentium 4, Athlon 64 or later); "
                L"this computer's has none.",
                L"RUK - 3", MB_OK | MB_ICONERROR);
    ExitProcess(kRefused);
}

}  // namespace
