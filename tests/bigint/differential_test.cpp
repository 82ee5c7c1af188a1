// Differential test against GMP on random operands whose word counts cross every method boundary
// (column-wise, schoolbook, balanced and unbalanced Karatsuba, division normalisation).
#include <gmp.h>
#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "crypto/bigint/modular.h"
#include "crypto/bigint/words.h"
#include "tests/bigint/bigint_support.h"
#include "tests/support/library_seams.h"

namespace {

using zlc::test::Big;
using zlc::test::dec_of;
using zlc::test::hex_of;
using zlc::test::new_big;
using zlc::test::new_pool;

constexpr int kSizes[] = {0, 1, 3, 4, 5, 7, 8, 9, 15, 16, 17, 18, 24, 31, 32, 33, 63, 64, 65};
// Karatsuba shapes beyond the list: upper parts equal to, above and below half the split size.
constexpr int kProductSizes[] = {47, 48, 49, 56, 80, 84, 85, 96, 127, 128, 129, 200, 256, 257};

enum class Shape { Random, TopOnes, AllOnes, EqualHalves, EdgeWords };

class Mpz {
  public:
    Mpz() { mpz_init(v_); }
    explicit Mpz(const BIGINT* n) {
        mpz_init(v_);
        mpz_import(v_, static_cast<size_t>(n->length), -1, 4, 0, 0, n->words);
    }
    ~Mpz() { mpz_clear(v_); }
    Mpz(const Mpz&) = delete;
    Mpz& operator=(const Mpz&) = delete;
    mpz_ptr get() { return v_; }
    std::string hex() const {
        if (mpz_sgn(v_) == 0) return "0";
        std::vector<char> buf(mpz_sizeinbase(v_, 16) + 2);
        mpz_get_str(buf.data(), 16, v_);
        std::string s(buf.data());
        for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return s.size() % 2 ? "0" + s : s;
    }
    std::string dec() const {
        std::vector<char> buf(mpz_sizeinbase(v_, 10) + 2);
        mpz_get_str(buf.data(), 10, v_);
        return buf.data();
    }

  private:
    mpz_t v_;
};

// Each case runs on the processor's kernels and again on the portable ones.
class Differential : public zlc::test::OnPath {
  protected:
    void SetUp() override { expect_chosen(zlc::bigint::words::word_kernel_paths()); }

    Big make(int words, Shape shape) {
        static constexpr uint32_t kEdge[] = {0, 1, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFE, 0xFFFFFFFF};
        std::vector<uint8_t> bytes(static_cast<size_t>(words) * 4);
        for (int i = 0; i < words; ++i) {
            uint32_t w = static_cast<uint32_t>(rng_());
            if (shape == Shape::AllOnes || (shape == Shape::TopOnes && i == 0)) w = 0xFFFFFFFF;
            if (shape == Shape::EdgeWords) w = kEdge[rng_() % 6];
            if (i == 0 && w == 0) w = 1;  // exactly `words` words
            for (int k = 0; k < 4; ++k)
                bytes[static_cast<size_t>(4 * i + k)] = static_cast<uint8_t>(w >> (24 - 8 * k));
        }
        if (shape == Shape::EqualHalves && words > 0 && words % 2 == 0) {
            std::memcpy(bytes.data() + bytes.size() / 2, bytes.data(), bytes.size() / 2);
            bytes[0] |= 0x80;
        }
        bytes.reserve(1);  // a valid pointer also for zero words
        Big n(ZLC_Binary_To_BIGINT(bytes.data(), static_cast<int32_t>(bytes.size()), nullptr));
        EXPECT_NE(n, nullptr);
        return n;
    }

    static std::string describe(const BIGINT* a, const BIGINT* b) {
        return "a=" + hex_of(a) + " b=" + hex_of(b);
    }

    void check_product(const BIGINT* a, const BIGINT* b) {
        Mpz x(a), y(b), want;
        mpz_mul(want.get(), x.get(), y.get());
        Big r = new_big();
        ASSERT_EQ(ZLC_Mtp_BIGINT(r.get(), a, b, pool_.get()), 0u);
        EXPECT_EQ(hex_of(r.get()), want.hex()) << describe(a, b);
        // The result may be an operand.
        Big alias(ZLC_Dup_BIGINT(a));
        ASSERT_EQ(ZLC_Mtp_BIGINT(alias.get(), alias.get(), b, pool_.get()), 0u);
        EXPECT_EQ(hex_of(alias.get()), want.hex()) << describe(a, b);
    }

    void check_square(const BIGINT* a) {
        Mpz x(a), want;
        mpz_mul(want.get(), x.get(), x.get());
        Big alias(ZLC_Dup_BIGINT(a));
        ASSERT_EQ(ZLC_Sqr_BIGINT(alias.get(), alias.get(), pool_.get()), 0u);
        EXPECT_EQ(hex_of(alias.get()), want.hex()) << hex_of(a);
        EXPECT_EQ(alias->length == 0 || alias->words[alias->length - 1] != 0, true);
    }

    void check_division(const BIGINT* a, const BIGINT* d) {
        if (d->length == 0) return;
        Mpz x(a), y(d), q, r;
        mpz_tdiv_qr(q.get(), r.get(), x.get(), y.get());
        Big quot = new_big(), rem = new_big();
        ASSERT_EQ(ZLC_Div_BIGINT(quot.get(), rem.get(), a, d, pool_.get()), 0u);
        EXPECT_EQ(hex_of(quot.get()), q.hex()) << describe(a, d);
        EXPECT_EQ(hex_of(rem.get()), r.hex()) << describe(a, d);
        // Without a pool, into the dividend itself.
        Big alias(ZLC_Dup_BIGINT(a));
        ASSERT_EQ(ZLC_Div_BIGINT(nullptr, alias.get(), alias.get(), d, nullptr), 0u);
        EXPECT_EQ(hex_of(alias.get()), r.hex()) << describe(a, d);
    }

    void check_sum_and_difference(const BIGINT* a, const BIGINT* b) {
        Mpz x(a), y(b), sum, diff;
        mpz_add(sum.get(), x.get(), y.get());
        Big alias(ZLC_Dup_BIGINT(b));
        ASSERT_EQ(ZLC_Add_BIGINT(alias.get(), a, alias.get()), 0u);
        EXPECT_EQ(hex_of(alias.get()), sum.hex()) << describe(a, b);
        const bool a_larger = mpz_cmp(x.get(), y.get()) >= 0;
        EXPECT_EQ(ZLC_Cmp_BIGINT(a, b), mpz_cmp(x.get(), y.get()) > 0 ? 1 : (a_larger ? 0 : -1));
        const BIGINT* hi = a_larger ? a : b;
        const BIGINT* lo = a_larger ? b : a;
        mpz_sub(diff.get(), a_larger ? x.get() : y.get(), a_larger ? y.get() : x.get());
        Big r(ZLC_Dup_BIGINT(hi));
        ASSERT_EQ(ZLC_Sub_BIGINT(r.get(), r.get(), lo, nullptr), 0u);
        EXPECT_EQ(hex_of(r.get()), diff.hex()) << describe(a, b);
        if (mpz_cmp(x.get(), y.get()) != 0) {
            Big refused = new_big();
            EXPECT_EQ(ZLC_Sub_BIGINT(refused.get(), lo, hi, nullptr), 0x040E0028u);
        }
    }

    void check_words(const BIGINT* a, uint32_t w) {
        Mpz x(a), want;
        Big n(ZLC_Dup_BIGINT(a));
        ASSERT_EQ(ZLC_Add_BIGINT_Word(n.get(), w), 0u);
        mpz_add_ui(want.get(), x.get(), w);
        EXPECT_EQ(hex_of(n.get()), want.hex());
        ASSERT_EQ(ZLC_Sub_BIGINT_Word(n.get(), w), 0u);
        EXPECT_EQ(hex_of(n.get()), x.hex());
        ASSERT_EQ(ZLC_Mtp_BIGINT_Word(n.get(), w), 0u);
        mpz_mul_ui(want.get(), x.get(), w);
        EXPECT_EQ(hex_of(n.get()), want.hex());
        if (w == 0) return;
        EXPECT_EQ(ZLC_Mod_BIGINT_Word(a, w), mpz_fdiv_ui(x.get(), w));
        Big q(ZLC_Dup_BIGINT(a));
        EXPECT_EQ(ZLC_Div_BIGINT_Word(q.get(), w), mpz_fdiv_q_ui(want.get(), x.get(), w));
        EXPECT_EQ(hex_of(q.get()), want.hex());
    }

    void check_text(const BIGINT* a) {
        Mpz x(a);
        EXPECT_EQ(hex_of(a), x.hex());
        EXPECT_EQ(dec_of(a), x.dec());
        Big back = zlc::test::hex_big(hex_of(a).c_str());
        EXPECT_EQ(ZLC_Cmp_BIGINT(back.get(), a), 0);
    }

    std::mt19937_64 rng_{20240611};
    zlc::test::Pool pool_ = new_pool();
};

INSTANTIATE_TEST_SUITE_P(
    Kernels, Differential,
    testing::ValuesIn(zlc::test::machine_paths(zlc::bigint::words::word_kernel_paths())),
    zlc::test::path_name);

TEST_P(Differential, EverySizePairAndShape) {
    for (Shape shape : {Shape::Random, Shape::TopOnes, Shape::EqualHalves}) {
        for (int al : kSizes) {
            Big a = make(al, shape);
            check_square(a.get());
            check_text(a.get());
            check_words(a.get(), static_cast<uint32_t>(rng_()));
            check_words(a.get(), 0xFFFFFFFF);
            for (int bl : kSizes) {
                Big b = make(bl, shape == Shape::EqualHalves ? Shape::AllOnes : shape);
                check_product(a.get(), b.get());
                check_sum_and_difference(a.get(), b.get());
                check_division(a.get(), b.get());
            }
        }
    }
}

TEST_P(Differential, KaratsubaShapes) {
    for (int n : kProductSizes) {
        for (int delta : {-1, 0, 1}) {
            for (Shape shape : {Shape::Random, Shape::AllOnes, Shape::EqualHalves}) {
                Big a = make(n, shape);
                Big b = make(n + delta, shape == Shape::EqualHalves ? Shape::Random : shape);
                check_product(a.get(), b.get());
                check_product(b.get(), a.get());
            }
        }
        Big a = make(n, Shape::Random);
        check_square(a.get());
        check_division(a.get(), make(n / 3 + 1, Shape::TopOnes).get());
    }
}

// Operands made of 0, 1, 2^31 - 1, 2^31, 2^32 - 2 and 2^32 - 1 words drive the digit estimate to
// its corrections and the add-back step.
TEST_P(Differential, DivisionEdgeWords) {
    // Short divisors, and divisors long enough for the multi-limb kernels.
    constexpr int kDivisorWords[] = {1, 2, 3, 4, 5, 7, 8, 9, 16, 17};
    for (int i = 0; i < 4000; ++i) {
        const int dl = kDivisorWords[rng_() % std::size(kDivisorWords)];
        Big d = make(dl, Shape::EdgeWords);
        Big a = make(dl + static_cast<int>(rng_() % 4), Shape::EdgeWords);
        check_division(a.get(), d.get());
    }
}

TEST_P(Differential, ModularOperations) {
    for (int mw : {1, 2, 3, 4, 8, 9, 16, 17, 32, 33}) {
        for (Shape shape : {Shape::Random, Shape::TopOnes}) {
            Big m = make(mw, shape);
            m->words[0] |= 1;
            Big a = make(mw + 1, Shape::Random);
            Big b = make(mw, Shape::Random);
            const int ebits = 1 + static_cast<int>(rng_() % (32 * mw));
            Big e = make((ebits + 31) / 32, Shape::Random);
            Mpz M(m.get()), A(a.get()), B(b.get()), E(e.get()), want;

            mpz_powm(want.get(), A.get(), E.get(), M.get());
            Big r = new_big();
            ASSERT_EQ(ZLC_Mod_Exp_BIGINT(r.get(), a.get(), e.get(), m.get(), pool_.get()), 0u);
            EXPECT_EQ(hex_of(r.get()), want.hex()) << mw;
            Big mont = new_big();
            ASSERT_EQ(ZLC_Mod_Exp_Mont_BIGINT(mont.get(), a.get(), e.get(), m.get(), nullptr), 0u);
            EXPECT_EQ(hex_of(mont.get()), want.hex()) << mw;

            mpz_mul(want.get(), A.get(), B.get());
            mpz_mod(want.get(), want.get(), M.get());
            ASSERT_EQ(ZLC_Mod_Mtp_BIGINT(r.get(), a.get(), b.get(), m.get(), pool_.get()), 0u);
            EXPECT_EQ(hex_of(r.get()), want.hex());

            mpz_sub(want.get(), A.get(), B.get());
            mpz_mod(want.get(), want.get(), M.get());
            ASSERT_EQ(ZLC_Mod_Sub_BIGINT(r.get(), a.get(), b.get(), m.get(), nullptr), 0u);
            EXPECT_EQ(hex_of(r.get()), want.hex());
            ASSERT_EQ(ZLC_Mod_Sub_BIGINT(r.get(), b.get(), a.get(), m.get(), nullptr), 0u);
            mpz_neg(want.get(), want.get());
            mpz_mod(want.get(), want.get(), M.get());
            EXPECT_EQ(hex_of(r.get()), want.hex());

            const int has_inverse = mpz_invert(want.get(), B.get(), M.get());
            const uint32_t status = ZLC_Mod_Inverse_BIGINT(r.get(), b.get(), m.get(), pool_.get());
            if (has_inverse != 0 && mpz_cmp_ui(M.get(), 1) != 0) {
                ASSERT_EQ(status, 0u);
                EXPECT_EQ(hex_of(r.get()), want.hex());
            } else if (has_inverse == 0) {
                EXPECT_EQ(status, 0x04070052u);
            }

            mpz_gcd(want.get(), A.get(), B.get());
            ASSERT_EQ(zlc::bigint::gcd(r.get(), pool_.get(), a.get(), b.get()), 0u);
            EXPECT_EQ(hex_of(r.get()), want.hex());
        }
    }
    EXPECT_EQ(pool_->depth, -1);
    EXPECT_EQ(pool_->used, 0);
}

// Full-size exponents over moduli of 8k words (whole four-limb kernels), even counts that leave
// single limbs beside whole groups, odd counts; bases below and above the modulus size; results
// written over each operand.
TEST_P(Differential, FullSizeMontgomeryExponent) {
    for (int mw : {6, 10, 18, 24, 31, 32, 64}) {
        for (Shape shape : {Shape::Random, Shape::TopOnes}) {
            Big m = make(mw, shape);
            m->words[0] |= 1;
            Big e = make(mw, Shape::Random);
            for (int aw : {mw - 1, mw, mw + 3}) {
                Big a = make(aw, Shape::Random);
                Mpz M(m.get()), A(a.get()), E(e.get()), want;
                mpz_powm(want.get(), A.get(), E.get(), M.get());
                Big r = new_big();
                ASSERT_EQ(ZLC_Mod_Exp_Mont_BIGINT(r.get(), a.get(), e.get(), m.get(), pool_.get()),
                          0u);
                EXPECT_EQ(hex_of(r.get()), want.hex()) << mw << " " << aw;
                for (int which = 0; which < 3; ++which) {
                    Big base(ZLC_Dup_BIGINT(a.get())), exp(ZLC_Dup_BIGINT(e.get())),
                        mod(ZLC_Dup_BIGINT(m.get()));
                    BIGINT* out = which == 0 ? base.get() : which == 1 ? exp.get() : mod.get();
                    ASSERT_EQ(
                        ZLC_Mod_Exp_Mont_BIGINT(out, base.get(), exp.get(), mod.get(), pool_.get()),
                        0u);
                    EXPECT_EQ(hex_of(out), want.hex())
                        << mw << " " << aw << " into operand " << which;
                }
            }
        }
    }
    EXPECT_EQ(pool_->depth, -1);
}

// The constant-time exponentiation on every boundary word count: exponents of full size, shorter,
// made of 0 and all-ones words, and with more words than the scan length; scan lengths of the
// modulus and beyond it; bases zero, below, equal to and above the modulus; results written over
// each operand.
TEST_P(Differential, ConstantTimeMontgomeryExponent) {
    for (int mw : kSizes) {
        if (mw == 0) continue;
        for (Shape shape : {Shape::Random, Shape::TopOnes}) {
            Big m = make(mw, shape);
            m->words[0] |= 1;
            const int32_t mbits = ZLC_Get_BIGINT_Bits_Length(m.get());
            struct ExpCase {
                int words;
                Shape shape;
                int32_t scan_bits;
            };
            const ExpCase exps[] = {{mw, Shape::Random, mbits},
                                    {mw / 2 + 1, Shape::EdgeWords, mbits},
                                    {1, Shape::Random, mbits + 37},
                                    {mw + 1, Shape::Random, mbits}};
            Big bases[] = {make(mw, Shape::Random), new_big(), Big(ZLC_Dup_BIGINT(m.get())),
                           make(mw + 2, Shape::Random)};
            for (const ExpCase& ec : exps) {
                Big e = make(ec.words, ec.shape);
                // The bases of the edge cases with the full-size exponent only.
                const size_t base_count = &ec == exps ? std::size(bases) : 1;
                for (const Big& a : std::span(bases, base_count)) {
                    Mpz M(m.get()), A(a.get()), E(e.get()), want;
                    mpz_powm(want.get(), A.get(), E.get(), M.get());
                    Big r = new_big();
                    ASSERT_EQ(zlc::bigint::mod_exp_mont_consttime(
                                  r.get(), a.get(), e.get(), ec.scan_bits, m.get(), pool_.get()),
                              0u);
                    EXPECT_EQ(hex_of(r.get()), want.hex())
                        << "m=" << hex_of(m.get()) << " e=" << hex_of(e.get()) << " "
                        << describe(a.get(), m.get());
                }
            }
            if (shape != Shape::Random) continue;
            Big a = make(mw, Shape::Random), e = make(mw, Shape::Random);
            Mpz M(m.get()), A(a.get()), E(e.get()), want;
            mpz_powm(want.get(), A.get(), E.get(), M.get());
            for (int which = 0; which < 3; ++which) {
                Big base(ZLC_Dup_BIGINT(a.get())), exp(ZLC_Dup_BIGINT(e.get())),
                    mod(ZLC_Dup_BIGINT(m.get()));
                BIGINT* out = which == 0 ? base.get() : which == 1 ? exp.get() : mod.get();
                ASSERT_EQ(zlc::bigint::mod_exp_mont_consttime(out, base.get(), exp.get(), mbits,
                                                              mod.get(), nullptr),
                          0u);
                EXPECT_EQ(hex_of(out), want.hex()) << mw << " into operand " << which;
            }
        }
    }
    EXPECT_EQ(pool_->depth, -1);
    EXPECT_EQ(pool_->used, 0);
}

}  // namespace
