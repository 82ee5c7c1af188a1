#pragma once
// RC5-32/12/b (Rivest 1994): 32-bit words, 12 rounds, keys and blocks as little-endian words.
#include <cstdint>

#include "crypto/core/status.h"

namespace zlc::cipher {

inline constexpr std::uint32_t kRc5Rounds = 12;

struct RC5_KEY_SCHEDULE {
    std::uint32_t s[34];   // room for 2 * 16 + 2 words; 2 * 12 + 2 = 26 in use
    std::uint32_t rounds;  // always kRc5Rounds
};
static_assert(sizeof(RC5_KEY_SCHEDULE) == 140);

inline constexpr Status kRc5KeySetupFailed = make_status(Module::Rc5, 0x01, REASON_KEY_SCHEDULE_FAILED);

// Expands a key of 0 to 255 bytes and writes the round count 12. A null schedule, a null key with a
// non-zero length, or a key longer than 255 bytes gives kRc5KeySetupFailed (0x17010024); otherwise 0.
[[nodiscard]] Status Rc5SetKey(const std::uint8_t* key, std::uint32_t key_length, RC5_KEY_SCHEDULE* schedule) noexcept;

// Two 32-bit words A, B in place. The block functions always run 12 rounds, whatever the record's
// round field holds, so a damaged record cannot send them past the table.
void Rc5EncryptBlock(const RC5_KEY_SCHEDULE* schedule, std::uint32_t words[2]) noexcept;
void Rc5DecryptBlock(const RC5_KEY_SCHEDULE* schedule, std::uint32_t words[2]) noexcept;

}  // namespace zlc::cipher
