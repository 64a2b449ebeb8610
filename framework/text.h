// Conversions between UTF-16 (the interfaces) and narrow text in the calling thread's ANSI code
// page (everything inside the controls).
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cstddef>
#include <optional>
#include <string>

namespace fw {

// Narrow text -> BSTR, counting every byte (an inner NUL does not end the text). Empty text gives
// an empty BSTR, never null. Throws std::bad_alloc when the BSTR cannot be allocated.
BSTR NarrowToBstr(const std::string& text, UINT codePage = CP_THREAD_ACP);

// UTF-16 up to its terminator -> narrow text. A null pointer gives an empty text.
std::string WideToNarrow(const wchar_t* text, UINT codePage = CP_THREAD_ACP);

// UTF-16 of an explicit length (inner NULs kept) -> narrow text; empty when it cannot be converted.
std::string WideSpanToNarrow(const wchar_t* text, std::size_t length, UINT codePage);

// UTF-16 -> narrow text in which every character has its exact form (best-fit replacements count
// as none); nothing when one has none. Every character has one in UTF-8.
std::optional<std::string> WideToNarrowExact(const std::wstring& text, UINT codePage);

// Narrow text -> UTF-16.
std::wstring NarrowToWide(const std::string& text, UINT codePage = CP_THREAD_ACP);

// `size` bytes (inner NULs kept) -> UTF-16; nothing when the code page cannot convert them or, with
// `strict`, when they hold a sequence invalid in it. No bytes give an empty text.
std::optional<std::wstring> DecodeNarrow(const char* bytes, std::size_t size, UINT codePage,
                                         bool strict);

// A string resource of this module (the module's own strings), empty when absent.
std::wstring LoadResString(HINSTANCE instance, UINT id);

// "{XXXXXXXX-...}" for a GUID.
std::wstring GuidToString(REFGUID guid);

// The decimal digits of a number, as std::to_wstring writes them (which would link the C
// runtime's whole formatted printing into the controls).
std::wstring DecimalText(unsigned long value);

}  // namespace fw
