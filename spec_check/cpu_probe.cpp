// Processor probes: the processor's name as the system records it, and the system's bitness.
#include <array>

#include "raii.h"
#include "spec_check/rules/cpu_name.h"
#include "spec_check_ctrl.h"

BSTR CQuellisSpecCheckCtrl::GetStringCPU() {
    std::string text;
    std::array<char, spec_check::kCpuNameBufferSize> buffer{};
    fw::RegKey key;
    if (key.OpenA(HKEY_LOCAL_MACHINE, "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0",
                  KEY_QUERY_VALUE) != ERROR_SUCCESS) {
        text = "Load Failed";
    } else {
        DWORD size = static_cast<DWORD>(buffer.size());
        if (RegQueryValueExA(key.get(), "ProcessorNameString", nullptr, nullptr,
                             reinterpret_cast<BYTE*>(buffer.data()), &size) != ERROR_SUCCESS) {
            text = "Load Failed";
        } else {
            // The size the query reports never passes the buffer; take no more than it returned.
            text = spec_check::TextUpToNul(buffer.data(), size < buffer.size() ? size : buffer.size());
        }
    }
    key.Close();
    return ResultString(spec_check::TrimLeadingSpaces(text));
}

BSTR CQuellisSpecCheckCtrl::GetStringCPUBit() {
    using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
    BOOL wow64 = FALSE;
    // Looked up at run time: Windows versions before XP SP2 lack it.
    const auto isWow64 = reinterpret_cast<IsWow64ProcessFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32"), "IsWow64Process")));
    if (isWow64) isWow64(GetCurrentProcess(), &wow64);
    return ResultString(wow64 ? "64Bit" : "32Bit");
}
