// The DirectX method of the spec-check control: Wine's diagnostic provider, a stand-in provider
// registered in this process, and the file scan over folders of small DLLs with chosen versions.
#include <windows.h>
// The provider's class and interface ids are defined here: no import library has them.
#include <initguid.h>
#include <dxdiag.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cwctype>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "VarnokSpecCheck.h"
#include "com_test.h"
#include "raii.h"
#include "spec_check/probes/probes.h"

using fw::ComPtr;
using fw::Variant;

namespace {

std::wstring CallDirectX() {
    const auto control = testing_support::CreateDispatch(CLSID_QuellisSpecCheck);
    return control ? testing_support::CallString(control.get(), L"GetStringDirectX")
                   : L"<no control>";
}

std::string Printable(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) out += c == L'\n' ? std::string("\\n") : std::string(1, char(c));
    return out;
}

TEST(SpecCheckDirectX, WineProviderAnswerReachesThePage) {
    ComPtr<IDxDiagProvider> provider;
    ASSERT_EQ(CoCreateInstance(CLSID_DxDiagProvider, nullptr, CLSCTX_INPROC_SERVER,
                               IID_IDxDiagProvider, provider.put_void()),
              S_OK);
    DXDIAG_INIT_PARAMS params{16, 111, FALSE, nullptr};
    ASSERT_EQ(provider->Initialize(&params), S_OK);
    ComPtr<IDxDiagContainer> root, system;
    ASSERT_EQ(provider->GetRootContainer(root.put()), S_OK);
    ASSERT_EQ(root->GetChildContainer(L"DxDiag_SystemInfo", system.put()), S_OK);
    Variant major, minor, letter;
    ASSERT_EQ(system->GetProp(L"dwDirectXVersionMajor", major.get()), S_OK);
    ASSERT_EQ(system->GetProp(L"dwDirectXVersionMinor", minor.get()), S_OK);
    ASSERT_EQ(system->GetProp(L"szDirectXVersionLetter", letter.get()), S_OK);
    ASSERT_EQ(V_VT(major.get()), VT_UI4);
    ASSERT_EQ(V_VT(minor.get()), VT_UI4);
    ASSERT_EQ(V_VT(letter.get()), VT_BSTR);
    ASSERT_GT(SysStringLen(V_BSTR(letter.get())), 0u);
    const wchar_t reported = V_BSTR(letter.get())[0];
    std::cout << "provider: " << V_UI4(major.get()) << ", " << V_UI4(minor.get()) << ", \""
              << char(reported) << "\"\n";
    wchar_t expected[64];
    std::swprintf(expected, 64, L"DirectX %u.%u %c\n", unsigned(V_UI4(major.get())),
                  unsigned(V_UI4(minor.get())), std::towlower(reported));
    const std::wstring answer = CallDirectX();
    std::cout << "control: " << Printable(answer) << "\n";
    EXPECT_EQ(answer, expected);
}

// A stand-in for the diagnostic provider class, registered in this process so that the
// control's CoCreateInstance finds it before the registry. Its objects live until the case ends,
// so that their reference counts can be checked after the call, too low as well as too high.
struct Property {
    VARTYPE type;  // VT_EMPTY: the property does not exist
    DWORD number;
    const wchar_t* text;
};
constexpr Property kMissing{VT_EMPTY, 0, nullptr};
constexpr Property Unsigned(DWORD n) { return {VT_UI4, n, nullptr}; }
constexpr Property Text(const wchar_t* t) { return {VT_BSTR, 0, t}; }

struct ProviderBehaviour {
    HRESULT create, initialize;
    bool systemInfo;
    Property major, minor, letter;
};

struct Counted {
    virtual ~Counted() = default;
    LONG refs = 1;
};

// What one case's stand-ins share: the behaviour, and every object made.
struct StandIns {
    explicit StandIns(const ProviderBehaviour& b) : behaviour(b) {}
    const ProviderBehaviour& behaviour;
    int creations = 0;
    std::vector<std::unique_ptr<Counted>> made;
    template <typename T>
    T* Make(bool root = false) {
        made.push_back(std::make_unique<T>(*this, root));
        return static_cast<T*>(made.back().get());
    }
};

template <typename I>
class StandIn : public I, public Counted {
public:
    StandIn(StandIns& s, const IID& iid) : s_(s), iid_(iid) {}
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = iid == IID_IUnknown || iid == iid_ ? static_cast<I*>(this) : nullptr;
        if (!*out) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }

protected:
    StandIns& s_;
    const IID& iid_;
};

class StandInContainer : public StandIn<IDxDiagContainer> {
public:
    StandInContainer(StandIns& s, bool root) : StandIn(s, IID_IDxDiagContainer), root_(root) {}
    STDMETHODIMP GetNumberOfChildContainers(DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP EnumChildContainerNames(DWORD, LPWSTR, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetNumberOfProps(DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP EnumPropNames(DWORD, LPWSTR, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetChildContainer(LPCWSTR name, IDxDiagContainer** out) override {
        if (!name || !out) return E_INVALIDARG;
        const bool found = root_ && s_.behaviour.systemInfo && !wcscmp(name, L"DxDiag_SystemInfo");
        *out = found ? s_.Make<StandInContainer>() : nullptr;
        return found ? S_OK : E_INVALIDARG;
    }
    STDMETHODIMP GetProp(LPCWSTR name, VARIANT* value) override {
        if (!name || !value) return E_INVALIDARG;
        const ProviderBehaviour& b = s_.behaviour;
        const Property* p = root_                                 ? &kMissing
                            : !wcscmp(name, L"dwDirectXVersionMajor") ? &b.major
                            : !wcscmp(name, L"dwDirectXVersionMinor") ? &b.minor
                            : !wcscmp(name, L"szDirectXVersionLetter") ? &b.letter
                                                                      : &kMissing;
        if (p->type == VT_EMPTY) return E_INVALIDARG;
        VariantClear(value);
        V_VT(value) = p->type;
        if (p->type == VT_BSTR) V_BSTR(value) = SysAllocString(p->text);
        else V_UI4(value) = p->number;  // VT_I4 has the same place
        return S_OK;
    }

private:
    bool root_;
};

class StandInProvider : public StandIn<IDxDiagProvider> {
public:
    StandInProvider(StandIns& s, bool) : StandIn(s, IID_IDxDiagProvider) {}
    STDMETHODIMP Initialize(DXDIAG_INIT_PARAMS* params) override {
        EXPECT_TRUE(params && params->dwSize == 16 && params->dwDxDiagHeaderVersion == 111 &&
                    !params->bAllowWHQLChecks && !params->pReserved);
        return s_.behaviour.initialize;
    }
    STDMETHODIMP GetRootContainer(IDxDiagContainer** out) override {
        if (!out) return E_INVALIDARG;
        *out = s_.Make<StandInContainer>(true);
        return S_OK;
    }
};

class StandInFactory : public StandIn<IClassFactory> {
public:
    explicit StandInFactory(StandIns& s) : StandIn(s, IID_IClassFactory) {}
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        ++s_.creations;
        if (outer) return CLASS_E_NOAGGREGATION;
        if (FAILED(s_.behaviour.create)) return s_.behaviour.create;
        auto* provider = s_.Make<StandInProvider>();
        const HRESULT hr = provider->QueryInterface(iid, out);
        provider->Release();
        return hr;
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }
};

// What the control must say when the provider is not believed: the file scan of the system
// folder decides, and this platform's d3d11.dll there carries a version.
std::wstring SystemScanAnswer() {
    char path[MAX_PATH] = {};
    const UINT n = GetSystemDirectoryA(path, MAX_PATH);
    EXPECT_TRUE(n > 0 && n < MAX_PATH);
    const std::string d3d11 = std::string(path, n) + "\\d3d11.dll";
    DWORD ignored = 0;
    EXPECT_GT(GetFileVersionInfoSizeA(d3d11.c_str(), &ignored), 0u)
        << d3d11 << " has no version: the scan's answer here is not known to this test";
    return L"DirectX 11.0  \n";
}

struct ProviderCase {
    const char* name;
    ProviderBehaviour behaviour;
    const wchar_t* expected;  // nullptr: the file scan's answer
};

TEST(SpecCheckDirectX, ProviderAnswerBelievedOnlyWhenComplete) {
    const std::wstring scan = SystemScanAnswer();
    constexpr Property k9 = Unsigned(9), k0 = Unsigned(0), kC = Text(L"c");
    const ProviderCase cases[] = {
        {"8.1 B", {S_OK, S_OK, true, Unsigned(8), Unsigned(1), Text(L"B")}, L"DirectX 8.1 b\n"},
        {"11.0 blank", {S_OK, S_OK, true, Unsigned(11), k0, Text(L" ")}, L"DirectX 11.0  \n"},
        {"letter cd", {S_OK, S_OK, true, k9, k0, Text(L"cd")}, L"DirectX 9.0 c\n"},
        {"empty letter", {S_OK, S_OK, true, k9, k0, Text(L"")}, nullptr},
        {"letter missing", {S_OK, S_OK, true, k9, k0, kMissing}, nullptr},
        {"major VT_I4", {S_OK, S_OK, true, {VT_I4, 9, nullptr}, k0, kC}, nullptr},
        {"minor missing", {S_OK, S_OK, true, k9, kMissing, kC}, nullptr},
        {"Initialize fails", {S_OK, E_FAIL, true, k9, k0, kC}, nullptr},
        {"no system info", {S_OK, S_OK, false, k9, k0, kC}, nullptr},
        {"creation refused", {E_OUTOFMEMORY, S_OK, true, k9, k0, kC}, nullptr},
    };
    for (const ProviderCase& c : cases) {
        SCOPED_TRACE(c.name);
        StandIns standIns{c.behaviour};
        StandInFactory factory(standIns);
        DWORD cookie = 0;
        ASSERT_EQ(CoRegisterClassObject(CLSID_DxDiagProvider, &factory, CLSCTX_INPROC_SERVER,
                                        REGCLS_MULTIPLEUSE, &cookie),
                  S_OK);
        const std::wstring answer = CallDirectX();
        EXPECT_EQ(CoRevokeClassObject(cookie), S_OK);
        std::cout << c.name << ": " << Printable(answer) << "\n";
        EXPECT_EQ(answer, c.expected ? std::wstring(c.expected) : scan);
        // The control reached the stand-in, and gave back every reference it had from it.
        EXPECT_EQ(standIns.creations, 1);
        EXPECT_EQ(factory.refs, 1);
        for (const auto& object : standIns.made) EXPECT_EQ(object->refs, 0);
    }
}

// Folders of stand-in DirectX files the build made, by their Windows path.
std::string ScanFolder(const char* name) {
    std::string path = std::string("Z:") + DXSCAN_DIR + "/" + name;
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

TEST(DirectXFileScan, Folders) {
    struct Case {
        const char* folder;
        std::uint32_t major, minor;
        char16_t letter;
    } cases[] = {
        {"dx7", 7, 0, u' '},        // ddraw 4.7.0.700, dinput 4.7.0.715
        {"dx7a", 7, 0, u'a'},       // ddraw 4.7.0.700, dinput 4.7.0.716
        {"dx81b", 8, 1, u'b'},      // mpg2splt.ax exactly 6.3.1.885
        {"dx10", 10, 0, u' '},      // d3d9, d3d10
        {"dx11", 11, 0, u' '},      // d3d9, d3d10, d3d11
        {"empty", 0, 0, u' '},
        {"truncated", 9, 0, u' '},  // d3d11's version resource ends before the version
        {"absent", 9, 0, u' '},     // d3d11 has no version resource
        {"longer", 7, 0, u' '},     // ddraw 4.7.0.700 with bytes after its block
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder);
        const auto v = spec_check::ScanDirectXFileVersions(ScanFolder(c.folder));
        EXPECT_EQ(v.major, c.major);
        EXPECT_EQ(v.minor, c.minor);
        EXPECT_EQ(v.letter, c.letter);
    }
}

TEST(DirectXFileScan, FileVersionOfDamagedAndSoundFiles) {
    struct Case {
        const char* file;
        std::optional<std::uint64_t> expected;
    } cases[] = {
        {"truncated\\d3d11.dll", std::nullopt},
        {"absent\\d3d11.dll", std::nullopt},
        {"absent\\missing.dll", std::nullopt},
        {"longer\\ddraw.dll", spec_check::MakeFileVersion(4, 7, 0, 700)},
        {"dx81b\\mpg2splt.ax", spec_check::MakeFileVersion(6, 3, 1, 885)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        EXPECT_EQ(spec_check::ReadFileVersion(ScanFolder("") + c.file), c.expected);
    }
}

}  // namespace
