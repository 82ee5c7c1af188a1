// Long division in base 2^32 with normalisation (Knuth, TAOCP vol. 2, 4.3.1, Algorithm D).
#include <cstring>

#include "crypto/bigint/bigint.h"
#include "crypto/bigint/words.h"

namespace zlc::bigint {
namespace {

using words::u32;
using words::u64;

constexpr Status kDivNull = st(op::kDiv, REASON_NULL_ARGUMENT);
constexpr Status kDivByZero = st(op::kDiv, REASON_OPERAND_TOO_LARGE);
constexpr Status kDivShift = st(op::kDiv, REASON_SHIFT_FAILED);
constexpr Status kDivAlloc = st(op::kDiv, REASON_ALLOC_FAILED);

// Scratch records from the caller's pool, or heap records released with the scope.
class Scratch {
  public:
    explicit Scratch(BIGINT_POOL* pool) noexcept : frame_(pool), pooled_(pool != nullptr) {}
    ~Scratch() {
        for (BIGINT* n : heap_) (void)free(n);
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    BIGINT* take() noexcept {
        if (pooled_) return frame_.take();
        BIGINT* n = new_bigint();
        if (n != nullptr) heap_[count_++] = n;
        return n;
    }

  private:
    PoolFrame frame_;
    bool pooled_;
    BIGINT* heap_[3] = {};
    int count_ = 0;
};

// The quotient digit for the window whose top words are u0, u1, u2, refined with the divisor's
// top two words d0, d1 so that it is at most one too large.
u32 estimate_digit(u32 u0, u32 u1, u32 u2, u32 d0, u32 d1) {
    if (u0 == d0) return 0xFFFFFFFFu;
    const u64 top = (static_cast<u64>(u0) << 32) | u1;
    u32 q = static_cast<u32>(top / d0);
    u32 rem = static_cast<u32>(u1 - q * d0);
    for (;;) {
        const u64 t = static_cast<u64>(d1) * q;
        const u32 t_hi = static_cast<u32>(t >> 32);
        const u32 t_lo = static_cast<u32>(t);
        if (t_hi < rem || (t_hi == rem && t_lo <= u2)) break;
        --q;
        const u32 before = rem;
        rem += d0;
        if (rem < before) break;  // rem passed 2^32: the estimate is now certainly small enough
    }
    return q;
}

}  // namespace

Status div(BIGINT* quotient, BIGINT* remainder, const BIGINT* a, const BIGINT* d,
           BIGINT_POOL* pool) noexcept {
    if (a == nullptr || d == nullptr) return kDivNull;
    if (is_zero(d)) return kDivByZero;
    // Refused before any work, so neither output is changed.
    if ((quotient != nullptr && !writable(quotient)) ||
        (remainder != nullptr && !writable(remainder)))
        return kDivAlloc;
    Scratch scratch(pool);
    BIGINT* snum = scratch.take();
    BIGINT* sdiv = scratch.take();
    BIGINT* quot = scratch.take();
    if (snum == nullptr || sdiv == nullptr || quot == nullptr) return kDivAlloc;

    // norm is 1..32: a divisor whose bit length is a multiple of 32 still shifts by a whole word.
    const std::int32_t norm = 32 - get_bits_length(d) % 32;
    if (left_shift(sdiv, d, norm) != kOk || left_shift(snum, a, norm + 32) != kOk) return kDivShift;

    const int dn = sdiv->length;
    const int extended = snum->length <= dn + 1 ? dn + 2 : snum->length + 1;
    if (!grow(snum, extended)) return kDivAlloc;
    std::memset(snum->words + snum->length, 0,
                static_cast<std::size_t>(extended - snum->length) * 4);
    snum->length = extended;

    const int loop = extended - dn;
    if (!grow(quot, loop - 1)) return kDivAlloc;
    const u32 d0 = sdiv->words[dn - 1];
    const u32 d1 = dn > 1 ? sdiv->words[dn - 2] : 0;
    for (int i = loop - 2; i >= 0; --i) {
        // The window is snum[i + 1 .. i + 1 + dn]; the word below it serves the estimate.
        u32* window = snum->words + i + 1;
        u32 q = estimate_digit(window[dn], window[dn - 1], window[dn - 2], d0, d1);
        const u32 borrow = words::submul_1(window, sdiv->words, dn, q);
        const u32 top = window[dn];
        window[dn] = top - borrow;
        if (top < borrow) {
            --q;
            window[dn] += words::add_n(window, window, sdiv->words, dn);
        }
        quot->words[i] = q;
    }
    quot->length = loop - 1;
    normalise(quot);
    snum->length = extended;
    normalise(snum);

    if (remainder != nullptr && right_shift(remainder, snum, norm + 32) != kOk) return kDivAlloc;
    if (quotient != nullptr) {
        swap(quotient, quot);
    }
    return kOk;
}

}  // namespace zlc::bigint

using namespace zlc::bigint;

extern "C" {

ZLC_API uint32_t ZLC_Div_BIGINT(BIGINT* quotient, BIGINT* remainder, const BIGINT* a,
                                const BIGINT* d, BIGINT_POOL* pool) ZLC_NOEXCEPT {
    return div(quotient, remainder, a, d, pool);
}

}  // extern "C"
