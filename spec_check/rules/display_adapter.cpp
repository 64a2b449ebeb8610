#include "spec_check/rules/display_adapter.h"

#include <cstdio>
#include <cstring>

namespace spec_check {

std::string AdapterText(const char (&field)[kAdapterTextSize]) {
    const void* nul = std::memchr(field, '\0', kAdapterTextSize);
    const std::size_t n =
        nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - field) : kAdapterTextSize;
    return std::string(field, n);
}

std::string DriverVersionText(std::uint32_t highPart, std::uint32_t lowPart) {
    return std::to_string(highPart >> 16) + '.' + std::to_string(highPart & 0xFFFFu) + '.' +
           std::to_string(lowPart >> 16) + '.' + std::to_string(lowPart & 0xFFFFu);
}

std::string DeviceIdText(std::uint32_t data1, std::uint16_t data2, std::uint16_t data3,
                         const std::uint8_t (&data4)[8]) {
    char text[37];
    std::snprintf(text, sizeof text, "%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X",
                  static_cast<unsigned long>(data1), static_cast<unsigned>(data2),
                  static_cast<unsigned>(data3), data4[0], data4[1], data4[2], data4[3], data4[4],
                  data4[5], data4[6], data4[7]);
    return text;
}

std::uint32_t RoundToPowerOfTwo(std::uint32_t megabytes) {
    std::uint32_t n = 1;
    double x = megabytes;
    while (x >= 1.5) {
        x /= 2;
        n *= 2;
    }
    return n;
}

std::string VideoMemoryText(std::uint32_t totalBytes) {
    return std::to_string(RoundToPowerOfTwo(totalBytes >> 20)) + "MB";
}

}  // namespace spec_check
