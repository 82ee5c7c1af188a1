#pragma once
// MDC-2 with DES (ISO/IEC 10118-2, the double-length construction): two DES encryptions per
// 8-byte block, the last block zero-padded, no length appended.
#include <cstddef>
#include <cstdint>

#include "crypto/cipher/des.h"
#include "crypto/core/status.h"

namespace zlc::digest {

struct MDC2_STATE {
    std::int32_t pending_count;  // 0..7 between calls
    std::uint8_t pending[8];
    std::uint8_t h[8];   // first half of the chaining value, starts as eight 0x52 bytes
    std::uint8_t hh[8];  // second half, starts as eight 0x25 bytes
};

// Refuses proven mode by itself (0x130100F0), then passes the self-test gate.
[[nodiscard]] Status zlc_mdc2_init(MDC2_STATE* state) noexcept;
// A length of 0 changes nothing.
[[nodiscard]] Status zlc_mdc2_update(MDC2_STATE* state, const std::uint8_t* data,
                                     std::uint32_t length) noexcept;
// Leaves the state as it is: the caller initialises it again before the next message.
[[nodiscard]] Status zlc_mdc2_final(MDC2_STATE* state, std::uint8_t* out) noexcept;

// Processes `count` bytes (a multiple of 8) of whole blocks into h and hh.
void zlc_mdc2_blocks(std::size_t count, MDC2_STATE* state, const std::uint8_t* data) noexcept;

// The DES encryption the construction uses (FIPS 46-3), over the cipher family's primitive.
void zlc_mdc2_des_key_schedule(cipher::DES_KEY_SCHEDULE* schedule, const std::uint8_t key[8]) noexcept;
void zlc_mdc2_des_encrypt(const cipher::DES_KEY_SCHEDULE* schedule, std::uint8_t block[8]) noexcept;

}  // namespace zlc::digest
