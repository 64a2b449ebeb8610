#include "framework/rules/site_list.h"
#include "framework/rules/site_list_release.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// An entry as "scheme host port", the host with its "*." when it is a wildcard.
std::string Show(const fw::SiteList& list) {
    if (list.open) return "any";
    std::string out;
    for (const auto& e : list.entries) {
        out += (out.empty() ? "" : ", ") + e.scheme + " " + (e.below ? "*." : "") + e.host + " " +
               std::to_string(e.port);
    }
    return out;
}

TEST(SiteList, ParsesEntriesAndRefusesMalformedLists) {
    const std::string longLabel(64, 'a');
    const struct {
        std::string text;
        const char* expected;  // nullptr: refused
    } cases[] = {
        {"https://portal.example https://*.portal.example\thttp://games.portal.example:8080",
         "https portal.example 443, https *.portal.example 443, http games.portal.example 8080"},
        {"\r\n  HTTP://Portal.EXAMPLE:80\n", "http portal.example 80"},
        {"https://a-b.c1:65535", "https a-b.c1 65535"},
        {"https://10.0.0.5", "https 10.0.0.5 443"},
        {"AnY", "any"},
        {"", nullptr}, {" \r\n\t", nullptr}, {"any https://portal.example", nullptr},
        {"any any", nullptr}, {"ftp://portal.example", nullptr}, {"https:portal.example", nullptr},
        {"https://portal.example/", nullptr},
        {"https://u@portal.example", nullptr}, {"https://portal.example:", nullptr},
        {"https://portal.example:0", nullptr}, {"https://portal.example:65536", nullptr},
        {"https://portal.example:+1", nullptr}, {"https://portal..example", nullptr},
        {"https://portal.example.", nullptr}, {"https://.portal.example", nullptr},
        {"https://*.", nullptr}, {"https://a.*.example", nullptr},
        {"https://**.example", nullptr}, {"https://*.0.1", nullptr}, {"https://*.a.0x1F", nullptr},
        {"https://p_rtal.example", nullptr}, {"https://p\xC3\xB6rtal.example", nullptr},
        {"https://" + longLabel + ".example", nullptr},
        {"https://" + std::string(250, 'a') + ".com", nullptr},
        {std::string("https://portal.example\0", 23), nullptr},
        {"https://portal.example\vhttps://x.example", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.text));
        const auto list = fw::ParseSiteList(c.text);
        EXPECT_EQ(list ? Show(*list) : "refused", c.expected ? c.expected : "refused");
    }
}

TEST(SiteList, AllowsOnlyPagesClearlyOnTheList) {
    const auto list = fw::ParseSiteList("https://portal.example https://*.portal.example "
                                        "http://games.portal.example:8080");
    ASSERT_TRUE(list.has_value());
    // Two-byte characters: the limit counts characters, not bytes.
    const std::string base = "https://portal.example/";
    std::string longest = base;
    while (longest.size() < base.size() + 2 * (fw::kMaxPageAddressLength - base.size())) {
        longest += "\xC3\xA9";
    }
    const struct {
        std::string url;
        bool allowed;
    } cases[] = {
        {"https://portal.example/", true}, {"HTTPS://Portal.Example/", true},
        {"https://portal.example", true}, {"https://www.portal.example/", true},
        {"https://a.b.portal.example/x?y#z", true}, {"https://portal.example:443/", true},
        {"https://portal.example:/", true}, {"https://portal.example:00443", true},
        {"https://portal.example?q", true}, {"https://portal.example#f", true},
        {"https://portal.example/\xE2\x82\xAC?\xFF#\x80", true},
        {"http://games.portal.example:8080/", true}, {longest, true},
        {longest + "x", false},
        {"https://portal.example.evil.test/", false}, {"https://evilportal.example/", false},
        {"https://evil.test/portal.example", false},
        {"https://evil.test/?u=https://portal.example", false},
        {"https://evil.test#portal.example", false}, {"https://portal.example@evil.test/", false},
        {"https://user:pw@portal.example/", false},
        {"https://evil.test\\@portal.example/", false}, {"https://portal.example\\x", false},
        {"https:\\\\portal.example/", false}, {"http://portal.example/", false},
        {"http://games.portal.example/", false}, {"https://portal.example:8443/", false},
        {"https://portal.example:65979/", false}, {"https://portal.example:-443/", false},
        {"https://portal.example:443:443/", false}, {"https://portal.example: 443/", false},
        {"file:///c:/portal.example", false}, {"about:blank", false},
        {"javascript:'https://portal.example/'", false}, {"res://portal.example/", false},
        {"mhtml:https://portal.example/", false}, {"data:text/html,x", false},
        {"ftp://portal.example/", false}, {"https:portal.example", false},
        {"https:/portal.example", false}, {"https:///portal.example", false},
        {" https://portal.example/", false}, {"", false},
        {std::string("https://portal.example/\0", 24), false},
        {std::string("https://portal.example\0.evil.test/", 34), false},
        {"https://p\xC3\xB6rtal.example/", false}, {"https://portal.ex%61mple/", false},
        {"https://[::1]/", false}, {"https:///", false},
        {"https://portal.example./", false}, {"https://www..portal.example/", false},
        {"https://portal.exam\tple/", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.url));
        EXPECT_EQ(fw::SiteAllowed(*list, c.url), c.allowed);
    }

    const auto open = fw::ParseSiteList("any");
    ASSERT_TRUE(open.has_value());
    EXPECT_TRUE(fw::SiteAllowed(*open, "about:blank"));
}

// A release's list against the public suffix list: each weak entry named as written, with why.
TEST(SiteList, ReleaseRefusesHttpAndWildcardsOverPublicSuffixes) {
    // An excerpt of the public suffix list, as the file writes it.
    const auto suffixes = fw::ParsePublicSuffixes(
        "// ===BEGIN ICANN DOMAINS===\n\ncom\nuk\nco.uk\n*.ck\n!www.ck\n"
        "// ===BEGIN PRIVATE DOMAINS===\ngithub.io\t// GitHub Pages\r\n");
    const struct {
        const char* list;
        bool allowHttp;
        const char* refused;  // "<entry> <why>" for each, why "http" or "suffix"
    } cases[] = {
        {"https://portal.example https://*.portal.example", false, ""},
        {"https://*.com", false, "https://*.com suffix"},
        {"https://*.co.uk https://*.games.co.uk", false, "https://*.co.uk suffix"},
        {"https://*.github.io https://*.varnok.github.io", false, "https://*.github.io suffix"},
        {"https://*.example", false, "https://*.example suffix"},  // one label: always a suffix
        {"https://*.any.ck https://*.www.ck", false, "https://*.any.ck suffix"},
        {"https://com https://co.uk", false, ""},  // one site each, no wildcard
        {"http://portal.example:8080 https://*.Portal.example", false,
         "http://portal.example:8080 http"},
        {"http://portal.example:8080", true, ""},
        {"http://*.EXAMPLE", false, "http://*.EXAMPLE http, http://*.EXAMPLE suffix"},
        {"http://*.example", true, "http://*.example suffix"},
        {"any", false, ""},
        {"http://portal.example *.com", false, ""},  // malformed: ParseSiteList refuses it
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.list) + (c.allowHttp ? " (http allowed)" : ""));
        std::string refused;
        for (const auto& why : fw::WeakSiteEntries(c.list, suffixes, c.allowHttp)) {
            const bool suffix = why.find("is a public suffix") != std::string::npos;
            const bool http = why.find("http pages can be changed") != std::string::npos;
            refused += (refused.empty() ? "" : ", ") + why.substr(0, why.find(": ")) +
                       (suffix == http ? " ?" : suffix ? " suffix" : " http");
        }
        EXPECT_EQ(refused, c.refused);
    }
}

}  // namespace
