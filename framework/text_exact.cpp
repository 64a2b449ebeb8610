// The exact conversion of text.h. Apart from text.cpp so that a program that does not call it
// does not carry it: the linker takes whole objects from the framework library and keeps every
// function of an object it takes.
#include "text.h"

namespace fw {

std::optional<std::string> WideToNarrowExact(const std::wstring& text, UINT codePage) {
    if (text.empty()) return std::string();
    const bool utf8 = codePage == CP_UTF8;
    // UTF-8 takes neither the flag nor the "default used" report.
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* const used = utf8 ? nullptr : &usedDefault;
    const int length = static_cast<int>(text.size());
    const int bytes =
        WideCharToMultiByte(codePage, flags, text.data(), length, nullptr, 0, nullptr, used);
    if (bytes <= 0 || usedDefault) return std::nullopt;
    std::string out(static_cast<size_t>(bytes), '\0');
    if (WideCharToMultiByte(codePage, flags, text.data(), length, out.data(), bytes, nullptr,
                            used) != bytes ||
        usedDefault) {
        return std::nullopt;
    }
    return out;
}

}  // namespace fw
