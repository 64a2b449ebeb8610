// Display-adapter probes: the default adapter's identifier as Direct3D 9 reports it, and the
// local video memory DirectDraw 7 reports.
#include <windows.h>
#include <d3d9.h>
#include <ddraw.h>

#include "raii.h"
#include "spec_check/probes/probes.h"
#include "spec_check/probes/system_library.h"
#include "spec_check/rules/display_adapter.h"

static_assert(sizeof(D3DADAPTER_IDENTIFIER9{}.Description) == spec_check::kAdapterTextSize);
static_assert(sizeof(D3DADAPTER_IDENTIFIER9{}.Driver) == spec_check::kAdapterTextSize);

namespace spec_check {

namespace {

constexpr UINT kSdkVersion = 32;
// Local video memory only.
constexpr DWORD kVideoMemoryCaps = DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM;
static_assert(kVideoMemoryCaps == 0x10004000);

// The identifier of adapter 0, or nothing when Direct3D 9 cannot be created. The record is
// cleared first: a failed identifier call leaves empty texts and zeros, never stale memory.
std::optional<D3DADAPTER_IDENTIFIER9> QueryAdapterIdentifier() {
    using Direct3DCreate9Fn = IDirect3D9*(WINAPI*)(UINT);
    // Declared before the interface, so the DLL outlives the object made from it.
    const fw::Library d3d9 = LoadSystemLibrary("d3d9.dll");
    const auto create = d3d9.Proc<Direct3DCreate9Fn>("Direct3DCreate9");
    if (!create) return std::nullopt;
    fw::ComPtr<IDirect3D9> direct3d;
    *direct3d.put() = create(kSdkVersion);
    if (!direct3d) return std::nullopt;
    D3DADAPTER_IDENTIFIER9 identifier{};
    // Its result is not examined: the cleared record stands for a failed call.
    direct3d->GetAdapterIdentifier(D3DADAPTER_DEFAULT, 0, &identifier);
    return identifier;
}

}  // namespace

std::optional<std::string> ProbeAdapterDescription() {
    const auto identifier = QueryAdapterIdentifier();
    if (!identifier) return std::nullopt;
    return AdapterText(identifier->Description);
}

std::optional<std::string> ProbeDriverVersion() {
    const auto identifier = QueryAdapterIdentifier();
    if (!identifier) return std::nullopt;
    return DriverVersionText(static_cast<std::uint32_t>(identifier->DriverVersion.HighPart),
                             identifier->DriverVersion.LowPart);
}

std::optional<std::string> ProbeDriverFile() {
    const auto identifier = QueryAdapterIdentifier();
    if (!identifier) return std::nullopt;
    return AdapterText(identifier->Driver);
}

std::optional<std::string> ProbeDeviceId() {
    const auto identifier = QueryAdapterIdentifier();
    if (!identifier) return std::nullopt;
    const GUID& id = identifier->DeviceIdentifier;
    return DeviceIdText(id.Data1, id.Data2, id.Data3, id.Data4);
}

std::optional<std::string> ProbeVideoMemory() {
    using DirectDrawCreateExFn = HRESULT(WINAPI*)(GUID*, LPVOID*, REFIID, IUnknown*);
    const fw::Library ddraw = LoadSystemLibrary("ddraw.dll");
    const auto create = ddraw.Proc<DirectDrawCreateExFn>("DirectDrawCreateEx");
    if (!create) return std::nullopt;
    fw::ComPtr<IDirectDraw7> directDraw;
    if (FAILED(create(nullptr, directDraw.put_void(), IID_IDirectDraw7, nullptr)) || !directDraw) {
        return std::nullopt;
    }
    DDSCAPS2 caps{};
    caps.dwCaps = kVideoMemoryCaps;
    DWORD total = 0;
    DWORD free = 0;
    if (FAILED(directDraw->GetAvailableVidMem(&caps, &total, &free))) return std::nullopt;
    directDraw.Reset();
    return VideoMemoryText(total);
}

}  // namespace spec_check
