// ARIA with GFNI and AVX-512: four blocks per register, up to four registers in flight.
// Each substitution layer is an inversion in GF(2^8) (the field of the standard and of GFNI are the
// same) with the standard's affine maps before or after it; the diffusion layer A is the XOR of
// seven byte permutations of the block.
#include <immintrin.h>

#include <cstring>

#include "crypto/cipher/aria.h"
#include "crypto/cipher/aria_sbox.h"
#include "crypto/core/bytes.h"
#include "crypto/platform/secure_zero.h"

namespace zlc::cipher {
namespace {

namespace sb = aria_sbox;

// GF2P8AFFINEQB takes row i of the bit matrix in byte 7 - i of each quadword.
constexpr std::uint64_t gfni_matrix(const sb::Columns& columns) {
    std::uint64_t m = 0;
    for (int i = 0; i < 8; ++i) {
        std::uint64_t row = 0;
        for (int k = 0; k < 8; ++k) row |= static_cast<std::uint64_t>((columns[k] >> i) & 1) << k;
        m |= row << (8 * (7 - i));
    }
    return m;
}

constexpr sb::Columns kIdentityColumns = {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80};
constexpr std::uint64_t kIdentity = gfni_matrix(kIdentityColumns);
constexpr std::uint64_t kS1Post = gfni_matrix(sb::kS1Matrix);
constexpr std::uint64_t kS2Post = gfni_matrix(sb::kS2AfterInverse);
// S^-1(y) = inverse(M^-1 y + M^-1 c): the affine map runs first.
constexpr sb::Columns kS1PreColumns = sb::invert(sb::kS1Matrix);
constexpr sb::Columns kS2PreColumns = sb::invert(sb::kS2AfterInverse);
constexpr std::uint64_t kS1Pre = gfni_matrix(kS1PreColumns);
constexpr std::uint64_t kS2Pre = gfni_matrix(kS2PreColumns);
constexpr std::uint8_t kS1PreConstant = sb::apply(kS1PreColumns, sb::kS1Constant);
constexpr std::uint8_t kS2PreConstant = sb::apply(kS2PreColumns, sb::kS2Constant);
static_assert(kIdentity == 0x0102040810204080ULL);
static_assert(kS1Post == 0xF1E3C78F1F3E7CF8ULL);
static_assert(kS1PreConstant == 0x05);

// Byte-position masks over a 64-byte register: positions 0, 1, 2, 3 of every 32-bit word.
constexpr __mmask64 kPos0 = 0x1111111111111111ULL;
constexpr __mmask64 kPos1 = 0x2222222222222222ULL;
constexpr __mmask64 kPos2 = 0x4444444444444444ULL;
constexpr __mmask64 kPos3 = 0x8888888888888888ULL;

// A = XOR of these seven permutations (output byte j takes input byte perm[j]).
constexpr std::uint8_t kDiffusion[7][16] = {
    {3, 2, 1, 0, 5, 4, 7, 6, 10, 11, 8, 9, 12, 13, 14, 15},
    {4, 5, 6, 7, 0, 1, 2, 3, 13, 12, 15, 14, 9, 8, 11, 10},
    {6, 7, 4, 5, 2, 3, 0, 1, 15, 14, 13, 12, 11, 10, 9, 8},
    {8, 9, 10, 11, 14, 15, 12, 13, 0, 1, 2, 3, 6, 7, 4, 5},
    {9, 8, 11, 10, 15, 14, 13, 12, 1, 0, 3, 2, 7, 6, 5, 4},
    {13, 12, 15, 14, 8, 9, 10, 11, 4, 5, 6, 7, 1, 0, 3, 2},
    {14, 15, 12, 13, 11, 10, 9, 8, 7, 6, 5, 4, 2, 3, 0, 1},
};

#define ZLC_ARIA_TARGET __attribute__((target("avx512f,avx512bw,avx512vl,gfni")))

// The zero-masked form: GCC 12 warns about the undefined source operand of the plain broadcast.
ZLC_ARIA_TARGET inline __m512i broadcast_block(const std::uint8_t* p) {
    return _mm512_maskz_broadcast_i32x4(0xFFFF, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
}

struct Constants {
    __m512i perm[7];
    __m512i identity, s1_post, s2_post, s1_pre, s2_pre;
    __m512i keys[17];
};

ZLC_ARIA_TARGET void load_constants(Constants& c, const std::uint32_t (*round_keys)[4], unsigned rounds) {
    for (int p = 0; p < 7; ++p) {
        c.perm[p] = broadcast_block(kDiffusion[p]);
    }
    c.identity = _mm512_set1_epi64(static_cast<long long>(kIdentity));
    c.s1_post = _mm512_set1_epi64(static_cast<long long>(kS1Post));
    c.s2_post = _mm512_set1_epi64(static_cast<long long>(kS2Post));
    c.s1_pre = _mm512_set1_epi64(static_cast<long long>(kS1Pre));
    c.s2_pre = _mm512_set1_epi64(static_cast<long long>(kS2Pre));
    for (unsigned r = 0; r <= rounds; ++r) {
        std::uint8_t bytes[16];
        for (int i = 0; i < 4; ++i) store_be32(bytes + 4 * i, round_keys[r][i]);
        c.keys[r] = broadcast_block(bytes);
        platform::secure_zero(bytes, sizeof(bytes));
    }
}

// Positions f1/f2 get S1/S2, positions i1/i2 get S1^-1/S2^-1.
template <__mmask64 F1, __mmask64 F2, __mmask64 I1, __mmask64 I2>
ZLC_ARIA_TARGET inline __m512i substitute(const Constants& c, __m512i x) {
    __m512i u = _mm512_mask_gf2p8affine_epi64_epi8(x, I1, x, c.s1_pre, kS1PreConstant);
    u = _mm512_mask_gf2p8affine_epi64_epi8(u, I2, x, c.s2_pre, kS2PreConstant);
    __m512i y = _mm512_gf2p8affineinv_epi64_epi8(u, c.identity, 0);
    y = _mm512_mask_gf2p8affineinv_epi64_epi8(y, F1, u, c.s1_post, sb::kS1Constant);
    return _mm512_mask_gf2p8affineinv_epi64_epi8(y, F2, u, c.s2_post, sb::kS2Constant);
}

ZLC_ARIA_TARGET inline __m512i diffuse_add(const Constants& c, __m512i x, __m512i key) {
    __m512i t = _mm512_ternarylogic_epi64(_mm512_shuffle_epi8(x, c.perm[0]), _mm512_shuffle_epi8(x, c.perm[1]),
                                          _mm512_shuffle_epi8(x, c.perm[2]), 0x96);
    t = _mm512_ternarylogic_epi64(t, _mm512_shuffle_epi8(x, c.perm[3]), _mm512_shuffle_epi8(x, c.perm[4]), 0x96);
    t = _mm512_ternarylogic_epi64(t, _mm512_shuffle_epi8(x, c.perm[5]), _mm512_shuffle_epi8(x, c.perm[6]), 0x96);
    return _mm512_xor_si512(t, key);
}

template <int V>
ZLC_ARIA_TARGET inline void crypt(const Constants& c, unsigned rounds, __m512i (&x)[V]) {
    for (int v = 0; v < V; ++v) x[v] = _mm512_xor_si512(x[v], c.keys[0]);
    for (unsigned r = 1; r + 1 < rounds; r += 2) {
        for (int v = 0; v < V; ++v) x[v] = diffuse_add(c, substitute<kPos0, kPos1, kPos2, kPos3>(c, x[v]), c.keys[r]);
        for (int v = 0; v < V; ++v) x[v] = diffuse_add(c, substitute<kPos2, kPos3, kPos0, kPos1>(c, x[v]), c.keys[r + 1]);
    }
    for (int v = 0; v < V; ++v) {
        x[v] = diffuse_add(c, substitute<kPos0, kPos1, kPos2, kPos3>(c, x[v]), c.keys[rounds - 1]);
    }
    // The last round has no diffusion.
    for (int v = 0; v < V; ++v) {
        x[v] = _mm512_xor_si512(substitute<kPos2, kPos3, kPos0, kPos1>(c, x[v]), c.keys[rounds]);
    }
}

ZLC_ARIA_TARGET inline __mmask64 byte_mask(std::size_t bytes) {
    return bytes >= 64 ? ~__mmask64{0} : ((__mmask64{1} << bytes) - 1);
}

// Runs up to sixteen blocks from src into out, XORing xor_in into the result when it is given
// (CTR: src holds the counter blocks).
template <int V>
ZLC_ARIA_TARGET void run(const Constants& c, unsigned rounds, const std::uint8_t* src, const std::uint8_t* xor_in,
                         std::uint8_t* out, std::size_t bytes) {
    __m512i x[V];
    for (int v = 0; v < V; ++v) {
        const std::size_t done = 64 * static_cast<std::size_t>(v);
        x[v] = _mm512_maskz_loadu_epi8(byte_mask(bytes - done), src + done);
    }
    crypt<V>(c, rounds, x);
    for (int v = 0; v < V; ++v) {
        const std::size_t done = 64 * static_cast<std::size_t>(v);
        const __mmask64 m = byte_mask(bytes - done);
        if (xor_in != nullptr) x[v] = _mm512_xor_si512(x[v], _mm512_maskz_loadu_epi8(m, xor_in + done));
        _mm512_mask_storeu_epi8(out + done, m, x[v]);
    }
}

ZLC_ARIA_TARGET void run_any(const Constants& c, unsigned rounds, const std::uint8_t* src, const std::uint8_t* xor_in,
                             std::uint8_t* out, std::size_t blocks) {
    const std::size_t bytes = 16 * blocks;
    switch ((blocks + 3) / 4) {
        case 1:
            run<1>(c, rounds, src, xor_in, out, bytes);
            break;
        case 2:
            run<2>(c, rounds, src, xor_in, out, bytes);
            break;
        case 3:
            run<3>(c, rounds, src, xor_in, out, bytes);
            break;
        default:
            run<4>(c, rounds, src, xor_in, out, bytes);
            break;
    }
}

}  // namespace

ZLC_ARIA_TARGET void aria_blocks_gfni(const std::uint32_t (*round_keys)[4], unsigned rounds, const std::uint8_t* in,
                                      std::uint8_t* out, std::size_t blocks) noexcept {
    Constants c;
    load_constants(c, round_keys, rounds);
    while (blocks > 0) {
        const std::size_t n = blocks < 16 ? blocks : 16;
        run_any(c, rounds, in, nullptr, out, n);
        in += 16 * n;
        out += 16 * n;
        blocks -= n;
    }
    platform::secure_zero(c.keys, sizeof(c.keys));
}

ZLC_ARIA_TARGET void aria_ctr_gfni(const std::uint32_t (*round_keys)[4], unsigned rounds, std::uint8_t* counter,
                                   const std::uint8_t* in, std::uint8_t* out, std::size_t blocks) noexcept {
    Constants c;
    load_constants(c, round_keys, rounds);
    std::uint64_t hi = load_be64(counter);
    std::uint64_t lo = load_be64(counter + 8);
    alignas(64) std::uint8_t counters[16 * 16];
    while (blocks > 0) {
        const std::size_t n = blocks < 16 ? blocks : 16;
        for (std::size_t b = 0; b < n; ++b) {
            store_be64(counters + 16 * b, hi);
            store_be64(counters + 16 * b + 8, lo);
            if (++lo == 0) ++hi;
        }
        run_any(c, rounds, counters, in, out, n);
        in += 16 * n;
        out += 16 * n;
        blocks -= n;
    }
    store_be64(counter, hi);
    store_be64(counter + 8, lo);
    platform::secure_zero(c.keys, sizeof(c.keys));
}

}  // namespace zlc::cipher
