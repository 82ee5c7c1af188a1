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
    _mm_store_si128(
        reinterpret_cast<__m128i*>(wk + 2 * P),
        _mm_add_epi64(
            w, _mm_load_si128(reinterpret_cast<const __m128i*>(kSha512RoundConstants + 2 * P))));
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
