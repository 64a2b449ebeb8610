// Sound-device probe: the description of the last playback device DirectSound enumerates.
#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include <array>
#include <new>
#include <string>

#include "raii.h"
#include "spec_check/rules/sound_device.h"
#include "spec_check_ctrl.h"

namespace {

struct SoundEnumeration {
    std::string description;
    bool failed = false;
};

// Runs inside DirectSound's enumeration: nothing may be thrown through it.
BOOL CALLBACK CollectSoundDevice(LPGUID, LPCSTR description, LPCSTR, LPVOID context) noexcept {
    auto* enumeration = static_cast<SoundEnumeration*>(context);
    try {
        return spec_check::CollectSoundDescription(enumeration->description, description) ? TRUE
                                                                                          : FALSE;
    } catch (...) {
        enumeration->failed = true;
        return FALSE;
    }
}

// dsound.dll from the system directory; a PC without it gives an empty library.
fw::Library LoadSystemLibrary(const char* name) {
    std::array<char, MAX_PATH> dir{};
    const UINT n = GetSystemDirectoryA(dir.data(), static_cast<UINT>(dir.size()));
    if (n == 0 || n >= dir.size()) return fw::Library(name);
    return fw::Library((std::string(dir.data(), n) + "\\" + name).c_str());
}

}  // namespace

BSTR CQuellisSpecCheckCtrl::GetStringSOUND() {
    using DirectSoundEnumerateAFn = HRESULT(WINAPI*)(LPDSENUMCALLBACKA, LPVOID);
    SoundEnumeration enumeration;
    {
        // Loaded at run time so that a PC without DirectSound still creates the control.
        const fw::Library dsound = LoadSystemLibrary("dsound.dll");
        const auto enumerate = dsound.Proc<DirectSoundEnumerateAFn>("DirectSoundEnumerateA");
        // Its result is not examined: what the callback collected stands.
        if (enumerate) enumerate(&CollectSoundDevice, &enumeration);
    }
    if (enumeration.failed) throw std::bad_alloc();
    return ResultString(enumeration.description);
}
