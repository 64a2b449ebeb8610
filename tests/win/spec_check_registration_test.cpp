// Self-registration of the spec-check control: what DllRegisterServer writes, that it can run
// twice, what DllUnregisterServer removes and keeps, and a module without its type library.
#include <windows.h>
#include <comcat.h>
#include <objsafe.h>
#include <olectl.h>

#include <gtest/gtest.h>

#include <string>

#include "VarnokSpecCheck.h"
#include "com_test.h"
#include "raii.h"
#include "text.h"

using fw::ComPtr;
using testing_support::KeyExists;
using testing_support::ReadString;

namespace {

// {2C240152-44BC-460A-A587-6E292571D994}
const CLSID kPageClsid = {0x2c240152, 0x44bc, 0x460a,
                          {0xa5, 0x87, 0x6e, 0x29, 0x25, 0x71, 0xd9, 0x94}};
const wchar_t kProgId[] = L"QUELLISSPECCHECK.QuellisSpecCheckCtrl.1";

std::wstring ClassKey(const CLSID& clsid) { return L"CLSID\\" + fw::GuidToString(clsid); }

std::wstring Value(const std::wstring& key, const wchar_t* name = nullptr) {
    std::wstring v;
    if (!ReadString(HKEY_CLASSES_ROOT, key, name, &v)) return L"<absent>";
    return v;
}

// The registered module, loaded by the test so that its entry points can be called directly.
class Registration : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = Value(ClassKey(CLSID_QuellisSpecCheck) + L"\\InprocServer32");
        ASSERT_NE(path_, L"<absent>") << "the fixture registers the control";
        module_ = LoadLibraryW(path_.c_str());
        ASSERT_NE(module_, nullptr);
        reg_ = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
            reinterpret_cast<void*>(GetProcAddress(module_, "DllRegisterServer")));
        unreg_ = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
            reinterpret_cast<void*>(GetProcAddress(module_, "DllUnregisterServer")));
        ASSERT_TRUE(reg_ && unreg_);
    }
    void TearDown() override {
        if (reg_) {
            EXPECT_EQ(reg_(), S_OK);  // leave the prefix registered for the other tests
        }
        if (module_) FreeLibrary(module_);
    }

    void ExpectRegistered() {
        const std::wstring cls = ClassKey(CLSID_QuellisSpecCheck);
        EXPECT_EQ(Value(kProgId), L"VarnokSpecCheck Control");
        EXPECT_EQ(Value(std::wstring(kProgId) + L"\\CLSID"), fw::GuidToString(CLSID_QuellisSpecCheck));
        EXPECT_EQ(Value(cls), L"VarnokSpecCheck Control");
        EXPECT_EQ(Value(cls + L"\\ProgID"), kProgId);
        EXPECT_EQ(Value(cls + L"\\InprocServer32"), path_);
        EXPECT_EQ(Value(cls + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
        EXPECT_EQ(Value(cls + L"\\ToolboxBitmap32"), path_ + L", 1");
        EXPECT_EQ(Value(cls + L"\\MiscStatus"), L"0");
        EXPECT_EQ(Value(cls + L"\\MiscStatus\\1"), L"131217");
        EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, cls + L"\\Control"));
        EXPECT_EQ(Value(cls + L"\\TypeLib"), fw::GuidToString(LIBID_QUELLISSPECCHECKLib));
        EXPECT_EQ(Value(cls + L"\\Version"), L"1.0");
        for (const CATID* cat : {&CATID_SafeForScripting, &CATID_SafeForInitializing}) {
            EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT,
                                  cls + L"\\Implemented Categories\\" + fw::GuidToString(*cat)));
        }
        const std::wstring page = ClassKey(kPageClsid);
        EXPECT_EQ(Value(page), L"VarnokSpecCheck Property Page");
        EXPECT_EQ(Value(page + L"\\InprocServer32"), path_);
        EXPECT_EQ(Value(page + L"\\InprocServer32", L"ThreadingModel"), L"<absent>");
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, page + L"\\ProgID"));
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"QUELLISSPECCHECK.QuellisSpecCheckPropPage.1"));
        ComPtr<ITypeLib> lib;
        EXPECT_EQ(LoadRegTypeLib(LIBID_QUELLISSPECCHECKLib, 1, 0, 0x0409, lib.put()), S_OK);
    }

    static void ExpectCategoriesDescribed() {
        ComPtr<ICatInformation> info;
        ASSERT_EQ(CoCreateInstance(CLSID_StdComponentCategoriesMgr, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_ICatInformation, info.put_void()),
                  S_OK);
        struct {
            const CATID* id;
            const wchar_t* text;
        } cats[] = {{&CATID_SafeForScripting, L"Controls that are safely scriptable"},
                    {&CATID_SafeForInitializing,
                     L"Controls safely initializable from persistent data"}};
        for (const auto& c : cats) {
            fw::CoTaskMem<wchar_t> desc;
            ASSERT_EQ(info->GetCategoryDesc(*c.id, 0x0409, desc.put()), S_OK);
            EXPECT_STREQ(desc.get(), c.text);
            std::wstring stored;
            EXPECT_TRUE(ReadString(HKEY_CLASSES_ROOT,
                                   L"Component Categories\\" + fw::GuidToString(*c.id), L"409",
                                   &stored));
            EXPECT_EQ(stored, c.text);
        }
    }

    std::wstring path_;
    HMODULE module_ = nullptr;
    HRESULT(STDAPICALLTYPE* reg_)() = nullptr;
    HRESULT(STDAPICALLTYPE* unreg_)() = nullptr;
};

TEST_F(Registration, WritesEveryEntryAndCategories) {
    ExpectRegistered();
    ExpectCategoriesDescribed();
}

TEST_F(Registration, RegisteringTwiceGivesTheSameEntries) {
    ASSERT_EQ(reg_(), S_OK);
    ASSERT_EQ(reg_(), S_OK);
    ExpectRegistered();
    ExpectCategoriesDescribed();
}

TEST_F(Registration, UnregisteringRemovesClassesAndKeepsCategories) {
    ASSERT_EQ(unreg_(), S_OK);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ClassKey(CLSID_QuellisSpecCheck)));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ClassKey(kPageClsid)));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kProgId));
    ComPtr<ITypeLib> lib;
    EXPECT_NE(LoadRegTypeLib(LIBID_QUELLISSPECCHECKLib, 1, 0, 0x0409, lib.put()), S_OK);
    ExpectCategoriesDescribed();
    ComPtr<IUnknown> object;
    EXPECT_EQ(CoCreateInstance(CLSID_QuellisSpecCheck, nullptr, CLSCTX_INPROC_SERVER,
                               IID_IUnknown, object.put_void()),
              REGDB_E_CLASSNOTREG);
}

TEST_F(Registration, ModuleWithoutTypeLibraryWritesNoClass) {
    // A copy of the module whose embedded type library is damaged (its "MSFT" signature).
    wchar_t temp[MAX_PATH];
    ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
    const std::wstring copy = std::wstring(temp) + L"notypelib.ocx";
    std::string bytes;
    {
        fw::Handle in(CreateFileW(path_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(in.valid());
        bytes.resize(GetFileSize(in.get(), nullptr));
        DWORD read = 0;
        ASSERT_TRUE(ReadFile(in.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr));
    }
    const size_t at = bytes.find("MSFT");
    ASSERT_NE(at, std::string::npos);
    bytes.replace(at, 4, "XXXX");
    {
        fw::Handle out(CreateFileW(copy.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        ASSERT_TRUE(out.valid());
        DWORD written = 0;
        ASSERT_TRUE(WriteFile(out.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                              nullptr));
    }

    ASSERT_EQ(unreg_(), S_OK);
    HMODULE broken = LoadLibraryW(copy.c_str());
    ASSERT_NE(broken, nullptr);
    auto brokenReg = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
        reinterpret_cast<void*>(GetProcAddress(broken, "DllRegisterServer")));
    ASSERT_NE(brokenReg, nullptr);
    EXPECT_EQ(brokenReg(), static_cast<HRESULT>(0x80040200));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ClassKey(CLSID_QuellisSpecCheck)));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kProgId));
    FreeLibrary(broken);
    DeleteFileW(copy.c_str());
}

TEST(ModuleState, CanUnloadOnlyWithoutObjectsOrLocks) {
    std::wstring path;
    ASSERT_TRUE(ReadString(HKEY_CLASSES_ROOT, ClassKey(CLSID_QuellisSpecCheck) + L"\\InprocServer32",
                           nullptr, &path));
    HMODULE module = LoadLibraryW(path.c_str());
    ASSERT_NE(module, nullptr);
    auto canUnload = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
        reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
    auto getClass = reinterpret_cast<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>(
        reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
    ASSERT_TRUE(canUnload && getClass);
    EXPECT_EQ(canUnload(), S_OK);
    const char* const exports[] = {"DllCanUnloadNow", "DllGetClassObject", "DllRegisterServer",
                                   "DllUnregisterServer"};
    for (WORD ordinal = 1; ordinal <= 4; ++ordinal) {
        EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(module, MAKEINTRESOURCEA(ordinal))),
                  reinterpret_cast<void*>(GetProcAddress(module, exports[ordinal - 1])))
            << exports[ordinal - 1];
    }

    ComPtr<IClassFactory> factory;
    ASSERT_EQ(getClass(CLSID_QuellisSpecCheck, IID_IClassFactory, factory.put_void()), S_OK);
    ComPtr<IClassFactory> pageFactory;
    EXPECT_EQ(getClass(kPageClsid, IID_IClassFactory, pageFactory.put_void()), S_OK);
    ComPtr<IClassFactory> none;
    EXPECT_EQ(getClass(IID_IDispatch, IID_IClassFactory, none.put_void()),
              CLASS_E_CLASSNOTAVAILABLE);

    ASSERT_EQ(factory->LockServer(TRUE), S_OK);
    EXPECT_EQ(canUnload(), S_FALSE);
    ASSERT_EQ(factory->LockServer(FALSE), S_OK);
    EXPECT_EQ(canUnload(), S_OK);

    {
        ComPtr<IUnknown> object;
        ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, object.put_void()), S_OK);
        EXPECT_EQ(canUnload(), S_FALSE);
        // Aggregation: only IUnknown may be asked for.
        ComPtr<IDispatch> wrong;
        EXPECT_EQ(factory->CreateInstance(object.get(), IID_IDispatch, wrong.put_void()),
                  CLASS_E_NOAGGREGATION);
    }
    EXPECT_EQ(canUnload(), S_OK);
    factory.Reset();
    pageFactory.Reset();
    FreeLibrary(module);
}

TEST(Resources, StringsVersionBitmapDialogAndManifest) {
    std::wstring path;
    ASSERT_TRUE(ReadString(HKEY_CLASSES_ROOT, ClassKey(CLSID_QuellisSpecCheck) + L"\\InprocServer32",
                           nullptr, &path));
    HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(fw::LoadResString(module, 1), L"VarnokSpecCheck Control");
    EXPECT_EQ(fw::LoadResString(module, 2), L"VarnokSpecCheck Property Page");
    EXPECT_EQ(fw::LoadResString(module, 200), L"General");
    const WORD korean = MAKELANGID(LANG_KOREAN, SUBLANG_KOREAN);
    EXPECT_NE(FindResourceExW(module, L"TYPELIB", MAKEINTRESOURCEW(1), korean), nullptr);
    EXPECT_NE(FindResourceExW(module, RT_MANIFEST, MAKEINTRESOURCEW(2),
                              MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)),
              nullptr);

    HRSRC bitmap = FindResourceExW(module, RT_BITMAP, MAKEINTRESOURCEW(1), korean);
    ASSERT_NE(bitmap, nullptr);
    const auto* info = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(module, bitmap)));
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->biWidth, 16);
    EXPECT_EQ(info->biHeight, 15);
    EXPECT_EQ(info->biBitCount, 4);

    HRSRC dialog = FindResourceExW(module, RT_DIALOG, MAKEINTRESOURCEW(200), korean);
    ASSERT_NE(dialog, nullptr);
    const auto* tmpl = static_cast<const DLGTEMPLATE*>(LockResource(LoadResource(module, dialog)));
    ASSERT_NE(tmpl, nullptr);
    EXPECT_EQ(tmpl->style, 0x40000040u);
    EXPECT_EQ(tmpl->cdit, 1);
    EXPECT_EQ(tmpl->cx, 250);
    EXPECT_EQ(tmpl->cy, 62);
    FreeLibrary(module);

    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
    ASSERT_GT(size, 0u);
    std::string block(size, '\0');
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT len = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &len));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00010003u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00010003u);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));
    EXPECT_EQ(fixed->dwFileFlags & fixed->dwFileFlagsMask, 0u);
    const struct {
        const wchar_t* key;
        const wchar_t* value;
    } strings[] = {
        {L"FileDescription", L"VarnokSpecCheck ActiveX Control Module"},
        {L"FileVersion", L"1.0.1.3"},
        {L"InternalName", L"VarnokSpecCheck.ocx"},
        {L"OriginalFilename", L"VarnokSpecCheck.OCX"},
        {L"ProductName", L"VarnokSpecCheck"},
        {L"ProductVersion", L"1.0.1.3"},
    };
    for (const auto& s : strings) {
        wchar_t* value = nullptr;
        const std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + s.key;
        ASSERT_TRUE(VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&value),
                                   &len))
            << s.key;
        EXPECT_STREQ(value, s.value);
    }
}

}  // namespace
