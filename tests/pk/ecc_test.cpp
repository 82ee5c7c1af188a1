// Elliptic-curve containers: life cycles, the zero point, and what Set copies and leaves alone.
#include "crypto/pk/ecc.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/bigint/bigint_support.h"
#include "tests/support/library_seams.h"

namespace {

using zlc::test::Big;
using zlc::test::hex_big;
using zlc::test::hex_of;

TEST(EcPoint, ZeroValueGivesTwoOneWordZeros) {
    ECPOINT* point = ZLC_New_ECPOINT();
    ASSERT_NE(point, nullptr);
    EXPECT_EQ(point->x, nullptr);
    EXPECT_EQ(point->y, nullptr);
    ZLC_Zero_Value_ECPOINT(point);
    for (const BIGINT* c : {point->x, point->y}) {
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->length, 0);
        EXPECT_GE(c->capacity, 1);
        EXPECT_NE(c->flags & BIGINT_FLAG_HEAP, 0u);
    }
    // An existing coordinate is emptied, not replaced.
    ASSERT_EQ(ZLC_Set_BIGINT_Word(point->x, 7), 0u);
    BIGINT* x = point->x;
    ZLC_Zero_Value_ECPOINT(point);
    EXPECT_EQ(point->x, x);
    EXPECT_EQ(x->length, 0);
    ZLC_Clean_ECPOINT(point);
    EXPECT_EQ(point->x, nullptr);
    ZLC_Free_ECPOINT(point);
    ZLC_Zero_Value_ECPOINT(nullptr);
    ZLC_Free_ECPOINT(nullptr);
}

TEST(EcCurve, SetCopiesWhatIsGiven) {
    ECURVE* curve = ZLC_New_ECURVE();
    ASSERT_NE(curve, nullptr);
    ASSERT_NE(curve->generator, nullptr);
    Big p = hex_big("FFFFFFFF00000001000000000000000000000000FFFFFFFFFFFFFFFFFFFFFFFF");
    Big a = hex_big("FFFFFFFF00000001000000000000000000000000FFFFFFFFFFFFFFFFFFFFFFFC");
    Big b = hex_big("5AC635D8AA3A93E7B3EBBD55769886BC651D06B0CC53B0F63BCE3C3E27D2604B");
    Big n = hex_big("FFFFFFFF00000000FFFFFFFFFFFFFFFFBCE6FAADA7179E84F3B9CAC2FC632551");
    ECPOINT* g = ZLC_New_ECPOINT();
    g->x = ZLC_HEX_To_BIGINT("6B17D1F2E12C4247F8BCE6E563A440F277037D812DEB33A0F4A13945D898C296");
    const std::string forty(40, 'c');
    ASSERT_EQ(
        ZLC_Set_ECURVE_Params(curve, 415, forty.c_str(), p.get(), a.get(), b.get(), g, n.get()),
        0u);
    EXPECT_EQ(curve->curve_id, 415);
    EXPECT_EQ(std::string(curve->name), forty.substr(0, 31));
    EXPECT_EQ(curve->name[31], '\0');
    EXPECT_EQ(hex_of(curve->p), hex_of(p.get()));
    EXPECT_EQ(hex_of(curve->order), hex_of(n.get()));
    EXPECT_EQ(hex_of(curve->generator->x), hex_of(g->x));
    EXPECT_EQ(curve->generator->y, nullptr);  // only coordinates present are copied
    EXPECT_NE(curve->p, p.get());

    // Only a name and an identifier: every integer and the generator stay.
    const BIGINT* kept_p = curve->p;
    const ECPOINT* kept_g = curve->generator;
    ASSERT_EQ(ZLC_Set_ECURVE_Params(curve, 7, "P-256", nullptr, nullptr, nullptr, nullptr, nullptr),
              0u);
    EXPECT_EQ(std::string(curve->name), "P-256");
    EXPECT_EQ(curve->p, kept_p);
    EXPECT_EQ(curve->generator, kept_g);
    EXPECT_EQ(hex_of(curve->b), hex_of(b.get()));

    // Clean removes the generator; Set with a generator makes a new one.
    ZLC_Clean_ECURVE(curve);
    EXPECT_EQ(curve->generator, nullptr);
    EXPECT_EQ(curve->curve_id, 0);
    EXPECT_EQ(curve->name[0], '\0');
    ASSERT_EQ(ZLC_Set_ECURVE_Params(curve, 1, nullptr, nullptr, nullptr, nullptr, g, nullptr), 0u);
    ASSERT_NE(curve->generator, nullptr);
    EXPECT_EQ(hex_of(curve->generator->x), hex_of(g->x));

    EXPECT_EQ(ZLC_Set_ECURVE_Params(nullptr, 1, "x", p.get(), nullptr, nullptr, nullptr, nullptr),
              1u);
    {
        zlc::test::FailAllocationsScope fail(0);
        ZLC_Clean_ECURVE(curve);
        EXPECT_EQ(
            ZLC_Set_ECURVE_Params(curve, 1, nullptr, p.get(), nullptr, nullptr, nullptr, nullptr),
            1u);
    }
    ZLC_Free_ECPOINT(g);
    ZLC_Free_ECURVE(curve);
    ZLC_Free_ECURVE(nullptr);
}

TEST(EcKey, CleanReleasesEverything) {
    ECC_Key* key = ZLC_New_ECC_Key();
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->curve, nullptr);
    EXPECT_EQ(key->reserved, 0u);
    key->curve = ZLC_New_ECURVE();
    key->public_point = ZLC_New_ECPOINT();
    ZLC_Zero_Value_ECPOINT(key->public_point);
    key->private_scalar = ZLC_HEX_To_BIGINT("1234");
    ZLC_Clean_ECC_Key(key);
    EXPECT_EQ(key->curve, nullptr);
    EXPECT_EQ(key->public_point, nullptr);
    EXPECT_EQ(key->private_scalar, nullptr);
    ZLC_Free_ECC_Key(key);
    ZLC_Free_ECC_Key(nullptr);
}

}  // namespace
