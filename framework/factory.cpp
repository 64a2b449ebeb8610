#include "factory.h"

#include "hresult.h"

namespace fw {

ObjectFactory::ObjectFactory(const CLSID& clsid, const wchar_t* progId, Creator creator)
    : clsid_(clsid), progId_(progId), creator_(creator) {
    // Static factories are constructed in one thread at load; append to keep declaration order.
    ObjectFactory** slot = &first_;
    while (*slot) slot = &(*slot)->next_;
    *slot = this;
}

HRESULT ObjectFactory::GetClassObject(REFCLSID clsid, REFIID iid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    for (ObjectFactory* f = first_; f; f = f->next_) {
        if (IsEqualCLSID(f->Clsid(), clsid)) return f->QueryInterface(iid, ppv);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT ObjectFactory::UpdateRegistryAll(bool doRegister) {
    for (ObjectFactory* f = first_; f; f = f->next_) {
        FW_RETURN_IF_FAILED(f->UpdateRegistry(doRegister));
    }
    return S_OK;
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
