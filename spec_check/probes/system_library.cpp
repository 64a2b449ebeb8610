#include "spec_check/probes/system_library.h"

#include <array>
#include <string>

namespace spec_check {

fw::Library LoadSystemLibrary(const char* name) {
    std::array<char, MAX_PATH> dir{};
    const UINT n = GetSystemDirectoryA(dir.data(), static_cast<UINT>(dir.size()));
    // Without the folder's name the DLL is not loaded at all rather than searched for.
    if (n == 0 || n >= dir.size()) return fw::Library();
    return fw::Library((std::string(dir.data(), n) + "\\" + name).c_str());
}

}  // namespace spec_check
