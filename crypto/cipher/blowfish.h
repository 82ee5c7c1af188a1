#pragma once
// Blowfish (Schneier 1993), 16 rounds; a block is two big-endian 32-bit halves.
#include <cstdint>

#include "crypto/core/status.h"

namespace zlc::cipher {

struct BLOWFISH_KEY_SCHEDULE {
    std::uint32_t p[18];
    std::uint32_t s[4][256];
};
static_assert(sizeof(BLOWFISH_KEY_SCHEDULE) == 4168);

inline constexpr Status kBlowfishSetKeyInvalid = make_status(Module::Blowfish, 0x01, REASON_INVALID_ARGUMENT);
inline constexpr Status kBlowfishKeySetupFailed = make_status(Module::Blowfish, 0x02, REASON_KEY_SCHEDULE_FAILED);

// Builds the schedule from the key (only its first 72 bytes count). A null key or schedule or an
// empty key gives kBlowfishSetKeyInvalid (0x0301002B).
[[nodiscard]] Status BlowfishSetKey(std::uint32_t key_length, const std::uint8_t* key,
                                    BLOWFISH_KEY_SCHEDULE* schedule) noexcept;

// The two halves (left, right) of one block in place.
void BlowfishEncryptBlock(const BLOWFISH_KEY_SCHEDULE* schedule, std::uint32_t words[2]) noexcept;
void BlowfishDecryptBlock(const BLOWFISH_KEY_SCHEDULE* schedule, std::uint32_t words[2]) noexcept;

}  // namespace zlc::cipher
