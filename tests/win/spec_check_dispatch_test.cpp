// The spec-check control through IDispatch and its type library, as a page's script engine uses
// it, and the processor probes against registry values the test sets.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "VarnokSpecCheck.h"
#include "com_test.h"
#include "raii.h"
#include "text.h"

using fw::Bstr;
using fw::ComPtr;
using fw::RegKey;
using fw::Variant;
using testing_support::CallByName;
using testing_support::CallString;

namespace {

const wchar_t* const kMethods[] = {
    L"GetStringCPU",    L"GetStringOS",        L"GetStringMEMORY",    L"GetStringDirectX",
    L"GetStringVGA",    L"GetStringSOUND",     L"GetStringVGAVer",    L"GetStringVGADriver",
    L"GetStringVGAID",  L"GetStringCPUBit",    L"GetStringMacAddress", L"GetStringVGAMemory",
    L"GetStringCPUID",  L"GetStringSpecVer",   L"GetStringHDDID",
};

ComPtr<IDispatch> CreateControl() {
    ComPtr<IDispatch> control;
    CLSID clsid{};
    EXPECT_EQ(CLSIDFromProgID(L"QUELLISSPECCHECK.QuellisSpecCheckCtrl.1", &clsid), S_OK);
    EXPECT_TRUE(IsEqualCLSID(clsid, CLSID_QuellisSpecCheck));
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                               control.put_void()),
              S_OK);
    return control;
}

TEST(SpecCheckDispatch, NamesMapToDispidsOneToFifteenInOrder) {
    auto control = CreateControl();
    ASSERT_TRUE(control);
    for (int i = 0; i < 15; ++i) {
        DISPID id = 0;
        LPOLESTR names[] = {const_cast<LPOLESTR>(kMethods[i])};
        ASSERT_EQ(control->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK);
        EXPECT_EQ(id, i + 1) << kMethods[i];
    }
    DISPID id = 0;
    LPOLESTR unknown[] = {const_cast<LPOLESTR>(L"AboutBox")};
    EXPECT_EQ(control->GetIDsOfNames(IID_NULL, unknown, 1, LOCALE_USER_DEFAULT, &id),
              DISP_E_UNKNOWNNAME);
}

TEST(SpecCheckDispatch, EveryMethodReturnsANonNullBstr) {
    auto control = CreateControl();
    ASSERT_TRUE(control);
    for (int id = 1; id <= 15; ++id) {
        SCOPED_TRACE(testing::Message() << "DISPID " << id);
        Variant result;
        DISPPARAMS none = {nullptr, nullptr, 0, 0};
        ASSERT_EQ(control->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none,
                                  result.get(), nullptr, nullptr),
                  S_OK);
        EXPECT_EQ(V_VT(result.get()), VT_BSTR);
        EXPECT_NE(V_BSTR(result.get()), nullptr);
    }
}

TEST(SpecCheckDispatch, RefusesWrongCallShapes) {
    auto control = CreateControl();
    ASSERT_TRUE(control);
    Variant arg;
    V_VT(arg.get()) = VT_I4;
    V_I4(arg.get()) = 1;
    DISPPARAMS one = {arg.get(), nullptr, 1, 0};
    Variant result;
    EXPECT_EQ(control->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &one, result.get(), nullptr,
                              nullptr),
              DISP_E_BADPARAMCOUNT);
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    EXPECT_EQ(control->Invoke(16, IID_NULL, 0, DISPATCH_METHOD, &none, result.get(), nullptr,
                              nullptr),
              DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(control->Invoke(0, IID_NULL, 0, DISPATCH_METHOD, &none, result.get(), nullptr,
                              nullptr),
              DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(control->Invoke(1, IID_NULL, 0, DISPATCH_PROPERTYPUT, &none, result.get(), nullptr,
                              nullptr),
              DISP_E_MEMBERNOTFOUND);
    // No result slot: the BSTR is freed by the control, the call still succeeds.
    EXPECT_EQ(control->Invoke(10, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr),
              S_OK);
}

std::wstring DocString(ITypeLib* lib, INT index, std::wstring* name = nullptr,
                       std::wstring* helpFile = nullptr, DWORD* context = nullptr) {
    Bstr n, doc, file;
    DWORD ctx = 0;
    EXPECT_EQ(lib->GetDocumentation(index, n.put(), doc.put(), &ctx, file.put()), S_OK);
    if (name) *name = n.get() ? n.get() : L"";
    if (helpFile) *helpFile = file.get() ? file.get() : L"";
    if (context) *context = ctx;
    return doc.get() ? doc.get() : L"";
}

TEST(SpecCheckTypeLibrary, LibraryInterfacesAndClassAreAsDeclared) {
    ComPtr<ITypeLib> lib;
    ASSERT_EQ(LoadRegTypeLib(LIBID_QUELLISSPECCHECKLib, 1, 0, 0x0409, lib.put()), S_OK);
    TLIBATTR* libAttr = nullptr;
    ASSERT_EQ(lib->GetLibAttr(&libAttr), S_OK);
    EXPECT_EQ(libAttr->lcid, 0x0409u);
    EXPECT_EQ(libAttr->wMajorVerNum, 1);
    EXPECT_EQ(libAttr->wMinorVerNum, 0);
    EXPECT_TRUE(libAttr->wLibFlags & LIBFLAG_FCONTROL);
    lib->ReleaseTLibAttr(libAttr);

    std::wstring name, file;
    DWORD context = 1;
    EXPECT_EQ(DocString(lib.get(), -1, &name, &file, &context), L"VarnokLauncher ActiveX Control");
    EXPECT_EQ(name, L"QUELLISSPECCHECKLib");
    EXPECT_NE(file.find(L"VarnokSpecCheck.hlp"), std::wstring::npos) << file;
    EXPECT_EQ(context, 0u);

    struct Expected {
        const GUID* guid;
        const wchar_t* name;
        const wchar_t* help;
        TYPEKIND kind;
        UINT funcs;
    } expected[] = {
        {&DIID__DQuellisSpecCheck, L"_DQuellisSpecCheck",
         L"Dispatch interface for VarnokSpecCheck Control", TKIND_DISPATCH, 15},
        {&DIID__DQuellisSpecCheckEvents, L"_DQuellisSpecCheckEvents",
         L"Event interface for VarnokSpecCheck Control", TKIND_DISPATCH, 0},
        {&CLSID_QuellisSpecCheck, L"QuellisSpecCheck", L"VarnokLauncher ActiveX Control",
         TKIND_COCLASS, 0},
    };
    EXPECT_EQ(lib->GetTypeInfoCount(), 3u);
    for (const auto& e : expected) {
        SCOPED_TRACE(fw::WideToNarrow(e.name, CP_UTF8));
        ComPtr<ITypeInfo> info;
        ASSERT_EQ(lib->GetTypeInfoOfGuid(*e.guid, info.put()), S_OK);
        TYPEATTR* attr = nullptr;
        ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
        EXPECT_EQ(attr->typekind, e.kind);
        EXPECT_EQ(attr->cFuncs, e.funcs);
        EXPECT_EQ(attr->cVars, 0);
        const WORD flags = attr->wTypeFlags;
        const WORD implTypes = attr->cImplTypes;
        info->ReleaseTypeAttr(attr);
        Bstr n, doc;
        DWORD ctx = 1;
        ASSERT_EQ(info->GetDocumentation(MEMBERID_NIL, n.put(), doc.put(), &ctx, nullptr), S_OK);
        EXPECT_STREQ(n.get(), e.name);
        EXPECT_STREQ(doc.get(), e.help);
        EXPECT_EQ(ctx, 0u);
        if (e.guid == &DIID__DQuellisSpecCheck) {
            EXPECT_TRUE(flags & TYPEFLAG_FHIDDEN);
        }
        if (e.kind == TKIND_COCLASS) {
            EXPECT_TRUE(flags & TYPEFLAG_FCANCREATE);
            EXPECT_TRUE(flags & TYPEFLAG_FCONTROL);
            ASSERT_EQ(implTypes, 2);
            for (UINT i = 0; i < 2; ++i) {
                INT implFlags = 0;
                ASSERT_EQ(info->GetImplTypeFlags(i, &implFlags), S_OK);
                HREFTYPE ref = 0;
                ASSERT_EQ(info->GetRefTypeOfImplType(i, &ref), S_OK);
                ComPtr<ITypeInfo> impl;
                ASSERT_EQ(info->GetRefTypeInfo(ref, impl.put()), S_OK);
                TYPEATTR* implAttr = nullptr;
                ASSERT_EQ(impl->GetTypeAttr(&implAttr), S_OK);
                const GUID implGuid = implAttr->guid;
                impl->ReleaseTypeAttr(implAttr);
                EXPECT_TRUE(implFlags & IMPLTYPEFLAG_FDEFAULT);
                if (implFlags & IMPLTYPEFLAG_FSOURCE) {
                    EXPECT_TRUE(IsEqualGUID(implGuid, DIID__DQuellisSpecCheckEvents));
                } else {
                    EXPECT_TRUE(IsEqualGUID(implGuid, DIID__DQuellisSpecCheck));
                }
            }
        }
    }

    ComPtr<ITypeInfo> disp;
    ASSERT_EQ(lib->GetTypeInfoOfGuid(DIID__DQuellisSpecCheck, disp.put()), S_OK);
    for (UINT i = 0; i < 15; ++i) {
        FUNCDESC* func = nullptr;
        ASSERT_EQ(disp->GetFuncDesc(i, &func), S_OK);
        EXPECT_EQ(func->memid, static_cast<MEMBERID>(i + 1));
        EXPECT_EQ(func->invkind, INVOKE_FUNC);
        EXPECT_EQ(func->cParams, 0);
        EXPECT_EQ(func->elemdescFunc.tdesc.vt, VT_BSTR);
        const MEMBERID memid = func->memid;
        disp->ReleaseFuncDesc(func);
        Bstr n, doc;
        ASSERT_EQ(disp->GetDocumentation(memid, n.put(), doc.put(), nullptr, nullptr), S_OK);
        EXPECT_STREQ(n.get(), kMethods[i]);
        EXPECT_EQ(SysStringLen(doc.get()), 0u) << kMethods[i];
    }
}

// Sets HKLM\HARDWARE\DESCRIPTION\System\CentralProcessor\0 for one test and puts back what was
// there before.
class ProcessorKey : public ::testing::Test {
protected:
    static constexpr const wchar_t* kPath = L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0";
    struct Value {
        std::wstring name;
        DWORD type;
        std::vector<BYTE> data;
    };

    void SetUp() override {
        control_ = CreateControl();
        RegKey key;
        ASSERT_EQ(key.OpenW(HKEY_LOCAL_MACHINE, kPath, KEY_READ), ERROR_SUCCESS);
        for (DWORD i = 0;; ++i) {
            wchar_t name[256];
            DWORD nameLen = 256, type = 0, size = 0;
            if (RegEnumValueW(key.get(), i, name, &nameLen, nullptr, &type, nullptr, &size) !=
                ERROR_SUCCESS) {
                break;
            }
            Value v{name, type, std::vector<BYTE>(size)};
            nameLen = 256;
            RegEnumValueW(key.get(), i, name, &nameLen, nullptr, &type, v.data.data(), &size);
            saved_.push_back(v);
        }
    }
    void TearDown() override {
        RegKey key;
        ASSERT_EQ(CreateKey(key), ERROR_SUCCESS);
        RegDeleteValueW(key.get(), L"ProcessorNameString");
        for (const auto& v : saved_) {
            RegSetValueExW(key.get(), v.name.c_str(), 0, v.type, v.data.data(),
                           static_cast<DWORD>(v.data.size()));
        }
        SetThreadLocale(LOCALE_USER_DEFAULT);
    }
    // The hardware branch lives only in memory: a key recreated there must be volatile too.
    static LONG CreateKey(RegKey& key) {
        return RegCreateKeyExW(HKEY_LOCAL_MACHINE, kPath, 0, nullptr, REG_OPTION_VOLATILE,
                               KEY_READ | KEY_WRITE, nullptr, key.put(), nullptr);
    }
    void SetName(DWORD type, const void* data, size_t bytes) {
        RegKey key;
        ASSERT_EQ(CreateKey(key), ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExW(key.get(), L"ProcessorNameString", 0, type,
                                 static_cast<const BYTE*>(data), static_cast<DWORD>(bytes)),
                  ERROR_SUCCESS);
    }
    void SetName(const std::string& text) { SetName(REG_SZ, Widen(text)); }
    void SetName(DWORD type, const std::wstring& text) {
        SetName(type, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    }
    static std::wstring Widen(const std::string& s) { return std::wstring(s.begin(), s.end()); }
    std::wstring Cpu() { return CallString(control_.get(), L"GetStringCPU"); }

    ComPtr<IDispatch> control_;
    std::vector<Value> saved_;
};

TEST_F(ProcessorKey, LeadingSpacesGoEverythingElseStays) {
    SetName("     Test CPU @ 3.00GHz");
    EXPECT_EQ(Cpu(), L"Test CPU @ 3.00GHz");
    SetName("Test CPU   ");
    EXPECT_EQ(Cpu(), L"Test CPU   ");
    SetName("\tTabbed CPU");
    EXPECT_EQ(Cpu(), L"\tTabbed CPU");
    SetName("      ");
    EXPECT_EQ(Cpu(), L"      ");
}

TEST_F(ProcessorKey, EmptyNameIsAnEmptyBstrNotNull) {
    SetName("");
    Variant result;
    ASSERT_EQ(CallByName(control_.get(), L"GetStringCPU", result.get()), S_OK);
    ASSERT_EQ(V_VT(result.get()), VT_BSTR);
    ASSERT_NE(V_BSTR(result.get()), nullptr);
    EXPECT_EQ(SysStringLen(V_BSTR(result.get())), 0u);
    const char onlyNul[1] = {0};
    SetName(REG_BINARY, onlyNul, 1);
    EXPECT_EQ(Cpu(), L"");
    SetName(REG_BINARY, onlyNul, 0);
    EXPECT_EQ(Cpu(), L"");
}

TEST_F(ProcessorKey, NameFillsTheBufferExactlyOrFails) {
    const std::string fits(254, 'C');  // 254 characters and the terminator: 255 bytes
    SetName(fits);
    EXPECT_EQ(Cpu(), Widen(fits));
    SetName(fits + "C");
    EXPECT_EQ(Cpu(), L"Load Failed");
    SetName(std::string(4000, 'D'));
    EXPECT_EQ(Cpu(), L"Load Failed");
}

TEST_F(ProcessorKey, ValuesThatAreNotTextAreNeverReadPastTheirData) {
    const std::string noNul(255, 'B');  // exactly the buffer, no terminator
    SetName(REG_BINARY, noNul.data(), noNul.size());
    EXPECT_EQ(Cpu(), Widen(noNul));
    const DWORD abc = 0x00434241;  // "ABC\0"
    SetName(REG_DWORD, &abc, sizeof abc);
    EXPECT_EQ(Cpu(), L"ABC");
    const char inner[] = {' ', 'X', '\0', 'Y', '\0'};
    SetName(REG_BINARY, inner, sizeof inner);
    EXPECT_EQ(Cpu(), L"X");
}

TEST_F(ProcessorKey, MissingValueOrKeyLoadsNothing) {
    {
        RegKey key;
        ASSERT_EQ(key.OpenW(HKEY_LOCAL_MACHINE, kPath, KEY_SET_VALUE), ERROR_SUCCESS);
        RegDeleteValueW(key.get(), L"ProcessorNameString");
    }
    EXPECT_EQ(Cpu(), L"Load Failed");
    ASSERT_EQ(RegDeleteTreeW(HKEY_LOCAL_MACHINE, kPath), ERROR_SUCCESS);
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, kPath);
    EXPECT_EQ(Cpu(), L"Load Failed");
    // Repeated calls leave no key open behind them: the key can be recreated and read at once.
    for (int i = 0; i < 50; ++i) Cpu();
    SetName("Back Again");
    EXPECT_EQ(Cpu(), L"Back Again");
}

TEST_F(ProcessorKey, DoubleByteNameFollowsTheThreadCodePage) {
    // "한국 CPU" in code page 949, as a Korean system records it.
    const char korean[] = "  \xC7\xD1\xB1\xB9 CPU";
    SetName(REG_BINARY, korean, sizeof korean);
    ASSERT_TRUE(SetThreadLocale(MAKELCID(0x0412, SORT_DEFAULT)));
    EXPECT_EQ(Cpu(), L"\uD55C\uAD6D CPU");
}

TEST(SpecCheckBitness, SixtyFourBitPrefixSaysSo) {
    auto control = CreateControl();
    ASSERT_TRUE(control);
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    EXPECT_EQ(CallString(control.get(), L"GetStringCPUBit"), wow64 ? L"64Bit" : L"32Bit");
    EXPECT_TRUE(wow64) << "the test prefix is 64-bit";
}

TEST(SpecCheckApartments, MultithreadedCallerIsServedThroughTheApartmentModel) {
    std::wstring bits;
    HRESULT created = E_FAIL;
    std::thread mta([&] {
        fw::CoInit com(COINIT_MULTITHREADED);
        ComPtr<IDispatch> control;
        created = CoCreateInstance(CLSID_QuellisSpecCheck, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IDispatch, control.put_void());
        if (SUCCEEDED(created)) bits = CallString(control.get(), L"GetStringCPUBit");
    });
    mta.join();
    ASSERT_EQ(created, S_OK);
    EXPECT_EQ(bits, L"64Bit");
}

}  // namespace
