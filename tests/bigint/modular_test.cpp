// Edge cases and failure statuses of modular arithmetic, exponentiation, inverse, gcd and the
// Montgomery set-up.
#include "crypto/bigint/modular.h"

#include <gtest/gtest.h>

#include <set>

#include "tests/bigint/bigint_support.h"
#include "tests/support/library_seams.h"

namespace {

using zlc::test::Big;
using zlc::test::hex_big;
using zlc::test::hex_of;
using zlc::test::new_big;
using zlc::test::new_pool;

using ModExp = uint32_t (*)(BIGINT*, const BIGINT*, const BIGINT*, const BIGINT*, BIGINT_POOL*);

// The constant-time exponentiation scanned over the modulus length, as RSA calls it.
uint32_t mod_exp_consttime(BIGINT* r, const BIGINT* a, const BIGINT* e, const BIGINT* m,
                           BIGINT_POOL* pool) {
    return zlc::bigint::mod_exp_mont_consttime(r, a, e, ZLC_Get_BIGINT_Bits_Length(m), m, pool);
}

TEST(BigintModular, ExponentiationTable) {
    struct Case {
        const char* a;
        const char* e;
        const char* m;
        const char* want;
    };
    const Case cases[] = {
        {"4", "D", "1F1", "01BD"},  // 4^13 mod 497 = 445
        {"1F4", "3", "1F1", "1B"},  // 500^3 mod 497 = 27
        {"7", "0", "1", "01"},      // exponent 0 gives 1, also for modulus 1
        {"3E2", "5", "1F1", "0"},   // 994 = 2 * 497
        {"5", "3", "1", "0"},
        // 24-bit and 23-bit exponents (windows of 3 and 1).
        {"2", "800001", "F4243", "063608"},
        {"2", "400001", "F4243", "0B1557"},
    };
    auto pool = new_pool();
    for (ModExp f :
         {ModExp{ZLC_Mod_Exp_BIGINT}, ModExp{ZLC_Mod_Exp_Mont_BIGINT}, ModExp{mod_exp_consttime}}) {
        for (const Case& c : cases) {
            Big a = hex_big(c.a), e = hex_big(c.e), m = hex_big(c.m), r = new_big();
            ASSERT_EQ(f(r.get(), a.get(), e.get(), m.get(), pool.get()), 0u) << c.a << "^" << c.e;
            EXPECT_EQ(hex_of(r.get()), c.want) << c.a << "^" << c.e << " mod " << c.m;
            ASSERT_EQ(f(a.get(), a.get(), e.get(), m.get(), nullptr),
                      0u);  // r is the base, private pool
            EXPECT_EQ(hex_of(a.get()), c.want);
        }
        Big r = new_big();
        EXPECT_EQ(f(r.get(), ZLC_Value_One_BIGINT(), nullptr, ZLC_Value_One_BIGINT(), nullptr), 0u);
        EXPECT_EQ(hex_of(r.get()), "01");
    }
    EXPECT_EQ(pool->depth, -1);
    EXPECT_EQ(zlc::bigint::window_bits(23), 1);
    EXPECT_EQ(zlc::bigint::window_bits(24), 3);
    EXPECT_EQ(zlc::bigint::window_bits(80), 4);
    EXPECT_EQ(zlc::bigint::window_bits(240), 5);
    EXPECT_EQ(zlc::bigint::window_bits(672), 6);
}

TEST(BigintModular, MontgomeryRefusesEvenAndZeroModuli) {
    Big a = hex_big("3"), e = hex_big("5"), r = new_big();
    for (ModExp f : {ModExp{ZLC_Mod_Exp_Mont_BIGINT}, ModExp{mod_exp_consttime}}) {
        for (const char* m : {"10", "0"}) {
            Big mod = hex_big(m);
            EXPECT_EQ(f(r.get(), a.get(), e.get(), mod.get(), nullptr), 0x040A0052u) << m;
        }
        Big zero = new_big(), m = hex_big("10");
        EXPECT_EQ(f(nullptr, a.get(), zero.get(), m.get(), nullptr), 0x04200049u);
        EXPECT_EQ(f(nullptr, a.get(), e.get(), m.get(), nullptr), 0x040A0049u);
        EXPECT_EQ(f(r.get(), a.get(), e.get(), ZLC_Value_One_BIGINT(), nullptr), 0u);
        EXPECT_EQ(f(const_cast<BIGINT*>(ZLC_Value_One_BIGINT()), a.get(), e.get(),
                    hex_big("7").get(), nullptr),
                  0x040A0002u);
        EXPECT_EQ(hex_of(ZLC_Value_One_BIGINT()), "01");
        zlc::test::FailAllocationsScope fail(0);
        EXPECT_EQ(f(r.get(), a.get(), e.get(), m.get(), nullptr), 0x040A0057u);
    }
    Big m = hex_big("11"), zero = new_big();
    EXPECT_EQ(zlc::bigint::mod_exp_mont_consttime(r.get(), a.get(), e.get(), -1, m.get(), nullptr),
              0x040A002Bu);
    EXPECT_EQ(
        zlc::bigint::mod_exp_mont_consttime(r.get(), a.get(), zero.get(), -1, m.get(), nullptr),
        0u);
    EXPECT_EQ(hex_of(r.get()), "01");
    EXPECT_EQ(ZLC_Mod_Exp_BIGINT(nullptr, a.get(), zero.get(), m.get(), nullptr), 0x04140052u);
    EXPECT_EQ(ZLC_Mod_Exp_BIGINT(r.get(), a.get(), e.get(), zero.get(), nullptr), 0x0414003Eu);
    zlc::test::FailAllocationsScope fail(0);
    EXPECT_EQ(ZLC_Mod_Exp_BIGINT(r.get(), a.get(), e.get(), m.get(), nullptr), 0x04140057u);
}

TEST(BigintModular, MontgomerySetupValues) {
    auto pool = new_pool();
    for (const char* hex : {"1F1", "1", "FFFFFFFF", "123456789ABCDEF1"}) {
        Big n = hex_big(hex);
        zlc::bigint::BIGINT_MONT ctx{};
        ASSERT_EQ(ZLC_Init_BIGINT(&ctx.r_squared), 0u);
        ASSERT_EQ(ZLC_Init_BIGINT(&ctx.modulus), 0u);
        ASSERT_EQ(zlc::bigint::mont_setup(pool.get(), &ctx, n.get()), 0u) << hex;
        EXPECT_EQ(ctx.r_bits, 32 * n->length);
        EXPECT_EQ(static_cast<uint32_t>(ctx.word_inverse * n->words[0]), 0xFFFFFFFFu)
            << hex;  // -N^-1
        // R^2 mod N, with R = 2^r_bits: compare with a plain reduction.
        Big r2 = new_big();
        ASSERT_EQ(ZLC_Set_BIGINT_Bit(r2.get(), 2 * ctx.r_bits), 0u);
        ASSERT_EQ(ZLC_Div_BIGINT(nullptr, r2.get(), r2.get(), n.get(), pool.get()), 0u);
        EXPECT_EQ(ZLC_Cmp_BIGINT(&ctx.r_squared, r2.get()), 0) << hex;
        ZLC_Clear_BIGINT(&ctx.r_squared);
        ZLC_Clear_BIGINT(&ctx.modulus);
    }
}

TEST(BigintModular, InverseGcdAndSubtraction) {
    auto pool = new_pool();
    Big r = new_big();
    Big three = hex_big("3"), two = hex_big("2"), seven = hex_big("7"), four = hex_big("4"),
        five = hex_big("5");
    ASSERT_EQ(ZLC_Mod_Inverse_BIGINT(r.get(), three.get(), seven.get(), pool.get()), 0u);
    EXPECT_EQ(hex_of(r.get()), "05");
    EXPECT_EQ(ZLC_Mod_Inverse_BIGINT(r.get(), two.get(), four.get(), pool.get()), 0x04070052u);
    EXPECT_EQ(ZLC_Mod_Inverse_BIGINT(r.get(), two.get(), four.get(), nullptr), 0x04070057u);

    struct GcdCase {
        const char* a;
        const char* b;
        const char* want;
    };
    for (const GcdCase& c :
         {GcdCase{"C", "12", "06"}, GcdCase{"0", "5", "05"}, GcdCase{"5", "0", "05"},
          GcdCase{"0", "0", "0"}, GcdCase{"40", "30", "10"}}) {
        Big a = hex_big(c.a), b = hex_big(c.b);
        ASSERT_EQ(zlc::bigint::gcd(r.get(), pool.get(), a.get(), b.get()), 0u);
        EXPECT_EQ(hex_of(r.get()), c.want) << c.a << " " << c.b;
    }
    EXPECT_EQ(zlc::bigint::gcd(r.get(), nullptr, three.get(), two.get()), 0x04060057u);

    ASSERT_EQ(ZLC_Mod_Sub_BIGINT(r.get(), three.get(), five.get(), seven.get(), nullptr), 0u);
    EXPECT_EQ(hex_of(r.get()), "05");
    ASSERT_EQ(ZLC_Mod_Sub_BIGINT(r.get(), five.get(), five.get(), seven.get(), nullptr), 0u);
    EXPECT_EQ(hex_of(r.get()), "0");
    EXPECT_EQ(ZLC_Mod_Sub_BIGINT(nullptr, five.get(), five.get(), seven.get(), nullptr),
              0x040F0049u);
    EXPECT_EQ(pool->depth, -1);
}

// A failed inner step must never come back as success with a wrong value (in a CRT step that
// value would leak the key).
TEST(BigintModular, SubtractionReportsInnerFailures) {
    Big a = hex_big("123456789ABCDEF0123456789"), b = hex_big("FEDCBA9876543210FEDCBA"),
        m = hex_big("1000000007");
    Big r = new_big();
    {
        zlc::test::FailAllocationsScope fail(0);
        EXPECT_EQ(ZLC_Mod_Sub_BIGINT(r.get(), a.get(), b.get(), m.get(), nullptr), 0x040F003Au);
    }
    Big want = new_big();
    ASSERT_EQ(ZLC_Mod_Sub_BIGINT(want.get(), a.get(), b.get(), m.get(), nullptr), 0u);
    for (long budget = 1; budget < 40; ++budget) {
        uint32_t status = 0;
        ZLC_Clear_BIGINT(r.get());
        {
            zlc::test::FailAllocationsScope fail(budget);
            status = ZLC_Mod_Sub_BIGINT(r.get(), a.get(), b.get(), m.get(), nullptr);
        }
        if (status == 0) {
            EXPECT_EQ(ZLC_Cmp_BIGINT(r.get(), want.get()), 0) << budget;
        }
    }
    Big zero = new_big();
    EXPECT_EQ(ZLC_Mod_Sub_BIGINT(r.get(), a.get(), b.get(), zero.get(), nullptr), 0x04100028u);
}

// Every allocation of a Montgomery exponentiation failing in turn: a status of its own table or
// the right value, and the caller's pool left with no open frame.
TEST(BigintModular, MontgomeryExponentiationUnderAllocationFailures) {
    const std::set<uint32_t> allowed = {0x040A001Bu, 0x040A003Au, 0x040A0052u, 0x040A003Eu,
                                        0x040A0004u, 0x040A0043u, 0x040A0002u};
    Big a = hex_big("0123456789ABCDEF0123456789ABCDEF"),
        e = hex_big("F0E1D2C3B4A5968778695A4B3C2D1E0F");
    Big m = hex_big("FEDCBA98765432100123456789ABCDEFFEDCBA98765432100123456789ABCDEF");
    Big want = new_big();
    ASSERT_EQ(ZLC_Mod_Exp_Mont_BIGINT(want.get(), a.get(), e.get(), m.get(), nullptr), 0u);
    for (ModExp f : {ModExp{ZLC_Mod_Exp_Mont_BIGINT}, ModExp{mod_exp_consttime}}) {
        bool succeeded = false;
        for (long budget = 0; budget < 200 && !succeeded; ++budget) {
            auto pool = new_pool();
            Big r = new_big();
            uint32_t status = 0;
            {
                zlc::test::FailAllocationsScope fail(budget);
                status = f(r.get(), a.get(), e.get(), m.get(), pool.get());
            }
            EXPECT_EQ(pool->depth, -1) << budget;
            if (status == 0) {
                EXPECT_EQ(ZLC_Cmp_BIGINT(r.get(), want.get()), 0) << budget;
                succeeded = true;
            } else {
                EXPECT_TRUE(allowed.count(status) != 0)
                    << std::hex << status << " at " << std::dec << budget;
            }
        }
        EXPECT_TRUE(succeeded);
    }
}

TEST(BigintModular, ModularProductStatuses) {
    auto pool = new_pool();
    Big a = hex_big("1234567"), m = hex_big("1000"), zero = new_big(), r = new_big();
    EXPECT_EQ(ZLC_Mod_Mtp_BIGINT(r.get(), a.get(), a.get(), m.get(), nullptr), 0x04130057u);
    EXPECT_EQ(ZLC_Mod_Mtp_BIGINT(r.get(), a.get(), m.get(), zero.get(), pool.get()), 0x0413003Eu);
    ASSERT_EQ(ZLC_Mod_Mtp_BIGINT(r.get(), a.get(), a.get(), m.get(), pool.get()), 0u);
    EXPECT_EQ(hex_of(r.get()), "0F71");
}

}  // namespace
