// Launches through an elevated instance of this class: the system's elevation moniker creates it
// in a surrogate process with administrator rights, the settings are copied to it with the
// interface's own methods, and it performs the direct launch there.
#include "launcher/rules/launch_rules.h"
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

HRESULT CQuellisLauncherVistaPlay::LaunchElevated(LONG* IReturn, Target target) {
    using launcher::LaunchResult;
    // What is refused here never asks for elevation.
    if (const PreLaunch check = CheckBeforeLaunch(target, 0); check.refusal) {
        SetLaunchResult(IReturn, *check.refusal);
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
    const fw::Bstr key = FieldToBstr(m_szRegKey), value = FieldToBstr(m_szValueName);
    const fw::Bstr reg1 = FieldToBstr(m_szReg1), reg2 = FieldToBstr(m_szReg2);
    const fw::Bstr path = FieldToBstr(m_szPathName), param = FieldToBstr(m_szParam);
    const HRESULT copied[] = {
        elevated->SetRegInfo(KeyTypeOf(m_hRootKey), key.get(), value.get()),
        elevated->SetRegParam(reg1.get(), reg2.get()),
        elevated->AddPathName(path.get()),
        elevated->AddParmeter(param.get()),
    };
    HRESULT launched = S_OK;
    for (const HRESULT hr : copied) {
        if (hr == S_OK) continue;
        // A setting the elevated instance refused (its code page may read a text otherwise)
        // ends the launch as a refused setting ends the direct one; a call that never arrived
        // ends it unstarted.
        if (SUCCEEDED(hr)) {
            SetLaunchResult(IReturn, target == Target::Game ? LaunchResult::KeyNotOpened
                                                            : LaunchResult::CParamNotWritten);
            return S_FALSE;
        }
        launched = hr;
    }
    if (SUCCEEDED(launched)) {
        launched = target == Target::BoardGame ? elevated->ExecuteWinBoardGame(IReturn)
                                               : elevated->ExecuteWin(IReturn);
    }
    // A launch call that never reached the elevated instance started nothing.
    if (FAILED(launched)) SetLaunchResult(IReturn, LaunchResult::NotStarted);
    return S_OK;
}
