#include "spec_check/rules/directx_version.h"

#include <cstring>

namespace spec_check {

namespace {

// A step's test: the file's version at least `threshold`. Steps that name two thresholds hold
// only for a file of major number 4 or 5, each against its own threshold.
struct Step {
    std::uint64_t threshold4;  // or the one threshold
    std::uint64_t threshold5;  // 0: a one-threshold step
    DirectXVersion result;
};

// One reading of a file and the steps that share it.
struct Read {
    const char* file;
    Step steps[3];
    int count;
};

constexpr std::uint64_t V(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d) {
    return (std::uint64_t{a & 0xFFFFu} << 48) | (std::uint64_t{b & 0xFFFFu} << 32) |
           (std::uint64_t{c & 0xFFFFu} << 16) | std::uint64_t{d & 0xFFFFu};
}

const Read kReads[] = {
    {"\\ddraw.dll",
     {{V(4, 2, 0, 95), 0, {1, 0, u' '}},
      {V(4, 3, 0, 1096), 0, {2, 0, u' '}},
      {V(4, 4, 0, 68), 0, {3, 0, u' '}}},
     3},
    {"\\d3drg8x.dll", {{V(4, 4, 0, 70), 0, {3, 0, u'a'}}}, 1},
    {"\\ddraw.dll",
     {{V(4, 5, 0, 155), 0, {5, 0, u' '}},
      {V(4, 6, 0, 318), 0, {6, 0, u' '}},
      {V(4, 6, 0, 436), 0, {6, 1, u' '}}},
     3},
    {"\\dplayx.dll", {{V(4, 6, 3, 518), 0, {6, 1, u'a'}}}, 1},
    {"\\ddraw.dll", {{V(4, 7, 0, 700), 0, {7, 0, u' '}}}, 1},
    {"\\dinput.dll", {{V(4, 7, 0, 716), 0, {7, 0, u'a'}}}, 1},
    {"\\ddraw.dll", {{V(4, 8, 0, 400), V(5, 1, 2258, 400), {8, 0, u' '}}}, 1},
    {"\\d3d8.dll",
     {{V(4, 8, 1, 881), V(5, 1, 2600, 881), {8, 1, u' '}},
      {V(4, 8, 1, 901), V(5, 1, 2600, 901), {8, 1, u'a'}}},
     2},
    {"\\mpg2splt.ax", {{V(6, 3, 1, 885), 0, {8, 1, u'b'}}}, 1},
    {"\\dpnet.dll", {{V(4, 9, 0, 134), V(5, 2, 3677, 134), {8, 2, u' '}}}, 1},
    // A readable version is enough for the last three.
    {"\\d3d9.dll", {{0, 0, {9, 0, u' '}}}, 1},
    {"\\d3d10.dll", {{0, 0, {10, 0, u' '}}}, 1},
};
constexpr const char* kDirectX11File = "\\d3d11.dll";

bool Holds(const Step& step, std::uint64_t version) {
    if (step.threshold5 == 0) return CompareFileVersions(version, step.threshold4) >= 0;
    const std::uint64_t major = version >> 48;
    if (major == 4) return CompareFileVersions(version, step.threshold4) >= 0;
    if (major == 5) return CompareFileVersions(version, step.threshold5) >= 0;
    return false;
}

std::string FilePath(const std::string& directory, const char* file) {
    std::string path = directory + file;
    if (path.size() > kFilePathSize - 1) path.resize(kFilePathSize - 1);
    return path;
}

}  // namespace

std::uint64_t MakeFileVersion(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d) {
    return V(a, b, c, d);
}

int CompareFileVersions(std::uint64_t first, std::uint64_t second) {
    if (first == second) return 0;
    return first > second ? 1 : -1;
}

DirectXVersion ScanDirectXFileVersions(const std::string& systemDirectory,
                                       const FileVersionReader& readVersion) {
    DirectXVersion found;
    for (const Read& read : kReads) {
        const auto version = readVersion(FilePath(systemDirectory, read.file));
        if (!version) continue;
        for (int i = 0; i < read.count; ++i) {
            if (Holds(read.steps[i], *version)) found = read.steps[i].result;
        }
    }
    if (readVersion(FilePath(systemDirectory, kDirectX11File))) return {11, 0, u' '};
    return found;
}

char16_t LowerLetter(char16_t letter) {
    const char16_t lowered = (letter >= u'A' && letter <= u'Z') ? letter + (u'a' - u'A') : letter;
    return static_cast<char16_t>(static_cast<signed char>(lowered & 0xFF));
}

std::string DirectXText(const DirectXVersion& version) {
    std::string text = "DirectX ";
    text += std::to_string(static_cast<std::int32_t>(version.major));
    text += '.';
    text += std::to_string(static_cast<std::int32_t>(version.minor));
    text += ' ';
    text += static_cast<char>(version.letter & 0xFF);
    text += '\n';
    return text;
}

std::optional<std::uint64_t> FixedFileVersion(const unsigned char* block, std::size_t blockSize,
                                              const unsigned char* fixed, std::size_t fixedSize) {
    // The file version is the third and fourth 32-bit words of the fixed part.
    constexpr std::size_t kVersionEnd = 16;
    if (!block || !fixed || fixedSize < kVersionEnd) return std::nullopt;
    const auto start = reinterpret_cast<std::uintptr_t>(block);
    const auto at = reinterpret_cast<std::uintptr_t>(fixed);
    if (at < start || at - start > blockSize || blockSize - (at - start) < kVersionEnd) {
        return std::nullopt;
    }
    std::uint32_t ms = 0, ls = 0;
    std::memcpy(&ms, fixed + 8, sizeof ms);
    std::memcpy(&ls, fixed + 12, sizeof ls);
    return (std::uint64_t{ms} << 32) | ls;
}

}  // namespace spec_check
