// The module: its instance handle, its lock and object counts, and the class factories it serves.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <string>

namespace fw {

class Module {
public:
    // Called from DllMain on process attach.
    static void SetInstance(HINSTANCE instance) { instance_ = instance; }
    static HINSTANCE Instance() { return instance_; }
    // Full path of this module, or of the given one; empty when it cannot be read.
    static std::wstring FileName() { return FileName(instance_); }
    static std::wstring FileName(HINSTANCE instance);

    // Live objects and IClassFactory::LockServer locks; the DLL may unload when both are 0.
    static void Lock() { InterlockedIncrement(&locks_); }
    static void Unlock() { InterlockedDecrement(&locks_); }
    [[nodiscard]] static HRESULT CanUnloadNow() { return locks_ == 0 ? S_OK : S_FALSE; }

    // Looks the class up among the module's factories.
    [[nodiscard]] static HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** ppv);
    // Registers (true) or removes (false) every factory's classes; false at the first failure.
    [[nodiscard]] static HRESULT UpdateRegistryAll(bool doRegister);

private:
    static inline HINSTANCE instance_ = nullptr;
    static inline LONG locks_ = 0;
};

}  // namespace fw
