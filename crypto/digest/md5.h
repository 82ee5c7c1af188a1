#pragma once
// MD5 (RFC 1321) with the library's state record and buffering.
#include <cstddef>
#include <cstdint>

#include "crypto/core/status.h"

namespace zlc::digest {

struct MD5_STATE {
    std::uint8_t final_block[64];
    std::uint32_t bit_count_low;
    std::uint32_t bit_count_high;
    std::uint32_t final_fill;  // bytes in final_block; advanced only by final
    std::uint32_t h[4];        // A, B, C, D as host words
    std::uint8_t pending[64];
    std::uint8_t pending_count;  // 0..63 between calls
};

[[nodiscard]] Status zlc_md5_init(MD5_STATE* state) noexcept;
// Refuses a length of 0 (0x1202002B), unlike the SHA routines.
[[nodiscard]] Status zlc_md5_update(MD5_STATE* state, const std::uint8_t* data,
                                    std::uint32_t length) noexcept;
[[nodiscard]] Status zlc_md5_final(MD5_STATE* state, std::uint8_t* out) noexcept;
// One 64-byte block into state->h; the pointers are not checked (callers pass valid ones).
[[nodiscard]] Status zlc_md5_compress(const std::uint8_t* block, MD5_STATE* state) noexcept;

// Compresses `blocks` consecutive 64-byte blocks into h.
void md5_compress_blocks(std::uint32_t h[4], const std::uint8_t* data, std::size_t blocks) noexcept;

}  // namespace zlc::digest
