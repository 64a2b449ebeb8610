// System DLLs and functions the probes look up at run time, so that a PC without one still
// creates the control and gets that probe's own failure answer.
#pragma once

#include <windows.h>

#include "raii.h"
#include "framework/system_library.h"

namespace spec_check {

// A DLL of the system folder, by its full path (the framework's loader).
using fw::LoadSystemLibrary;

// A function of kernel32, which every Windows process has loaded: looked up without loading
// anything or building a path. Null when this Windows lacks it.
template <typename Fn>
Fn KernelProc(const char* name) {
    const HMODULE kernel = GetModuleHandleA("kernel32.dll");
    return kernel ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(kernel, name)))
                  : nullptr;
}

}  // namespace spec_check
