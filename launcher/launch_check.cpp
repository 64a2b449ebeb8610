// Who may launch, and what a launch is refused with before anything is written: the checks both
// launch roads share.
#include <array>
#include <string>

#include "launch_policy.h"
#include "launcher/rules/launch_rules.h"
#include "launcher_ctrl.h"
#include "raii.h"
#include "text.h"

using launcher::LaunchResult;

bool IsVistaOrLater() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    static_assert(sizeof(OSVERSIONINFOA) == 148);
    return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT &&
           version.dwMajorVersion >= 6;
}

namespace {

// This process's program, by its full path; empty when it cannot be told.
std::string ProgramPath() {
    std::array<char, MAX_PATH + 1> path{};
    const DWORD length = GetModuleFileNameA(nullptr, path.data(), MAX_PATH);
    return length == 0 || length >= MAX_PATH ? std::string() : std::string(path.data(), length);
}

// Whether this process's program is the system's surrogate from the system folder: System32, or
// SysWOW64 for a 32-bit surrogate on 64-bit Windows.
bool RunsSystemSurrogate() {
    const std::string program = ProgramPath();
    std::array<char, MAX_PATH + 1> folder{};
    for (const auto ask : {&GetSystemDirectoryA, &GetSystemWow64DirectoryA}) {
        const UINT length = ask(folder.data(), MAX_PATH);
        if (length > 0 && length < MAX_PATH &&
            launcher::IsSurrogateImage(program, std::string(folder.data(), length))) {
            return true;
        }
    }
    return false;
}

// Whether this process runs with administrator rights: where the system has elevation (Vista on),
// its token must be elevated; before that, there is no elevated instance to tell apart.
bool HasElevatedToken() {
    if (!IsVistaOrLater()) return true;
    fw::Handle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put())) return false;
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    return GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation, &size) &&
           elevation.TokenIsElevated != 0;
}

// Whether this process is the system's COM surrogate running an elevated instance of this class:
// dllhost.exe from the system folder, with our AppID (some surrogates are named by the class
// instead) as its one argument, and an elevated token.
bool IsElevatedSurrogate() {
    const std::string commandLine = GetCommandLineA();
    bool named = false;
    for (const GUID* id : {&kLauncherAppId, &CLSID_QuellisLauncherVistaPlay}) {
        const std::wstring text = fw::GuidToString(*id);
        named = named ||
                launcher::IsSurrogateFor(commandLine, std::string(text.begin(), text.end()));
    }
    return named && RunsSystemSurrogate() && HasElevatedToken();
}

}  // namespace

bool CQuellisLauncherVistaPlay::MayLaunch() const {
    if (PageAllowed()) return true;
    if (HasClientSite()) return false;
    // No page: only the elevated instance. A page's script only ever reaches instances in its
    // own browser process.
    return IsElevatedSurrogate();
}

CQuellisLauncherVistaPlay::PreLaunch CQuellisLauncherVistaPlay::CheckBeforeLaunch(
    Target target, REGSAM keyAccess) const {
    PreLaunch check;
    const bool direct = keyAccess != 0;
    const LaunchResult refused =
        target == Target::Game ? LaunchResult::KeyNotOpened : LaunchResult::CParamNotWritten;
    if (m_bRegInfoRefused) {
        check.refusal = refused;
        return check;
    }
    const auto policy = ReadLaunchPolicy();
    if (target == Target::BoardGame) {
        std::array<char, launcher::kDirectoryBufferSize> windows{};
        GetWindowsDirectoryA(windows.data(), static_cast<UINT>(windows.size()));
        check.directory = windows.data();
        if (policy && !launcher::PolicyAllowsBoardGame(
                          *policy, launcher::BoardGameProgram(check.directory, m_szPathName),
                          launcher::BoardGameProgram(check.directory, ""), IsFieldLeadByte)) {
            check.refusal = refused;
        }
        return check;
    }
    // Before elevation the key matters only to judge the policy; without one, the elevated
    // instance opens it and answers for it.
    if (!direct && !policy) return check;
    if (check.key.OpenA(m_hRootKey, m_szRegKey, direct ? keyAccess : KEY_QUERY_VALUE) !=
        ERROR_SUCCESS) {
        check.refusal = refused;
        return check;
    }
    const auto installDir = ReadInstallDirectory(check.key.get(), m_szValueName);
    if (!installDir) {
        check.refusal = LaunchResult::DirectoryNotRead;
        return check;
    }
    check.directory = *installDir;
    // A program the machine's launch policy does not allow ends the launch here, as a key that
    // could not be opened.
    if (policy && !launcher::PolicyAllowsGame(
                      *policy, launcher::GameProgram(check.directory, m_szPathName),
                      IsFieldLeadByte)) {
        check.refusal = refused;
    }
    if (!direct) check.key.Close();
    return check;
}
