// Links and game registrations from any bytes: a parsed link's texts are UTF-8 without a NUL and
// come back the same from the link a page would build for them; a game id that names a game is a
// plain name; a usable registration hands the launcher only what its fields and AddPathName take.
#include <string>

#include "fuzz_input.h"
#include "link/rules/link.h"

namespace {

// Every byte but letters, digits and "-_.~" as %XX, as a page's encodeURIComponent does.
std::string Encode(const std::string& text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.' || c == '~';
        if (plain) {
            out += c;
        } else {
            out += '%';
            out += kHex[b >> 4];
            out += kHex[b & 15];
        }
    }
    return out;
}

bool IsUtf8WithoutNul(const std::string& text) {
    // A second opinion from a plain decoder: every sequence decodes to one scalar value.
    std::size_t i = 0;
    while (i < text.size()) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b == 0) return false;
        const std::size_t n = b < 0x80 ? 1 : b < 0xC0 ? 0 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : b < 0xF8 ? 4 : 0;
        if (n == 0 || i + n > text.size()) return false;
        unsigned long code = n == 1 ? b : b & (0x7F >> n);
        for (std::size_t k = 1; k < n; ++k) {
            const auto c = static_cast<unsigned char>(text[i + k]);
            if ((c & 0xC0) != 0x80) return false;
            code = code << 6 | (c & 0x3F);
        }
        const unsigned long least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < least[n] || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000)) return false;
        i += n;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    const std::string directory = in.Text();
    const std::string program = in.Text();
    const auto elevated = in.Number<std::uint32_t>();
    const std::string link = in.Rest();

    if (const auto parsed = links::ParseLaunchLink(link)) {
        for (const std::string* text : {&parsed->game, &parsed->c, &parsed->r, &parsed->arg}) {
            FUZZ_CHECK(IsUtf8WithoutNul(*text));
        }
        const std::string built = "varnok:launch?arg=" + Encode(parsed->arg) + "&r=" +
                                  Encode(parsed->r) + "&c=" + Encode(parsed->c) +
                                  "&game=" + Encode(parsed->game);
        const auto again = links::ParseLaunchLink(built);
        FUZZ_CHECK(again && again->game == parsed->game && again->c == parsed->c &&
                   again->r == parsed->r && again->arg == parsed->arg);
        FUZZ_CHECK(!links::ParseLaunchLink(built + "&c=x"));
        if (links::IsGameId(parsed->game)) {
            FUZZ_CHECK(!parsed->game.empty() && parsed->game.size() <= links::kMaxGameIdLength);
            FUZZ_CHECK(parsed->game.find_first_of("\\/:%") == std::string::npos);
            FUZZ_CHECK(parsed->game.find("..") == std::string::npos);
        }
    }
    // Any UTF-8 text without a NUL travels in a link the way a page builds it.
    if (IsUtf8WithoutNul(link)) {
        const auto parsed = links::ParseLaunchLink("varnok:launch?game=g&c=" + Encode(link));
        FUZZ_CHECK(parsed && parsed->c == link);
    }

    auto shiftJisLead = [](unsigned char b) { return (b >= 0x81 && b <= 0x9F) || b >= 0xE0; };
    const links::GameEntryValues values{directory, program, (elevated & 0x100) != 0,
                                        (elevated & 0x200) ? std::optional<std::uint32_t>()
                                                           : std::optional(elevated & 0xFF)};
    if (const auto entry = links::CheckGameEntry(values, shiftJisLead)) {
        FUZZ_CHECK(!entry->location.keyPath.empty() &&
                   entry->location.keyPath.size() < launcher::kShortFieldSize);
        FUZZ_CHECK(entry->location.valueName.size() < launcher::kShortFieldSize);
        FUZZ_CHECK(!launcher::IsLaunchOutputValue(entry->location.valueName));
        FUZZ_CHECK(!entry->program.empty() && entry->program.size() < launcher::kShortFieldSize);
        FUZZ_CHECK(launcher::IsContainedPath(entry->program));
    }
    return 0;
}
