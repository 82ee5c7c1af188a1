#pragma once
// SHA-512 and SHA-384 (FIPS 180-4) with the library's state record and buffering.
#include <cstddef>
#include <cstdint>

#include "crypto/core/status.h"

namespace zlc::digest {

// Field order is relied on by callers that read `h` out of the state.
struct SHA512_STATE {
    std::uint32_t bit_count_low;  // a 64-bit message bit count, not the standard's 128 bits
    std::uint32_t bit_count_high;
    std::uint32_t final_fill;  // bytes in final_block; advanced only by final
    std::uint64_t h[8];        // chaining value as host words
    std::uint8_t final_block[128];
    std::uint8_t pending[128];
    std::uint8_t pending_count;  // 0..127 between calls
};

[[nodiscard]] Status zlc_sha512_init(SHA512_STATE* state) noexcept;
[[nodiscard]] Status zlc_sha384_init(SHA512_STATE* state) noexcept;
[[nodiscard]] Status zlc_sha512_update(SHA512_STATE* state, const std::uint8_t* data,
                                       std::uint32_t length) noexcept;
[[nodiscard]] Status zlc_sha384_update(SHA512_STATE* state, const std::uint8_t* data,
                                       std::uint32_t length) noexcept;
[[nodiscard]] Status zlc_sha512_final(SHA512_STATE* state, std::uint8_t* out) noexcept;
[[nodiscard]] Status zlc_sha384_final(SHA512_STATE* state, std::uint8_t* out) noexcept;
// One 128-byte block into state->h; the pointers are not checked (callers pass valid ones).
[[nodiscard]] Status zlc_sha512_compress(const std::uint8_t* block, SHA512_STATE* state) noexcept;

// Compresses `blocks` consecutive 128-byte blocks into h, on the best path the CPU offers.
void sha512_compress_blocks(std::uint64_t h[8], const std::uint8_t* data,
                            std::size_t blocks) noexcept;

// The individual paths (the vector-schedule one needs AVX-512F/VL and BMI2).
void sha512_blocks_portable(std::uint64_t h[8], const std::uint8_t* data,
                            std::size_t blocks) noexcept;
void sha512_blocks_avx512(std::uint64_t h[8], const std::uint8_t* data,
                          std::size_t blocks) noexcept;

}  // namespace zlc::digest
