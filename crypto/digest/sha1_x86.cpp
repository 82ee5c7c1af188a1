// SHA-1 block compression with the x86 SHA extensions (SHA1RNDS4, SHA1NEXTE, SHA1MSG1/2).
#include <immintrin.h>

#include <utility>

#include "crypto/digest/sha1.h"

namespace zlc::digest {
namespace {

// Rounds 4G..4G+3. E for a group comes from A before the previous group's rounds; the schedule
// slot this group has used then receives W for the group four ahead.
template <int G>
__attribute__((target("sha,sse4.1,ssse3"), always_inline)) inline void group(__m128i& abcd,
                                                                             __m128i& abcd_before,
                                                                             __m128i& e,
                                                                             __m128i w[4]) {
    if constexpr (G > 0) e = _mm_sha1nexte_epu32(abcd_before, w[G & 3]);
    abcd_before = abcd;
    abcd = _mm_sha1rnds4_epu32(abcd, e, G / 5);
    if constexpr (G < 16) {
        const __m128i x =
            _mm_xor_si128(_mm_sha1msg1_epu32(w[G & 3], w[(G + 1) & 3]), w[(G + 2) & 3]);
        w[G & 3] = _mm_sha1msg2_epu32(x, w[(G + 3) & 3]);
    }
}

template <int... G>
__attribute__((target("sha,sse4.1,ssse3"), always_inline)) inline void all_groups(
    __m128i& abcd, __m128i& abcd_before, __m128i& e, __m128i w[4],
    std::integer_sequence<int, G...>) {
    (group<G>(abcd, abcd_before, e, w), ...);
}

}  // namespace

__attribute__((target("sha,sse4.1,ssse3"))) void sha1_blocks_shani(std::uint32_t h[5],
                                                                   const std::uint8_t* data,
                                                                   std::size_t blocks) noexcept {
    // Words are big-endian in the block and wanted most significant lane first.
    const __m128i byte_swap = _mm_set_epi64x(0x0001020304050607ULL, 0x08090a0b0c0d0e0fULL);
    __m128i abcd = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(h)), 0x1B);
    __m128i e0 = _mm_set_epi32(static_cast<int>(h[4]), 0, 0, 0);

    while (blocks-- > 0) {
        const __m128i abcd_saved = abcd;
        const __m128i e_saved = e0;
        __m128i w[4];
        for (int i = 0; i < 4; ++i) {
            w[i] = _mm_shuffle_epi8(
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 16 * i)), byte_swap);
        }
        __m128i abcd_before = abcd;
        __m128i e = _mm_add_epi32(e0, w[0]);
        all_groups(abcd, abcd_before, e, w, std::make_integer_sequence<int, 20>{});
        e0 = _mm_sha1nexte_epu32(abcd_before, e_saved);
        abcd = _mm_add_epi32(abcd, abcd_saved);
        data += 64;
    }

    _mm_storeu_si128(reinterpret_cast<__m128i*>(h), _mm_shuffle_epi32(abcd, 0x1B));
    h[4] = static_cast<std::uint32_t>(_mm_extract_epi32(e0, 3));
}

}  // namespace zlc::digest
