// Self-registration of the launcher: every entry its scripts and code write, a module path with
// a quote, registering twice, unregistering, and unloading.
#include <windows.h>
#include <comcat.h>
#include <objsafe.h>

#include <gtest/gtest.h>

#include <string>

#include "VarnokLauncher.h"
#include "com_test.h"
#include "raii.h"
#include "text.h"

using fw::ComPtr;
using fw::RegKey;
using testing_support::KeyExists;
using testing_support::ReadString;

namespace {

// {40A3FCBF-B7C8-4DB5-9EC9-24B7AD28EC83}
const GUID kAppId = {0x40a3fcbf, 0xb7c8, 0x4db5, {0x9e, 0xc9, 0x24, 0xb7, 0xad, 0x28, 0xec, 0x83}};
const wchar_t kProgId[] = L"QuellisLauncher.QuellisLauncherVistaPlay.1";
const wchar_t kIndependentProgId[] = L"QuellisLauncher.QuellisLauncherVistaPlay";
const wchar_t kName[] = L"VarnokLauncher ActiveX Control";

using Entry = HRESULT(STDAPICALLTYPE*)();

std::wstring ClassKey() { return L"CLSID\\" + fw::GuidToString(CLSID_QuellisLauncherVistaPlay); }
std::wstring AppIdKey() { return L"AppID\\" + fw::GuidToString(kAppId); }

std::wstring Value(const std::wstring& key, const wchar_t* name = nullptr) {
    std::wstring v;
    return ReadString(HKEY_CLASSES_ROOT, key, name, &v) ? v : L"<absent>";
}

DWORD DwordValue(const std::wstring& key, const wchar_t* name) {
    RegKey k;
    if (k.OpenW(HKEY_CLASSES_ROOT, key.c_str(), KEY_QUERY_VALUE) != ERROR_SUCCESS) return 0xFFFFFFFF;
    DWORD value = 0, size = sizeof value, type = 0;
    if (RegQueryValueExW(k.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD) {
        return 0xFFFFFFFF;
    }
    return value;
}

class LauncherRegistration : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = Value(ClassKey() + L"\\InprocServer32");
        ASSERT_NE(path_, L"<absent>") << "the fixture registers the launcher";
        module_ = LoadLibraryW(path_.c_str());
        ASSERT_NE(module_, nullptr);
        reg_ = Proc(module_, "DllRegisterServer");
        unreg_ = Proc(module_, "DllUnregisterServer");
        ASSERT_TRUE(reg_ && unreg_);
    }
    void TearDown() override {
        if (reg_) {
            EXPECT_EQ(reg_(), S_OK);  // the other tests need the launcher registered
        }
        if (module_) FreeLibrary(module_);
    }
    static Entry Proc(HMODULE module, const char* name) {
        return reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    }

    void ExpectRegistered(const std::wstring& path) {
        const std::wstring cls = ClassKey();
        const std::wstring clsid = fw::GuidToString(CLSID_QuellisLauncherVistaPlay);
        const std::wstring appid = fw::GuidToString(kAppId);
        EXPECT_EQ(Value(kProgId), kName);
        EXPECT_EQ(Value(std::wstring(kProgId) + L"\\CLSID"), clsid);
        EXPECT_EQ(Value(kIndependentProgId), kName);
        EXPECT_EQ(Value(std::wstring(kIndependentProgId) + L"\\CLSID"), clsid);
        EXPECT_EQ(Value(std::wstring(kIndependentProgId) + L"\\CurVer"), kProgId);
        EXPECT_EQ(Value(cls), kName);
        EXPECT_EQ(Value(cls, L"AppID"), appid);
        EXPECT_EQ(Value(cls, L"LocalizedString"), L"@" + path + L",-101");
        EXPECT_EQ(Value(cls + L"\\ProgID"), kProgId);
        EXPECT_EQ(Value(cls + L"\\VersionIndependentProgID"), kIndependentProgId);
        EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, cls + L"\\Programmable"));
        EXPECT_EQ(Value(cls + L"\\InprocServer32"), path);
        EXPECT_EQ(Value(cls + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
        EXPECT_EQ(DwordValue(cls + L"\\Elevation", L"Enabled"), 1u);
        EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, cls + L"\\Control"));
        EXPECT_EQ(Value(cls + L"\\ToolboxBitmap32"), path + L", 103");
        EXPECT_EQ(Value(cls + L"\\MiscStatus"), L"0");
        EXPECT_EQ(Value(cls + L"\\MiscStatus\\1"), L"131473");
        EXPECT_EQ(Value(cls + L"\\TypeLib"), fw::GuidToString(LIBID_QuellisLauncherLib));
        EXPECT_EQ(Value(cls + L"\\Version"), L"1.0");
        for (const CATID* cat : {&CATID_SafeForScripting, &CATID_SafeForInitializing}) {
            EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT,
                                  cls + L"\\Implemented Categories\\" + fw::GuidToString(*cat)));
        }
        EXPECT_EQ(Value(AppIdKey()), L"VarnokLauncher");
        EXPECT_EQ(Value(AppIdKey(), L"DllSurrogate"), L"");
        EXPECT_EQ(Value(L"AppID\\VarnokLauncher.DLL", L"AppID"), appid);
        // The interface is marshalled by the proxy/stub in this module.
        const std::wstring iid = fw::GuidToString(IID_IQuellisLauncherVistaPlay);
        EXPECT_EQ(Value(L"Interface\\" + iid + L"\\ProxyStubClsid32"), iid);
        EXPECT_EQ(Value(L"CLSID\\" + iid + L"\\InProcServer32"), path);
        ComPtr<ITypeLib> lib;
        EXPECT_EQ(LoadRegTypeLib(LIBID_QuellisLauncherLib, 1, 0, 0x0409, lib.put()), S_OK);
    }

    std::wstring path_;
    HMODULE module_ = nullptr;
    Entry reg_ = nullptr;
    Entry unreg_ = nullptr;
};

TEST_F(LauncherRegistration, WritesEveryEntry) { ExpectRegistered(path_); }

TEST_F(LauncherRegistration, RegisteringTwiceRebuildsTheClassKey) {
    {
        RegKey stray;
        ASSERT_EQ(stray.CreateW(HKEY_CLASSES_ROOT, (ClassKey() + L"\\Stray").c_str()), ERROR_SUCCESS);
        RegKey cls;
        ASSERT_EQ(cls.OpenW(HKEY_CLASSES_ROOT, ClassKey().c_str(), KEY_SET_VALUE), ERROR_SUCCESS);
        const wchar_t junk[] = L"junk";
        ASSERT_EQ(RegSetValueExW(cls.get(), L"Junk", 0, REG_SZ, reinterpret_cast<const BYTE*>(junk),
                                 sizeof junk),
                  ERROR_SUCCESS);
    }
    ASSERT_EQ(reg_(), S_OK);
    ASSERT_EQ(reg_(), S_OK);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ClassKey() + L"\\Stray"));
    EXPECT_EQ(Value(ClassKey(), L"Junk"), L"<absent>");
    ExpectRegistered(path_);
}

TEST_F(LauncherRegistration, UnregisteringKeepsParentsAndCategories) {
    ASSERT_EQ(unreg_(), S_OK);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kProgId));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kIndependentProgId));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ClassKey()));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, AppIdKey()));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"AppID\\VarnokLauncher.DLL"));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"AppID"));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"CLSID"));
    ComPtr<ITypeLib> lib;
    EXPECT_NE(LoadRegTypeLib(LIBID_QuellisLauncherLib, 1, 0, 0x0409, lib.put()), S_OK);
    ComPtr<ICatInformation> info;
    ASSERT_EQ(CoCreateInstance(CLSID_StdComponentCategoriesMgr, nullptr, CLSCTX_INPROC_SERVER,
                               IID_ICatInformation, info.put_void()),
              S_OK);
    fw::CoTaskMem<wchar_t> desc;
    EXPECT_EQ(info->GetCategoryDesc(CATID_SafeForScripting, 0x0409, desc.put()), S_OK);
    EXPECT_STREQ(desc.get(), L"Controls that are safely scriptable");
    EXPECT_EQ(info->GetCategoryDesc(CATID_SafeForInitializing, 0x0409, desc.put()), S_OK);
    EXPECT_STREQ(desc.get(), L"Controls safely initializable from persistent data");
}

TEST_F(LauncherRegistration, ModulePathWithAQuoteIsWrittenAsItIs) {
    const std::wstring dir = L"C:\\Varnok's Launcher";
    const std::wstring copy = dir + L"\\VarnokLauncher.dll";
    CreateDirectoryW(dir.c_str(), nullptr);
    ASSERT_TRUE(CopyFileW(path_.c_str(), copy.c_str(), FALSE));
    HMODULE quoted = LoadLibraryW(copy.c_str());
    ASSERT_NE(quoted, nullptr);
    wchar_t loaded[MAX_PATH] = {};
    GetModuleFileNameW(quoted, loaded, MAX_PATH);
    ASSERT_EQ(std::wstring(loaded), copy) << "a module of its own, not the registered one";
    Entry reg = Proc(quoted, "DllRegisterServer");
    ASSERT_NE(reg, nullptr);
    EXPECT_EQ(reg(), S_OK);
    ExpectRegistered(copy);
    FreeLibrary(quoted);
}

TEST(LauncherModule, CanUnloadOnlyWithoutInstancesOrLocks) {
    std::wstring path;
    ASSERT_TRUE(ReadString(HKEY_CLASSES_ROOT, ClassKey() + L"\\InprocServer32", nullptr, &path));
    HMODULE module = LoadLibraryW(path.c_str());
    ASSERT_NE(module, nullptr);
    auto canUnload = reinterpret_cast<Entry>(
        reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
    auto getClass = reinterpret_cast<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>(
        reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
    ASSERT_TRUE(canUnload && getClass);
    EXPECT_EQ(canUnload(), S_OK);
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(getClass(CLSID_QuellisLauncherVistaPlay, IID_IClassFactory, factory.put_void()), S_OK);
    {
        ComPtr<IUnknown> object;
        ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, object.put_void()), S_OK);
        EXPECT_EQ(canUnload(), S_FALSE);
        // Aggregated: the outer object holds the inner unknown.
        ComPtr<IUnknown> inner;
        EXPECT_EQ(factory->CreateInstance(object.get(), IID_IUnknown, inner.put_void()), S_OK);
    }
    EXPECT_EQ(canUnload(), S_OK);
    ASSERT_EQ(factory->LockServer(TRUE), S_OK);
    EXPECT_EQ(canUnload(), S_FALSE);
    ASSERT_EQ(factory->LockServer(FALSE), S_OK);
    EXPECT_EQ(canUnload(), S_OK);
    // The proxy/stub's class object is served by the same module under the interface's id.
    ComPtr<IPSFactoryBuffer> ps;
    EXPECT_EQ(getClass(IID_IQuellisLauncherVistaPlay, IID_IPSFactoryBuffer, ps.put_void()), S_OK);
    ps.Reset();
    factory.Reset();
    FreeLibrary(module);
}

}  // namespace
