// The facts the spec-check control reports. Each probe asks the system afresh on every call and
// keeps nothing; none of them knows the control. The control's dispatch methods turn the texts
// into BSTRs.
#pragma once

#include <optional>
#include <string>

#include "spec_check/rules/os_name.h"

namespace spec_check {

// The processor name the system records, leading spaces dropped; "Load Failed" when unreadable.
std::string ProbeCpuName();
// "64Bit" for a 32-bit process on 64-bit Windows, else "32Bit".
std::string ProbeCpuBits();

// The version facts Windows reports to this process, and the name they give.
OsFacts GatherOsFacts();
std::string ProbeOsName();

// Installed physical memory in even megabytes, "MB" behind.
std::string ProbeMemory();
// The control's fixed version text.
std::string SpecVersionText();

// Hardware address of every LAN adapter number NetBIOS knows, one per line.
std::string ProbeAdapterAddresses();

// Description of the last playback device DirectSound enumerates; empty when none.
// Throws std::bad_alloc when the description cannot be kept.
std::string ProbeSoundDevice();

}  // namespace spec_check
