// Reference counting and aggregation for the module's objects. An object derives from
// ComObjectRoot, answers FindInterface for the interfaces it exposes, and puts
// FW_DELEGATING_IUNKNOWN in its class so that every interface's IUnknown goes to the controlling
// unknown (the outer object when aggregated, else its own inner unknown).
#pragma once

#include <windows.h>
#include <objbase.h>

#include <new>

#include "hresult.h"
#include "module.h"

namespace fw {

class ComObjectRoot {
public:
    ComObjectRoot(const ComObjectRoot&) = delete;
    ComObjectRoot& operator=(const ComObjectRoot&) = delete;

    // The non-delegating unknown: the one an aggregating outer object holds.
    IUnknown* Inner() { return &inner_; }
    // The unknown every interface's IUnknown methods forward to.
    IUnknown* Controlling() const { return controlling_; }

protected:
    explicit ComObjectRoot(IUnknown* outer)
        : controlling_(outer ? outer : static_cast<IUnknown*>(&inner_)) {
        inner_.owner = this;
        Module::Lock();
    }
    virtual ~ComObjectRoot() { Module::Unlock(); }

    // The interface pointer for iid, or nullptr. IID_IUnknown is answered by the root.
    virtual void* FindInterface(REFIID iid) = 0;

private:
    struct InnerUnknown : IUnknown {
        ComObjectRoot* owner = nullptr;
        LONG refs = 0;
        STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override {
            if (!ppv) return E_POINTER;
            *ppv = nullptr;
            if (IsEqualIID(iid, IID_IUnknown)) {
                *ppv = static_cast<IUnknown*>(this);
            } else {
                *ppv = owner->FindInterface(iid);
                if (!*ppv) return E_NOINTERFACE;
            }
            static_cast<IUnknown*>(*ppv)->AddRef();
            return S_OK;
        }
        STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs)); }
        STDMETHODIMP_(ULONG) Release() override {
            const LONG left = InterlockedDecrement(&refs);
            if (left == 0) {
                refs = 1;  // guards against re-entry while the object tears down
                delete owner;
            }
            return static_cast<ULONG>(left);
        }
    };

    InnerUnknown inner_;
    IUnknown* controlling_;
};

#define FW_DELEGATING_IUNKNOWN                                                                      \
    STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override {                                 \
        return Controlling()->QueryInterface(iid, ppv);                                             \
    }                                                                                               \
    STDMETHODIMP_(ULONG) AddRef() override { return Controlling()->AddRef(); }                     \
    STDMETHODIMP_(ULONG) Release() override { return Controlling()->Release(); }

// Creates T (constructed from the outer unknown) and answers iid from it. An aggregated object
// may only be asked for IUnknown, as COM requires.
template <typename T>
[[nodiscard]] HRESULT CreateComObject(IUnknown* outer, REFIID iid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (outer && !IsEqualIID(iid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;
    T* object = nullptr;
    FW_RETURN_IF_FAILED(fw::OutOfMemoryAsHresult([&]() -> HRESULT {
        object = new T(outer);
        return S_OK;
    }));
    IUnknown* inner = object->Inner();
    inner->AddRef();
    const HRESULT hr = inner->QueryInterface(iid, ppv);
    inner->Release();
    return hr;
}

}  // namespace fw
