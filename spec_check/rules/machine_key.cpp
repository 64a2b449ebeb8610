#include "spec_check/rules/machine_key.h"

namespace spec_check {

namespace {

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool IsProgramPath(const std::string& modulePath, const std::string& fileName) {
    const std::size_t slash = modulePath.find_last_of("\\/");
    const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
    if (modulePath.size() - start != fileName.size()) return false;
    for (std::size_t i = 0; i < fileName.size(); ++i) {
        if (AsciiLower(modulePath[start + i]) != AsciiLower(fileName[i])) return false;
    }
    return true;
}

}  // namespace spec_check
