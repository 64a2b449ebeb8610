// Windows XP and Server 2003 only: reached solely through the assembler symbol
// "__imp__GetTickCount64@0" below, so that the DLLs load where kernel32 has no GetTickCount64.
// The posix-thread runtime that this toolchain links statically imports GetTickCount64, which
// Windows XP's kernel32 lacks: a module importing it would not load there. This supplies the
// import slot the runtime links against: kernel32's own function where it exists, else a 64-bit
// count built from GetTickCount. Only the mingw-w64 toolchain needs it.
#if defined(__MINGW32__)
#include <windows.h>

namespace {

ULONGLONG WINAPI TickCount64() {
    using Fn = ULONGLONG(WINAPI*)();
    static const Fn system = reinterpret_cast<Fn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetTickCount64")));
    if (system) return system();
    // Widens the 32-bit count, carrying each wrap-around (the caller measures short waits).
    static DWORD last = 0;
    static ULONGLONG high = 0;
    const DWORD now = GetTickCount();
    if (now < last) high += 0x100000000ULL;
    last = now;
    return high + now;
}

}  // namespace

extern "C" {
ULONGLONG(WINAPI* xp_compat_GetTickCount64)() __asm__("__imp__GetTickCount64@0") = TickCount64;
}
#endif
