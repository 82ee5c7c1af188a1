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
    if (ZLC_Copy_BIGINT(x, a) != kOk || ZLC_Copy_BIGINT(y, b) != kOk) return kGcdCopy;
    if (ZLC_Cmp_BIGINT(x, y) < 0) std::swap(x, y);
    std::int32_t shifts = 0;
    while (!is_zero(y)) {
        const bool x_odd = is_odd(x);
        const bool y_odd = is_odd(y);
        bool ok = true;
        if (x_odd && y_odd) {
            ok = ZLC_Sub_BIGINT(x, x, y, pool) == kOk && right_shift(x, x, 1) == kOk;
        } else if (x_odd) {
            ok = right_shift(y, y, 1) == kOk;
        } else if (y_odd) {
            ok = right_shift(x, x, 1) == kOk;
        } else {
            ok = right_shift(x, x, 1) == kOk && right_shift(y, y, 1) == kOk;
            ++shifts;
        }
        if (!ok) return kGcdLoop;
        if (ZLC_Cmp_BIGINT(x, y) < 0) std::swap(x, y);
    }
    if (left_shift(x, x, shifts) != kOk) return kGcdLoop;
    return ZLC_Copy_BIGINT(r, x) == kOk ? kOk : kGcdCopy;
}

}  // namespace zlc::bigint

using namespace zlc;
using namespace zlc::bigint;

extern "C" {

ZLC_API uint32_t ZLC_Mod_Sub_BIGINT(BIGINT* r, const BIGINT* a, const BIGINT* b, const BIGINT* m,
                                    BIGINT_POOL*) ZLC_NOEXCEPT {
    if (r == nullptr || a == nullptr || b == nullptr || m == nullptr) return kModSubNull;
    OwnedBigint ar, br, diff;
    if (ar.get() == nullptr || br.get() == nullptr || diff.get() == nullptr) return kModSubAlloc;
    // Inner failures are reported: a silently wrong difference would, in a CRT step, leak the key.
    if (const Status s = ZLC_Div_BIGINT(nullptr, ar.get(), a, m, nullptr); s != kOk) return s;
    if (const Status s = ZLC_Div_BIGINT(nullptr, br.get(), b, m, nullptr); s != kOk) return s;
    const int order = ZLC_Cmp_BIGINT(ar.get(), br.get());
    if (order > 0) return ZLC_Sub_BIGINT(r, ar.get(), br.get(), nullptr);
    if (order == 0) return ZLC_Set_BIGINT_Word(r, 0);
    if (const Status s = ZLC_Sub_BIGINT(diff.get(), br.get(), ar.get(), nullptr); s != kOk) return s;
    return ZLC_Sub_BIGINT(r, m, diff.get(), nullptr);
}

ZLC_API uint32_t ZLC_Mod_Mtp_BIGINT(BIGINT* r, const BIGINT* a, const BIGINT* b, const BIGINT* m,
                                    BIGINT_POOL* pool) ZLC_NOEXCEPT {
    if (pool == nullptr) return kModMtpNoPool;
    if (r == nullptr || a == nullptr || b == nullptr || m == nullptr) return kModMtpNull;
    PoolFrame frame(pool);
    BIGINT* t = frame.take();
    if (t == nullptr) return kModMtpScratch;
    if (a == b) {
        if (ZLC_Sqr_BIGINT(t, a, pool) != kOk) return kModMtpSquare;
    } else if (ZLC_Mtp_BIGINT(t, a, b, pool) != kOk) {
        return kModMtpMultiply;
    }
    return ZLC_Div_BIGINT(nullptr, r, t, m, pool) == kOk ? kOk : kModMtpReduce;
}

ZLC_API uint32_t ZLC_Mod_Exp_BIGINT(BIGINT* r, const BIGINT* a, const BIGINT* e, const BIGINT* m,
                                    BIGINT_POOL* pool) ZLC_NOEXCEPT {
    if (e == nullptr || is_zero(e)) return ZLC_Set_BIGINT_Word(r, 1) == kOk ? kOk : kModExpSet;
    if (r == nullptr || a == nullptr || m == nullptr) return kModExpNull;
    PrivatePool owner(pool);
    if (owner.get() == nullptr) return kModExpNoPool;
    BIGINT_POOL* p = owner.get();
    PoolFrame frame(p);
    BIGINT* slots[kMaxSlots] = {};
    BIGINT* d = nullptr;
    BIGINT* acc = nullptr;
    if (!frame.take_all(slots[0], d, acc)) return kModExpScratch;
    if (ZLC_Div_BIGINT(nullptr, slots[0], a, m, p) != kOk) return kModExpReduce;
    if (is_zero(slots[0])) return ZLC_Set_BIGINT_Word(r, 0) == kOk ? kOk : kModExpSet;

    const int w = window_bits(ZLC_Get_BIGINT_Bits_Length(e));
    if (w > 1) {
        if (ZLC_Mod_Mtp_BIGINT(d, slots[0], slots[0], m, p) != kOk) return kModExpMultiply;
        for (int i = 1; i < (1 << (w - 1)); ++i) {
            if ((slots[i] = frame.take()) == nullptr) return kModExpScratch;
            if (ZLC_Mod_Mtp_BIGINT(slots[i], slots[i - 1], d, m, p) != kOk) return kModExpMultiply;
        }
    }
    // The accumulator is a pool record, so r may be the same record as an operand.
    if (ZLC_Set_BIGINT_Word(acc, 1) != kOk) return kModExpSet;
    const bool ok = sliding_window(
        e, w, [&] { return ZLC_Mod_Mtp_BIGINT(acc, acc, acc, m, p) == kOk; },
        [&](std::uint32_t slot) { return ZLC_Mod_Mtp_BIGINT(acc, acc, slots[slot], m, p) == kOk; });
    if (!ok) return kModExpMultiply;
    return ZLC_Copy_BIGINT(r, acc) == kOk ? kOk : kModExpSet;
}

ZLC_API uint32_t ZLC_Mod_Inverse_BIGINT(BIGINT* r, const BIGINT* a, const BIGINT* m, BIGINT_POOL* pool) ZLC_NOEXCEPT {
    if (pool == nullptr) return kInvNoPool;
    if (r == nullptr || a == nullptr || m == nullptr) return kInvNull;
    PoolFrame frame(pool);
    BIGINT *X = nullptr, *Y = nullptr, *B = nullptr, *A = nullptr, *D = nullptr, *M = nullptr, *T = nullptr;
    if (!frame.take_all(X, Y, B, A, D, M, T)) return kInvScratch;
    if (ZLC_Set_BIGINT_Word(X, 1) != kOk || ZLC_Set_BIGINT_Word(Y, 0) != kOk) return kInvNone;
    if (ZLC_Copy_BIGINT(B, a) != kOk || ZLC_Copy_BIGINT(A, m) != kOk) return kInvCopy;
    if (ZLC_Cmp_BIGINT(B, A) >= 0 && ZLC_Div_BIGINT(nullptr, B, B, A, pool) != kOk) return kInvReduce;
    int sign = -1;
    while (!is_zero(B)) {
        if (ZLC_Div_BIGINT(D, M, A, B, pool) != kOk) return kInvDivide;
        if (ZLC_Mtp_BIGINT(T, D, X, pool) != kOk) return kInvMultiply;
        if (ZLC_Add_BIGINT(T, T, Y) != kOk) return kInvAdd;
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
    if (sign < 0 && ZLC_Sub_BIGINT(Y, m, Y, pool) != kOk) return kInvSubtract;
    if (ZLC_Cmp_BIGINT(A, ZLC_Value_One_BIGINT()) != 0) return kInvNone;
    if (ZLC_Cmp_BIGINT(Y, m) < 0) return ZLC_Copy_BIGINT(r, Y) == kOk ? kOk : kInvCopy;
    return ZLC_Div_BIGINT(nullptr, r, Y, m, pool) == kOk ? kOk : kInvReduce;
}

}  // extern "C"
