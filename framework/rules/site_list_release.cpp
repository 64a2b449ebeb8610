#include "site_list_release.h"

#include <algorithm>

#include "site_list.h"

namespace fw {

namespace {

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

}  // namespace

PublicSuffixes ParsePublicSuffixes(std::string_view text) {
    PublicSuffixes suffixes;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::vector<std::string_view> words = SiteListWords(text.substr(0, end));
        text.remove_prefix(std::min(end + 1, text.size()));
        if (words.empty() || words[0].starts_with("//")) continue;
        const std::string_view rule = words[0];
        if (rule.starts_with("!")) {
            suffixes.exceptions.insert(Lower(rule.substr(1)));
        } else if (rule.starts_with("*.")) {
            suffixes.below.insert(Lower(rule.substr(2)));
        } else {
            suffixes.names.insert(Lower(rule));
        }
    }
    return suffixes;
}

bool IsPublicSuffix(const PublicSuffixes& suffixes, std::string_view host) {
    const std::string name(host);
    if (suffixes.names.contains(name) || name.find('.') == std::string::npos) return true;
    return suffixes.below.contains(name.substr(name.find('.') + 1)) &&
           !suffixes.exceptions.contains(name);
}

std::vector<std::string> WeakSiteEntries(std::string_view text, const PublicSuffixes& suffixes,
                                         bool allowHttp) {
    std::vector<std::string> weak;
    const auto list = ParseSiteList(text);
    if (!list || list->open) return weak;
    for (const std::string_view word : SiteListWords(text)) {
        const auto one = ParseSiteList(word);
        if (!one || one->entries.size() != 1) continue;
        const SiteEntry* const entry = &one->entries.front();
        if (entry->scheme == "http" && !allowHttp) {
            weak.push_back(std::string(word) +
                           ": http pages can be changed by anyone on the visitor's network, who "
                           "could then drive the controls (ALLOW_HTTP_SITES=1 builds it anyway)");
        }
        if (entry->below && IsPublicSuffix(suffixes, entry->host)) {
            weak.push_back(std::string(word) + ": " + entry->host +
                           " is a public suffix, below which anyone may own a name");
        }
    }
    return weak;
}

}  // namespace fw
