#include "registration.h"

#include <objsafe.h>
#include <olectl.h>

#include <string>

#include "hresult.h"
#include "module.h"
#include "raii.h"
#include "registry_tree.h"
#include "text.h"

namespace fw {
namespace {

// Creates HKCR\<path> and sets its default value (when given) and one named value; the failing
// registry call's error when one fails.
HRESULT SetKey(const std::wstring& path, const std::wstring* value, const wchar_t* name = nullptr,
               const wchar_t* named = nullptr) {
    RegKey key;
    FW_RETURN_IF_FAILED(FromWin32(key.CreateW(HKEY_CLASSES_ROOT, path.c_str(), KEY_WRITE)));
    auto set = [&key](const wchar_t* valueName, const std::wstring& data) {
        return FromWin32(key.WriteTextW(valueName, data));
    };
    if (value) FW_RETURN_IF_FAILED(set(nullptr, *value));
    if (name) FW_RETURN_IF_FAILED(set(name, named));
    return S_OK;
}

HRESULT SetKey(const std::wstring& path, const std::wstring& value) { return SetKey(path, &value); }

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

HRESULT RegisterControlClass(HINSTANCE instance, const ControlClassInfo& info) {
    return OutOfMemoryAsHresult([&]() -> HRESULT {
        const std::wstring path = Module::FileName(instance);
        const std::wstring clsid = GuidToString(*info.clsid);
        const std::wstring typeName = LoadResString(instance, info.typeNameId);
        const std::wstring progId = info.progId;
        const std::wstring key = L"CLSID\\" + clsid;
        const std::wstring version =
            DecimalText(info.typeLib.major) + L"." + DecimalText(info.typeLib.minor);

        FW_RETURN_IF_FAILED(SetKey(progId, typeName));
        FW_RETURN_IF_FAILED(SetKey(progId + L"\\CLSID", clsid));
        FW_RETURN_IF_FAILED(SetKey(key, typeName));
        FW_RETURN_IF_FAILED(SetKey(key + L"\\ProgID", progId));
        FW_RETURN_IF_FAILED(SetKey(key + L"\\InprocServer32", &path,
                                   info.threadingModel ? L"ThreadingModel" : nullptr,
                                   info.threadingModel));
        FW_RETURN_IF_FAILED(SetKey(key + L"\\ToolboxBitmap32",
                                   path + L", " + DecimalText(info.toolboxBitmapId)));
        FW_RETURN_IF_FAILED(SetKey(key + L"\\MiscStatus", L"0"));
        FW_RETURN_IF_FAILED(SetKey(key + L"\\MiscStatus\\1", DecimalText(info.miscStatus)));
        FW_RETURN_IF_FAILED(SetKey(key + L"\\Control", static_cast<const std::wstring*>(nullptr)));
        FW_RETURN_IF_FAILED(SetKey(key + L"\\TypeLib", GuidToString(*info.typeLib.libid)));
        return SetKey(key + L"\\Version", version);
    });
}

HRESULT RegisterPropertyPageClass(HINSTANCE instance, const CLSID& clsid, UINT typeNameId) {
    return OutOfMemoryAsHresult([&]() -> HRESULT {
        const std::wstring key = L"CLSID\\" + GuidToString(clsid);
        FW_RETURN_IF_FAILED(SetKey(key, LoadResString(instance, typeNameId)));
        return SetKey(key + L"\\InprocServer32", Module::FileName(instance));
    });
}

HRESULT UnregisterClass(const CLSID& clsid, const wchar_t* progId) {
    return OutOfMemoryAsHresult([&]() -> HRESULT {
        // Both trees are removed even when the first removal fails; the first failure is told.
        HRESULT hr = FromWin32(DeleteKeyTree(HKEY_CLASSES_ROOT,
                                             (L"CLSID\\" + GuidToString(clsid)).c_str()));
        if (progId && *progId) {
            const HRESULT progIdHr = FromWin32(DeleteKeyTree(HKEY_CLASSES_ROOT, progId));
            if (SUCCEEDED(hr)) hr = progIdHr;
        }
        return hr;
    });
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
