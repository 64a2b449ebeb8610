#include "dll_class.h"

#include "com_test.h"
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

ServedBy::ServedBy(REFCLSID clsid, const std::wstring& dll)
    : key_(L"CLSID\\" + fw::GuidToString(clsid) + L"\\InprocServer32") {
    ok_ = ReadString(HKEY_CLASSES_ROOT, key_, nullptr, &registered_) && Serve(dll);
}

ServedBy::~ServedBy() {
    if (ok_) Serve(registered_);
}

bool ServedBy::Serve(const std::wstring& dll) const {
    EndSurrogates();
    fw::RegKey key;
    return key.OpenW(HKEY_CLASSES_ROOT, key_.c_str(), KEY_SET_VALUE) == ERROR_SUCCESS &&
           RegSetValueExW(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(dll.c_str()),
                          static_cast<DWORD>((dll.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

}  // namespace testing_support
