#include "spec_check_ctrl.h"
#include "spec_check_embed.h"

#include "VarnokSpecCheck.h"
#include "registration.h"
#include "resource.h"
#include "spec_check/probes/probes.h"
#include "text.h"

namespace {

const IID* const kInterfaces[] = {
    &IID_IDispatch, &DIID__DQuellisSpecCheck,
    &IID_IOleObject, &IID_IOleInPlaceObject, &IID_IOleInPlaceObjectWindowless, &IID_IOleWindow,
    &IID_IOleInPlaceActiveObject, &IID_IOleControl,
    &IID_IViewObject, &IID_IViewObject2, &IID_IViewObjectEx,
    &IID_IPersist, &IID_IPersistStreamInit, &IID_IPersistPropertyBag, &IID_IPersistStorage,
    &IID_IProvideClassInfo, &IID_IProvideClassInfo2, &IID_IConnectionPointContainer,
    &IID_ISpecifyPropertyPages, &IID_IQuickActivate, &IID_IDataObject,
    nullptr,
};

const fw::DispatchEntry<CQuellisSpecCheckCtrl> kDispatchMap[] = {
    {L"GetStringCPU", &CQuellisSpecCheckCtrl::GetStringCPU},
    {L"GetStringOS", &CQuellisSpecCheckCtrl::GetStringOS},
    {L"GetStringMEMORY", &CQuellisSpecCheckCtrl::GetStringMEMORY},
    {L"GetStringDirectX", &CQuellisSpecCheckCtrl::GetStringDirectX},
    {L"GetStringVGA", &CQuellisSpecCheckCtrl::GetStringVGA},
    {L"GetStringSOUND", &CQuellisSpecCheckCtrl::GetStringSOUND},
    {L"GetStringVGAVer", &CQuellisSpecCheckCtrl::GetStringVGAVer},
    {L"GetStringVGADriver", &CQuellisSpecCheckCtrl::GetStringVGADriver},
    {L"GetStringVGAID", &CQuellisSpecCheckCtrl::GetStringVGAID},
    {L"GetStringCPUBit", &CQuellisSpecCheckCtrl::GetStringCPUBit},
    {L"GetStringMacAddress", &CQuellisSpecCheckCtrl::GetStringMacAddress},
    {L"GetStringVGAMemory", &CQuellisSpecCheckCtrl::GetStringVGAMemory},
    {L"GetStringCPUID", &CQuellisSpecCheckCtrl::GetStringCPUID},
    {L"GetStringSpecVer", &CQuellisSpecCheckCtrl::GetStringSpecVer},
    {L"GetStringHDDID", &CQuellisSpecCheckCtrl::GetStringHDDID},
};

constexpr DWORD kMiscStatus = OLEMISC_SETCLIENTSITEFIRST | OLEMISC_INSIDEOUT |
                              OLEMISC_CANTLINKINSIDE | OLEMISC_RECOMPOSEONRESIZE;
static_assert(kMiscStatus == 0x20091);

constexpr DWORD kPersistVersion = 0x00010000;  // major 1, minor 0

}  // namespace

// {2C240152-44BC-460A-A587-6E292571D994}
const CLSID CLSID_QuellisSpecCheckPropPage = {
    0x2c240152, 0x44bc, 0x460a, {0xa5, 0x87, 0x6e, 0x29, 0x25, 0x71, 0xd9, 0x94}};


const fw::ControlInfo CQuellisSpecCheckCtrl::kInfo = {
    &CLSID_QuellisSpecCheck,
    {&LIBID_QUELLISSPECCHECKLib, 1, 0, 0x0409},
    &DIID__DQuellisSpecCheck,
    &DIID__DQuellisSpecCheckEvents,
    kMiscStatus,
    IDS_QUELLISSPECCHECK,
    WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
    kInterfaces,
};

CQuellisSpecCheckCtrl::CQuellisSpecCheckCtrlFactory CQuellisSpecCheckCtrl::factory;

HRESULT spec_check::CreateSpecCheck(REFIID iid, void** out) {
    return CQuellisSpecCheckCtrl::factory.CreateInstance(nullptr, iid, out);
}

CQuellisSpecCheckCtrl::CQuellisSpecCheckCtrlFactory::CQuellisSpecCheckCtrlFactory()
    : ObjectFactory(CLSID_QuellisSpecCheck, L"QUELLISSPECCHECK.QuellisSpecCheckCtrl.1",
                    &fw::CreateComObject<CQuellisSpecCheckCtrl>) {}

HRESULT CQuellisSpecCheckCtrl::CQuellisSpecCheckCtrlFactory::UpdateRegistry(bool doRegister) {
    if (!doRegister) return fw::UnregisterClass(Clsid(), ProgId());
    const fw::ControlClassInfo info = {
        &Clsid(), ProgId(), IDS_QUELLISSPECCHECK, IDB_QUELLISSPECCHECK,
        L"Apartment", kMiscStatus, kInfo.typeLib,
    };
    return fw::RegisterControlClass(fw::Module::Instance(), info);
}

CQuellisSpecCheckCtrl::CQuellisSpecCheckCtrl(IUnknown* outer)
    : OleControl(outer, kInfo), typeInfo_(kInfo.typeLib, DIID__DQuellisSpecCheck) {}

void* CQuellisSpecCheckCtrl::ControlInterface(REFIID iid) {
    if (IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, DIID__DQuellisSpecCheck)) {
        return static_cast<IDispatch*>(this);
    }
    return nullptr;
}

STDMETHODIMP CQuellisSpecCheckCtrl::Invoke(DISPID id, REFIID iid, LCID, WORD flags,
                                           DISPPARAMS* params, VARIANT* result, EXCEPINFO* excep,
                                           UINT*) {
    if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    // On a page the site list does not allow, every method answers an empty text: nothing is
    // measured, no gate program starts and no message box shows.
    return fw::InvokeDispatchTable(*this, kDispatchMap, id, flags, params, result, excep,
                                   [this] { return PageAllowed(); });
}

void CQuellisSpecCheckCtrl::OnDraw(HDC hdc, const RECT& bounds) {
    FillRect(hdc, &bounds, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    Ellipse(hdc, bounds.left, bounds.top, bounds.right, bounds.bottom);
}

void CQuellisSpecCheckCtrl::DoPropExchange(fw::PropExchange& px) {
    DWORD loaded = 0;
    px.ExchangeVersion(loaded, kPersistVersion, true);
    OleControl::DoPropExchange(px);
}

std::vector<CLSID> CQuellisSpecCheckCtrl::PropPageIds() { return {CLSID_QuellisSpecCheckPropPage}; }

namespace {

// Every method's last step: narrow text in the thread's ANSI code page becomes the BSTR.
BSTR ResultString(const std::string& text) { return fw::NarrowToBstr(text, CP_THREAD_ACP); }

// The display methods' answer: the text, or, when DirectX cannot be used, a message to the user
// and no string at all.
BSTR DisplayResult(const std::optional<std::string>& text) {
    if (!text) {
        MessageBoxA(nullptr, "Direct3DCreate9 is failed", "Error", MB_OK);
        return nullptr;
    }
    return ResultString(*text);
}

}  // namespace

// Each method asks its probe afresh and hands the text back by the result-string rule.
BSTR CQuellisSpecCheckCtrl::GetStringCPU() { return ResultString(spec_check::ProbeCpuName()); }
BSTR CQuellisSpecCheckCtrl::GetStringOS() { return ResultString(spec_check::ProbeOsName()); }
BSTR CQuellisSpecCheckCtrl::GetStringMEMORY() { return ResultString(spec_check::ProbeMemory()); }
BSTR CQuellisSpecCheckCtrl::GetStringDirectX() { return ResultString(spec_check::ProbeDirectX()); }
BSTR CQuellisSpecCheckCtrl::GetStringVGA() {
    return DisplayResult(spec_check::ProbeAdapterDescription());
}
BSTR CQuellisSpecCheckCtrl::GetStringSOUND() {
    return ResultString(spec_check::ProbeSoundDevice());
}
BSTR CQuellisSpecCheckCtrl::GetStringVGAVer() {
    return DisplayResult(spec_check::ProbeDriverVersion());
}
BSTR CQuellisSpecCheckCtrl::GetStringVGADriver() {
    return DisplayResult(spec_check::ProbeDriverFile());
}
BSTR CQuellisSpecCheckCtrl::GetStringVGAID() { return DisplayResult(spec_check::ProbeDeviceId()); }
BSTR CQuellisSpecCheckCtrl::GetStringCPUBit() { return ResultString(spec_check::ProbeCpuBits()); }
BSTR CQuellisSpecCheckCtrl::GetStringMacAddress() {
    return ResultString(spec_check::ProbeAdapterAddresses());
}
BSTR CQuellisSpecCheckCtrl::GetStringVGAMemory() {
    return DisplayResult(spec_check::ProbeVideoMemory());
}
BSTR CQuellisSpecCheckCtrl::GetStringCPUID() { return ResultString(spec_check::ProbeCpuKey()); }
BSTR CQuellisSpecCheckCtrl::GetStringSpecVer() {
    return ResultString(spec_check::SpecVersionText());
}
BSTR CQuellisSpecCheckCtrl::GetStringHDDID() { return ResultString(spec_check::ProbeHddKey()); }
