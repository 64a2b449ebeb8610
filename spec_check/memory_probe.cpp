// Memory probe: the installed physical memory in even megabytes; and the control's version text.
#include "spec_check/rules/memory_size.h"
#include "spec_check_ctrl.h"

BSTR CQuellisSpecCheckCtrl::GetStringMEMORY() {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    // A failed query leaves the record cleared: the total is then 0.
    GlobalMemoryStatusEx(&status);
    return ResultString(spec_check::MemoryText(status.ullTotalPhys));
}

BSTR CQuellisSpecCheckCtrl::GetStringSpecVer() {
    // Fixed text, not read from the version resource (which says 1.0.1.3).
    return ResultString("1,0,1,3s");
}
