// Montgomery arithmetic (P. L. Montgomery, "Modular multiplication without trial division",
// Math. Comp. 44, 1985; HAC 14.32) and sliding-window exponentiation in Montgomery form.
#include <cstring>

#include "crypto/bigint/bigint.h"
#include "crypto/bigint/modular.h"
#include "crypto/bigint/words.h"
#include "crypto/core/memory.h"

namespace zlc::bigint {
namespace {

constexpr Status kSetupNoPool = st(op::kMontSetup, REASON_NO_POOL);
constexpr Status kSetupScratch = st(op::kMontSetup, REASON_POOL_FAILED);
constexpr Status kSetupCopy = st(op::kMontSetup, REASON_COPY_FAILED);
constexpr Status kSetupSet = st(op::kMontSetup, REASON_SET_WORD_FAILED);
constexpr Status kSetupInverse = st(op::kMontSetup, REASON_INVERSE_FAILED);
constexpr Status kSetupShift = st(op::kMontSetup, REASON_SHIFT_FAILED);
constexpr Status kSetupSubtract = st(op::kMontSetup, REASON_SUBTRACT_FAILED);
constexpr Status kSetupDivide = st(op::kMontSetup, REASON_DIVISION_STEP_FAILED);
constexpr Status kSetupReduce = st(op::kMontSetup, REASON_REDUCTION_FAILED);
constexpr Status kMulNoPool = st(op::kMontMul, REASON_NO_POOL);
constexpr Status kMulScratch = st(op::kMontMul, REASON_POOL_FAILED);
constexpr Status kMulSquare = st(op::kMontMul, REASON_SQUARE_FAILED);
constexpr Status kMulMultiply = st(op::kMontMul, REASON_MULTIPLY_FAILED);
constexpr Status kMulReduce = st(op::kMontMul, REASON_FROM_MONT_FAILED);
constexpr Status kReduceNoPool = st(op::kStartPool, REASON_NULL_ARGUMENT);
constexpr Status kReduceScratch = st(op::kMontReduce, REASON_POOL_FAILED);
constexpr Status kReduceCopy = st(op::kMontReduce, REASON_COPY_FAILED);
constexpr Status kReduceGrowth = st(op::kMontReduce, REASON_GROWTH_FAILED);
constexpr Status kExpNull = st(op::kModExpMont, REASON_NULL_ARGUMENT);
constexpr Status kExpNoPool = st(op::kModExpMont, REASON_NO_POOL);
constexpr Status kExpScratch = st(op::kModExpMont, REASON_POOL_FAILED);
constexpr Status kExpContext = st(op::kModExpMont, REASON_ALLOC_FAILED);
constexpr Status kExpSetup = st(op::kModExpMont, REASON_SET_WORD_FAILED);
constexpr Status kExpReduce = st(op::kModExpMont, REASON_REDUCTION_FAILED);
constexpr Status kExpToMont = st(op::kModExpMont, REASON_TO_MONT_FAILED);
constexpr Status kExpMul = st(op::kModExpMont, REASON_MONT_MUL_FAILED);
constexpr Status kExpFromMont = st(op::kModExpMont, REASON_FROM_MONT_FAILED);

constexpr int kMaxSlots = 32;

// -N^-1 mod 2^64 from -N^-1 mod 2^32 by one Newton step, for the limb-wise reduction.
std::uint64_t limb_inverse(const BIGINT_MONT* ctx) {
    const BIGINT& n = ctx->modulus;
    const std::uint64_t low = n.length > 1 ? words::load64(n.words) : n.words[0];
    const std::uint64_t x = static_cast<std::uint32_t>(0u - ctx->word_inverse);  // N^-1 mod 2^32
    return 0 - x * (2 - low * x);
}

// Gives x room for n words and zeros above its length, so the fixed-width kernels can read it
// whole.
bool widen(BIGINT* x, int n) {
    if (!grow(x, n)) return false;
    std::memset(x->words + x->length, 0, static_cast<std::size_t>(n - x->length) * 4);
    return true;
}

// x = 1 in n words.
bool load_one(BIGINT* x, int n) {
    if (!grow(x, n)) return false;
    std::memset(x->words, 0, static_cast<std::size_t>(n) * 4);
    x->words[0] = 1;
    x->length = 1;
    return true;
}

// A context allocated for one exponentiation; its integers are wiped and it is released with the
// scope.
class MontContext {
  public:
    MontContext() noexcept : ctx_(mem::alloc_record<BIGINT_MONT>()) {
        if (ctx_ != nullptr) {
            (void)init(&ctx_->r_squared);
            (void)init(&ctx_->modulus);
        }
    }
    ~MontContext() {
        if (ctx_ == nullptr) return;
        clear(&ctx_->r_squared);
        clear(&ctx_->modulus);
        mem::free_record(ctx_);
    }
    MontContext(const MontContext&) = delete;
    MontContext& operator=(const MontContext&) = delete;
    BIGINT_MONT* get() const noexcept { return ctx_; }

  private:
    BIGINT_MONT* ctx_;
};

}  // namespace

Status mont_setup(BIGINT_POOL* pool, BIGINT_MONT* ctx, const BIGINT* n) noexcept {
    if (pool == nullptr) return kSetupNoPool;
    // The word inverse needs an odd low word: an even or zero modulus has no Montgomery form.
    if (!is_odd(n)) return kSetupInverse;
    PoolFrame frame(pool);
    BIGINT* ri = nullptr;
    BIGINT* w0 = nullptr;
    if (!frame.take_all(ri, w0)) return kSetupScratch;
    if (copy(&ctx->modulus, n) != kOk) return kSetupCopy;
    ctx->r_bits = 32 * n->length;

    BIGINT* r2 = &ctx->r_squared;
    if (set_word(r2, 0) != kOk || set_bit(r2, 32) != kOk) return kSetupSet;
    if (set_word(w0, n->words[0]) != kOk) return kSetupSet;
    // word_inverse = ((2^32)^-1 mod w0 * 2^32 - 1) / w0, which is -w0^-1 mod 2^32.
    if (mod_inverse(ri, r2, w0, pool) != kOk) return kSetupInverse;
    if (left_shift(ri, ri, 32) != kOk) return kSetupShift;
    if (!is_zero(ri)) {
        if (sub_word(ri, 1) != kOk) return kSetupSubtract;
    } else if (set_word(ri, 0xFFFFFFFFu) != kOk) {
        return kSetupSet;
    }
    if (div(ri, nullptr, ri, w0, pool) != kOk) return kSetupDivide;
    ctx->word_inverse = is_zero(ri) ? 0 : ri->words[0];

    // r_squared still holds 2^32: clear it before setting the single bit of R^2.
    if (set_word(r2, 0) != kOk || set_bit(r2, 2 * ctx->r_bits) != kOk) return kSetupSet;
    return div(nullptr, r2, r2, &ctx->modulus, pool) == kOk ? kOk : kSetupReduce;
}

Status mont_reduce(BIGINT* r, const BIGINT* t, const BIGINT_MONT* ctx, BIGINT_POOL* pool) noexcept {
    if (pool == nullptr) return kReduceNoPool;
    const BIGINT* n = &ctx->modulus;
    const int nl = n->length;
    PoolFrame frame(pool);
    BIGINT* s = frame.take();
    if (s == nullptr) return kReduceScratch;
    if (copy(s, t) != kOk) return kReduceCopy;
    // Outside t < N * R the fixed-size reduction below would not hold the value.
    if (s->length > 2 * nl || !grow(s, static_cast<std::int64_t>(nl) + ctx->r_bits / 32 + 1))
        return kReduceGrowth;
    std::memset(s->words + s->length, 0, static_cast<std::size_t>(2 * nl + 1 - s->length) * 4);
    words::mont_reduce(s->words, n->words, nl, limb_inverse(ctx));

    if (!grow(r, static_cast<std::int64_t>(nl) + 1)) return kReduceGrowth;
    std::memcpy(r->words, s->words + nl, static_cast<std::size_t>(nl + 1) * 4);
    r->length = nl + 1;
    normalise(r);
    if (cmp(r, n) >= 0) {
        (void)words::sub_n(r->words, r->words, n->words, nl);
        r->words[nl] = 0;
        r->length = nl;
        normalise(r);
    }
    return kOk;
}

Status mont_mul(BIGINT_POOL* pool, const BIGINT* a, BIGINT* r, const BIGINT* b,
                const BIGINT_MONT* ctx) noexcept {
    if (pool == nullptr) return kMulNoPool;
    PoolFrame frame(pool);
    BIGINT* t = frame.take();
    if (t == nullptr) return kMulScratch;
    if (a == b) {
        if (sqr(t, a, pool) != kOk) return kMulSquare;
    } else if (mtp(t, a, b, pool) != kOk) {
        return kMulMultiply;
    }
    return mont_reduce(r, t, ctx, pool) == kOk ? kOk : kMulReduce;
}

Status mod_exp_mont(BIGINT* r, const BIGINT* a, const BIGINT* e, const BIGINT* m,
                    BIGINT_POOL* pool) noexcept {
    if (e == nullptr || is_zero(e)) return set_word(r, 1);
    if (r == nullptr || a == nullptr || m == nullptr) return kExpNull;
    PrivatePool owner(pool);
    if (owner.get() == nullptr) return kExpNoPool;
    BIGINT_POOL* p = owner.get();
    PoolFrame frame(p);
    BIGINT* reduced = nullptr;
    BIGINT* d = nullptr;
    BIGINT* acc = nullptr;
    if (!frame.take_all(reduced, d, acc)) return kExpScratch;
    MontContext context;
    BIGINT_MONT* ctx = context.get();
    if (ctx == nullptr) return kExpContext;
    if (mont_setup(p, ctx, m) != kOk) return kExpSetup;

    const int n = ctx->modulus.length;
    BIGINT* base = reduced;
    if (cmp(a, m) >= 0) {
        if (div(nullptr, reduced, a, m, p) != kOk) return kExpReduce;
    } else if (copy(reduced, a) != kOk) {
        return kExpToMont;
    }
    if (is_zero(base)) return set_word(r, 0);

    // Every value from here on is held in n words below m, zeros above its length, so each
    // Montgomery step runs on the fixed-width kernel with one scratch array and cannot fail.
    BIGINT* scratch = frame.take();
    if (scratch == nullptr) return kExpScratch;
    if (!grow(scratch, 2 * static_cast<std::int64_t>(n) + 1)) return kExpScratch;
    if (!widen(base, n) || !widen(&ctx->r_squared, n)) return kExpToMont;
    const std::uint64_t inv = limb_inverse(ctx);
    const std::uint32_t* modulus = ctx->modulus.words;
    auto step = [&](BIGINT* out, const BIGINT* x, const BIGINT* y) {
        words::mont_mul_fixed(out->words, x->words, y->words, modulus, n, inv, scratch->words);
        out->length = n;
        normalise(out);
    };

    BIGINT* slots[kMaxSlots] = {};
    if ((slots[0] = frame.take()) == nullptr) return kExpScratch;
    if (!widen(slots[0], n)) return kExpToMont;
    step(slots[0], base, &ctx->r_squared);
    const int w = window_bits(get_bits_length(e));
    if (w > 1) {
        if (!widen(d, n)) return kExpMul;
        step(d, slots[0], slots[0]);
        for (int i = 1; i < (1 << (w - 1)); ++i) {
            if ((slots[i] = frame.take()) == nullptr) return kExpScratch;
            if (!widen(slots[i], n)) return kExpMul;
            step(slots[i], slots[i - 1], d);
        }
    }
    // R mod m, the Montgomery form of 1.
    if (!load_one(acc, n)) return kExpToMont;
    step(acc, acc, &ctx->r_squared);
    // Its steps cannot fail, so neither can the scan.
    (void)sliding_window(
        e, w,
        [&] {
            step(acc, acc, acc);
            return true;
        },
        [&](std::uint32_t slot) {
            step(acc, acc, slots[slot]);
            return true;
        });
    // Out of Montgomery form: a multiplication by 1 is exactly a reduction of acc.
    if (!load_one(d, n)) return kExpFromMont;
    step(acc, acc, d);
    return copy(r, acc) == kOk ? kOk : kExpFromMont;
}

}  // namespace zlc::bigint

using namespace zlc::bigint;

extern "C" {

ZLC_API uint32_t ZLC_Mod_Exp_Mont_BIGINT(BIGINT* r, const BIGINT* a, const BIGINT* e,
                                         const BIGINT* m, BIGINT_POOL* pool) ZLC_NOEXCEPT {
    return mod_exp_mont(r, a, e, m, pool);
}

}  // extern "C"
