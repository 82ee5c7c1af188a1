#pragma once
// SHA-1 (FIPS 180-4) with the library's state record and buffering.
#include <cstddef>
#include <cstdint>

#include "crypto/core/status.h"
#include "crypto/platform/cpu.h"

namespace zlc::digest {

// Field order is relied on by callers that read `h` after a 64-byte update.
struct SHA1_STATE {
    std::uint32_t bit_count_low;
    std::uint32_t bit_count_high;
    std::uint32_t final_fill;  // bytes in final_block; advanced only by final
    std::uint32_t h[5];        // chaining value as host words
    std::uint8_t final_block[64];
    std::uint8_t pending[64];
    std::uint8_t pending_count;  // 0..63 between calls
};

[[nodiscard]] Status zlc_sha1_init(SHA1_STATE* state) noexcept;
[[nodiscard]] Status zlc_sha1_update(SHA1_STATE* state, const std::uint8_t* data,
                                     std::uint32_t length) noexcept;
[[nodiscard]] Status zlc_sha1_final(SHA1_STATE* state, std::uint8_t* out) noexcept;
[[nodiscard]] Status zlc_sha1_compress(const std::uint8_t* block, SHA1_STATE* state) noexcept;

// Compresses `blocks` consecutive 64-byte blocks into h.
using Sha1BlocksFn = void (*)(std::uint32_t h[5], const std::uint8_t* data,
                              std::size_t blocks) noexcept;

// Its paths, best first (SHA extensions with SSE4.1, portable), and the one in use.
platform::PathChoice<Sha1BlocksFn>& sha1_paths() noexcept;

// On the path in use.
void sha1_compress_blocks(std::uint32_t h[5], const std::uint8_t* data,
                          std::size_t blocks) noexcept;

void sha1_blocks_portable(std::uint32_t h[5], const std::uint8_t* data,
                          std::size_t blocks) noexcept;
void sha1_blocks_shani(std::uint32_t h[5], const std::uint8_t* data, std::size_t blocks) noexcept;

}  // namespace zlc::digest
