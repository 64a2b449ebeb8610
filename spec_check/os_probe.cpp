// Operating-system probe: the version facts Windows reports to this process, named by the rule.
#include "spec_check/rules/cpu_name.h"
#include "spec_check/rules/os_name.h"
#include "spec_check_ctrl.h"

static_assert(sizeof(OSVERSIONINFOEXA) == spec_check::kVersionRecordSize);
static_assert(sizeof(OSVERSIONINFOEXA{}.szCSDVersion) == spec_check::kServicePackTextSize);

namespace {

// Looked up at run time: older Windows versions lack these functions.
template <typename Fn>
Fn KernelFunction(const char* name) {
    const HMODULE kernel = GetModuleHandleA("kernel32.dll");
    return kernel ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(kernel, name)))
                  : nullptr;
}

}  // namespace

BSTR CQuellisSpecCheckCtrl::GetStringOS() {
    using GetNativeSystemInfoFn = void(WINAPI*)(LPSYSTEM_INFO);
    using GetProductInfoFn = BOOL(WINAPI*)(DWORD, DWORD, DWORD, DWORD, PDWORD);

    spec_check::OsFacts facts;
    OSVERSIONINFOEXA version{};
    version.dwOSVersionInfoSize = sizeof version;
#ifdef _MSC_VER
#pragma warning(suppress : 4996)  // the version this process is told is exactly what is wanted
#endif
    facts.versionRead = GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&version)) != FALSE;
    if (facts.versionRead) {
        facts.major = version.dwMajorVersion;
        facts.minor = version.dwMinorVersion;
        facts.build = version.dwBuildNumber;
        // Bounded by the field: a text that fills it without a NUL is never read past.
        facts.servicePack = spec_check::TextUpToNul(version.szCSDVersion, sizeof version.szCSDVersion);
        facts.suiteMask = version.wSuiteMask;
        facts.productType = version.wProductType;
    }

    SYSTEM_INFO system{};
    if (const auto native = KernelFunction<GetNativeSystemInfoFn>("GetNativeSystemInfo")) {
        native(&system);
    } else {
        GetSystemInfo(&system);
    }
    facts.architecture = system.wProcessorArchitecture;

    if (spec_check::NeedsEdition(facts.major)) {
        if (const auto productInfo = KernelFunction<GetProductInfoFn>("GetProductInfo")) {
            DWORD product = 0;
            // A failed call names no edition.
            if (productInfo(facts.major, facts.minor, 0, 0, &product)) facts.edition = product;
        }
    }
    if (spec_check::NeedsServerR2(facts.major, facts.minor)) {
        facts.serverR2 = GetSystemMetrics(SM_SERVERR2);
    }
    return ResultString(spec_check::OsName(facts));
}
