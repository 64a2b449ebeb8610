// DLLs of the system folder, loaded at run time by their full path.
#pragma once

#include "raii.h"

namespace fw {

// A DLL of the system folder, loaded by its full path so that no copy of the same name in the
// current, the page's or the downloads folder is picked up. Empty when it cannot be loaded, or
// when the folder's name cannot be had (then nothing is searched for).
[[nodiscard]] Library LoadSystemLibrary(const char* name);

}  // namespace fw
