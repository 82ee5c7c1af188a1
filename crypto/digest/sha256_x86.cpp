// SHA-256 block compression with the x86 SHA extensions (SHA256RNDS2, SHA256MSG1/2).
#include <immintrin.h>

#include "crypto/digest/sha256.h"

namespace zlc::digest {

__attribute__((target("sha,sse4.1,ssse3"))) void sha256_blocks_shani(std::uint32_t h[8],
                                                                     const std::uint8_t* data,
                                                                     std::size_t blocks) noexcept {
    const __m128i byte_swap = _mm_set_epi64x(0x0c0d0e0f08090a0bULL, 0x0405060700010203ULL);
    // The round instruction wants the state as ABEF and CDGH.
    __m128i tmp = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(h)), 0xB1);
    __m128i cdgh =
        _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(h + 4)), 0x1B);
    __m128i abef = _mm_alignr_epi8(tmp, cdgh, 8);
    cdgh = _mm_blend_epi16(cdgh, tmp, 0xF0);

    while (blocks-- > 0) {
        const __m128i abef_saved = abef;
        const __m128i cdgh_saved = cdgh;
        __m128i w[4];
        for (int i = 0; i < 4; ++i) {
            w[i] = _mm_shuffle_epi8(
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 16 * i)), byte_swap);
        }
#pragma GCC unroll 16
        for (int g = 0; g < 16; ++g) {
            __m128i wk = _mm_add_epi32(
                w[g & 3],
                _mm_load_si128(reinterpret_cast<const __m128i*>(kSha256RoundConstants + 4 * g)));
            cdgh = _mm_sha256rnds2_epu32(cdgh, abef, wk);
            wk = _mm_shuffle_epi32(wk, 0x0E);
            abef = _mm_sha256rnds2_epu32(abef, cdgh, wk);
            if (g < 12) {
                // W[t..t+3] for the group four ahead, into the slot this group has finished with.
                __m128i next = _mm_sha256msg1_epu32(w[g & 3], w[(g + 1) & 3]);
                next = _mm_add_epi32(next, _mm_alignr_epi8(w[(g + 3) & 3], w[(g + 2) & 3], 4));
                w[g & 3] = _mm_sha256msg2_epu32(next, w[(g + 3) & 3]);
            }
        }
        abef = _mm_add_epi32(abef, abef_saved);
        cdgh = _mm_add_epi32(cdgh, cdgh_saved);
        data += 64;
    }

    tmp = _mm_shuffle_epi32(abef, 0x1B);
    cdgh = _mm_shuffle_epi32(cdgh, 0xB1);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(h), _mm_blend_epi16(tmp, cdgh, 0xF0));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(h + 4), _mm_alignr_epi8(cdgh, tmp, 8));
}

}  // namespace zlc::digest
