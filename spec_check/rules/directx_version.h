// How file versions of the DirectX system files, or the diagnostic provider's answer, become the
// DirectX version text the page sees.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace spec_check {

// Major, minor and letter of a DirectX release; a space stands for a release without a letter.
struct DirectXVersion {
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    char16_t letter = u' ';
};

// Capacities, terminator included, of the system folder's name and of one file's full path.
constexpr std::size_t kSystemDirectorySize = 260;
constexpr std::size_t kFilePathSize = 512;

// a.b.c.d packed as a*2^48 + b*2^32 + c*2^16 + d; each part is taken modulo 2^16.
std::uint64_t MakeFileVersion(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d);

// 1 when the first version is the greater, 0 when equal, -1 when smaller (unsigned order).
int CompareFileVersions(std::uint64_t first, std::uint64_t second);

// A file's version from its full path; nothing when the file or its version cannot be read.
using FileVersionReader = std::function<std::optional<std::uint64_t>(const std::string& path)>;

// The release the system folder's files identify. Every step of the table is tried in order and
// the last that matches wins; a readable d3d11.dll decides 11.0 whatever came before. Each path is
// the folder followed by the file's name, cut at kFilePathSize - 1 characters. Nothing matched
// gives 0.0 with a blank letter.
DirectXVersion ScanDirectXFileVersions(const std::string& systemDirectory,
                                       const FileVersionReader& readVersion);

// The letter as reported, lower-cased (only A to Z change) and kept to 8 bits, widened again as a
// signed character.
char16_t LowerLetter(char16_t letter);

// "DirectX <major>.<minor> <letter>\n": the numbers as signed decimals, the letter as the one byte
// of its low 8 bits (kept even when it is NUL).
std::string DirectXText(const DirectXVersion& version);

// The file version held by the fixed part of a version resource, given the resource block and the
// place and length of the fixed part within it as the platform's query reported them. Nothing
// when the fixed part is too short for the version or does not lie wholly inside the block.
std::optional<std::uint64_t> FixedFileVersion(const unsigned char* block, std::size_t blockSize,
                                              const unsigned char* fixed, std::size_t fixedSize);

}  // namespace spec_check
