// Addition, subtraction, single-word operations and shifts.
#include <cstring>
#include <utility>

#include "crypto/bigint/bigint.h"
#include "crypto/bigint/words.h"

namespace zlc::bigint {
namespace {

constexpr Status kAddNull = st(op::kAdd, REASON_NULL_ARGUMENT);
constexpr Status kAddGrowth = st(op::kAdd, REASON_OPERAND_TOO_LARGE);
constexpr Status kSubNull = st(op::kSub, REASON_NULL_ARGUMENT);
constexpr Status kSubFailed = st(op::kSub, REASON_OPERAND_TOO_LARGE);
constexpr Status kAddWordNull = st(op::kAddWord, REASON_NULL_ARGUMENT);
constexpr Status kAddWordGrowth = st(op::kAddWord, REASON_GROWTH_FAILED);
constexpr Status kAddWordSet = st(op::kAddWord, REASON_SET_WORD_FAILED);
constexpr Status kSubWordNull = st(op::kSubWord, REASON_NULL_ARGUMENT);
constexpr Status kSubWordSet = st(op::kSubWord, REASON_SET_WORD_FAILED);
constexpr Status kSubWordStatic = st(op::kSubWord, REASON_GROWTH_FAILED);
constexpr Status kMtpWordNull = st(op::kMtpWord, REASON_NULL_ARGUMENT);
constexpr Status kMtpWordGrowth = st(op::kMtpWord, REASON_GROWTH_FAILED);
constexpr Status kLeftShiftNull = st(op::kLeftShift, REASON_NULL_ARGUMENT);
constexpr Status kLeftShiftGrowth = st(op::kLeftShift, REASON_GROWTH_FAILED);
constexpr Status kRightShiftNull = st(op::kRightShift, REASON_NULL_ARGUMENT);
constexpr Status kRightShiftGrowth = st(op::kRightShift, REASON_GROWTH_FAILED);

constexpr std::uint32_t kWordFailed = 0xFFFFFFFFu;

}  // namespace

Status left_shift(BIGINT* r, const BIGINT* a, std::int32_t k) noexcept {
    if (r == nullptr || a == nullptr || k < 0) return kLeftShiftNull;
    if (!writable(r)) return kLeftShiftGrowth;
    if (is_zero(a)) {
        r->length = 0;
        return kOk;
    }
    const std::int32_t nw = k / 32;
    const std::int32_t nb = k % 32;
    const std::int32_t len = a->length;
    if (!grow(r, static_cast<std::int64_t>(len) + nw + 1)) return kLeftShiftGrowth;
    std::uint32_t* w = r->words;
    const std::uint32_t* s = a->words;  // may equal w: the copy runs from the top down
    if (nb == 0) {
        w[len + nw] = 0;
        for (std::int32_t i = len - 1; i >= 0; --i) w[i + nw] = s[i];
    } else {
        w[len + nw] = s[len - 1] >> (32 - nb);
        for (std::int32_t i = len - 1; i > 0; --i)
            w[i + nw] = (s[i] << nb) | (s[i - 1] >> (32 - nb));
        w[nw] = s[0] << nb;
    }
    std::memset(w, 0, static_cast<std::size_t>(nw) * 4);
    r->length = len + nw + 1;
    normalise(r);
    return kOk;
}

Status right_shift(BIGINT* r, const BIGINT* a, std::int32_t k) noexcept {
    if (r == nullptr || a == nullptr || k < 0) return kRightShiftNull;
    const std::int32_t nw = k / 32;
    const std::int32_t nb = k % 32;
    if (!writable(r)) return kRightShiftGrowth;
    if (nw >= a->length) {
        r->length = 0;
        return kOk;
    }
    const std::int32_t len = a->length - nw;
    if (!grow(r, len)) return kRightShiftGrowth;
    std::uint32_t* w = r->words;
    const std::uint32_t* s = a->words + nw;  // reads run ahead of writes when r is a
    if (nb == 0) {
        std::memmove(w, s, static_cast<std::size_t>(len) * 4);
    } else {
        for (std::int32_t i = 0; i + 1 < len; ++i) w[i] = (s[i] >> nb) | (s[i + 1] << (32 - nb));
        w[len - 1] = s[len - 1] >> nb;
    }
    r->length = len;
    normalise(r);
    return kOk;
}

Status add(BIGINT* r, const BIGINT* a, const BIGINT* b) noexcept {
    if (r == nullptr || a == nullptr || b == nullptr) return kAddNull;
    if (a->length < b->length) std::swap(a, b);
    const std::int32_t al = a->length;
    const std::int32_t bl = b->length;
    if (!grow(r, static_cast<std::int64_t>(al) + 1)) return kAddGrowth;
    std::uint32_t carry = words::add_n(r->words, a->words, b->words, bl);
    for (std::int32_t i = bl; i < al; ++i) {
        const std::uint32_t s = a->words[i] + carry;
        carry = (carry != 0 && s == 0) ? 1 : 0;
        r->words[i] = s;
    }
    r->words[al] = carry;
    r->length = al + static_cast<std::int32_t>(carry);
    return kOk;
}

Status sub(BIGINT* r, const BIGINT* a, const BIGINT* b, BIGINT_POOL*) noexcept {
    if (r == nullptr || a == nullptr || b == nullptr) return kSubNull;
    const std::int32_t al = a->length;
    const std::int32_t bl = b->length;
    if (bl > al || !grow(r, al)) return kSubFailed;
    std::uint32_t borrow = words::sub_n(r->words, a->words, b->words, bl);
    for (std::int32_t i = bl; i < al; ++i) {
        const std::uint32_t x = a->words[i];
        r->words[i] = x - borrow;
        borrow = (borrow != 0 && x == 0) ? 1 : 0;
    }
    if (borrow != 0) return kSubFailed;
    r->length = al;
    normalise(r);
    return kOk;
}

Status add_word(BIGINT* n, std::uint32_t w) noexcept {
    if (n == nullptr) return kAddWordNull;
    if (w == 0) return kOk;
    if (is_zero(n)) return set_word(n, w) == kOk ? kOk : kAddWordSet;
    if (!writable(n)) return kAddWordGrowth;
    const std::int32_t len = n->length;
    // A carry leaves the top when the top word is full, or when it is word 0 and overflows.
    const bool may_carry =
        n->words[len - 1] == 0xFFFFFFFFu || (len == 1 && n->words[0] > 0xFFFFFFFFu - w);
    if (may_carry && !grow(n, static_cast<std::int64_t>(len) + 1)) return kAddWordGrowth;
    const std::uint32_t carry = words::add_1(n->words, len, w);
    if (carry != 0) {
        n->words[len] = carry;
        n->length = len + 1;
    }
    return kOk;
}

Status sub_word(BIGINT* n, std::uint32_t w) noexcept {
    if (n == nullptr) return kSubWordNull;
    if (w == 0) return kOk;
    if (is_zero(n)) return set_word(n, w) == kOk ? kOk : kSubWordSet;
    if (!writable(n)) return kSubWordStatic;
    if (n->length == 1 && n->words[0] < w) {
        n->words[0] = w - n->words[0];
        return kOk;
    }
    (void)words::sub_1(n->words, n->length, w);
    normalise(n);
    return kOk;
}

Status mtp_word(BIGINT* n, std::uint32_t w) noexcept {
    if (n == nullptr) return kMtpWordNull;
    if (is_zero(n)) return kOk;
    if (!writable(n)) return kMtpWordGrowth;
    if (w == 0) {
        n->length = 0;
        return kOk;
    }
    const std::int32_t len = n->length;
    const std::uint32_t carry = words::mul_1(n->words, n->words, len, w);
    if (carry != 0) {
        if (!grow(n, static_cast<std::int64_t>(len) + 1)) return kMtpWordGrowth;
        n->words[len] = carry;
        n->length = len + 1;
    }
    return kOk;
}

std::uint32_t div_word(BIGINT* n, std::uint32_t w) noexcept {
    if (n == nullptr || w == 0) return kWordFailed;
    if (is_zero(n)) return 0;
    // Normalise so the divisor's top bit is set; quotient digits then come from 64/32 divisions.
    const std::int32_t s = 32 - word_bits(w);
    if (left_shift(n, n, s) != kOk) return kWordFailed;
    const std::uint64_t d = static_cast<std::uint64_t>(w) << s;
    std::uint64_t rem = 0;
    for (std::int32_t i = n->length - 1; i >= 0; --i) {
        const std::uint64_t cur = (rem << 32) | n->words[i];
        n->words[i] = static_cast<std::uint32_t>(cur / d);
        rem = cur % d;
    }
    normalise(n);
    return static_cast<std::uint32_t>(rem >> s);
}

std::uint32_t mod_word(const BIGINT* n, std::uint32_t w) noexcept {
    if (n == nullptr || w == 0) return kWordFailed;
    std::uint64_t rem = 0;
    for (std::int32_t i = n->length - 1; i >= 0; --i) rem = ((rem << 32) | n->words[i]) % w;
    return static_cast<std::uint32_t>(rem);
}

}  // namespace zlc::bigint

using namespace zlc::bigint;

extern "C" {

ZLC_API uint32_t ZLC_Add_BIGINT(BIGINT* r, const BIGINT* a, const BIGINT* b) ZLC_NOEXCEPT {
    return add(r, a, b);
}

ZLC_API uint32_t ZLC_Sub_BIGINT(BIGINT* r, const BIGINT* a, const BIGINT* b,
                                BIGINT_POOL* pool) ZLC_NOEXCEPT {
    return sub(r, a, b, pool);
}

ZLC_API uint32_t ZLC_Add_BIGINT_Word(BIGINT* n, uint32_t w) ZLC_NOEXCEPT {
    return add_word(n, w);
}

ZLC_API uint32_t ZLC_Sub_BIGINT_Word(BIGINT* n, uint32_t w) ZLC_NOEXCEPT {
    return sub_word(n, w);
}

ZLC_API uint32_t ZLC_Mtp_BIGINT_Word(BIGINT* n, uint32_t w) ZLC_NOEXCEPT {
    return mtp_word(n, w);
}

ZLC_API uint32_t ZLC_Div_BIGINT_Word(BIGINT* n, uint32_t w) ZLC_NOEXCEPT {
    return div_word(n, w);
}

ZLC_API uint32_t ZLC_Mod_BIGINT_Word(const BIGINT* n, uint32_t w) ZLC_NOEXCEPT {
    return mod_word(n, w);
}

}  // extern "C"
