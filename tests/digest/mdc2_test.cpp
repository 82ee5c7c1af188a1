// MDC-2: published digests, zero padding without a length block, streaming, the state left as it
// is by final, and the statuses (init refuses proven mode by itself).
#include "crypto/digest/mdc2.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "tests/digest/digest_checks.h"
#include "tests/support/library_seams.h"

namespace {

using namespace zlc::digest;
using zlc::test::Bytes;
using zlc::test::digest_of;
using zlc::test::from_hex;
using zlc::test::random_bytes;
using zlc::test::to_hex;

// PAD = 1 is this digest's zero padding. PAD = 2 appends 0x80 before zero padding, which is the
// zero-padded digest of the message followed by 0x80.
TEST(Mdc2, PublishedDigests) {
    int checked = 0;
    for (const auto& r : zlc::test::read_vector_file("mdc2/mdc2_des.txt")) {
        Bytes msg = from_hex(r.at("MSGHEX"));
        if (r.at("PAD") == "2") msg.push_back(0x80);
        EXPECT_EQ(to_hex(digest_of(ZLC_MDC2, msg)), r.at("MD")) << "line " << r.line;
        ++checked;
    }
    EXPECT_EQ(checked, 5);
}

TEST(Mdc2, ZeroPaddingWithoutLengthBlock) {
    EXPECT_EQ(to_hex(digest_of(ZLC_MDC2, {})), "52525252525252522525252525252525");
    for (std::size_t len : {1u, 3u, 7u, 9u, 15u}) {
        const Bytes msg = random_bytes(len, len);
        Bytes padded = msg;
        padded.resize((len + 7) / 8 * 8, 0);
        EXPECT_EQ(digest_of(ZLC_MDC2, msg), digest_of(ZLC_MDC2, padded)) << len;
    }
}

// One unit, reused after every Final, fed in random pieces: equal to one-shot.
TEST(Mdc2, RandomSplitsMatchOneShot) {
    std::mt19937 rng(10118);
    zlc::test::DigestUnitPtr unit(ZLC_New_DIGEST_Unit());
    ASSERT_EQ(ZLC_Init_DIGEST(unit.get(), ZLC_MDC2), 0u);
    for (int trial = 0; trial < 60; ++trial) {
        const Bytes msg = random_bytes(rng() % 100, rng());
        EXPECT_EQ(zlc::test::streamed_digest(unit.get(), msg, rng, 20), digest_of(ZLC_MDC2, msg)) << msg.size();
    }
    // With a valid pointer, an empty update is accepted and changes nothing.
    const uint8_t byte = 0;
    EXPECT_EQ(ZLC_Update_DIGEST(unit.get(), &byte, 0), 0u);
}

TEST(Mdc2State, FinalLeavesTheStateAsItIs) {
    MDC2_STATE state;
    ASSERT_EQ(zlc_mdc2_init(&state), 0u);
    const Bytes msg = random_bytes(11, 1);
    ASSERT_EQ(zlc_mdc2_update(&state, msg.data(), 11), 0u);
    EXPECT_EQ(state.pending_count, 3);
    uint8_t out[16];
    ASSERT_EQ(zlc_mdc2_final(&state, out), 0u);
    EXPECT_EQ(state.pending_count, 3);
    EXPECT_EQ(0, std::memcmp(state.h, out, 8));
    EXPECT_EQ(0, std::memcmp(state.hh, out + 8, 8));
}

uint32_t failing_self_test() { return 0x1A010019; }

TEST(Mdc2State, RoutineStatuses) {
    MDC2_STATE state{};
    const uint8_t byte = 0;
    uint8_t out[16];
    EXPECT_EQ(zlc_mdc2_init(nullptr), 0x13010049u);
    EXPECT_EQ(zlc_mdc2_update(nullptr, &byte, 1), 0x13020049u);
    EXPECT_EQ(zlc_mdc2_update(&state, nullptr, 1), 0x13020049u);
    EXPECT_EQ(zlc_mdc2_final(nullptr, out), 0x13030049u);
    EXPECT_EQ(zlc_mdc2_final(&state, nullptr), 0x13030049u);
    {
        // Proven mode is refused before the gate and the null check.
        zlc::test::ModuleFlagsScope proven({true, true, true}, failing_self_test);
        EXPECT_EQ(zlc_mdc2_init(nullptr), 0x130100F0u);
    }
    {
        zlc::test::ModuleFlagsScope gate({false, true, true}, failing_self_test);
        EXPECT_EQ(zlc_mdc2_init(nullptr), 0x1A010019u);
    }
    // A pending count outside 0..7 is refused rather than used as an index.
    for (int32_t bad : {-1, 8, 1000}) {
        ASSERT_EQ(zlc_mdc2_init(&state), 0u);
        state.pending_count = bad;
        EXPECT_EQ(zlc_mdc2_update(&state, &byte, 1), 0x13020059u) << bad;
        EXPECT_EQ(zlc_mdc2_final(&state, out), 0x13030059u) << bad;
    }
}

TEST(Mdc2State, RefusedInProvenModeThroughTheUnit) {
    zlc::test::DigestUnitPtr unit(ZLC_New_DIGEST_Unit());
    zlc::test::ModuleFlagsScope proven(zlc::test::proven_mode());
    EXPECT_EQ(ZLC_Init_DIGEST(unit.get(), ZLC_MDC2), 0x0A010059u);
    EXPECT_EQ(unit->algorithm_id, ZLC_MDC2);
}

}  // namespace
