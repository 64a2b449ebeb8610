// IDispatch for controls whose methods are listed in a dispatch table: names and DISPIDs come
// from the registered type information; Invoke calls the table entry whose position matches the
// DISPID (position 0 is DISPID 1).
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cstddef>
#include <new>

#include "raii.h"
#include "type_info.h"

namespace fw {

// A parameterless dispatch method returning a BSTR that the caller will own.
template <typename T>
struct DispatchEntry {
    const wchar_t* name;
    BSTR (T::*method)();
};

// Type information of one interface of a registered type library, loaded on first use.
class DispatchTypeInfo {
public:
    DispatchTypeInfo(const TypeLibId& lib, const IID& iid) : lib_(lib), iid_(iid) {}
    [[nodiscard]] HRESULT Get(LCID lcid, ITypeInfo** info);

    // The IDispatch answers of an object with this one type information.
    [[nodiscard]] static HRESULT GetTypeInfoCount(UINT* count);
    [[nodiscard]] HRESULT GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info);
    [[nodiscard]] HRESULT GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid,
                                        DISPID* ids);

private:
    TypeLibId lib_;
    const IID& iid_;
    ComPtr<ITypeInfo> info_;
};

// Checks the call shape of a parameterless method: invoked as a method (a property get is
// accepted too, as scripts read "obj.Method" that way), no arguments, no named arguments.
[[nodiscard]] HRESULT CheckParameterlessCall(WORD flags, const DISPPARAMS* params);

// Stores a method's BSTR in the result slot (or frees it when there is none).
void StoreBstrResult(BSTR value, VARIANT* result);

// The dispatch layer's answer to running out of memory: an exception for the script.
[[nodiscard]] HRESULT OutOfMemoryException(EXCEPINFO* excep);

// Calls the table entry of the DISPID. `mayRun` is asked only for a known DISPID called in the
// right shape; when it answers false no method runs and the answer is an empty text.
template <typename T, size_t N, typename MayRun>
[[nodiscard]] HRESULT InvokeDispatchTable(T& object, const DispatchEntry<T> (&table)[N], DISPID id,
                                          WORD flags, DISPPARAMS* params, VARIANT* result,
                                          EXCEPINFO* excep, const MayRun& mayRun) {
    if (id < 1 || static_cast<size_t>(id) > N) return DISP_E_MEMBERNOTFOUND;
    const HRESULT shape = CheckParameterlessCall(flags, params);
    if (FAILED(shape)) return shape;
    try {
        if (!mayRun()) {
            BSTR empty = SysAllocString(L"");
            if (!empty) throw std::bad_alloc();
            StoreBstrResult(empty, result);
            return S_OK;
        }
        StoreBstrResult((object.*table[id - 1].method)(), result);
    } catch (const std::bad_alloc&) {
        return OutOfMemoryException(excep);
    }
    return S_OK;
}

template <typename T, size_t N>
[[nodiscard]] HRESULT InvokeDispatchTable(T& object, const DispatchEntry<T> (&table)[N], DISPID id,
                                          WORD flags, DISPPARAMS* params, VARIANT* result,
                                          EXCEPINFO* excep) {
    return InvokeDispatchTable(object, table, id, flags, params, result, excep,
                               [] { return true; });
}

}  // namespace fw

// The three type-information answers of IDispatch, forwarded to a DispatchTypeInfo member.
#define FW_DISPATCH_TYPE_INFO(member)                                                              \
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {                                          \
        return fw::DispatchTypeInfo::GetTypeInfoCount(count);                                      \
    }                                                                                              \
    STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override {                   \
        return member.GetTypeInfo(index, lcid, info);                                              \
    }                                                                                              \
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids)    \
        override {                                                                                 \
        return member.GetIDsOfNames(iid, names, count, lcid, ids);                                 \
    }
