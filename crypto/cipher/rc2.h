#pragma once
// RC2, RFC 2268: 64-bit blocks as four little-endian 16-bit words, with an effective key length.
#include <cstdint>

#include "crypto/core/status.h"

namespace zlc::cipher {

struct RC2_KEY_SCHEDULE {
    std::uint16_t k[64];     // the expanded key K[0..63]
    std::uint32_t t1;        // effective key bits
    std::uint32_t t8;        // (t1 + 7) / 8
    std::uint32_t tm;        // 255 >> (8 * t8 - t1)
    std::uint32_t reserved;
};
static_assert(sizeof(RC2_KEY_SCHEDULE) == 144);

inline constexpr Status kRc2KeySetupFailed = make_status(Module::Rc2, 0x01, REASON_KEY_SCHEDULE_FAILED);

// Expands a key of 1 to 128 bytes (RFC 2268 section 2; a longer key is used up to its 128th byte)
// with 1 to 1024 effective bits (0 or more than 1024 means 1024). A null pointer or an empty key
// gives kRc2KeySetupFailed (0x15010024); otherwise 0.
[[nodiscard]] Status Rc2SetKey(RC2_KEY_SCHEDULE* schedule, std::uint32_t effective_bits, const std::uint8_t* key,
                               std::uint32_t key_length) noexcept;

// One 8-byte block in place.
void Rc2EncryptBlock(std::uint8_t block[8], const RC2_KEY_SCHEDULE* schedule) noexcept;
void Rc2DecryptBlock(std::uint8_t block[8], const RC2_KEY_SCHEDULE* schedule) noexcept;

}  // namespace zlc::cipher
