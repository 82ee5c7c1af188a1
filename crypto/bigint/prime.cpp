// Miller-Rabin testing (FIPS 186-4 C.3.1) and prime generation over a small-prime sieve that also
// keeps p - 1 free of small odd factors.
#include "crypto/bigint/prime.h"

#include <array>
#include <cstring>

#include "crypto/bigint/bigint.h"
#include "crypto/bigint/modular.h"
#include "crypto/bigint/prime_table.h"
#include "crypto/platform/secure_zero.h"

namespace zlc::bigint {
namespace {

constexpr Status kGenerateNull = st(0x1E, REASON_NULL_ARGUMENT);
constexpr Status kGeneratePool = st(0x1E, REASON_NO_POOL);
constexpr Status kGenerateScratch = st(0x1E, REASON_POOL_FAILED);
constexpr Status kGenerateCandidate = st(0x1E, 0x004D);
constexpr Status kGenerateOffset = st(0x1E, 0x0001);

// Sieve offsets stay below 2^32 - 17863, so residue + offset never wraps.
constexpr std::uint32_t kMaxOffset = 0xFFFFFFFFu - 17863u;
static_assert(kMaxOffset == 0xFFFFBA38u);

// Below this no candidate survives the sieve: each is a table prime or has p - 1 with a small odd
// factor.
constexpr std::int32_t kMinPrimeBits = 16;

// Where random integers come from.
struct Source {
    bool drbg;
    std::uint32_t digest;

    Status draw(BIGINT* r, std::int32_t bits, std::int32_t top, std::int32_t bottom,
                BIGINT_POOL* pool) const {
        return drbg ? rand_ex(r, bits, top, bottom, pool)
                    : rand(r, bits, top, bottom, pool, digest);
    }
};

bool equals_word(const BIGINT* n, std::uint32_t w) {
    return n->length == 1 && n->words[0] == w;
}

std::int32_t miller_rabin(const BIGINT* n, std::int32_t count, BIGINT_POOL* given,
                          const Source& source) {
    if (n == nullptr || is_zero(n) || equals_word(n, 1)) return 0;
    PrivatePool pool(given);
    if (pool.get() == nullptr) return 0;
    PoolFrame frame(pool.get());
    BIGINT* two = frame.take();
    if (two == nullptr || bigint::set_word(two, 2) != kOk) return 0;
    if (bigint::cmp(n, two) == 0) return 1;
    BIGINT *m, *d, *a, *y;
    if (!frame.take_all(m, d, a, y)) return 0;
    if (!is_odd(n)) return 0;

    // n - 1 = 2^s * d with d odd.
    if (bigint::copy(m, n) != kOk || bigint::sub_word(m, 1) != kOk) return 0;
    std::int32_t s = 1;
    while (bigint::is_bit_set(m, s) == 0) ++s;
    if (right_shift(d, m, s) != kOk) return 0;
    const std::int32_t length = bigint::get_bits_length(m);

    // A count below 2 would run no round at all and call every odd number composite.
    const std::int32_t rounds = count < 2 ? 1 : count - 1;
    for (std::int32_t round = 0; round < rounds; ++round) {
        do {
            if (source.draw(a, length, 0, 0, pool.get()) != kOk) return 0;
            if (bigint::cmp(a, m) > 0 && bigint::div(nullptr, a, a, m, pool.get()) != kOk) return 0;
        } while (is_zero(a));
        // d comes from the candidate, which may become a private key's factor.
        if (bigint::mod_exp_mont_consttime(y, a, d, length, n, pool.get()) != kOk) return 0;
        if (equals_word(y, 1)) continue;
        bool passed = false;
        for (std::int32_t i = 0; i < s; ++i) {
            if (bigint::cmp(y, m) == 0) {
                passed = true;
                break;
            }
            if (bigint::mod_mtp(y, y, y, n, pool.get()) != kOk) return 0;
            if (equals_word(y, 1)) break;  // a square root of 1 other than -1: composite
        }
        if (!passed) return -1;
    }
    return 1;
}

// x mod m for x < 2^62, m < 2^30, by the reciprocal floor(2^64 / m): the estimate of the quotient
// is at most one short, so one conditional subtraction finishes.
std::uint32_t reduce(std::uint64_t x, const PrimePair& pair) {
    const auto q =
        static_cast<std::uint64_t>((static_cast<unsigned __int128>(x) * pair.reciprocal) >> 64);
    std::uint64_t r = x - q * pair.product;
    r -= pair.product & (0 - static_cast<std::uint64_t>(r >= pair.product));
    return static_cast<std::uint32_t>(r);
}

using Residues = std::array<std::uint16_t, kOddPrimeCount>;

// The candidate's residue modulo every odd table prime, in one pass over its words.
void compute_residues(const BIGINT* c, Residues& residues) {
    std::array<std::uint32_t, kPrimePairCount> partial{};
    for (std::int32_t w = c->length - 1; w >= 0; --w) {
        const std::uint32_t word = c->words[w];
        for (std::size_t i = 0; i < kPrimePairCount; ++i) {
            partial[i] =
                reduce((static_cast<std::uint64_t>(partial[i]) << 32) | word, kPrimePairs[i]);
        }
    }
    for (std::size_t i = 0; i < kOddPrimeCount; ++i) {
        residues[i] = static_cast<std::uint16_t>(partial[i / 2] % kSmallPrimes[1 + i]);
    }
    platform::secure_zero(partial.data(), sizeof(partial));
}

// The largest offset that keeps c + offset within `bits` bits: 2^bits - 1 - c is c's complement
// within `bits` bits, and it only matters when it fits in one word.
std::uint32_t offset_limit(const BIGINT* c, std::int32_t bits) {
    const std::int32_t top = (bits - 1) / 32;
    const std::uint32_t top_mask = bits % 32 == 0 ? 0xFFFFFFFFu : (1u << (bits % 32)) - 1u;
    if (top > 0) {
        for (std::int32_t w = 1; w < top; ++w) {
            if (c->words[w] != 0xFFFFFFFFu) return kMaxOffset;
        }
        if ((c->words[top] & top_mask) != top_mask) return kMaxOffset;
    }
    const std::uint32_t headroom = ~c->words[0] & (top == 0 ? top_mask : 0xFFFFFFFFu);
    return headroom < kMaxOffset ? headroom : kMaxOffset;
}

// The first even offset up to `limit` at which c + offset is neither divisible by an odd table
// prime nor one more than a multiple of one; false when there is none.
bool sieve(const Residues& residues, std::uint32_t limit, std::uint32_t* offset) {
    for (std::uint32_t delta = 0; delta <= limit; delta += 2) {
        bool clear = true;
        for (std::size_t i = 0; i < kOddPrimeCount; ++i) {
            if ((residues[i] + delta) % kSmallPrimes[1 + i] <= 1) {
                clear = false;
                break;
            }
        }
        if (clear) {
            *offset = delta;
            return true;
        }
    }
    return false;
}

Status generate(BIGINT* p, std::int32_t bits, BIGINT_POOL* given, const Source& source) {
    if (p == nullptr) return kGenerateNull;
    if (bits < kMinPrimeBits) return kGenerateCandidate;
    const int rounds = prime_rounds(bits);
    PrivatePool pool(given);
    if (pool.get() == nullptr) return kGeneratePool;
    PoolFrame frame(pool.get());
    BIGINT* candidate = frame.take();
    if (candidate == nullptr) return kGenerateScratch;
    Residues residues{};
    struct Wipe {
        Residues& r;
        ~Wipe() { platform::secure_zero(r.data(), sizeof(r)); }
    } wipe{residues};

    for (;;) {
        if (source.draw(candidate, bits, 0, 1, pool.get()) != kOk) return kGenerateCandidate;
        compute_residues(candidate, residues);
        std::uint32_t offset = 0;
        if (!sieve(residues, offset_limit(candidate, bits), &offset)) continue;
        if (bigint::add_word(candidate, offset) != kOk) return kGenerateOffset;
        // Composites almost always fail the first round; only survivors meet the rest.
        std::int32_t verdict = 1;
        for (int i = 0; i < rounds && verdict == 1; ++i)
            verdict = miller_rabin(candidate, 2, pool.get(), source);
        if (verdict == 0) return kGenerateCandidate;  // a failed step proves nothing
        if (verdict == 1) return bigint::copy(p, candidate);
    }
}

}  // namespace

int prime_rounds(std::int32_t bits) noexcept {
    struct Row {
        std::int32_t from_bits;
        int rounds;
    };
    static constexpr std::array<Row, 11> kRounds = {{{1300, 3},
                                                     {850, 4},
                                                     {650, 5},
                                                     {550, 6},
                                                     {450, 7},
                                                     {400, 8},
                                                     {350, 9},
                                                     {300, 10},
                                                     {250, 13},
                                                     {200, 16},
                                                     {150, 20}}};
    for (const Row& row : kRounds) {
        if (bits >= row.from_bits) return row.rounds;
    }
    return 38;
}

std::int32_t is_prime_ex(const BIGINT* n, std::int32_t count, BIGINT_POOL* pool) noexcept {
    return miller_rabin(n, count, pool, Source{true, 0});
}

std::int32_t is_prime(const BIGINT* n, std::int32_t count, BIGINT_POOL* pool,
                      std::uint32_t digest) noexcept {
    return miller_rabin(n, count, pool, Source{false, digest});
}

Status generate_prime_ex(BIGINT* p, std::int32_t bits, BIGINT_POOL* pool) noexcept {
    return generate(p, bits, pool, Source{true, 0});
}

Status generate_prime(BIGINT* p, std::int32_t bits, BIGINT_POOL* pool,
                      std::uint32_t digest) noexcept {
    return generate(p, bits, pool, Source{false, digest});
}

}  // namespace zlc::bigint

extern "C" {

ZLC_API int32_t ZLC_Is_BIGINT_Prime_Ex(const BIGINT* n, int32_t count,
                                       BIGINT_POOL* pool) ZLC_NOEXCEPT {
    return zlc::bigint::is_prime_ex(n, count, pool);
}

ZLC_API int32_t ZLC_Is_BIGINT_Prime(const BIGINT* n, int32_t count, BIGINT_POOL* pool,
                                    uint32_t digest) ZLC_NOEXCEPT {
    return zlc::bigint::is_prime(n, count, pool, digest);
}

ZLC_API uint32_t ZLC_Generate_BIGINT_Prime_Ex(BIGINT* p, int32_t bits,
                                              BIGINT_POOL* pool) ZLC_NOEXCEPT {
    return zlc::bigint::generate_prime_ex(p, bits, pool);
}

ZLC_API uint32_t ZLC_Generate_BIGINT_Prime(BIGINT* p, int32_t bits, BIGINT_POOL* pool,
                                           uint32_t digest) ZLC_NOEXCEPT {
    return zlc::bigint::generate_prime(p, bits, pool, digest);
}

}  // extern "C"
