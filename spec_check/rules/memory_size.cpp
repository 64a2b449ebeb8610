#include "spec_check/rules/memory_size.h"

namespace spec_check {

std::uint64_t EvenMegabytes(std::uint64_t totalBytes) {
    const std::uint64_t megabytes = totalBytes >> 20;
    // At most 2^44 - 1 here, so the step up cannot overflow.
    return (megabytes & 1u) ? megabytes + 1 : megabytes;
}

std::string MemoryText(std::uint64_t totalBytes) {
    return std::to_string(EvenMegabytes(totalBytes)) + "MB";
}

}  // namespace spec_check
