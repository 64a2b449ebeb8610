// The module: its instance handle and its lock and object counts.
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
    // The instance handle, or the process's executable while none is set (framework code linked
    // into a program rather than a DLL): where windows classes and resources are looked up.
    static HINSTANCE InstanceOrProcess() {
        return instance_ ? instance_ : GetModuleHandleW(nullptr);
    }
    // Full path of this module, or of the given one; empty when it cannot be read.
    static std::wstring FileName() { return FileName(instance_); }
    static std::wstring FileName(HINSTANCE instance);

    // Live objects and IClassFactory::LockServer locks; the DLL may unload when both are 0.
    static void Lock() { InterlockedIncrement(&locks_); }
    static void Unlock() { InterlockedDecrement(&locks_); }
    [[nodiscard]] static HRESULT CanUnloadNow() { return locks_ == 0 ? S_OK : S_FALSE; }

private:
    static inline HINSTANCE instance_ = nullptr;
    static inline LONG locks_ = 0;
};

}  // namespace fw
