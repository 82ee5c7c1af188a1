// Almost Montgomery multiplication in radix 2^52 (Gueron and Krasnov, "Accelerating big integer
// arithmetic using Intel IFMA extensions", ARITH 2016) for 1024-bit moduli: a and b below 2m,
// R = 2^1040 > 4m, so every product stays below 2m and only the final result is reduced fully.
#include <immintrin.h>

#include <cstring>

#include "crypto/bigint/mod_exp_ifma.h"
#include "crypto/core/ct.h"
#include "crypto/platform/cpu.h"
#include "crypto/platform/secure_zero.h"

// GCC 12 takes the deliberately undefined pass-through operand inside _mm512_alignr_epi64 and
// _mm512_castsi512_si128 for an uninitialised read.
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

namespace zlc::bigint::ifma {
namespace {

constexpr int kLimbs = 20;  // 20 x 52 = 1040 bits
constexpr int kLanes = 24;  // three registers of eight
constexpr std::uint64_t kMask52 = (1ULL << 52) - 1;

// A number in 52-bit limbs, lanes 20 to 23 zero.
struct alignas(64) Limbs {
    std::uint64_t v[kLanes];
};

void to_limbs(Limbs& out, const std::uint32_t* words) noexcept {
    unsigned __int128 bits = 0;
    int held = 0, next = 0;
    for (int j = 0; j < kLanes; ++j) {
        while (held < 52 && next < kWords) {
            bits |= static_cast<unsigned __int128>(words[next++]) << held;
            held += 32;
        }
        out.v[j] = static_cast<std::uint64_t>(bits) & kMask52;
        bits >>= 52;
        held = held > 52 ? held - 52 : 0;
    }
}

// Normalised limbs (each below 2^52) back to kWords words; bits above 1024 are dropped.
void from_limbs(std::uint32_t* words, const Limbs& in) noexcept {
    unsigned __int128 bits = 0;
    int held = 0, next = 0;
    for (int i = 0; i < kWords; ++i) {
        while (held < 32 && next < kLimbs) {
            bits |= static_cast<unsigned __int128>(in.v[next++]) << held;
            held += 52;
        }
        words[i] = static_cast<std::uint32_t>(bits);
        bits >>= 32;
        held = held > 32 ? held - 32 : 0;
    }
}

// -m^-1 mod 2^52.
std::uint64_t negated_inverse52(std::uint64_t m0) noexcept {
    std::uint64_t x = m0;
    for (int i = 0; i < 6; ++i) x *= 2 - m0 * x;
    return (0 - x) & kMask52;
}

struct Context {
    Limbs m;
    std::uint64_t k0;
};

// K independent products r[k] = a[k] * b[k] / 2^1040 mod m[k], each below 2m[k] for a[k], b[k]
// below 2m[k], in one loop: one product's latency hides behind the other's. r[k] may be a[k] or
// b[k].
template <int K>
__attribute__((target("avx512f,avx512vl,avx512ifma"))) void amm(
    Limbs* const* r, const Limbs* const* a, const Limbs* const* b,
    const Context* const* ctx) noexcept {
    const __m512i zero = _mm512_setzero_si512();
    __m512i av[K][3], mv[K][3], acc[K][3];
    std::uint64_t a_low[K], x0[K], k0[K];
#pragma GCC unroll 2
    for (int k = 0; k < K; ++k) {
        for (int q = 0; q < 3; ++q) {
            av[k][q] = _mm512_load_si512(a[k]->v + 8 * q);
            mv[k][q] = _mm512_load_si512(ctx[k]->m.v + 8 * q);
            acc[k][q] = zero;
        }
        a_low[k] = a[k]->v[0];
        x0[k] = 0;  // lane 0 of the accumulator
        k0[k] = ctx[k]->k0;
    }
    for (int i = 0; i < kLimbs; ++i) {
#pragma GCC unroll 2
        for (int k = 0; k < K; ++k) {
            const std::uint64_t bi = b[k]->v[i];
            // y makes lane 0 a multiple of 2^52 once y * m is added.
            const std::uint64_t y = ((x0[k] + a_low[k] * bi) * k0[k]) & kMask52;
            const __m512i bv = _mm512_set1_epi64(static_cast<long long>(bi));
            const __m512i yv = _mm512_set1_epi64(static_cast<long long>(y));
            for (int q = 0; q < 3; ++q) acc[k][q] = _mm512_madd52lo_epu64(acc[k][q], av[k][q], bv);
            for (int q = 0; q < 3; ++q) acc[k][q] = _mm512_madd52lo_epu64(acc[k][q], mv[k][q], yv);
            // Lane 0 is now c * 2^52: shift every lane down by one and carry c into the new lane 0.
            const __m512i carry = _mm512_maskz_srli_epi64(1, acc[k][0], 52);
            acc[k][0] = _mm512_alignr_epi64(acc[k][1], acc[k][0], 1);
            acc[k][1] = _mm512_alignr_epi64(acc[k][2], acc[k][1], 1);
            acc[k][2] = _mm512_alignr_epi64(zero, acc[k][2], 1);
            acc[k][0] = _mm512_add_epi64(acc[k][0], carry);
            // High halves belong one limb up, which after the shift is the lane itself.
            for (int q = 0; q < 3; ++q) acc[k][q] = _mm512_madd52hi_epu64(acc[k][q], av[k][q], bv);
            for (int q = 0; q < 3; ++q) acc[k][q] = _mm512_madd52hi_epu64(acc[k][q], mv[k][q], yv);
            x0[k] =
                static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm512_castsi512_si128(acc[k][0])));
        }
    }
#pragma GCC unroll 2
    for (int k = 0; k < K; ++k) {
        alignas(64) std::uint64_t t[kLanes];
        for (int q = 0; q < 3; ++q) _mm512_store_si512(t + 8 * q, acc[k][q]);
        // Lanes hold up to 64 bits: carry them into 52-bit limbs.
        std::uint64_t carry = 0;
        for (int j = 0; j < kLanes; ++j) {
            const std::uint64_t v = t[j] + carry;
            r[k]->v[j] = v & kMask52;
            carry = v >> 52;
        }
    }
}

// out = table[index], reading every entry.
__attribute__((target("avx512f,avx512vl"))) void select_entry(Limbs& out, const Limbs* table,
                                                              int entries,
                                                              std::uint64_t index) noexcept {
    __m512i s0 = _mm512_setzero_si512(), s1 = s0, s2 = s0;
    for (int i = 0; i < entries; ++i) {
        const auto k = static_cast<__mmask8>(ct::eq_mask(static_cast<std::uint64_t>(i), index));
        s0 = _mm512_mask_mov_epi64(s0, k, _mm512_load_si512(table[i].v));
        s1 = _mm512_mask_mov_epi64(s1, k, _mm512_load_si512(table[i].v + 8));
        s2 = _mm512_mask_mov_epi64(s2, k, _mm512_load_si512(table[i].v + 16));
    }
    _mm512_store_si512(out.v, s0);
    _mm512_store_si512(out.v + 8, s1);
    _mm512_store_si512(out.v + 16, s2);
}

std::uint64_t window_at(const std::uint32_t* e, std::int64_t pos, int w) noexcept {
    const std::int64_t k = pos / 32;
    const std::uint64_t pair = e[k] | static_cast<std::uint64_t>(e[k + 1]) << 32;
    return (pair >> (pos % 32)) & ((1u << w) - 1);
}

// The scratch of one exponentiation: up to 32 table entries and the working values.
struct Scratch {
    Context ctx;
    Limbs table[32];
    Limbs acc, sel, rr, one;
};

// K exponentiations side by side, each over its own modulus and exponent, with one window scan.
template <int K>
void exp_k(std::uint32_t* const* r, const std::uint32_t* const* base, const std::uint32_t* const* m,
           const std::uint32_t* const* rr, const std::uint32_t* const* exp, std::int64_t windows,
           int w) noexcept {
    Scratch s[K]{};
    Limbs *acc[K], *sel[K], *one[K], *rrl[K], *base_entry[K];
    const Context* ctx[K];
    for (int k = 0; k < K; ++k) {
        to_limbs(s[k].ctx.m, m[k]);
        s[k].ctx.k0 = negated_inverse52(s[k].ctx.m.v[0]);
        to_limbs(s[k].rr, rr[k]);
        to_limbs(s[k].sel, base[k]);
        s[k].one.v[0] = 1;
        acc[k] = &s[k].acc;
        sel[k] = &s[k].sel;
        one[k] = &s[k].one;
        rrl[k] = &s[k].rr;
        base_entry[k] = &s[k].table[1];
        ctx[k] = &s[k].ctx;
    }
    const int entries = 1 << w;
    auto entry = [&](int i, Limbs** out) {
        for (int k = 0; k < K; ++k) out[k] = &s[k].table[i];
    };

    // table[i] = base^i * R mod m (almost: below 2m).
    Limbs *t[K], *prev[K];
    entry(0, t);
    amm<K>(t, one, rrl, ctx);
    entry(1, t);
    amm<K>(t, sel, rrl, ctx);
    for (int i = 2; i < entries; ++i) {
        entry(i, t);
        entry(i - 1, prev);
        amm<K>(t, prev, base_entry, ctx);
    }

    for (int k = 0; k < K; ++k)
        select_entry(s[k].acc, s[k].table, entries, window_at(exp[k], (windows - 1) * w, w));
    for (std::int64_t pos = windows - 2; pos >= 0; --pos) {
        for (int j = 0; j < w; ++j) amm<K>(acc, acc, acc, ctx);
        for (int k = 0; k < K; ++k)
            select_entry(s[k].sel, s[k].table, entries, window_at(exp[k], pos * w, w));
        amm<K>(acc, acc, sel, ctx);
    }
    // Out of Montgomery form: the product with 1 is at most m; m itself becomes 0 by a mask.
    amm<K>(acc, acc, one, ctx);
    for (int k = 0; k < K; ++k) {
        std::uint32_t out[kWords];
        std::uint32_t diff[kWords];
        from_limbs(out, s[k].acc);
        std::uint64_t borrow = 0;
        for (int i = 0; i < kWords; ++i) {
            const std::uint64_t d = static_cast<std::uint64_t>(out[i]) - m[k][i] - borrow;
            diff[i] = static_cast<std::uint32_t>(d);
            borrow = (d >> 32) & 1;
        }
        // No borrow: out >= m, so out - m is the result.
        const auto keep_diff = static_cast<std::uint32_t>(ct::mask(borrow ^ 1));
        for (int i = 0; i < kWords; ++i) r[k][i] = ct::select32(keep_diff, diff[i], out[i]);
        platform::secure_zero(out, sizeof out);
        platform::secure_zero(diff, sizeof diff);
    }
    platform::secure_zero(s, sizeof s);
}

}  // namespace

bool usable() noexcept {
    return (platform::usable_features() & kNeeds) == kNeeds;
}

void exp_consttime(std::uint32_t* r, const std::uint32_t* base, const std::uint32_t* m,
                   const std::uint32_t* rr, const std::uint32_t* exp, std::int64_t windows,
                   int w) noexcept {
    exp_k<1>(&r, &base, &m, &rr, &exp, windows, w);
}

void exp_consttime_x2(std::uint32_t* const* r, const std::uint32_t* const* base,
                      const std::uint32_t* const* m, const std::uint32_t* const* rr,
                      const std::uint32_t* const* exp, std::int64_t windows, int w) noexcept {
    exp_k<2>(r, base, m, rr, exp, windows, w);
}

}  // namespace zlc::bigint::ifma
