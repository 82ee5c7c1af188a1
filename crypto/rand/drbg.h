#pragma once
// Hash_DRBG (NIST SP 800-90A, 10.1.1) with a continuous test on every output block, and the
// process-wide generator behind the library's random bytes.
#include <cstdint>

#include "crypto/core/status.h"
#include "zlc.h"

namespace zlc::rand {

// Inputs of an instantiation or reseed; buffers owned by the record's holder.
struct DRBG_INPUT {
    std::int32_t level;  // collection level of fresh entropy (1 to 3)
    std::int32_t entropy_length;
    std::int32_t nonce_length;
    std::int32_t personalization_length;
    std::uint8_t* entropy;  // for a reseed, the reseed entropy input
    std::uint8_t* nonce;
    std::uint8_t* personalization;
};

inline constexpr std::int32_t kDrbgMaxSeedLength = 111;
inline constexpr std::int32_t kDrbgMaxBlockLength = 64;

// A working instance, private to one request (or to a known-answer test).
struct DRBG_INSTANCE {
    std::uint32_t algorithm;
    std::int32_t min_entropy_length;
    std::int32_t max_entropy_length;
    std::int32_t max_nonce_length;
    std::int32_t max_personalization_length;
    std::int32_t max_additional_length;
    std::int32_t digest_length;
    std::int32_t security_strength;  // bytes
    std::uint8_t* V;
    std::uint8_t* C;
    std::int32_t seed_length;
    std::int32_t additional_length;
    std::uint8_t* additional;
    std::int32_t requested_length;
    std::uint8_t* output;
    std::uint32_t prediction_resistance;
    std::int32_t reseed_counter;
    std::uint8_t previous_block[kDrbgMaxBlockLength];
    std::uint8_t previous_block_length;
    DRBG_INPUT* input;
};

// The generator state carried from one request to the next (one per process).
struct DRBG_SAVED_STATE {
    std::uint32_t algorithm;
    std::uint8_t V[kDrbgMaxSeedLength];
    std::uint8_t C[kDrbgMaxSeedLength];
    std::uint32_t saved;
    std::int32_t reseed_counter;
    std::uint8_t previous_block[kDrbgMaxBlockLength];
    std::uint32_t previous_block_length;
    std::uint32_t saved_by;  // process that saved it; a forked child must not continue it
};

// A request reseeds first once the counter is above this; generation itself refuses beyond it.
inline constexpr std::int32_t kReseedInterval = 100000000;

// Instance operations, in calling order: New, Setup (or Params after storing the digest and the
// flag), optionally SetInputs, Instantiate, then Generate calls, each optionally preceded by
// SetReseedInputs; Wipe or Free to end.
DRBG_INSTANCE* DrbgNew() noexcept;
void DrbgWipe(DRBG_INSTANCE* drbg) noexcept;
void DrbgFree(DRBG_INSTANCE* drbg) noexcept;
[[nodiscard]] Status DrbgSetup(DRBG_INSTANCE* drbg, std::uint32_t digest_id,
                               std::uint32_t prediction_resistance, std::int32_t level) noexcept;
[[nodiscard]] Status DrbgParams(DRBG_INSTANCE* drbg) noexcept;
// Copies the non-null inputs into the instance's input record: 0, or 1 for a missing instance or
// record, a negative length, one above the instance's maximum, or no memory.
[[nodiscard]] Status DrbgSetInputs(DRBG_INSTANCE* drbg, const std::uint8_t* entropy,
                                   std::int32_t entropy_length, const std::uint8_t* nonce,
                                   std::int32_t nonce_length, const std::uint8_t* personalization,
                                   std::int32_t personalization_length) noexcept;
// The additional input of the next reseed or generate, and the entropy input of the next reseed.
[[nodiscard]] Status DrbgSetReseedInputs(DRBG_INSTANCE* drbg, const std::uint8_t* additional,
                                         std::int32_t additional_length,
                                         const std::uint8_t* entropy,
                                         std::int32_t entropy_length) noexcept;
[[nodiscard]] Status DrbgInstantiate(DRBG_INSTANCE* drbg, std::int32_t strength) noexcept;
[[nodiscard]] Status DrbgReseed(DRBG_INSTANCE* drbg) noexcept;
// Writes length bytes; on any failure the whole output is zeros.
[[nodiscard]] Status DrbgGenerate(DRBG_INSTANCE* drbg, std::uint8_t* out,
                                  std::int32_t length) noexcept;

// One locked request on the process's generator: restore (or instantiate, from `input` when
// given and otherwise from fresh entropy), generate, save.
[[nodiscard]] Status DrbgRequest(const DRBG_INPUT* input, std::uint8_t* out, std::int32_t length,
                                 std::uint32_t reserved, std::uint32_t digest_id,
                                 std::uint32_t prediction_resistance) noexcept;

// Internal counterparts of the exported generator functions, for the library's own callers.
[[nodiscard]] Status rand_bytes(std::uint8_t* out, std::int32_t length) noexcept;
[[nodiscard]] Status rand_bytes_drbg(std::uint8_t* out, std::int32_t length, std::uint32_t reserved,
                                     std::uint32_t digest_id,
                                     std::uint32_t prediction_resistance) noexcept;
[[nodiscard]] Status get_rand_ex(BIGINT* n, std::int32_t bits) noexcept;
void uninstantiate() noexcept;

// Internal seam for tests: the saved state itself. Touch it only while no request runs.
DRBG_SAVED_STATE& drbg_saved_state() noexcept;

}  // namespace zlc::rand
