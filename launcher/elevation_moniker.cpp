// The name and bind options the elevated launch hands the system's elevation moniker.
#include "launcher_ctrl.h"

std::wstring ElevationMonikerName() {
    wchar_t clsid[50] = {};
    StringFromGUID2(CLSID_QuellisLauncherVistaPlay, clsid, 50);
    return std::wstring(L"Elevation:Administrator!new:") + clsid;
}

BIND_OPTS3 ElevationBindOptions() {
    static_assert(sizeof(BIND_OPTS3) == 36);
    BIND_OPTS3 options{};
    options.cbStruct = sizeof options;
    options.dwClassContext = CLSCTX_LOCAL_SERVER;
    return options;
}
