#include "module.h"

#include "factory.h"

namespace fw {

std::wstring_view Module::FileName() {
    static wchar_t path[MAX_PATH + 1];
    const DWORD len = GetModuleFileNameW(instance_, path, MAX_PATH);
    return std::wstring_view(path, len < MAX_PATH ? len : MAX_PATH);
}

void Module::Add(ObjectFactory* factory) {
    // Static factories are constructed in one thread at load; append to keep declaration order.
    ObjectFactory** slot = &first_;
    while (*slot) slot = &(*slot)->next_;
    *slot = factory;
}

HRESULT Module::GetClassObject(REFCLSID clsid, REFIID iid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    for (ObjectFactory* f = first_; f; f = f->next_) {
        if (IsEqualCLSID(f->Clsid(), clsid)) return f->QueryInterface(iid, ppv);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

bool Module::UpdateRegistryAll(bool doRegister) {
    for (ObjectFactory* f = first_; f; f = f->next_) {
        if (!f->UpdateRegistry(doRegister)) return false;
    }
    return true;
}

ObjectFactory::ObjectFactory(const CLSID& clsid, const wchar_t* progId, Creator creator)
    : clsid_(clsid), progId_(progId), creator_(creator) {
    Module::Add(this);
}

STDMETHODIMP ObjectFactory::QueryInterface(REFIID iid, void** ppv) {
    if (!ppv) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
        *ppv = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP ObjectFactory::CreateInstance(IUnknown* outer, REFIID iid, void** ppv) {
    return creator_(outer, iid, ppv);
}

STDMETHODIMP ObjectFactory::LockServer(BOOL lock) {
    if (lock) Module::Lock();
    else Module::Unlock();
    return S_OK;
}

}  // namespace fw
