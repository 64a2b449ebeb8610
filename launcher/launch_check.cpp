// Who may launch, and what a launch is refused with before anything is written: the checks both
// launch roads share.
#include <array>

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

bool CQuellisLauncherVistaPlay::MayLaunch() const {
    if (PageAllowed()) return true;
    if (HasClientSite()) return false;
    // No page: only the elevated instance, which the system's surrogate runs for our AppID (some
    // surrogates are named by the class instead). A page's script only ever reaches instances in
    // its own browser process.
    const std::string commandLine = GetCommandLineA();
    for (const GUID* id : {&kLauncherAppId, &CLSID_QuellisLauncherVistaPlay}) {
        const std::wstring text = fw::GuidToString(*id);
        if (launcher::IsSurrogateFor(commandLine, std::string(text.begin(), text.end()))) {
            return true;
        }
    }
    return false;
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
