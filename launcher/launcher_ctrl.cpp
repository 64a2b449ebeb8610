#include "launcher_ctrl.h"

#include "resource.h"

#include <cstring>

#include "launcher/rules/launch_rules.h"
#include "text.h"

namespace {

const IID* const kInterfaces[] = {
    &IID_IQuellisLauncherVistaPlay, &IID_IDispatch,
    &IID_IViewObjectEx, &IID_IViewObject2, &IID_IViewObject,
    &IID_IOleInPlaceObjectWindowless, &IID_IOleInPlaceObject, &IID_IOleWindow,
    &IID_IOleInPlaceActiveObject, &IID_IOleControl, &IID_IOleObject,
    &IID_IPersistStreamInit, &IID_IPersist, &IID_ISupportErrorInfo,
    &IID_ISpecifyPropertyPages, &IID_IQuickActivate, &IID_IPersistStorage, &IID_IDataObject,
    &IID_IProvideClassInfo, &IID_IProvideClassInfo2,
    nullptr,
};

constexpr DWORD kMiscStatus = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE |
                              OLEMISC_INSIDEOUT | OLEMISC_ACTIVATEWHENVISIBLE |
                              OLEMISC_SETCLIENTSITEFIRST;
static_assert(kMiscStatus == 0x20191);

}  // namespace

const fw::ControlInfo CQuellisLauncherVistaPlay::kInfo = {
    &CLSID_QuellisLauncherVistaPlay,
    {&LIBID_QuellisLauncherLib, 1, 0, 0x0409},
    &IID_IQuellisLauncherVistaPlay,
    nullptr,
    kMiscStatus,
    IDS_QUELLISLAUNCHERVISTAPLAY,
    WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
    kInterfaces,
};

// {40A3FCBF-B7C8-4DB5-9EC9-24B7AD28EC83}
const GUID kLauncherAppId = {
    0x40a3fcbf, 0xb7c8, 0x4db5, {0x9e, 0xc9, 0x24, 0xb7, 0xad, 0x28, 0xec, 0x83}};

CQuellisLauncherVistaPlay::Factory CQuellisLauncherVistaPlay::factory;

CQuellisLauncherVistaPlay::Factory::Factory()
    : ObjectFactory(CLSID_QuellisLauncherVistaPlay, L"QuellisLauncher.QuellisLauncherVistaPlay.1",
                    &fw::CreateComObject<CQuellisLauncherVistaPlay>) {}

HRESULT launcher::CreateLauncher(REFIID iid, void** out) {
    return CQuellisLauncherVistaPlay::factory.CreateInstance(nullptr, iid, out);
}

CQuellisLauncherVistaPlay::CQuellisLauncherVistaPlay(IUnknown* outer)
    : OleControl(outer, kInfo), typeInfo_(kInfo.typeLib, IID_IQuellisLauncherVistaPlay) {}

void* CQuellisLauncherVistaPlay::ControlInterface(REFIID iid) {
    if (IsEqualIID(iid, IID_IQuellisLauncherVistaPlay) || IsEqualIID(iid, IID_IDispatch)) {
        return static_cast<IQuellisLauncherVistaPlay*>(this);
    }
    if (IsEqualIID(iid, IID_ISupportErrorInfo)) return static_cast<ISupportErrorInfo*>(this);
    return nullptr;
}

STDMETHODIMP CQuellisLauncherVistaPlay::Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags,
                                               DISPPARAMS* params, VARIANT* result,
                                               EXCEPINFO* excep, UINT* argErr) {
    if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    fw::ComPtr<ITypeInfo> info;
    const HRESULT hr = typeInfo_.Get(lcid, info.put());
    if (FAILED(hr)) return hr;
    return info->Invoke(static_cast<IQuellisLauncherVistaPlay*>(this), id, flags, params, result,
                        excep, argErr);
}

STDMETHODIMP CQuellisLauncherVistaPlay::InterfaceSupportsErrorInfo(REFIID iid) {
    return IsEqualIID(iid, IID_IQuellisLauncherVistaPlay) ? S_OK : S_FALSE;
}

void SetLaunchResult(LONG* result, launcher::LaunchResult code) {
    if (result) *result = static_cast<LONG>(code);
}

STDMETHODIMP CQuellisLauncherVistaPlay::Execute(LONG* IReturn) {
    return Launch(IReturn, Target::Game, Road::ByVersion);
}
STDMETHODIMP CQuellisLauncherVistaPlay::ExecuteVista(LONG* IReturn) {
    return Launch(IReturn, Target::Game, Road::Elevated);
}
STDMETHODIMP CQuellisLauncherVistaPlay::ExecuteWin(LONG* IReturn) {
    return Launch(IReturn, Target::Game, Road::Direct);
}
STDMETHODIMP CQuellisLauncherVistaPlay::ExecuteBoardGame(LONG* IReturn) {
    return Launch(IReturn, Target::BoardGame, Road::ByVersion);
}
STDMETHODIMP CQuellisLauncherVistaPlay::ExecuteVistaBoardGame(LONG* IReturn) {
    return Launch(IReturn, Target::BoardGame, Road::Elevated);
}
STDMETHODIMP CQuellisLauncherVistaPlay::ExecuteWinBoardGame(LONG* IReturn) {
    return Launch(IReturn, Target::BoardGame, Road::Direct);
}

HRESULT CQuellisLauncherVistaPlay::Launch(LONG* IReturn, Target target, Road road) {
    // Refused by the site lock: nothing written, nothing started, as refused settings are.
    if (!MayLaunch()) {
        SetLaunchResult(IReturn, target == Target::Game ? launcher::LaunchResult::KeyNotOpened
                                                        : launcher::LaunchResult::CParamNotWritten);
        return S_FALSE;
    }
    if (road == Road::Direct) return LaunchDirect(IReturn, target);
    if (road == Road::Elevated) return LaunchElevated(IReturn, target);
    // By version: elevated from Windows Vista on, where the page's process has no rights to
    // write below the machine's key.
    SetLaunchResult(IReturn, launcher::LaunchResult::NothingReported);
    const HRESULT hr =
        IsVistaOrLater() ? LaunchElevated(IReturn, target) : LaunchDirect(IReturn, target);
    return SUCCEEDED(hr) ? S_OK : S_FALSE;
}

void CQuellisLauncherVistaPlay::OnDraw(HDC, const RECT&) {}

void CQuellisLauncherVistaPlay::DoPropExchange(fw::PropExchange& px) {
    ExchangeExtent(px, L"_cx", L"_cy", true);
}

bool IsFieldLeadByte(unsigned char byte) {
    return IsDBCSLeadByteEx(CP_THREAD_ACP, byte) != FALSE;
}

bool CopyArgToField(BSTR text, char* field, size_t size) {
    if (!text || size == 0) return false;
    std::memset(field, 0, size);
    const std::string narrow = fw::WideToNarrow(text, CP_THREAD_ACP);
    const size_t n = launcher::FittingLength(narrow, size - 1, IsFieldLeadByte);
    std::memcpy(field, narrow.data(), n);
    return true;
}

fw::Bstr FieldToBstr(const char* field) {
    const auto wide = fw::DecodeNarrow(field, std::strlen(field), CP_THREAD_ACP, false);
    return wide ? fw::Bstr(wide->c_str()) : fw::Bstr();
}
