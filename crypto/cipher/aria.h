#pragma once
// ARIA (KS X 1213, RFC 5794): the key schedule record, its two key setups and the block functions.
// The random generator keys and runs this record directly, so its layout is fixed.
#include <cstddef>
#include <cstdint>

#include "crypto/core/status.h"
#include "crypto/platform/cpu.h"

namespace zlc::cipher {

// Round keys are kept as the standard's four big-endian words per key, each held as a host integer.
struct ARIA_KEY_SCHEDULE {
    std::uint32_t encrypt_keys[17][4];  // round keys 1 .. rounds + 1; unused slots zero
    std::uint32_t decrypt_keys[17][4];  // in the order the decryption rounds use them
    std::uint32_t rounds;               // 12, 14 or 16
};
static_assert(sizeof(ARIA_KEY_SCHEDULE) == 548);

inline constexpr Status kAriaSetKeyInvalid =
    make_status(Module::Aria, 0x01, REASON_INVALID_ARGUMENT);
inline constexpr Status kAriaKeySetupFailed = make_status(Module::Aria, 0x02, REASON_INIT_FAILED);

// Each key setup writes only its own half and the round count. Null key or schedule, or a key
// length other than 16, 24 or 32 bytes: kAriaSetKeyInvalid.
[[nodiscard]] Status AriaSetEncryptKey(const std::uint8_t* key, std::uint32_t key_length,
                                       ARIA_KEY_SCHEDULE* schedule) noexcept;
[[nodiscard]] Status AriaSetDecryptKey(const std::uint8_t* key, std::uint32_t key_length,
                                       ARIA_KEY_SCHEDULE* schedule) noexcept;

// One 16-byte block with the encryption (decryption) half; in and out may coincide.
void AriaEncryptBlock(const ARIA_KEY_SCHEDULE* schedule, const std::uint8_t* in,
                      std::uint8_t* out) noexcept;
void AriaDecryptBlock(const ARIA_KEY_SCHEDULE* schedule, const std::uint8_t* in,
                      std::uint8_t* out) noexcept;

// Internal paths over one half of a schedule. A round count the record cannot hold is run as 16
// rounds, so a damaged record never leads outside it.
unsigned aria_round_count(const ARIA_KEY_SCHEDULE* schedule) noexcept;

// One implementation of the multi-block forms over one half of a schedule.
struct AriaPathOps {
    void (*blocks)(const std::uint32_t (*round_keys)[4], unsigned rounds, const std::uint8_t* in,
                   std::uint8_t* out, std::size_t blocks) noexcept;
    void (*ctr_blocks)(const std::uint32_t (*round_keys)[4], unsigned rounds, std::uint8_t* counter,
                       const std::uint8_t* in, std::uint8_t* out, std::size_t blocks) noexcept;
};

// The ARIA paths, best first (GFNI with AVX-512, tables), and the one in use.
platform::PathChoice<AriaPathOps>& aria_paths() noexcept;

// GFNI with AVX-512 (F, BW, VL): any number of independent blocks, up to sixteen at a time.
void aria_blocks_gfni(const std::uint32_t (*round_keys)[4], unsigned rounds, const std::uint8_t* in,
                      std::uint8_t* out, std::size_t blocks) noexcept;
void aria_ctr_gfni(const std::uint32_t (*round_keys)[4], unsigned rounds, std::uint8_t* counter,
                   const std::uint8_t* in, std::uint8_t* out, std::size_t blocks) noexcept;

}  // namespace zlc::cipher
