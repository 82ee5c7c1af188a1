// The IFMA exponentiation for 513- to 1024-bit moduli against the sliding-window exponentiation
// and against the MULX/ADX or portable kernels of the same constant-time exponentiation.
#include "crypto/bigint/mod_exp_ifma.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <utility>

#include "crypto/bigint/bigint.h"
#include "crypto/bigint/modular.h"
#include "tests/support/library_seams.h"
#include "zlc.h"

namespace {

struct Free {
    void operator()(BIGINT* n) const { ZLC_Free_BIGINT(n); }
};
using Big = std::unique_ptr<BIGINT, Free>;

Big random_big(std::mt19937_64& rng, int bits, bool top_ones = false) {
    Big n(ZLC_New_BIGINT());
    for (int i = 0; i < bits; ++i) {
        const bool set = (top_ones && i >= bits - 40) || (rng() & 1) != 0;
        if (set) {
            EXPECT_EQ(ZLC_Set_BIGINT_Bit(n.get(), i), 0u);
        }
    }
    EXPECT_EQ(ZLC_Set_BIGINT_Bit(n.get(), bits - 1), 0u);
    return n;
}

std::string hex(const BIGINT* n) {
    char* text = ZLC_BIGINT_To_HEX(n);
    std::string s(text);
    ZLC_Free(text, nullptr, 0);
    return s;
}

// Everything the machine has, or everything but IFMA.
zlc::platform::FeatureMask features(bool ifma) {
    return ifma ? zlc::platform::kEveryFeature
                : ~zlc::platform::FeatureMask{zlc::platform::kAvx512ifma};
}

std::string consttime(const BIGINT* a, const BIGINT* e, const BIGINT* m, bool ifma) {
    zlc::test::FeaturesScope scope(features(ifma));
    Big r(ZLC_New_BIGINT());
    EXPECT_EQ(zlc::bigint::mod_exp_mont_consttime(r.get(), a, e, ZLC_Get_BIGINT_Bits_Length(m), m,
                                                  nullptr),
              0u);
    return hex(r.get());
}

TEST(ModExpIfma, AgreesWithTheOtherKernels) {
    if (!zlc::bigint::ifma::usable()) GTEST_SKIP() << "no AVX-512 IFMA on this processor";
    std::mt19937_64 rng(1040);
    for (int bits : {513, 544, 577, 768, 1000, 1023, 1024}) {
        for (bool top_ones : {false, true}) {
            Big m = random_big(rng, bits, top_ones);
            ASSERT_EQ(ZLC_Set_BIGINT_Bit(m.get(), 0), 0u);
            Big m_minus_1(ZLC_Dup_BIGINT(m.get()));
            ASSERT_EQ(ZLC_Sub_BIGINT_Word(m_minus_1.get(), 1), 0u);
            Big one(ZLC_New_BIGINT()), zero(ZLC_New_BIGINT());
            ASSERT_EQ(ZLC_Set_BIGINT_Word(one.get(), 1), 0u);
            const Big bases[] = {random_big(rng, bits - 1), Big(ZLC_Dup_BIGINT(m_minus_1.get())),
                                 Big(ZLC_Dup_BIGINT(one.get())), Big(ZLC_Dup_BIGINT(zero.get())),
                                 random_big(rng, bits + 70)};
            const Big exps[] = {random_big(rng, bits), Big(ZLC_Dup_BIGINT(one.get())),
                                Big(ZLC_Dup_BIGINT(m_minus_1.get())), random_big(rng, 17)};
            for (const Big& a : bases) {
                for (const Big& e : exps) {
                    Big want(ZLC_New_BIGINT());
                    ASSERT_EQ(
                        ZLC_Mod_Exp_Mont_BIGINT(want.get(), a.get(), e.get(), m.get(), nullptr),
                        0u);
                    EXPECT_EQ(consttime(a.get(), e.get(), m.get(), true), hex(want.get()))
                        << bits << " m=" << hex(m.get()) << " a=" << hex(a.get())
                        << " e=" << hex(e.get());
                    EXPECT_EQ(consttime(a.get(), e.get(), m.get(), false), hex(want.get()));
                }
            }
            zlc::test::PortablePathsScope portable(true);
            Big a = random_big(rng, bits - 2), e = random_big(rng, bits);
            EXPECT_EQ(consttime(a.get(), e.get(), m.get(), true),
                      consttime(a.get(), e.get(), m.get(), false));
        }
    }
}

// Two exponentiations in one pass give what two single ones give, also when only one modulus fits
// the IFMA kernels and the pair falls back to one after the other.
TEST(ModExpIfma, PairsAgreeWithSingles) {
    std::mt19937_64 rng(2080);
    for (auto [bits1, bits2] : {std::pair{1024, 1024}, std::pair{1024, 1001}, std::pair{600, 1024},
                                std::pair{1024, 512}, std::pair{1536, 1024}}) {
        Big m1 = random_big(rng, bits1), m2 = random_big(rng, bits2);
        ASSERT_EQ(ZLC_Set_BIGINT_Bit(m1.get(), 0), 0u);
        ASSERT_EQ(ZLC_Set_BIGINT_Bit(m2.get(), 0), 0u);
        const int scan = std::max(bits1, bits2);
        Big a1 = random_big(rng, bits1 + 3), a2 = random_big(rng, bits2 - 1);
        Big e1 = random_big(rng, scan - 1), e2 = random_big(rng, 30);
        Big r1(ZLC_New_BIGINT()), r2(ZLC_New_BIGINT());
        ASSERT_EQ(
            zlc::bigint::mod_exp_mont_consttime_x2(r1.get(), a1.get(), e1.get(), m1.get(), r2.get(),
                                                   a2.get(), e2.get(), m2.get(), scan, nullptr),
            0u);
        Big w1(ZLC_New_BIGINT()), w2(ZLC_New_BIGINT());
        ASSERT_EQ(ZLC_Mod_Exp_Mont_BIGINT(w1.get(), a1.get(), e1.get(), m1.get(), nullptr), 0u);
        ASSERT_EQ(ZLC_Mod_Exp_Mont_BIGINT(w2.get(), a2.get(), e2.get(), m2.get(), nullptr), 0u);
        EXPECT_EQ(hex(r1.get()), hex(w1.get())) << bits1 << " " << bits2;
        EXPECT_EQ(hex(r2.get()), hex(w2.get())) << bits1 << " " << bits2;
    }
}

}  // namespace
