// MD5: the RFC 1321 test suite, the state record's buffering and statuses (an empty update is
// refused), and a differential check against OpenSSL.
#include "crypto/digest/md5.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <cstring>
#include <random>

#include "tests/digest/digest_checks.h"
#include "tests/support/library_seams.h"

namespace {

using namespace zlc::digest;
using zlc::test::Bytes;

TEST(Md5, Rfc1321Suite) {
    EXPECT_EQ(zlc::test::check_vector_file("digest/md5_rfc1321.txt", ZLC_MD5), 7);
}

// One unit, reused after every Final, fed in random pieces: equal to one-shot and to OpenSSL.
TEST(Md5, RandomSplitsMatchOneShotAndOpenSsl) {
    std::mt19937 rng(1003);
    zlc::test::DigestUnitPtr unit(ZLC_New_DIGEST_Unit());
    ASSERT_EQ(ZLC_Init_DIGEST(unit.get(), ZLC_MD5), 0u);
    for (int trial = 0; trial < 60; ++trial) {
        const Bytes msg = zlc::test::random_bytes(rng() % 700, rng());
        const Bytes streamed = zlc::test::streamed_digest(unit.get(), msg, rng, 150);
        EXPECT_EQ(streamed, zlc::test::digest_of(ZLC_MD5, msg)) << msg.size();
        EXPECT_EQ(streamed, zlc::test::openssl_digest(EVP_md5(), msg)) << msg.size();
    }
}

TEST(Md5, PaddingBoundaries) {
    for (std::size_t len : {0u, 55u, 56u, 63u, 64u, 65u, 119u, 120u, 128u}) {
        const Bytes msg = zlc::test::random_bytes(len, len);
        EXPECT_EQ(zlc::test::digest_of(ZLC_MD5, msg), zlc::test::openssl_digest(EVP_md5(), msg))
            << len;
    }
}

TEST(Md5, EmptyUpdateIsRefusedAndChangesNothing) {
    MD5_STATE state;
    ASSERT_EQ(zlc_md5_init(&state), 0u);
    const Bytes msg = zlc::test::random_bytes(70, 3);
    ASSERT_EQ(zlc_md5_update(&state, msg.data(), 70), 0u);
    const MD5_STATE before = state;
    EXPECT_EQ(zlc_md5_update(&state, msg.data(), 0), 0x1202002Bu);
    EXPECT_EQ(0, std::memcmp(&before, &state, sizeof(state)));

    zlc::test::DigestUnitPtr unit(ZLC_New_DIGEST_Unit());
    ASSERT_EQ(ZLC_Init_DIGEST(unit.get(), ZLC_MD5), 0u);
    EXPECT_EQ(ZLC_Update_DIGEST(unit.get(), msg.data(), 0), 0x0A02005Bu);
    std::uint8_t out[16];
    EXPECT_EQ(ZLC_DIGEST(ZLC_MD5, msg.data(), 0, out, nullptr), 0x0A05005Bu);
}

TEST(Md5, RoutineStatuses) {
    MD5_STATE state{};
    std::uint8_t byte = 0, out[16];
    EXPECT_EQ(zlc_md5_init(nullptr), 0x12010049u);
    EXPECT_EQ(zlc_md5_update(nullptr, &byte, 1), 0x12020049u);
    EXPECT_EQ(zlc_md5_update(&state, nullptr, 0), 0x12020049u);
    EXPECT_EQ(zlc_md5_final(nullptr, out), 0x12030049u);
    EXPECT_EQ(zlc_md5_final(&state, nullptr), 0x12030049u);

    struct Damage {
        std::uint32_t final_fill;
        std::uint8_t pending_count;
        std::uint32_t update;
        std::uint32_t final;
    };
    // final_fill past the block is refused before 64 - final_fill is formed; a pending count
    // of a whole block means the next chunk cannot fit.
    const Damage cases[] = {
        {64, 0, 0u, 0x12030059u},
        {65, 0, 0x12020059u, 0x12030059u},
        {0xFFFFFFFFu, 5, 0x12020059u, 0x12030059u},
        {0, 64, 0x12020059u, 0u},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(zlc_md5_init(&state), 0u);
        state.final_fill = c.final_fill;
        state.pending_count = c.pending_count;
        EXPECT_EQ(zlc_md5_update(&state, &byte, 1), c.update)
            << c.final_fill << " " << int{c.pending_count};
        state.final_fill = c.final_fill;
        state.pending_count = c.pending_count;
        EXPECT_EQ(zlc_md5_final(&state, out), c.final)
            << c.final_fill << " " << int{c.pending_count};
    }
}

std::uint32_t failing_self_test() {
    return 0x1A010019;
}

TEST(Md5, NullCheckRunsBeforeTheGate) {
    zlc::test::ModuleFlagsScope gate({false, true, true}, failing_self_test);
    MD5_STATE state;
    EXPECT_EQ(zlc_md5_init(nullptr), 0x12010049u);
    EXPECT_EQ(zlc_md5_init(&state), 0x1A010019u);
}

TEST(Md5, RefusedByTheUnitInProvenModeButRoutinesStillWork) {
    zlc::test::ModuleFlagsScope proven(zlc::test::proven_mode());
    zlc::test::DigestUnitPtr unit(ZLC_New_DIGEST_Unit());
    EXPECT_EQ(ZLC_Init_DIGEST(unit.get(), ZLC_MD5), 0x0A010059u);
    EXPECT_EQ(unit->algorithm_id, ZLC_MD5);
    std::uint8_t abc[3] = {'a', 'b', 'c'}, out[16];
    EXPECT_EQ(ZLC_DIGEST(ZLC_MD5, abc, 3, out, nullptr), 0x0A050022u);

    MD5_STATE state;
    ASSERT_EQ(zlc_md5_init(&state), 0u);
    ASSERT_EQ(zlc_md5_update(&state, abc, 3), 0u);
    ASSERT_EQ(zlc_md5_final(&state, out), 0u);
    EXPECT_EQ(zlc::test::to_hex(out, 16), "900150983cd24fb0d6963f7d28e17f72");
}

}  // namespace
