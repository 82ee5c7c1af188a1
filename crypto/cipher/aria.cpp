// ARIA, KS X 1213 as described in RFC 5794: key expansion (section 2.2), the round functions and
// the diffusion layer A (section 2.4). The portable path folds each substitution layer with the
// first step of A into four word tables; a GFNI path (aria_x86.cpp) runs independent blocks side by
// side.
#include "crypto/cipher/aria.h"

#include <array>
#include <cstring>

#include "crypto/cipher/aria_sbox.h"
#include "crypto/cipher/block_cipher_ops.h"
#include "crypto/core/bytes.h"
#include "crypto/core/memory.h"

namespace zlc::cipher {
namespace {

using Table = std::array<std::uint32_t, 256>;
using Block = std::uint32_t[4];

// The four boxes in the order of the standard's type-1 layer: S1, S2, S1^-1, S2^-1.
constexpr std::array<std::array<std::uint8_t, 256>, 4> make_boxes() {
    std::array<std::array<std::uint8_t, 256>, 4> b{};
    for (unsigned x = 0; x < 256; ++x) {
        const auto v = static_cast<std::uint8_t>(x);
        b[0][x] = aria_sbox::s1(v);
        b[1][x] = aria_sbox::s2(v);
    }
    for (unsigned x = 0; x < 256; ++x) {
        b[2][b[0][x]] = static_cast<std::uint8_t>(x);
        b[3][b[1][x]] = static_cast<std::uint8_t>(x);
    }
    return b;
}
constexpr auto kBoxes = make_boxes();
static_assert(kBoxes[0][0x00] == 0x63 && kBoxes[0][0x53] == 0xED);
static_assert(kBoxes[1][0x00] == 0xE2 && kBoxes[1][0x01] == 0x4E && kBoxes[1][0x0F] == 0xD1);
static_assert(kBoxes[2][0x00] == 0x52 && kBoxes[3][0x00] == 0x30 && kBoxes[3][0x0F] == 0x3C);

// A splits into: inside each word, every byte becomes the XOR of the other three; then the word
// mix M, a byte permutation P inside words 1 to 3, and M again. The first step is folded into
// the tables: byte j of a word spreads to the other three positions.
constexpr std::array<std::uint32_t, 4> kSpread = {0x00010101, 0x01000101, 0x01010001, 0x01010100};

// Type-1 layer uses boxes 0,1,2,3 on byte positions 0,1,2,3 of every word; type 2 uses 2,3,0,1.
constexpr std::array<Table, 4> make_layer(unsigned first_box) {
    std::array<Table, 4> t{};
    for (unsigned j = 0; j < 4; ++j) {
        for (unsigned x = 0; x < 256; ++x) t[j][x] = kBoxes[(first_box + j) % 4][x] * kSpread[j];
    }
    return t;
}
constexpr auto kLayer1 = make_layer(0);
constexpr auto kLayer2 = make_layer(2);

inline std::uint32_t substitute(const std::array<Table, 4>& t, std::uint32_t w) {
    return t[0][w >> 24] ^ t[1][(w >> 16) & 0xFF] ^ t[2][(w >> 8) & 0xFF] ^ t[3][w & 0xFF];
}

inline void word_mix(std::uint32_t& t0, std::uint32_t& t1, std::uint32_t& t2, std::uint32_t& t3) {
    t1 ^= t2;
    t2 ^= t3;
    t0 ^= t1;
    t3 ^= t1;
    t2 ^= t0;
    t1 ^= t2;
}

// M, P, M: the rest of A after the in-word spread.
inline void finish_diffusion(std::uint32_t& t0, std::uint32_t& t1, std::uint32_t& t2,
                             std::uint32_t& t3) {
    word_mix(t0, t1, t2, t3);
    t1 = ((t1 << 8) & 0xFF00FF00u) | ((t1 >> 8) & 0x00FF00FFu);
    t2 = (t2 << 16) | (t2 >> 16);
    t3 = __builtin_bswap32(t3);
    word_mix(t0, t1, t2, t3);
}

inline void round_step(const std::array<Table, 4>& layer, Block& x, const std::uint32_t* key) {
    std::uint32_t t0 = substitute(layer, x[0]);
    std::uint32_t t1 = substitute(layer, x[1]);
    std::uint32_t t2 = substitute(layer, x[2]);
    std::uint32_t t3 = substitute(layer, x[3]);
    finish_diffusion(t0, t1, t2, t3);
    x[0] = t0 ^ key[0];
    x[1] = t1 ^ key[1];
    x[2] = t2 ^ key[2];
    x[3] = t3 ^ key[3];
}

// The last round: the type-2 substitution layer alone.
inline std::uint32_t last_substitute(std::uint32_t w) {
    return (static_cast<std::uint32_t>(kBoxes[2][w >> 24]) << 24) |
           (static_cast<std::uint32_t>(kBoxes[3][(w >> 16) & 0xFF]) << 16) |
           (static_cast<std::uint32_t>(kBoxes[0][(w >> 8) & 0xFF]) << 8) | kBoxes[1][w & 0xFF];
}

// Diffusion alone, for the decryption round keys.
void diffuse(Block& x) {
    std::uint32_t t[4];
    for (int i = 0; i < 4; ++i) {
        std::uint32_t s = x[i] ^ (x[i] >> 16);
        s = (s ^ (s >> 8)) & 0xFF;
        t[i] = x[i] ^ (s * 0x01010101u);
    }
    finish_diffusion(t[0], t[1], t[2], t[3]);
    std::memcpy(x, t, sizeof(t));
}

template <unsigned Rounds>
void crypt_words(const std::uint32_t (*rk)[4], Block& x) {
    for (int i = 0; i < 4; ++i) x[i] ^= rk[0][i];
#pragma GCC unroll 8
    for (unsigned r = 1; r + 1 < Rounds; r += 2) {
        round_step(kLayer1, x, rk[r]);
        round_step(kLayer2, x, rk[r + 1]);
    }
    round_step(kLayer1, x, rk[Rounds - 1]);
    for (int i = 0; i < 4; ++i) x[i] = last_substitute(x[i]) ^ rk[Rounds][i];
}

// One block as four big-endian words, in place.
void crypt_words_portable(const std::uint32_t (*rk)[4], unsigned rounds, Block& x) {
    switch (rounds) {
        case 12:
            crypt_words<12>(rk, x);
            break;
        case 14:
            crypt_words<14>(rk, x);
            break;
        default:
            crypt_words<16>(rk, x);
            break;
    }
}

void crypt_block_portable(const std::uint32_t (*rk)[4], unsigned rounds, const std::uint8_t* in,
                          std::uint8_t* out) {
    Block x = {load_be32(in), load_be32(in + 4), load_be32(in + 8), load_be32(in + 12)};
    crypt_words_portable(rk, rounds, x);
    for (int i = 0; i < 4; ++i) store_be32(out + 4 * i, x[i]);
}

// Key expansion constants CK1..CK3 (RFC 5794 section 2.2).
constexpr std::uint32_t kCk[3][4] = {{0x517cc1b7, 0x27220a94, 0xfe13abe8, 0xfa9a6ee0},
                                     {0x6db14acc, 0x9e21c820, 0xff28b1d5, 0xef5de2b0},
                                     {0xdb92371d, 0x2126e970, 0x03249775, 0x04e8c90e}};

// Rotates the 128-bit value w (word 0 most significant) right by n bits, 0 < n < 128.
void rotate_right(const Block& w, unsigned n, Block& out) {
    const unsigned words = n / 32;
    const unsigned bits = n % 32;
    for (unsigned i = 0; i < 4; ++i) {
        const std::uint32_t hi = w[(i + 4 - words) % 4];
        const std::uint32_t lo = w[(i + 3 - words) % 4];
        out[i] = bits == 0 ? hi : (hi >> bits) | (lo << (32 - bits));
    }
}

// Writes the rounds + 1 encryption round keys into keys (17 slots, the rest zeroed).
Status expand_key(const std::uint8_t* key, std::uint32_t key_length, std::uint32_t (*keys)[4],
                  unsigned* rounds) {
    if (key == nullptr || (key_length != 16 && key_length != 24 && key_length != 32))
        return kAriaSetKeyInvalid;
    // Everything derived from the key, wiped once on the way out.
    struct Scratch {
        Block w[4];
        Block kr;
        Block x;
    } t = {};
    mem::WipeOnExit wipe(t);
    for (unsigned i = 0; i < 4; ++i) t.w[0][i] = load_be32(key + 4 * i);
    for (unsigned i = 4; i < key_length / 4; ++i) t.kr[i - 4] = load_be32(key + 4 * i);
    const unsigned first = (key_length - 16) / 8;  // CK order 1,2,3 / 2,3,1 / 3,1,2
    for (unsigned step = 0; step < 3; ++step) {
        std::memcpy(t.x, t.w[step], sizeof(t.x));
        for (unsigned i = 0; i < 4; ++i) t.x[i] ^= kCk[(first + step) % 3][i];
        const Block& add = step == 0 ? t.kr : t.w[step - 1];
        round_step(step % 2 == 0 ? kLayer1 : kLayer2, t.x, add);
        std::memcpy(t.w[step + 1], t.x, sizeof(t.x));
    }
    const unsigned n = key_length / 4 + 8;
    std::memset(keys, 0, 17 * sizeof(Block));
    // ek(4g + i + 1) = W(i) xor (W(i+1 mod 4) rotated), by group g: >>> 19, >>> 31, <<< 61, <<< 31,
    // <<< 19.
    constexpr unsigned kRightShift[5] = {19, 31, 128 - 61, 128 - 31, 128 - 19};
    for (unsigned k = 0; k <= n; ++k) {
        rotate_right(t.w[(k % 4 + 1) % 4], kRightShift[k / 4], t.x);
        for (unsigned i = 0; i < 4; ++i) keys[k][i] = t.w[k % 4][i] ^ t.x[i];
    }
    *rounds = n;
    return kOk;
}

void blocks_portable(const std::uint32_t (*rk)[4], unsigned rounds, const std::uint8_t* in,
                     std::uint8_t* out, std::size_t blocks) noexcept {
    for (std::size_t b = 0; b < blocks; ++b)
        crypt_block_portable(rk, rounds, in + 16 * b, out + 16 * b);
}

void increment_counter(std::uint8_t* counter) {
    for (int i = 15; i >= 0; --i) {
        if (++counter[i] != 0) break;
    }
}

void ctr_portable(const std::uint32_t (*rk)[4], unsigned rounds, std::uint8_t* counter,
                  const std::uint8_t* in, std::uint8_t* out, std::size_t blocks) noexcept {
    std::uint8_t keystream[16];
    for (std::size_t b = 0; b < blocks; ++b) {
        crypt_block_portable(rk, rounds, counter, keystream);
        increment_counter(counter);
        for (int i = 0; i < 16; ++i)
            out[16 * b + i] = static_cast<std::uint8_t>(in[16 * b + i] ^ keystream[i]);
    }
    platform::secure_zero(keystream, sizeof(keystream));
}

constexpr platform::Path<AriaPathOps> kPaths[] = {
#ifdef ZLC_X86_64
    {"gfni",
     platform::kGfni | platform::kAvx512f | platform::kAvx512bw | platform::kAvx512vl,
     {aria_blocks_gfni, aria_ctr_gfni}},
#endif
    {"tables", 0, {blocks_portable, ctr_portable}},
};
constinit platform::PathChoice<AriaPathOps> g_paths(kPaths);

void run_blocks(const std::uint32_t (*rk)[4], unsigned rounds, const std::uint8_t* in,
                std::uint8_t* out, std::size_t blocks) {
    // A lone block is faster on the table path than through a vector register.
    (blocks > 1 ? g_paths.ops().blocks : blocks_portable)(rk, rounds, in, out, blocks);
}

const ARIA_KEY_SCHEDULE* as_schedule(const void* p) {
    return static_cast<const ARIA_KEY_SCHEDULE*>(p);
}

Status ops_set_encrypt_key(void* schedule, const std::uint8_t* key, std::uint32_t key_length,
                           std::uint32_t) {
    return AriaSetEncryptKey(key, key_length, static_cast<ARIA_KEY_SCHEDULE*>(schedule)) == kOk
               ? kOk
               : kAriaKeySetupFailed;
}

Status ops_set_decrypt_key(void* schedule, const std::uint8_t* key, std::uint32_t key_length,
                           std::uint32_t) {
    return AriaSetDecryptKey(key, key_length, static_cast<ARIA_KEY_SCHEDULE*>(schedule)) == kOk
               ? kOk
               : kAriaKeySetupFailed;
}

void ops_encrypt_blocks(const void* schedule, const std::uint8_t* in, std::uint8_t* out,
                        std::size_t blocks) {
    const auto* ks = as_schedule(schedule);
    run_blocks(ks->encrypt_keys, aria_round_count(ks), in, out, blocks);
}

void ops_decrypt_blocks(const void* schedule, const std::uint8_t* in, std::uint8_t* out,
                        std::size_t blocks) {
    const auto* ks = as_schedule(schedule);
    run_blocks(ks->decrypt_keys, aria_round_count(ks), in, out, blocks);
}

void ops_ctr_blocks(const void* schedule, std::uint8_t* counter, const std::uint8_t* in,
                    std::uint8_t* out, std::size_t blocks) {
    const auto* ks = as_schedule(schedule);
    g_paths.ops().ctr_blocks(ks->encrypt_keys, aria_round_count(ks), counter, in, out, blocks);
}

// Serial by nature, so one block at a time on the table path, the chaining value kept in registers.
void ops_cbc_encrypt_blocks(const void* schedule, std::uint8_t* chain, const std::uint8_t* in,
                            std::uint8_t* out, std::size_t blocks) {
    const auto* ks = as_schedule(schedule);
    const unsigned rounds = aria_round_count(ks);
    Block x = {load_be32(chain), load_be32(chain + 4), load_be32(chain + 8), load_be32(chain + 12)};
    for (std::size_t b = 0; b < blocks; ++b, in += 16, out += 16) {
        for (int i = 0; i < 4; ++i) x[i] ^= load_be32(in + 4 * i);
        crypt_words_portable(ks->encrypt_keys, rounds, x);
        for (int i = 0; i < 4; ++i) store_be32(out + 4 * i, x[i]);
    }
    for (int i = 0; i < 4; ++i) store_be32(chain + 4 * i, x[i]);
}

// Decrypts a batch at a time from a copy of the ciphertext, so in == out works.
void ops_cbc_decrypt_blocks(const void* schedule, std::uint8_t* chain, const std::uint8_t* in,
                            std::uint8_t* out, std::size_t blocks) {
    constexpr std::size_t kBatch = 16;
    const auto* ks = as_schedule(schedule);
    const unsigned rounds = aria_round_count(ks);
    std::uint8_t saved[16 * kBatch];
    while (blocks > 0) {
        const std::size_t n = blocks < kBatch ? blocks : kBatch;
        std::memcpy(saved, in, 16 * n);
        run_blocks(ks->decrypt_keys, rounds, saved, out, n);
        for (int i = 0; i < 16; ++i) out[i] ^= chain[i];
        for (std::size_t i = 16; i < 16 * n; ++i) out[i] ^= saved[i - 16];
        std::memcpy(chain, saved + 16 * (n - 1), 16);
        in += 16 * n;
        out += 16 * n;
        blocks -= n;
    }
}

}  // namespace

platform::PathChoice<AriaPathOps>& aria_paths() noexcept {
    return g_paths;
}

unsigned aria_round_count(const ARIA_KEY_SCHEDULE* schedule) noexcept {
    const std::uint32_t r = schedule->rounds;
    return r == 12 || r == 14 ? r : 16;
}

Status AriaSetEncryptKey(const std::uint8_t* key, std::uint32_t key_length,
                         ARIA_KEY_SCHEDULE* schedule) noexcept {
    if (schedule == nullptr) return kAriaSetKeyInvalid;
    unsigned rounds = 0;
    const Status status = expand_key(key, key_length, schedule->encrypt_keys, &rounds);
    if (status != kOk) return status;
    schedule->rounds = rounds;
    return kOk;
}

Status AriaSetDecryptKey(const std::uint8_t* key, std::uint32_t key_length,
                         ARIA_KEY_SCHEDULE* schedule) noexcept {
    if (schedule == nullptr) return kAriaSetKeyInvalid;
    std::uint32_t ek[17][4];
    mem::WipeOnExit wipe_ek(ek);
    unsigned n = 0;
    const Status status = expand_key(key, key_length, ek, &n);
    if (status != kOk) return status;
    // dk(1) = ek(n+1), dk(i) = A(ek(n+2-i)), dk(n+1) = ek(1).
    std::uint32_t(*dk)[4] = schedule->decrypt_keys;
    std::memset(dk, 0, sizeof(schedule->decrypt_keys));
    std::memcpy(dk[0], ek[n], 16);
    for (unsigned i = 1; i < n; ++i) {
        std::memcpy(dk[i], ek[n - i], 16);
        diffuse(dk[i]);
    }
    std::memcpy(dk[n], ek[0], 16);
    schedule->rounds = n;
    return kOk;
}

void AriaEncryptBlock(const ARIA_KEY_SCHEDULE* schedule, const std::uint8_t* in,
                      std::uint8_t* out) noexcept {
    crypt_block_portable(schedule->encrypt_keys, aria_round_count(schedule), in, out);
}

void AriaDecryptBlock(const ARIA_KEY_SCHEDULE* schedule, const std::uint8_t* in,
                      std::uint8_t* out) noexcept {
    crypt_block_portable(schedule->decrypt_keys, aria_round_count(schedule), in, out);
}

namespace {

// RFC 5794: (key bits + 256) / 32 rounds.
bool ops_schedule_matches(const void* schedule, std::uint32_t key_length, std::uint32_t) {
    return static_cast<const ARIA_KEY_SCHEDULE*>(schedule)->rounds == key_length / 4 + 8;
}

}  // namespace

const BlockCipherOps kAriaOps{.module = Module::Aria,
                              .block_length = 16,
                              .schedule_size = sizeof(ARIA_KEY_SCHEDULE),
                              .key_setup_failure = kAriaKeySetupFailed,
                              .counter_mode = true,
                              .set_encrypt_key = ops_set_encrypt_key,
                              .set_decrypt_key = ops_set_decrypt_key,
                              .encrypt_blocks = ops_encrypt_blocks,
                              .decrypt_blocks = ops_decrypt_blocks,
                              .ctr_blocks = ops_ctr_blocks,
                              .cbc_encrypt_blocks = ops_cbc_encrypt_blocks,
                              .cbc_decrypt_blocks = ops_cbc_decrypt_blocks,
                              .schedule_matches = ops_schedule_matches};

}  // namespace zlc::cipher
