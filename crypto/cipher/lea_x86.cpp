// LEA in word-sliced form: each vector register holds the same state word of 8 (AVX2) or 16
// (AVX-512) independent blocks, so one vector instruction runs a step of every block at once.
// Blocks are loaded four 128-bit lanes at a time and transposed within each lane.
// GCC 12's AVX-512 intrinsics seed their results with self-initialised undefined vectors, which
// -Wmaybe-uninitialized reports inside the header.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <immintrin.h>

#include <cstdint>

#include "crypto/cipher/lea.h"

#define ZLC_AVX2 __attribute__((target("avx2")))
#define ZLC_AVX512 __attribute__((target("avx512f")))

namespace zlc::cipher {
namespace {

// ---- AVX2: 8 blocks ----

ZLC_AVX2 inline __m256i key(const std::uint32_t* k) { return _mm256_set1_epi32(static_cast<int>(*k)); }
ZLC_AVX2 inline __m256i vxor(__m256i a, __m256i b) { return _mm256_xor_si256(a, b); }
ZLC_AVX2 inline __m256i vadd(__m256i a, __m256i b) { return _mm256_add_epi32(a, b); }
ZLC_AVX2 inline __m256i vsub(__m256i a, __m256i b) { return _mm256_sub_epi32(a, b); }
template <int N>
ZLC_AVX2 inline __m256i rol(__m256i x) {
    return _mm256_or_si256(_mm256_slli_epi32(x, N), _mm256_srli_epi32(x, 32 - N));
}
template <int N>
ZLC_AVX2 inline __m256i ror(__m256i x) {
    return rol<32 - N>(x);
}

// 4x4 transpose of 32-bit words inside every 128-bit lane; its own inverse.
ZLC_AVX2 inline void transpose(__m256i& a, __m256i& b, __m256i& c, __m256i& d) {
    const __m256i t0 = _mm256_unpacklo_epi32(a, b), t1 = _mm256_unpackhi_epi32(a, b);
    const __m256i t2 = _mm256_unpacklo_epi32(c, d), t3 = _mm256_unpackhi_epi32(c, d);
    a = _mm256_unpacklo_epi64(t0, t2), b = _mm256_unpackhi_epi64(t0, t2);
    c = _mm256_unpacklo_epi64(t1, t3), d = _mm256_unpackhi_epi64(t1, t3);
}

ZLC_AVX2 inline void load4(const std::uint8_t* in, __m256i& a, __m256i& b, __m256i& c, __m256i& d) {
    a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in));
    b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + 32));
    c = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + 64));
    d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + 96));
    transpose(a, b, c, d);
}

ZLC_AVX2 inline void store4(std::uint8_t* out, __m256i a, __m256i b, __m256i c, __m256i d) {
    transpose(a, b, c, d);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), a);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 32), b);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 64), c);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 96), d);
}

// ---- AVX-512: 16 blocks ----

ZLC_AVX512 inline __m512i key16(const std::uint32_t* k) { return _mm512_set1_epi32(static_cast<int>(*k)); }
ZLC_AVX512 inline __m512i vxor(__m512i a, __m512i b) { return _mm512_xor_si512(a, b); }
ZLC_AVX512 inline __m512i vadd(__m512i a, __m512i b) { return _mm512_add_epi32(a, b); }
ZLC_AVX512 inline __m512i vsub(__m512i a, __m512i b) { return _mm512_sub_epi32(a, b); }
template <int N>
ZLC_AVX512 inline __m512i rol(__m512i x) {
    return _mm512_rol_epi32(x, N);
}
template <int N>
ZLC_AVX512 inline __m512i ror(__m512i x) {
    return _mm512_ror_epi32(x, N);
}

ZLC_AVX512 inline void transpose(__m512i& a, __m512i& b, __m512i& c, __m512i& d) {
    const __m512i t0 = _mm512_unpacklo_epi32(a, b), t1 = _mm512_unpackhi_epi32(a, b);
    const __m512i t2 = _mm512_unpacklo_epi32(c, d), t3 = _mm512_unpackhi_epi32(c, d);
    a = _mm512_unpacklo_epi64(t0, t2), b = _mm512_unpackhi_epi64(t0, t2);
    c = _mm512_unpacklo_epi64(t1, t3), d = _mm512_unpackhi_epi64(t1, t3);
}

ZLC_AVX512 inline void load4(const std::uint8_t* in, __m512i& a, __m512i& b, __m512i& c, __m512i& d) {
    a = _mm512_loadu_si512(in);
    b = _mm512_loadu_si512(in + 64);
    c = _mm512_loadu_si512(in + 128);
    d = _mm512_loadu_si512(in + 192);
    transpose(a, b, c, d);
}

ZLC_AVX512 inline void store4(std::uint8_t* out, __m512i a, __m512i b, __m512i c, __m512i d) {
    transpose(a, b, c, d);
    _mm512_storeu_si512(out, a);
    _mm512_storeu_si512(out + 64, b);
    _mm512_storeu_si512(out + 128, c);
    _mm512_storeu_si512(out + 192, d);
}

}  // namespace

// The round sequences follow the portable code: four rounds per step, the state words renamed.

ZLC_AVX2 std::size_t lea_encrypt_blocks_avx2(const LEA_KEY_SCHEDULE* s, const std::uint8_t* in, std::uint8_t* out,
                                             std::size_t blocks) noexcept {
    const std::size_t batches = blocks / 8;
    for (std::size_t b = 0; b < batches; ++b, in += 128, out += 128) {
        __m256i x0, x1, x2, x3;
        load4(in, x0, x1, x2, x3);
        const std::uint32_t* rk = s->round_keys;
        for (std::uint32_t r = 0; r < s->rounds; r += 4, rk += 24) {
            x3 = ror<3>(vadd(vxor(x2, key(rk + 4)), vxor(x3, key(rk + 5))));
            x2 = ror<5>(vadd(vxor(x1, key(rk + 2)), vxor(x2, key(rk + 3))));
            x1 = rol<9>(vadd(vxor(x0, key(rk + 0)), vxor(x1, key(rk + 1))));
            x0 = ror<3>(vadd(vxor(x3, key(rk + 10)), vxor(x0, key(rk + 11))));
            x3 = ror<5>(vadd(vxor(x2, key(rk + 8)), vxor(x3, key(rk + 9))));
            x2 = rol<9>(vadd(vxor(x1, key(rk + 6)), vxor(x2, key(rk + 7))));
            x1 = ror<3>(vadd(vxor(x0, key(rk + 16)), vxor(x1, key(rk + 17))));
            x0 = ror<5>(vadd(vxor(x3, key(rk + 14)), vxor(x0, key(rk + 15))));
            x3 = rol<9>(vadd(vxor(x2, key(rk + 12)), vxor(x3, key(rk + 13))));
            x2 = ror<3>(vadd(vxor(x1, key(rk + 22)), vxor(x2, key(rk + 23))));
            x1 = ror<5>(vadd(vxor(x0, key(rk + 20)), vxor(x1, key(rk + 21))));
            x0 = rol<9>(vadd(vxor(x3, key(rk + 18)), vxor(x0, key(rk + 19))));
        }
        store4(out, x0, x1, x2, x3);
    }
    return 8 * batches;
}

ZLC_AVX2 std::size_t lea_decrypt_blocks_avx2(const LEA_KEY_SCHEDULE* s, const std::uint8_t* in, std::uint8_t* out,
                                             std::size_t blocks) noexcept {
    const std::size_t batches = blocks / 8;
    for (std::size_t b = 0; b < batches; ++b, in += 128, out += 128) {
        __m256i x0, x1, x2, x3;
        load4(in, x0, x1, x2, x3);
        const std::uint32_t* rk = s->round_keys + 6 * s->rounds;
        for (std::uint32_t r = 0; r < s->rounds; r += 4) {
            rk -= 24;
            x0 = vxor(vsub(ror<9>(x0), vxor(x3, key(rk + 18))), key(rk + 19));
            x1 = vxor(vsub(rol<5>(x1), vxor(x0, key(rk + 20))), key(rk + 21));
            x2 = vxor(vsub(rol<3>(x2), vxor(x1, key(rk + 22))), key(rk + 23));
            x3 = vxor(vsub(ror<9>(x3), vxor(x2, key(rk + 12))), key(rk + 13));
            x0 = vxor(vsub(rol<5>(x0), vxor(x3, key(rk + 14))), key(rk + 15));
            x1 = vxor(vsub(rol<3>(x1), vxor(x0, key(rk + 16))), key(rk + 17));
            x2 = vxor(vsub(ror<9>(x2), vxor(x1, key(rk + 6))), key(rk + 7));
            x3 = vxor(vsub(rol<5>(x3), vxor(x2, key(rk + 8))), key(rk + 9));
            x0 = vxor(vsub(rol<3>(x0), vxor(x3, key(rk + 10))), key(rk + 11));
            x1 = vxor(vsub(ror<9>(x1), vxor(x0, key(rk + 0))), key(rk + 1));
            x2 = vxor(vsub(rol<5>(x2), vxor(x1, key(rk + 2))), key(rk + 3));
            x3 = vxor(vsub(rol<3>(x3), vxor(x2, key(rk + 4))), key(rk + 5));
        }
        store4(out, x0, x1, x2, x3);
    }
    return 8 * batches;
}

ZLC_AVX512 std::size_t lea_encrypt_blocks_avx512(const LEA_KEY_SCHEDULE* s, const std::uint8_t* in,
                                                 std::uint8_t* out, std::size_t blocks) noexcept {
    const std::size_t batches = blocks / 16;
    for (std::size_t b = 0; b < batches; ++b, in += 256, out += 256) {
        __m512i x0, x1, x2, x3;
        load4(in, x0, x1, x2, x3);
        const std::uint32_t* rk = s->round_keys;
        for (std::uint32_t r = 0; r < s->rounds; r += 4, rk += 24) {
            x3 = ror<3>(vadd(vxor(x2, key16(rk + 4)), vxor(x3, key16(rk + 5))));
            x2 = ror<5>(vadd(vxor(x1, key16(rk + 2)), vxor(x2, key16(rk + 3))));
            x1 = rol<9>(vadd(vxor(x0, key16(rk + 0)), vxor(x1, key16(rk + 1))));
            x0 = ror<3>(vadd(vxor(x3, key16(rk + 10)), vxor(x0, key16(rk + 11))));
            x3 = ror<5>(vadd(vxor(x2, key16(rk + 8)), vxor(x3, key16(rk + 9))));
            x2 = rol<9>(vadd(vxor(x1, key16(rk + 6)), vxor(x2, key16(rk + 7))));
            x1 = ror<3>(vadd(vxor(x0, key16(rk + 16)), vxor(x1, key16(rk + 17))));
            x0 = ror<5>(vadd(vxor(x3, key16(rk + 14)), vxor(x0, key16(rk + 15))));
            x3 = rol<9>(vadd(vxor(x2, key16(rk + 12)), vxor(x3, key16(rk + 13))));
            x2 = ror<3>(vadd(vxor(x1, key16(rk + 22)), vxor(x2, key16(rk + 23))));
            x1 = ror<5>(vadd(vxor(x0, key16(rk + 20)), vxor(x1, key16(rk + 21))));
            x0 = rol<9>(vadd(vxor(x3, key16(rk + 18)), vxor(x0, key16(rk + 19))));
        }
        store4(out, x0, x1, x2, x3);
    }
    return 16 * batches;
}

ZLC_AVX512 std::size_t lea_decrypt_blocks_avx512(const LEA_KEY_SCHEDULE* s, const std::uint8_t* in,
                                                 std::uint8_t* out, std::size_t blocks) noexcept {
    const std::size_t batches = blocks / 16;
    for (std::size_t b = 0; b < batches; ++b, in += 256, out += 256) {
        __m512i x0, x1, x2, x3;
        load4(in, x0, x1, x2, x3);
        const std::uint32_t* rk = s->round_keys + 6 * s->rounds;
        for (std::uint32_t r = 0; r < s->rounds; r += 4) {
            rk -= 24;
            x0 = vxor(vsub(ror<9>(x0), vxor(x3, key16(rk + 18))), key16(rk + 19));
            x1 = vxor(vsub(rol<5>(x1), vxor(x0, key16(rk + 20))), key16(rk + 21));
            x2 = vxor(vsub(rol<3>(x2), vxor(x1, key16(rk + 22))), key16(rk + 23));
            x3 = vxor(vsub(ror<9>(x3), vxor(x2, key16(rk + 12))), key16(rk + 13));
            x0 = vxor(vsub(rol<5>(x0), vxor(x3, key16(rk + 14))), key16(rk + 15));
            x1 = vxor(vsub(rol<3>(x1), vxor(x0, key16(rk + 16))), key16(rk + 17));
            x2 = vxor(vsub(ror<9>(x2), vxor(x1, key16(rk + 6))), key16(rk + 7));
            x3 = vxor(vsub(rol<5>(x3), vxor(x2, key16(rk + 8))), key16(rk + 9));
            x0 = vxor(vsub(rol<3>(x0), vxor(x3, key16(rk + 10))), key16(rk + 11));
            x1 = vxor(vsub(ror<9>(x1), vxor(x0, key16(rk + 0))), key16(rk + 1));
            x2 = vxor(vsub(rol<5>(x2), vxor(x1, key16(rk + 2))), key16(rk + 3));
            x3 = vxor(vsub(rol<3>(x3), vxor(x2, key16(rk + 4))), key16(rk + 5));
        }
        store4(out, x0, x1, x2, x3);
    }
    return 16 * batches;
}

}  // namespace zlc::cipher
