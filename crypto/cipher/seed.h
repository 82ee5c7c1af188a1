#pragma once
// SEED (TTAS.KO-12.0004, RFC 4269) with its 128-bit key, and the library's 24-round variant with a
// 256-bit key. The random generator keys and runs this record directly, so its layout is fixed.
#include <cstddef>
#include <cstdint>

#include "crypto/core/status.h"

namespace zlc::cipher {

struct SEED_KEY_SCHEDULE {
    std::uint32_t subkeys[48];  // K(0,0), K(0,1), K(1,0), K(1,1), ...; 16 rounds use the first 32
    std::uint32_t count;        // 32 for a 128-bit key, 48 for a 256-bit key
};
static_assert(sizeof(SEED_KEY_SCHEDULE) == 196);

inline constexpr Status kSeedKeySetupFailed = make_status(Module::Seed, 0x02, REASON_INIT_FAILED);

// One schedule serves both directions. A null key or schedule leaves nothing written.
void SeedSetKey128(const std::uint8_t* key, SEED_KEY_SCHEDULE* schedule) noexcept;  // 16-byte key
void SeedSetKey256(const std::uint8_t* key, SEED_KEY_SCHEDULE* schedule) noexcept;  // 32-byte key

// One 16-byte block; count / 2 rounds (a count other than 48 runs the 16 rounds of SEED-128, so a
// damaged record never leads outside it). In and out may coincide.
void SeedEncryptBlock(const SEED_KEY_SCHEDULE* schedule, const std::uint8_t* in, std::uint8_t* out) noexcept;
void SeedDecryptBlock(const SEED_KEY_SCHEDULE* schedule, const std::uint8_t* in, std::uint8_t* out) noexcept;

}  // namespace zlc::cipher
