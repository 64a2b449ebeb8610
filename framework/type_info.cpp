#include "type_info.h"

#include "raii.h"

namespace fw {

HRESULT LoadTypeInfo(const TypeLibId& lib, LCID lcid, REFGUID guid, ITypeInfo** info) {
    if (!info) return E_POINTER;
    *info = nullptr;
    ComPtr<ITypeLib> typeLib;
    HRESULT hr = LoadRegTypeLib(*lib.libid, lib.major, lib.minor, lcid, typeLib.put());
    // A caller in another locale still gets the library registered for the neutral one.
    if (FAILED(hr) && lcid != LOCALE_NEUTRAL) {
        hr = LoadRegTypeLib(*lib.libid, lib.major, lib.minor, LOCALE_NEUTRAL, typeLib.put());
    }
    if (FAILED(hr)) return hr;
    return typeLib->GetTypeInfoOfGuid(guid, info);
}

}  // namespace fw
