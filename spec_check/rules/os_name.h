// How the version facts Windows reports become the operating-system name the page sees.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace spec_check {

// Size of the version record the system fills (OSVERSIONINFOEXA) and of its service-pack text.
constexpr std::uint32_t kVersionRecordSize = 156;
constexpr std::size_t kServicePackTextSize = 128;

// What the system reports, as plain values.
struct OsFacts {
    bool versionRead = false;           // the version call succeeded
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    std::uint32_t build = 0;            // the whole 32-bit field
    std::string servicePack;            // up to its NUL
    std::uint16_t suiteMask = 0;
    std::uint8_t productType = 0;       // 1 workstation, anything else server
    std::uint16_t architecture = 0;     // native processor architecture (6 Itanium, 9 x64)
    int serverR2 = 0;                   // the server-R2 system metric; asked on 5.2 only
    std::uint32_t edition = 0;          // the product type of the 6.x family; 0 when not known
};

// Which optional facts the name depends on: the edition on major 6, the R2 metric on 5.2.
bool NeedsEdition(std::uint32_t major);
bool NeedsServerR2(std::uint32_t major, std::uint32_t minor);

// Product name, edition, service-pack text and build, appended in that order; "Unknown Windows"
// when nothing matches. A failed version call names "Unknown Windows." with build 0, whatever
// the other fields hold.
std::string OsName(const OsFacts& facts);

}  // namespace spec_check
