// DirectX version probe: the diagnostic provider's answer, or else the versions of the DirectX
// files in the system folder.
#include <windows.h>
#include <dxdiag.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <new>

#include "raii.h"
#include "spec_check/probes/probes.h"
#include "spec_check/probes/system_library.h"

namespace spec_check {

namespace {

// {A65B8071-3BFE-4213-9A5B-491DA4461CA7}, {9C6B4CB0-23F8-49CC-A3ED-45A55000A6D2}
const CLSID kDxDiagProviderClsid = {
    0xA65B8071, 0x3BFE, 0x4213, {0x9A, 0x5B, 0x49, 0x1D, 0xA4, 0x46, 0x1C, 0xA7}};
const IID kDxDiagProviderIid = {
    0x9C6B4CB0, 0x23F8, 0x49CC, {0xA3, 0xED, 0x45, 0xA5, 0x50, 0x00, 0xA6, 0xD2}};

// Header version of the diagnostic interface the start parameters name.
constexpr DWORD kDxDiagHeaderVersion = 111;
static_assert(sizeof(DXDIAG_INIT_PARAMS) == 16);

// A 32-bit unsigned property: stored into `out` only when the read gives that type.
bool ReadUnsigned(IDxDiagContainer* container, const wchar_t* name, std::uint32_t& out) {
    fw::Variant value;
    if (FAILED(container->GetProp(name, value.get())) || V_VT(value.get()) != VT_UI4) return false;
    out = V_UI4(value.get());
    return true;
}

// The letter property: a non-empty string, whose first unit is stored.
bool ReadLetter(IDxDiagContainer* container, const wchar_t* name, char16_t& out) {
    fw::Variant value;
    if (FAILED(container->GetProp(name, value.get())) || V_VT(value.get()) != VT_BSTR ||
        SysStringLen(V_BSTR(value.get())) == 0) {
        return false;
    }
    out = static_cast<char16_t>(V_BSTR(value.get())[0]);
    return true;
}

// version.dll's three functions, looked up once for a whole scan.
class VersionFunctions {
public:
    VersionFunctions()
        : library_(LoadSystemLibrary("version.dll")),
          size_(library_.Proc<SizeFn>("GetFileVersionInfoSizeA")),
          info_(library_.Proc<InfoFn>("GetFileVersionInfoA")),
          query_(library_.Proc<QueryFn>("VerQueryValueA")) {}

    std::optional<std::uint64_t> Read(const char* path) const {
        if (!path || !size_ || !info_ || !query_) return std::nullopt;
        DWORD ignored = 0;
        const DWORD size = size_(path, &ignored);
        if (size == 0) return std::nullopt;
        // A block that cannot be had skips this file. It starts zeroed: the platform fills only
        // as much as the file's resource holds, and the rest must never hold what the heap held
        // before (an earlier file's version).
        std::unique_ptr<unsigned char[]> block(new (std::nothrow) unsigned char[size]());
        if (!block || !info_(path, 0, size, block.get())) return std::nullopt;
        void* fixed = nullptr;
        UINT fixedSize = 0;
        if (!query_(block.get(), "\\", &fixed, &fixedSize) || !fixed) return std::nullopt;
        // The block is only as long as its header says (its first word); the query reports the
        // fixed part's place without checking that a cut resource still holds it.
        WORD declared = 0;
        if (size >= sizeof declared) std::memcpy(&declared, block.get(), sizeof declared);
        return FixedFileVersion(block.get(), std::min<std::size_t>(size, declared),
                                static_cast<const unsigned char*>(fixed), fixedSize);
    }

private:
    using SizeFn = DWORD(WINAPI*)(LPCSTR, LPDWORD);
    using InfoFn = BOOL(WINAPI*)(LPCSTR, DWORD, DWORD, LPVOID);
    using QueryFn = BOOL(WINAPI*)(LPCVOID, LPCSTR, LPVOID*, PUINT);
    fw::Library library_;
    SizeFn size_;
    InfoFn info_;
    QueryFn query_;
};

}  // namespace

bool QueryDxDiagVersion(DirectXVersion& version) {
    // Balanced only when it succeeded; the provider is tried either way. Declared first so that
    // every interface below is released before it.
    const fw::CoInit com;
    fw::ComPtr<IDxDiagProvider> provider;
    if (FAILED(CoCreateInstance(kDxDiagProviderClsid, nullptr, CLSCTX_INPROC_SERVER,
                                kDxDiagProviderIid, provider.put_void()))) {
        return false;
    }
    DXDIAG_INIT_PARAMS params{};
    params.dwSize = sizeof params;
    params.dwDxDiagHeaderVersion = kDxDiagHeaderVersion;
    params.bAllowWHQLChecks = FALSE;
    params.pReserved = nullptr;
    fw::ComPtr<IDxDiagContainer> root;
    fw::ComPtr<IDxDiagContainer> system;
    if (FAILED(provider->Initialize(&params)) || FAILED(provider->GetRootContainer(root.put())) ||
        !root || FAILED(root->GetChildContainer(L"DxDiag_SystemInfo", system.put())) || !system) {
        return false;
    }
    // Each value is kept the moment it is accepted, even when a later one is not.
    const bool major = ReadUnsigned(system.get(), L"dwDirectXVersionMajor", version.major);
    const bool minor = ReadUnsigned(system.get(), L"dwDirectXVersionMinor", version.minor);
    const bool letter = ReadLetter(system.get(), L"szDirectXVersionLetter", version.letter);
    return major && minor && letter;
}

std::optional<std::uint64_t> ReadFileVersion(const std::string& path) {
    return VersionFunctions().Read(path.c_str());
}

DirectXVersion ScanDirectXFileVersions(const std::string& directory) {
    const VersionFunctions versions;
    return ScanDirectXFileVersions(
        directory, [&versions](const std::string& path) { return versions.Read(path.c_str()); });
}

DirectXVersion ScanDirectXFileVersions() {
    std::array<char, kSystemDirectorySize> directory{};
    const UINT n = GetSystemDirectoryA(directory.data(), static_cast<UINT>(directory.size()));
    // A folder whose name does not fit is not known: reading "\ddraw.dll" and the like from the
    // current drive's root instead would let any file there decide.
    if (n == 0 || n >= directory.size()) return {};
    return ScanDirectXFileVersions(std::string(directory.data(), n));
}

DirectXVersion DetectDirectXVersion() {
    DirectXVersion version;
    if (!QueryDxDiagVersion(version)) version = ScanDirectXFileVersions();
    version.letter = LowerLetter(version.letter);
    return version;
}

std::string ProbeDirectX() { return DirectXText(DetectDirectXVersion()); }

}  // namespace spec_check
