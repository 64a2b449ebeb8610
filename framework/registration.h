// Self-registration helpers: type library, control and property-page classes, component
// categories.
#pragma once

#include <windows.h>
#include <comcat.h>

#include "type_info.h"

namespace fw {

// Registers the type library held as resource TYPELIB 1 of the module (no help directory).
[[nodiscard]] HRESULT RegisterModuleTypeLib(HINSTANCE instance);
[[nodiscard]] HRESULT UnregisterModuleTypeLib(const TypeLibId& lib, LCID lcid);

struct ControlClassInfo {
    const CLSID* clsid;
    const wchar_t* progId;
    UINT typeNameId;      // string resource of the module
    UINT toolboxBitmapId;
    const wchar_t* threadingModel;  // null: no ThreadingModel value
    DWORD miscStatus;
    TypeLibId typeLib;
};

// HKCR\<ProgID> and HKCR\CLSID\{clsid} with InprocServer32, ToolboxBitmap32, MiscStatus,
// Control, TypeLib and Version. The first entry that cannot be written stops it, with its error.
[[nodiscard]] HRESULT RegisterControlClass(HINSTANCE instance, const ControlClassInfo& info);
// HKCR\CLSID\{clsid} (type name) and its InprocServer32 (module path only).
[[nodiscard]] HRESULT RegisterPropertyPageClass(HINSTANCE instance, const CLSID& clsid,
                                                UINT typeNameId);
// Removes HKCR\CLSID\{clsid} and, when given, HKCR\<progId>, each with everything below it.
[[nodiscard]] HRESULT UnregisterClass(const CLSID& clsid, const wchar_t* progId);

// Component categories through the system's category manager (created for the one call and
// released again).
[[nodiscard]] HRESULT CreateComponentCategory(const CATID& catid, const wchar_t* description);
[[nodiscard]] HRESULT RegisterClassImplCategory(const CLSID& clsid, const CATID& catid);
// The safe-for-scripting and safe-for-initialising categories, created when missing, and the
// class marked as implementing both; SELFREG_E_CLASS when any step fails.
[[nodiscard]] HRESULT RegisterSafeControl(const CLSID& clsid);

}  // namespace fw
