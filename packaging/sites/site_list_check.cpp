// site_list_check <list text>: whether a site list is one a release may be built with. Prints
// "any" for an open list, else each origin on a line of its own, as the controls read it; a
// malformed list prints why and exits with 1.
#include <cstdio>
#include <string>

#include "framework/rules/site_list.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: site_list_check <list text>\n");
        return 2;
    }
    const auto list = fw::ParseSiteList(argv[1]);
    if (!list) {
        std::fprintf(stderr, "not a site list: each entry is scheme://host[:port] with scheme http "
                             "or https and an ASCII host name or *.name, or the list is \"any\"\n");
        return 1;
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
