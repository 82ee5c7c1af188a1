// SHA-1: FIPS 180-4 examples and NIST SHAVS vectors on every code path, the state record's
// buffering and statuses, and a differential check against OpenSSL.
#include "crypto/digest/sha1.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <cstring>
#include <random>

#include "tests/digest/digest_checks.h"
#include "tests/support/library_seams.h"

namespace {

using namespace zlc::digest;
using zlc::test::Bytes;

class Sha1Paths : public zlc::test::OnPath {
  protected:
    void SetUp() override { expect_chosen(sha1_paths()); }
};

TEST_P(Sha1Paths, PublishedVectors) {
    EXPECT_GT(zlc::test::check_vector_file("digest/SHA1ShortMsg.rsp", ZLC_SHA1), 10);
    EXPECT_GT(zlc::test::check_vector_file("digest/SHA1LongMsg.rsp", ZLC_SHA1), 10);
    EXPECT_EQ(zlc::test::check_vector_file("digest/fips180_examples.txt", ZLC_SHA1, "SHA-1"), 2);
    EXPECT_EQ(zlc::test::check_vector_file("digest/fips180_million_a.txt", ZLC_SHA1, "SHA-1"), 1);
}

// One unit, reused after every Final, fed in random pieces: equal to one-shot and to OpenSSL.
TEST_P(Sha1Paths, RandomSplitsMatchOneShotAndOpenSsl) {
    std::mt19937 rng(1001);
    zlc::test::DigestUnitPtr unit(ZLC_New_DIGEST_Unit());
    ASSERT_EQ(ZLC_Init_DIGEST(unit.get(), ZLC_SHA1), 0u);
    for (int trial = 0; trial < 60; ++trial) {
        const Bytes msg = zlc::test::random_bytes(rng() % 700, rng());
        const Bytes streamed = zlc::test::streamed_digest(unit.get(), msg, rng, 150);
        EXPECT_EQ(streamed, zlc::test::digest_of(ZLC_SHA1, msg)) << msg.size();
        EXPECT_EQ(streamed, zlc::test::openssl_digest(EVP_sha1(), msg)) << msg.size();
    }
}

TEST_P(Sha1Paths, PaddingBoundaries) {
    for (std::size_t len : {0u, 55u, 56u, 63u, 64u, 65u, 119u, 120u, 128u}) {
        const Bytes msg = zlc::test::random_bytes(len, len);
        EXPECT_EQ(zlc::test::digest_of(ZLC_SHA1, msg), zlc::test::openssl_digest(EVP_sha1(), msg))
            << len;
    }
}

INSTANTIATE_TEST_SUITE_P(Paths, Sha1Paths,
                         ::testing::ValuesIn(zlc::test::machine_paths(sha1_paths())),
                         zlc::test::path_name);

TEST(Sha1State, SixtyFourByteUpdateCompressesAtOnce) {
    SHA1_STATE state;
    ASSERT_EQ(zlc_sha1_init(&state), 0u);
    const Bytes block = zlc::test::random_bytes(64, 7);
    ASSERT_EQ(zlc_sha1_update(&state, block.data(), 64), 0u);
    EXPECT_EQ(state.bit_count_low, 512u);
    EXPECT_EQ(state.bit_count_high, 0u);
    EXPECT_EQ(state.pending_count, 0);
    std::uint32_t expect[5] = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476, 0xc3d2e1f0};
    sha1_blocks_portable(expect, block.data(), 1);
    EXPECT_EQ(0, std::memcmp(state.h, expect, sizeof(expect)));

    const SHA1_STATE before = state;
    EXPECT_EQ(zlc_sha1_update(&state, block.data(), 0), 0u);
    EXPECT_EQ(0, std::memcmp(&before, &state, sizeof(state)));
    std::uint8_t out[20];
    ASSERT_EQ(zlc_sha1_final(&state, out), 0u);
    EXPECT_EQ(state.final_fill, 56u);
}

TEST(Sha1State, RoutineStatuses) {
    SHA1_STATE state{};
    std::uint8_t byte = 0, out[20];
    EXPECT_EQ(zlc_sha1_init(nullptr), 0x1B010049u);
    EXPECT_EQ(zlc_sha1_update(nullptr, &byte, 1), 0x1B020049u);
    EXPECT_EQ(zlc_sha1_update(&state, nullptr, 1), 0x1B020049u);
    EXPECT_EQ(zlc_sha1_final(nullptr, out), 0x1B030049u);
    EXPECT_EQ(zlc_sha1_final(&state, nullptr), 0x1B030049u);
    EXPECT_EQ(zlc_sha1_compress(nullptr, &state), 0x1B040049u);
    EXPECT_EQ(zlc_sha1_compress(out, nullptr), 0x1B040049u);

    struct Damage {
        std::uint32_t final_fill;
        std::uint8_t pending_count;
        std::uint32_t update;
        std::uint32_t final;
    };
    // final_fill past the block is refused before 64 - final_fill is formed; a pending count
    // of a whole block means the next chunk cannot fit.
    const Damage cases[] = {
        {64, 0, 0u, 0x1B030006u},
        {65, 0, 0x1B020049u, 0x1B030006u},
        {0xFFFFFFFFu, 5, 0x1B020049u, 0x1B030006u},
        {0, 64, 0x1B020059u, 0u},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(zlc_sha1_init(&state), 0u);
        state.final_fill = c.final_fill;
        state.pending_count = c.pending_count;
        EXPECT_EQ(zlc_sha1_update(&state, &byte, 1), c.update)
            << c.final_fill << " " << int{c.pending_count};
        state.final_fill = c.final_fill;
        state.pending_count = c.pending_count;
        EXPECT_EQ(zlc_sha1_final(&state, out), c.final)
            << c.final_fill << " " << int{c.pending_count};
    }
}

std::uint32_t failing_self_test() {
    return 0x1A010019;
}

TEST(Sha1State, GateRunsBeforeTheNullCheck) {
    zlc::test::ModuleFlagsScope gate({false, true, true}, failing_self_test);
    SHA1_STATE state;
    EXPECT_EQ(zlc_sha1_init(nullptr), 0x1A010019u);
    EXPECT_EQ(zlc_sha1_init(&state), 0x1A010019u);
}

TEST(Sha1State, RefusedByTheUnitInProvenModeButRoutinesStillWork) {
    zlc::test::ModuleFlagsScope proven(zlc::test::proven_mode());
    zlc::test::DigestUnitPtr unit(ZLC_New_DIGEST_Unit());
    EXPECT_EQ(ZLC_Init_DIGEST(unit.get(), ZLC_SHA1), 0x0A010059u);
    EXPECT_EQ(unit->algorithm_id, ZLC_SHA1);
    std::uint8_t abc[3] = {'a', 'b', 'c'}, out[20];
    EXPECT_EQ(ZLC_DIGEST(ZLC_SHA1, abc, 3, out, nullptr), 0x0A050022u);

    SHA1_STATE state;
    ASSERT_EQ(zlc_sha1_init(&state), 0u);
    ASSERT_EQ(zlc_sha1_update(&state, abc, 3), 0u);
    ASSERT_EQ(zlc_sha1_final(&state, out), 0u);
    EXPECT_EQ(zlc::test::to_hex(out, 20), "a9993e364706816aba3e25717850c26c9cd0d89d");
}

}  // namespace
