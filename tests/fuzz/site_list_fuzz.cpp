// Site lists and page addresses from any bytes: a list parses to well-formed origins or not at
// all and admits its own origins (wildcards only strictly below their name), and an allowed
// address has a plain authority naming a listed host.
#include <string>
#include <string_view>

#include "framework/rules/site_list.h"
#include "fuzz_input.h"

namespace {

bool IsHostChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

bool EntryIsWellFormed(const fw::SiteEntry& e) {
    if (e.scheme != "http" && e.scheme != "https") return false;
    if (e.host.empty() || e.host.size() > 253 || e.port < 1 || e.port > 65535) return false;
    for (const char c : e.host) {
        if (!IsHostChar(c)) return false;
    }
    return true;
}

// The host of an allowed address, lower case: what lies between `scheme://` and the first ':',
// '/', '?' or '#'. Empty when the authority holds anything but host characters and a port.
std::string AllowedHost(std::string_view url) {
    if (url.find('\0') != std::string_view::npos) return {};
    const std::size_t start = url.find("://");
    if (start == std::string_view::npos) return {};
    std::string scheme(url.substr(0, start));
    for (char& c : scheme) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    if (scheme != "http" && scheme != "https") return {};
    std::string host;
    bool inPort = false;
    for (const char c : url.substr(start + 3)) {
        if (c == '/' || c == '?' || c == '#') break;
        const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
        if (c == ':' && !inPort) {
            inPort = true;
        } else if (inPort ? (c < '0' || c > '9') : !IsHostChar(lower)) {
            return {};
        } else if (!inPort) {
            host += lower;
        }
    }
    return host;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    const std::string listText = in.Text();
    const std::string url = in.Rest();

    const auto list = fw::ParseSiteList(listText);
    if (list) {
        FUZZ_CHECK(list->open == list->entries.empty());
        for (const fw::SiteEntry& e : list->entries) {
            FUZZ_CHECK(EntryIsWellFormed(e));
            const fw::SiteList single{false, {e}};
            const std::string port = ":" + std::to_string(e.port) + "/";
            FUZZ_CHECK(fw::SiteAllowed(single, e.scheme + "://" + e.host + port) == !e.below);
            if (e.host.size() + 2 <= 253) {
                FUZZ_CHECK(fw::SiteAllowed(single, e.scheme + "://x." + e.host + port) == e.below);
            }
        }
        if (!list->open && fw::SiteAllowed(*list, url)) FUZZ_CHECK(!AllowedHost(url).empty());
    }

    static const fw::SiteList fixed = *fw::ParseSiteList(
        "https://portal.example https://*.portal.example https://a.portal.example:8080");
    if (fw::SiteAllowed(fixed, url)) {
        const std::string host = AllowedHost(url);
        constexpr std::string_view kListed = "portal.example";
        FUZZ_CHECK(host == kListed || (host.size() > kListed.size() + 1 &&
                                       host.ends_with(std::string(".") + std::string(kListed))));
    }
    return 0;
}
