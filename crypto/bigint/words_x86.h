#pragma once
// Word-array kernels for x86-64 processors with BMI2 and ADX; the portable kernels call them when
// the processor has both. MULX leaves the flags alone, so adding the row limb (ADCX, carry flag)
// and the previous product's high half (ADOX, overflow flag) run as two independent carry chains;
// loops step with LEA and JRCXZ, which leave both flags intact.
#include "crypto/bigint/words.h"

namespace zlc::bigint::words {

// r = a + b and r = a - b over 4q limbs, q >= 1; return the carry or borrow. r may be a or b.
u64 add_limbs4(u32* r, const u32* a, const u32* b, u64 q) noexcept;
u64 sub_limbs4(u32* r, const u32* a, const u32* b, u64 q) noexcept;

// r[0..4q limbs) += a[0..4q limbs) * m for q >= 1; returns the carry limb out of the top.
u64 mac_limbs4_adx(u32* r, const u32* a, u64 q, u64 m) noexcept;

// r[0..4q limbs) -= a[0..4q limbs) * m for q >= 1 and m < 2^32; returns the borrow limb out of the
// top (what is still to be subtracted from the next limb).
u64 submul_limbs4_adx(u32* r, const u32* a, u64 q, u64 m) noexcept;

// t[0..8q limbs) = a * b for a and b of 4q limbs each, q >= 1; t overlaps neither operand.
void mul_limbs4_adx(u32* t, const u32* a, const u32* b, u64 q) noexcept;

// t[0..2nl limbs) = the cross products a[i] * a[j], i < j, each once, for a of nl >= 1 limbs.
void sqr_cross_adx(u32* t, const u32* a, u64 nl) noexcept;

// Montgomery reduction of t (8q limbs and one zero word above them) by a modulus of 4q limbs,
// q >= 1, n0inv64 = -N^-1 mod 2^64: the top half of t then holds t * 2^(-256q) mod N, possibly
// plus N, and the word above it the carry out of the top.
void reduce_limbs4_adx(u32* t, const u32* modulus, u64 q, u64 n0inv64) noexcept;

}  // namespace zlc::bigint::words
