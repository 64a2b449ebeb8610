// Machine keys: the gate program computes a key, leaves it in the registry and ends; the probe
// starts it, waits for it, reads the key once and deletes it.
#include <windows.h>
#include <shellapi.h>
#include <tlhelp32.h>
// Version 1: GetModuleFileNameExA from psapi.dll, which every Windows from XP on has.
#define PSAPI_VERSION 1
#include <psapi.h>

#include <algorithm>
#include <array>

#include "raii.h"
#include "spec_check/probes/probes.h"
#include "spec_check/rules/cpu_name.h"
#include "spec_check/rules/machine_key.h"

// The process walk reads module paths as narrow text: the ANSI snapshot record and functions.
#undef PROCESSENTRY32
#undef Process32First
#undef Process32Next
static_assert(sizeof(PROCESSENTRY32) == 296);
static_assert(sizeof(SHELLEXECUTEINFOA) == 60);

namespace spec_check {

namespace {

constexpr char kGateProgram[] = "QuellisGateLauncher.exe";
// Handed over as written: the shell is asked for no expansion.
constexpr char kGateDirectory[] = "%windir%";
constexpr char kKeyPath[] = "Software\\Zolmet";
constexpr int kLocalMachine = 2;

HKEY RootKey(int rootNumber) {
    switch (rootNumber) {
        case 0: return HKEY_CLASSES_ROOT;
        case 1: return HKEY_CURRENT_USER;
        default: return HKEY_LOCAL_MACHINE;
    }
}

}  // namespace

bool IsGateProgramRunning(const char* fileName) {
    const fw::Handle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot.valid()) return false;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot.get(), &entry); more;
         more = Process32Next(snapshot.get(), &entry)) {
        std::array<char, MAX_PATH> path{};
        DWORD length = 0;
        {
            const fw::Handle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ,
                                                 FALSE, entry.th32ProcessID));
            if (!process.valid()) continue;
            length = GetModuleFileNameExA(process.get(), nullptr, path.data(),
                                          static_cast<DWORD>(path.size()));
        }
        if (length == 0) continue;
        if (IsProgramPath(TextUpToNul(path.data(), std::min<std::size_t>(length, path.size())),
                          fileName)) {
            return true;
        }
    }
    return false;
}

std::string ReadRegistryText(int rootNumber, const char* keyPath, const char* valueName) {
    fw::RegKey key;
    if (key.OpenA(RootKey(rootNumber), keyPath, KEY_READ) != ERROR_SUCCESS) return "Open fail";
    // A value that grew since its size was asked counts as unreadable.
    const auto bytes = key.ReadAllBytesA(valueName);
    if (!bytes) return {};
    return TextUpToNul(bytes->data(), bytes->size());
}

bool DeleteRegistryValue(int rootNumber, const char* valueName) {
    fw::RegKey key;
    if (key.OpenA(RootKey(rootNumber), kKeyPath, KEY_WRITE) != ERROR_SUCCESS) return false;
    return RegDeleteValueA(key.get(), valueName) == ERROR_SUCCESS;
}

std::string RunGateProgram(const char* argument, const char* valueName) {
    std::array<char, MAX_PATH> found{};
    const auto code = reinterpret_cast<INT_PTR>(FindExecutableA(kGateProgram, kGateDirectory,
                                                                found.data()));
    if (code < 32) return std::to_string(static_cast<int>(code));
    if (IsGateProgramRunning(kGateProgram)) return "-7";

    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_DDEWAIT;
    info.hwnd = nullptr;
    info.lpVerb = "open";
    info.lpFile = kGateProgram;
    info.lpParameters = argument;
    info.lpDirectory = kGateDirectory;
    info.nShow = SW_HIDE;
    if (!ShellExecuteExA(&info)) return "-999";
    DWORD waited = WAIT_FAILED;
    {
        const fw::Handle process(info.hProcess);
        waited = WaitForSingleObject(process.get(), INFINITE);
    }
    if (waited != WAIT_OBJECT_0) return {};

    std::string text = ReadRegistryText(kLocalMachine, kKeyPath, valueName);
    DeleteRegistryValue(kLocalMachine, valueName);  // its outcome changes nothing
    return text;
}

std::string ProbeCpuKey() { return RunGateProgram(" cpukey", "cpukey"); }
std::string ProbeHddKey() { return RunGateProgram(" hddkey", "hddkey"); }

}  // namespace spec_check
