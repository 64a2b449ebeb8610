// The launch settings a page hands over before it asks for a launch.
#include "launcher/rules/launch_rules.h"
#include "launcher_ctrl.h"
#include "text.h"

HKEY RootKey(int rootNumber) {
    switch (rootNumber) {
    case launcher::kClassesRoot: return HKEY_CLASSES_ROOT;
    case launcher::kCurrentUser: return HKEY_CURRENT_USER;
    default: return HKEY_LOCAL_MACHINE;
    }
}

namespace {

bool FitsShortField(BSTR text) {
    return !text || fw::WideToNarrow(text, CP_THREAD_ACP).size() <= launcher::kShortFieldSize - 1;
}

}  // namespace

STDMETHODIMP CQuellisLauncherVistaPlay::TestMethod(BSTR, LONG, LONG*) { return S_OK; }

STDMETHODIMP CQuellisLauncherVistaPlay::RealMethod(BSTR strTestParam, LONG ITestParam,
                                                   LONG* IReturn) {
    return TestMethod(strTestParam, ITestParam, IReturn);
}

// On a page off the site list the setters store nothing and show nothing: they stop early, as a
// refused text does.
STDMETHODIMP CQuellisLauncherVistaPlay::SetRegInfo(SHORT i_KeyType, BSTR i_strRegKey,
                                                   BSTR i_strValueName) {
    if (!MayLaunch()) return S_FALSE;
    m_hRootKey = RootKey(launcher::RootNumber(i_KeyType));
    // A key path or value name cut to its field would name another key or value: refuse it and
    // let no launch use the settings until the page names ones that fit.
    m_bRegInfoRefused = !FitsShortField(i_strRegKey) || !FitsShortField(i_strValueName);
    if (m_bRegInfoRefused) {
        ZeroMemory(m_szRegKey, sizeof m_szRegKey);
        ZeroMemory(m_szValueName, sizeof m_szValueName);
        return S_OK;
    }
    CopyArgToField(i_strRegKey, m_szRegKey, sizeof m_szRegKey);
    CopyArgToField(i_strValueName, m_szValueName, sizeof m_szValueName);
    return S_OK;
}

STDMETHODIMP CQuellisLauncherVistaPlay::SetRegParam(BSTR i_bstrReg1, BSTR i_bstrReg2) {
    if (!MayLaunch()) return S_FALSE;
    CopyArgToField(i_bstrReg1, m_szReg1, sizeof m_szReg1);
    CopyArgToField(i_bstrReg2, m_szReg2, sizeof m_szReg2);
    return S_OK;
}

STDMETHODIMP CQuellisLauncherVistaPlay::AddPathName(BSTR i_bstrAddPath) {
    return Append(i_bstrAddPath, m_szPathName, "The PathName Parameter is invalid.", true);
}

STDMETHODIMP CQuellisLauncherVistaPlay::AddParmeter(BSTR i_bstrParam) {
    return Append(i_bstrParam, m_szParam, "The Parameter is invalid.", false);
}

HRESULT CQuellisLauncherVistaPlay::Append(BSTR text, char* field, const char* message,
                                          bool isPath) {
    if (!MayLaunch()) return S_FALSE;
    const std::string narrow = fw::WideToNarrow(text, CP_THREAD_ACP);
    if (isPath && !launcher::IsContainedPath(std::string(field) + narrow)) return Refuse(message);
    if (launcher::AppendToField(field, launcher::kShortFieldSize, narrow) !=
        launcher::AppendResult::Appended) {
        return Refuse(message);
    }
    return S_OK;
}

HRESULT CQuellisLauncherVistaPlay::Refuse(const char* message) {
    MessageBoxA(MessageOwnerWindow(), message, nullptr, MB_OK);
    return S_FALSE;
}
