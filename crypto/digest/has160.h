#pragma once
// HAS-160 (TTAS.KO-12.0011/R2) with the library's state record and buffering: a single block
// buffer whose fill is derived from the bit count.
#include <cstddef>
#include <cstdint>

#include "crypto/core/status.h"

namespace zlc::digest {

// Field order is relied on by callers that read `h` out of the state.
struct HAS160_STATE {
    std::uint32_t h[5];  // chaining value as host words
    std::uint32_t bit_count_low;
    std::uint32_t bit_count_high;
    std::uint8_t block[64];  // holds (bit_count_low / 8) mod 64 bytes; the rest is never read
};

[[nodiscard]] Status zlc_has160_init(HAS160_STATE* state) noexcept;
// Refuses a length of 0 (0x0E02002B), unlike the SHA routines.
[[nodiscard]] Status zlc_has160_update(HAS160_STATE* state, const std::uint8_t* data,
                                       std::uint32_t length) noexcept;
// Leaves the state as it is: the caller initialises it again before the next message.
[[nodiscard]] Status zlc_has160_final(HAS160_STATE* state, std::uint8_t* out) noexcept;
// One 64-byte block into state->h; the pointers are not checked (callers pass valid ones).
[[nodiscard]] Status zlc_has160_compress(const std::uint8_t* block, HAS160_STATE* state) noexcept;

// Adds 8 x length to the 64-bit bit count, carrying into the high word.
void has160_count_bytes(HAS160_STATE* state, std::uint32_t length) noexcept;

// Compresses `blocks` consecutive 64-byte blocks into h.
void has160_compress_blocks(std::uint32_t h[5], const std::uint8_t* data,
                            std::size_t blocks) noexcept;

}  // namespace zlc::digest
