// Reads the machine launch policy that a portal's installer may write below the local machine,
// and hands it with the program a launch composed to the policy rules.
#include "launch_policy.h"

#include <array>
#include <vector>

#include "launcher_ctrl.h"
#include "raii.h"

namespace {

// The policy is the machine's: read in the 32-bit view, where this 32-bit control reads the
// local machine anyway, whatever process it runs in.
constexpr REGSAM kPolicyAccess = KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS | KEY_WOW64_32KEY;
// Longest entry text read from the policy; longer entries are skipped and allow nothing.
constexpr DWORD kEntrySize = 1024;

// The texts of the string values of a policy subkey, in the order the registry lists them.
std::vector<std::string> StringValues(HKEY key) {
    std::vector<std::string> texts;
    for (DWORD index = 0;; ++index) {
        std::array<char, 16384> name{};
        DWORD nameSize = static_cast<DWORD>(name.size());
        std::array<char, kEntrySize> data{};
        DWORD dataSize = static_cast<DWORD>(data.size());
        DWORD type = 0;
        const LONG rc = RegEnumValueA(key, index, name.data(), &nameSize, nullptr, &type,
                                      reinterpret_cast<BYTE*>(data.data()), &dataSize);
        if (rc == ERROR_MORE_DATA) continue;
        if (rc != ERROR_SUCCESS) break;
        if (type != REG_SZ) continue;
        const size_t length = std::min<size_t>(dataSize, data.size());
        texts.push_back(launcher::TextOfValue(data.data(), length));
    }
    return texts;
}

// The installation directory a listed location holds, read as the game launch reads one.
std::optional<std::string> DirectoryAt(const launcher::PolicyLocation& location) {
    fw::RegKey key;
    if (key.OpenA(RootKey(location.root), location.keyPath.c_str(), KEY_QUERY_VALUE) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    return ReadInstallDirectory(key.get(), location.valueName.c_str());
}

}  // namespace

std::optional<std::string> ReadDirectoryValue(HKEY key, const char* valueName) {
    const auto data = fw::RegKey::ReadBytesA(key, valueName, launcher::kDirectoryBufferSize);
    if (!data) return std::nullopt;
    // Only the bytes the read returned count, whether or not they hold a terminator.
    return launcher::TextOfValue(data->data(), data->size());
}

std::optional<std::string> ReadInstallDirectory(HKEY key, const char* valueName) {
    if (launcher::IsLaunchOutputValue(valueName)) return std::nullopt;
    auto directory = ReadDirectoryValue(key, valueName);
    // A directory that is not an absolute local path would let the system complete it with the
    // current drive or folder, or reach a share or device: no directory at all.
    if (!directory || !launcher::IsAbsoluteLocalDirectory(*directory)) return std::nullopt;
    return directory;
}

std::optional<launcher::LaunchPolicy> ReadLaunchPolicy() {
    fw::RegKey policyKey;
    const LONG opened =
        policyKey.OpenA(HKEY_LOCAL_MACHINE, launcher::kPolicyKeyPath, kPolicyAccess);
    if (opened == ERROR_FILE_NOT_FOUND) return std::nullopt;
    launcher::LaunchPolicy policy;
    if (opened != ERROR_SUCCESS) return policy;

    fw::RegKey locations;
    if (locations.OpenA(policyKey.get(), launcher::kPolicyLocationsKey, kPolicyAccess) ==
        ERROR_SUCCESS) {
        for (const auto& text : StringValues(locations.get())) {
            const auto location = launcher::ParsePolicyLocation(text, IsFieldLeadByte);
            if (!location) continue;
            if (auto directory = DirectoryAt(*location)) policy.directories.push_back(*directory);
        }
    }
    fw::RegKey programs;
    const LONG listed =
        programs.OpenA(policyKey.get(), launcher::kPolicyProgramsKey, kPolicyAccess);
    if (listed != ERROR_FILE_NOT_FOUND) {
        policy.programsListed = true;
        if (listed == ERROR_SUCCESS) policy.programs = StringValues(programs.get());
    }
    return policy;
}
