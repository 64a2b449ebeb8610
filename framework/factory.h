// Class factory: one static object per creatable class. It joins the module's list of factories
// when constructed, creates objects through its creator (aggregation allowed), and registers or
// removes its class through UpdateRegistry. The list answers the module's class lookup and
// registration of all its classes.
#pragma once

#include <windows.h>
#include <objbase.h>

#include "module.h"

namespace fw {

using Creator = HRESULT (*)(IUnknown* outer, REFIID iid, void** ppv);

class ObjectFactory : public IClassFactory {
public:
    ObjectFactory(const CLSID& clsid, const wchar_t* progId, Creator creator);
    virtual ~ObjectFactory() = default;

    const CLSID& Clsid() const { return clsid_; }
    const wchar_t* ProgId() const { return progId_; }

    // DllGetClassObject: the factory of clsid asked for iid; *ppv null and
    // CLASS_E_CLASSNOTAVAILABLE when no factory serves clsid.
    [[nodiscard]] static HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** ppv);
    // Registers (true) or removes (false) every factory's class in declaration order; stops at
    // the first failure and answers its error.
    [[nodiscard]] static HRESULT UpdateRegistryAll(bool doRegister);

    // Writes (true) or removes (false) the class's registry entries; the first failure's error.
    [[nodiscard]] virtual HRESULT UpdateRegistry(bool doRegister) = 0;

    // IUnknown: the factory is static and never freed.
    STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    // IClassFactory
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** ppv) override;
    STDMETHODIMP LockServer(BOOL lock) override;

private:
    const CLSID& clsid_;
    const wchar_t* progId_;
    Creator creator_;
    ObjectFactory* next_ = nullptr;

    // The module's factories in declaration order, linked through next_.
    static inline ObjectFactory* first_ = nullptr;
};

}  // namespace fw
