// SEED, TTAS.KO-12.0004 as described in RFC 4269 (round function F and G, key schedule), and the
// 24-round variant keyed from 256 bits. Independent blocks (ECB, CTR, CBC decryption) run four at
// a time so that their table lookups overlap.
#include "crypto/cipher/seed.h"

#include <array>
#include <bit>
#include <cstring>

#include "crypto/cipher/block_cipher_ops.h"
#include "crypto/core/bytes.h"
#include "crypto/core/memory.h"
#include "crypto/platform/secure_zero.h"

namespace zlc::cipher {
namespace {

// The S-boxes as the standard defines them: S1(x) = A1 * x^247 + 169 and S2(x) = A2 * x^251 + 56
// over GF(2^8) modulo x^8 + x^6 + x^5 + x + 1, with A1 and A2 given by their columns (the image of
// bit k).
using Columns = std::array<std::uint8_t, 8>;
constexpr Columns kA1 = {0x2C, 0xD0, 0x69, 0xC2, 0x41, 0x44, 0x58, 0xE2};
constexpr Columns kA2 = {0xD0, 0x2A, 0xE1, 0x2C, 0x21, 0x30, 0xA2, 0x6C};

constexpr std::uint8_t gf_mul(std::uint8_t a, std::uint8_t b) {
    unsigned r = 0;
    unsigned x = a;
    for (; b != 0; b = static_cast<std::uint8_t>(b >> 1)) {
        if (b & 1) r ^= x;
        x <<= 1;
        if (x & 0x100) x ^= 0x163;
    }
    return static_cast<std::uint8_t>(r);
}

constexpr std::uint8_t gf_pow(std::uint8_t a, unsigned e) {
    std::uint8_t r = 1;
    for (; e != 0; e >>= 1) {
        if (e & 1) r = gf_mul(r, a);
        a = gf_mul(a, a);
    }
    return r;
}

constexpr std::uint8_t apply(const Columns& m, std::uint8_t v) {
    std::uint8_t r = 0;
    for (int k = 0; k < 8; ++k) {
        if ((v >> k) & 1) r ^= m[k];
    }
    return r;
}

// G's four tables: SSk[x] puts S(x) masked by m(k), m(k+1), m(k+2), m(k+3) into bytes 0 to 3, with
// the masks m0..m3 = FC, F3, CF, 3F; SS0 and SS2 use S1, SS1 and SS3 use S2.
using Table = std::array<std::uint32_t, 256>;
constexpr std::uint8_t kMask[4] = {0xFC, 0xF3, 0xCF, 0x3F};

constexpr std::array<Table, 4> make_ss() {
    std::array<Table, 4> t{};
    for (unsigned x = 0; x < 256; ++x) {
        const auto v = static_cast<std::uint8_t>(x);
        const std::uint8_t s[2] = {static_cast<std::uint8_t>(apply(kA1, gf_pow(v, 247)) ^ 169),
                                   static_cast<std::uint8_t>(apply(kA2, gf_pow(v, 251)) ^ 56)};
        for (unsigned k = 0; k < 4; ++k) {
            std::uint32_t w = 0;
            for (unsigned j = 0; j < 4; ++j)
                w |= static_cast<std::uint32_t>(s[k % 2] & kMask[(k + j) % 4]) << (8 * j);
            t[k][x] = w;
        }
    }
    return t;
}
constexpr auto kSS = make_ss();
static_assert(kSS[0][0x00] == 0x2989A1A8 && kSS[0][0x01] == 0x05858184 &&
              kSS[0][0xFF] == 0x1A8A9298);
static_assert(kSS[1][0x00] == 0x38380830 && kSS[1][0xFF] == 0xB43787B3);
static_assert(kSS[2][0x00] == 0xA1A82989 && kSS[3][0x00] == 0x08303838 &&
              kSS[3][0xFF] == 0x87B3B437);

// Paired so that two XORs, not three, follow the last lookup (CBC encryption is one serial chain);
// the empty asm keeps the compiler from folding the pairs back into a chain.
inline std::uint32_t g(std::uint32_t x) {
    std::uint32_t low = kSS[0][x & 0xFF] ^ kSS[1][(x >> 8) & 0xFF];
    const std::uint32_t high = kSS[2][(x >> 16) & 0xFF] ^ kSS[3][x >> 24];
    __asm__("" : "+r"(low));
    return low ^ high;
}

constexpr std::uint32_t key_constant(unsigned i) {
    return std::rotl(0x9E3779B9u, static_cast<int>(i));
}

// One round: F of RFC 4269 section 2.1 on (r0, r1) with the subkey pair k, XORed into (l0, l1).
inline void feistel(std::uint32_t r0, std::uint32_t r1, const std::uint32_t* k, std::uint32_t& l0,
                    std::uint32_t& l1) {
    std::uint32_t c = r0 ^ k[0];
    std::uint32_t d = g(r1 ^ k[1] ^ c);
    c = g(c + d);
    d = g(d + c);
    c += d;
    l0 ^= c;
    l1 ^= d;
}

unsigned round_count(const SEED_KEY_SCHEDULE* ks) {
    return ks->count == 48 ? 24 : 16;
}

// N blocks side by side, each as its four big-endian words L0, L1, R0, R1; the result replaces them
// in output order.
template <int N>
void crypt_words(const SEED_KEY_SCHEDULE* ks, bool decrypt, std::uint32_t (&w)[N][4]) {
    const unsigned rounds = round_count(ks);
    std::uint32_t l0[N], l1[N], r0[N], r1[N];
    for (int b = 0; b < N; ++b) {
        l0[b] = w[b][0];
        l1[b] = w[b][1];
        r0[b] = w[b][2];
        r1[b] = w[b][3];
    }
    const std::uint32_t* k = decrypt ? ks->subkeys + 2 * (rounds - 1) : ks->subkeys;
    const std::ptrdiff_t step = decrypt ? -2 : 2;
    for (unsigned i = 0; i < rounds; i += 2) {
        for (int b = 0; b < N; ++b) feistel(r0[b], r1[b], k, l0[b], l1[b]);
        k += step;
        for (int b = 0; b < N; ++b) feistel(l0[b], l1[b], k, r0[b], r1[b]);
        k += step;
    }
    for (int b = 0; b < N; ++b) {
        w[b][0] = r0[b];
        w[b][1] = r1[b];
        w[b][2] = l0[b];
        w[b][3] = l1[b];
    }
}

template <int N>
void crypt_blocks(const SEED_KEY_SCHEDULE* ks, bool decrypt, const std::uint8_t* in,
                  std::uint8_t* out) {
    std::uint32_t w[N][4];
    for (int b = 0; b < N; ++b) {
        for (int i = 0; i < 4; ++i) w[b][i] = load_be32(in + 16 * b + 4 * i);
    }
    crypt_words<N>(ks, decrypt, w);
    for (int b = 0; b < N; ++b) {
        for (int i = 0; i < 4; ++i) store_be32(out + 16 * b + 4 * i, w[b][i]);
    }
}

void run_blocks(const SEED_KEY_SCHEDULE* ks, bool decrypt, const std::uint8_t* in,
                std::uint8_t* out, std::size_t blocks) {
    for (; blocks >= 4; blocks -= 4, in += 64, out += 64) crypt_blocks<4>(ks, decrypt, in, out);
    for (; blocks > 0; --blocks, in += 16, out += 16) crypt_blocks<1>(ks, decrypt, in, out);
}

const SEED_KEY_SCHEDULE* as_schedule(const void* p) {
    return static_cast<const SEED_KEY_SCHEDULE*>(p);
}

Status ops_set_key(void* schedule, const std::uint8_t* key, std::uint32_t key_length,
                   std::uint32_t) {
    if (schedule == nullptr || key == nullptr) return kSeedKeySetupFailed;
    auto* ks = static_cast<SEED_KEY_SCHEDULE*>(schedule);
    if (key_length == 16) {
        SeedSetKey128(key, ks);
    } else if (key_length == 32) {
        SeedSetKey256(key, ks);
    } else {
        return kSeedKeySetupFailed;
    }
    return kOk;
}

void ops_encrypt_blocks(const void* schedule, const std::uint8_t* in, std::uint8_t* out,
                        std::size_t blocks) {
    run_blocks(as_schedule(schedule), false, in, out, blocks);
}

void ops_decrypt_blocks(const void* schedule, const std::uint8_t* in, std::uint8_t* out,
                        std::size_t blocks) {
    run_blocks(as_schedule(schedule), true, in, out, blocks);
}

void ops_ctr_blocks(const void* schedule, std::uint8_t* counter, const std::uint8_t* in,
                    std::uint8_t* out, std::size_t blocks) {
    constexpr std::size_t kBatch = 16;
    const auto* ks = as_schedule(schedule);
    std::uint64_t hi = load_be64(counter);
    std::uint64_t lo = load_be64(counter + 8);
    std::uint8_t keystream[16 * kBatch];
    while (blocks > 0) {
        const std::size_t n = blocks < kBatch ? blocks : kBatch;
        for (std::size_t b = 0; b < n; ++b) {
            store_be64(keystream + 16 * b, hi);
            store_be64(keystream + 16 * b + 8, lo);
            if (++lo == 0) ++hi;
        }
        run_blocks(ks, false, keystream, keystream, n);
        for (std::size_t i = 0; i < 16 * n; ++i)
            out[i] = static_cast<std::uint8_t>(in[i] ^ keystream[i]);
        in += 16 * n;
        out += 16 * n;
        blocks -= n;
    }
    store_be64(counter, hi);
    store_be64(counter + 8, lo);
    platform::secure_zero(keystream, sizeof(keystream));
}

// The chaining value stays in registers from block to block.
void ops_cbc_encrypt_blocks(const void* schedule, std::uint8_t* chain, const std::uint8_t* in,
                            std::uint8_t* out, std::size_t blocks) {
    const auto* ks = as_schedule(schedule);
    std::uint32_t w[1][4];
    for (int i = 0; i < 4; ++i) w[0][i] = load_be32(chain + 4 * i);
    for (std::size_t b = 0; b < blocks; ++b, in += 16, out += 16) {
        for (int i = 0; i < 4; ++i) w[0][i] ^= load_be32(in + 4 * i);
        crypt_words<1>(ks, false, w);
        for (int i = 0; i < 4; ++i) store_be32(out + 4 * i, w[0][i]);
    }
    for (int i = 0; i < 4; ++i) store_be32(chain + 4 * i, w[0][i]);
}

// Decrypts a batch at a time from a copy of the ciphertext, so in == out works.
void ops_cbc_decrypt_blocks(const void* schedule, std::uint8_t* chain, const std::uint8_t* in,
                            std::uint8_t* out, std::size_t blocks) {
    constexpr std::size_t kBatch = 16;
    const auto* ks = as_schedule(schedule);
    std::uint8_t saved[16 * kBatch];
    while (blocks > 0) {
        const std::size_t n = blocks < kBatch ? blocks : kBatch;
        std::memcpy(saved, in, 16 * n);
        run_blocks(ks, true, saved, out, n);
        for (int i = 0; i < 16; ++i) out[i] ^= chain[i];
        for (std::size_t i = 16; i < 16 * n; ++i) out[i] ^= saved[i - 16];
        std::memcpy(chain, saved + 16 * (n - 1), 16);
        in += 16 * n;
        out += 16 * n;
        blocks -= n;
    }
}

}  // namespace

void SeedSetKey128(const std::uint8_t* key, SEED_KEY_SCHEDULE* schedule) noexcept {
    if (key == nullptr || schedule == nullptr) return;
    // A||B and C||D, wiped once on the way out.
    std::uint64_t half[2] = {load_be64(key), load_be64(key + 8)};
    mem::WipeOnExit wipe(half);
    for (unsigned i = 0; i < 16; ++i) {
        const auto a = static_cast<std::uint32_t>(half[0] >> 32),
                   b = static_cast<std::uint32_t>(half[0]);
        const auto c = static_cast<std::uint32_t>(half[1] >> 32),
                   d = static_cast<std::uint32_t>(half[1]);
        schedule->subkeys[2 * i] = g(a + c - key_constant(i));
        schedule->subkeys[2 * i + 1] = g(b - d + key_constant(i));
        if (i % 2 == 0) {
            half[0] = std::rotr(half[0], 8);
        } else {
            half[1] = std::rotl(half[1], 8);
        }
    }
    std::memset(schedule->subkeys + 32, 0, 16 * sizeof(std::uint32_t));
    schedule->count = 32;
}

void SeedSetKey256(const std::uint8_t* key, SEED_KEY_SCHEDULE* schedule) noexcept {
    if (key == nullptr || schedule == nullptr) return;
    // W0..W3 and W4..W7 as two 128-bit values (W0 and W4 most significant), and the words of the
    // current round; wiped once on the way out.
    struct Scratch {
        unsigned __int128 left;
        unsigned __int128 right;
        std::uint32_t w[8];
    } t = {};
    mem::WipeOnExit wipe(t);
    t.left = (static_cast<unsigned __int128>(load_be64(key)) << 64) | load_be64(key + 8);
    t.right = (static_cast<unsigned __int128>(load_be64(key + 16)) << 64) | load_be64(key + 24);
    for (unsigned i = 0; i < 24; ++i) {
        for (int j = 0; j < 4; ++j) {
            t.w[j] = static_cast<std::uint32_t>(t.left >> (96 - 32 * j));
            t.w[4 + j] = static_cast<std::uint32_t>(t.right >> (96 - 32 * j));
        }
        const std::uint32_t* w = t.w;
        schedule->subkeys[2 * i] = g((((w[0] + w[2]) ^ w[4]) - w[5]) ^ key_constant(i));
        schedule->subkeys[2 * i + 1] = g((((w[1] - w[3]) ^ w[6]) + w[7]) ^ key_constant(i));
        const unsigned r = (i % 6) < 2 ? 9 : (i % 6) < 4 ? 11 : 12;
        if (i % 2 == 0) {
            t.left = (t.left >> r) | (t.left << (128 - r));
        } else {
            t.right = (t.right << r) | (t.right >> (128 - r));
        }
    }
    schedule->count = 48;
}

void SeedEncryptBlock(const SEED_KEY_SCHEDULE* schedule, const std::uint8_t* in,
                      std::uint8_t* out) noexcept {
    crypt_blocks<1>(schedule, false, in, out);
}

void SeedDecryptBlock(const SEED_KEY_SCHEDULE* schedule, const std::uint8_t* in,
                      std::uint8_t* out) noexcept {
    crypt_blocks<1>(schedule, true, in, out);
}

namespace {

// Two subkeys per round: 16 rounds for the 128-bit key, 24 for the 256-bit one.
bool ops_schedule_matches(const void* schedule, std::uint32_t key_length, std::uint32_t) {
    return static_cast<const SEED_KEY_SCHEDULE*>(schedule)->count == key_length + 16;
}

}  // namespace

const BlockCipherOps kSeedOps{.module = Module::Seed,
                              .block_length = 16,
                              .schedule_size = sizeof(SEED_KEY_SCHEDULE),
                              .key_setup_failure = kSeedKeySetupFailed,
                              .counter_mode = true,
                              .set_encrypt_key = ops_set_key,
                              .set_decrypt_key = ops_set_key,
                              .encrypt_blocks = ops_encrypt_blocks,
                              .decrypt_blocks = ops_decrypt_blocks,
                              .ctr_blocks = ops_ctr_blocks,
                              .cbc_encrypt_blocks = ops_cbc_encrypt_blocks,
                              .cbc_decrypt_blocks = ops_cbc_decrypt_blocks,
                              .schedule_matches = ops_schedule_matches};

}  // namespace zlc::cipher
