#include <gtest/gtest.h>

#include <cstring>

#include "tests/support/library_seams.h"
#include "zlc.h"

namespace {

using zlc::test::ModuleFlagsScope;

int g_runs = 0;
uint32_t failing_sequence() {
    ++g_runs;
    return 0x1A010050;
}
uint32_t passing_sequence() {
    ++g_runs;
    return 0;
}

TEST(ModuleState, StartsIdleAndOutOfProvenMode) {
    EXPECT_EQ(ZLC_Is_Proven(), 0);
    EXPECT_EQ(ZLC_Crypto_Initialize(), 0u);
    EXPECT_EQ(ZLC_Change_Non_Proven_Mode(), 0x0D0100F1u);
    EXPECT_EQ(ZLC_Is_Proven(), 0);
    EXPECT_STREQ(ZLC_Get_Crypto_Version(), "5.2.0");
}

TEST(ModuleState, LeavingProvenModeNeedsAPendingSelfTest) {
    {
        ModuleFlagsScope scope({true, false, true});
        EXPECT_EQ(ZLC_Is_Proven(), 1);
        EXPECT_EQ(ZLC_Change_Non_Proven_Mode(), 0u);
        EXPECT_EQ(ZLC_Is_Proven(), 0);
    }
    ModuleFlagsScope scope({true, true, false});
    EXPECT_EQ(ZLC_Change_Non_Proven_Mode(), 0x0D0100F1u);
    EXPECT_EQ(ZLC_Is_Proven(), 1);
}

TEST(ModuleState, FailingSelfTestRunsOnEveryGatedCallUntilItPasses) {
    g_runs = 0;
    {
        ModuleFlagsScope scope({false, true, true}, failing_sequence);
        EXPECT_EQ(ZLC_Crypto_Initialize(), 0x1A010050u);
        DIGEST_UNIT* unit = ZLC_New_DIGEST_Unit();
        EXPECT_EQ(ZLC_Init_DIGEST(unit, ZLC_SHA256), 0x1A010050u);
        EXPECT_EQ(ZLC_Get_DIGEST_Length(ZLC_SHA256), 0);
        EXPECT_EQ(ZLC_Get_DIGEST_Alg_Name(ZLC_SHA256), nullptr);
        EXPECT_EQ(ZLC_Get_DIGEST_Alg_ID_By_Name("SHA256"), 0u);
        uint8_t out[32];
        EXPECT_EQ(ZLC_DIGEST(ZLC_SHA256, out, 0, out, nullptr), 0x0A050022u);
        ZLC_Free_DIGEST_Unit(unit);
        EXPECT_EQ(g_runs, 6);
        const auto flags = zlc::core::module_flags();
        EXPECT_TRUE(flags.gate_armed);
        EXPECT_TRUE(flags.self_test_pending);
    }
    g_runs = 0;
    ModuleFlagsScope scope({false, true, true}, passing_sequence);
    EXPECT_EQ(ZLC_Crypto_Initialize(), 0u);
    EXPECT_EQ(ZLC_Crypto_Initialize(), 0u);
    EXPECT_EQ(ZLC_Get_DIGEST_Length(ZLC_SHA256), 32);
    EXPECT_EQ(g_runs, 1);
    const auto flags = zlc::core::module_flags();
    EXPECT_TRUE(flags.gate_armed);
    EXPECT_FALSE(flags.self_test_pending);
}

TEST(ModuleState, GateIsDisarmedWhileTheSequenceRuns) {
    static bool seen_disarmed = false;
    ModuleFlagsScope scope({false, true, true}, [] {
        seen_disarmed = !zlc::core::module_flags().gate_armed;
        return ZLC_Crypto_Initialize();  // would recurse if the gate were still armed
    });
    EXPECT_EQ(ZLC_Crypto_Initialize(), 0u);
    EXPECT_TRUE(seen_disarmed);
}

}  // namespace
