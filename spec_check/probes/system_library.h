// System DLLs and functions the probes look up at run time, so that a PC without one still
// creates the control and gets that probe's own failure answer.
#pragma once

#include <windows.h>

#include "raii.h"

namespace spec_check {

// A DLL of the system folder, loaded by its full path so that no copy in the current or the
// page's folder is picked up. Empty when it cannot be loaded.
fw::Library LoadSystemLibrary(const char* name);

}  // namespace spec_check
