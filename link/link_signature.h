// The system's part of signed links: its clock and its own cryptography (CNG), loaded at run time
// from the system folder, so that the handler still starts where the system has none (Windows
// XP), where every signed link is then refused.
#pragma once

#include <cstdint>
#include <string_view>

namespace links {

// Seconds since 1970, UTC, by the PC's clock.
[[nodiscard]] std::int64_t ClockNow();

// Whether `signature` (ECDSA, DER) over SHA-256 of `message` holds for `key` (a P-256 public key,
// SubjectPublicKeyInfo in DER), checked by the system. False for any other key, a malformed
// signature, and where the system's cryptography cannot be loaded.
[[nodiscard]] bool SystemVerifiesP256(std::string_view key, std::string_view message,
                                      std::string_view signature);

}  // namespace links
