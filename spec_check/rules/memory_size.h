// How the physical-memory total becomes the text the page sees.
#pragma once

#include <cstdint>
#include <string>

namespace spec_check {

// Whole mebibytes of a byte total (the remainder dropped), then an odd count rounded up to the
// next even one: 2047 MiB and 2048 MiB both give 2048.
std::uint64_t EvenMegabytes(std::uint64_t totalBytes);

// The rounded count in decimal followed directly by "MB". The count is written in full, unsigned,
// however many digits it has (at most 14 for a 64-bit byte total).
std::string MemoryText(std::uint64_t totalBytes);

}  // namespace spec_check
