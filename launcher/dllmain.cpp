// Module entry points. The interface's proxy/stub lives in this module too: it is asked first
// for class objects and for unloading, and registered with the class.
#include <windows.h>
#include <olectl.h>

#include <string>
#include <utility>
#include <vector>

#include "factory.h"
#include "launcher_ctrl.h"
#include "module.h"
#include "raii.h"
#include "resource.h"
#include "registration.h"
#include "registry_script.h"
#include "text.h"

// The proxy/stub's own entry points (generated code, prefixed).
extern "C" {
BOOL WINAPI PrxDllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);
HRESULT WINAPI PrxDllGetClassObject(REFCLSID clsid, REFIID iid, void** ppv);
HRESULT WINAPI PrxDllCanUnloadNow();
HRESULT WINAPI PrxDllRegisterServer();
HRESULT WINAPI PrxDllUnregisterServer();
}

namespace {

constexpr UINT kAppIdScript = IDR_VARNOKLAUNCHER;
constexpr UINT kClassScript = IDR_QUELLISLAUNCHERVISTAPLAY;

std::vector<std::pair<std::wstring, std::wstring>> Substitutions() {
    return {
        {L"MODULE", std::wstring(fw::Module::FileName())},
        {L"APPID", fw::GuidToString(kLauncherAppId)},
        {L"OLEMISC", fw::DecimalText(CQuellisLauncherVistaPlay::kInfo.miscStatus)},
    };
}

// Runs the registration steps in the system's default locale and puts the caller's back.
class SystemLocale {
public:
    SystemLocale() : saved_(GetThreadLocale()) { SetThreadLocale(LOCALE_SYSTEM_DEFAULT); }
    ~SystemLocale() { SetThreadLocale(saved_); }
    SystemLocale(const SystemLocale&) = delete;
    SystemLocale& operator=(const SystemLocale&) = delete;

private:
    LCID saved_;
};

HRESULT RegisterClassAndLibrary() {
    SystemLocale locale;
    const auto substitutions = Substitutions();
    HRESULT hr = fw::RunRegistryScript(fw::Module::Instance(), kAppIdScript, true, substitutions);
    if (FAILED(hr)) return hr;
    hr = fw::RunRegistryScript(fw::Module::Instance(), kClassScript, true, substitutions);
    if (FAILED(hr)) return hr;
    return fw::RegisterModuleTypeLib(fw::Module::Instance());
}

HRESULT UnregisterClassAndLibrary() {
    SystemLocale locale;
    const auto substitutions = Substitutions();
    HRESULT hr = fw::RunRegistryScript(fw::Module::Instance(), kClassScript, false, substitutions);
    if (FAILED(hr)) return hr;
    const fw::TypeLibId& lib = CQuellisLauncherVistaPlay::kInfo.typeLib;
    hr = fw::UnregisterModuleTypeLib(lib, lib.lcid);
    if (FAILED(hr)) return hr;
    return fw::RunRegistryScript(fw::Module::Instance(), kAppIdScript, false, substitutions);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        PrxDllMain(instance, reason, reserved);  // records the handle proxy registration needs
        fw::Module::SetInstance(instance);
    }
    return TRUE;
}

STDAPI DllCanUnloadNow() {
    const HRESULT proxy = PrxDllCanUnloadNow();
    if (proxy != S_OK) return proxy;
    return fw::Module::CanUnloadNow();
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* ppv) {
    if (PrxDllGetClassObject(clsid, iid, ppv) == S_OK) return S_OK;
    return fw::ObjectFactory::GetClassObject(clsid, iid, ppv);
}

STDAPI DllRegisterServer() {
    HRESULT hr = RegisterClassAndLibrary();
    if (FAILED(hr)) return hr;
    const HRESULT proxy = PrxDllRegisterServer();
    // The category manager needs COM on this thread; the initialisation is balanced.
    fw::CoInit com;
    const HRESULT categories = fw::RegisterSafeControl(CLSID_QuellisLauncherVistaPlay);
    return FAILED(categories) ? categories : proxy;
}

STDAPI DllUnregisterServer() {
    const HRESULT hr = UnregisterClassAndLibrary();
    if (FAILED(hr)) return hr;
    return PrxDllUnregisterServer();
}
