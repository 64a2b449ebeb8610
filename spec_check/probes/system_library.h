// System DLLs and functions the probes look up at run time, so that a PC without one still
// creates the control and gets that probe's own failure answer.
#pragma once

#include <windows.h>

#include "raii.h"

namespace spec_check {

// A DLL of the system folder, loaded by its full path so that no copy in the current or the
// page's folder is picked up. Empty when it cannot be loaded.
fw::Library LoadSystemLibrary(const char* name);

// A function of kernel32, which every Windows process has loaded: looked up without loading
// anything or building a path. Null when this Windows lacks it.
template <typename Fn>
Fn KernelProc(const char* name) {
    const HMODULE kernel = GetModuleHandleA("kernel32.dll");
    return kernel ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(kernel, name)))
                  : nullptr;
}

}  // namespace spec_check
