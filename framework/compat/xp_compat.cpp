// Windows XP and Server 2003 only: reached solely through the assembler symbol
// "__imp__GetTickCount64@0" below, so that the DLLs load where kernel32 has no GetTickCount64.
// The posix-thread runtime that this toolchain links statically imports GetTickCount64, which
// Windows XP's kernel32 lacks: a module importing it would not load there. This supplies the
// import slot the runtime links against: kernel32's own function where it exists, else a 64-bit
// count built from GetTickCount. Only the mingw-w64 toolchain needs it.
#if defined(__MINGW32__)
#include <windows.h>

#include "rules/tick_count.h"

namespace {

ULONGLONG WINAPI TickCount64() {
    // Looked up on each call rather than kept in a local static, whose first use from two threads
    // would need the runtime's lock.
    using Fn = ULONGLONG(WINAPI*)();
    const Fn system = reinterpret_cast<Fn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetTickCount64")));
    if (system) return system();
    // Widens the 32-bit count, carrying each wrap-around (the caller measures short waits). Any
    // thread may ask: the widener's state is changed by one thread at a time.
    static fw::TickWidener widener;
    static LONG busy = 0;
    while (InterlockedExchange(&busy, 1) != 0) Sleep(0);
    const ULONGLONG wide = widener.Widen(GetTickCount());
    InterlockedExchange(&busy, 0);
    return wide;
}

}  // namespace

extern "C" {
ULONGLONG(WINAPI* xp_compat_GetTickCount64)() __asm__("__imp__GetTickCount64@0") = TickCount64;
}
#endif
