// Portable word-array kernels: 64-bit limbs (pairs of words) with 128-bit intermediate values,
// a single trailing word handled on its own when a length is odd.
#include "crypto/bigint/words.h"

#include "crypto/bigint/words_x86.h"
#include "crypto/core/ct.h"

namespace zlc::bigint::words {
namespace {

// (c2:c1:c0) += a * b
inline void mac3(u64& c0, u64& c1, u64& c2, u64 a, u64 b) noexcept {
    const u128 p = static_cast<u128>(a) * b;
    const u128 t0 = static_cast<u128>(c0) + static_cast<u64>(p);
    c0 = static_cast<u64>(t0);
    const u128 t1 = static_cast<u128>(c1) + static_cast<u64>(p >> 64) + static_cast<u64>(t0 >> 64);
    c1 = static_cast<u64>(t1);
    c2 += static_cast<u64>(t1 >> 64);
}

// r[0..2n limbs) = a * b over n limbs each, column by column.
template <int N>
inline void comba(u32* r, const u32* a, const u32* b) noexcept {
    u64 x[N], y[N];
    for (int i = 0; i < N; ++i) {
        x[i] = load64(a + 2 * i);
        y[i] = load64(b + 2 * i);
    }
    u64 c0 = 0, c1 = 0, c2 = 0;
    for (int k = 0; k < 2 * N - 1; ++k) {
        const int lo = k < N ? 0 : k - N + 1;
        const int hi = k < N ? k : N - 1;
        for (int i = lo; i <= hi; ++i) mac3(c0, c1, c2, x[i], y[k - i]);
        store64(r + 2 * k, c0);
        c0 = c1;
        c1 = c2;
        c2 = 0;
    }
    store64(r + 2 * (2 * N - 1), c0);
}

template <int N>
inline void comba_sqr(u32* r, const u32* a) noexcept {
    u64 x[N];
    for (int i = 0; i < N; ++i) x[i] = load64(a + 2 * i);
    u64 c0 = 0, c1 = 0, c2 = 0;
    for (int k = 0; k < 2 * N - 1; ++k) {
        const int lo = k < N ? 0 : k - N + 1;
        const int hi = k < N ? k : N - 1;
        // Cross products twice (i < j), the square once.
        for (int i = lo; i <= hi && i < k - i; ++i) {
            mac3(c0, c1, c2, x[i], x[k - i]);
            mac3(c0, c1, c2, x[i], x[k - i]);
        }
        if ((k & 1) == 0) mac3(c0, c1, c2, x[k / 2], x[k / 2]);
        store64(r + 2 * k, c0);
        c0 = c1;
        c1 = c2;
        c2 = 0;
    }
    store64(r + 2 * (2 * N - 1), c0);
}

// r[0..nl limbs) += a[0..nl limbs) * m; returns the carry limb.
template <bool Adx>
inline u64 mac_limbs(u32* r, const u32* a, int nl, u64 m) noexcept {
    u64 c = 0;
    int i = 0;
    if constexpr (Adx) {
        if (nl >= 4) {
            i = nl & ~3;
            c = mac_limbs4_adx(r, a, static_cast<u64>(nl / 4), m);
        }
    }
    for (; i < nl; ++i) {
        const u128 t = static_cast<u128>(load64(a + 2 * i)) * m + load64(r + 2 * i) + c;
        store64(r + 2 * i, static_cast<u64>(t));
        c = static_cast<u64>(t >> 64);
    }
    return c;
}

inline u64 mul_limbs(u32* r, const u32* a, int nl, u64 m) noexcept {
    u64 c = 0;
    for (int i = 0; i < nl; ++i) {
        const u128 t = static_cast<u128>(load64(a + 2 * i)) * m + c;
        store64(r + 2 * i, static_cast<u64>(t));
        c = static_cast<u64>(t >> 64);
    }
    return c;
}

// r[0..n words) += a * m for a 64-bit m; returns the carry (up to two words).
template <bool Adx>
inline u64 mac_words64(u32* r, const u32* a, int n, u64 m) noexcept {
    u64 c = mac_limbs<Adx>(r, a, n / 2, m);
    if (n & 1) {
        const u128 t = static_cast<u128>(a[n - 1]) * m + r[n - 1] + c;
        r[n - 1] = static_cast<u32>(t);
        c = static_cast<u64>(t >> 32);
    }
    return c;
}

// Adds a 64-bit carry at r[0], propagating through r[0..n); the caller knows it cannot overflow.
inline void add_carry64(u32* r, int n, u64 c) noexcept {
    if (c == 0 || n <= 0) return;
    if (n == 1) {
        r[0] += static_cast<u32>(c);
        return;
    }
    const u128 s = static_cast<u128>(load64(r)) + c;
    store64(r, static_cast<u64>(s));
    if ((s >> 64) != 0) (void)add_1(r + 2, n - 2, 1);
}

// Square of an even number of words: cross products by limb rows, doubled, plus the diagonal.
template <bool Adx>
void sqr_even(u32* r, const u32* a, int n) noexcept {
    const int nl = n / 2;
    if constexpr (Adx) {
        sqr_cross_adx(r, a, static_cast<u64>(nl));
    } else {
        std::memset(r, 0, static_cast<std::size_t>(2 * n) * 4);
        for (int i = 0; i + 1 < nl; ++i) {
            store64(r + 2 * (i + nl), mac_limbs<false>(r + 2 * (2 * i + 1), a + 2 * (i + 1),
                                                       nl - i - 1, load64(a + 2 * i)));
        }
    }
    // One pass doubles the cross products (shifting one bit across limbs) and adds the squares.
    u64 bit = 0;
    u64 c = 0;
    for (int i = 0; i < nl; ++i) {
        const u64 x = load64(a + 2 * i);
        const u128 sq = static_cast<u128>(x) * x;
        const u64 lo = load64(r + 4 * i);
        const u64 hi = load64(r + 4 * i + 2);
        const u128 t0 = static_cast<u128>((lo << 1) | bit) + static_cast<u64>(sq) + c;
        store64(r + 4 * i, static_cast<u64>(t0));
        const u128 t1 = static_cast<u128>((hi << 1) | (lo >> 63)) + static_cast<u64>(sq >> 64) +
                        static_cast<u64>(t0 >> 64);
        store64(r + 4 * i + 2, static_cast<u64>(t1));
        bit = hi >> 63;
        c = static_cast<u64>(t1 >> 64);
    }
}

template <bool Adx>
void mul_rows(u32* r, const u32* a, int al, const u32* b, int bl) noexcept {
    const int la = al / 2;
    const int lb = bl / 2;
    // Whole limbs first: a = A + a_top * 2^(32(al-1)) when al is odd, likewise b.
    if (la > 0 && lb > 0) {
        const u32* x = la >= lb ? a : b;
        const u32* y = la >= lb ? b : a;
        const int lx = la >= lb ? la : lb;
        const int ly = la >= lb ? lb : la;
        store64(r + 2 * lx, mul_limbs(r, x, lx, load64(y)));
        for (int j = 1; j < ly; ++j)
            store64(r + 2 * (lx + j), mac_limbs<Adx>(r + 2 * j, x, lx, load64(y + 2 * j)));
    } else {
        std::memset(r, 0, static_cast<std::size_t>(2 * la + 2 * lb) * 4);
    }
    std::memset(r + 2 * la + 2 * lb, 0, static_cast<std::size_t>(al + bl - 2 * la - 2 * lb) * 4);
    if (al & 1) r[al - 1 + bl] += mac_1(r + al - 1, b, bl, a[al - 1]);
    if ((bl & 1) && la > 0) {
        const u32 c = mac_1(r + bl - 1, a, 2 * la, b[bl - 1]);
        (void)add_1(r + bl - 1 + 2 * la, al + bl - (bl - 1 + 2 * la), c);
    }
}

template <bool Adx>
void sqr_rows(u32* r, const u32* a, int n) noexcept {
    if ((n & 1) == 0) {
        sqr_even<Adx>(r, a, n);
        return;
    }
    // a = A + t * 2^(32(n-1)): a^2 = A^2 + 2tA * 2^(32(n-1)) + t^2 * 2^(64(n-1)).
    const u32 t = a[n - 1];
    sqr_even<Adx>(r, a, n - 1);
    const u64 tt = static_cast<u64>(t) * t;
    r[2 * n - 2] = static_cast<u32>(tt);
    r[2 * n - 1] = static_cast<u32>(tt >> 32);
    for (int k = 0; k < 2; ++k) {
        const u32 c = mac_1(r + n - 1, a, n - 1, t);
        (void)add_1(r + 2 * n - 2, 2, c);
    }
}

// Limb-wise reduction for an even n; the carry out of each row's top limb is carried in `top`
// into the limb the next row ends on, so no carry ever runs further.
template <bool Adx>
void reduce_limbs(u32* t, const u32* modulus, int nl, u64 n0inv64) noexcept {
    u64 top = 0;
    for (int i = 0; i < nl; ++i) {
        const u64 m = load64(t + 2 * i) * n0inv64;
        const u64 c = mac_limbs<Adx>(t + 2 * i, modulus, nl, m);
        const u128 sum = static_cast<u128>(load64(t + 2 * (i + nl))) + c + top;
        store64(t + 2 * (i + nl), static_cast<u64>(sum));
        top = static_cast<u64>(sum >> 64);
    }
    t[4 * nl] = static_cast<u32>(top);
}

template <bool Adx>
void reduce(u32* t, const u32* modulus, int n, u64 n0inv64) noexcept {
    if constexpr (Adx) {
        if ((n & 7) == 0) {
            reduce_limbs4_adx(t, modulus, static_cast<u64>(n / 8), n0inv64);
            return;
        }
    }
    if ((n & 1) == 0) {
        reduce_limbs<Adx>(t, modulus, n / 2, n0inv64);
        return;
    }
    const int total = 2 * n + 1;
    int i = 0;
    for (; i + 2 <= n; i += 2) {
        const u64 m = load64(t + i) * n0inv64;
        add_carry64(t + i + n, total - i - n, mac_words64<Adx>(t + i, modulus, n, m));
    }
    const u32 m = t[i] * static_cast<u32>(n0inv64);
    (void)add_1(t + i + n, total - i - n, mac_1(t + i, modulus, n, m));
}

// t[n..2n] = a * b * 2^(-32n) mod N, possibly plus N (below 2N, so t[2n] is 0 or 1).
template <bool Adx>
void mont_product(const u32* a, const u32* b, const u32* modulus, int n, u64 n0inv64,
                  u32* t) noexcept {
    if (a == b) {
        sqr_rows<Adx>(t, a, n);
    } else if constexpr (Adx) {
        if ((n & 7) == 0) {
            mul_limbs4_adx(t, a, b, static_cast<u64>(n / 8));
        } else {
            mul_rows<true>(t, a, n, b, n);
        }
    } else {
        mul_rows<false>(t, a, n, b, n);
    }
    t[2 * n] = 0;
    reduce<Adx>(t, modulus, n, n0inv64);
}

template <bool Adx>
void mont_mul_rows(u32* r, const u32* a, const u32* b, const u32* modulus, int n, u64 n0inv64,
                   u32* t) noexcept {
    mont_product<Adx>(a, b, modulus, n, n0inv64, t);
    // The reduced value is below 2N: one subtraction at most, whose borrow cancels a top carry.
    if (t[2 * n] != 0 || cmp_n(t + n, modulus, n) >= 0) {
        (void)sub_n(r, t + n, modulus, n);
    } else {
        std::memcpy(r, t + n, static_cast<std::size_t>(n) * 4);
    }
}

// The same with the subtraction always done and its result kept or dropped by a mask: the value
// minus N is negative exactly when the subtraction borrows and no carry sits above the top word.
template <bool Adx>
void mont_mul_rows_ct(u32* r, const u32* a, const u32* b, const u32* modulus, int n, u64 n0inv64,
                      u32* t) noexcept {
    mont_product<Adx>(a, b, modulus, n, n0inv64, t);
    const u32 borrow = sub_n(r, t + n, modulus, n);
    const u64 keep = ct::mask(borrow & (t[2 * n] ^ 1u));
    for (int i = 0; i < n; i += 2)
        store64(r + i, ct::select(keep, load64(t + n + i), load64(r + i)));
}

}  // namespace

u32 add_1(u32* r, int n, u32 c) noexcept {
    for (int i = 0; i < n && c != 0; ++i) {
        r[i] += c;
        c = r[i] < c ? 1 : 0;
    }
    return c;
}

u32 sub_1(u32* r, int n, u32 c) noexcept {
    for (int i = 0; i < n && c != 0; ++i) {
        const u32 before = r[i];
        r[i] = before - c;
        c = before < c ? 1 : 0;
    }
    return c;
}

int cmp_n(const u32* a, const u32* b, int n) noexcept {
    for (int i = n - 1; i >= 0; --i) {
        if (a[i] != b[i]) return a[i] > b[i] ? 1 : -1;
    }
    return 0;
}

int cmp_part(const u32* a, int an, const u32* b, int bn) noexcept {
    for (int i = an - 1; i >= bn; --i) {
        if (a[i] != 0) return 1;
    }
    for (int i = bn - 1; i >= an; --i) {
        if (b[i] != 0) return -1;
    }
    return cmp_n(a, b, an < bn ? an : bn);
}

u32 mul_1(u32* r, const u32* a, int n, u32 w) noexcept {
    u64 c = 0;
    int i = 0;
    for (; i + 2 <= n; i += 2) {
        const u128 t = static_cast<u128>(load64(a + i)) * w + c;
        store64(r + i, static_cast<u64>(t));
        c = static_cast<u64>(t >> 64);
    }
    if (i < n) {
        const u64 t = static_cast<u64>(a[i]) * w + c;
        r[i] = static_cast<u32>(t);
        c = t >> 32;
    }
    return static_cast<u32>(c);
}

u32 mac_1(u32* r, const u32* a, int n, u32 w) noexcept {
    u64 c = 0;
    int i = 0;
    for (; i + 2 <= n; i += 2) {
        const u128 t = static_cast<u128>(load64(a + i)) * w + load64(r + i) + c;
        store64(r + i, static_cast<u64>(t));
        c = static_cast<u64>(t >> 64);
    }
    if (i < n) {
        const u64 t = static_cast<u64>(a[i]) * w + r[i] + c;
        r[i] = static_cast<u32>(t);
        c = t >> 32;
    }
    return static_cast<u32>(c);
}

namespace {

template <bool Adx>
u32 add_n_on(u32* r, const u32* a, const u32* b, int n) noexcept {
    u64 c = 0;
    int i = 0;
    if constexpr (Adx) {
        if (n >= 8) {
            i = n & ~7;
            c = add_limbs4(r, a, b, static_cast<u64>(n / 8));
        }
    }
    for (; i + 2 <= n; i += 2) {
        const u128 s = static_cast<u128>(load64(a + i)) + load64(b + i) + c;
        store64(r + i, static_cast<u64>(s));
        c = static_cast<u64>(s >> 64);
    }
    if (i < n) {
        const u64 s = static_cast<u64>(a[i]) + b[i] + c;
        r[i] = static_cast<u32>(s);
        c = s >> 32;
    }
    return static_cast<u32>(c);
}

template <bool Adx>
u32 sub_n_on(u32* r, const u32* a, const u32* b, int n) noexcept {
    u64 borrow = 0;
    int i = 0;
    if constexpr (Adx) {
        if (n >= 8) {
            i = n & ~7;
            borrow = sub_limbs4(r, a, b, static_cast<u64>(n / 8));
        }
    }
    for (; i + 2 <= n; i += 2) {
        const u128 d = static_cast<u128>(load64(a + i)) - load64(b + i) - borrow;
        store64(r + i, static_cast<u64>(d));
        borrow = static_cast<u64>(d >> 64) & 1;
    }
    if (i < n) {
        const u64 d = static_cast<u64>(a[i]) - b[i] - borrow;
        r[i] = static_cast<u32>(d);
        borrow = (d >> 32) & 1;
    }
    return static_cast<u32>(borrow);
}

template <bool Adx>
u32 submul_1_on(u32* r, const u32* a, int n, u32 w) noexcept {
    u64 c = 0;
    int i = 0;
    if constexpr (Adx) {
        if (n >= 8) {
            i = n & ~7;
            c = submul_limbs4_adx(r, a, static_cast<u64>(n / 8), w);
        }
    }
    for (; i + 2 <= n; i += 2) {
        const u128 t = static_cast<u128>(load64(a + i)) * w + c;
        const u64 lo = static_cast<u64>(t);
        const u64 x = load64(r + i);
        store64(r + i, x - lo);
        c = static_cast<u64>(t >> 64) + (x < lo ? 1 : 0);
    }
    if (i < n) {
        const u64 t = static_cast<u64>(a[i]) * w + c;
        const u32 lo = static_cast<u32>(t);
        const u32 x = r[i];
        r[i] = x - lo;
        c = (t >> 32) + (x < lo ? 1 : 0);
    }
    return static_cast<u32>(c);
}

template <bool Adx>
void mul_comba8_on(u32* r, const u32* a, const u32* b) noexcept {
    if constexpr (Adx) {
        mul_limbs4_adx(r, a, b, 1);
    } else {
        comba<4>(r, a, b);
    }
}

template <bool Adx>
void sqr_comba8_on(u32* r, const u32* a) noexcept {
    if constexpr (Adx) {
        sqr_even<true>(r, a, 8);
    } else {
        comba_sqr<4>(r, a);
    }
}

template <bool Adx>
constexpr WordKernels kKernels{add_n_on<Adx>,        sub_n_on<Adx>, submul_1_on<Adx>,
                               mul_rows<Adx>,        sqr_rows<Adx>, mul_comba8_on<Adx>,
                               sqr_comba8_on<Adx>,   reduce<Adx>,   mont_mul_rows<Adx>,
                               mont_mul_rows_ct<Adx>};

constexpr platform::Path<WordKernels> kPaths[] = {
#ifdef ZLC_X86_64
    {"adx", platform::kBmi2 | platform::kAdx, kKernels<true>},
#endif
    {"portable", 0, kKernels<false>},
};
constinit platform::PathChoice<WordKernels> g_paths(kPaths);

const WordKernels& kernels() noexcept {
    return g_paths.ops();
}

}  // namespace

platform::PathChoice<WordKernels>& word_kernel_paths() noexcept {
    return g_paths;
}

u32 add_n(u32* r, const u32* a, const u32* b, int n) noexcept {
    return kernels().add_n(r, a, b, n);
}
u32 sub_n(u32* r, const u32* a, const u32* b, int n) noexcept {
    return kernels().sub_n(r, a, b, n);
}
u32 submul_1(u32* r, const u32* a, int n, u32 w) noexcept {
    return kernels().submul_1(r, a, n, w);
}

void mul_basecase(u32* r, const u32* a, int al, const u32* b, int bl) noexcept {
    kernels().mul_basecase(r, a, al, b, bl);
}
void sqr_basecase(u32* r, const u32* a, int n) noexcept {
    kernels().sqr_basecase(r, a, n);
}

void mul_comba4(u32* r, const u32* a, const u32* b) noexcept {
    comba<2>(r, a, b);
}
void mul_comba8(u32* r, const u32* a, const u32* b) noexcept {
    kernels().mul_comba8(r, a, b);
}
void sqr_comba4(u32* r, const u32* a) noexcept {
    comba_sqr<2>(r, a);
}
void sqr_comba8(u32* r, const u32* a) noexcept {
    kernels().sqr_comba8(r, a);
}

void mont_reduce(u32* t, const u32* modulus, int n, u64 n0inv64) noexcept {
    kernels().mont_reduce(t, modulus, n, n0inv64);
}

void mont_mul_fixed(u32* r, const u32* a, const u32* b, const u32* modulus, int n, u64 n0inv64,
                    u32* t) noexcept {
    kernels().mont_mul_fixed(r, a, b, modulus, n, n0inv64, t);
}

void mont_mul_fixed_ct(u32* r, const u32* a, const u32* b, const u32* modulus, int n, u64 n0inv64,
                       u32* t) noexcept {
    kernels().mont_mul_fixed_ct(r, a, b, modulus, n, n0inv64, t);
}

}  // namespace zlc::bigint::words
