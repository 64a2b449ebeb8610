// How the processor name recorded by the system becomes the text the page sees.
#pragma once

#include <cstddef>
#include <string>

namespace spec_check {

// Capacity of the buffer the name is read into, its terminator included.
constexpr std::size_t kCpuNameBufferSize = 255;

// The bytes a registry query returned, up to the first NUL among them (all of them when none).
std::string TextUpToNul(const char* data, std::size_t length);

// Drops leading spaces (0x20 only: a tab or anything else stops the scan). Trailing spaces stay,
// and a name made of spaces only is returned whole.
std::string TrimLeadingSpaces(std::string name);

}  // namespace spec_check
