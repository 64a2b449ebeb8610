// Type information from the registered type library.
#pragma once

#include <windows.h>
#include <oleauto.h>

namespace fw {

struct TypeLibId {
    const GUID* libid;
    WORD major;
    WORD minor;
};

// LoadRegTypeLib(lib) then GetTypeInfoOfGuid(guid).
HRESULT LoadTypeInfo(const TypeLibId& lib, LCID lcid, REFGUID guid, ITypeInfo** info);

}  // namespace fw
