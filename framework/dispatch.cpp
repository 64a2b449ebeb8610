#include "dispatch.h"

namespace fw {

HRESULT DispatchTypeInfo::Get(LCID lcid, ITypeInfo** info) {
    if (!info) return E_POINTER;
    *info = nullptr;
    if (!info_) {
        const HRESULT hr = LoadTypeInfo(lib_, lcid, iid_, info_.put());
        if (FAILED(hr)) return hr;
    }
    return info_.CopyTo(info);
}

HRESULT DispatchTypeInfo::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
}

HRESULT DispatchTypeInfo::GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) {
    if (!info) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    return Get(lcid, info);
}

HRESULT DispatchTypeInfo::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid,
                                        DISPID* ids) {
    if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    if (!names || !ids) return E_POINTER;
    ComPtr<ITypeInfo> info;
    const HRESULT hr = Get(lcid, info.put());
    if (FAILED(hr)) return hr;
    return info->GetIDsOfNames(names, count, ids);
}

HRESULT CheckParameterlessCall(WORD flags, const DISPPARAMS* params) {
    if (!(flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET))) return DISP_E_MEMBERNOTFOUND;
    if (params) {
        if (params->cNamedArgs != 0) return DISP_E_NONAMEDARGS;
        if (params->cArgs != 0) return DISP_E_BADPARAMCOUNT;
    }
    return S_OK;
}

void StoreBstrResult(BSTR value, VARIANT* result) {
    if (!result) {
        SysFreeString(value);
        return;
    }
    VariantClear(result);
    V_VT(result) = VT_BSTR;
    V_BSTR(result) = value;
}

HRESULT OutOfMemoryException(EXCEPINFO* excep) {
    if (excep) {
        *excep = EXCEPINFO{};
        excep->scode = E_OUTOFMEMORY;
        excep->bstrSource = nullptr;
        excep->bstrDescription = SysAllocString(L"Out of memory");
    }
    return DISP_E_EXCEPTION;
}

}  // namespace fw
