#pragma once
// DES, FIPS 46-3: the single-block primitive shared by the DES cipher family, triple DES and MDC-2.
#include <cstddef>
#include <cstdint>

#include "crypto/core/status.h"

namespace zlc::cipher {

// Sixteen round subkeys, two words each, in the order the block function applies them: round 1
// first for an encryption schedule, round 16 first for a decryption schedule, so one block
// function serves both directions. Each word holds four 6-bit subkey groups, one per byte
// (S-boxes 1, 3, 5, 7 in the first word, 2, 4, 6, 8 in the second).
struct DES_KEY_SCHEDULE {
    std::uint32_t subkeys[32];
};
static_assert(sizeof(DES_KEY_SCHEDULE) == 128);

inline constexpr std::uint32_t kDesEncrypt = 1;
inline constexpr std::uint32_t kDesDecrypt = 0;

// Builds the schedule of an 8-byte key for `direction` (kDesEncrypt or kDesDecrypt); the parity bit
// of each key byte is ignored. Always returns 0.
Status DesSetKey(const std::uint8_t key[8], DES_KEY_SCHEDULE* schedule,
                 std::uint32_t direction) noexcept;

// One 8-byte block (two big-endian halves) in whichever direction the schedule was built for.
// in == out is allowed.
void DesBlock(const DES_KEY_SCHEDULE* schedule, const std::uint8_t in[8],
              std::uint8_t out[8]) noexcept;

// `blocks` consecutive blocks through DesBlock; in == out is allowed.
void DesBlocks(const DES_KEY_SCHEDULE* schedule, const std::uint8_t* in, std::uint8_t* out,
               std::size_t blocks) noexcept;

namespace des_detail {

// The 16 rounds on a block already through the initial permutation, with both halves rotated
// left by one bit as the combined S-box/permutation tables expect. Triple DES chains three of
// these between one initial and one final permutation.
void rounds(const DES_KEY_SCHEDULE* schedule, std::uint32_t& left, std::uint32_t& right) noexcept;
void initial_permutation(std::uint32_t& left, std::uint32_t& right) noexcept;
void final_permutation(std::uint32_t& left, std::uint32_t& right) noexcept;

}  // namespace des_detail

}  // namespace zlc::cipher
