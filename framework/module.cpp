#include "module.h"

namespace fw {

std::wstring Module::FileName(HINSTANCE instance) {
    wchar_t path[MAX_PATH + 1] = {};
    const DWORD len = GetModuleFileNameW(instance, path, MAX_PATH);
    return std::wstring(path, len < MAX_PATH ? len : MAX_PATH);
}

}  // namespace fw
