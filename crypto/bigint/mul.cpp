// Multiplication and squaring: column-wise products for 8 words (and 4- and 8-word squares),
// schoolbook below 16 words, Karatsuba from 16 words when the word counts differ by at most one
// (Knuth, TAOCP vol. 2, 4.3.3; the unbalanced split follows the usual "part recursive" scheme).
#include <bit>
#include <cstring>
#include <utility>

#include "crypto/bigint/bigint.h"
#include "crypto/bigint/words.h"

namespace zlc::bigint {
namespace {

using words::u32;

constexpr Status kMtpNull = st(op::kMtp, REASON_NULL_ARGUMENT);
constexpr Status kMtpNoPool = st(op::kMtp, REASON_NO_POOL);
constexpr Status kMtpScratch = st(op::kMtp, REASON_ALLOC_FAILED_B);
constexpr Status kMtpGrowth = st(op::kMtp, REASON_GROWTH_FAILED);
constexpr Status kMtpCopy = st(op::kMtp, REASON_COPY_FAILED);
constexpr Status kMtpZeroNull = st(op::kMtp, REASON_SET_WORD_FAILED);
constexpr Status kSqrNull = st(op::kSqr, REASON_NULL_ARGUMENT);
constexpr Status kSqrNoPool = st(op::kSqr, REASON_NO_POOL);
constexpr Status kSqrScratch = st(op::kSqr, REASON_POOL_FAILED);
constexpr Status kSqrGrowth = st(op::kSqr, REASON_GROWTH_FAILED);
constexpr Status kSqrCopy = st(op::kSqr, REASON_COPY_FAILED);

void zero_words(u32* r, int from, int to) {
    if (to > from) std::memset(r + from, 0, static_cast<std::size_t>(to - from) * 4);
}

// r[0..n) = |x - y| for x of xn words and y of yn words (xn, yn <= n); returns 1 when x < y.
int abs_diff(u32* r, const u32* x, int xn, const u32* y, int yn, int n) {
    const bool swapped = words::cmp_part(x, xn, y, yn) < 0;
    if (swapped) {
        std::swap(x, y);
        std::swap(xn, yn);
    }
    // The larger may be the shorter only when the words the smaller has beyond it are zero.
    const int common = xn < yn ? xn : yn;
    u32 borrow = words::sub_n(r, x, y, common);
    for (int i = common; i < n; ++i) {
        const u32 xi = i < xn ? x[i] : 0;
        const u32 yi = i < yn ? y[i] : 0;
        const std::uint64_t d = static_cast<std::uint64_t>(xi) - yi - borrow;
        r[i] = static_cast<u32>(d);
        borrow = static_cast<u32>((d >> 32) & 1);
    }
    return swapped ? 1 : 0;
}

bool all_zero(const u32* x, int n) {
    for (int i = 0; i < n; ++i) {
        if (x[i] != 0) return false;
    }
    return true;
}

// Schoolbook product of the actual lengths into r, zero-filled up to `width` words.
void schoolbook(u32* r, const u32* a, int al, const u32* b, int bl, int width) {
    if (al > 0 && bl > 0) {
        words::mul_basecase(r, a, al, b, bl);
        zero_words(r, al + bl, width);
    } else {
        zero_words(r, 0, width);
    }
}

// Adds low + high -/+ middle (t holds the middle product at t[2n..4n)) into r at word n.
void combine(u32* r, u32* t, int n, bool middle_zero, bool subtract) {
    int carry = static_cast<int>(words::add_n(t, r, r + 2 * n, 2 * n));
    if (!middle_zero) {
        if (subtract) {
            carry -= static_cast<int>(words::sub_n(t, t, t + 2 * n, 2 * n));
        } else {
            carry += static_cast<int>(words::add_n(t, t, t + 2 * n, 2 * n));
        }
    }
    carry += static_cast<int>(words::add_n(r + n, r + n, t, 2 * n));
    // The middle term a0*b1 + a1*b0 is never negative, so the carry is too.
    (void)words::add_1(r + 3 * n, n, static_cast<u32>(carry));
}

void karatsuba(u32* r, const u32* a, const u32* b, int s, int da, int db, u32* t);

// One of the three half-size products.
void half_product(u32* r, const u32* a, const u32* b, int n, int da, int db, u32* t) {
    if (n == 4 && da == 0 && db == 0) {
        words::mul_comba4(r, a, b);
    } else if (n == 8 && da == 0 && db == 0) {
        words::mul_comba8(r, a, b);
    } else {
        karatsuba(r, a, b, n, da, db, t);
    }
}

// r[0..2s) = a * b where a has s + da and b has s + db words (da, db <= 0); t is scratch of 4s.
void karatsuba(u32* r, const u32* a, const u32* b, int s, int da, int db, u32* t) {
    if (s == 8 && da == 0 && db == 0) {
        words::mul_comba8(r, a, b);
        return;
    }
    if (s < 16) {
        schoolbook(r, a, s + da, b, s + db, 2 * s);
        return;
    }
    const int n = s / 2;
    // Middle term (a0 - a1)(b1 - b0): negative exactly when one of the differences is.
    const int neg = abs_diff(t, a, n, a + n, n + da, n) ^ abs_diff(t + n, b + n, n + db, b, n, n);
    const bool zero = all_zero(t, n) || all_zero(t + n, n);
    if (!zero) half_product(t + 2 * n, t, t + n, n, 0, 0, t + 4 * n);
    half_product(r, a, b, n, 0, 0, t + 4 * n);
    half_product(r + 2 * n, a + n, b + n, n, da, db, t + 4 * n);
    combine(r, t, n, zero, neg != 0);
}

// r[0..4n) = a * b where a has n + tna and b has n + tnb words (0 <= tna, tnb <= n, differing by at
// most one); t is scratch of 8n.
void karatsuba_part(u32* r, const u32* a, const u32* b, int n, int tna, int tnb, u32* t) {
    if (n < 8) {
        schoolbook(r, a, n + tna, b, n + tnb, 4 * n);
        return;
    }
    const int neg = abs_diff(t, a, n, a + n, tna, n) ^ abs_diff(t + n, b + n, tnb, b, n, n);
    const bool zero = all_zero(t, n) || all_zero(t + n, n);
    if (n == 8) {
        if (!zero) words::mul_comba8(t + 2 * n, t, t + n);
        words::mul_comba8(r, a, b);
        schoolbook(r + 2 * n, a + n, tna, b + n, tnb, 2 * n);
    } else {
        if (!zero) karatsuba(t + 2 * n, t, t + n, n, 0, 0, t + 4 * n);
        karatsuba(r, a, b, n, 0, 0, t + 4 * n);
        zero_words(r, 2 * n, 4 * n);
        const int longer = tna > tnb ? tna : tnb;
        int i = n / 2;
        if (longer == i) {
            karatsuba(r + 2 * n, a + n, b + n, i, tna - i, tnb - i, t + 4 * n);
        } else if (longer > i) {
            karatsuba_part(r + 2 * n, a + n, b + n, i, tna - i, tnb - i, t + 4 * n);
        } else if (tna < 16 && tnb < 16) {
            schoolbook(r + 2 * n, a + n, tna, b + n, tnb, 2 * n);
        } else {
            // Halve until the size no longer exceeds the longer upper part; a size equal to it is
            // balanced (deficits 0 or -1), a smaller one leaves both parts at least that long.
            while (i > longer) i /= 2;
            if (i == longer) {
                karatsuba(r + 2 * n, a + n, b + n, i, tna - i, tnb - i, t + 4 * n);
            } else {
                karatsuba_part(r + 2 * n, a + n, b + n, i, tna - i, tnb - i, t + 4 * n);
            }
        }
    }
    combine(r, t, n, zero, neg != 0);
}

// r[0..2s) = a^2 for s words; t is scratch of 4s.
void karatsuba_square(u32* r, const u32* a, int s, u32* t) {
    if (s == 4) {
        words::sqr_comba4(r, a);
        return;
    }
    if (s == 8) {
        words::sqr_comba8(r, a);
        return;
    }
    if (s < 16) {
        words::sqr_basecase(r, a, s);
        return;
    }
    const int n = s / 2;
    (void)abs_diff(t, a, n, a + n, n, n);
    const bool zero = all_zero(t, n);
    if (!zero) karatsuba_square(t + 2 * n, t, n, t + 4 * n);
    karatsuba_square(r, a, n, t + 4 * n);
    karatsuba_square(r + 2 * n, a + n, n, t + 4 * n);
    combine(r, t, n, zero, true);
}

}  // namespace

Status mtp(BIGINT* r, const BIGINT* a, const BIGINT* b, BIGINT_POOL* pool) noexcept {
    if (a == nullptr || b == nullptr) return kMtpNull;
    if (is_zero(a) || is_zero(b)) return set_word(r, 0) == kOk ? kOk : kMtpZeroNull;
    if (r == nullptr) return kMtpNull;
    if (pool == nullptr) return kMtpNoPool;
    PoolFrame frame(pool);
    BIGINT* work = (r == a || r == b) ? frame.take() : r;
    if (work == nullptr || !frame.open()) return kMtpScratch;
    const int al = a->length;
    const int bl = b->length;
    if (al == 8 && bl == 8) {
        if (!grow(work, 16)) return kMtpGrowth;
        words::mul_comba8(work->words, a->words, b->words);
    } else if (al < 16 || bl < 16 || al - bl > 1 || bl - al > 1) {
        if (!grow(work, static_cast<std::int64_t>(al) + bl)) return kMtpGrowth;
        words::mul_basecase(work->words, a->words, al, b->words, bl);
    } else {
        const int k = static_cast<int>(std::bit_floor(static_cast<unsigned>(al > bl ? al : bl)));
        BIGINT* scratch = frame.take();
        if (scratch == nullptr) return kMtpScratch;
        if (al > k || bl > k) {
            if (!grow(scratch, 8LL * k) || !grow(work, 8LL * k)) return kMtpGrowth;
            karatsuba_part(work->words, a->words, b->words, k, al - k, bl - k, scratch->words);
        } else {
            if (!grow(scratch, 4LL * k) || !grow(work, 4LL * k)) return kMtpGrowth;
            karatsuba(work->words, a->words, b->words, k, al - k, bl - k, scratch->words);
        }
    }
    work->length = al + bl;
    normalise(work);
    if (work != r && copy(r, work) != kOk) return kMtpCopy;
    return kOk;
}

Status sqr(BIGINT* r, const BIGINT* a, BIGINT_POOL* pool) noexcept {
    if (a == nullptr || r == nullptr) return kSqrNull;
    if (!writable(r)) return kSqrGrowth;
    if (is_zero(a)) {
        r->length = 0;
        return kOk;
    }
    if (pool == nullptr) return kSqrNoPool;
    PoolFrame frame(pool);
    BIGINT* work = r == a ? frame.take() : r;
    if (work == nullptr || !frame.open()) return kSqrScratch;
    const int al = a->length;
    if (!grow(work, 2LL * al)) return kSqrGrowth;
    if (al == 4) {
        words::sqr_comba4(work->words, a->words);
    } else if (al == 8) {
        words::sqr_comba8(work->words, a->words);
    } else if (al >= 16 && std::has_single_bit(static_cast<unsigned>(al))) {
        BIGINT* scratch = frame.take();
        if (scratch == nullptr) return kSqrScratch;
        if (!grow(scratch, 4LL * al)) return kSqrGrowth;
        karatsuba_square(work->words, a->words, al, scratch->words);
    } else {
        words::sqr_basecase(work->words, a->words, al);
    }
    work->length = 2 * al - (a->words[al - 1] < 0x10000u ? 1 : 0);
    if (work != r && copy(r, work) != kOk) return kSqrCopy;
    return kOk;
}

}  // namespace zlc::bigint

using namespace zlc::bigint;

extern "C" {

ZLC_API uint32_t ZLC_Mtp_BIGINT(BIGINT* r, const BIGINT* a, const BIGINT* b,
                                BIGINT_POOL* pool) ZLC_NOEXCEPT {
    return mtp(r, a, b, pool);
}

ZLC_API uint32_t ZLC_Sqr_BIGINT(BIGINT* r, const BIGINT* a, BIGINT_POOL* pool) ZLC_NOEXCEPT {
    return sqr(r, a, pool);
}

}  // extern "C"
