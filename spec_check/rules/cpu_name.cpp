#include "spec_check/rules/cpu_name.h"

#include <cstring>

namespace spec_check {

std::string TextUpToNul(const char* data, std::size_t length) {
    if (!data) return {};
    const void* nul = std::memchr(data, '\0', length);
    const std::size_t n = nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - data) : length;
    return std::string(data, n);
}

std::string TrimLeadingSpaces(std::string name) {
    const std::size_t first = name.find_first_not_of(' ');
    // Cut in place: the name keeps the one allocation it came with.
    if (first != std::string::npos) name.erase(0, first);
    return name;
}

}  // namespace spec_check
