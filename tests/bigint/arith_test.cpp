// Edge cases and failure statuses of addition, subtraction, word operations, shifts, division,
// multiplication and squaring.
#include <gtest/gtest.h>

#include "crypto/bigint/bigint.h"
#include "tests/bigint/bigint_support.h"
#include "tests/support/library_seams.h"

namespace {

using zlc::test::Big;
using zlc::test::hex_big;
using zlc::test::hex_of;
using zlc::test::new_big;
using zlc::test::new_pool;

TEST(BigintArith, CarryAndBorrowNormalise) {
    Big n = hex_big("FFFFFFFF");
    ASSERT_EQ(ZLC_Add_BIGINT_Word(n.get(), 1), 0u);
    EXPECT_EQ(n->length, 2);
    EXPECT_EQ(hex_of(n.get()), "0100000000");
    ASSERT_EQ(ZLC_Sub_BIGINT_Word(n.get(), 1), 0u);
    EXPECT_EQ(n->length, 1);
    EXPECT_EQ(hex_of(n.get()), "FFFFFFFF");

    Big sum = new_big();
    Big one = hex_big("1");
    ASSERT_EQ(ZLC_Add_BIGINT(sum.get(), n.get(), one.get()), 0u);
    EXPECT_EQ(sum->length, 2);
    Big diff = new_big();
    ASSERT_EQ(ZLC_Sub_BIGINT(diff.get(), sum.get(), one.get(), nullptr), 0u);
    EXPECT_EQ(diff->length, 1);
    EXPECT_EQ(ZLC_Sub_BIGINT(diff.get(), one.get(), sum.get(), nullptr), 0x040E0028u);
}

TEST(BigintArith, WordOperationTable) {
    enum Op { Add, Sub, Mtp };
    struct Case {
        const char* n;
        Op op;
        uint32_t w;
        const char* want;
    };
    const Case cases[] = {
        {"7", Sub, 10, "03"},  // absolute difference
        {"0", Sub, 5, "05"},
        {"5", Sub, 0, "05"},
        {"0", Add, 9, "09"},
        {"FFFFFFFFFFFFFFFF", Add, 1, "010000000000000000"},
        {"10000000000000000", Sub, 1, "FFFFFFFFFFFFFFFF"},
        {"0", Mtp, 7, "0"},
        {"1234", Mtp, 0, "0"},
        {"FFFFFFFF", Mtp, 0xFFFFFFFF, "FFFFFFFE00000001"},
    };
    for (const Case& c : cases) {
        Big n = hex_big(c.n);
        const uint32_t status = c.op == Add ? ZLC_Add_BIGINT_Word(n.get(), c.w)
                                : c.op == Sub ? ZLC_Sub_BIGINT_Word(n.get(), c.w)
                                              : ZLC_Mtp_BIGINT_Word(n.get(), c.w);
        EXPECT_EQ(status, 0u) << c.n;
        EXPECT_EQ(hex_of(n.get()), c.want) << c.n << " op " << c.op;
    }
    EXPECT_EQ(ZLC_Add_BIGINT_Word(nullptr, 1), 0x04030049u);
    EXPECT_EQ(ZLC_Sub_BIGINT_Word(nullptr, 1), 0x04040049u);
    EXPECT_EQ(ZLC_Mtp_BIGINT_Word(nullptr, 1), 0x04050049u);
}

TEST(BigintArith, WordDivision) {
    Big n = hex_big("3B9ACA07");  // 1,000,000,007
    EXPECT_EQ(ZLC_Mod_BIGINT_Word(n.get(), 1000000000u), 7u);
    EXPECT_EQ(ZLC_Div_BIGINT_Word(n.get(), 1000000000u), 7u);
    EXPECT_EQ(hex_of(n.get()), "01");
    EXPECT_EQ(ZLC_Div_BIGINT_Word(n.get(), 0), 0xFFFFFFFFu);
    EXPECT_EQ(ZLC_Mod_BIGINT_Word(n.get(), 0), 0xFFFFFFFFu);
    EXPECT_EQ(hex_of(n.get()), "01");
    Big zero = new_big();
    EXPECT_EQ(ZLC_Div_BIGINT_Word(zero.get(), 3), 0u);
    EXPECT_EQ(ZLC_Mod_BIGINT_Word(zero.get(), 3), 0u);
    EXPECT_EQ(ZLC_Div_BIGINT_Word(nullptr, 3), 0xFFFFFFFFu);
}

// A failed normalising shift must not send the decimal conversion round for ever.
TEST(BigintArith, DecimalConversionStopsWhenWordDivisionFails) {
    Big n = hex_big("FFFFFFFFFFFFFFFFFFFFFFFF");  // full top word: the copy must grow to shift
    zlc::test::FailAllocationsScope fail(4);      // text, chunks, the copy and its words
    EXPECT_EQ(ZLC_BIGINT_To_DEC(n.get()), nullptr);
}

TEST(BigintArith, Shifts) {
    Big n = hex_big("80000001");
    Big r = new_big();
    ASSERT_EQ(zlc::bigint::left_shift(r.get(), n.get(), 33), 0u);
    EXPECT_EQ(hex_of(r.get()), "010000000200000000");
    ASSERT_EQ(zlc::bigint::right_shift(r.get(), r.get(), 34), 0u);
    EXPECT_EQ(hex_of(r.get()), "40000000");
    ASSERT_EQ(zlc::bigint::right_shift(r.get(), r.get(), 32), 0u);
    EXPECT_EQ(r->length, 0);
    ASSERT_EQ(zlc::bigint::left_shift(n.get(), n.get(), 64), 0u);
    EXPECT_EQ(hex_of(n.get()), "800000010000000000000000");
    EXPECT_EQ(zlc::bigint::left_shift(n.get(), n.get(), 32 * 0xFFFFFF), 0x04150016u);
    EXPECT_EQ(zlc::bigint::left_shift(n.get(), n.get(), -1), 0x04150049u);
}

TEST(BigintArith, DivisionEdges) {
    auto pool = new_pool();
    struct Case {
        const char* a;
        const char* d;
        const char* q;
        const char* r;
    };
    const Case cases[] = {
        {"5", "7", "0", "05"},
        {"0", "7", "0", "0"},
        {"123456789ABCDEF", "FFFFFFFF", "01234567", "8ACF1356"},  // bit length 32: norm = 32
        {"FFFFFFFFFFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "0100000000", "FFFFFFFF"},
        {"1000000000000000000000000", "100000000", "010000000000000000", "0"},
    };
    for (const Case& c : cases) {
        for (BIGINT_POOL* p : {pool.get(), static_cast<BIGINT_POOL*>(nullptr)}) {
            Big a = hex_big(c.a), d = hex_big(c.d), q = new_big(), r = new_big();
            ASSERT_EQ(ZLC_Div_BIGINT(q.get(), r.get(), a.get(), d.get(), p), 0u) << c.a;
            EXPECT_EQ(hex_of(q.get()), c.q) << c.a;
            EXPECT_EQ(hex_of(r.get()), c.r) << c.a;
        }
    }
    Big a = hex_big("5"), zero = new_big(), q = new_big();
    EXPECT_EQ(ZLC_Div_BIGINT(q.get(), nullptr, a.get(), zero.get(), pool.get()), 0x04100028u);
    EXPECT_EQ(ZLC_Div_BIGINT(q.get(), nullptr, nullptr, a.get(), pool.get()), 0x04100049u);
    {
        zlc::test::FailAllocationsScope fail(0);
        EXPECT_EQ(ZLC_Div_BIGINT(q.get(), nullptr, a.get(), a.get(), nullptr), 0x0410003Au);
    }
    EXPECT_EQ(pool->depth, -1);
}

TEST(BigintArith, ProductAndSquareEdges) {
    auto pool = new_pool();
    Big zero = new_big(), a = hex_big("FFFF"), r = new_big();
    EXPECT_EQ(ZLC_Mtp_BIGINT(r.get(), zero.get(), a.get(), pool.get()), 0u);
    EXPECT_EQ(r->length, 0);
    EXPECT_EQ(ZLC_Mtp_BIGINT(nullptr, zero.get(), a.get(), pool.get()), 0x04120052u);
    EXPECT_EQ(ZLC_Sqr_BIGINT(r.get(), zero.get(), nullptr), 0u);
    EXPECT_EQ(r->length, 0);
    EXPECT_EQ(ZLC_Mtp_BIGINT(r.get(), a.get(), a.get(), nullptr), 0x04120057u);
    EXPECT_EQ(ZLC_Sqr_BIGINT(r.get(), a.get(), nullptr), 0x04110057u);

    ASSERT_EQ(ZLC_Sqr_BIGINT(r.get(), a.get(), pool.get()), 0u);
    EXPECT_EQ(hex_of(r.get()), "FFFE0001");
    EXPECT_EQ(r->length, 1);
    Big b = hex_big("10000");
    ASSERT_EQ(ZLC_Sqr_BIGINT(r.get(), b.get(), pool.get()), 0u);
    EXPECT_EQ(hex_of(r.get()), "0100000000");
    EXPECT_EQ(r->length, 2);

    // Scratch and growth failures are reported and the frame is still finished.
    Big big = hex_big("123456789ABCDEF0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF0"
                      "123456789ABCDEF0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF0");
    Big fresh_r = new_big();
    auto fresh = new_pool();
    {
        zlc::test::FailAllocationsScope fail(0);
        EXPECT_EQ(ZLC_Mtp_BIGINT(big.get(), big.get(), big.get(), fresh.get()), 0x0412003Bu);
        EXPECT_EQ(ZLC_Sqr_BIGINT(big.get(), big.get(), fresh.get()), 0x0411001Bu);
        EXPECT_EQ(ZLC_Mtp_BIGINT(fresh_r.get(), big.get(), a.get(), fresh.get()), 0x04120016u);
        EXPECT_EQ(ZLC_Sqr_BIGINT(fresh_r.get(), big.get(), fresh.get()), 0x04110016u);
    }
    EXPECT_EQ(fresh->depth, -1);
}

}  // namespace
