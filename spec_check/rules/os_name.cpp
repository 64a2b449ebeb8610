#include "spec_check/rules/os_name.h"

#include <array>

namespace spec_check {

namespace {

constexpr std::uint8_t kWorkstation = 1;
constexpr std::uint16_t kArchItanium = 6;
constexpr std::uint16_t kArchX64 = 9;
constexpr std::uint16_t kSuiteEnterprise = 0x0002;
constexpr std::uint16_t kSuiteDatacenter = 0x0080;
constexpr std::uint16_t kSuitePersonal = 0x0200;
constexpr std::uint16_t kSuiteBlade = 0x0400;
constexpr std::uint16_t kSuiteStorageServer = 0x2000;
constexpr std::uint16_t kSuiteComputeServer = 0x4000;
constexpr std::uint16_t kSuiteHomeServer = 0x8000;

bool Has(std::uint16_t mask, std::uint16_t bit) { return (mask & bit) != 0; }

// Edition texts of the 6.x family by product type; null where the type has no text.
constexpr std::array<const char*, 0x1A> kEditions = {
    nullptr,                                           // 0x00
    "Ultimate Edition ",                               // 0x01
    "Home Basic Edition ",                             // 0x02
    "Home Premium Edition ",                           // 0x03
    "Enterprise Edition ",                             // 0x04
    nullptr,                                           // 0x05
    "Business Edition ",                               // 0x06
    "Standard Edition ",                               // 0x07
    "Datacenter Edition ",                             // 0x08
    "Small Business Server ",                          // 0x09
    "Enterprise Edition ",                             // 0x0A
    "Starter Edition ",                                // 0x0B
    "Datacenter Edition (core installation) ",         // 0x0C
    "Standard Edition (core installation) ",           // 0x0D
    "Enterprise Edition (core installation) ",         // 0x0E
    "Enterprise Edition for Itanium-based Systems ",   // 0x0F
    nullptr,                                           // 0x10
    "Web Server Edition ",                             // 0x11
    "Cluster Server Edition ",                         // 0x12
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,  // 0x13 to 0x18
    "Small Business Server Premium Edition ",          // 0x19
};

void AppendMajor4(const OsFacts& f, std::string& t) {
    switch (f.minor) {
    case 0: t += "Windows 95 / NT 4.0"; break;
    case 10: t += "Windows 98 / 98 SE"; break;
    case 90: t += "Windows Me"; break;
    default: break;
    }
}

void AppendMajor6(const OsFacts& f, std::string& t) {
    static constexpr std::array<std::array<const char*, 2>, 4> kNames = {{
        {"Windows Vista ", "Windows Server 2008 "},
        {"Windows 7 ", "Windows Server 2008 R2 "},
        {"Windows 8 ", "Windows Server 2012 "},
        {"Windows 8.1 ", "Windows Server 2012 R2 "},
    }};
    if (f.minor < kNames.size()) t += kNames[f.minor][f.productType == kWorkstation ? 0 : 1];
    // The edition follows for every minor version, named or not.
    if (f.edition < kEditions.size() && kEditions[f.edition]) t += kEditions[f.edition];
}

void AppendServer2003Edition(const OsFacts& f, std::string& t) {
    const std::uint16_t m = f.suiteMask;
    if (f.architecture == kArchItanium) {
        if (Has(m, kSuiteDatacenter)) t += "Datacenter Edition for Itanium-based Systems ";
        else if (Has(m, kSuiteEnterprise)) t += "Enterprise Edition for Itanium-based Systems ";
    } else if (f.architecture == kArchX64) {
        if (Has(m, kSuiteDatacenter)) t += "Datacenter x64 Edition ";
        else if (Has(m, kSuiteEnterprise)) t += "Enterprise x64 Edition ";
        else t += "Standard x64 Edition ";
    } else {
        if (Has(m, kSuiteComputeServer)) t += "Compute Cluster Edition ";
        else if (Has(m, kSuiteDatacenter)) t += "Datacenter Edition";
        else if (Has(m, kSuiteEnterprise)) t += "Enterprise Edition";
        else if (Has(m, kSuiteBlade)) t += "Web Edition ";
        else t += "Standard Edition ";
    }
}

void AppendMajor5(const OsFacts& f, std::string& t) {
    const std::uint16_t m = f.suiteMask;
    const bool workstation = f.productType == kWorkstation;
    switch (f.minor) {
    case 2:
        // The storage and home server tests compare the whole mask, not one bit.
        if (f.serverR2 != 0) t += "Windows Server 2003 R2, ";
        else if (m == kSuiteStorageServer) t += "Windows Storage Server 2003 ";
        else if (m == kSuiteHomeServer) t += "Windows Home Server ";
        else if (workstation && f.architecture == kArchX64) t += "Windows XP Professional x64 Edition ";
        else t += "Windows Server 2003, ";
        if (!workstation) AppendServer2003Edition(f, t);
        break;
    case 1:
        t += "Windows XP ";
        t += Has(m, kSuitePersonal) ? "Home Edition " : "Professional ";
        break;
    case 0:
        t += "Windows 2000 ";
        if (workstation) t += "Professional ";
        else if (Has(m, kSuiteDatacenter)) t += "Datacenter Server ";
        else if (Has(m, kSuiteEnterprise)) t += "Advanced Server ";
        else t += "Server ";
        break;
    default: break;
    }
}

}  // namespace

bool NeedsEdition(std::uint32_t major) { return major == 6; }

bool NeedsServerR2(std::uint32_t major, std::uint32_t minor) { return major == 5 && minor == 2; }

std::string OsName(const OsFacts& reported) {
    // A failed call leaves the cleared record: version 0.0, build 0, no service-pack text.
    const OsFacts f = reported.versionRead ? reported : OsFacts{};
    std::string t;
    // Room for the longest name with a service pack and build: one allocation, not one per part.
    t.reserve(128);
    if (!reported.versionRead) t += "Unknown Windows.";

    switch (f.major) {
    case 4: AppendMajor4(f, t); break;
    case 5: AppendMajor5(f, t); break;
    case 6: AppendMajor6(f, t); break;
    case 10: t += f.productType == kWorkstation ? "Windows 10" : "Windows Server 2016 Technical Preview"; break;
    default: break;
    }
    t += f.servicePack;
    if (t.empty()) return "Unknown Windows";
    // The whole field as a signed number: Windows 98 keeps its version in the high word.
    t += " ( build " + std::to_string(static_cast<std::int32_t>(f.build)) + " )";
    return t;
}

}  // namespace spec_check
