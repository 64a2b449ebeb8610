// Conversions between UTF-16 (the interfaces) and narrow text in the calling thread's ANSI code
// page (everything inside the controls).
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>

namespace fw {

// Narrow text -> BSTR, counting every byte (an inner NUL does not end the text). Empty text gives
// an empty BSTR, never null. Throws std::bad_alloc when the BSTR cannot be allocated.
BSTR NarrowToBstr(const std::string& text, UINT codePage = CP_THREAD_ACP);

// UTF-16 up to its terminator -> narrow text. A null pointer gives an empty text.
std::string WideToNarrow(const wchar_t* text, UINT codePage = CP_THREAD_ACP);

// Narrow text -> UTF-16.
std::wstring NarrowToWide(const std::string& text, UINT codePage = CP_THREAD_ACP);

// A string resource of this module (the module's own strings), empty when absent.
std::wstring LoadResString(HINSTANCE instance, UINT id);

// "{XXXXXXXX-...}" for a GUID.
std::wstring GuidToString(REFGUID guid);

// The decimal digits of a number, as std::to_wstring writes them (which would link the C
// runtime's whole formatted printing into the controls).
std::wstring DecimalText(unsigned long value);

}  // namespace fw
