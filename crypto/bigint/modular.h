#pragma once
// Internal modular routines shared with the prime, public-key and random-number code.
#include <cstdint>

#include "crypto/bigint/bigint.h"
#include "crypto/core/status.h"
#include "zlc.h"

namespace zlc::bigint {

// Montgomery context for one odd modulus N (R = 2^r_bits).
struct BIGINT_MONT {
    std::int32_t r_bits;         // 32 x the word count of N
    BIGINT r_squared;            // R^2 mod N
    BIGINT modulus;              // a copy of N
    std::uint32_t word_inverse;  // -N^-1 mod 2^32
};

// r = gcd(a, b) (Stein's binary method).
[[nodiscard]] Status gcd(BIGINT* r, BIGINT_POOL* pool, const BIGINT* a, const BIGINT* b) noexcept;

// Fills a context whose integers were prepared with init. An even or zero N is refused.
[[nodiscard]] Status mont_setup(BIGINT_POOL* pool, BIGINT_MONT* ctx, const BIGINT* n) noexcept;
// r = a * b * R^-1 mod N for a, b < N (squares when a and b are the same record).
[[nodiscard]] Status mont_mul(BIGINT_POOL* pool, const BIGINT* a, BIGINT* r, const BIGINT* b,
                              const BIGINT_MONT* ctx) noexcept;
// r = t * R^-1 mod N for t < N * R.
[[nodiscard]] Status mont_reduce(BIGINT* r, const BIGINT* t, const BIGINT_MONT* ctx,
                                 BIGINT_POOL* pool) noexcept;

// Exponent window width for an exponent of `bits` bits.
int window_bits(std::int32_t bits) noexcept;

// The left-to-right sliding-window scan shared by both exponentiations: `square(acc)` and
// `multiply(acc, slot_index)` return false on failure; slots hold the odd powers 1, 3, 5, ...
template <class Square, class Multiply>
bool sliding_window(const BIGINT* e, int w, Square square, Multiply multiply) {
    std::int32_t i = get_bits_length(e) - 1;
    bool start = true;
    while (i >= 0) {
        if (is_bit_set(e, i) == 0) {
            if (!start && !square()) return false;
            --i;
            continue;
        }
        // The longest run of at most w bits from bit i down that ends in a set bit.
        std::uint32_t value = 1;
        std::int32_t end = 0;
        for (std::int32_t j = 1; j < w && i - j >= 0; ++j) {
            if (is_bit_set(e, i - j) != 0) {
                value = (value << (j - end)) | 1u;
                end = j;
            }
        }
        if (!start) {
            for (std::int32_t k = 0; k <= end; ++k) {
                if (!square()) return false;
            }
        }
        if (!multiply(value >> 1)) return false;
        i -= end + 1;
        start = false;
    }
    return true;
}

}  // namespace zlc::bigint
