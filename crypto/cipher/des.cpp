// DES, FIPS 46-3: key schedule (PC-1, the shift schedule, PC-2) and the 16-round Feistel network,
// with the eight S-boxes and the permutation P folded into eight 64-entry tables built at compile
// time.
#include "crypto/cipher/des.h"

#include <array>
#include <bit>
#include <utility>

#include "crypto/cipher/block64_cbc.h"
#include "crypto/cipher/block_cipher_ops.h"
#include "crypto/core/bytes.h"
#include "crypto/core/memory.h"

namespace zlc::cipher {
namespace {

// FIPS 46-3 tables; bit positions count from 1 at the most significant bit.
constexpr std::array<std::array<std::uint8_t, 64>, 8> kSBoxes = {{
    {14, 4,  13, 1, 2,  15, 11, 8, 3, 10, 6, 12, 5,  9,  0,  7,  0,  15, 7,  4,  14, 2,
     13, 1,  10, 6, 12, 11, 9,  5, 3, 8,  4, 1,  14, 8,  13, 6,  2,  11, 15, 12, 9,  7,
     3,  10, 5,  0, 15, 12, 8,  2, 4, 9,  1, 7,  5,  11, 3,  14, 10, 0,  6,  13},
    {15, 1,  8,  14, 6,  11, 3,  4, 9,  7,  2, 13, 12, 0,  5,  10, 3,  13, 4,  7, 15, 2,
     8,  14, 12, 0,  1,  10, 6,  9, 11, 5,  0, 14, 7,  11, 10, 4,  13, 1,  5,  8, 12, 6,
     9,  3,  2,  15, 13, 8,  10, 1, 3,  15, 4, 2,  11, 6,  7,  12, 0,  5,  14, 9},
    {10, 0,  9,  14, 6, 3,  15, 5,  1,  13, 12, 7, 11, 4,  2,  8,  13, 7, 0,  9, 3, 4,
     6,  10, 2,  8,  5, 14, 12, 11, 15, 1,  13, 6, 4,  9,  8,  15, 3,  0, 11, 1, 2, 12,
     5,  10, 14, 7,  1, 10, 13, 0,  6,  9,  8,  7, 4,  15, 14, 3,  11, 5, 2,  12},
    {7, 13, 14, 3, 0, 6,  9, 10, 1,  2, 8,  5, 11, 12, 4,  15, 13, 8,  11, 5, 6, 15,
     0, 3,  4,  7, 2, 12, 1, 10, 14, 9, 10, 6, 9,  0,  12, 11, 7,  13, 15, 1, 3, 14,
     5, 2,  8,  4, 3, 15, 0, 6,  10, 1, 13, 8, 9,  4,  5,  11, 12, 7,  2,  14},
    {2,  12, 4, 1,  7,  10, 11, 6, 8, 5,  3, 15, 13, 0,  14, 9,  14, 11, 2,  12, 4,  7,
     13, 1,  5, 0,  15, 10, 3,  9, 8, 6,  4, 2,  1,  11, 10, 13, 7,  8,  15, 9,  12, 5,
     6,  3,  0, 14, 11, 8,  12, 7, 1, 14, 2, 13, 6,  15, 0,  9,  10, 4,  5,  3},
    {12, 1,  10, 15, 9,  2,  6, 8,  0, 13, 3,  4,  14, 7,  5, 11, 10, 15, 4, 2, 7, 12,
     9,  5,  6,  1,  13, 14, 0, 11, 3, 8,  9,  14, 15, 5,  2, 8,  12, 3,  7, 0, 4, 10,
     1,  13, 11, 6,  4,  3,  2, 12, 9, 5,  15, 10, 11, 14, 1, 7,  6,  0,  8, 13},
    {4, 11, 2,  14, 15, 0,  8,  13, 3, 12, 9,  7, 5,  10, 6,  1,  13, 0,  11, 7,  4, 9,
     1, 10, 14, 3,  5,  12, 2,  15, 8, 6,  1,  4, 11, 13, 12, 3,  7,  14, 10, 15, 6, 8,
     0, 5,  9,  2,  6,  11, 13, 8,  1, 4,  10, 7, 9,  5,  0,  15, 14, 2,  3,  12},
    {13, 2, 8,  4, 6, 15, 11, 1,  10, 9,  3, 14, 5,  0,  12, 7,  1,  15, 13, 8, 10, 3,
     7,  4, 12, 5, 6, 11, 0,  14, 9,  2,  7, 11, 4,  1,  9,  12, 14, 2,  0,  6, 10, 13,
     15, 3, 5,  8, 2, 1,  14, 7,  4,  10, 8, 13, 15, 12, 9,  0,  3,  5,  6,  11},
}};

constexpr std::array<std::uint8_t, 32> kP = {16, 7, 20, 21, 29, 12, 28, 17, 1,  15, 23,
                                             26, 5, 18, 31, 10, 2,  8,  24, 14, 32, 27,
                                             3,  9, 19, 13, 30, 6,  22, 11, 4,  25};

constexpr std::array<std::uint8_t, 56> kPc1 = {
    57, 49, 41, 33, 25, 17, 9,  1,  58, 50, 42, 34, 26, 18, 10, 2,  59, 51, 43,
    35, 27, 19, 11, 3,  60, 52, 44, 36, 63, 55, 47, 39, 31, 23, 15, 7,  62, 54,
    46, 38, 30, 22, 14, 6,  61, 53, 45, 37, 29, 21, 13, 5,  28, 20, 12, 4};

constexpr std::array<std::uint8_t, 48> kPc2 = {
    14, 17, 11, 24, 1,  5,  3,  28, 15, 6,  21, 10, 23, 19, 12, 4,  26, 8,  16, 7,  27, 20, 13, 2,
    41, 52, 31, 37, 47, 55, 30, 40, 51, 45, 33, 48, 44, 49, 39, 56, 34, 53, 46, 42, 50, 36, 29, 32};

constexpr std::array<std::uint8_t, 16> kShifts = {1, 1, 2, 2, 2, 2, 2, 2, 1, 2, 2, 2, 2, 2, 2, 1};

// PC-1 of a key read as a big-endian 64-bit value: C in bits 55..28, D in bits 27..0.
constexpr std::uint64_t pc1(std::uint64_t key) {
    std::uint64_t cd = 0;
    for (int i = 0; i < 56; ++i) cd |= ((key >> (64 - kPc1[i])) & 1) << (55 - i);
    return cd;
}

// PC-2 of C and D (as pc1 lays them out), already split into the schedule's two words: the
// first in the high half, the second in the low half.
constexpr std::uint64_t pc2(std::uint64_t cd) {
    std::uint64_t subkey = 0;
    for (int j = 0; j < 48; ++j) subkey |= ((cd >> (56 - kPc2[j])) & 1) << (47 - j);
    std::uint64_t k0 = 0, k1 = 0;
    for (int group = 0; group < 8; group += 2) {
        k0 = (k0 << 8) | ((subkey >> (42 - 6 * group)) & 63);
        k1 = (k1 << 8) | ((subkey >> (36 - 6 * group)) & 63);
    }
    return (k0 << 32) | k1;
}

// Both choices only select bits, so each is the OR of its value on every 4-bit slice of the
// input: tables of 16 entries per slice replace the bit-by-bit loops.
template <int Slices, std::uint64_t (*Choice)(std::uint64_t)>
constexpr auto slice_tables() {
    std::array<std::array<std::uint64_t, 16>, Slices> t{};
    for (int p = 0; p < Slices; ++p) {
        for (std::uint64_t v = 0; v < 16; ++v) t[p][v] = Choice(v << (4 * p));
    }
    return t;
}
constexpr auto kPc1Slices = slice_tables<16, pc1>();
constexpr auto kPc2Slices = slice_tables<14, pc2>();

template <std::size_t Slices>
inline std::uint64_t choose(const std::array<std::array<std::uint64_t, 16>, Slices>& table,
                            std::uint64_t x) {
    std::uint64_t r = 0;
    for (std::size_t p = 0; p < Slices; ++p) r |= table[p][(x >> (4 * p)) & 15];
    return r;
}

constexpr bool rows_are_permutations() {
    for (const auto& box : kSBoxes) {
        for (int row = 0; row < 4; ++row) {
            unsigned seen = 0;
            for (int col = 0; col < 16; ++col) seen |= 1u << box[row * 16 + col];
            if (seen != 0xFFFF) return false;
        }
    }
    std::uint64_t seen = 0;
    for (auto bit : kP) seen |= std::uint64_t{1} << bit;
    return seen == 0x1FFFFFFFEull;
}
static_assert(rows_are_permutations());

// Table s maps the six expanded, key-mixed bits entering S-box s+1 straight to P of its four output
// bits, rotated left by one bit like the halves the rounds work on.
constexpr std::array<std::array<std::uint32_t, 64>, 8> build_sp_tables() {
    std::array<std::array<std::uint32_t, 64>, 8> tables{};
    for (int s = 0; s < 8; ++s) {
        for (int b = 0; b < 64; ++b) {
            const int row = ((b >> 4) & 2) | (b & 1);
            const int col = (b >> 1) & 15;
            const std::uint32_t sbox_out = std::uint32_t{kSBoxes[s][row * 16 + col]}
                                           << (28 - 4 * s);
            std::uint32_t permuted = 0;
            for (int j = 0; j < 32; ++j) {
                permuted |= ((sbox_out >> (32 - kP[j])) & 1u) << (31 - j);
            }
            tables[s][b] = std::rotl(permuted, 1);
        }
    }
    return tables;
}
constexpr auto kSp = build_sp_tables();
static_assert(kSp[0][0] == 0x01010400 && kSp[0][2] == 0x00010000);

inline void delta_swap(std::uint32_t& a, std::uint32_t& b, int shift, std::uint32_t mask) {
    const std::uint32_t t = ((a >> shift) ^ b) & mask;
    b ^= t;
    a ^= t << shift;
}

inline std::uint32_t feistel(std::uint32_t half, std::uint32_t k0, std::uint32_t k1) {
    std::uint32_t w = std::rotr(half, 4) ^ k0;
    std::uint32_t f =
        kSp[0][(w >> 24) & 63] ^ kSp[2][(w >> 16) & 63] ^ kSp[4][(w >> 8) & 63] ^ kSp[6][w & 63];
    w = half ^ k1;
    f ^= kSp[1][(w >> 24) & 63] ^ kSp[3][(w >> 16) & 63] ^ kSp[5][(w >> 8) & 63] ^ kSp[7][w & 63];
    return f;
}

inline void rounds_inline(const std::uint32_t* k, std::uint32_t& left, std::uint32_t& right) {
    for (int i = 0; i < 32; i += 4) {
        left ^= feistel(right, k[i], k[i + 1]);
        right ^= feistel(left, k[i + 2], k[i + 3]);
    }
}

// Initial permutation, rounds, and the final permutation of the swapped halves.
inline void crypt_words(const DES_KEY_SCHEDULE* schedule, std::uint32_t& left,
                        std::uint32_t& right) {
    des_detail::initial_permutation(left, right);
    rounds_inline(schedule->subkeys, left, right);
    des_detail::final_permutation(right, left);
    std::swap(left, right);
}

struct KeyTemporaries {
    std::uint64_t key;
    std::uint32_t c, d;
    std::uint64_t subkey;
};

constexpr Status kSetKeyInvalid = make_status(Module::Des, 0x01, REASON_INVALID_ARGUMENT);
constexpr Status kDesUnitKeySetupFailed = make_status(Module::Des, 0x02, REASON_INIT_FAILED);

Status set_encrypt_key(void* schedule, const std::uint8_t* key, std::uint32_t key_length,
                       std::uint32_t) {
    if (schedule == nullptr || key == nullptr || key_length != 8) return kSetKeyInvalid;
    return DesSetKey(key, static_cast<DES_KEY_SCHEDULE*>(schedule), kDesEncrypt);
}

Status set_decrypt_key(void* schedule, const std::uint8_t* key, std::uint32_t key_length,
                       std::uint32_t) {
    if (schedule == nullptr || key == nullptr || key_length != 8) return kSetKeyInvalid;
    return DesSetKey(key, static_cast<DES_KEY_SCHEDULE*>(schedule), kDesDecrypt);
}

void blocks(const void* schedule, const std::uint8_t* in, std::uint8_t* out, std::size_t count) {
    DesBlocks(static_cast<const DES_KEY_SCHEDULE*>(schedule), in, out, count);
}

void cbc_encrypt(const void* schedule, std::uint8_t* chain, const std::uint8_t* in,
                 std::uint8_t* out, std::size_t count) {
    cbc64_encrypt(static_cast<const DES_KEY_SCHEDULE*>(schedule), crypt_words, chain, in, out,
                  count);
}

void cbc_decrypt(const void* schedule, std::uint8_t* chain, const std::uint8_t* in,
                 std::uint8_t* out, std::size_t count) {
    cbc64_decrypt(static_cast<const DES_KEY_SCHEDULE*>(schedule), crypt_words, chain, in, out,
                  count);
}

}  // namespace

namespace des_detail {

// Hoey's delta swaps give the halves of IP; each half is then rotated left by one bit so that the
// expansion E of a round becomes two rotations and eight 6-bit fields.
void initial_permutation(std::uint32_t& left, std::uint32_t& right) noexcept {
    delta_swap(left, right, 4, 0x0F0F0F0F);
    delta_swap(left, right, 16, 0x0000FFFF);
    delta_swap(right, left, 2, 0x33333333);
    delta_swap(right, left, 8, 0x00FF00FF);
    delta_swap(left, right, 1, 0x55555555);
    left = std::rotl(left, 1);
    right = std::rotl(right, 1);
}

// The exact inverse of initial_permutation (every delta swap is its own inverse).
void final_permutation(std::uint32_t& left, std::uint32_t& right) noexcept {
    left = std::rotr(left, 1);
    right = std::rotr(right, 1);
    delta_swap(left, right, 1, 0x55555555);
    delta_swap(right, left, 8, 0x00FF00FF);
    delta_swap(right, left, 2, 0x33333333);
    delta_swap(left, right, 16, 0x0000FFFF);
    delta_swap(left, right, 4, 0x0F0F0F0F);
}

void rounds(const DES_KEY_SCHEDULE* schedule, std::uint32_t& left, std::uint32_t& right) noexcept {
    rounds_inline(schedule->subkeys, left, right);
}

}  // namespace des_detail

Status DesSetKey(const std::uint8_t key[8], DES_KEY_SCHEDULE* schedule,
                 std::uint32_t direction) noexcept {
    KeyTemporaries t{};
    mem::WipeOnExit wipe(t);
    t.key = load_be64(key);
    t.subkey = choose(kPc1Slices, t.key);
    t.c = static_cast<std::uint32_t>(t.subkey >> 28);
    t.d = static_cast<std::uint32_t>(t.subkey & 0x0FFFFFFF);
    for (int round = 0; round < 16; ++round) {
        const int shift = kShifts[round];
        t.c = ((t.c << shift) | (t.c >> (28 - shift))) & 0x0FFFFFFF;
        t.d = ((t.d << shift) | (t.d >> (28 - shift))) & 0x0FFFFFFF;
        t.subkey = choose(kPc2Slices, (std::uint64_t{t.c} << 28) | t.d);
        const auto k0 = static_cast<std::uint32_t>(t.subkey >> 32);
        const auto k1 = static_cast<std::uint32_t>(t.subkey);
        const int slot = direction == kDesDecrypt ? 15 - round : round;
        schedule->subkeys[2 * slot] = k0;
        schedule->subkeys[2 * slot + 1] = k1;
    }
    return kOk;
}

void DesBlock(const DES_KEY_SCHEDULE* schedule, const std::uint8_t in[8],
              std::uint8_t out[8]) noexcept {
    std::uint32_t left = load_be32(in), right = load_be32(in + 4);
    crypt_words(schedule, left, right);
    store_be32(out, left);
    store_be32(out + 4, right);
}

void DesBlocks(const DES_KEY_SCHEDULE* schedule, const std::uint8_t* in, std::uint8_t* out,
               std::size_t blocks) noexcept {
    for (std::size_t i = 0; i < blocks; ++i) DesBlock(schedule, in + 8 * i, out + 8 * i);
}

const BlockCipherOps kDesOps{.module = Module::Des,
                             .block_length = 8,
                             .schedule_size = sizeof(DES_KEY_SCHEDULE),
                             .key_setup_failure = kDesUnitKeySetupFailed,
                             .counter_mode = true,
                             .set_encrypt_key = &set_encrypt_key,
                             .set_decrypt_key = &set_decrypt_key,
                             .encrypt_blocks = &blocks,
                             .decrypt_blocks = &blocks,
                             .ctr_blocks = nullptr,
                             .cbc_encrypt_blocks = &cbc_encrypt,
                             .cbc_decrypt_blocks = &cbc_decrypt,
                             .schedule_matches = nullptr};

}  // namespace zlc::cipher
