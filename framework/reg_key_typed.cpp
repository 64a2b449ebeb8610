// Registry value reads that check the value's type. Apart from reg_key.cpp so that a program that
// calls none of them does not carry them: the linker takes whole objects from the framework
// library and keeps every function of an object it takes.
#include "raii.h"

namespace fw {

std::optional<std::wstring> RegKey::ReadTextW(HKEY key, const wchar_t* name, DWORD limitBytes) {
    // One unit more than the read may fill, zeroed: the text always ends inside the buffer.
    std::wstring data(limitBytes / sizeof(wchar_t) + 1, L'\0');
    DWORD size = limitBytes;
    DWORD type = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                         &size) != ERROR_SUCCESS ||
        type != REG_SZ) {
        return std::nullopt;
    }
    data.resize(data.find(L'\0'));
    return data;
}

LONG RegKey::ReadDwordW(HKEY key, const wchar_t* name, DWORD& value) {
    DWORD data = 0, size = sizeof data, type = 0;
    const LONG rc =
        RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size);
    if (rc != ERROR_SUCCESS) return rc;
    if (type != REG_DWORD || size != sizeof data) return ERROR_UNSUPPORTED_TYPE;
    value = data;
    return ERROR_SUCCESS;
}

LONG RegKey::ProbeValueW(HKEY key, const wchar_t* name) {
    return RegQueryValueExW(key, name, nullptr, nullptr, nullptr, nullptr);
}

}  // namespace fw
