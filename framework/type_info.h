// Type information from the registered type library.
#pragma once

#include <windows.h>
#include <oleauto.h>

namespace fw {

struct TypeLibId {
    const GUID* libid;
    WORD major;
    WORD minor;
    LCID lcid;  // the locale the library is registered for
};

// LoadRegTypeLib(lib) then GetTypeInfoOfGuid(guid). A caller's locale for which the library is not
// registered gets the library's own locale.
[[nodiscard]] HRESULT LoadTypeInfo(const TypeLibId& lib, LCID lcid, REFGUID guid, ITypeInfo** info);

}  // namespace fw
