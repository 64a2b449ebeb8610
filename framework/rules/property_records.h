// The module's binary record format for persisted properties (IPersistStreamInit, and the
// "Contents" stream of IPersistStorage). All integers little-endian:
//   u32  magic         'F','W','P','X'
//   u32  record count  at most kMaxRecords
//   then per record:
//     u16    name length in UTF-16 units, 1..kMaxNameLength
//     u16    name[length]           (no terminator, no NUL inside)
//     u16    value type             VT_I4 or VT_UI4
//     u32    value
// Names are unique within a stream. A stream that is short, has another magic, exceeds the limits,
// repeats a name or holds another type is refused as a whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "little_endian.h"

namespace fw::records {

inline constexpr std::uint32_t kMagic = 0x58505746;  // "FWPX" as bytes
inline constexpr std::uint32_t kMaxRecords = 1024;
inline constexpr std::size_t kMaxNameLength = 255;
inline constexpr std::uint16_t kTypeI4 = 3;    // VT_I4
inline constexpr std::uint16_t kTypeUI4 = 19;  // VT_UI4

// Char is the platform's 16-bit character type (wchar_t on Windows, char16_t elsewhere).
template <typename Char>
struct Record {
    std::basic_string<Char> name;
    std::uint16_t type;
    std::uint32_t bits;
};

inline bool IsValueType(std::uint16_t type) { return type == kTypeI4 || type == kTypeUI4; }

template <typename Char>
std::uint64_t EncodedSize(const std::vector<Record<Char>>& records) {
    std::uint64_t size = 8;
    for (const auto& r : records) size += 2 + 2 * static_cast<std::uint64_t>(r.name.size()) + 2 + 4;
    return size;
}

// The bytes of a record set whose names and types are valid (throws std::bad_alloc).
template <typename Char>
std::vector<std::uint8_t> Encode(const std::vector<Record<Char>>& records) {
    std::vector<std::uint8_t> out;
    out.reserve(static_cast<std::size_t>(EncodedSize(records)));
    le::AppendU32(out, kMagic);
    le::AppendU32(out, static_cast<std::uint32_t>(records.size()));
    for (const auto& r : records) {
        le::AppendU16(out, static_cast<std::uint16_t>(r.name.size()));
        for (const Char ch : r.name) le::AppendU16(out, static_cast<std::uint16_t>(ch));
        le::AppendU16(out, r.type);
        le::AppendU32(out, r.bits);
    }
    return out;
}

enum class ParseStatus { kOk, kMalformed, kSourceFailed };

// Reads one record set through `read(buffer, n)`, which fills exactly n bytes or answers false
// (kSourceFailed). On kOk, `out` holds the records; otherwise it is left empty. The records grow
// with what is actually read, so a count the source does not back costs nothing. Throws
// std::bad_alloc.
template <typename Char, typename Read>
ParseStatus Parse(Read&& read, std::vector<Record<Char>>& out) {
    out.clear();
    std::vector<Record<Char>> records;
    std::uint8_t header[8];
    if (!read(header, sizeof header)) return ParseStatus::kSourceFailed;
    if (le::ReadU32(header) != kMagic) return ParseStatus::kMalformed;
    const std::uint32_t count = le::ReadU32(header + 4);
    if (count > kMaxRecords) return ParseStatus::kMalformed;
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint8_t lengthBytes[2];
        if (!read(lengthBytes, 2)) return ParseStatus::kSourceFailed;
        const std::uint16_t length = le::ReadU16(lengthBytes);
        if (length == 0 || length > kMaxNameLength) return ParseStatus::kMalformed;
        std::uint8_t nameBytes[2 * kMaxNameLength];
        if (!read(nameBytes, 2u * length)) return ParseStatus::kSourceFailed;
        std::basic_string<Char> name(length, Char{});
        for (std::uint16_t k = 0; k < length; ++k) {
            name[k] = static_cast<Char>(le::ReadU16(nameBytes + 2 * k));
        }
        if (name.find(Char{}) != std::basic_string<Char>::npos) return ParseStatus::kMalformed;
        std::uint8_t value[6];
        if (!read(value, sizeof value)) return ParseStatus::kSourceFailed;
        const std::uint16_t type = le::ReadU16(value);
        if (!IsValueType(type)) return ParseStatus::kMalformed;
        for (const auto& r : records) {
            if (r.name == name) return ParseStatus::kMalformed;
        }
        records.push_back(Record<Char>{std::move(name), type, le::ReadU32(value + 2)});
    }
    out.swap(records);
    return ParseStatus::kOk;
}

}  // namespace fw::records
