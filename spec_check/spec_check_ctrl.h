// The spec-check control: fifteen parameterless dispatch methods, each answering one fact about the
// PC as a string.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "dispatch.h"
#include "factory.h"
#include "ole_control.h"

extern const CLSID CLSID_QuellisSpecCheckPropPage;

class CQuellisSpecCheckCtrl : public fw::OleControl, public IDispatch {
public:
    explicit CQuellisSpecCheckCtrl(IUnknown* outer);
    FW_DELEGATING_IUNKNOWN

    static const fw::ControlInfo kInfo;

    // IDispatch
    FW_DISPATCH_TYPE_INFO(typeInfo_)
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params,
                        VARIANT* result, EXCEPINFO* excep, UINT* argErr) override;

    // Dispatch methods, DISPIDs 1 to 15 in this order. Each returns a new BSTR.
    BSTR GetStringCPU();
    BSTR GetStringOS();
    BSTR GetStringMEMORY();
    BSTR GetStringDirectX();
    BSTR GetStringVGA();
    BSTR GetStringSOUND();
    BSTR GetStringVGAVer();
    BSTR GetStringVGADriver();
    BSTR GetStringVGAID();
    BSTR GetStringCPUBit();
    BSTR GetStringMacAddress();
    BSTR GetStringVGAMemory();
    BSTR GetStringCPUID();
    BSTR GetStringSpecVer();
    BSTR GetStringHDDID();

    // OleControl
    void OnDraw(HDC hdc, const RECT& bounds) override;
    void DoPropExchange(fw::PropExchange& px) override;
    std::vector<CLSID> PropPageIds() override;
    void* ControlInterface(REFIID iid) override;

    class CQuellisSpecCheckCtrlFactory : public fw::ObjectFactory {
    public:
        CQuellisSpecCheckCtrlFactory();
        HRESULT UpdateRegistry(bool doRegister) override;
    };
    static CQuellisSpecCheckCtrlFactory factory;

private:
    fw::DispatchTypeInfo typeInfo_;
};
