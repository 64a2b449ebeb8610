// What a release's site list must not hold, judged when `make dist` builds it (never in a DLL):
// entries any stranger could serve pages for.
#pragma once

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace fw {

// The public suffixes a release's list is judged against: the rules of a public suffix list
// (Debian's publicsuffix), names under which anyone may register a name of their own.
struct PublicSuffixes {
    std::unordered_set<std::string> names;       // "com", "co.uk", "github.io"
    std::unordered_set<std::string> below;       // "*.ck": every name directly below "ck"
    std::unordered_set<std::string> exceptions;  // "!www.ck": not a suffix after all
};

// The rules of a public suffix list's text: the first word of each line, skipping blank lines
// and "//" comments; lower case ASCII as the list writes it (other names never match a host).
[[nodiscard]] PublicSuffixes ParsePublicSuffixes(std::string_view text);

// Whether a lower-case host name is a public suffix: named by a rule, directly below a "*." rule
// and no exception, or a single label (the list's default rule).
[[nodiscard]] bool IsPublicSuffix(const PublicSuffixes& suffixes, std::string_view host);

// Why a release may not be built with a well-formed list: one line per weak entry, naming it as
// the list writes it and why. An `http` entry (anyone on the visitor's network can change such a
// page) unless `allowHttp`; a wildcard over a public suffix (strangers own the names below it).
// Empty for an open list, a malformed one (ParseSiteList says why) and a sound one.
[[nodiscard]] std::vector<std::string> WeakSiteEntries(std::string_view text,
                                                       const PublicSuffixes& suffixes,
                                                       bool allowHttp);

}  // namespace fw
