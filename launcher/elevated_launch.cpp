// Launches through an elevated instance of this class: the system's elevation moniker creates it
// in a surrogate process with administrator rights, the settings are copied to it with the
// interface's own methods, and it performs the direct launch there.
#include <array>
#include <string>

#include "launcher/rules/launch_rules.h"
#include "launch_policy.h"
#include "launcher_ctrl.h"
#include "raii.h"

namespace {

// The key type whose root the elevated instance will pick again.
SHORT KeyTypeOf(HKEY root) {
    if (root == HKEY_CLASSES_ROOT) return launcher::kClassesRoot;
    if (root == HKEY_CURRENT_USER) return launcher::kCurrentUser;
    return launcher::kLocalMachine;
}

}  // namespace

std::optional<launcher::LaunchResult> CQuellisLauncherVistaPlay::RefusalBeforeElevation(
    bool boardGame) const {
    using launcher::LaunchResult;
    const LaunchResult refused =
        boardGame ? LaunchResult::CParamNotWritten : LaunchResult::KeyNotOpened;
    if (!MayLaunch() || m_bRegInfoRefused) return refused;
    const auto policy = ReadLaunchPolicy();
    if (!policy) return std::nullopt;
    if (boardGame) {
        std::array<char, launcher::kDirectoryBufferSize> windows{};
        GetWindowsDirectoryA(windows.data(), static_cast<UINT>(windows.size()));
        const bool allowed = launcher::PolicyAllowsBoardGame(
            *policy, launcher::BoardGameProgram(windows.data(), m_szPathName),
            launcher::BoardGameProgram(windows.data(), ""), IsFieldLeadByte);
        return allowed ? std::nullopt : std::optional(refused);
    }
    // The program the elevated instance would start, read as it will read it.
    fw::RegKey key;
    if (key.OpenA(m_hRootKey, m_szRegKey, KEY_QUERY_VALUE) != ERROR_SUCCESS) return refused;
    const auto installDir = ReadInstallDirectory(key.get(), m_szValueName);
    if (!installDir) return LaunchResult::DirectoryNotRead;
    const bool allowed = launcher::PolicyAllowsGame(
        *policy, launcher::GameProgram(*installDir, m_szPathName), IsFieldLeadByte);
    return allowed ? std::nullopt : std::optional(refused);
}

HRESULT CQuellisLauncherVistaPlay::LaunchElevated(LONG* IReturn, bool boardGame) {
    if (const auto refusal = RefusalBeforeElevation(boardGame)) {
        if (IReturn) *IReturn = static_cast<LONG>(*refusal);
        return S_FALSE;
    }
    // The page's thread normally has COM already; the initialisation is balanced either way.
    fw::CoInit com;
    BIND_OPTS3 options = ElevationBindOptions();
    fw::ComPtr<IQuellisLauncherVistaPlay> elevated;
    if (FAILED(CoGetObject(ElevationMonikerName().c_str(), &options, IID_IQuellisLauncherVistaPlay,
                           elevated.put_void()))) {
        return S_FALSE;
    }
    // The new instance starts empty, so the appends give it exactly these texts.
    {
        const fw::Bstr key = FieldToBstr(m_szRegKey), value = FieldToBstr(m_szValueName);
        elevated->SetRegInfo(KeyTypeOf(m_hRootKey), key.get(), value.get());
    }
    {
        const fw::Bstr reg1 = FieldToBstr(m_szReg1), reg2 = FieldToBstr(m_szReg2);
        elevated->SetRegParam(reg1.get(), reg2.get());
    }
    {
        const fw::Bstr path = FieldToBstr(m_szPathName);
        elevated->AddPathName(path.get());
    }
    {
        const fw::Bstr param = FieldToBstr(m_szParam);
        elevated->AddParmeter(param.get());
    }
    const HRESULT launched =
        boardGame ? elevated->ExecuteWinBoardGame(IReturn) : elevated->ExecuteWin(IReturn);
    // A launch call that never reached the elevated instance started nothing.
    if (FAILED(launched) && IReturn) {
        *IReturn = static_cast<LONG>(launcher::LaunchResult::NotStarted);
    }
    return S_OK;
}

STDMETHODIMP CQuellisLauncherVistaPlay::ExecuteVista(LONG* IReturn) {
    return LaunchElevated(IReturn, false);
}

STDMETHODIMP CQuellisLauncherVistaPlay::ExecuteVistaBoardGame(LONG* IReturn) {
    return LaunchElevated(IReturn, true);
}
