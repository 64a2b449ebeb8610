// Launches in this process: the game from its installation directory, or a board game from the
// system folder.
#include <initializer_list>
#include <vector>

#include "launcher/rules/launch_rules.h"
#include "launcher_ctrl.h"
#include "raii.h"

namespace {

constexpr REGSAM kLaunchKeyAccess = KEY_QUERY_VALUE | KEY_SET_VALUE;

using launcher::LaunchResult;

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

// One value a launch writes from a field, and the result code when it cannot be written.
struct Param {
    const char* name;
    const char* field;
    size_t size;
    LaunchResult failure;
};

// Writes the values in order; the first that fails gives its result code.
bool WriteParams(HKEY key, LONG* IReturn, std::initializer_list<Param> params) {
    for (const Param& param : params) {
        if (!WriteField(key, param.name, param.field, param.size)) {
            SetLaunchResult(IReturn, param.failure);
            return false;
        }
    }
    return true;
}

}  // namespace

HRESULT CQuellisLauncherVistaPlay::LaunchDirect(LONG* IReturn, Target target) {
    PreLaunch check = CheckBeforeLaunch(target, kLaunchKeyAccess);
    if (check.refusal) {
        SetLaunchResult(IReturn, *check.refusal);
        return S_FALSE;
    }
    if (target == Target::Game) {
        if (!WriteParams(check.key.get(), IReturn,
                         {{"C_Param", m_szReg1, sizeof m_szReg1, LaunchResult::CParamNotWritten},
                          {"R_Param", m_szReg2, sizeof m_szReg2, LaunchResult::RParamNotWritten}})) {
            return S_FALSE;
        }
        check.key.Close();
        const auto launch = launcher::ComposeGameLaunch(check.directory, m_szPathName, m_szParam);
        if (!launch || !Start(*launch)) SetLaunchResult(IReturn, LaunchResult::NotStarted);
        return S_OK;
    }

    // A board game's values go below the page's key, or a new one of that path below the local
    // machine.
    fw::RegKey key;
    if (key.OpenA(m_hRootKey, m_szRegKey, kLaunchKeyAccess) != ERROR_SUCCESS) {
        RegCreateKeyA(HKEY_LOCAL_MACHINE, m_szRegKey, key.put());
    }
    if (!key) {
        SetLaunchResult(IReturn, LaunchResult::CParamNotWritten);
        return S_FALSE;
    }
    if (!WriteParams(key.get(), IReturn,
                     {{"C_Param", m_szReg1, sizeof m_szReg1, LaunchResult::CParamNotWritten},
                      {"R_Param", m_szReg2, sizeof m_szReg2, LaunchResult::RParamNotWritten},
                      {"A_Param", m_szParam, sizeof m_szParam, LaunchResult::AParamNotWritten}})) {
        return S_FALSE;
    }
    key.Close();

    const auto launch = launcher::ComposeBoardGameLaunch(check.directory, m_szPathName, m_szParam);
    const bool started = launch && Start(*launch);
    ZeroMemory(m_szParam, sizeof m_szParam);
    ZeroMemory(m_szPathName, sizeof m_szPathName);
    if (!started) SetLaunchResult(IReturn, LaunchResult::NotStarted);
    return S_OK;
}
