// Fixed-window Montgomery exponentiation for secret exponents (HAC 14.82 over Montgomery products,
// HAC 14.36): the sequence of operations and every memory address depend only on the word count
// of the modulus and on the caller's exponent length, never on the exponent's bits.
#include <algorithm>
#include <cstring>

#include "crypto/bigint/bigint.h"
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
    if (set_bit(r_squared, 64 * n) != kOk || div(nullptr, r_squared, r_squared, m, p) != kOk)
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

}  // namespace zlc::bigint
