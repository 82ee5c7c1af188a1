// HAS-160: the standard's test messages, the single-block buffering with its 64-bit bit count
// (carry past 2^32 bits), the statuses (an empty update is refused), and a differential check
// against RHash.
#include "crypto/digest/has160.h"

#include <gtest/gtest.h>
#include <rhash.h>

#include <cstring>
#include <random>

#include "tests/digest/digest_checks.h"
#include "tests/support/library_seams.h"

namespace {

using namespace zlc::digest;
using zlc::test::Bytes;

Bytes rhash_has160(const Bytes& msg) {
    rhash_library_init();
    Bytes out(20);
    EXPECT_EQ(rhash_msg(RHASH_HAS160, msg.data(), msg.size(), out.data()), 0);
    return out;
}

TEST(Has160, StandardTestMessages) {
    EXPECT_EQ(zlc::test::check_vector_file("digest/has160_ttas_ko_12_0011.txt", ZLC_HAS160), 8);
}

// One unit, reused after every Final, fed in random pieces: equal to one-shot and to RHash.
TEST(Has160, RandomSplitsMatchOneShotAndRhash) {
    std::mt19937 rng(1004);
    zlc::test::DigestUnitPtr unit(ZLC_New_DIGEST_Unit());
    ASSERT_EQ(ZLC_Init_DIGEST(unit.get(), ZLC_HAS160), 0u);
    for (int trial = 0; trial < 60; ++trial) {
        const Bytes msg = zlc::test::random_bytes(rng() % 700, rng());
        const Bytes streamed = zlc::test::streamed_digest(unit.get(), msg, rng, 150);
        EXPECT_EQ(streamed, zlc::test::digest_of(ZLC_HAS160, msg)) << msg.size();
        EXPECT_EQ(streamed, rhash_has160(msg)) << msg.size();
    }
}

TEST(Has160, PaddingBoundaries) {
    for (std::size_t len : {0u, 55u, 56u, 63u, 64u, 65u, 119u, 120u, 128u}) {
        const Bytes msg = zlc::test::random_bytes(len, len);
        EXPECT_EQ(zlc::test::digest_of(ZLC_HAS160, msg), rhash_has160(msg)) << len;
    }
}

TEST(Has160, BitCountCarriesIntoTheHighWord) {
    HAS160_STATE state;
    ASSERT_EQ(zlc_has160_init(&state), 0u);
    // One update of 2^32 - 1 bytes: 8 x length needs 35 bits.
    has160_count_bytes(&state, 0xFFFFFFFFu);
    EXPECT_EQ(state.bit_count_low, 0xFFFFFFF8u);
    EXPECT_EQ(state.bit_count_high, 7u);
    has160_count_bytes(&state, 2);
    EXPECT_EQ(state.bit_count_low, 8u);
    EXPECT_EQ(state.bit_count_high, 8u);

    // A block that completes 2^32 bits: the length field appended by Final is the 64-bit count.
    ASSERT_EQ(zlc_has160_init(&state), 0u);
    state.bit_count_low = 0xFFFFFE00u;
    const Bytes block = zlc::test::random_bytes(64, 5);
    ASSERT_EQ(zlc_has160_update(&state, block.data(), 64), 0u);
    EXPECT_EQ(state.bit_count_low, 0u);
    EXPECT_EQ(state.bit_count_high, 1u);
    std::uint8_t out[20];
    ASSERT_EQ(zlc_has160_final(&state, out), 0u);
    const std::uint8_t length_field[8] = {0, 0, 0, 0, 1, 0, 0, 0};
    EXPECT_EQ(0, std::memcmp(state.block + 56, length_field, 8));
}

TEST(Has160, EmptyUpdateIsRefusedAndChangesNothing) {
    HAS160_STATE state;
    ASSERT_EQ(zlc_has160_init(&state), 0u);
    const Bytes msg = zlc::test::random_bytes(70, 3);
    ASSERT_EQ(zlc_has160_update(&state, msg.data(), 70), 0u);
    const HAS160_STATE before = state;
    EXPECT_EQ(zlc_has160_update(&state, msg.data(), 0), 0x0E02002Bu);
    EXPECT_EQ(0, std::memcmp(&before, &state, sizeof(state)));

    zlc::test::DigestUnitPtr unit(ZLC_New_DIGEST_Unit());
    ASSERT_EQ(ZLC_Init_DIGEST(unit.get(), ZLC_HAS160), 0u);
    EXPECT_EQ(ZLC_Update_DIGEST(unit.get(), msg.data(), 0), 0x0A02005Bu);
    std::uint8_t out[20];
    EXPECT_EQ(ZLC_DIGEST(ZLC_HAS160, msg.data(), 0, out, nullptr), 0x0A05005Bu);
}

std::uint32_t failing_self_test() {
    return 0x1A010019;
}

TEST(Has160, RoutineStatuses) {
    HAS160_STATE state;
    ASSERT_EQ(zlc_has160_init(&state), 0u);
    std::uint8_t byte = 0, out[20];
    EXPECT_EQ(zlc_has160_init(nullptr), 0x0E010049u);
    EXPECT_EQ(zlc_has160_update(nullptr, &byte, 1), 0x0E020049u);
    EXPECT_EQ(zlc_has160_update(&state, nullptr, 0), 0x0E02002Bu);
    EXPECT_EQ(zlc_has160_update(&state, nullptr, 1), 0x0E020049u);  // refused, not read
    EXPECT_EQ(zlc_has160_final(nullptr, out), 0x0E030049u);
    EXPECT_EQ(zlc_has160_final(&state, nullptr), 0x0E030049u);
    {
        // The null check comes before the gate.
        zlc::test::ModuleFlagsScope gate({false, true, true}, failing_self_test);
        EXPECT_EQ(zlc_has160_init(nullptr), 0x0E010049u);
        EXPECT_EQ(zlc_has160_init(&state), 0x1A010019u);
    }
}

TEST(Has160, RefusedByTheUnitInProvenModeButRoutinesStillWork) {
    zlc::test::ModuleFlagsScope proven(zlc::test::proven_mode());
    zlc::test::DigestUnitPtr unit(ZLC_New_DIGEST_Unit());
    EXPECT_EQ(ZLC_Init_DIGEST(unit.get(), ZLC_HAS160), 0x0A010059u);
    EXPECT_EQ(unit->algorithm_id, ZLC_HAS160);
    std::uint8_t abc[3] = {'a', 'b', 'c'}, out[20];
    EXPECT_EQ(ZLC_DIGEST(ZLC_HAS160, abc, 3, out, nullptr), 0x0A050022u);

    HAS160_STATE state;
    ASSERT_EQ(zlc_has160_init(&state), 0u);
    ASSERT_EQ(zlc_has160_update(&state, abc, 3), 0u);
    ASSERT_EQ(zlc_has160_final(&state, out), 0u);
    EXPECT_EQ(zlc::test::to_hex(out, 20), "975e810488cf2a3d49838478124afce4b1c78804");
}

}  // namespace
