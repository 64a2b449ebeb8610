// Memory probe: the installed physical memory in even megabytes; and the control's version text.
#include <windows.h>

#include "spec_check/probes/probes.h"
#include "spec_check/rules/memory_size.h"

namespace spec_check {

std::string ProbeMemory() {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    // A failed query leaves the record cleared: the total is then 0.
    GlobalMemoryStatusEx(&status);
    return MemoryText(status.ullTotalPhys);
}

// Fixed text, not read from the version resource (which says 1.0.1.3).
std::string SpecVersionText() { return "1,0,1,3s"; }

}  // namespace spec_check
