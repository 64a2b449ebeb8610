#include "system_library.h"

#include <array>
#include <string>

namespace fw {

Library LoadSystemLibrary(const char* name) {
    std::array<char, MAX_PATH> dir{};
    const UINT n = GetSystemDirectoryA(dir.data(), static_cast<UINT>(dir.size()));
    if (n == 0 || n >= dir.size()) return Library();
    return Library((std::string(dir.data(), n) + "\\" + name).c_str());
}

}  // namespace fw
