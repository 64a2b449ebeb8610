#include "registration.h"

#include <objsafe.h>
#include <olectl.h>

#include <string>

#include "module.h"
#include "raii.h"
#include "registry_tree.h"
#include "text.h"

namespace fw {
namespace {

// Creates HKCR\<path> and sets its default value (when given) and one named value.
bool SetKey(const std::wstring& path, const std::wstring* value, const wchar_t* name = nullptr,
            const wchar_t* named = nullptr) {
    RegKey key;
    if (key.CreateW(HKEY_CLASSES_ROOT, path.c_str(), KEY_WRITE) != ERROR_SUCCESS) return false;
    auto set = [&key](const wchar_t* valueName, const std::wstring& data) {
        const DWORD bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
        return RegSetValueExW(key.get(), valueName, 0, REG_SZ,
                              reinterpret_cast<const BYTE*>(data.c_str()), bytes) == ERROR_SUCCESS;
    };
    if (value && !set(nullptr, *value)) return false;
    if (name && !set(name, named)) return false;
    return true;
}

bool SetKey(const std::wstring& path, const std::wstring& value) { return SetKey(path, &value); }

}  // namespace

HRESULT RegisterModuleTypeLib(HINSTANCE instance) {
    const std::wstring path = Module::FileName(instance);
    ComPtr<ITypeLib> lib;
    HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, lib.put());
    if (FAILED(hr)) return hr;
    return RegisterTypeLib(lib.get(), const_cast<LPOLESTR>(path.c_str()), nullptr);
}

HRESULT UnregisterModuleTypeLib(const TypeLibId& lib, LCID lcid) {
    return UnRegisterTypeLib(*lib.libid, lib.major, lib.minor, lcid, SYS_WIN32);
}

bool RegisterControlClass(HINSTANCE instance, const ControlClassInfo& info) {
    const std::wstring path = Module::FileName(instance);
    const std::wstring clsid = GuidToString(*info.clsid);
    const std::wstring typeName = LoadResString(instance, info.typeNameId);
    const std::wstring progId = info.progId;
    const std::wstring key = L"CLSID\\" + clsid;
    const std::wstring version =
        std::to_wstring(info.typeLib.major) + L"." + std::to_wstring(info.typeLib.minor);

    return SetKey(progId, typeName) && SetKey(progId + L"\\CLSID", clsid) &&
           SetKey(key, typeName) && SetKey(key + L"\\ProgID", progId) &&
           SetKey(key + L"\\InprocServer32", &path,
                  info.threadingModel ? L"ThreadingModel" : nullptr, info.threadingModel) &&
           SetKey(key + L"\\ToolboxBitmap32",
                  path + L", " + std::to_wstring(info.toolboxBitmapId)) &&
           SetKey(key + L"\\MiscStatus", L"0") &&
           SetKey(key + L"\\MiscStatus\\1", std::to_wstring(info.miscStatus)) &&
           SetKey(key + L"\\Control", static_cast<const std::wstring*>(nullptr)) &&
           SetKey(key + L"\\TypeLib", GuidToString(*info.typeLib.libid)) &&
           SetKey(key + L"\\Version", version);
}

bool RegisterPropertyPageClass(HINSTANCE instance, const CLSID& clsid, UINT typeNameId) {
    const std::wstring key = L"CLSID\\" + GuidToString(clsid);
    return SetKey(key, LoadResString(instance, typeNameId)) &&
           SetKey(key + L"\\InprocServer32", Module::FileName(instance));
}

bool UnregisterClass(const CLSID& clsid, const wchar_t* progId) {
    auto remove = [](const std::wstring& path) {
        return DeleteKeyTree(HKEY_CLASSES_ROOT, path.c_str()) == ERROR_SUCCESS;
    };
    bool ok = remove(L"CLSID\\" + GuidToString(clsid));
    if (progId && *progId) ok = remove(progId) && ok;
    return ok;
}

namespace {

HRESULT CategoryManager(ComPtr<ICatRegister>& manager) {
    return CoCreateInstance(CLSID_StdComponentCategoriesMgr, nullptr, CLSCTX_INPROC_SERVER,
                            IID_ICatRegister, manager.put_void());
}

}  // namespace

HRESULT CreateComponentCategory(const CATID& catid, const wchar_t* description) {
    ComPtr<ICatRegister> manager;
    const HRESULT hr = CategoryManager(manager);
    if (FAILED(hr)) return hr;
    CATEGORYINFO info{};
    info.catid = catid;
    info.lcid = 0x0409;
    // The description field holds 127 characters and the terminator; longer ones are cut.
    const size_t capacity = sizeof(info.szDescription) / sizeof(info.szDescription[0]);
    size_t i = 0;
    for (; description[i] && i + 1 < capacity; ++i) info.szDescription[i] = description[i];
    info.szDescription[i] = L'\0';
    return manager->RegisterCategories(1, &info);
}

HRESULT RegisterClassImplCategory(const CLSID& clsid, const CATID& catid) {
    ComPtr<ICatRegister> manager;
    const HRESULT hr = CategoryManager(manager);
    if (FAILED(hr)) return hr;
    CATID ids[1] = {catid};
    return manager->RegisterClassImplCategories(clsid, 1, ids);
}

HRESULT RegisterSafeControl(const CLSID& clsid) {
    if (FAILED(CreateComponentCategory(CATID_SafeForScripting,
                                       L"Controls that are safely scriptable")) ||
        FAILED(CreateComponentCategory(CATID_SafeForInitializing,
                                       L"Controls safely initializable from persistent data")) ||
        FAILED(RegisterClassImplCategory(clsid, CATID_SafeForScripting)) ||
        FAILED(RegisterClassImplCategory(clsid, CATID_SafeForInitializing))) {
        return SELFREG_E_CLASS;
    }
    return S_OK;
}

}  // namespace fw
