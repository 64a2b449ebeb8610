#include "registry_tree.h"

#include <string>
#include <vector>

#include "raii.h"

namespace fw {
namespace {

bool Missing(LONG rc) { return rc == ERROR_FILE_NOT_FOUND || rc == ERROR_PATH_NOT_FOUND; }

}  // namespace

LONG DeleteKeyTree(HKEY parent, const wchar_t* name) {
    RegKey key;
    LONG rc = key.OpenW(parent, name, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE);
    if (Missing(rc)) return ERROR_SUCCESS;
    if (rc != ERROR_SUCCESS) return rc;
    // The sub-keys' names are read first and deleted after, so that a sub-key that cannot be
    // deleted ends the walk with an error instead of being met again and again.
    // Buffers live on the heap: the walk recurses once per level of the tree.
    std::vector<std::wstring> children;
    std::wstring buffer(256, L'\0');  // key names hold at most 255 characters
    for (DWORD index = 0;; ++index) {
        DWORD length = static_cast<DWORD>(buffer.size());
        rc = RegEnumKeyExW(key.get(), index, buffer.data(), &length, nullptr, nullptr, nullptr,
                           nullptr);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc != ERROR_SUCCESS) return rc;
        children.emplace_back(buffer.data(), length);
    }
    for (const std::wstring& child : children) {
        rc = DeleteKeyTree(key.get(), child.c_str());
        if (rc != ERROR_SUCCESS) return rc;
    }
    key.Close();
    rc = RegDeleteKeyW(parent, name);
    return Missing(rc) ? ERROR_SUCCESS : rc;
}

}  // namespace fw
