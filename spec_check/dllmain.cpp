// Module entry points: load, class objects, unload, and self-registration.
#include <windows.h>
#include <olectl.h>

#include "VarnokSpecCheck.h"
#include "factory.h"
#include "module.h"
#include "registration.h"
#include "spec_check_ctrl.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        fw::Module::SetInstance(instance);
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

STDAPI DllCanUnloadNow() { return fw::Module::CanUnloadNow(); }

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* ppv) {
    return fw::ObjectFactory::GetClassObject(clsid, iid, ppv);
}

STDAPI DllRegisterServer() {
    if (FAILED(fw::RegisterModuleTypeLib(fw::Module::Instance()))) return SELFREG_E_TYPELIB;
    if (FAILED(fw::ObjectFactory::UpdateRegistryAll(true))) return SELFREG_E_CLASS;
    return fw::RegisterSafeControl(CLSID_QuellisSpecCheck);
}

STDAPI DllUnregisterServer() {
    // Unregistered for the locale it was registered for (locale 0 would find no entry).
    const fw::TypeLibId& lib = CQuellisSpecCheckCtrl::kInfo.typeLib;
    if (FAILED(fw::UnregisterModuleTypeLib(lib, lib.lcid))) {
        return SELFREG_E_TYPELIB;
    }
    if (FAILED(fw::ObjectFactory::UpdateRegistryAll(false))) return SELFREG_E_CLASS;
    return S_OK;
}
