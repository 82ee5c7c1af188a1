// x86-64 kernels: products, squares' cross products, Montgomery reductions and multiply-subtract
// rows on MULX/ADCX/ADOX, one row of four-limb groups per limb of the multiplier with no call or
// carry fix-up between rows; additions and subtractions on ADC/SBB loops.
#include "crypto/bigint/words_x86.h"

#include <cstring>

namespace zlc::bigint::words {

// Four limbs of a row: tp[0..4) += ap[0..4) * rdx, the previous limb's high half coming in and the
// last one's going out in `c`; ap and tp advance past them.
#define ZLC_ADX_GROUP                   \
    "mulxq 0(%[ap]), %[lo], %[hi]\n\t"  \
    "adcxq 0(%[tp]), %[lo]\n\t"         \
    "adoxq %[c], %[lo]\n\t"             \
    "movq %[lo], 0(%[tp])\n\t"          \
    "mulxq 8(%[ap]), %[lo], %[c]\n\t"   \
    "adcxq 8(%[tp]), %[lo]\n\t"         \
    "adoxq %[hi], %[lo]\n\t"            \
    "movq %[lo], 8(%[tp])\n\t"          \
    "mulxq 16(%[ap]), %[lo], %[hi]\n\t" \
    "adcxq 16(%[tp]), %[lo]\n\t"        \
    "adoxq %[c], %[lo]\n\t"             \
    "movq %[lo], 16(%[tp])\n\t"         \
    "mulxq 24(%[ap]), %[lo], %[c]\n\t"  \
    "adcxq 24(%[tp]), %[lo]\n\t"        \
    "adoxq %[hi], %[lo]\n\t"            \
    "movq %[lo], 24(%[tp])\n\t"         \
    "leaq 32(%[ap]), %[ap]\n\t"         \
    "leaq 32(%[tp]), %[tp]\n\t"

// Both carry flags folded into `c`, which then holds the row's carry limb.
#define ZLC_ADX_FOLD             \
    "movl $0, %k[lo]\n\t"       \
    "adcxq %[lo], %[c]\n\t"     \
    "adoxq %[lo], %[c]\n\t"

// One row of rcx >= 1 groups: tp[0..4rcx) += ap[0..4rcx) * rdx, the carry limb left in `c`.
#define ZLC_ADX_ROW                 \
    "xorl %k[c], %k[c]\n\t"        \
    "1:\n\t" ZLC_ADX_GROUP         \
    "leaq -1(%%rcx), %%rcx\n\t"    \
    "jrcxz 2f\n\t"                 \
    "jmp 1b\n\t"                   \
    "2:\n\t" ZLC_ADX_FOLD

// r = a op b over 4q limbs with ADC or SBB; DEC leaves the carry flag alone between groups.
#define ZLC_CARRY_LOOP(op)                   \
    "clc\n\t"                                \
    "1:\n\t"                                 \
    "movq 0(%[a]), %[x]\n\t"                 \
    op " 0(%[b]), %[x]\n\t"                  \
    "movq %[x], 0(%[r])\n\t"                 \
    "movq 8(%[a]), %[x]\n\t"                 \
    op " 8(%[b]), %[x]\n\t"                  \
    "movq %[x], 8(%[r])\n\t"                 \
    "movq 16(%[a]), %[x]\n\t"                \
    op " 16(%[b]), %[x]\n\t"                 \
    "movq %[x], 16(%[r])\n\t"                \
    "movq 24(%[a]), %[x]\n\t"                \
    op " 24(%[b]), %[x]\n\t"                 \
    "movq %[x], 24(%[r])\n\t"                \
    "leaq 32(%[a]), %[a]\n\t"                \
    "leaq 32(%[b]), %[b]\n\t"                \
    "leaq 32(%[r]), %[r]\n\t"                \
    "decq %[q]\n\t"                          \
    "jnz 1b\n\t"                             \
    "setc %b[flag]\n\t"

u64 add_limbs4(u32* r, const u32* a, const u32* b, u64 q) noexcept {
    u64 x;
    u64 flag = 0;
    __asm__ volatile(ZLC_CARRY_LOOP("adcq")
                     : [x] "=&r"(x), [flag] "+&q"(flag), [a] "+&r"(a), [b] "+&r"(b), [r] "+&r"(r), [q] "+&r"(q)
                     :
                     : "cc", "memory");
    return flag;
}

u64 sub_limbs4(u32* r, const u32* a, const u32* b, u64 q) noexcept {
    u64 x;
    u64 flag = 0;
    __asm__ volatile(ZLC_CARRY_LOOP("sbbq")
                     : [x] "=&r"(x), [flag] "+&q"(flag), [a] "+&r"(a), [b] "+&r"(b), [r] "+&r"(r), [q] "+&r"(q)
                     :
                     : "cc", "memory");
    return flag;
}

#undef ZLC_CARRY_LOOP

u64 mac_limbs4_adx(u32* r, const u32* a, u64 q, u64 m) noexcept {
    u64 lo, hi, c;
    const u32* ap = a;
    u32* tp = r;
    __asm__ volatile(ZLC_ADX_ROW
                     : [lo] "=&r"(lo), [hi] "=&r"(hi), [c] "=&r"(c), [ap] "+&r"(ap), [tp] "+&r"(tp), "+&c"(q)
                     : "d"(m)
                     : "cc", "memory");
    return c;
}

u64 submul_limbs4_adx(u32* r, const u32* a, u64 q, u64 m) noexcept {
    // r - a*m = r + ~(a*m) + 1 - 2^(64n): the product's limbs come out of the overflow-flag chain,
    // are complemented (NOT leaves the flags alone) and added on the carry-flag chain, which
    // starts at 1. The borrow limb is the product's top limb plus 1 when that chain ends at 0.
    u64 lo, hi, c;
    __asm__ volatile(
        "xorl %k[c], %k[c]\n\t"  // c = 0; clears CF and OF
        "stc\n\t"
        "1:\n\t"
        "mulxq 0(%[a]), %[lo], %[hi]\n\t"
        "adoxq %[c], %[lo]\n\t"
        "notq %[lo]\n\t"
        "adcxq 0(%[r]), %[lo]\n\t"
        "movq %[lo], 0(%[r])\n\t"
        "mulxq 8(%[a]), %[lo], %[c]\n\t"
        "adoxq %[hi], %[lo]\n\t"
        "notq %[lo]\n\t"
        "adcxq 8(%[r]), %[lo]\n\t"
        "movq %[lo], 8(%[r])\n\t"
        "mulxq 16(%[a]), %[lo], %[hi]\n\t"
        "adoxq %[c], %[lo]\n\t"
        "notq %[lo]\n\t"
        "adcxq 16(%[r]), %[lo]\n\t"
        "movq %[lo], 16(%[r])\n\t"
        "mulxq 24(%[a]), %[lo], %[c]\n\t"
        "adoxq %[hi], %[lo]\n\t"
        "notq %[lo]\n\t"
        "adcxq 24(%[r]), %[lo]\n\t"
        "movq %[lo], 24(%[r])\n\t"
        "leaq 32(%[a]), %[a]\n\t"
        "leaq 32(%[r]), %[r]\n\t"
        "leaq -1(%%rcx), %%rcx\n\t"
        "jrcxz 2f\n\t"
        "jmp 1b\n\t"
        "2:\n\t"
        "movl $0, %k[lo]\n\t"
        "adoxq %[lo], %[c]\n\t"  // the product's top limb
        "movl $1, %k[hi]\n\t"
        "sbbq $0, %[hi]\n\t"  // 1 - CF: the borrow out of the low limbs
        "addq %[hi], %[c]\n\t"
        : [lo] "=&r"(lo), [hi] "=&r"(hi), [c] "=&r"(c), [a] "+&r"(a), [r] "+&r"(r), "+&c"(q)
        : "d"(m)
        : "cc", "memory");
    return c;
}

void mul_limbs4_adx(u32* t, const u32* a, const u32* b, u64 q) noexcept {
    std::memset(t, 0, q * 64);
    u64 rows = 4 * q;
    u64 lo, hi, c, count;
    const u32* ap;
    u32* tp;
    __asm__ volatile(
        "3:\n\t"
        "movq (%[b]), %%rdx\n\t"
        "movq %[t], %[tp]\n\t"
        "movq %[a], %[ap]\n\t"
        "movq %[q], %%rcx\n\t" ZLC_ADX_ROW
        "movq %[c], (%[tp])\n\t"  // the limb above the row is still untouched
        "leaq 8(%[b]), %[b]\n\t"
        "leaq 8(%[t]), %[t]\n\t"
        "decq %[rows]\n\t"
        "jnz 3b\n\t"
        : [t] "+&r"(t), [b] "+&r"(b), [rows] "+&r"(rows), [lo] "=&r"(lo), [hi] "=&r"(hi), [c] "=&r"(c),
          [ap] "=&r"(ap), [tp] "=&r"(tp), "=&c"(count)
        : [a] "r"(a), [q] "r"(q)
        : "rdx", "cc", "memory");
}

void reduce_limbs4_adx(u32* t, const u32* modulus, u64 q, u64 n0inv64) noexcept {
    u32* const top_word = t + 16 * q;
    u64 rows = 4 * q;
    u64 top = 0;
    u64 lo, hi, c, count;
    const u32* ap;
    u32* tp;
    __asm__ volatile(
        "3:\n\t"
        "movq (%[t]), %%rdx\n\t"
        "imulq %[inv], %%rdx\n\t"
        "movq %[t], %[tp]\n\t"
        "movq %[n], %[ap]\n\t"
        "movq %[q], %%rcx\n\t" ZLC_ADX_ROW
        // The row's carry and the previous rows' carry go into the limb the row ends below; their
        // sum stays under 2^65, so one carry bit leaves it.
        "xorl %k[lo], %k[lo]\n\t"
        "addq %[c], (%[tp])\n\t"
        "adcq $0, %[lo]\n\t"
        "addq %[top], (%[tp])\n\t"
        "adcq $0, %[lo]\n\t"
        "movq %[lo], %[top]\n\t"
        "leaq 8(%[t]), %[t]\n\t"
        "decq %[rows]\n\t"
        "jnz 3b\n\t"
        : [t] "+&r"(t), [rows] "+&r"(rows), [top] "+&r"(top), [lo] "=&r"(lo), [hi] "=&r"(hi), [c] "=&r"(c),
          [ap] "=&r"(ap), [tp] "=&r"(tp), "=&c"(count)
        : [n] "r"(modulus), [q] "r"(q), [inv] "r"(n0inv64)
        : "rdx", "cc", "memory");
    *top_word = static_cast<u32>(top);
}

void sqr_cross_adx(u32* t, const u32* a, u64 nl) noexcept {
    std::memset(t, 0, nl * 16);
    if (nl < 2) return;
    u64 length = nl - 1;
    const u32* ai = a;
    u32* tr = t + 2;
    u64 lo, hi, c, groups, count;
    const u32* ap;
    u32* tp;
    __asm__ volatile(
        "3:\n\t"
        "movq (%[ai]), %%rdx\n\t"
        "leaq 8(%[ai]), %[ap]\n\t"
        "movq %[tr], %[tp]\n\t"
        "movq %[length], %%rcx\n\t"
        "andq $3, %%rcx\n\t"
        "movq %[length], %[groups]\n\t"
        "shrq $2, %[groups]\n\t"
        "xorl %k[c], %k[c]\n\t"  // clears CF and OF for the whole row
        "jrcxz 5f\n\t"
        "4:\n\t"  // the limbs beyond whole groups, one at a time
        "mulxq (%[ap]), %[lo], %[hi]\n\t"
        "adcxq (%[tp]), %[lo]\n\t"
        "adoxq %[c], %[lo]\n\t"
        "movq %[lo], (%[tp])\n\t"
        "movq %[hi], %[c]\n\t"
        "leaq 8(%[ap]), %[ap]\n\t"
        "leaq 8(%[tp]), %[tp]\n\t"
        "leaq -1(%%rcx), %%rcx\n\t"
        "jrcxz 5f\n\t"
        "jmp 4b\n\t"
        "5:\n\t"
        "movq %[groups], %%rcx\n\t"
        "jrcxz 7f\n\t"
        "6:\n\t" ZLC_ADX_GROUP
        "leaq -1(%%rcx), %%rcx\n\t"
        "jrcxz 7f\n\t"
        "jmp 6b\n\t"
        "7:\n\t" ZLC_ADX_FOLD
        "movq %[c], (%[tp])\n\t"  // no earlier row reached this limb
        "leaq 8(%[ai]), %[ai]\n\t"
        "leaq 16(%[tr]), %[tr]\n\t"
        "decq %[length]\n\t"
        "jnz 3b\n\t"
        : [ai] "+&r"(ai), [tr] "+&r"(tr), [length] "+&r"(length), [lo] "=&r"(lo), [hi] "=&r"(hi), [c] "=&r"(c),
          [groups] "=&r"(groups), [ap] "=&r"(ap), [tp] "=&r"(tp), "=&c"(count)
        :
        : "rdx", "cc", "memory");
}

#undef ZLC_ADX_ROW
#undef ZLC_ADX_FOLD
#undef ZLC_ADX_GROUP

}  // namespace zlc::bigint::words
