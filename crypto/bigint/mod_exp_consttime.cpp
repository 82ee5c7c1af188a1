// Fixed-window Montgomery exponentiation for secret exponents (HAC 14.82 over Montgomery products,
// HAC 14.36): the sequence of operations and every memory address depend only on the word count
// of the modulus and on the caller's exponent length, never on the exponent's bits.
#include <algorithm>
#include <cstring>
#include <initializer_list>

#include "crypto/bigint/bigint.h"
#include "crypto/bigint/mod_exp_ifma.h"
#include "crypto/bigint/modular.h"
#include "crypto/bigint/words.h"
#include "crypto/core/ct.h"
#include "crypto/core/memory.h"

namespace zlc::bigint {
namespace {

using words::load64;
using words::store64;

constexpr Status kNull = st(op::kModExpMont, REASON_NULL_ARGUMENT);
constexpr Status kBadLength = st(op::kModExpMont, REASON_INVALID_ARGUMENT);
constexpr Status kNoPool = st(op::kModExpMont, REASON_NO_POOL);
constexpr Status kScratch = st(op::kModExpMont, REASON_POOL_FAILED);
constexpr Status kSetup = st(op::kModExpMont, REASON_SET_WORD_FAILED);
constexpr Status kReduce = st(op::kModExpMont, REASON_REDUCTION_FAILED);
constexpr Status kToMont = st(op::kModExpMont, REASON_TO_MONT_FAILED);
constexpr Status kFromMont = st(op::kModExpMont, REASON_FROM_MONT_FAILED);

// Window width from the scanned length: a table of 2^w entries costs 2^w products and is read
// whole at every window, against one product saved per w bits.
int fixed_window_bits(std::int64_t bits) noexcept {
    if (bits > 256) return 5;
    if (bits > 80) return 4;
    if (bits > 24) return 3;
    return 1;
}

// -N^-1 mod 2^64 by Newton's iteration: an odd N is its own inverse mod 2^3, and each step doubles
// the number of correct bits.
std::uint64_t negated_inverse(std::uint64_t n0) noexcept {
    std::uint64_t x = n0;
    for (int i = 0; i < 5; ++i) x *= 2 - n0 * x;
    return 0 - x;
}

// out = table[index] over `limbs` limbs, reading every entry.
void select_entry(std::uint32_t* out, const std::uint32_t* table, int entries, int limbs,
                  std::uint64_t index) noexcept {
    for (int j = 0; j < limbs; ++j) store64(out + 2 * j, 0);
    for (int i = 0; i < entries; ++i) {
        const std::uint64_t m = ct::eq_mask(static_cast<std::uint64_t>(i), index);
        const std::uint32_t* entry = table + 2 * static_cast<std::ptrdiff_t>(i) * limbs;
        for (int j = 0; j < limbs; ++j)
            store64(out + 2 * j, load64(out + 2 * j) | (load64(entry + 2 * j) & m));
    }
}

// The w bits of the exponent from bit `pos` up; the buffer has a word beyond the last window.
std::uint64_t window_at(const std::uint32_t* e, std::int64_t pos, int w) noexcept {
    const std::int64_t k = pos / 32;
    const std::uint64_t pair = e[k] | static_cast<std::uint64_t>(e[k + 1]) << 32;
    return (pair >> (pos % 32)) & ((1u << w) - 1);
}

// dst[0..x->length) = the words of x.
void load(std::uint32_t* dst, const BIGINT* x) noexcept {
    for (std::int32_t i = 0; i < x->length; ++i) dst[i] = x->words[i];
}

}  // namespace

Status mod_exp_mont_consttime(BIGINT* r, const BIGINT* a, const BIGINT* e,
                              std::int32_t exponent_bits, const BIGINT* m,
                              BIGINT_POOL* pool) noexcept {
    if (e == nullptr || is_zero(e)) return set_word(r, 1);
    if (r == nullptr || a == nullptr || m == nullptr) return kNull;
    if (exponent_bits < 0) return kBadLength;
    PrivatePool owner(pool);
    if (owner.get() == nullptr) return kNoPool;
    BIGINT_POOL* p = owner.get();
    PoolFrame frame(p);
    BIGINT* r_squared = nullptr;
    BIGINT* base = nullptr;
    BIGINT* scratch = nullptr;
    if (!frame.take_all(r_squared, base, scratch)) return kScratch;
    if (!is_odd(m)) return kSetup;

    // An even word count keeps every product on the limb kernels, whose steps do not depend on the
    // values (a single trailing word would bring carry loops that stop early).
    const int n = m->length + (m->length & 1);
    const int limbs = n / 2;
    // Moduli of 513 to 1024 bits go to the IFMA kernels where the processor has them; their
    // Montgomery radix is 2^1040.
#ifdef ZLC_X86_64
    const bool on_ifma = n > 16 && n <= ifma::kWords && ifma::usable();
#else
    constexpr bool on_ifma = false;
#endif
    const std::int32_t r_bits = on_ifma ? 2 * 1040 : 64 * n;
    if (set_bit(r_squared, r_bits) != kOk || div(nullptr, r_squared, r_squared, m, p) != kOk)
        return kSetup;
    if (cmp(a, m) >= 0) {
        if (div(nullptr, base, a, m, p) != kOk) return kReduce;
    } else if (copy(base, a) != kOk) {
        return kToMont;
    }

    // The scan covers the caller's length, or the exponent's whole words when it holds more.
    const std::int64_t scan_words = std::max<std::int64_t>((exponent_bits + 31LL) / 32, e->length);
    const int w = fixed_window_bits(32 * scan_words);
    const int entries = 1 << w;
    const std::int64_t windows = (32 * scan_words + w - 1) / w;
    const std::int64_t exp_words = (windows * w + 31) / 32 + 1;

    // One scratch array, wiped on every exit: modulus, table, accumulator, selected entry, the
    // product of 2n + 1 words (rounded to whole limbs), exponent.
    const std::int64_t total = n * (static_cast<std::int64_t>(entries) + 3) + 2 * n + 2 + exp_words;
    if (!grow(scratch, total)) return kScratch;
    std::uint32_t* const mod = scratch->words;
    std::uint32_t* const table = mod + n;
    std::uint32_t* const acc = table + static_cast<std::ptrdiff_t>(entries) * n;
    std::uint32_t* const sel = acc + n;
    std::uint32_t* const t = sel + n;
    std::uint32_t* const exp = t + 2 * n + 2;
    std::memset(mod, 0, static_cast<std::size_t>(total) * 4);
    mem::ScopeExit wipe([&] { platform::secure_zero(mod, static_cast<std::size_t>(total) * 4); });
    load(mod, m);
    load(exp, e);
#ifdef ZLC_X86_64
    if (on_ifma) {
        std::uint32_t wide[4][ifma::kWords] = {};  // modulus, base, R^2 mod m, result
        load(wide[0], m);
        load(wide[1], base);
        load(wide[2], r_squared);
        ifma::exp_consttime(wide[3], wide[1], wide[0], wide[2], exp, windows, w);
        std::memcpy(acc, wide[3], static_cast<std::size_t>(n) * 4);
        platform::secure_zero(wide, sizeof wide);
    } else
#endif
    {
        const std::uint64_t inv = negated_inverse(load64(mod));
        auto mont = [&](std::uint32_t* out, const std::uint32_t* x, const std::uint32_t* y) {
            words::mont_mul_fixed_ct(out, x, y, mod, n, inv, t);
        };

        // table[i] = base^i * R mod m; `acc` holds R^2 mod m and `sel` the base while it is built.
        load(acc, r_squared);
        load(sel, base);
        std::uint32_t* const base_entry = table + n;
        mont(base_entry, sel, acc);
        std::memset(sel, 0, static_cast<std::size_t>(n) * 4);
        sel[0] = 1;
        mont(table, sel, acc);
        for (int i = 2; i < entries; ++i) mont(table + i * n, table + (i - 1) * n, base_entry);

        select_entry(acc, table, entries, limbs, window_at(exp, (windows - 1) * w, w));
        for (std::int64_t k = windows - 2; k >= 0; --k) {
            for (int j = 0; j < w; ++j) mont(acc, acc, acc);
            select_entry(sel, table, entries, limbs, window_at(exp, k * w, w));
            mont(acc, acc, sel);
        }
        // Out of Montgomery form: a product with 1 is a reduction.
        std::memset(sel, 0, static_cast<std::size_t>(n) * 4);
        sel[0] = 1;
        mont(acc, acc, sel);
    }

    // Every operand has been read: r may be one of them. Its length is found without a branch.
    if (!grow(r, n)) return kFromMont;
    std::uint64_t length = 0;
    for (int i = 0; i < n; ++i) {
        r->words[i] = acc[i];
        const std::uint64_t nonzero = (static_cast<std::uint64_t>(acc[i]) + 0xFFFFFFFFu) >> 32;
        length = ct::select(ct::mask(nonzero), static_cast<std::uint64_t>(i) + 1, length);
    }
    r->length = static_cast<std::int32_t>(length);
    return kOk;
}

Status mod_exp_mont_consttime_x2(BIGINT* r1, const BIGINT* a1, const BIGINT* e1, const BIGINT* m1,
                                 BIGINT* r2, const BIGINT* a2, const BIGINT* e2, const BIGINT* m2,
                                 std::int32_t exponent_bits, BIGINT_POOL* pool) noexcept {
#ifndef ZLC_X86_64
    // The paired pass is IFMA code: elsewhere the two run one after the other.
    if (const Status s = mod_exp_mont_consttime(r1, a1, e1, exponent_bits, m1, pool); s != kOk)
        return s;
    return mod_exp_mont_consttime(r2, a2, e2, exponent_bits, m2, pool);
#else
    // Both on one IFMA pass needs two 513- to 1024-bit moduli and exponents within the scan;
    // anything else goes one after the other.
    auto fits = [&](const BIGINT* r, const BIGINT* a, const BIGINT* e, const BIGINT* m) {
        return r != nullptr && a != nullptr && e != nullptr && !is_zero(e) && m != nullptr &&
               is_odd(m) && m->length > 16 && m->length <= ifma::kWords && exponent_bits >= 0 &&
               exponent_bits <= 1024 && e->length <= (exponent_bits + 31) / 32;
    };
    if (!ifma::usable() || !fits(r1, a1, e1, m1) || !fits(r2, a2, e2, m2)) {
        if (const Status s = mod_exp_mont_consttime(r1, a1, e1, exponent_bits, m1, pool); s != kOk)
            return s;
        return mod_exp_mont_consttime(r2, a2, e2, exponent_bits, m2, pool);
    }
    PrivatePool owner(pool);
    if (owner.get() == nullptr) return kNoPool;
    BIGINT_POOL* p = owner.get();
    PoolFrame frame(p);
    BIGINT *rr1 = nullptr, *rr2 = nullptr, *b1 = nullptr, *b2 = nullptr;
    if (!frame.take_all(rr1, rr2, b1, b2)) return kScratch;
    const BIGINT* ms[2] = {m1, m2};
    const BIGINT* as[2] = {a1, a2};
    BIGINT* rrs[2] = {rr1, rr2};
    BIGINT* bs[2] = {b1, b2};
    for (int k = 0; k < 2; ++k) {
        if (set_bit(rrs[k], 2 * 1040) != kOk || div(nullptr, rrs[k], rrs[k], ms[k], p) != kOk)
            return kSetup;
        if (div(nullptr, bs[k], as[k], ms[k], p) != kOk) return kReduce;
    }
    const std::int64_t scan_words = (exponent_bits + 31LL) / 32;
    const int w = fixed_window_bits(32 * scan_words);
    const std::int64_t windows = (32 * scan_words + w - 1) / w;
    const std::int64_t exp_words = (windows * w + 31) / 32 + 1;
    constexpr int kExpWords = (1024 + 5 + 31) / 32 + 1;
    static_assert(kExpWords >= 34);
    (void)exp_words;

    // modulus, base, R^2 mod m, result and exponent for each side, wiped on every exit.
    std::uint32_t wide[2][4][ifma::kWords] = {};
    std::uint32_t exps[2][kExpWords] = {};
    mem::ScopeExit wipe([&] {
        platform::secure_zero(wide, sizeof wide);
        platform::secure_zero(exps, sizeof exps);
    });
    const BIGINT* es[2] = {e1, e2};
    for (int k = 0; k < 2; ++k) {
        load(wide[k][0], ms[k]);
        load(wide[k][1], bs[k]);
        load(wide[k][2], rrs[k]);
        load(exps[k], es[k]);
    }
    std::uint32_t* out[2] = {wide[0][3], wide[1][3]};
    const std::uint32_t* base[2] = {wide[0][1], wide[1][1]};
    const std::uint32_t* mod[2] = {wide[0][0], wide[1][0]};
    const std::uint32_t* rr[2] = {wide[0][2], wide[1][2]};
    const std::uint32_t* exp[2] = {exps[0], exps[1]};
    ifma::exp_consttime_x2(out, base, mod, rr, exp, windows, w);
    for (BIGINT* t : {b1, b2}) clear(t);

    BIGINT* rs[2] = {r1, r2};
    for (int k = 0; k < 2; ++k) {
        const int n = ms[k]->length + (ms[k]->length & 1);
        if (!grow(rs[k], n)) return kFromMont;
        std::uint64_t length = 0;
        for (int i = 0; i < n; ++i) {
            rs[k]->words[i] = out[k][i];
            const std::uint64_t nonzero =
                (static_cast<std::uint64_t>(out[k][i]) + 0xFFFFFFFFu) >> 32;
            length = ct::select(ct::mask(nonzero), static_cast<std::uint64_t>(i) + 1, length);
        }
        rs[k]->length = static_cast<std::int32_t>(length);
    }
    return kOk;
#endif
}

}  // namespace zlc::bigint
