// Processor probes: the processor's name as the system records it, and the system's bitness.
#include <windows.h>


#include "raii.h"
#include "spec_check/probes/probes.h"
#include "spec_check/probes/system_library.h"
#include "spec_check/rules/cpu_name.h"

namespace spec_check {

std::string ProbeCpuName() {
    fw::RegKey key;
    if (key.OpenA(HKEY_LOCAL_MACHINE, "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0",
                  KEY_QUERY_VALUE) != ERROR_SUCCESS) {
        return "Load Failed";
    }
    const auto name = key.ReadBytesA("ProcessorNameString", kCpuNameBufferSize);
    if (!name) return "Load Failed";
    return TrimLeadingSpaces(TextUpToNul(name->data(), name->size()));
}

std::string ProbeCpuBits() {
    using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
    BOOL wow64 = FALSE;
    // Looked up at run time: Windows versions before XP SP2 lack it.
    if (const auto isWow64 = KernelProc<IsWow64ProcessFn>("IsWow64Process")) {
        isWow64(GetCurrentProcess(), &wow64);
    }
    return wow64 ? "64Bit" : "32Bit";
}

}  // namespace spec_check
