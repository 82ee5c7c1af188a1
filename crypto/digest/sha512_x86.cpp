// SHA-512 block compression for x86: the message schedule runs on vector units (AVX-512VL
// rotates) one block ahead, interleaved with the scalar rounds (BMI2 rotates) of the current block,
// so the two use different execution ports.
#include <immintrin.h>

#include <bit>
#include <utility>

#include "crypto/digest/sha512.h"
#include "crypto/platform/secure_zero.h"

namespace zlc::digest {
namespace {

using Word = std::uint64_t;

alignas(16) constexpr Word kK[80] = {
    0x428a2f98d728ae22, 0x7137449123ef65cd, 0xb5c0fbcfec4d3b2f, 0xe9b5dba58189dbbc,
    0x3956c25bf348b538, 0x59f111f1b605d019, 0x923f82a4af194f9b, 0xab1c5ed5da6d8118,
    0xd807aa98a3030242, 0x12835b0145706fbe, 0x243185be4ee4b28c, 0x550c7dc3d5ffb4e2,
    0x72be5d74f27b896f, 0x80deb1fe3b1696b1, 0x9bdc06a725c71235, 0xc19bf174cf692694,
    0xe49b69c19ef14ad2, 0xefbe4786384f25e3, 0x0fc19dc68b8cd5b5, 0x240ca1cc77ac9c65,
    0x2de92c6f592b0275, 0x4a7484aa6ea6e483, 0x5cb0a9dcbd41fbd4, 0x76f988da831153b5,
    0x983e5152ee66dfab, 0xa831c66d2db43210, 0xb00327c898fb213f, 0xbf597fc7beef0ee4,
    0xc6e00bf33da88fc2, 0xd5a79147930aa725, 0x06ca6351e003826f, 0x142929670a0e6e70,
    0x27b70a8546d22ffc, 0x2e1b21385c26c926, 0x4d2c6dfc5ac42aed, 0x53380d139d95b3df,
    0x650a73548baf63de, 0x766a0abb3c77b2a8, 0x81c2c92e47edaee6, 0x92722c851482353b,
    0xa2bfe8a14cf10364, 0xa81a664bbc423001, 0xc24b8b70d0f89791, 0xc76c51a30654be30,
    0xd192e819d6ef5218, 0xd69906245565a910, 0xf40e35855771202a, 0x106aa07032bbd1b8,
    0x19a4c116b8d2d0c8, 0x1e376c085141ab53, 0x2748774cdf8eeb99, 0x34b0bcb5e19b48a8,
    0x391c0cb3c5c95a63, 0x4ed8aa4ae3418acb, 0x5b9cca4f7763e373, 0x682e6ff3d6b2b8a3,
    0x748f82ee5defb2fc, 0x78a5636f43172f60, 0x84c87814a1f0ab72, 0x8cc702081a6439ec,
    0x90befffa23631e28, 0xa4506cebde82bde9, 0xbef9a3f7b2c67915, 0xc67178f2e372532b,
    0xca273eceea26619c, 0xd186b8c721c0c207, 0xeada7dd6cde0eb1e, 0xf57d4f7fee6ed178,
    0x06f067aa72176fba, 0x0a637dc5a2c898a6, 0x113f9804bef90dae, 0x1b710b35131c471b,
    0x28db77f523047d84, 0x32caab7b40c72493, 0x3c9ebe0a15c9bebc, 0x431d67c49c100d4c,
    0x4cc5d4becb3e42b6, 0x597f299cfc657e2a, 0x5fcb6fab3ad6faec, 0x6c44198c4a475817};

__attribute__((target("avx512f,avx512vl"), always_inline)) inline __m128i small_sigma0(__m128i x) {
    return _mm_ternarylogic_epi64(_mm_ror_epi64(x, 1), _mm_ror_epi64(x, 8), _mm_srli_epi64(x, 7),
                                  0x96);
}
__attribute__((target("avx512f,avx512vl"), always_inline)) inline __m128i small_sigma1(__m128i x) {
    return _mm_ternarylogic_epi64(_mm_ror_epi64(x, 19), _mm_ror_epi64(x, 61), _mm_srli_epi64(x, 6),
                                  0x96);
}

// Schedule words 2P and 2P+1 of a block, plus their round constants, into wk. x holds the last
// sixteen words, two per register, slot P & 7 being the pair sixteen words back.
template <int P>
__attribute__((target("avx512f,avx512vl"), always_inline)) inline void schedule_pair(
    __m128i x[8], const std::uint8_t* block, Word* wk) {
    __m128i w;
    if constexpr (P < 8) {
        const __m128i byte_swap = _mm_set_epi64x(0x08090a0b0c0d0e0fULL, 0x0001020304050607ULL);
        w = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 16 * P)),
                             byte_swap);
    } else {
        const __m128i w15 = _mm_alignr_epi8(x[(P + 1) & 7], x[P & 7], 8);
        const __m128i w7 = _mm_alignr_epi8(x[(P + 5) & 7], x[(P + 4) & 7], 8);
        w = _mm_add_epi64(_mm_add_epi64(x[P & 7], small_sigma0(w15)),
                          _mm_add_epi64(w7, small_sigma1(x[(P + 7) & 7])));
    }
    x[P & 7] = w;
    _mm_store_si128(reinterpret_cast<__m128i*>(wk + 2 * P),
                    _mm_add_epi64(w, _mm_load_si128(reinterpret_cast<const __m128i*>(kK + 2 * P))));
}

// Round T of FIPS 180-4 6.4.2 step 3; s holds a..h with their roles rotated by T.
template <int T>
__attribute__((target("bmi2"), always_inline)) inline void sha512_round(Word s[8], const Word* wk) {
    const Word a = s[(0 - T) & 7], b = s[(1 - T) & 7], c = s[(2 - T) & 7];
    const Word e = s[(4 - T) & 7], f = s[(5 - T) & 7], g = s[(6 - T) & 7];
    Word& d = s[(3 - T) & 7];
    Word& h = s[(7 - T) & 7];
    const Word t1 =
        h + (std::rotr(e, 14) ^ std::rotr(e, 18) ^ std::rotr(e, 41)) + (g ^ (e & (f ^ g))) + wk[T];
    const Word t2 =
        (std::rotr(a, 28) ^ std::rotr(a, 34) ^ std::rotr(a, 39)) + ((a & b) | (c & (a | b)));
    d += t1;
    h = t1 + t2;
}

template <bool ScheduleNext, int... P>
__attribute__((target("avx512f,avx512vl,bmi2"), always_inline)) inline void rounds(
    Word s[8], const Word* wk, __m128i x[8], const std::uint8_t* next, Word* next_wk,
    std::integer_sequence<int, P...>) {
    ((sha512_round<2 * P>(s, wk), sha512_round<2 * P + 1>(s, wk),
      ScheduleNext ? schedule_pair<P>(x, next, next_wk) : void()),
     ...);
}

template <int... P>
__attribute__((target("avx512f,avx512vl"), always_inline)) inline void schedule(
    __m128i x[8], const std::uint8_t* block, Word* wk, std::integer_sequence<int, P...>) {
    (schedule_pair<P>(x, block, wk), ...);
}

}  // namespace

__attribute__((target("avx512f,avx512vl,bmi2"))) void sha512_blocks_avx512(
    std::uint64_t h[8], const std::uint8_t* data, std::size_t blocks) noexcept {
    if (blocks == 0) return;
    alignas(16) Word wk[2][80];
    __m128i x[8];
    constexpr auto kPairs = std::make_integer_sequence<int, 40>{};
    schedule(x, data, wk[0], kPairs);
    for (std::size_t i = 0; i < blocks; ++i, data += 128) {
        Word s[8];
        for (int j = 0; j < 8; ++j) s[j] = h[j];
        if (i + 1 < blocks) {
            rounds<true>(s, wk[i & 1], x, data + 128, wk[(i + 1) & 1], kPairs);
        } else {
            rounds<false>(s, wk[i & 1], x, data, wk[(i + 1) & 1], kPairs);
        }
        for (int j = 0; j < 8; ++j) h[j] += s[j];
    }
    platform::secure_zero(wk, sizeof(wk));
    platform::secure_zero(x, sizeof(x));
}

}  // namespace zlc::digest
