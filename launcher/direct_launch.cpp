// Launches in this process: the game from its installation directory, or a board game from the
// system folder.
#include <array>
#include <vector>

#include "launch_policy.h"
#include "launcher/rules/launch_rules.h"
#include "launcher_ctrl.h"
#include "raii.h"
#include "text.h"

namespace {

constexpr REGSAM kLaunchKeyAccess = KEY_QUERY_VALUE | KEY_SET_VALUE;

using launcher::LaunchResult;

void SetResult(LONG* result, LaunchResult code) {
    if (result) *result = static_cast<LONG>(code);
}

bool WriteField(HKEY key, const char* name, const char* field, size_t size) {
    // The whole field: the text, its terminator and the zero bytes behind it.
    return fw::RegKey::WriteBytesA(key, name, REG_SZ, field, static_cast<DWORD>(size)) ==
           ERROR_SUCCESS;
}

// Starts the program by its full name, so that a blank in the directory never lets the system
// pick another program from the command line's first word. The handles are closed at once.
bool Start(const launcher::Launch& launch) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::vector<char> commandLine(launch.commandLine.begin(), launch.commandLine.end());
    commandLine.push_back('\0');
    if (!CreateProcessA(launch.program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                        nullptr, nullptr, &startup, &info)) {
        return false;
    }
    fw::Handle process(info.hProcess);
    fw::Handle thread(info.hThread);
    return true;
}

}  // namespace

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

// Refused by the site lock: nothing written, nothing started, as a refusal by the machine policy.
STDMETHODIMP CQuellisLauncherVistaPlay::Execute(LONG* IReturn) {
    if (!MayLaunch()) {
        SetResult(IReturn, LaunchResult::KeyNotOpened);
        return S_FALSE;
    }
    SetResult(IReturn, LaunchResult::NothingReported);
    const HRESULT hr = IsVistaOrLater() ? ExecuteVista(IReturn) : ExecuteWin(IReturn);
    return SUCCEEDED(hr) ? S_OK : S_FALSE;
}

STDMETHODIMP CQuellisLauncherVistaPlay::ExecuteBoardGame(LONG* IReturn) {
    if (!MayLaunch()) {
        SetResult(IReturn, LaunchResult::CParamNotWritten);
        return S_FALSE;
    }
    SetResult(IReturn, LaunchResult::NothingReported);
    const HRESULT hr =
        IsVistaOrLater() ? ExecuteVistaBoardGame(IReturn) : ExecuteWinBoardGame(IReturn);
    return SUCCEEDED(hr) ? S_OK : S_FALSE;
}

STDMETHODIMP CQuellisLauncherVistaPlay::ExecuteWin(LONG* IReturn) {
    fw::RegKey key;
    if (!MayLaunch() || m_bRegInfoRefused ||
        key.OpenA(m_hRootKey, m_szRegKey, kLaunchKeyAccess) != ERROR_SUCCESS) {
        SetResult(IReturn, LaunchResult::KeyNotOpened);
        return S_FALSE;
    }
    const auto installDir = ReadInstallDirectory(key.get(), m_szValueName);
    if (!installDir) {
        SetResult(IReturn, LaunchResult::DirectoryNotRead);
        return S_FALSE;
    }
    // A program the machine's launch policy does not allow ends the launch here, before anything
    // is written, as a key that could not be opened. The elevated launch passes here too.
    if (!MachineAllowsGame(launcher::GameProgram(*installDir, m_szPathName))) {
        SetResult(IReturn, LaunchResult::KeyNotOpened);
        return S_FALSE;
    }
    if (!WriteField(key.get(), "C_Param", m_szReg1, sizeof m_szReg1)) {
        SetResult(IReturn, LaunchResult::CParamNotWritten);
        return S_FALSE;
    }
    if (!WriteField(key.get(), "R_Param", m_szReg2, sizeof m_szReg2)) {
        SetResult(IReturn, LaunchResult::RParamNotWritten);
        return S_FALSE;
    }
    key.Close();

    const auto launch = launcher::ComposeGameLaunch(*installDir, m_szPathName, m_szParam);
    if (!launch || !Start(*launch)) SetResult(IReturn, LaunchResult::NotStarted);
    return S_OK;
}

STDMETHODIMP CQuellisLauncherVistaPlay::ExecuteWinBoardGame(LONG* IReturn) {
    if (!MayLaunch()) {
        SetResult(IReturn, LaunchResult::CParamNotWritten);
        return S_FALSE;
    }
    std::array<char, launcher::kDirectoryBufferSize> windows{};
    GetWindowsDirectoryA(windows.data(), static_cast<UINT>(windows.size()));
    // A program the machine's launch policy does not allow ends the launch before any key is
    // opened or created, as a first value that could not be written.
    if (!MachineAllowsBoardGame(launcher::BoardGameProgram(windows.data(), m_szPathName),
                                launcher::BoardGameProgram(windows.data(), ""))) {
        SetResult(IReturn, LaunchResult::CParamNotWritten);
        return S_FALSE;
    }
    fw::RegKey key;
    if (!m_bRegInfoRefused &&
        key.OpenA(m_hRootKey, m_szRegKey, kLaunchKeyAccess) != ERROR_SUCCESS) {
        RegCreateKeyA(HKEY_LOCAL_MACHINE, m_szRegKey, key.put());
    }
    if (!key || !WriteField(key.get(), "C_Param", m_szReg1, sizeof m_szReg1)) {
        SetResult(IReturn, LaunchResult::CParamNotWritten);
        return S_FALSE;
    }
    if (!WriteField(key.get(), "R_Param", m_szReg2, sizeof m_szReg2)) {
        SetResult(IReturn, LaunchResult::RParamNotWritten);
        return S_FALSE;
    }
    if (!WriteField(key.get(), "A_Param", m_szParam, sizeof m_szParam)) {
        SetResult(IReturn, LaunchResult::AParamNotWritten);
        return S_FALSE;
    }
    key.Close();

    const auto launch = launcher::ComposeBoardGameLaunch(windows.data(), m_szPathName, m_szParam);
    const bool started = launch && Start(*launch);
    ZeroMemory(m_szParam, sizeof m_szParam);
    ZeroMemory(m_szPathName, sizeof m_szPathName);
    if (!started) SetResult(IReturn, LaunchResult::NotStarted);
    return S_OK;
}
