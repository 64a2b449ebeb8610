// Processor probes: the processor's name as the system records it, and the system's bitness.
#include <windows.h>

#include <array>

#include "raii.h"
#include "spec_check/probes/probes.h"
#include "spec_check/probes/system_library.h"
#include "spec_check/rules/cpu_name.h"

namespace spec_check {

std::string ProbeCpuName() {
    std::array<char, kCpuNameBufferSize> buffer{};
    fw::RegKey key;
    if (key.OpenA(HKEY_LOCAL_MACHINE, "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0",
                  KEY_QUERY_VALUE) != ERROR_SUCCESS) {
        return "Load Failed";
    }
    DWORD size = static_cast<DWORD>(buffer.size());
    if (RegQueryValueExA(key.get(), "ProcessorNameString", nullptr, nullptr,
                         reinterpret_cast<BYTE*>(buffer.data()), &size) != ERROR_SUCCESS) {
        return "Load Failed";
    }
    // The size the query reports never passes the buffer; take no more than it returned.
    const std::size_t length = size < buffer.size() ? size : buffer.size();
    return TrimLeadingSpaces(TextUpToNul(buffer.data(), length));
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
