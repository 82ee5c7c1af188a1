// The DES block primitive: NIST TMOVS known-answer tests, the FIPS 81 example, parity bits, and
// OpenSSL on random keys and blocks.
#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <cstring>
#include <map>
#include <string>

#include "crypto/cipher/des.h"
#include "tests/cipher/legacy_unit_check.h"
#include "tests/support/hex.h"
#include "tests/support/vector_file.h"

namespace {

using zlc::cipher::DES_KEY_SCHEDULE;
using zlc::cipher::DesBlock;
using zlc::cipher::DesSetKey;
using zlc::cipher::kDesDecrypt;
using zlc::cipher::kDesEncrypt;
using zlc::test::Bytes;
using zlc::test::from_hex;
using zlc::test::to_hex;

Bytes des(const Bytes& key, const Bytes& in, std::uint32_t direction) {
    DES_KEY_SCHEDULE schedule;
    EXPECT_EQ(DesSetKey(key.data(), &schedule, direction), 0u);
    Bytes out(in.size());
    for (std::size_t i = 0; i < in.size(); i += 8) DesBlock(&schedule, in.data() + i, out.data() + i);
    return out;
}

// The TMOVS known-answer files (variable key, variable text, permutation operation, substitution
// table, inverse permutation) cover every key bit, every text bit, every S-box entry and the
// permutations; both their ENCRYPT and DECRYPT sections run here.
class DesKnownAnswer : public ::testing::TestWithParam<std::string> {};

TEST_P(DesKnownAnswer, EncryptAndDecrypt) {
    const auto records = zlc::test::read_vector_file("des/" + GetParam() + ".rsp");
    ASSERT_FALSE(records.empty());
    for (const auto& r : records) {
        SCOPED_TRACE(GetParam() + " line " + std::to_string(r.line));
        const Bytes key = from_hex(r.at("KEYs"));
        const Bytes pt = from_hex(r.at("PLAINTEXT")), ct = from_hex(r.at("CIPHERTEXT"));
        if (r.section == "ENCRYPT") {
            EXPECT_EQ(to_hex(des(key, pt, kDesEncrypt)), to_hex(ct));
        } else {
            EXPECT_EQ(to_hex(des(key, ct, kDesDecrypt)), to_hex(pt));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Tmovs, DesKnownAnswer,
                         ::testing::Values("TECBvarkey", "TECBvartext", "TECBpermop", "TECBsubtab",
                                           "TECBinvperm"),
                         [](const auto& info) { return info.param; });

TEST(DesBlock, Fips81EcbExample) {
    for (const auto& r : zlc::test::read_vector_file("des/fips81_sp800_67_examples.txt")) {
        if (r.at("ALG") != "DES" || r.at("MODE") != "ECB") continue;
        SCOPED_TRACE("line " + std::to_string(r.line));
        const Bytes key = from_hex(r.at("KEY")), pt = from_hex(r.at("PT")), ct = from_hex(r.at("CT"));
        EXPECT_EQ(to_hex(des(key, pt, kDesEncrypt)), to_hex(ct));
        EXPECT_EQ(to_hex(des(key, ct, kDesDecrypt)), to_hex(pt));
    }
}

TEST(DesBlock, ParityBitsAreIgnoredAndInPlaceWorks) {
    for (std::uint64_t seed = 1; seed <= 16; ++seed) {
        Bytes key = zlc::test::random_bytes(8, seed);
        const Bytes pt = zlc::test::random_bytes(8, 100 + seed);
        const Bytes ct = des(key, pt, kDesEncrypt);
        for (auto& b : key) b ^= 1;
        EXPECT_EQ(to_hex(des(key, pt, kDesEncrypt)), to_hex(ct));

        DES_KEY_SCHEDULE schedule;
        ASSERT_EQ(DesSetKey(key.data(), &schedule, kDesDecrypt), 0u);
        Bytes block = ct;
        DesBlock(&schedule, block.data(), block.data());
        EXPECT_EQ(to_hex(block), to_hex(pt));
    }
}

// Single DES is triple DES with three equal keys, which OpenSSL's default provider offers.
TEST(DesBlock, MatchesOpenSslOnRandomKeys) {
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    ASSERT_NE(ctx, nullptr);
    for (std::uint64_t seed = 1; seed <= 200; ++seed) {
        const Bytes key = zlc::test::random_bytes(8, seed);
        const Bytes pt = zlc::test::random_bytes(64, 1000 + seed);
        Bytes key3;
        for (int i = 0; i < 3; ++i) key3.insert(key3.end(), key.begin(), key.end());
        Bytes expected(pt.size());
        int len = 0;
        ASSERT_EQ(EVP_EncryptInit_ex(ctx, EVP_des_ede3_ecb(), nullptr, key3.data(), nullptr), 1);
        EVP_CIPHER_CTX_set_padding(ctx, 0);
        ASSERT_EQ(EVP_EncryptUpdate(ctx, expected.data(), &len, pt.data(), static_cast<int>(pt.size())), 1);
        EXPECT_EQ(to_hex(des(key, pt, kDesEncrypt)), to_hex(expected));
        EXPECT_EQ(to_hex(des(key, expected, kDesDecrypt)), to_hex(pt));
    }
    EVP_CIPHER_CTX_free(ctx);
}

}  // namespace

namespace {

// FIPS 81's ECB, CBC, 64-bit CFB and 64-bit OFB examples through the unit (the 8-bit feedback
// modes are not offered).
TEST(DesUnit, Fips81Examples) {
    const std::map<std::string, uint32_t> modes = {{"ECB", ZLC_MODE_ECB},
                                                   {"CBC", ZLC_MODE_CBC},
                                                   {"CFB64", ZLC_MODE_CFB64},
                                                   {"OFB64", ZLC_MODE_OFB}};
    for (const auto& r : zlc::test::read_vector_file("des/fips81_sp800_67_examples.txt")) {
        if (r.at("ALG") != "DES" || modes.count(r.at("MODE")) == 0) continue;
        SCOPED_TRACE("line " + std::to_string(r.line));
        const Bytes key = from_hex(r.at("KEY")), pt = from_hex(r.at("PT"));
        const Bytes iv = r.has("IV") ? from_hex(r.at("IV")) : Bytes{};
        const uint32_t id = ZLC_DES + modes.at(r.at("MODE")) + ZLC_NO_PADDING;
        const auto enc = zlc::test::run_unit(id, true, key, iv, pt, {3, 9});
        EXPECT_EQ(to_hex(enc.out), r.at("CT"));
        EXPECT_EQ(to_hex(zlc::test::run_unit(id, false, key, iv, enc.out).out), to_hex(pt));
    }
}

TEST(DesUnit, EveryModeMatchesOpenSsl) {
    if (!zlc::test::openssl_legacy_available()) GTEST_SKIP() << "OpenSSL legacy provider not installed";
    zlc::test::check_unit_against_openssl(ZLC_DES, "DES", 8, {}, 46);
    zlc::test::check_unit_ctr(ZLC_DES, 8, 47);
}

}  // namespace
