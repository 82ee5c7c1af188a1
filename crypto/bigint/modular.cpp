// Modular subtraction and multiplication, plain sliding-window exponentiation, the inverse by the
// extended Euclidean algorithm and the binary gcd (HAC 14.54, 14.61; Knuth, TAOCP vol. 2, 4.5.2).
#include "crypto/bigint/modular.h"

#include <utility>

#include "crypto/bigint/bigint.h"

namespace zlc::bigint {
namespace {

constexpr Status kModSubNull = st(op::kModSub, REASON_NULL_ARGUMENT);
constexpr Status kModSubAlloc = st(op::kModSub, REASON_ALLOC_FAILED);
constexpr Status kModMtpNull = st(op::kModMtp, REASON_NULL_ARGUMENT);
constexpr Status kModMtpNoPool = st(op::kModMtp, REASON_NO_POOL);
constexpr Status kModMtpScratch = st(op::kModMtp, REASON_POOL_FAILED);
constexpr Status kModMtpSquare = st(op::kModMtp, REASON_SQUARE_FAILED);
constexpr Status kModMtpMultiply = st(op::kModMtp, REASON_MULTIPLY_FAILED);
constexpr Status kModMtpReduce = st(op::kModMtp, REASON_REDUCTION_FAILED);
constexpr Status kModExpNull = st(op::kModExp, REASON_NULL_ARGUMENT);
constexpr Status kModExpSet = st(op::kModExp, REASON_SET_WORD_FAILED);
constexpr Status kModExpNoPool = st(op::kModExp, REASON_NO_POOL);
constexpr Status kModExpScratch = st(op::kModExp, REASON_POOL_FAILED);
constexpr Status kModExpReduce = st(op::kModExp, REASON_REDUCTION_FAILED);
constexpr Status kModExpMultiply = st(op::kModExp, REASON_MOD_MUL_FAILED);
constexpr Status kInvNull = st(op::kModInverse, REASON_NULL_ARGUMENT);
constexpr Status kInvNoPool = st(op::kModInverse, REASON_NO_POOL);
constexpr Status kInvScratch = st(op::kModInverse, REASON_POOL_FAILED);
constexpr Status kInvCopy = st(op::kModInverse, REASON_COPY_FAILED);
constexpr Status kInvReduce = st(op::kModInverse, REASON_REDUCTION_FAILED);
constexpr Status kInvDivide = st(op::kModInverse, REASON_DIVISION_STEP_FAILED);
constexpr Status kInvMultiply = st(op::kModInverse, REASON_MULTIPLY_STEP_FAILED);
constexpr Status kInvAdd = st(op::kModInverse, REASON_MULTIPLY_FAILED);
constexpr Status kInvSubtract = st(op::kModInverse, REASON_SUBTRACT_FAILED);
constexpr Status kInvNone = st(op::kModInverse, REASON_SET_WORD_FAILED);
constexpr Status kGcdNoPool = st(op::kGcd, REASON_NO_POOL);
constexpr Status kGcdScratch = st(op::kGcd, REASON_POOL_FAILED);
constexpr Status kGcdCopy = st(op::kGcd, REASON_COPY_FAILED);
constexpr Status kGcdLoop = st(op::kGcd, REASON_GCD_LOOP_FAILED);

// Slots of odd powers: 2^(w-1) for windows of up to 6 bits.
constexpr int kMaxSlots = 32;

}  // namespace

int window_bits(std::int32_t bits) noexcept {
    if (bits > 671) return 6;
    if (bits > 239) return 5;
    if (bits > 79) return 4;
    if (bits > 23) return 3;
    return 1;
}

Status gcd(BIGINT* r, BIGINT_POOL* pool, const BIGINT* a, const BIGINT* b) noexcept {
    if (pool == nullptr) return kGcdNoPool;
    PoolFrame frame(pool);
    BIGINT* x = nullptr;
    BIGINT* y = nullptr;
    if (!frame.take_all(x, y)) return kGcdScratch;
    if (copy(x, a) != kOk || copy(y, b) != kOk) return kGcdCopy;
    if (cmp(x, y) < 0) std::swap(x, y);
    std::int32_t shifts = 0;
    while (!is_zero(y)) {
        const bool x_odd = is_odd(x);
        const bool y_odd = is_odd(y);
        bool ok = true;
        if (x_odd && y_odd) {
            ok = sub(x, x, y, pool) == kOk && right_shift(x, x, 1) == kOk;
        } else if (x_odd) {
            ok = right_shift(y, y, 1) == kOk;
        } else if (y_odd) {
            ok = right_shift(x, x, 1) == kOk;
        } else {
            ok = right_shift(x, x, 1) == kOk && right_shift(y, y, 1) == kOk;
            ++shifts;
        }
        if (!ok) return kGcdLoop;
        if (cmp(x, y) < 0) std::swap(x, y);
    }
    if (left_shift(x, x, shifts) != kOk) return kGcdLoop;
    return copy(r, x) == kOk ? kOk : kGcdCopy;
}

Status mod_sub(BIGINT* r, const BIGINT* a, const BIGINT* b, const BIGINT* m,
               BIGINT_POOL*) noexcept {
    if (r == nullptr || a == nullptr || b == nullptr || m == nullptr) return kModSubNull;
    OwnedBigint ar, br, diff;
    if (ar.get() == nullptr || br.get() == nullptr || diff.get() == nullptr) return kModSubAlloc;
    // Inner failures are reported: a silently wrong difference would, in a CRT step, leak the key.
    if (const Status s = div(nullptr, ar.get(), a, m, nullptr); s != kOk) return s;
    if (const Status s = div(nullptr, br.get(), b, m, nullptr); s != kOk) return s;
    const int order = cmp(ar.get(), br.get());
    if (order > 0) return sub(r, ar.get(), br.get(), nullptr);
    if (order == 0) return set_word(r, 0);
    if (const Status s = sub(diff.get(), br.get(), ar.get(), nullptr); s != kOk) return s;
    return sub(r, m, diff.get(), nullptr);
}

Status mod_mtp(BIGINT* r, const BIGINT* a, const BIGINT* b, const BIGINT* m,
               BIGINT_POOL* pool) noexcept {
    if (pool == nullptr) return kModMtpNoPool;
    if (r == nullptr || a == nullptr || b == nullptr || m == nullptr) return kModMtpNull;
    PoolFrame frame(pool);
    BIGINT* t = frame.take();
    if (t == nullptr) return kModMtpScratch;
    if (a == b) {
        if (sqr(t, a, pool) != kOk) return kModMtpSquare;
    } else if (mtp(t, a, b, pool) != kOk) {
        return kModMtpMultiply;
    }
    return div(nullptr, r, t, m, pool) == kOk ? kOk : kModMtpReduce;
}

Status mod_exp(BIGINT* r, const BIGINT* a, const BIGINT* e, const BIGINT* m,
               BIGINT_POOL* pool) noexcept {
    if (e == nullptr || is_zero(e)) return set_word(r, 1) == kOk ? kOk : kModExpSet;
    if (r == nullptr || a == nullptr || m == nullptr) return kModExpNull;
    PrivatePool owner(pool);
    if (owner.get() == nullptr) return kModExpNoPool;
    BIGINT_POOL* p = owner.get();
    PoolFrame frame(p);
    BIGINT* slots[kMaxSlots] = {};
    BIGINT* d = nullptr;
    BIGINT* acc = nullptr;
    if (!frame.take_all(slots[0], d, acc)) return kModExpScratch;
    if (div(nullptr, slots[0], a, m, p) != kOk) return kModExpReduce;
    if (is_zero(slots[0])) return set_word(r, 0) == kOk ? kOk : kModExpSet;

    const int w = window_bits(get_bits_length(e));
    if (w > 1) {
        if (mod_mtp(d, slots[0], slots[0], m, p) != kOk) return kModExpMultiply;
        for (int i = 1; i < (1 << (w - 1)); ++i) {
            if ((slots[i] = frame.take()) == nullptr) return kModExpScratch;
            if (mod_mtp(slots[i], slots[i - 1], d, m, p) != kOk) return kModExpMultiply;
        }
    }
    // The accumulator is a pool record, so r may be the same record as an operand.
    if (set_word(acc, 1) != kOk) return kModExpSet;
    const bool ok = sliding_window(
        e, w, [&] { return mod_mtp(acc, acc, acc, m, p) == kOk; },
        [&](std::uint32_t slot) { return mod_mtp(acc, acc, slots[slot], m, p) == kOk; });
    if (!ok) return kModExpMultiply;
    return copy(r, acc) == kOk ? kOk : kModExpSet;
}

Status mod_inverse(BIGINT* r, const BIGINT* a, const BIGINT* m, BIGINT_POOL* pool) noexcept {
    if (pool == nullptr) return kInvNoPool;
    if (r == nullptr || a == nullptr || m == nullptr) return kInvNull;
    PoolFrame frame(pool);
    BIGINT *X = nullptr, *Y = nullptr, *B = nullptr, *A = nullptr, *D = nullptr, *M = nullptr,
           *T = nullptr;
    if (!frame.take_all(X, Y, B, A, D, M, T)) return kInvScratch;
    if (set_word(X, 1) != kOk || set_word(Y, 0) != kOk) return kInvNone;
    if (copy(B, a) != kOk || copy(A, m) != kOk) return kInvCopy;
    if (cmp(B, A) >= 0 && div(nullptr, B, B, A, pool) != kOk) return kInvReduce;
    int sign = -1;
    while (!is_zero(B)) {
        if (div(D, M, A, B, pool) != kOk) return kInvDivide;
        if (mtp(T, D, X, pool) != kOk) return kInvMultiply;
        if (add(T, T, Y) != kOk) return kInvAdd;
        // (A, B) <- (B, A mod B); (Y, X) <- (X, D*X + Y): rotate the records, copy nothing.
        BIGINT* spare = A;
        A = B;
        B = M;
        M = spare;
        spare = Y;
        Y = X;
        X = T;
        T = spare;
        sign = -sign;
    }
    if (sign < 0 && sub(Y, m, Y, pool) != kOk) return kInvSubtract;
    if (cmp(A, value_one()) != 0) return kInvNone;
    if (cmp(Y, m) < 0) return copy(r, Y) == kOk ? kOk : kInvCopy;
    return div(nullptr, r, Y, m, pool) == kOk ? kOk : kInvReduce;
}

}  // namespace zlc::bigint

using namespace zlc::bigint;

extern "C" {

ZLC_API uint32_t ZLC_Mod_Sub_BIGINT(BIGINT* r, const BIGINT* a, const BIGINT* b, const BIGINT* m,
                                    BIGINT_POOL* pool) ZLC_NOEXCEPT {
    return mod_sub(r, a, b, m, pool);
}

ZLC_API uint32_t ZLC_Mod_Mtp_BIGINT(BIGINT* r, const BIGINT* a, const BIGINT* b, const BIGINT* m,
                                    BIGINT_POOL* pool) ZLC_NOEXCEPT {
    return mod_mtp(r, a, b, m, pool);
}

ZLC_API uint32_t ZLC_Mod_Exp_BIGINT(BIGINT* r, const BIGINT* a, const BIGINT* e, const BIGINT* m,
                                    BIGINT_POOL* pool) ZLC_NOEXCEPT {
    return mod_exp(r, a, e, m, pool);
}

ZLC_API uint32_t ZLC_Mod_Inverse_BIGINT(BIGINT* r, const BIGINT* a, const BIGINT* m,
                                        BIGINT_POOL* pool) ZLC_NOEXCEPT {
    return mod_inverse(r, a, m, pool);
}

}  // extern "C"
