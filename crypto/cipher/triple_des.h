#pragma once
// Triple DES, the TDEA of NIST SP 800-67 in encrypt-decrypt-encrypt form, with two or three keys.
#include <cstddef>
#include <cstdint>

#include "crypto/cipher/des.h"
#include "crypto/core/status.h"

namespace zlc::cipher {

// Three DES schedules applied in order first, second, third.
struct TDES_KEY_SCHEDULE {
    DES_KEY_SCHEDULE stage[3];
};
static_assert(sizeof(TDES_KEY_SCHEDULE) == 384);

inline constexpr Status kTripleDesSetKeyLength = make_status(Module::Des, 0x07, REASON_INVALID_ARGUMENT);

// key_length 24: K1||K2||K3; 16: K1||K2 with K3 = K1. Encryption computes E(K3, D(K2, E(K1, P))),
// decryption D(K1, E(K2, D(K3, C))). Another length gives kTripleDesSetKeyLength (0x0807002B).
[[nodiscard]] Status TripleDesSetKey(std::uint32_t key_length, TDES_KEY_SCHEDULE* schedule, const std::uint8_t* key,
                                     std::uint32_t direction) noexcept;

// One 8-byte block through the three stages; in == out is allowed.
void TripleDesBlock(const TDES_KEY_SCHEDULE* schedule, const std::uint8_t in[8], std::uint8_t out[8]) noexcept;

}  // namespace zlc::cipher
