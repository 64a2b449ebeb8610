// The JSON library formats only short hexadecimal escapes with snprintf ("\\u%04x", "<U+%.4X>").
// The mingw-w64 runtime's own printf, with its floating-point conversions, is some 20 KB of the
// host; this answers the same calls through the system C library's, as C99 promises: the output
// always terminated, the length the whole text needs. Only the mingw-w64 toolchain needs it.
#if defined(__MINGW32__)
#include <cstdarg>
#include <cstddef>
#include <cstdio>

extern "C" int __cdecl __mingw_vsnprintf(char* buffer, std::size_t size, const char* format,
                                         va_list args) {
    va_list counted;
    va_copy(counted, args);
    const int needed = _vscprintf(format, counted);
    va_end(counted);
    if (size > 0) {
        const int written = _vsnprintf(buffer, size - 1, format, args);
        // The system's leaves a cut text without its terminator.
        if (written < 0 || static_cast<std::size_t>(written) >= size - 1) buffer[size - 1] = '\0';
    }
    return needed;
}
#endif
