#pragma once
// The FIPS 186-2 style generator (Appendix 3.1 with G from a digest's compression or from a
// 128-bit block cipher): the C++ entry points behind the ZLC_ PRNG functions, with the same
// arguments, results and statuses, and its internal steps.
#include <cstdint>

#include "crypto/core/status.h"
#include "zlc.h"

namespace zlc::prng {

PRNG_UNIT* new_unit() noexcept;
void free_unit(PRNG_UNIT* unit) noexcept;
void clean_unit(PRNG_UNIT* unit) noexcept;
[[nodiscard]] Status init(PRNG_UNIT* unit, std::uint32_t g, const std::uint8_t* xkey,
                          std::int32_t xkey_length, const std::uint8_t* xseed,
                          std::int32_t xseed_length, BIGINT_POOL* pool) noexcept;
[[nodiscard]] Status get_rand(PRNG_UNIT* unit, std::uint8_t* out, std::int32_t length) noexcept;
[[nodiscard]] Status get_rand_bigint(PRNG_UNIT* unit, BIGINT* r, std::int32_t bits) noexcept;
[[nodiscard]] Status get_rand_dsa_bigint(PRNG_UNIT* unit, BIGINT* k, const BIGINT* q) noexcept;
[[nodiscard]] Status rand_bytes(std::uint8_t* out, std::int32_t length) noexcept;

// Largest step output (SHA-512) and the cipher G's own width.
inline constexpr std::int32_t kMaxStepLength = 64;
inline constexpr std::int32_t kCipherGLength = 20;

// Binds G: a fresh digest state, or room for a cipher's key schedule.
[[nodiscard]] Status PrngSetG(PRNG_UNIT* unit, std::uint32_t g) noexcept;
// One generator step: writes the step output (`*step_length` bytes, at most kMaxStepLength) and
// advances XKEY.
[[nodiscard]] Status PrngStep(PRNG_UNIT* unit, std::uint8_t* out,
                              std::int32_t* step_length) noexcept;

}  // namespace zlc::prng
