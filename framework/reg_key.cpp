// Registry value reads and writes: sizes, missing values, types and terminators handled here once.
#include "raii.h"

namespace fw {

std::optional<std::string> RegKey::ReadBytesA(HKEY key, const char* name, DWORD limit) {
    std::string data(limit, '\0');
    DWORD size = limit;
    if (RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()),
                         &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    // The size the read reports never passes the buffer; take no more than it returned.
    data.resize(size < limit ? size : limit);
    return data;
}

std::optional<std::string> RegKey::ReadAllBytesA(HKEY key, const char* name) {
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    if (size == 0) return std::string();
    // A value that grew since its size was asked fails with "more data" and writes nothing past
    // the buffer: it counts as unreadable.
    return ReadBytesA(key, name, size);
}

LONG RegKey::WriteBytesA(HKEY key, const char* name, DWORD type, const void* data, DWORD size) {
    return RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
}

LONG RegKey::WriteTextW(HKEY key, const wchar_t* name, const std::wstring& text) {
    const DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          bytes);
}

LONG RegKey::WriteDwordW(HKEY key, const wchar_t* name, DWORD value) {
    return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof value);
}

}  // namespace fw
