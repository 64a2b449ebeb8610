#include "process_counters.h"

#include <windows.h>
#include <psapi.h>
#include <winternl.h>

#include <vector>

#include "bench/rules/figures.h"
#include "raii.h"

namespace bench {

namespace {

constexpr ULONG kSystemHandleInformation = 16;
constexpr NTSTATUS kInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004L);

std::optional<std::int64_t> ProcessHandleCount() {
    DWORD count = 0;
    if (!GetProcessHandleCount(GetCurrentProcess(), &count)) return std::nullopt;
    return count;
}

// This process's entries in the system's handle table.
std::optional<std::int64_t> SystemHandleTableCount() {
    using QueryFn = NTSTATUS(NTAPI*)(ULONG, PVOID, ULONG, PULONG);
    static const auto query = reinterpret_cast<QueryFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (!query) return std::nullopt;
    std::vector<unsigned char> buffer(64 * 1024);
    for (int attempt = 0; attempt < 8; ++attempt) {
        ULONG needed = 0;
        const NTSTATUS status = query(kSystemHandleInformation, buffer.data(),
                                      static_cast<ULONG>(buffer.size()), &needed);
        if (status == kInfoLengthMismatch) {
            buffer.resize(needed > buffer.size() ? needed + 4096 : buffer.size() * 2);
            continue;
        }
        if (status < 0) return std::nullopt;
        const auto mine = CountProcessHandles(buffer.data(), buffer.size(), GetCurrentProcessId());
        if (!mine) return std::nullopt;
        return static_cast<std::int64_t>(*mine);
    }
    return std::nullopt;
}

std::optional<std::int64_t> PrivateUsage() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(),
                              reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                              sizeof counters)) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(counters.PrivateUsage);
}

// Committed private memory, region by region, as VirtualQuery reports it.
std::optional<std::int64_t> CommittedPrivateBytes() {
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    std::int64_t total = 0;
    auto* address = static_cast<unsigned char*>(system.lpMinimumApplicationAddress);
    MEMORY_BASIC_INFORMATION region{};
    while (address < system.lpMaximumApplicationAddress &&
           VirtualQuery(address, &region, sizeof region) == sizeof region) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) {
            total += static_cast<std::int64_t>(region.RegionSize);
        }
        address = static_cast<unsigned char*>(region.BaseAddress) + region.RegionSize;
    }
    return total;
}

bool MovesWithOneHandle(const Counter& counter) {
    const auto before = counter.read();
    if (!before) return false;
    std::optional<std::int64_t> during;
    {
        const fw::Handle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        if (!event) return false;
        during = counter.read();
    }
    const auto after = counter.read();
    return during && after && *during == *before + 1 && *after == *before;
}

bool MovesWithCommittedMemory(const Counter& counter) {
    constexpr SIZE_T kBytes = 16 << 20;
    const auto before = counter.read();
    if (!before) return false;
    void* block = VirtualAlloc(nullptr, kBytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!block) return false;
    for (SIZE_T at = 0; at < kBytes; at += 4096) static_cast<volatile char*>(block)[at] = 1;
    const auto during = counter.read();
    VirtualFree(block, 0, MEM_RELEASE);
    return during && *during - *before >= static_cast<std::int64_t>(kBytes / 4 * 3);
}

std::optional<Counter> FirstVerified(std::initializer_list<Counter> candidates,
                                     bool (*moves)(const Counter&), std::string* rejected) {
    for (const Counter& counter : candidates) {
        if (moves(counter)) return counter;
        if (rejected) {
            const auto value = counter.read();
            *rejected += (rejected->empty() ? "" : "; ") + counter.source +
                         (value ? " does not move (reads " + std::to_string(*value) + ")"
                                : " gives no answer");
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<Counter> VerifiedHandleCounter(std::string* rejected) {
    return FirstVerified({{"GetProcessHandleCount", &ProcessHandleCount},
                          {"system handle table", &SystemHandleTableCount}},
                         &MovesWithOneHandle, rejected);
}

std::optional<Counter> VerifiedPrivateBytesCounter(std::string* rejected) {
    return FirstVerified({{"PrivateUsage", &PrivateUsage},
                          {"committed private regions", &CommittedPrivateBytes}},
                         &MovesWithCommittedMemory, rejected);
}

}  // namespace bench
