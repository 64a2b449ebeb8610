#include "link_signature.h"

#include <windows.h>
#include <wincrypt.h>
#include <bcrypt.h>

#include <array>
#include <string>
#include <vector>

#include "link/rules/link_signature.h"
#include "raii.h"
#include "framework/system_library.h"

namespace links {

namespace {

// CNG's release calls, looked up with bcrypt.dll before any of its handles exists; each handle
// is released before the library is freed.
NTSTATUS(WINAPI* closeAlgorithm)(BCRYPT_ALG_HANDLE, ULONG) = nullptr;
NTSTATUS(WINAPI* destroyHash)(BCRYPT_HASH_HANDLE) = nullptr;
NTSTATUS(WINAPI* destroyKey)(BCRYPT_KEY_HANDLE) = nullptr;

struct AlgorithmTraits : fw::NullableTraits<BCRYPT_ALG_HANDLE> {
    static void Release(BCRYPT_ALG_HANDLE h) { closeAlgorithm(h, 0); }
};
struct HashTraits : fw::NullableTraits<BCRYPT_HASH_HANDLE> {
    static void Release(BCRYPT_HASH_HANDLE h) { destroyHash(h); }
};
struct KeyTraits : fw::NullableTraits<BCRYPT_KEY_HANDLE> {
    static void Release(BCRYPT_KEY_HANDLE h) { destroyKey(h); }
};

BYTE* Bytes(std::string_view text) {
    return reinterpret_cast<BYTE*>(const_cast<char*>(text.data()));
}
std::string_view Text(const CRYPT_INTEGER_BLOB& blob) {
    return std::string_view(reinterpret_cast<const char*>(blob.pbData), blob.cbData);
}

constexpr ULONG kDigestBytes = 32;  // SHA-256

}  // namespace

std::int64_t ClockNow() {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    return UnixSeconds((static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime);
}

bool SystemVerifiesP256(std::string_view key, std::string_view message,
                        std::string_view signature) {
    // crypt32's importer of public keys for CNG and bcrypt.dll exist from Vista on.
    const fw::Library crypt32 = fw::LoadSystemLibrary("crypt32.dll");
    const fw::Library bcrypt = fw::LoadSystemLibrary("bcrypt.dll");
    const auto decode = crypt32.Proc<decltype(&CryptDecodeObjectEx)>("CryptDecodeObjectEx");
    const auto import =
        crypt32.Proc<decltype(&CryptImportPublicKeyInfoEx2)>("CryptImportPublicKeyInfoEx2");
    const auto open =
        bcrypt.Proc<decltype(&BCryptOpenAlgorithmProvider)>("BCryptOpenAlgorithmProvider");
    const auto property = bcrypt.Proc<decltype(&BCryptGetProperty)>("BCryptGetProperty");
    const auto createHash = bcrypt.Proc<decltype(&BCryptCreateHash)>("BCryptCreateHash");
    const auto hashData = bcrypt.Proc<decltype(&BCryptHashData)>("BCryptHashData");
    const auto finishHash = bcrypt.Proc<decltype(&BCryptFinishHash)>("BCryptFinishHash");
    const auto verify = bcrypt.Proc<decltype(&BCryptVerifySignature)>("BCryptVerifySignature");
    closeAlgorithm = bcrypt.Proc<decltype(closeAlgorithm)>("BCryptCloseAlgorithmProvider");
    destroyHash = bcrypt.Proc<decltype(destroyHash)>("BCryptDestroyHash");
    destroyKey = bcrypt.Proc<decltype(destroyKey)>("BCryptDestroyKey");
    if (!decode || !import || !open || !property || !createHash || !hashData || !finishHash ||
        !verify || !closeAlgorithm || !destroyHash || !destroyKey) {
        return false;
    }

    // The key: a SubjectPublicKeyInfo naming ECDSA on P-256, imported as a CNG key.
    fw::LocalMem<CERT_PUBLIC_KEY_INFO> info;
    DWORD size = 0;
    if (!decode(X509_ASN_ENCODING, X509_PUBLIC_KEY_INFO, Bytes(key), static_cast<DWORD>(key.size()),
                CRYPT_DECODE_ALLOC_FLAG, nullptr, info.put(), &size) ||
        !info.get()->Algorithm.pszObjId ||
        !IsP256Key(info.get()->Algorithm.pszObjId, Text(info.get()->Algorithm.Parameters))) {
        return false;
    }
    fw::UniqueResource<KeyTraits> publicKey;
    if (!import(X509_ASN_ENCODING, info.get(), 0, nullptr, publicKey.put())) return false;

    // The DER signature as CNG takes it: r||s, 32 bytes each, big-endian.
    fw::LocalMem<CERT_ECC_SIGNATURE> ecc;
    if (!decode(X509_ASN_ENCODING, X509_ECC_SIGNATURE, Bytes(signature),
                static_cast<DWORD>(signature.size()), CRYPT_DECODE_ALLOC_FLAG, nullptr, ecc.put(),
                &size)) {
        return false;
    }
    auto raw = RawP256Signature(Text(ecc.get()->r), Text(ecc.get()->s));
    if (!raw) return false;

    // SHA-256 of the signed bytes, with a hash object of our own (Vista needs one).
    fw::UniqueResource<AlgorithmTraits> sha256;
    DWORD objectLength = 0;
    ULONG got = 0;
    if (open(sha256.put(), BCRYPT_SHA256_ALGORITHM, nullptr, 0) != 0 ||
        property(sha256.get(), BCRYPT_OBJECT_LENGTH, reinterpret_cast<PUCHAR>(&objectLength),
                 sizeof objectLength, &got, 0) != 0) {
        return false;
    }
    std::vector<UCHAR> object(objectLength);
    std::array<UCHAR, kDigestBytes> digest{};
    {
        fw::UniqueResource<HashTraits> hash;
        if (createHash(sha256.get(), hash.put(), object.data(), objectLength, nullptr, 0, 0) != 0 ||
            hashData(hash.get(), Bytes(message), static_cast<ULONG>(message.size()), 0) != 0 ||
            finishHash(hash.get(), digest.data(), kDigestBytes, 0) != 0) {
            return false;
        }
    }
    return verify(publicKey.get(), nullptr, digest.data(), kDigestBytes,
                  reinterpret_cast<PUCHAR>(raw->data()), static_cast<ULONG>(raw->size()), 0) == 0;
}

}  // namespace links
