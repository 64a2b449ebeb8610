#include "link/rules/link_signature.h"

namespace links {

namespace {

constexpr std::string_view kSigMark = "&sig=";
constexpr std::size_t kMaxExpDigits = 18;  // stays far from the end of a 64-bit count
constexpr std::int64_t kSecondsFrom1601To1970 = 11644473600;
constexpr std::size_t kP256Bytes = 32;

int Base64Value(char c, bool url) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == (url ? '-' : '+')) return 62;
    if (c == (url ? '_' : '/')) return 63;
    return -1;
}

// Unpadded base64 of either alphabet. The bits a last partial group leaves over must be zero, so
// each byte string has one text only.
std::optional<std::string> DecodeUnpadded(std::string_view text, bool url) {
    if (text.size() % 4 == 1) return std::nullopt;
    std::string out;
    out.reserve(text.size() * 3 / 4);
    std::uint32_t bits = 0;
    int count = 0;
    for (const char c : text) {
        const int value = Base64Value(c, url);
        if (value < 0) return std::nullopt;
        bits = (bits << 6) | static_cast<std::uint32_t>(value);
        count += 6;
        if (count >= 8) {
            count -= 8;
            out.push_back(static_cast<char>((bits >> count) & 0xFF));
        }
    }
    if ((bits & ((1u << count) - 1)) != 0) return std::nullopt;
    return out;
}

bool IsDecimal(std::string_view text) {
    if (text.empty() || text.size() > kMaxExpDigits) return false;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

}  // namespace

std::optional<std::string> DecodeBase64Url(std::string_view text) {
    return DecodeUnpadded(text, true);
}

std::optional<std::string> DecodeBase64(std::string_view text) {
    if (text.empty() || text.size() % 4 != 0) return std::nullopt;
    std::size_t padding = 0;
    while (padding < 2 && text[text.size() - 1 - padding] == '=') ++padding;
    return DecodeUnpadded(text.substr(0, text.size() - padding), false);
}

std::optional<SignedLink> SplitSignedLink(std::string_view link) {
    const std::size_t mark = link.rfind(kSigMark);
    if (mark == std::string_view::npos) return std::nullopt;
    // The value's alphabet has no '&', so a decodable value is also the last parameter.
    auto signature = DecodeBase64Url(link.substr(mark + kSigMark.size()));
    if (!signature || signature->empty()) return std::nullopt;
    SignedLink parts;
    parts.signedBytes = link.substr(0, mark);
    parts.signature = std::move(*signature);

    const std::size_t question = parts.signedBytes.find('?');
    if (question == std::string_view::npos) return std::nullopt;
    std::string_view query = parts.signedBytes.substr(question + 1);
    bool haveExp = false;
    while (true) {
        const std::size_t amp = query.find('&');
        const std::string_view part = query.substr(0, amp);
        const std::string_view name = part.substr(0, part.find('='));
        if (name == "sig") return std::nullopt;
        if (name == "exp") {
            if (haveExp || name.size() == part.size()) return std::nullopt;
            const std::string_view digits = part.substr(name.size() + 1);
            if (!IsDecimal(digits)) return std::nullopt;
            std::int64_t value = 0;
            for (const char c : digits) value = value * 10 + (c - '0');
            parts.expires = value;
            haveExp = true;
        }
        if (amp == std::string_view::npos) break;
        query = query.substr(amp + 1);
    }
    if (!haveExp) return std::nullopt;
    return parts;
}

std::int64_t UnixSeconds(std::uint64_t ticksSince1601) {
    return static_cast<std::int64_t>(ticksSince1601 / 10000000) - kSecondsFrom1601To1970;
}

bool IsP256Key(std::string_view algorithmOid, std::string_view parametersDer) {
    // id-ecPublicKey with the named curve prime256v1 (1.2.840.10045.3.1.7) as its parameters.
    static constexpr char kCurve[] = "\x06\x08\x2A\x86\x48\xCE\x3D\x03\x01\x07";
    return algorithmOid == "1.2.840.10045.2.1" &&
           parametersDer == std::string_view(kCurve, sizeof kCurve - 1);
}

std::optional<std::string> RawP256Signature(std::string_view rLittleEndian,
                                            std::string_view sLittleEndian) {
    std::string raw(2 * kP256Bytes, '\0');
    std::size_t half = 0;
    for (std::string_view number : {rLittleEndian, sLittleEndian}) {
        while (!number.empty() && number.back() == '\0') number.remove_suffix(1);
        if (number.size() > kP256Bytes) return std::nullopt;
        for (std::size_t i = 0; i < number.size(); ++i) {
            raw[half + kP256Bytes - 1 - i] = number[i];
        }
        half += kP256Bytes;
    }
    return raw;
}

bool SignedLinkHolds(std::string_view link, std::string_view keyBase64, std::int64_t now,
                     const SignatureCheck& check) {
    const auto key = DecodeBase64(keyBase64);
    if (!key || key->empty()) return false;
    const auto parts = SplitSignedLink(link);
    if (!parts || now > parts->expires + kExpiryGraceSeconds) return false;
    return check && check(*key, parts->signedBytes, parts->signature);
}

}  // namespace links
