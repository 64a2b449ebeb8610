#include "site_list.h"

#include <algorithm>
#include <initializer_list>
#include <utility>

namespace fw {
namespace {

constexpr std::size_t kMaxHostLength = 253;
constexpr std::size_t kMaxLabelLength = 63;
constexpr unsigned kMaxPort = 65535;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
bool IsAsciiAlnum(char c) { return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c; }

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = FoldAscii(c);
    return out;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && Lower(text.substr(0, prefix.size())) == prefix;
}

unsigned DefaultPort(std::string_view scheme) { return scheme == "https" ? 443 : 80; }

// Bytes taken by the character at text[at]: a well-formed UTF-8 sequence, or 1 for a byte that
// does not start one (a converter makes each such byte a character of its own, so the count
// never comes out lower than the browser's).
std::size_t CharacterBytes(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t n = 0;
    unsigned char low = 0x80, high = 0xBF;  // range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        n = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        n = 3;
        if (lead == 0xE0) low = 0xA0;   // no overlong forms
        if (lead == 0xED) high = 0x9F;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        n = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
    } else {
        return 1;
    }
    if (text.size() - at < n) return 1;
    for (std::size_t k = 1; k < n; ++k) {
        const auto c = static_cast<unsigned char>(text[at + k]);
        if (c < (k == 1 ? low : 0x80) || c > (k == 1 ? high : 0xBF)) return 1;
    }
    return n;
}

std::size_t CharacterCount(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t at = 0; at < text.size(); at += CharacterBytes(text, at)) ++count;
    return count;
}

// Labels of ASCII letters, digits and '-' between single dots, within the DNS lengths. Anything
// else a browser might decode, map or read differently (%, non-ASCII, brackets, '@', '\', a
// trailing dot) is not a host name here.
bool IsHostName(std::string_view host) {
    if (host.empty() || host.size() > kMaxHostLength) return false;
    std::size_t label = 0;
    for (const char c : host) {
        if (c == '.') {
            if (label == 0) return false;
            label = 0;
        } else if (IsAsciiAlnum(c) || c == '-') {
            if (++label > kMaxLabelLength) return false;
        } else {
            return false;
        }
    }
    return label != 0;
}

// Whether a browser reads the name as an IPv4 address: its last label is a number, in decimal
// or in hex after 0x. Nothing lies below an address, so a wildcard cannot name one.
bool EndsInNumber(std::string_view host) {
    std::string_view last = host.substr(host.rfind('.') + 1);  // npos + 1 is 0
    bool (*isDigit)(char) = IsDigit;
    if (last.size() >= 2 && last[0] == '0' && FoldAscii(last[1]) == 'x') {
        last.remove_prefix(2);
        isDigit = IsHexDigit;
    }
    for (const char c : last) {
        if (!isDigit(c)) return false;
    }
    return true;
}

// Decimal digits of a port, 0-65535.
std::optional<unsigned> ReadPort(std::string_view digits) {
    if (digits.empty()) return std::nullopt;
    unsigned value = 0;
    for (const char c : digits) {
        if (!IsDigit(c)) return std::nullopt;
        value = value * 10 + static_cast<unsigned>(c - '0');
        if (value > kMaxPort) return std::nullopt;
    }
    return value;
}

struct Address {
    std::string scheme;                     // "http" or "https"
    std::string_view host;                  // as written, not checked
    std::optional<std::string_view> port;   // what follows a ':' after the host, not checked
    std::string_view rest;                  // from the end of the authority: path, query, fragment
};

// Splits the scheme (http or https, any case, then "//"), the authority up to the first '/', '?'
// or '#', and the rest. A browser also ends the authority at '\'; here a '\' stays in the
// authority, which then never holds a valid host or port.
std::optional<Address> SplitAddress(std::string_view text) {
    Address address;
    for (const std::string_view scheme : {"http", "https"}) {
        if (StartsWithNoCase(text, scheme) && text.substr(scheme.size()).starts_with("://")) {
            address.scheme = scheme;
        }
    }
    if (address.scheme.empty()) return std::nullopt;
    text.remove_prefix(address.scheme.size() + 3);
    const std::size_t end = std::min(text.find_first_of("/?#"), text.size());
    std::string_view authority = text.substr(0, end);
    address.rest = text.substr(end);
    const std::size_t colon = authority.find(':');
    if (colon != std::string_view::npos) {
        address.port = authority.substr(colon + 1);
        authority = authority.substr(0, colon);
    }
    address.host = authority;
    return address;
}

std::optional<SiteEntry> ReadEntry(std::string_view word) {
    const auto address = SplitAddress(word);
    if (!address || !address->rest.empty()) return std::nullopt;
    SiteEntry entry;
    entry.scheme = address->scheme;
    std::string_view host = address->host;
    entry.below = host.starts_with("*.");
    if (entry.below) host.remove_prefix(2);
    if (!IsHostName(host) || (entry.below && EndsInNumber(host))) return std::nullopt;
    entry.host = Lower(host);
    entry.port = DefaultPort(entry.scheme);
    if (address->port) {
        const auto port = ReadPort(*address->port);
        if (!port || *port == 0) return std::nullopt;
        entry.port = *port;
    }
    return entry;
}

bool Matches(const SiteEntry& entry, std::string_view scheme, std::string_view host, unsigned port) {
    if (entry.scheme != scheme || entry.port != port) return false;
    if (!entry.below) return host == entry.host;
    return host.size() > entry.host.size() + 1 && host.ends_with(entry.host) &&
           host[host.size() - entry.host.size() - 1] == '.';
}

// The words of a text, between blanks, tabs and line breaks.
std::vector<std::string_view> Words(std::string_view text) {
    std::vector<std::string_view> words;
    constexpr std::string_view kSeparators = " \t\r\n";
    for (std::size_t at = text.find_first_not_of(kSeparators); at != std::string_view::npos;
         at = text.find_first_not_of(kSeparators, at)) {
        const std::size_t end = std::min(text.find_first_of(kSeparators, at), text.size());
        words.push_back(text.substr(at, end - at));
        at = end;
    }
    return words;
}

}  // namespace

std::optional<SiteList> ParseSiteList(std::string_view text) {
    const std::vector<std::string_view> words = Words(text);
    if (words.empty()) return std::nullopt;
    SiteList list;
    if (words.size() == 1 && Lower(words[0]) == "any") {
        list.open = true;
        return list;
    }
    for (const std::string_view word : words) {
        auto entry = ReadEntry(word);
        if (!entry) return std::nullopt;  // also "any" among entries
        list.entries.push_back(std::move(*entry));
    }
    return list;
}

bool SiteAllowed(const SiteList& list, std::string_view url) {
    if (list.open) return true;
    if (url.empty() || url.find('\0') != std::string_view::npos ||
        CharacterCount(url) > kMaxPageAddressLength) {
        return false;
    }
    const auto address = SplitAddress(url);
    if (!address || !IsHostName(address->host)) return false;
    unsigned port = DefaultPort(address->scheme);
    if (address->port && !address->port->empty()) {  // "host:" means the default port
        const auto written = ReadPort(*address->port);
        if (!written) return false;
        port = *written;
    }
    const std::string host = Lower(address->host);
    for (const SiteEntry& entry : list.entries) {
        if (Matches(entry, address->scheme, host, port)) return true;
    }
    return false;
}

std::vector<std::string_view> SiteListWords(std::string_view text) { return Words(text); }

}  // namespace fw
