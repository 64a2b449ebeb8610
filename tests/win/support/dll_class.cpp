#include "dll_class.h"

#include "raii.h"
#include "text.h"

namespace testing_support {

std::wstring BuildFile(const char* hostPath) {
    std::wstring path = L"Z:" + fw::NarrowToWide(hostPath, CP_ACP);
    for (auto& c : path) {
        if (c == L'/') c = L'\\';
    }
    return path;
}

HRESULT CreateFromDll(const std::wstring& dll, REFCLSID clsid, REFIID iid, void** object) {
    *object = nullptr;
    const HMODULE module = LoadLibraryW(dll.c_str());
    if (!module) return HRESULT_FROM_WIN32(GetLastError());
    using GetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
    const auto get = reinterpret_cast<GetClassObject>(
        reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
    if (!get) return E_NOINTERFACE;
    fw::ComPtr<IClassFactory> factory;
    const HRESULT hr = get(clsid, IID_IClassFactory, factory.put_void());
    if (FAILED(hr)) return hr;
    return factory->CreateInstance(nullptr, iid, object);
}

}  // namespace testing_support
