// Random integers, Miller-Rabin and prime generation: shaping and edge cases, a differential test
// against GMP's mpz_probab_prime_p (random odd numbers, primes, Carmichael numbers and strong
// pseudoprimes to the first prime bases), and generated primes checked by GMP.
#include "crypto/bigint/prime.h"

#include <gmp.h>
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "crypto/bigint/prime_table.h"
#include "tests/bigint/bigint_support.h"
#include "tests/support/hex.h"
#include "tests/support/library_seams.h"

namespace {

using zlc::test::Big;
using zlc::test::new_big;
using zlc::test::new_pool;

class Mpz {
  public:
    Mpz() { mpz_init(v_); }
    explicit Mpz(const BIGINT* n) {
        mpz_init(v_);
        mpz_import(v_, static_cast<size_t>(n->length), -1, 4, 0, 0, n->words);
    }
    explicit Mpz(const char* decimal) { mpz_init_set_str(v_, decimal, 10); }
    ~Mpz() { mpz_clear(v_); }
    Mpz(const Mpz&) = delete;
    Mpz& operator=(const Mpz&) = delete;
    mpz_ptr get() { return v_; }
    Big to_big() const {
        std::vector<uint8_t> bytes((mpz_sizeinbase(v_, 2) + 7) / 8 + 1);
        size_t count = 0;
        mpz_export(bytes.data(), &count, 1, 1, 1, 0, v_);
        return Big(ZLC_Binary_To_BIGINT(bytes.data(), static_cast<int32_t>(count), nullptr));
    }

  private:
    mpz_t v_;
};

// Both draw variants shape alike.
using Draw = uint32_t (*)(BIGINT*, int32_t, int32_t, int32_t);
uint32_t draw_ex(BIGINT* r, int32_t bits, int32_t top, int32_t bottom) {
    return ZLC_Rand_BIGINT_Ex(r, bits, top, bottom, nullptr);
}
uint32_t draw_prng(BIGINT* r, int32_t bits, int32_t top, int32_t bottom) {
    return ZLC_Rand_BIGINT(r, bits, top, bottom, nullptr, ZLC_HAS160);
}

TEST(RandomIntegers, Shaping) {
    struct Case {
        int32_t bits, top, bottom;
        int32_t min_bits;          // the bit length is at least this, and at most bits
        std::vector<int32_t> set;  // bits always set
    };
    const Case cases[] = {
        {1, 0, 0, 1, {0}},        {9, 1, 0, 9, {8, 7}},    {8, 1, 1, 8, {7, 6, 0}},
        {16, 1, 0, 16, {15, 14}}, {33, 0, 1, 33, {32, 0}}, {100, -1, 0, 0, {}},
        {100, -1, 1, 1, {0}},     {0, 0, 1, 0, {}},
    };
    for (Draw d : {draw_ex, draw_prng}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << c.bits << " " << c.top << " " << c.bottom);
            for (int trial = 0; trial < 8; ++trial) {
                Big r = new_big();
                ASSERT_EQ(d(r.get(), c.bits, c.top, c.bottom), 0u);
                EXPECT_LE(ZLC_Get_BIGINT_Bits_Length(r.get()), c.bits);
                EXPECT_GE(ZLC_Get_BIGINT_Bits_Length(r.get()), c.min_bits);
                for (int32_t bit : c.set) EXPECT_EQ(ZLC_Is_BIGINT_Bit_Set(r.get(), bit), 1) << bit;
            }
        }
    }
    Big r = new_big();
    EXPECT_EQ(ZLC_Rand_BIGINT_Ex(nullptr, 8, 0, 0, nullptr), 0x04170049u);
    EXPECT_EQ(ZLC_Rand_BIGINT_Ex(r.get(), -1, 0, 0, nullptr), 0x0417002Bu);
    EXPECT_EQ(ZLC_Rand_BIGINT(nullptr, 8, 0, 0, nullptr, 0), 0x04180049u);
    EXPECT_EQ(ZLC_Rand_BIGINT(r.get(), 8, 0, 0, nullptr, ZLC_MD5), 0x04180025u);
}

TEST(Primality, EdgeCases) {
    struct Case {
        const char* n;
        int32_t count;
        int32_t verdict;
    };
    const Case cases[] = {
        {"0", 5, 0},   {"1", 5, 0},      {"4", 5, 0},     {"2", 5, 1},       {"2", 0, 1},
        {"3", 2, 1},   {"7919", 2, 1},   {"7919", 9, 1},  {"7919", 1, 1},    {"7919", 0, 1},
        {"9", 40, -1}, {"7917", 40, -1}, {"65537", 2, 1}, {"1000000", 2, 0},
    };
    zlc::test::Pool pool = new_pool();
    for (const Case& c : cases) {
        Mpz n(c.n);
        Big b = n.to_big();
        EXPECT_EQ(ZLC_Is_BIGINT_Prime_Ex(b.get(), c.count, pool.get()), c.verdict)
            << c.n << " " << c.count;
        EXPECT_EQ(ZLC_Is_BIGINT_Prime(b.get(), c.count, nullptr, 0), c.verdict)
            << c.n << " " << c.count;
    }
    EXPECT_EQ(ZLC_Is_BIGINT_Prime_Ex(nullptr, 5, nullptr), 0);
    EXPECT_EQ(pool->depth, -1);
}

// Composites that fool weaker tests: Carmichael numbers and the least strong pseudoprimes to the
// first k prime bases (OEIS A006945), then a large Carmichael number.
const char* const kHardComposites[] = {
    "561",
    "1105",
    "1729",
    "2465",
    "2821",
    "6601",
    "8911",
    "41041",
    "825265",
    "321197185",
    "2047",
    "1373653",
    "25326001",
    "3215031751",
    "2152302898747",
    "3474749660383",
    "341550071728321",
    "3825123056546413051",
    "318665857834031151167461",
    "3317044064679887385961981",
    "1722679487144027224942814568581450379409",  // Chernick (6k+1)(12k+1)(18k+1), k = 1099511628756
};

int32_t gmp_verdict(mpz_ptr n) {
    return mpz_probab_prime_p(n, 40) > 0 ? 1 : -1;
}

TEST(Primality, DifferentialAgainstGmp) {
    zlc::test::Pool pool = new_pool();
    for (const char* text : kHardComposites) {
        Mpz n(text);
        Big b = n.to_big();
        EXPECT_EQ(ZLC_Is_BIGINT_Prime_Ex(b.get(), 21, pool.get()), gmp_verdict(n.get())) << text;
    }
    gmp_randstate_t state;
    gmp_randinit_mt(state);
    gmp_randseed_ui(state, 186);
    std::mt19937 rng(4);
    int primes = 0;
    for (int trial = 0; trial < 300; ++trial) {
        const unsigned long bits = 2 + rng() % 700;
        Mpz n;
        mpz_urandomb(n.get(), state, bits);
        mpz_setbit(n.get(), 0);
        if (trial % 3 == 0) mpz_nextprime(n.get(), n.get());
        if (mpz_cmp_ui(n.get(), 1) <= 0) continue;
        Big b = n.to_big();
        const int32_t expected = gmp_verdict(n.get());
        primes += expected == 1;
        ASSERT_EQ(ZLC_Is_BIGINT_Prime_Ex(b.get(), 11, pool.get()), expected) << trial;
        if (trial % 10 == 0) {
            ASSERT_EQ(ZLC_Is_BIGINT_Prime(b.get(), 6, pool.get(), ZLC_SHA256), expected) << trial;
        }
    }
    gmp_randclear(state);
    EXPECT_GT(primes, 100);
}

TEST(PrimeGeneration, RoundCounts) {
    const std::pair<int32_t, int> rows[] = {{4096, 3}, {1300, 3}, {1299, 4}, {1024, 4},
                                            {850, 4},  {849, 5},  {512, 7},  {250, 13},
                                            {249, 16}, {150, 20}, {149, 38}, {16, 38}};
    for (auto [bits, rounds] : rows) {
        EXPECT_EQ(zlc::bigint::prime_rounds(bits), rounds) << bits;
    }
}

// Odd, exactly `bits` bits, prime for GMP, and p - 1 free of every odd table prime.
void expect_sieved_prime(const BIGINT* p, int32_t bits) {
    ASSERT_EQ(ZLC_Get_BIGINT_Bits_Length(p), bits);
    Mpz n(p);
    EXPECT_GT(mpz_probab_prime_p(n.get(), 40), 0) << bits;
    for (size_t i = 1; i < zlc::bigint::kSmallPrimeCount; ++i) {
        ASSERT_NE(mpz_fdiv_ui(n.get(), zlc::bigint::kSmallPrimes[i]), 1u)
            << bits << " " << zlc::bigint::kSmallPrimes[i];
    }
}

TEST(PrimeGeneration, SizesAndVariants) {
    zlc::test::Pool pool = new_pool();
    for (int32_t bits : {16, 17, 20, 31, 32, 33, 64, 100, 512}) {
        Big p = new_big();
        ASSERT_EQ(ZLC_Generate_BIGINT_Prime_Ex(p.get(), bits, bits % 2 ? nullptr : pool.get()), 0u)
            << bits;
        expect_sieved_prime(p.get(), bits);
    }
    for (uint32_t digest : {0u, ZLC_SHA256}) {
        Big p = new_big();
        ASSERT_EQ(ZLC_Generate_BIGINT_Prime(p.get(), 160, pool.get(), digest), 0u);
        expect_sieved_prime(p.get(), 160);
    }
    EXPECT_EQ(pool->depth, -1);

    Big p = zlc::test::hex_big("05");
    for (int32_t bits : {15, 4, 0, -3}) {
        EXPECT_EQ(ZLC_Generate_BIGINT_Prime_Ex(p.get(), bits, nullptr), 0x041E004Du) << bits;
        EXPECT_EQ(ZLC_Generate_BIGINT_Prime(p.get(), bits, nullptr, 0), 0x041E004Du) << bits;
    }
    EXPECT_EQ(ZLC_Get_BIGINT_Word(p.get()), 5u);
    EXPECT_EQ(ZLC_Generate_BIGINT_Prime_Ex(nullptr, 64, nullptr), 0x041E0049u);
    {
        zlc::test::ModuleFlagsScope proven(zlc::test::proven_mode());
        EXPECT_EQ(ZLC_Generate_BIGINT_Prime(p.get(), 64, nullptr, 0), 0x041E004Du);
        EXPECT_EQ(ZLC_Is_BIGINT_Prime(p.get(), 5, nullptr, 0), 0);
    }
}

// Allocations failing from every point on: a failure status, or a prime that passed its tests;
// never a success with an untested number, never a leak or an open frame.
TEST(PrimeGeneration, AllocationFailures) {
    zlc::test::Pool pool = new_pool();
    for (long countdown = 0; countdown < 60; ++countdown) {
        Big p = new_big();
        uint32_t status;
        {
            zlc::test::FailAllocationsScope fail(countdown);
            status =
                ZLC_Generate_BIGINT_Prime_Ex(p.get(), 256, countdown % 2 ? pool.get() : nullptr);
        }
        EXPECT_EQ(pool->depth, -1);
        if (status == 0) {
            expect_sieved_prime(p.get(), 256);
        } else {
            EXPECT_TRUE(status == 0x041E004Du || status == 0x041E0057u || status == 0x041E001Bu ||
                        status == 0x041E0001u || (status >> 16) == 0x041Fu)
                << std::hex << status;
        }
    }
}

}  // namespace
