// The site lock: the web origins whose pages may use a control, built into each DLL, and the
// rule deciding whether a page's address is one of them.
//
// The list is "any" (every page) or entries `scheme://host[:port]` separated by blanks, tabs or
// line breaks, e.g. `https://portal.example https://*.portal.example http://x.portal.example:8080`.
// The scheme is http or https; the host is an ASCII name (labels of letters, digits and '-',
// single dots between them) or `*.` and such a name for any host strictly below it; no port
// means the scheme's default.
//
// A page address is read as a browser reads an http(s) address, and refused whenever that
// reading could differ from ours or is doubtful: anything but an http or https scheme and "//"
// first, user information, backslashes, percent signs, non-ASCII bytes or brackets in the
// authority, NUL bytes, more than 2,083 characters. Path, query and fragment are not looked at.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fw {

struct SiteEntry {            // one allowed origin
    std::string scheme;       // "http" or "https", lower case
    std::string host;         // lower case ASCII host name, without the "*." of a wildcard
    bool below = false;       // "*.name": any host below `host`, not `host` itself
    unsigned port = 0;        // the port; the scheme's default (80/443) when the entry names none
};

struct SiteList {
    bool open = false;        // "any": every page is allowed (the unlocked build)
    std::vector<SiteEntry> entries;
};

// Longest page address accepted, in characters (UTF-8 code points).
constexpr std::size_t kMaxPageAddressLength = 2083;

// Reads the list text built into a DLL: "any" (open), or entries separated by blanks, tabs or
// line breaks. nullopt when the text is empty or any entry is malformed (a build refuses it).
[[nodiscard]] std::optional<SiteList> ParseSiteList(std::string_view text);

// Whether a page address (UTF-8, exactly as the browser reports it, may hold any bytes) is on
// the list. Always true for an open list.
[[nodiscard]] bool SiteAllowed(const SiteList& list, std::string_view url);

// The words of a list text: its entries as written, split at blanks, tabs and line breaks.
[[nodiscard]] std::vector<std::string_view> SiteListWords(std::string_view text);

}  // namespace fw
