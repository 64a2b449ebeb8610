#include "spec_check/rules/display_adapter.h"

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

namespace {

// `digits` upper-case hexadecimal digits of the value, leading zeros included.
void AppendHex(std::string& text, std::uint32_t value, int digits) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) text += kHex[(value >> shift) & 0xFu];
}

}  // namespace

// "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX", written digit by digit: snprintf would link the C
// runtime's formatted printing, some 20 KB, into the control.
std::string DeviceIdText(std::uint32_t data1, std::uint16_t data2, std::uint16_t data3,
                         const std::uint8_t (&data4)[8]) {
    std::string text;
    text.reserve(36);
    AppendHex(text, data1, 8);
    text += '-';
    AppendHex(text, data2, 4);
    text += '-';
    AppendHex(text, data3, 4);
    text += '-';
    for (int i = 0; i < 8; ++i) {
        if (i == 2) text += '-';
        AppendHex(text, data4[i], 2);
    }
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
