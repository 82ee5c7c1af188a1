// The digest unit: life cycle, lookups and every status of its failure table.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/support/hex.h"
#include "tests/support/library_seams.h"
#include "zlc.h"

namespace {

using zlc::test::Bytes;
using zlc::test::to_hex;

constexpr const char* kEmptySha256 = "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855";

struct UnitDeleter {
    void operator()(DIGEST_UNIT* u) const { ZLC_Free_DIGEST_Unit(u); }
};
using UnitPtr = std::unique_ptr<DIGEST_UNIT, UnitDeleter>;
UnitPtr new_unit() { return UnitPtr(ZLC_New_DIGEST_Unit()); }

TEST(DigestUnit, EmptyMessageWithoutUpdate) {
    auto unit = new_unit();
    ASSERT_EQ(ZLC_Init_DIGEST(unit.get(), ZLC_SHA256), 0u);
    EXPECT_EQ(unit->algorithm_id, ZLC_SHA256);
    EXPECT_EQ(unit->block_size, 64);
    EXPECT_EQ(unit->digest_length, 32);
    EXPECT_EQ(unit->initialised, 0xFFFFFFFFu);
    uint8_t out[32];
    int32_t len = 0;
    ASSERT_EQ(ZLC_Final_DIGEST(unit.get(), out, &len), 0u);
    EXPECT_EQ(len, 32);
    EXPECT_EQ(to_hex(out, 32), kEmptySha256);
}

TEST(DigestUnit, TwoMessagesInARowEqualSeparateUnits) {
    auto unit = new_unit();
    ASSERT_EQ(ZLC_Init_DIGEST(unit.get(), ZLC_SHA224), 0u);
    const Bytes a = zlc::test::random_bytes(100, 1), b = zlc::test::random_bytes(37, 2);
    uint8_t first[28], second[28], ref[28];
    ASSERT_EQ(ZLC_Update_DIGEST(unit.get(), a.data(), 100), 0u);
    ASSERT_EQ(ZLC_Final_DIGEST(unit.get(), first, nullptr), 0u);
    ASSERT_EQ(ZLC_Update_DIGEST(unit.get(), b.data(), 37), 0u);
    ASSERT_EQ(ZLC_Final_DIGEST(unit.get(), second, nullptr), 0u);
    ASSERT_EQ(ZLC_DIGEST(ZLC_SHA224, a.data(), 100, ref, nullptr), 0u);
    EXPECT_EQ(0, std::memcmp(first, ref, 28));
    ASSERT_EQ(ZLC_DIGEST(ZLC_SHA224, b.data(), 37, ref, nullptr), 0u);
    EXPECT_EQ(0, std::memcmp(second, ref, 28));
}

TEST(DigestUnit, InitFailures) {
    auto unit = new_unit();
    EXPECT_EQ(ZLC_Init_DIGEST(nullptr, ZLC_SHA256), 0x0A010049u);
    EXPECT_EQ(ZLC_Init_DIGEST(unit.get(), 0x05000600), 0x0A010059u);
    EXPECT_EQ(unit->algorithm_id, 0u);
    EXPECT_EQ(unit->initialised, 0xFFFFFFFFu);
    // A refusal in proven mode keeps the identifier.
    {
        zlc::test::ModuleFlagsScope proven(zlc::test::proven_mode());
        EXPECT_EQ(ZLC_Init_DIGEST(unit.get(), ZLC_SHA1), 0x0A010059u);
        EXPECT_EQ(ZLC_Init_DIGEST(unit.get(), ZLC_SHA256), 0u);
    }
    // After a failed Init the unit can be initialised again.
    ASSERT_EQ(ZLC_Init_DIGEST(unit.get(), 0), 0x0A010059u);
    EXPECT_EQ(ZLC_Init_DIGEST(unit.get(), ZLC_SHA256), 0u);
}

TEST(DigestUnit, FailedStateAllocationLeavesAUnitThatIsRefusedAndReleasable) {
    auto unit = new_unit();
    {
        zlc::test::FailAllocationsScope fail(0);
        EXPECT_EQ(ZLC_Init_DIGEST(unit.get(), ZLC_SHA256), 0x0A01003Au);
    }
    EXPECT_EQ(unit->state, nullptr);
    uint8_t byte = 1, out[32];
    EXPECT_EQ(ZLC_Update_DIGEST(unit.get(), &byte, 1), 0x0A02005Bu);
    EXPECT_EQ(ZLC_Final_DIGEST(unit.get(), out, nullptr), 0x0A030018u);
    ZLC_Clean_DIGEST_Unit(unit.get());
    EXPECT_EQ(ZLC_Init_DIGEST(unit.get(), ZLC_SHA256), 0u);
}

TEST(DigestUnit, UpdateAndFinalStatuses) {
    auto unit = new_unit();
    uint8_t byte = 0, out[32];
    // Never initialised: refused, no routine called.
    EXPECT_EQ(ZLC_Update_DIGEST(unit.get(), &byte, 1), 0x0A02005Bu);
    EXPECT_EQ(ZLC_Final_DIGEST(unit.get(), out, nullptr), 0x0A030018u);
    ASSERT_EQ(ZLC_Init_DIGEST(unit.get(), ZLC_SHA256), 0u);
    EXPECT_EQ(ZLC_Update_DIGEST(nullptr, &byte, 1), 0x0A020049u);
    EXPECT_EQ(ZLC_Update_DIGEST(unit.get(), nullptr, 0), 0x0A020049u);
    EXPECT_EQ(ZLC_Update_DIGEST(unit.get(), nullptr, -1), 0x0A020049u);
    EXPECT_EQ(ZLC_Update_DIGEST(unit.get(), &byte, -1), 0x0A02002Bu);
    EXPECT_EQ(ZLC_Update_DIGEST(unit.get(), &byte, 0), 0u);
    EXPECT_EQ(ZLC_Final_DIGEST(nullptr, out, nullptr), 0x0A030049u);
    EXPECT_EQ(ZLC_Final_DIGEST(unit.get(), nullptr, nullptr), 0x0A030049u);
    // A failing algorithm routine is reported by the unit.
    auto* final_fill = static_cast<uint32_t*>(unit->state) + 2;
    *final_fill = 65;
    EXPECT_EQ(ZLC_Update_DIGEST(unit.get(), &byte, 1), 0x0A02005Bu);
    *final_fill = 64;
    EXPECT_EQ(ZLC_Final_DIGEST(unit.get(), out, nullptr), 0x0A030018u);
}

uint32_t failing_self_test() { return 0x1A010019; }

TEST(DigestUnit, FinalWhoseReinitialisationFailsLeavesTheUnitRefusingUpdates) {
    auto unit = new_unit();
    ASSERT_EQ(ZLC_Init_DIGEST(unit.get(), ZLC_SHA256), 0u);
    uint8_t byte = 0, out[32];
    {
        // The init routine passes the gate, so an armed gate with a failing self-test makes it fail.
        zlc::test::ModuleFlagsScope gate({false, true, true}, failing_self_test);
        ASSERT_EQ(ZLC_Final_DIGEST(unit.get(), out, nullptr), 0u);
    }
    EXPECT_EQ(to_hex(out, 32), kEmptySha256);
    EXPECT_EQ(ZLC_Update_DIGEST(unit.get(), &byte, 1), 0x0A02005Bu);
    EXPECT_EQ(ZLC_Final_DIGEST(unit.get(), out, nullptr), 0x0A030018u);
}

TEST(DigestUnit, OneShotStatuses) {
    uint8_t data[4] = {}, out[32];
    EXPECT_EQ(ZLC_DIGEST(ZLC_SHA256, nullptr, 0, out, nullptr), 0x0A050049u);
    EXPECT_EQ(ZLC_DIGEST(0x05000600, data, 4, out, nullptr), 0x0A050022u);
    EXPECT_EQ(ZLC_DIGEST(ZLC_SHA256, data, -4, out, nullptr), 0x0A05005Bu);
    EXPECT_EQ(ZLC_DIGEST(ZLC_SHA256, data, 4, nullptr, nullptr), 0x0A050018u);
    {
        zlc::test::FailAllocationsScope fail(0);
        EXPECT_EQ(ZLC_DIGEST(ZLC_SHA256, data, 4, out, nullptr), 0x0A05003Au);
    }
    {
        zlc::test::FailAllocationsScope fail(1);
        EXPECT_EQ(ZLC_DIGEST(ZLC_SHA256, data, 4, out, nullptr), 0x0A050022u);
    }
    int32_t len = 0;
    EXPECT_EQ(ZLC_DIGEST(ZLC_SHA256, data, 0, out, &len), 0u);
    EXPECT_EQ(len, 32);
    EXPECT_EQ(to_hex(out, 32), kEmptySha256);
}

TEST(DigestUnit, CleanAndFree) {
    ZLC_Clean_DIGEST_Unit(nullptr);
    ZLC_Free_DIGEST_Unit(nullptr);
    auto unit = new_unit();
    ZLC_Clean_DIGEST_Unit(unit.get());  // fresh: unchanged
    DIGEST_UNIT zero{};
    EXPECT_EQ(0, std::memcmp(unit.get(), &zero, sizeof(zero)));
    ASSERT_EQ(ZLC_Init_DIGEST(unit.get(), ZLC_SHA256), 0u);
    ZLC_Clean_DIGEST_Unit(unit.get());
    EXPECT_EQ(0, std::memcmp(unit.get(), &zero, sizeof(zero)));
}

TEST(DigestLookups, NamesIdentifiersAndLengths) {
    struct Row {
        uint32_t id;
        const char* name;
        int32_t length;
    };
    const Row rows[] = {{ZLC_SHA1, "SHA1", 20},     {ZLC_SHA224, "SHA224", 28}, {ZLC_SHA256, "SHA256", 32},
                        {ZLC_SHA384, "SHA384", 48}, {ZLC_SHA512, "SHA512", 64}, {ZLC_MD5, "MD5", 16},
                        {ZLC_HAS160, "HAS160", 20}, {ZLC_MDC2, "MDC2", 16}};
    for (const auto& r : rows) {
        EXPECT_STREQ(ZLC_Get_DIGEST_Alg_Name(r.id), r.name);
        EXPECT_EQ(ZLC_Get_DIGEST_Length(r.id), r.length);
        EXPECT_EQ(ZLC_Get_DIGEST_Alg_ID_By_Name(r.name), r.id);
    }
    EXPECT_EQ(ZLC_Get_DIGEST_Alg_Name(0x05000000), nullptr);
    EXPECT_EQ(ZLC_Get_DIGEST_Length(0x05000000), 0);
    EXPECT_EQ(ZLC_Get_DIGEST_Alg_ID(nullptr), 0u);

    const struct {
        const char* name;
        uint32_t id;
    } names[] = {{"sha256", ZLC_SHA256}, {"Sha224", ZLC_SHA224}, {"has160", ZLC_HAS160}, {"SHA-256", 0},
                 {"SHA2560", 0},         {"", 0},                {nullptr, 0},            {"SHA256\xE9", 0},
                 {"\xFF\xFE", 0},        {"SHA256          extra", 0}};
    for (const auto& n : names) EXPECT_EQ(ZLC_Get_DIGEST_Alg_ID_By_Name(n.name), n.id) << (n.name ? n.name : "null");
}

}  // namespace
