// GetTickCount64 for the thread layer of the run-time, on every Windows from
// XP on.
//
// libwinpthread, the thread layer under std::thread, calls GetTickCount64,
// which KERNEL32 exports from Windows Vista on only: imported, it would keep
// both programs from starting on Windows XP ("entry point not found"). This
// object defines the import's pointer itself, under the import's own name, so
// the linker takes it instead of KERNEL32's entry. At the first call the
// pointer is set to the system's function where there is one, and to
// GetTickCount widened to 64 bits elsewhere.
#include <windows.h>

#include <atomic>
#include <cstdint>

#include "tickcount.h"

namespace {

using TickCount64 = ULONGLONG(WINAPI*)();

// Every thread's calls go through one count, so that it never runs backwards.
ULONGLONG WINAPI tickCountWidened()
{
    static std::atomic<uint64_t> last{0};
    uint64_t before = last.load();
    for (;;) {
        const uint64_t now = platform::win32::widenedTickCount(before, GetTickCount());
        if (last.compare_exchange_weak(before, now)) return now;
    }
}

ULONGLONG WINAPI firstTickCount64();

}  // namespace

// The pointer libwinpthread calls through: the import's name is decorated
// with the stdcall suffix on 32 bits.
#if defined(__i386__)
#define RUK_TICKCOUNT64_IMPORT "__imp__GetTickCount64@0"
#else
#define RUK_TICKCOUNT64_IMPORT "__imp_GetTickCount64"
#endif
extern "C" {
TickCount64 tickCount64Import asm(RUK_TICKCOUNT64_IMPORT) = firstTickCount64;
}

namespace {

ULONGLONG WINAPI firstTickCount64()
{
    const FARPROC system = GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetTickCount64");
    const TickCount64 chosen =
        system ? reinterpret_cast<TickCount64>(reinterpret_cast<void (*)()>(system)) : tickCountWidened;
    __atomic_store_n(&tickCount64Import, chosen, __ATOMIC_RELEASE);
    return chosen();
}

}  // namespace
