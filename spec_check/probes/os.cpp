// Operating-system probe: the version facts Windows reports to this process, named by the rule.
#include <windows.h>

#include "spec_check/probes/probes.h"
#include "spec_check/probes/system_library.h"
#include "spec_check/rules/cpu_name.h"

static_assert(sizeof(OSVERSIONINFOEXA) == spec_check::kVersionRecordSize);
static_assert(sizeof(OSVERSIONINFOEXA{}.szCSDVersion) == spec_check::kServicePackTextSize);

namespace spec_check {

OsFacts GatherOsFacts() {
    using GetNativeSystemInfoFn = void(WINAPI*)(LPSYSTEM_INFO);
    using GetProductInfoFn = BOOL(WINAPI*)(DWORD, DWORD, DWORD, DWORD, PDWORD);

    OsFacts facts;
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
        facts.servicePack = TextUpToNul(version.szCSDVersion, sizeof version.szCSDVersion);
        facts.suiteMask = version.wSuiteMask;
        facts.productType = version.wProductType;
    }

    // Looked up at run time: older Windows versions lack these functions.
    SYSTEM_INFO system{};
    if (const auto native = KernelProc<GetNativeSystemInfoFn>("GetNativeSystemInfo")) {
        native(&system);
    } else {
        GetSystemInfo(&system);
    }
    facts.architecture = system.wProcessorArchitecture;

    if (NeedsEdition(facts.major)) {
        if (const auto productInfo = KernelProc<GetProductInfoFn>("GetProductInfo")) {
            DWORD product = 0;
            // A failed call names no edition.
            if (productInfo(facts.major, facts.minor, 0, 0, &product)) facts.edition = product;
        }
    }
    if (NeedsServerR2(facts.major, facts.minor)) facts.serverR2 = GetSystemMetrics(SM_SERVERR2);
    return facts;
}

std::string ProbeOsName() { return OsName(GatherOsFacts()); }

}  // namespace spec_check
