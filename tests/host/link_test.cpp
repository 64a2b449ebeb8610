#include "link/rules/link.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/x509.h>

#include "link/rules/link_signature.h"
#include "tests/fixtures/link_signatures.h"

namespace {

using links::CheckGameEntry;
using links::GameEntryValues;
using links::IsGameId;
using links::ParseLaunchLink;

TEST(LaunchLink, TakesTheFourParametersInAnyOrderDecoded) {
    const struct {
        const char* link;
        const char* game;
        const char* c;
        const char* r;
        const char* arg;
    } rows[] = {
        {"varnok:launch?game=Game1", "Game1", "", "", ""},
        {"VARNOK:launch?game=g&c=member%3D1%3Bs%3D5&r=server%3Deu-1&arg=-autologin", "g",
         "member=1;s=5", "server=eu-1", "-autologin"},
        {"Varnok:launch?arg=a&r=r&c=c&game=g", "g", "c", "r", "a"},
        {"varnok:launch?game=g&c=&r=&arg=", "g", "", "", ""},
        // UTF-8, either case of hex digits; '+' and '=' stand for themselves.
        {"varnok:launch?game=g&c=%ED%95%9C%ea%b5%ad&arg=a+b=c", "g", "\xED\x95\x9C\xEA\xB5\xAD", "",
         "a+b=c"},
        {"varnok:launch?game=g&c=%0D%0A%09&r=%25%26%23%20", "g", "\r\n\t", "%&# ", ""},
        {"varnok:launch?game=g&c=%F0%9F%8E%AE", "g", "\xF0\x9F\x8E\xAE", "", ""},
        // The id is decoded as any value; whether it names a game is decided afterwards.
        {"varnok:launch?game=..%5Cx", "..\\x", "", "", ""},
        {"varnok:launch?game=", "", "", "", ""},
        // A signed link's expiry and signature are not texts of the launch.
        {"varnok:launch?game=g&exp=1&arg=a&sig=x", "g", "", "", "a"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.link);
        const auto parsed = ParseLaunchLink(row.link);
        ASSERT_TRUE(parsed);
        EXPECT_EQ(parsed->game, row.game);
        EXPECT_EQ(parsed->c, row.c);
        EXPECT_EQ(parsed->r, row.r);
        EXPECT_EQ(parsed->arg, row.arg);
    }
}

TEST(LaunchLink, RefusesWhatIsNotALaunchLink) {
    for (const char* link : {
             "", "varnok:", "varnok:launch", "varnok:launch?", "http:launch?game=g",
             "varnokx:launch?game=g", "varnok://launch?game=g", "varnok:launch/?game=g",
             "varnok:Launch?game=g", "varnok:start?game=g",
             "varnok:launch?c=x",                    // no game
             "varnok:launch?game=g&game=h",          // repeated
             "varnok:launch?game=g&c=1&c=2", "varnok:launch?game=g&exp=1&exp=1&sig=x",
             "varnok:launch?game=g&x=1",             // unknown
             "varnok:launch?game=g&C=1", "varnok:launch?GAME=g", "varnok:launch?g%61me=g",
             "varnok:launch?game=g&", "varnok:launch?game=g&&c=1", "varnok:launch?game",
             "varnok:launch?game=g&c",
             "varnok:launch?game=g&c=%", "varnok:launch?game=g&c=%4", "varnok:launch?game=g&c=%G1",
             "varnok:launch?game=g&c=%00",           // a NUL
             "varnok:launch?game=g&c=%FF", "varnok:launch?game=g&c=%C3",          // not UTF-8
             "varnok:launch?game=g&c=%C0%AF", "varnok:launch?game=g&c=%ED%A0%80",  // overlong, surrogate
             "varnok:launch?game=g&c=%F4%90%80%80",  // past U+10FFFF
             "varnok:launch?game=g&c=a b", "varnok:launch?game=g&c=a\"b", "varnok:launch?game=g#x",
             "varnok:launch?game=g&c=<", "varnok:launch?game=g&c=\xC3\xA9", "varnok:launch?game=g&c=\t",
         }) {
        SCOPED_TRACE(testing::PrintToString(std::string(link)));
        EXPECT_FALSE(ParseLaunchLink(link));
    }
}

TEST(GameId, OnlyPlainNamesOfAtMost64) {
    const std::string plain[] = {"a", "Game1", "my-game_2.0", "A.b", std::string(64, 'x')};
    for (const auto& id : plain) {
        SCOPED_TRACE(id);
        EXPECT_TRUE(IsGameId(id));
    }
    const std::string other[] = {"",    "..",  "a..b", ".",         "a\\b",
                                 "a/b", "a b", "a:b",  "\xC3\xA9", std::string(65, 'x')};
    for (const auto& id : other) {
        SCOPED_TRACE(testing::PrintToString(id));
        EXPECT_FALSE(IsGameId(id));
    }
}

TEST(GameEntry, NeedsADirectoryLocationAProgramAndAnElevatedOf0Or1) {
    const std::string longName(256, 'k');
    const struct {
        std::optional<std::string> directory;
        std::optional<std::string> program;
        bool elevatedPresent;
        std::optional<std::uint32_t> elevated;
        bool usable;
        bool expectElevated;
    } rows[] = {
        {"HKEY_LOCAL_MACHINE\\Software\\G|InstallDir", "\\Game.exe", false, {}, true, false},
        {"hkcu\\Software\\G|", "bin\\Game.exe", true, 0u, true, false},
        {"HKCR\\G|Dir", "\\Game.exe", true, 1u, true, true},
        {"HKLM\\Software\\" + std::string(246, 'k') + "|" + std::string(255, 'v'), "\\G.exe", false,
         {}, true, false},
        {std::nullopt, "\\Game.exe", false, {}, false, false},
        {"HKLM\\Software\\G|Dir", std::nullopt, false, {}, false, false},
        {"HKLM\\Software\\G|Dir", "", false, {}, false, false},
        {"HKLM\\Software\\G|Dir", "\\..\\cmd.exe", false, {}, false, false},
        {"HKLM\\Software\\G|Dir", "C:\\cmd.exe", false, {}, false, false},
        {"HKLM\\Software\\G|Dir", "\\" + std::string(255, 'p'), false, {}, false, false},
        {"HKLM\\Software\\G|Dir", "\\Game.exe", true, 2u, false, false},
        {"HKLM\\Software\\G|Dir", "\\Game.exe", true, std::nullopt, false, false},  // not a DWORD
        {"HKLM\\Software\\G|C_Param", "\\Game.exe", false, {}, false, false},
        {"HKU\\Software\\G|Dir", "\\Game.exe", false, {}, false, false},
        {"HKLM\\Software\\G", "\\Game.exe", false, {}, false, false},
        {"HKLM\\" + longName + "|Dir", "\\Game.exe", false, {}, false, false},
        {"HKLM\\Software\\G|" + longName, "\\Game.exe", false, {}, false, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.directory.value_or("<none>") + " " + row.program.value_or("<none>"));
        GameEntryValues values{row.directory, row.program, row.elevatedPresent, row.elevated};
        const auto entry = CheckGameEntry(values, nullptr);
        ASSERT_EQ(entry.has_value(), row.usable);
        if (entry) {
            EXPECT_EQ(entry->elevated, row.expectElevated);
        }
    }
}

// An independent check of the signature: OpenSSL's, over what the rule hands it.
bool OpenSslVerifies(std::string_view key, std::string_view message, std::string_view signature) {
    const auto* der = reinterpret_cast<const unsigned char*>(key.data());
    EVP_PKEY* publicKey = d2i_PUBKEY(nullptr, &der, static_cast<long>(key.size()));
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    const bool holds =
        publicKey && context &&
        EVP_DigestVerifyInit(context, nullptr, EVP_sha256(), nullptr, publicKey) == 1 &&
        EVP_DigestVerify(context, reinterpret_cast<const unsigned char*>(signature.data()),
                         signature.size(), reinterpret_cast<const unsigned char*>(message.data()),
                         message.size()) == 1;
    EVP_MD_CTX_free(context);
    EVP_PKEY_free(publicKey);
    return holds;
}

TEST(SignedLink, HoldsOnlyForTheKeysUnexpiredSignatureOfEveryByte) {
    using namespace link_signatures;
    const std::string valid = kSigned;
    std::string changed = valid;
    changed.replace(changed.find("member%3D1"), 10, "member%3D2");
    std::string garbled = valid;
    garbled[garbled.rfind("&sig=") + 20] ^= 1;  // a letter within r, not in the DER header
    const struct {
        std::string link;
        std::string key;
        std::int64_t now;
        bool holds;
        const char* what;
    } rows[] = {
        {valid, kKey, kExpires, true, "valid"},
        {kSignedShort, kKey, kExpires + 300, true, "valid, within the five minutes' grace"},
        {valid, kKey, kExpires + 301, false, "expired"},
        {kPart, kKey, kExpires, false, "no sig"},
        {kWithoutExp, kKey, 0, false, "signed, but no exp"},
        {valid + "&c=x", kKey, kExpires, false, "sig not last"},
        {valid + "=", kKey, kExpires, false, "sig padded"},
        {kForeign, kKey, kExpires, false, "another key's signature"},
        {changed, kKey, kExpires, false, "a text changed after signing"},
        {garbled, kKey, kExpires, false, "a bad signature"},
        {valid, std::string(kKey).substr(0, 40) + "\n" + (kKey + 40), kExpires, false,
         "a key with a line break"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(links::SignedLinkHolds(row.link, row.key, row.now, OpenSslVerifies), row.holds);
    }
    // The system's clock counts from 1601.
    EXPECT_EQ(links::UnixSeconds(116444736000000000ull + 10000000ull * kExpires), kExpires);
}

}  // namespace
