#include "text.h"

#include <algorithm>
#include <climits>
#include <new>
#include <vector>

namespace fw {

namespace {

// `count` bytes (-1: up to and with the terminator) -> UTF-16 units; nothing when the conversion
// fails or gives no units.
std::optional<std::wstring> MultiByteUnits(UINT codePage, DWORD flags, const char* bytes,
                                           int count) {
    const int units = MultiByteToWideChar(codePage, flags, bytes, count, nullptr, 0);
    if (units <= 0) return std::nullopt;
    std::wstring out(static_cast<size_t>(units), L'\0');
    if (MultiByteToWideChar(codePage, flags, bytes, count, out.data(), units) != units) {
        return std::nullopt;
    }
    return out;
}

}  // namespace

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
    if (!text || !*text) return {};
    const int bytes = WideCharToMultiByte(codePage, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 1) return {};
    std::string out(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(codePage, 0, text, -1, out.data(), bytes, nullptr, nullptr);
    out.resize(static_cast<size_t>(bytes - 1));
    return out;
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

std::wstring NarrowToWide(const std::string& text, UINT codePage) {
    if (text.empty()) return {};
    const int bytes = static_cast<int>(text.size());
    const int units = MultiByteToWideChar(codePage, 0, text.data(), bytes, nullptr, 0);
    if (units <= 0) return {};
    std::wstring out(static_cast<size_t>(units), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), bytes, out.data(), units);
    return out;
}

std::optional<std::wstring> NarrowFieldToWide(const char* field, UINT codePage) {
    auto wide = MultiByteUnits(codePage, 0, field, -1);
    // The units end with the terminator: the text is what comes before the first NUL.
    if (wide) wide->resize(std::min(wide->find(L'\0'), wide->size()));
    return wide;
}

std::optional<std::wstring> DecodeNarrow(const char* bytes, std::size_t size, UINT codePage,
                                         bool strict) {
    if (size == 0) return std::wstring();
    if (size > static_cast<std::size_t>(INT_MAX)) return std::nullopt;
    return MultiByteUnits(codePage, strict ? MB_ERR_INVALID_CHARS : 0, bytes,
                          static_cast<int>(size));
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
