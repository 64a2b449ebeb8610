// The rule of signed links: a game whose registration names its portal's key ("SignedBy") takes
// only links that end "&exp=<seconds>&sig=<signature>", signed by that key and not yet expired.
// No platform calls: the handler hands in the clock and the system's signature check.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace links {

// How long after its "exp" a link still holds, for PCs whose clocks run a little behind.
constexpr std::int64_t kExpiryGraceSeconds = 300;

// Base64url without padding ('-' and '_', no '='), as a link's "sig" is written; nothing for any
// other character, '=' included, an impossible length or unused bits that are not zero.
[[nodiscard]] std::optional<std::string> DecodeBase64Url(std::string_view text);

// Base64 with its padding ('+', '/', '=' only at the end), as "SignedBy" holds the key; nothing
// for anything else (line breaks included).
[[nodiscard]] std::optional<std::string> DecodeBase64(std::string_view text);

// A signed link taken apart: the bytes it signs and what it says about them.
struct SignedLink {
    std::string_view signedBytes;  // every byte before the last "&sig=", exactly as received
    std::string signature;         // the DER signature, decoded
    std::int64_t expires = 0;      // "exp": seconds since 1970, UTC
};

// Splits a link at its last "&sig=". Nothing unless "sig" is the last parameter (nothing after
// it but its base64url value) and the signed part's query holds exactly one "exp" of 1 to 18
// decimal digits and no other "sig".
[[nodiscard]] std::optional<SignedLink> SplitSignedLink(std::string_view link);

// Seconds since 1970 (UTC) of a time in 100-nanosecond ticks since 1601, as the system's clock
// counts.
[[nodiscard]] std::int64_t UnixSeconds(std::uint64_t ticksSince1601);

// Whether the key's algorithm, as a public key's DER names it (the object id's dotted text and
// the parameters' DER), is ECDSA on the P-256 curve.
[[nodiscard]] bool IsP256Key(std::string_view algorithmOid, std::string_view parametersDer);

// r||s, each 32 bytes big-endian, from the two integers as the system decodes a DER signature
// (little-endian, unsigned); nothing when either has more than 32 significant bytes.
[[nodiscard]] std::optional<std::string> RawP256Signature(std::string_view rLittleEndian,
                                                          std::string_view sLittleEndian);

// The system's check of an ECDSA P-256 signature: public key (SubjectPublicKeyInfo, DER),
// message, DER signature. True only when the signature holds.
using SignatureCheck =
    std::function<bool(std::string_view key, std::string_view message, std::string_view signature)>;

// Whether a link holds for a game registered with `keyBase64` ("SignedBy"): the key decodes, the
// link splits as above, `now` (seconds since 1970, UTC) is at most kExpiryGraceSeconds past its
// "exp", and `check` accepts the signature over the signed bytes. False for anything else.
[[nodiscard]] bool SignedLinkHolds(std::string_view link, std::string_view keyBase64,
                                   std::int64_t now, const SignatureCheck& check);

}  // namespace links
