// Triple DES: the SP 800-67 example, NIST TMOVS multi-block messages, the two-key form and the
// relation to single DES.
#include <gtest/gtest.h>

#include <string>

#include "crypto/cipher/block_cipher_ops.h"
#include "crypto/cipher/triple_des.h"
#include "tests/support/hex.h"
#include "tests/support/vector_file.h"

namespace {

using zlc::cipher::kDesDecrypt;
using zlc::cipher::kDesEncrypt;
using zlc::cipher::TDES_KEY_SCHEDULE;
using zlc::cipher::TripleDesBlock;
using zlc::cipher::TripleDesSetKey;
using zlc::test::Bytes;
using zlc::test::from_hex;
using zlc::test::to_hex;

Bytes tdes_ecb(const Bytes& key, const Bytes& in, std::uint32_t direction) {
    TDES_KEY_SCHEDULE schedule;
    EXPECT_EQ(TripleDesSetKey(static_cast<std::uint32_t>(key.size()), &schedule, key.data(), direction), 0u);
    Bytes out(in.size());
    for (std::size_t i = 0; i < in.size(); i += 8) TripleDesBlock(&schedule, in.data() + i, out.data() + i);
    return out;
}

Bytes tmovs_key(const zlc::test::VectorRecord& r) {
    Bytes key = from_hex(r.at("KEY1"));
    for (const char* name : {"KEY2", "KEY3"}) {
        const Bytes part = from_hex(r.at(name));
        key.insert(key.end(), part.begin(), part.end());
    }
    return key;
}

TEST(TripleDes, Sp80067Example) {
    for (const auto& r : zlc::test::read_vector_file("des/fips81_sp800_67_examples.txt")) {
        if (r.at("ALG") != "TDEA") continue;
        const Bytes key = from_hex(r.at("KEY")), pt = from_hex(r.at("PT")), ct = from_hex(r.at("CT"));
        EXPECT_EQ(to_hex(tdes_ecb(key, pt, kDesEncrypt)), to_hex(ct));
        EXPECT_EQ(to_hex(tdes_ecb(key, ct, kDesDecrypt)), to_hex(pt));
    }
}

// Keying options 1 (three keys), 2 (K1 = K3) and 3 (one key).
class TripleDesEcbMmt : public ::testing::TestWithParam<std::string> {};

TEST_P(TripleDesEcbMmt, EncryptAndDecrypt) {
    const auto records = zlc::test::read_vector_file("des/" + GetParam() + ".rsp");
    ASSERT_FALSE(records.empty());
    for (const auto& r : records) {
        SCOPED_TRACE(GetParam() + " line " + std::to_string(r.line));
        const Bytes key = tmovs_key(r);
        const Bytes pt = from_hex(r.at("PLAINTEXT")), ct = from_hex(r.at("CIPHERTEXT"));
        if (r.section == "ENCRYPT") {
            EXPECT_EQ(to_hex(tdes_ecb(key, pt, kDesEncrypt)), to_hex(ct));
        } else {
            EXPECT_EQ(to_hex(tdes_ecb(key, ct, kDesDecrypt)), to_hex(pt));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Tmovs, TripleDesEcbMmt, ::testing::Values("TECBMMT1", "TECBMMT2", "TECBMMT3"),
                         [](const auto& info) { return info.param; });

// The descriptor's CBC path keeps the chaining value across calls and decrypts in place.
TEST(TripleDes, CbcPathMatchesTmovs) {
    const auto& ops = zlc::cipher::kTripleDesOps;
    for (const char* file : {"TCBCMMT2", "TCBCMMT3"}) {
        for (const auto& r : zlc::test::read_vector_file(std::string("des/") + file + ".rsp")) {
            SCOPED_TRACE(std::string(file) + " line " + std::to_string(r.line));
            const Bytes key = tmovs_key(r);
            const bool encrypt = r.section == "ENCRYPT";
            TDES_KEY_SCHEDULE schedule;
            const auto set_key = encrypt ? ops.set_encrypt_key : ops.set_decrypt_key;
            ASSERT_EQ(set_key(&schedule, key.data(), 24, 0), 0u);
            Bytes chain = from_hex(r.at("IV"));
            Bytes data = from_hex(r.at(encrypt ? "PLAINTEXT" : "CIPHERTEXT"));
            const auto cbc = encrypt ? ops.cbc_encrypt_blocks : ops.cbc_decrypt_blocks;
            const std::size_t blocks = data.size() / 8;
            cbc(&schedule, chain.data(), data.data(), data.data(), 1);
            cbc(&schedule, chain.data(), data.data() + 8, data.data() + 8, blocks - 1);
            EXPECT_EQ(to_hex(data), r.at(encrypt ? "CIPHERTEXT" : "PLAINTEXT"));
        }
    }
}

TEST(TripleDes, KeyingOptionsRelateAsSp80067Says) {
    for (std::uint64_t seed = 1; seed <= 8; ++seed) {
        const Bytes k = zlc::test::random_bytes(24, seed), pt = zlc::test::random_bytes(32, 50 + seed);
        // Two keys K1||K2 are the three keys K1||K2||K1.
        const Bytes two(k.begin(), k.begin() + 16);
        Bytes three = two;
        three.insert(three.end(), k.begin(), k.begin() + 8);
        EXPECT_EQ(to_hex(tdes_ecb(two, pt, kDesEncrypt)), to_hex(tdes_ecb(three, pt, kDesEncrypt)));
        EXPECT_EQ(to_hex(tdes_ecb(two, pt, kDesDecrypt)), to_hex(tdes_ecb(three, pt, kDesDecrypt)));
        // K1 = K2 = K3 is single DES.
        const Bytes single(k.begin(), k.begin() + 8);
        Bytes same;
        for (int i = 0; i < 3; ++i) same.insert(same.end(), single.begin(), single.end());
        zlc::cipher::DES_KEY_SCHEDULE des;
        ASSERT_EQ(zlc::cipher::DesSetKey(single.data(), &des, kDesEncrypt), 0u);
        Bytes expected(pt.size());
        zlc::cipher::DesBlocks(&des, pt.data(), expected.data(), pt.size() / 8);
        EXPECT_EQ(to_hex(tdes_ecb(same, pt, kDesEncrypt)), to_hex(expected));
    }
}

TEST(TripleDes, SetKeyRefusesOtherLengths) {
    TDES_KEY_SCHEDULE schedule;
    const Bytes key(32, 0x5A);
    for (std::uint32_t length : {0u, 8u, 15u, 17u, 23u, 25u, 32u}) {
        EXPECT_EQ(TripleDesSetKey(length, &schedule, key.data(), kDesEncrypt), 0x0807002Bu) << length;
    }
}

}  // namespace
