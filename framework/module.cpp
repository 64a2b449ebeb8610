#include "module.h"

#include "hresult.h"

#include "factory.h"

namespace fw {

std::wstring Module::FileName(HINSTANCE instance) {
    wchar_t path[MAX_PATH + 1] = {};
    const DWORD len = GetModuleFileNameW(instance, path, MAX_PATH);
    return std::wstring(path, len < MAX_PATH ? len : MAX_PATH);
}

HRESULT Module::GetClassObject(REFCLSID clsid, REFIID iid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    for (ObjectFactory* f = ObjectFactory::First(); f; f = f->Next()) {
        if (IsEqualCLSID(f->Clsid(), clsid)) return f->QueryInterface(iid, ppv);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT Module::UpdateRegistryAll(bool doRegister) {
    for (ObjectFactory* f = ObjectFactory::First(); f; f = f->Next()) {
        FW_RETURN_IF_FAILED(f->UpdateRegistry(doRegister));
    }
    return S_OK;
}

}  // namespace fw
