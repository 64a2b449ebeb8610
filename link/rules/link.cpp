#include "link/rules/link.h"

namespace links {

namespace {

constexpr std::string_view kScheme = "varnok:";
constexpr std::string_view kAction = "launch";

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// What a browser leaves unencoded in a query: printable ASCII but for a blank, '"', '#', '<' and
// '>'. '%' starts an escape and '&' ends a parameter; both are handled before this is asked.
bool IsPlainQueryChar(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte > 0x20 && byte < 0x7F && c != '"' && c != '#' && c != '<' && c != '>';
}

// Well-formed UTF-8: no stray or missing continuation bytes, no overlong forms, no surrogates,
// nothing past U+10FFFF; and no NUL, which no field could hold as part of its text.
bool IsTextUtf8(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead == 0) return false;
        if (lead < 0x80) {
            ++i;
            continue;
        }
        std::size_t length = 0;
        std::uint32_t code = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            code = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            code = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            code = lead & 0x07;
        } else {
            return false;
        }
        if (text.size() - i < length) return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = (code << 6) | (next & 0x3F);
        }
        const std::uint32_t least = length == 3 ? 0x800 : length == 4 ? 0x10000 : 0x80;
        if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        i += length;
    }
    return true;
}

// A parameter's value with its escapes decoded; nothing for a bad escape, a character that must
// have been encoded, or decoded bytes that are not UTF-8 text.
std::optional<std::string> DecodeValue(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '%') {
            if (value.size() - i < 3) return std::nullopt;
            const int high = HexValue(value[i + 1]);
            const int low = HexValue(value[i + 2]);
            if (high < 0 || low < 0) return std::nullopt;
            out.push_back(static_cast<char>(high * 16 + low));
            i += 2;
        } else if (IsPlainQueryChar(c)) {
            out.push_back(c);
        } else {
            return std::nullopt;
        }
    }
    if (!IsTextUtf8(out)) return std::nullopt;
    return out;
}

}  // namespace

std::optional<LaunchLink> ParseLaunchLink(std::string_view link) {
    if (link.size() < kScheme.size()) return std::nullopt;
    for (std::size_t i = 0; i < kScheme.size(); ++i) {
        if (Lower(link[i]) != kScheme[i]) return std::nullopt;
    }
    const std::string_view rest = link.substr(kScheme.size());
    const std::size_t question = rest.find('?');
    if (question == std::string_view::npos || rest.substr(0, question) != kAction) {
        return std::nullopt;
    }
    LaunchLink parsed;
    bool seen[6] = {};
    std::string ignored;  // "exp" and "sig": the signature's business
    std::string_view query = rest.substr(question + 1);
    while (true) {
        const std::size_t amp = query.find('&');
        const std::string_view part = query.substr(0, amp);
        const std::size_t equals = part.find('=');
        if (equals == std::string_view::npos) return std::nullopt;
        const std::string_view name = part.substr(0, equals);
        int index = -1;
        std::string* target = nullptr;
        if (name == "game") {
            index = 0;
            target = &parsed.game;
        } else if (name == "c") {
            index = 1;
            target = &parsed.c;
        } else if (name == "r") {
            index = 2;
            target = &parsed.r;
        } else if (name == "arg") {
            index = 3;
            target = &parsed.arg;
        } else if (name == "exp" || name == "sig") {
            index = name == "exp" ? 4 : 5;
            target = &ignored;
        }
        if (index < 0 || seen[index]) return std::nullopt;
        seen[index] = true;
        auto value = DecodeValue(part.substr(equals + 1));
        if (!value) return std::nullopt;
        *target = std::move(*value);
        if (amp == std::string_view::npos) break;
        query = query.substr(amp + 1);
    }
    if (!seen[0]) return std::nullopt;
    return parsed;
}

bool IsGameId(std::string_view id) {
    if (id.empty() || id.size() > kMaxGameIdLength) return false;
    if (id == "." || id.find("..") != std::string_view::npos) return false;
    for (const char c : id) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.';
        if (!plain) return false;
    }
    return true;
}

std::optional<GameEntry> CheckGameEntry(const GameEntryValues& values,
                                        launcher::LeadByteTest isLead) {
    if (!values.directory || !values.program) return std::nullopt;
    auto location = launcher::ParsePolicyLocation(*values.directory, isLead);
    if (!location) return std::nullopt;
    // SetRegInfo refuses a key path or value name that does not fit its field.
    if (location->keyPath.size() > launcher::kShortFieldSize - 1 ||
        location->valueName.size() > launcher::kShortFieldSize - 1) {
        return std::nullopt;
    }
    // AddPathName would refuse these with its message box.
    const std::string& program = *values.program;
    if (program.empty() || program.size() > launcher::kShortFieldSize - 1 ||
        !launcher::IsContainedPath(program)) {
        return std::nullopt;
    }
    bool elevated = false;
    if (values.elevatedPresent) {
        if (!values.elevated || *values.elevated > 1) return std::nullopt;
        elevated = *values.elevated == 1;
    }
    return GameEntry{std::move(*location), program, elevated, std::nullopt};
}

}  // namespace links
