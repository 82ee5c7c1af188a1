#pragma once
// SHA-256 and SHA-224 (FIPS 180-4) with the library's state record and buffering.
#include <cstddef>
#include <cstdint>

#include "crypto/core/status.h"
#include "crypto/platform/cpu.h"

namespace zlc::digest {

// The SHA-224/SHA-256 round constants (FIPS 180-4, 4.2); aligned for vector loads.
alignas(16) inline constexpr std::uint32_t kSha256RoundConstants[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

// Field order is relied on by callers that read `h` after a 64-byte update.
struct SHA256_STATE {
    std::uint32_t bit_count_low;
    std::uint32_t bit_count_high;
    std::uint32_t final_fill;  // bytes in final_block; advanced only by final
    std::uint32_t h[8];        // chaining value as host words
    std::uint8_t final_block[64];
    std::uint8_t pending[64];
    std::uint8_t pending_count;  // 0..63 between calls
};

[[nodiscard]] Status zlc_sha256_init(SHA256_STATE* state) noexcept;
[[nodiscard]] Status zlc_sha224_init(SHA256_STATE* state) noexcept;
[[nodiscard]] Status zlc_sha256_update(SHA256_STATE* state, const std::uint8_t* data,
                                       std::uint32_t length) noexcept;
[[nodiscard]] Status zlc_sha224_update(SHA256_STATE* state, const std::uint8_t* data,
                                       std::uint32_t length) noexcept;
[[nodiscard]] Status zlc_sha256_final(SHA256_STATE* state, std::uint8_t* out) noexcept;
[[nodiscard]] Status zlc_sha224_final(SHA256_STATE* state, std::uint8_t* out) noexcept;
[[nodiscard]] Status zlc_sha256_compress(const std::uint8_t* block, SHA256_STATE* state) noexcept;

// Compresses `blocks` consecutive 64-byte blocks into h.
using Sha256BlocksFn = void (*)(std::uint32_t h[8], const std::uint8_t* data,
                                std::size_t blocks) noexcept;

// Its paths, best first (SHA extensions with SSE4.1, portable), and the one in use.
platform::PathChoice<Sha256BlocksFn>& sha256_paths() noexcept;

// On the path in use.
void sha256_compress_blocks(std::uint32_t h[8], const std::uint8_t* data,
                            std::size_t blocks) noexcept;

void sha256_blocks_portable(std::uint32_t h[8], const std::uint8_t* data,
                            std::size_t blocks) noexcept;
void sha256_blocks_shani(std::uint32_t h[8], const std::uint8_t* data, std::size_t blocks) noexcept;

}  // namespace zlc::digest
