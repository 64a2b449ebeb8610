// Sound-device probe: the description of the last playback device DirectSound enumerates.
#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include <new>

#include "spec_check/probes/probes.h"
#include "spec_check/probes/system_library.h"
#include "spec_check/rules/sound_device.h"

namespace spec_check {

namespace {

struct SoundEnumeration {
    std::string description;
    bool failed = false;
};

// Runs inside DirectSound's enumeration: nothing may be thrown through it.
BOOL CALLBACK CollectSoundDevice(LPGUID, LPCSTR description, LPCSTR, LPVOID context) noexcept {
    auto* enumeration = static_cast<SoundEnumeration*>(context);
    try {
        return CollectSoundDescription(enumeration->description, description) ? TRUE : FALSE;
    } catch (...) {
        enumeration->failed = true;
        return FALSE;
    }
}

}  // namespace

std::string ProbeSoundDevice() {
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
    return enumeration.description;
}

}  // namespace spec_check
