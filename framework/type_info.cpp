#include "type_info.h"

#include "raii.h"

namespace fw {

HRESULT LoadTypeInfo(const TypeLibId& lib, LCID lcid, REFGUID guid, ITypeInfo** info) {
    if (!info) return E_POINTER;
    *info = nullptr;
    ComPtr<ITypeLib> typeLib;
    HRESULT hr = LoadRegTypeLib(*lib.libid, lib.major, lib.minor, lcid, typeLib.put());
    // The system looks only at the caller's language and the neutral one; a caller in another
    // locale still gets the library.
    if (FAILED(hr) && lcid != lib.lcid) {
        hr = LoadRegTypeLib(*lib.libid, lib.major, lib.minor, lib.lcid, typeLib.put());
    }
    if (FAILED(hr)) return hr;
    return typeLib->GetTypeInfoOfGuid(guid, info);
}

}  // namespace fw
