// site_list_check [--suffixes FILE] [--allow-http] <list text>: whether a site list is one a
// release may be built with. Prints "any" for an open list, else each origin on a line of its
// own, as the controls read it. A malformed list, and with --suffixes (a public suffix list) a
// weak one (an http entry without --allow-http, a wildcard over a public suffix), prints why and
// exits with 1.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "framework/rules/site_list.h"
#include "framework/rules/site_list_release.h"

int main(int argc, char** argv) {
    const char* suffixFile = nullptr;
    bool allowHttp = false;
    int at = 1;
    for (; at < argc - 1; ++at) {
        if (std::strcmp(argv[at], "--suffixes") == 0 && at + 2 < argc) {
            suffixFile = argv[++at];
        } else if (std::strcmp(argv[at], "--allow-http") == 0) {
            allowHttp = true;
        } else {
            break;
        }
    }
    if (at != argc - 1) {
        std::fprintf(stderr,
                     "usage: site_list_check [--suffixes FILE] [--allow-http] <list text>\n");
        return 2;
    }
    const char* const text = argv[at];
    const auto list = fw::ParseSiteList(text);
    if (!list) {
        std::fprintf(stderr, "not a site list: each entry is scheme://host[:port] with scheme http "
                             "or https and an ASCII host name or *.name, or the list is \"any\"\n");
        return 1;
    }
    if (suffixFile) {
        std::ifstream file(suffixFile, std::ios::binary);
        std::ostringstream content;
        content << file.rdbuf();
        const fw::PublicSuffixes suffixes = fw::ParsePublicSuffixes(content.str());
        // An unreadable or wrong file would let every wildcard through.
        if (!file || suffixes.names.find("com") == suffixes.names.end()) {
            std::fprintf(stderr, "cannot read the public suffix list %s (Debian's publicsuffix; "
                                 "scripts/setup installs it)\n", suffixFile);
            return 1;
        }
        const auto weak = fw::WeakSiteEntries(text, suffixes, allowHttp);
        for (const auto& why : weak) std::fprintf(stderr, "refused: %s\n", why.c_str());
        if (!weak.empty()) return 1;
    }
    if (list->open) {
        std::printf("any\n");
        return 0;
    }
    for (const auto& entry : list->entries) {
        const bool defaultPort = entry.port == (entry.scheme == "https" ? 443u : 80u);
        std::printf("%s://%s%s%s\n", entry.scheme.c_str(), entry.below ? "*." : "",
                    entry.host.c_str(),
                    defaultPort ? "" : (":" + std::to_string(entry.port)).c_str());
    }
    return 0;
}
