#pragma once
// Word-array kernels under the integer operations. Arrays are 32-bit words, least significant
// first, with explicit lengths; inside, pairs of words are processed as 64-bit limbs with 128-bit
// products (the arrays are little-endian, so a pair is exactly one limb).
#include <cstdint>
#include <cstring>

#include "crypto/platform/cpu.h"

namespace zlc::bigint::words {

using u32 = std::uint32_t;
using u64 = std::uint64_t;
using u128 = unsigned __int128;

inline u64 load64(const u32* p) noexcept {
    u64 v;
    std::memcpy(&v, p, 8);
    return v;
}
inline void store64(u32* p, u64 v) noexcept {
    std::memcpy(p, &v, 8);
}

// r = a + b over n words; returns the carry. r may be a or b.
u32 add_n(u32* r, const u32* a, const u32* b, int n) noexcept;
// r = a - b over n words; returns the borrow. r may be a or b.
u32 sub_n(u32* r, const u32* a, const u32* b, int n) noexcept;
// Adds c into r[0..n) with carry propagation; returns the carry out of the top.
u32 add_1(u32* r, int n, u32 c) noexcept;
// Subtracts c from r[0..n) with borrow propagation; returns the borrow out of the top.
u32 sub_1(u32* r, int n, u32 c) noexcept;
// -1, 0, 1 comparing n-word arrays from the top.
int cmp_n(const u32* a, const u32* b, int n) noexcept;
// Compares a (an words) with b (bn words), both possibly with leading zeros.
int cmp_part(const u32* a, int an, const u32* b, int bn) noexcept;
// r = a * w over n words; returns the carry word. r may be a.
u32 mul_1(u32* r, const u32* a, int n, u32 w) noexcept;
// r += a * w over n words; returns the carry word.
u32 mac_1(u32* r, const u32* a, int n, u32 w) noexcept;
// r -= a * w over n words; returns the borrow word.
u32 submul_1(u32* r, const u32* a, int n, u32 w) noexcept;

// r = a * b, al + bl words, schoolbook; r overlaps neither operand; al, bl >= 1.
void mul_basecase(u32* r, const u32* a, int al, const u32* b, int bl) noexcept;
// r = a^2, 2n words: cross products row by row, doubled, plus the diagonal; r does not overlap a.
void sqr_basecase(u32* r, const u32* a, int n) noexcept;
// Column-wise (comba) products and squares of 4 and 8 words; r does not overlap the operands.
void mul_comba4(u32* r, const u32* a, const u32* b) noexcept;
void mul_comba8(u32* r, const u32* a, const u32* b) noexcept;
void sqr_comba4(u32* r, const u32* a) noexcept;
void sqr_comba8(u32* r, const u32* a) noexcept;

// Montgomery reduction in place: t has 2n + 1 words (t < N * 2^(32n), the top word zero);
// afterwards t[n..2n] holds t * 2^(-32n) mod N, possibly plus N (the caller subtracts).
// n0inv64 = -N^-1 mod 2^64; its low word serves the single-word step of an odd n.
void mont_reduce(u32* t, const u32* modulus, int n, u64 n0inv64) noexcept;

// r = a * b * 2^(-32n) mod N for a, b < N held in n words each (zeros above their values), squaring
// when a == b; t is scratch of 2n + 1 words. r may be a or b.
void mont_mul_fixed(u32* r, const u32* a, const u32* b, const u32* modulus, int n, u64 n0inv64,
                    u32* t) noexcept;
// The same for an even n, with no branch, table index or early exit that depends on the values of
// a, b or the result (the final subtraction is selected by a mask).
void mont_mul_fixed_ct(u32* r, const u32* a, const u32* b, const u32* modulus, int n, u64 n0inv64,
                       u32* t) noexcept;

// The kernels above that have a MULX/ADX form, one table per path.
struct WordKernels {
    u32 (*add_n)(u32* r, const u32* a, const u32* b, int n) noexcept;
    u32 (*sub_n)(u32* r, const u32* a, const u32* b, int n) noexcept;
    u32 (*submul_1)(u32* r, const u32* a, int n, u32 w) noexcept;
    void (*mul_basecase)(u32* r, const u32* a, int al, const u32* b, int bl) noexcept;
    void (*sqr_basecase)(u32* r, const u32* a, int n) noexcept;
    void (*mul_comba8)(u32* r, const u32* a, const u32* b) noexcept;
    void (*sqr_comba8)(u32* r, const u32* a) noexcept;
    void (*mont_reduce)(u32* t, const u32* modulus, int n, u64 n0inv64) noexcept;
    void (*mont_mul_fixed)(u32* r, const u32* a, const u32* b, const u32* modulus, int n,
                           u64 n0inv64, u32* t) noexcept;
    void (*mont_mul_fixed_ct)(u32* r, const u32* a, const u32* b, const u32* modulus, int n,
                              u64 n0inv64, u32* t) noexcept;
};

// The kernel paths, best first (MULX/ADX on x86-64, portable), and the one in use.
platform::PathChoice<WordKernels>& word_kernel_paths() noexcept;

}  // namespace zlc::bigint::words
