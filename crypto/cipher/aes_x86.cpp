// AES with the AES-NI instructions (eight blocks in flight where the mode allows it) and with VAES
// over 256-bit registers (two blocks per register, 16 in flight) or 512-bit registers (four blocks
// per register, 32 in flight). The schedule's round-key words are
// big-endian, so each round key is byte-swapped once per call.
// GCC 12's AVX-512 intrinsics seed their results with self-initialised undefined vectors, which
// -Wmaybe-uninitialized reports inside the header.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <immintrin.h>

#include <cstdint>

#include "crypto/cipher/aes.h"
#include "crypto/core/bytes.h"
#include "crypto/core/memory.h"

#define ZLC_AESNI __attribute__((target("aes,sse4.1,ssse3")))
#define ZLC_VAES256 __attribute__((target("vaes,aes,avx2,sse4.1,ssse3")))
#define ZLC_VAES512 __attribute__((target("vaes,aes,avx512f,avx512bw,sse4.1,ssse3")))

namespace zlc::cipher {
namespace {

struct RoundKeys {
    __m128i k[15];
};

ZLC_AESNI void load_round_keys(const AES_KEY_SCHEDULE* s, RoundKeys& rk) {
    const __m128i swap = _mm_set_epi8(12, 13, 14, 15, 8, 9, 10, 11, 4, 5, 6, 7, 0, 1, 2, 3);
    for (std::uint32_t r = 0; r <= s->rounds; ++r) {
        rk.k[r] = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s->round_keys + 4 * r)), swap);
    }
}

ZLC_AESNI inline __m128i load(const std::uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
ZLC_AESNI inline void store(std::uint8_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

template <int N>
ZLC_AESNI inline void encrypt_n(__m128i* x, const RoundKeys& rk, std::uint32_t rounds) {
#pragma GCC unroll 8
    for (int i = 0; i < N; ++i) x[i] = _mm_xor_si128(x[i], rk.k[0]);
    for (std::uint32_t r = 1; r < rounds; ++r) {
#pragma GCC unroll 8
        for (int i = 0; i < N; ++i) x[i] = _mm_aesenc_si128(x[i], rk.k[r]);
    }
#pragma GCC unroll 8
    for (int i = 0; i < N; ++i) x[i] = _mm_aesenclast_si128(x[i], rk.k[rounds]);
}

template <int N>
ZLC_AESNI inline void decrypt_n(__m128i* x, const RoundKeys& rk, std::uint32_t rounds) {
#pragma GCC unroll 8
    for (int i = 0; i < N; ++i) x[i] = _mm_xor_si128(x[i], rk.k[0]);
    for (std::uint32_t r = 1; r < rounds; ++r) {
#pragma GCC unroll 8
        for (int i = 0; i < N; ++i) x[i] = _mm_aesdec_si128(x[i], rk.k[r]);
    }
#pragma GCC unroll 8
    for (int i = 0; i < N; ++i) x[i] = _mm_aesdeclast_si128(x[i], rk.k[rounds]);
}

// The counter block as two 64-bit halves, for building counters in registers.
struct Counter {
    std::uint64_t hi;
    std::uint64_t lo;
};

Counter read_counter(const std::uint8_t* c) { return {load_be64(c), load_be64(c + 8)}; }
void write_counter(std::uint8_t* c, Counter v) {
    store_be64(c, v.hi);
    store_be64(c + 8, v.lo);
}
Counter add(Counter c, std::uint64_t n) {
    const std::uint64_t lo = c.lo + n;
    return {c.hi + (lo < c.lo ? 1 : 0), lo};
}

ZLC_AESNI inline __m128i counter_block(Counter c) {
    const __m128i reverse = _mm_set_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    return _mm_shuffle_epi8(_mm_set_epi64x(static_cast<long long>(c.hi), static_cast<long long>(c.lo)), reverse);
}

// 256-bit helpers.
struct HalfWideKeys {
    __m256i k[15];
};

ZLC_VAES256 void broadcast_keys(const RoundKeys& rk, std::uint32_t rounds, HalfWideKeys& wk) {
    for (std::uint32_t r = 0; r <= rounds; ++r) wk.k[r] = _mm256_broadcastsi128_si256(rk.k[r]);
}

template <int N>
ZLC_VAES256 inline void encrypt_wide(__m256i* x, const HalfWideKeys& wk, std::uint32_t rounds) {
#pragma GCC unroll 8
    for (int i = 0; i < N; ++i) x[i] = _mm256_xor_si256(x[i], wk.k[0]);
    for (std::uint32_t r = 1; r < rounds; ++r) {
#pragma GCC unroll 8
        for (int i = 0; i < N; ++i) x[i] = _mm256_aesenc_epi128(x[i], wk.k[r]);
    }
#pragma GCC unroll 8
    for (int i = 0; i < N; ++i) x[i] = _mm256_aesenclast_epi128(x[i], wk.k[rounds]);
}

template <int N>
ZLC_VAES256 inline void decrypt_wide(__m256i* x, const HalfWideKeys& wk, std::uint32_t rounds) {
#pragma GCC unroll 8
    for (int i = 0; i < N; ++i) x[i] = _mm256_xor_si256(x[i], wk.k[0]);
    for (std::uint32_t r = 1; r < rounds; ++r) {
#pragma GCC unroll 8
        for (int i = 0; i < N; ++i) x[i] = _mm256_aesdec_epi128(x[i], wk.k[r]);
    }
#pragma GCC unroll 8
    for (int i = 0; i < N; ++i) x[i] = _mm256_aesdeclast_epi128(x[i], wk.k[rounds]);
}

ZLC_VAES256 inline __m256i load_half(const std::uint8_t* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}
ZLC_VAES256 inline void store_half(std::uint8_t* p, __m256i v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v); }

// 512-bit helpers.
struct WideKeys {
    __m512i k[15];
};

ZLC_VAES512 void broadcast_keys(const RoundKeys& rk, std::uint32_t rounds, WideKeys& wk) {
    for (std::uint32_t r = 0; r <= rounds; ++r) wk.k[r] = _mm512_broadcast_i32x4(rk.k[r]);
}

template <int N>
ZLC_VAES512 inline void encrypt_wide(__m512i* x, const WideKeys& wk, std::uint32_t rounds) {
#pragma GCC unroll 8
    for (int i = 0; i < N; ++i) x[i] = _mm512_xor_si512(x[i], wk.k[0]);
    for (std::uint32_t r = 1; r < rounds; ++r) {
#pragma GCC unroll 8
        for (int i = 0; i < N; ++i) x[i] = _mm512_aesenc_epi128(x[i], wk.k[r]);
    }
#pragma GCC unroll 8
    for (int i = 0; i < N; ++i) x[i] = _mm512_aesenclast_epi128(x[i], wk.k[rounds]);
}

template <int N>
ZLC_VAES512 inline void decrypt_wide(__m512i* x, const WideKeys& wk, std::uint32_t rounds) {
#pragma GCC unroll 8
    for (int i = 0; i < N; ++i) x[i] = _mm512_xor_si512(x[i], wk.k[0]);
    for (std::uint32_t r = 1; r < rounds; ++r) {
#pragma GCC unroll 8
        for (int i = 0; i < N; ++i) x[i] = _mm512_aesdec_epi128(x[i], wk.k[r]);
    }
#pragma GCC unroll 8
    for (int i = 0; i < N; ++i) x[i] = _mm512_aesdeclast_epi128(x[i], wk.k[rounds]);
}

ZLC_VAES512 inline __m512i load_wide(const std::uint8_t* p) { return _mm512_loadu_si512(p); }
ZLC_VAES512 inline void store_wide(std::uint8_t* p, __m512i v) { _mm512_storeu_si512(p, v); }

}  // namespace

ZLC_AESNI std::uint32_t aes_sub_word_aesni(std::uint32_t word) noexcept {
    // AESKEYGENASSIST puts SubWord of the second dword into the first.
    const __m128i v = _mm_shuffle_epi32(_mm_cvtsi32_si128(static_cast<int>(word)), 0);
    return static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_aeskeygenassist_si128(v, 0)));
}

ZLC_AESNI void aes_encrypt_blocks_aesni(const AES_KEY_SCHEDULE* s, const std::uint8_t* in, std::uint8_t* out,
                                        std::size_t blocks) noexcept {
    RoundKeys rk;
    mem::WipeOnExit wipe(rk);
    load_round_keys(s, rk);
    const std::uint32_t rounds = s->rounds;
    for (; blocks >= 8; blocks -= 8, in += 128, out += 128) {
        __m128i x[8];
        for (int i = 0; i < 8; ++i) x[i] = load(in + 16 * i);
        encrypt_n<8>(x, rk, rounds);
        for (int i = 0; i < 8; ++i) store(out + 16 * i, x[i]);
    }
    for (; blocks > 0; --blocks, in += 16, out += 16) {
        __m128i x[1] = {load(in)};
        encrypt_n<1>(x, rk, rounds);
        store(out, x[0]);
    }
}

ZLC_AESNI void aes_decrypt_blocks_aesni(const AES_KEY_SCHEDULE* s, const std::uint8_t* in, std::uint8_t* out,
                                        std::size_t blocks) noexcept {
    RoundKeys rk;
    mem::WipeOnExit wipe(rk);
    load_round_keys(s, rk);
    const std::uint32_t rounds = s->rounds;
    for (; blocks >= 8; blocks -= 8, in += 128, out += 128) {
        __m128i x[8];
        for (int i = 0; i < 8; ++i) x[i] = load(in + 16 * i);
        decrypt_n<8>(x, rk, rounds);
        for (int i = 0; i < 8; ++i) store(out + 16 * i, x[i]);
    }
    for (; blocks > 0; --blocks, in += 16, out += 16) {
        __m128i x[1] = {load(in)};
        decrypt_n<1>(x, rk, rounds);
        store(out, x[0]);
    }
}

ZLC_AESNI void aes_ctr_blocks_aesni(const AES_KEY_SCHEDULE* s, std::uint8_t* counter, const std::uint8_t* in,
                                    std::uint8_t* out, std::size_t blocks) noexcept {
    RoundKeys rk;
    mem::WipeOnExit wipe(rk);
    load_round_keys(s, rk);
    const std::uint32_t rounds = s->rounds;
    Counter c = read_counter(counter);
    for (; blocks >= 8; blocks -= 8, in += 128, out += 128) {
        __m128i x[8];
        for (int i = 0; i < 8; ++i) x[i] = counter_block(add(c, static_cast<std::uint64_t>(i)));
        c = add(c, 8);
        encrypt_n<8>(x, rk, rounds);
        for (int i = 0; i < 8; ++i) store(out + 16 * i, _mm_xor_si128(x[i], load(in + 16 * i)));
    }
    for (; blocks > 0; --blocks, in += 16, out += 16) {
        __m128i x[1] = {counter_block(c)};
        c = add(c, 1);
        encrypt_n<1>(x, rk, rounds);
        store(out, _mm_xor_si128(x[0], load(in)));
    }
    write_counter(counter, c);
}

ZLC_AESNI void aes_cbc_encrypt_blocks_aesni(const AES_KEY_SCHEDULE* s, std::uint8_t* chain, const std::uint8_t* in,
                                            std::uint8_t* out, std::size_t blocks) noexcept {
    RoundKeys rk;
    mem::WipeOnExit wipe(rk);
    load_round_keys(s, rk);
    const std::uint32_t rounds = s->rounds;
    // CBC encryption is bound by the chain of AES instructions, so the next plaintext block (with the
    // first round key) is folded into the last round key: only AESENC/AESENCLAST stay on the chain.
    if (blocks == 0) return;
    __m128i next = _mm_xor_si128(load(in), rk.k[0]);
    __m128i x = _mm_xor_si128(load(chain), next);
    for (;; in += 16, out += 16) {
        for (std::uint32_t r = 1; r < rounds; ++r) x = _mm_aesenc_si128(x, rk.k[r]);
        if (--blocks == 0) {
            x = _mm_aesenclast_si128(x, rk.k[rounds]);
            store(out, x);
            break;
        }
        const __m128i folded = _mm_xor_si128(load(in + 16), rk.k[0]);
        x = _mm_aesenclast_si128(x, _mm_xor_si128(rk.k[rounds], folded));
        store(out, _mm_xor_si128(x, folded));
    }
    store(chain, x);
}

ZLC_AESNI void aes_cbc_decrypt_blocks_aesni(const AES_KEY_SCHEDULE* s, std::uint8_t* chain, const std::uint8_t* in,
                                            std::uint8_t* out, std::size_t blocks) noexcept {
    RoundKeys rk;
    mem::WipeOnExit wipe(rk);
    load_round_keys(s, rk);
    const std::uint32_t rounds = s->rounds;
    __m128i prev = load(chain);
    for (; blocks >= 8; blocks -= 8, in += 128, out += 128) {
        __m128i c[8];
        __m128i x[8];
        for (int i = 0; i < 8; ++i) x[i] = c[i] = load(in + 16 * i);
        decrypt_n<8>(x, rk, rounds);
        store(out, _mm_xor_si128(x[0], prev));
        for (int i = 1; i < 8; ++i) store(out + 16 * i, _mm_xor_si128(x[i], c[i - 1]));
        prev = c[7];
    }
    for (; blocks > 0; --blocks, in += 16, out += 16) {
        const __m128i c = load(in);
        __m128i x[1] = {c};
        decrypt_n<1>(x, rk, rounds);
        store(out, _mm_xor_si128(x[0], prev));
        prev = c;
    }
    store(chain, prev);
}

ZLC_VAES256 void aes_encrypt_blocks_vaes256(const AES_KEY_SCHEDULE* s, const std::uint8_t* in, std::uint8_t* out,
                                            std::size_t blocks) noexcept {
    if (blocks < 16) return aes_encrypt_blocks_aesni(s, in, out, blocks);
    RoundKeys rk;
    mem::WipeOnExit wipe(rk);
    load_round_keys(s, rk);
    const std::uint32_t rounds = s->rounds;
    HalfWideKeys wk;
    mem::WipeOnExit wipe_wide(wk);
    broadcast_keys(rk, rounds, wk);
    for (; blocks >= 16; blocks -= 16, in += 256, out += 256) {
        __m256i x[8];
        for (int i = 0; i < 8; ++i) x[i] = load_half(in + 32 * i);
        encrypt_wide<8>(x, wk, rounds);
        for (int i = 0; i < 8; ++i) store_half(out + 32 * i, x[i]);
    }
    if (blocks > 0) aes_encrypt_blocks_aesni(s, in, out, blocks);
}

ZLC_VAES256 void aes_decrypt_blocks_vaes256(const AES_KEY_SCHEDULE* s, const std::uint8_t* in, std::uint8_t* out,
                                            std::size_t blocks) noexcept {
    if (blocks < 16) return aes_decrypt_blocks_aesni(s, in, out, blocks);
    RoundKeys rk;
    mem::WipeOnExit wipe(rk);
    load_round_keys(s, rk);
    const std::uint32_t rounds = s->rounds;
    HalfWideKeys wk;
    mem::WipeOnExit wipe_wide(wk);
    broadcast_keys(rk, rounds, wk);
    for (; blocks >= 16; blocks -= 16, in += 256, out += 256) {
        __m256i x[8];
        for (int i = 0; i < 8; ++i) x[i] = load_half(in + 32 * i);
        decrypt_wide<8>(x, wk, rounds);
        for (int i = 0; i < 8; ++i) store_half(out + 32 * i, x[i]);
    }
    if (blocks > 0) aes_decrypt_blocks_aesni(s, in, out, blocks);
}

ZLC_VAES256 void aes_ctr_blocks_vaes256(const AES_KEY_SCHEDULE* s, std::uint8_t* counter, const std::uint8_t* in,
                                        std::uint8_t* out, std::size_t blocks) noexcept {
    if (blocks < 16) return aes_ctr_blocks_aesni(s, counter, in, out, blocks);
    RoundKeys rk;
    mem::WipeOnExit wipe(rk);
    load_round_keys(s, rk);
    const std::uint32_t rounds = s->rounds;
    HalfWideKeys wk;
    mem::WipeOnExit wipe_wide(wk);
    broadcast_keys(rk, rounds, wk);
    const __m256i reverse =
        _mm256_broadcastsi128_si256(_mm_set_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15));
    const __m256i step = _mm256_set_epi64x(0, 2, 0, 2);
    Counter c = read_counter(counter);
    for (; blocks >= 16; blocks -= 16, in += 256, out += 256) {
        __m256i x[8];
        if (c.lo <= UINT64_MAX - 16) {
            const auto hi = static_cast<long long>(c.hi);
            const auto lo = static_cast<long long>(c.lo);
            __m256i v = _mm256_add_epi64(_mm256_set_epi64x(hi, lo, hi, lo), _mm256_set_epi64x(0, 1, 0, 0));
            for (int i = 0; i < 8; ++i) {
                x[i] = _mm256_shuffle_epi8(v, reverse);
                v = _mm256_add_epi64(v, step);
            }
        } else {
            for (int i = 0; i < 8; ++i) {
                const std::uint64_t base = 2 * static_cast<std::uint64_t>(i);
                x[i] = _mm256_set_m128i(counter_block(add(c, base + 1)), counter_block(add(c, base)));
            }
        }
        c = add(c, 16);
        encrypt_wide<8>(x, wk, rounds);
        for (int i = 0; i < 8; ++i) store_half(out + 32 * i, _mm256_xor_si256(x[i], load_half(in + 32 * i)));
    }
    write_counter(counter, c);
    if (blocks > 0) aes_ctr_blocks_aesni(s, counter, in, out, blocks);
}

ZLC_VAES256 void aes_cbc_decrypt_blocks_vaes256(const AES_KEY_SCHEDULE* s, std::uint8_t* chain,
                                                const std::uint8_t* in, std::uint8_t* out,
                                                std::size_t blocks) noexcept {
    if (blocks < 16) return aes_cbc_decrypt_blocks_aesni(s, chain, in, out, blocks);
    RoundKeys rk;
    mem::WipeOnExit wipe(rk);
    load_round_keys(s, rk);
    const std::uint32_t rounds = s->rounds;
    HalfWideKeys wk;
    mem::WipeOnExit wipe_wide(wk);
    broadcast_keys(rk, rounds, wk);
    // The high lane of `prev` is the ciphertext block before the current batch.
    __m256i prev = _mm256_broadcastsi128_si256(load(chain));
    for (; blocks >= 16; blocks -= 16, in += 256, out += 256) {
        __m256i c[8];
        __m256i x[8];
        for (int i = 0; i < 8; ++i) x[i] = c[i] = load_half(in + 32 * i);
        decrypt_wide<8>(x, wk, rounds);
        store_half(out, _mm256_xor_si256(x[0], _mm256_permute2x128_si256(prev, c[0], 0x21)));
        for (int i = 1; i < 8; ++i) {
            store_half(out + 32 * i, _mm256_xor_si256(x[i], _mm256_permute2x128_si256(c[i - 1], c[i], 0x21)));
        }
        prev = c[7];
    }
    store(chain, _mm256_extracti128_si256(prev, 1));
    if (blocks > 0) aes_cbc_decrypt_blocks_aesni(s, chain, in, out, blocks);
}

ZLC_VAES512 void aes_encrypt_blocks_vaes512(const AES_KEY_SCHEDULE* s, const std::uint8_t* in, std::uint8_t* out,
                                            std::size_t blocks) noexcept {
    RoundKeys rk;
    mem::WipeOnExit wipe(rk);
    load_round_keys(s, rk);
    const std::uint32_t rounds = s->rounds;
    if (blocks >= 4) {
        WideKeys wk;
        mem::WipeOnExit wipe_wide(wk);
        broadcast_keys(rk, rounds, wk);
        for (; blocks >= 32; blocks -= 32, in += 512, out += 512) {
            __m512i x[8];
            for (int i = 0; i < 8; ++i) x[i] = load_wide(in + 64 * i);
            encrypt_wide<8>(x, wk, rounds);
            for (int i = 0; i < 8; ++i) store_wide(out + 64 * i, x[i]);
        }
        for (; blocks >= 4; blocks -= 4, in += 64, out += 64) {
            __m512i x[1] = {load_wide(in)};
            encrypt_wide<1>(x, wk, rounds);
            store_wide(out, x[0]);
        }
    }
    for (; blocks > 0; --blocks, in += 16, out += 16) {
        __m128i x[1] = {load(in)};
        encrypt_n<1>(x, rk, rounds);
        store(out, x[0]);
    }
}

ZLC_VAES512 void aes_decrypt_blocks_vaes512(const AES_KEY_SCHEDULE* s, const std::uint8_t* in, std::uint8_t* out,
                                            std::size_t blocks) noexcept {
    RoundKeys rk;
    mem::WipeOnExit wipe(rk);
    load_round_keys(s, rk);
    const std::uint32_t rounds = s->rounds;
    if (blocks >= 4) {
        WideKeys wk;
        mem::WipeOnExit wipe_wide(wk);
        broadcast_keys(rk, rounds, wk);
        for (; blocks >= 32; blocks -= 32, in += 512, out += 512) {
            __m512i x[8];
            for (int i = 0; i < 8; ++i) x[i] = load_wide(in + 64 * i);
            decrypt_wide<8>(x, wk, rounds);
            for (int i = 0; i < 8; ++i) store_wide(out + 64 * i, x[i]);
        }
        for (; blocks >= 4; blocks -= 4, in += 64, out += 64) {
            __m512i x[1] = {load_wide(in)};
            decrypt_wide<1>(x, wk, rounds);
            store_wide(out, x[0]);
        }
    }
    for (; blocks > 0; --blocks, in += 16, out += 16) {
        __m128i x[1] = {load(in)};
        decrypt_n<1>(x, rk, rounds);
        store(out, x[0]);
    }
}

ZLC_VAES512 void aes_ctr_blocks_vaes512(const AES_KEY_SCHEDULE* s, std::uint8_t* counter, const std::uint8_t* in,
                                        std::uint8_t* out, std::size_t blocks) noexcept {
    if (blocks < 32) return aes_ctr_blocks_aesni(s, counter, in, out, blocks);
    RoundKeys rk;
    mem::WipeOnExit wipe(rk);
    load_round_keys(s, rk);
    const std::uint32_t rounds = s->rounds;
    WideKeys wk;
    mem::WipeOnExit wipe_wide(wk);
    broadcast_keys(rk, rounds, wk);
    // Counters are kept as (low, high) 64-bit lanes per block and byte-reversed into blocks.
    const __m512i reverse = _mm512_broadcast_i32x4(_mm_set_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15));
    const __m512i step = _mm512_set_epi64(0, 4, 0, 4, 0, 4, 0, 4);
    Counter c = read_counter(counter);
    for (; blocks >= 32; blocks -= 32, in += 512, out += 512) {
        __m512i x[8];
        if (c.lo <= UINT64_MAX - 32) {
            __m512i v = _mm512_add_epi64(
                _mm512_set_epi64(static_cast<long long>(c.hi), static_cast<long long>(c.lo),
                                 static_cast<long long>(c.hi), static_cast<long long>(c.lo),
                                 static_cast<long long>(c.hi), static_cast<long long>(c.lo),
                                 static_cast<long long>(c.hi), static_cast<long long>(c.lo)),
                _mm512_set_epi64(0, 3, 0, 2, 0, 1, 0, 0));
            for (int i = 0; i < 8; ++i) {
                x[i] = _mm512_shuffle_epi8(v, reverse);
                v = _mm512_add_epi64(v, step);
            }
        } else {
            // The low half wraps inside this batch: build each counter with its carry.
            for (int i = 0; i < 8; ++i) {
                const std::uint64_t base = 4 * static_cast<std::uint64_t>(i);
                x[i] = _mm512_inserti32x4(_mm512_castsi128_si512(counter_block(add(c, base))),
                                          counter_block(add(c, base + 1)), 1);
                x[i] = _mm512_inserti32x4(x[i], counter_block(add(c, base + 2)), 2);
                x[i] = _mm512_inserti32x4(x[i], counter_block(add(c, base + 3)), 3);
            }
        }
        c = add(c, 32);
        encrypt_wide<8>(x, wk, rounds);
        for (int i = 0; i < 8; ++i) store_wide(out + 64 * i, _mm512_xor_si512(x[i], load_wide(in + 64 * i)));
    }
    write_counter(counter, c);
    if (blocks > 0) aes_ctr_blocks_aesni(s, counter, in, out, blocks);
}

ZLC_VAES512 void aes_cbc_decrypt_blocks_vaes512(const AES_KEY_SCHEDULE* s, std::uint8_t* chain,
                                                const std::uint8_t* in, std::uint8_t* out,
                                                std::size_t blocks) noexcept {
    if (blocks < 32) return aes_cbc_decrypt_blocks_aesni(s, chain, in, out, blocks);
    RoundKeys rk;
    mem::WipeOnExit wipe(rk);
    load_round_keys(s, rk);
    const std::uint32_t rounds = s->rounds;
    WideKeys wk;
    mem::WipeOnExit wipe_wide(wk);
    broadcast_keys(rk, rounds, wk);
    // The top lane of `prev` is the ciphertext block before the current batch.
    __m512i prev = _mm512_broadcast_i32x4(load(chain));
    for (; blocks >= 32; blocks -= 32, in += 512, out += 512) {
        __m512i c[8];
        __m512i x[8];
        for (int i = 0; i < 8; ++i) x[i] = c[i] = load_wide(in + 64 * i);
        decrypt_wide<8>(x, wk, rounds);
        store_wide(out, _mm512_xor_si512(x[0], _mm512_alignr_epi64(c[0], prev, 6)));
        for (int i = 1; i < 8; ++i) {
            store_wide(out + 64 * i, _mm512_xor_si512(x[i], _mm512_alignr_epi64(c[i], c[i - 1], 6)));
        }
        prev = c[7];
    }
    store(chain, _mm512_extracti32x4_epi32(prev, 3));
    if (blocks > 0) aes_cbc_decrypt_blocks_aesni(s, chain, in, out, blocks);
}

}  // namespace zlc::cipher
