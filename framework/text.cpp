#include "text.h"

#include <climits>
#include <cwchar>
#include <new>
#include <utility>
#include <vector>

namespace fw {

BSTR NarrowToBstr(const std::string& text, UINT codePage) {
    const int bytes = static_cast<int>(text.size());
    int units = 0;
    if (bytes > 0) {
        units = MultiByteToWideChar(codePage, 0, text.data(), bytes, nullptr, 0);
        if (units <= 0) units = 0;  // unconvertible text comes back empty rather than failing
    }
    BSTR result = SysAllocStringLen(nullptr, static_cast<UINT>(units));
    if (!result) throw std::bad_alloc();
    if (units > 0) MultiByteToWideChar(codePage, 0, text.data(), bytes, result, units);
    return result;
}

std::string WideToNarrow(const wchar_t* text, UINT codePage) {
    return text ? WideSpanToNarrow(text, wcslen(text), codePage) : std::string();
}

std::string WideSpanToNarrow(const wchar_t* text, std::size_t length, UINT codePage) {
    if (length == 0) return {};
    const int units = static_cast<int>(length);
    const int bytes = WideCharToMultiByte(codePage, 0, text, units, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return {};
    std::string out(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(codePage, 0, text, units, out.data(), bytes, nullptr, nullptr);
    return out;
}

std::wstring NarrowToWide(const std::string& text, UINT codePage) {
    auto wide = DecodeNarrow(text.data(), text.size(), codePage, false);
    return wide ? std::move(*wide) : std::wstring();
}

std::optional<std::wstring> DecodeNarrow(const char* bytes, std::size_t size, UINT codePage,
                                         bool strict) {
    if (size == 0) return std::wstring();
    if (size > static_cast<std::size_t>(INT_MAX)) return std::nullopt;
    const DWORD flags = strict ? MB_ERR_INVALID_CHARS : 0;
    const int count = static_cast<int>(size);
    const int units = MultiByteToWideChar(codePage, flags, bytes, count, nullptr, 0);
    if (units <= 0) return std::nullopt;
    std::wstring out(static_cast<size_t>(units), L'\0');
    if (MultiByteToWideChar(codePage, flags, bytes, count, out.data(), units) != units) {
        return std::nullopt;
    }
    return out;
}

std::wstring LoadResString(HINSTANCE instance, UINT id) {
    const wchar_t* text = nullptr;
    // Length 0 asks for a read-only pointer into the resource itself.
    const int len = LoadStringW(instance, id, reinterpret_cast<LPWSTR>(&text), 0);
    if (len <= 0 || !text) return {};
    return std::wstring(text, static_cast<size_t>(len));
}

std::wstring GuidToString(REFGUID guid) {
    wchar_t buf[40] = {};
    StringFromGUID2(guid, buf, 40);
    return buf;
}

std::wstring DecimalText(unsigned long value) {
    const std::string digits = std::to_string(value);
    return std::wstring(digits.begin(), digits.end());
}

}  // namespace fw
