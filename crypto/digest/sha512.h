#pragma once
// SHA-512 and SHA-384 (FIPS 180-4) with the library's state record and buffering.
#include <cstddef>
#include <cstdint>

#include "crypto/core/status.h"
#include "crypto/platform/cpu.h"

namespace zlc::digest {

// The SHA-384/SHA-512 round constants (FIPS 180-4, 4.2); aligned for vector loads.
alignas(16) inline constexpr std::uint64_t kSha512RoundConstants[80] = {
    0x428a2f98d728ae22, 0x7137449123ef65cd, 0xb5c0fbcfec4d3b2f, 0xe9b5dba58189dbbc,
    0x3956c25bf348b538, 0x59f111f1b605d019, 0x923f82a4af194f9b, 0xab1c5ed5da6d8118,
    0xd807aa98a3030242, 0x12835b0145706fbe, 0x243185be4ee4b28c, 0x550c7dc3d5ffb4e2,
    0x72be5d74f27b896f, 0x80deb1fe3b1696b1, 0x9bdc06a725c71235, 0xc19bf174cf692694,
    0xe49b69c19ef14ad2, 0xefbe4786384f25e3, 0x0fc19dc68b8cd5b5, 0x240ca1cc77ac9c65,
    0x2de92c6f592b0275, 0x4a7484aa6ea6e483, 0x5cb0a9dcbd41fbd4, 0x76f988da831153b5,
    0x983e5152ee66dfab, 0xa831c66d2db43210, 0xb00327c898fb213f, 0xbf597fc7beef0ee4,
    0xc6e00bf33da88fc2, 0xd5a79147930aa725, 0x06ca6351e003826f, 0x142929670a0e6e70,
    0x27b70a8546d22ffc, 0x2e1b21385c26c926, 0x4d2c6dfc5ac42aed, 0x53380d139d95b3df,
    0x650a73548baf63de, 0x766a0abb3c77b2a8, 0x81c2c92e47edaee6, 0x92722c851482353b,
    0xa2bfe8a14cf10364, 0xa81a664bbc423001, 0xc24b8b70d0f89791, 0xc76c51a30654be30,
    0xd192e819d6ef5218, 0xd69906245565a910, 0xf40e35855771202a, 0x106aa07032bbd1b8,
    0x19a4c116b8d2d0c8, 0x1e376c085141ab53, 0x2748774cdf8eeb99, 0x34b0bcb5e19b48a8,
    0x391c0cb3c5c95a63, 0x4ed8aa4ae3418acb, 0x5b9cca4f7763e373, 0x682e6ff3d6b2b8a3,
    0x748f82ee5defb2fc, 0x78a5636f43172f60, 0x84c87814a1f0ab72, 0x8cc702081a6439ec,
    0x90befffa23631e28, 0xa4506cebde82bde9, 0xbef9a3f7b2c67915, 0xc67178f2e372532b,
    0xca273eceea26619c, 0xd186b8c721c0c207, 0xeada7dd6cde0eb1e, 0xf57d4f7fee6ed178,
    0x06f067aa72176fba, 0x0a637dc5a2c898a6, 0x113f9804bef90dae, 0x1b710b35131c471b,
    0x28db77f523047d84, 0x32caab7b40c72493, 0x3c9ebe0a15c9bebc, 0x431d67c49c100d4c,
    0x4cc5d4becb3e42b6, 0x597f299cfc657e2a, 0x5fcb6fab3ad6faec, 0x6c44198c4a475817};

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

// Compresses `blocks` consecutive 128-byte blocks into h.
using Sha512BlocksFn = void (*)(std::uint64_t h[8], const std::uint8_t* data,
                                std::size_t blocks) noexcept;

// Its paths, best first, and the one in use.
platform::PathChoice<Sha512BlocksFn>& sha512_paths() noexcept;

// On the path in use.
void sha512_compress_blocks(std::uint64_t h[8], const std::uint8_t* data,
                            std::size_t blocks) noexcept;

// The individual paths (the vector-schedule one needs AVX-512F/VL and BMI2).
void sha512_blocks_portable(std::uint64_t h[8], const std::uint8_t* data,
                            std::size_t blocks) noexcept;
void sha512_blocks_avx512(std::uint64_t h[8], const std::uint8_t* data,
                          std::size_t blocks) noexcept;

}  // namespace zlc::digest
