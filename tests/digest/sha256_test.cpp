// SHA-256 and SHA-224: FIPS 180-4 examples and NIST SHAVS vectors on every code path, buffering
// rules of the state record, and a differential check against OpenSSL.
#include "crypto/digest/sha256.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <cstring>
#include <random>

#include "tests/support/hex.h"
#include "tests/support/library_seams.h"
#include "tests/support/vector_file.h"
#include "zlc.h"

namespace {

using zlc::digest::SHA256_STATE;
using zlc::test::Bytes;
using zlc::test::from_hex;
using zlc::test::to_hex;

Bytes digest(uint32_t id, const Bytes& msg) {
    Bytes out(ZLC_DIGEST_MAX_LENGTH);
    int32_t len = 0;
    EXPECT_EQ(ZLC_DIGEST(id, msg.data(), static_cast<int32_t>(msg.size()), out.data(), &len), 0u);
    out.resize(static_cast<size_t>(len));
    return out;
}

class Sha256Paths : public zlc::test::OnPath {
  protected:
    void SetUp() override { expect_chosen(zlc::digest::sha256_paths()); }
};

void check_cavp_file(const char* file, uint32_t id) {
    const auto records = zlc::test::read_vector_file(file);
    ASSERT_GT(records.size(), 10u);
    for (const auto& r : records) {
        Bytes msg = from_hex(r.at("Msg"));
        msg.resize(std::stoul(r.at("Len")) / 8);
        EXPECT_EQ(to_hex(digest(id, msg)), r.at("MD")) << file << " line " << r.line;
    }
}

TEST_P(Sha256Paths, NistShortAndLongMessages) {
    check_cavp_file("digest/SHA256ShortMsg.rsp", ZLC_SHA256);
    check_cavp_file("digest/SHA256LongMsg.rsp", ZLC_SHA256);
    check_cavp_file("digest/SHA224ShortMsg.rsp", ZLC_SHA224);
    check_cavp_file("digest/SHA224LongMsg.rsp", ZLC_SHA224);
}

TEST_P(Sha256Paths, Fips180ExamplesAndMillionA) {
    int checked = 0;
    for (const auto& r : zlc::test::read_vector_file("digest/fips180_examples.txt")) {
        const uint32_t id = r.at("ALG") == "SHA-256"   ? ZLC_SHA256
                            : r.at("ALG") == "SHA-224" ? ZLC_SHA224
                                                       : 0;
        if (id == 0) continue;
        EXPECT_EQ(to_hex(digest(id, from_hex(r.at("MSGHEX")))), r.at("MD")) << r.line;
        ++checked;
    }
    for (const auto& r : zlc::test::read_vector_file("digest/fips180_million_a.txt")) {
        const uint32_t id = r.at("ALG") == "SHA-256"   ? ZLC_SHA256
                            : r.at("ALG") == "SHA-224" ? ZLC_SHA224
                                                       : 0;
        if (id == 0) continue;
        const Bytes msg(std::stoul(r.at("MSG_LEN")), from_hex(r.at("MSG_BYTE"))[0]);
        EXPECT_EQ(to_hex(digest(id, msg)), r.at("MD"));
        ++checked;
    }
    EXPECT_GE(checked, 5);
}

// Random splits through Update give the one-shot digest, and match OpenSSL.
TEST_P(Sha256Paths, RandomSplitsMatchOneShotAndOpenSsl) {
    std::mt19937 rng(2026);
    DIGEST_UNIT* unit = ZLC_New_DIGEST_Unit();
    for (uint32_t id : {ZLC_SHA256, ZLC_SHA224}) {
        ASSERT_EQ(ZLC_Init_DIGEST(unit, id), 0u);
        for (int trial = 0; trial < 60; ++trial) {
            const Bytes msg = zlc::test::random_bytes(rng() % 700, rng());
            size_t pos = 0;
            while (pos < msg.size()) {
                const size_t n = std::min<size_t>(msg.size() - pos, rng() % 150);
                ASSERT_EQ(ZLC_Update_DIGEST(unit, msg.data() + pos, static_cast<int32_t>(n)), 0u);
                pos += n;
            }
            Bytes streamed(32);
            ASSERT_EQ(ZLC_Final_DIGEST(unit, streamed.data(), nullptr), 0u);
            streamed.resize(id == ZLC_SHA256 ? 32 : 28);
            EXPECT_EQ(streamed, digest(id, msg));

            unsigned char ref[EVP_MAX_MD_SIZE];
            unsigned int ref_len = 0;
            EVP_Digest(msg.data(), msg.size(), ref, &ref_len,
                       id == ZLC_SHA256 ? EVP_sha256() : EVP_sha224(), nullptr);
            EXPECT_EQ(streamed, Bytes(ref, ref + ref_len));
        }
    }
    ZLC_Free_DIGEST_Unit(unit);
}

INSTANTIATE_TEST_SUITE_P(Paths, Sha256Paths,
                         ::testing::ValuesIn(zlc::test::machine_paths(zlc::digest::sha256_paths())),
                         zlc::test::path_name);

TEST(Sha256State, SixtyFourByteUpdateCompressesAtOnce) {
    SHA256_STATE state;
    ASSERT_EQ(zlc::digest::zlc_sha256_init(&state), 0u);
    const Bytes block = zlc::test::random_bytes(64, 7);
    ASSERT_EQ(zlc::digest::zlc_sha256_update(&state, block.data(), 64), 0u);
    EXPECT_EQ(state.bit_count_low, 512u);
    EXPECT_EQ(state.bit_count_high, 0u);
    EXPECT_EQ(state.pending_count, 0);
    uint32_t expect[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                          0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
    zlc::digest::sha256_blocks_portable(expect, block.data(), 1);
    EXPECT_EQ(0, std::memcmp(state.h, expect, sizeof(expect)));

    // Length 0 changes nothing; final leaves final_fill at 56.
    const SHA256_STATE before = state;
    EXPECT_EQ(zlc::digest::zlc_sha256_update(&state, block.data(), 0), 0u);
    EXPECT_EQ(0, std::memcmp(&before, &state, sizeof(state)));
    uint8_t out[32];
    ASSERT_EQ(zlc::digest::zlc_sha256_final(&state, out), 0u);
    EXPECT_EQ(state.final_fill, 56u);
}

TEST(Sha256State, PaddingBoundaries) {
    for (size_t len : {55u, 56u, 63u, 64u, 65u, 119u, 120u, 128u}) {
        const Bytes msg = zlc::test::random_bytes(len, len);
        unsigned char ref[32];
        EVP_Digest(msg.data(), msg.size(), ref, nullptr, EVP_sha256(), nullptr);
        EXPECT_EQ(digest(ZLC_SHA256, msg), Bytes(ref, ref + 32)) << len;
    }
}

TEST(Sha256State, Sha224DiffersFromTruncatedSha256) {
    const Bytes msg = {'a', 'b', 'c'};
    Bytes sha256 = digest(ZLC_SHA256, msg);
    sha256.resize(28);
    EXPECT_NE(digest(ZLC_SHA224, msg), sha256);
}

TEST(Sha256State, RoutineStatuses) {
    using namespace zlc::digest;
    SHA256_STATE state{};
    uint8_t byte = 0;
    uint8_t out[32];
    EXPECT_EQ(zlc_sha224_init(nullptr), 0x1B050049u);
    EXPECT_EQ(zlc_sha256_init(nullptr), 0x1B080049u);
    EXPECT_EQ(zlc_sha224_update(nullptr, &byte, 1), 0x1B060049u);
    EXPECT_EQ(zlc_sha224_update(&state, nullptr, 1), 0x1B060049u);
    EXPECT_EQ(zlc_sha256_update(nullptr, &byte, 1), 0x1B090049u);
    EXPECT_EQ(zlc_sha256_update(&state, nullptr, 1), 0x1B090049u);
    EXPECT_EQ(zlc_sha224_final(nullptr, out), 0x1B070049u);
    EXPECT_EQ(zlc_sha256_final(nullptr, out), 0x1B0A0049u);
    EXPECT_EQ(zlc_sha256_compress(nullptr, &state), 0x1B0B0049u);
    EXPECT_EQ(zlc_sha256_compress(out, nullptr), 0x1B0B0049u);

    ASSERT_EQ(zlc_sha256_init(&state), 0u);
    state.final_fill = 65;
    EXPECT_EQ(zlc_sha256_update(&state, &byte, 1), 0x1B090006u);
    EXPECT_EQ(zlc_sha224_update(&state, &byte, 1), 0x1B06005Cu);
    state.final_fill = 0;
    state.pending_count = 64;  // a damaged buffer count must not drive a copy past `pending`
    EXPECT_EQ(zlc_sha256_update(&state, &byte, 1), 0x1B090059u);
    EXPECT_EQ(zlc_sha256_final(&state, out), 0x1B0A0059u);
    state.pending_count = 0;
    state.final_fill = 64;
    EXPECT_EQ(zlc_sha256_final(&state, out), 0x1B0A0049u);
    EXPECT_EQ(zlc_sha224_final(&state, out), 0x1B070019u);
}

}  // namespace
