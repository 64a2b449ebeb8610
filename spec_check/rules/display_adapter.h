// How the display adapter's identifier and video memory become the texts the page sees.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace spec_check {

// Capacity of the identifier's driver and description texts, terminator included.
constexpr std::size_t kAdapterTextSize = 512;

// A text field of the identifier: up to its first NUL, and never past the field's end when it
// has none.
std::string AdapterText(const char (&field)[kAdapterTextSize]);

// "a.b.c.d" from the driver version's two 32-bit halves, upper 16 bits first in each, every part
// unsigned decimal.
std::string DriverVersionText(std::uint32_t highPart, std::uint32_t lowPart);

// "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX": the device identifier's fields, upper-case hexadecimal,
// zero-padded, no braces.
std::string DeviceIdText(std::uint32_t data1, std::uint16_t data2, std::uint16_t data3,
                         const std::uint8_t (&data4)[8]);

// The power of two n with 0.75n <= megabytes < 1.5n; 1 for 0 and 1.
std::uint32_t RoundToPowerOfTwo(std::uint32_t megabytes);

// Whole megabytes of a 32-bit byte total, rounded to a power of two, "MB" behind.
std::string VideoMemoryText(std::uint32_t totalBytes);

}  // namespace spec_check
