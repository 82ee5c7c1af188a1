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

// r = a^e mod m for an odd m and a secret exponent, with the results and statuses of
// ZLC_Mod_Exp_Mont_BIGINT on every input (a null or zero e gives 1, an even or zero m 0x040A0052),
// and 0x040A002B for a negative exponent_bits. r may be any operand; a null pool makes a private
// one; the scratch is wiped before return.
// The exponent is scanned over exponent_bits bits rounded up to whole words (the caller fixes it:
// the bit length of the modulus or of the group order), or over all its words if it has more. A
// fixed window reads every table entry and keeps the wanted one by masks; products and their final
// subtractions take no branch and no address from a value; the result's length is found by masks.
// Not hidden: the word counts of m, a and e, whether e is zero, and m and a themselves (R^2 mod m
// and a base at or above m go through the ordinary division).
[[nodiscard]] Status mod_exp_mont_consttime(BIGINT* r, const BIGINT* a, const BIGINT* e,
                                            std::int32_t exponent_bits, const BIGINT* m,
                                            BIGINT_POOL* pool) noexcept;

// r1 = a1^e1 mod m1 and r2 = a2^e2 mod m2 with both exponents scanned over exponent_bits: the
// constant-time exponentiation twice, as one interleaved pass where the processor allows it (the
// two CRT halves of an RSA private-key operation). The results are those of two calls; the first
// failing status is returned. r1 and r2 must be distinct from every operand of the other side.
[[nodiscard]] Status mod_exp_mont_consttime_x2(BIGINT* r1, const BIGINT* a1, const BIGINT* e1,
                                               const BIGINT* m1, BIGINT* r2, const BIGINT* a2,
                                               const BIGINT* e2, const BIGINT* m2,
                                               std::int32_t exponent_bits,
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
