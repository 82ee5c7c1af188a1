// Triple DES: the SP 800-67 example, NIST TMOVS multi-block messages, the two-key form and the
// relation to single DES.
#include <gtest/gtest.h>

#include <string>

#include "crypto/cipher/block_cipher_ops.h"
#include "crypto/cipher/triple_des.h"
#include "tests/cipher/legacy_unit_check.h"
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

namespace {

using zlc::test::run_unit;

// Through the unit: TMOVS CBC, CFB64 and OFB messages with three keys (0x02000200 and 0x02010200
// alike) and with K1 = K3 as two keys.
TEST(TripleDesUnit, TmovsModesThroughEveryIdentifier) {
    struct File {
        const char* name;
        uint32_t mode;
    };
    for (const File f : {File{"TCBCMMT2", ZLC_MODE_CBC}, File{"TCBCMMT3", ZLC_MODE_CBC},
                         File{"TCFB64MMT3", ZLC_MODE_CFB64}, File{"TOFBMMT3", ZLC_MODE_OFB}}) {
        for (const auto& r : zlc::test::read_vector_file(std::string("des/") + f.name + ".rsp")) {
            SCOPED_TRACE(std::string(f.name) + " line " + std::to_string(r.line));
            const bool encrypt = r.section == "ENCRYPT";
            const Bytes key = tmovs_key(r), iv = from_hex(r.at("IV"));
            const Bytes in = from_hex(r.at(encrypt ? "PLAINTEXT" : "CIPHERTEXT"));
            const std::string expected = r.at(encrypt ? "CIPHERTEXT" : "PLAINTEXT");
            std::vector<std::pair<uint32_t, Bytes>> ids = {{ZLC_TDES_3KEY, key}, {ZLC_TDES_3KEY_ALT, key}};
            if (r.at("KEY1") == r.at("KEY3")) ids.push_back({ZLC_TDES_2KEY, Bytes(key.begin(), key.begin() + 16)});
            for (const auto& [algorithm, k] : ids) {
                const auto outcome = run_unit(algorithm + f.mode + ZLC_NO_PADDING, encrypt, k, iv, in, {5, 8, 3});
                EXPECT_EQ(outcome.final_status, 0u);
                EXPECT_EQ(to_hex(outcome.out), expected) << std::hex << algorithm;
            }
        }
    }
}

TEST(TripleDesUnit, IdentifiersReportThemselves) {
    const Bytes key = zlc::test::random_bytes(24, 9);
    for (uint32_t algorithm : {ZLC_TDES_3KEY, ZLC_TDES_3KEY_ALT, ZLC_TDES_2KEY}) {
        auto unit = zlc::test::new_block_unit();
        ASSERT_EQ(ZLC_Init_BLOCK_CIPHER(unit.get(), algorithm + ZLC_MODE_CBC, key.data(), key.data(), 1), 0u);
        EXPECT_EQ(ZLC_Get_Block_Alg_ID(unit.get()), algorithm);
        EXPECT_EQ(unit->key_schedule_size, 384u);
        EXPECT_STREQ(ZLC_Get_Block_Alg_Name(algorithm), "ZLC_DES_EDE");
        EXPECT_EQ(ZLC_Init_BLOCK_CIPHER(unit.get(), algorithm + ZLC_MODE_CBC, nullptr, key.data(), 1), 0x05010023u);
    }
}

TEST(TripleDesUnit, EveryModeMatchesOpenSsl) {
    zlc::test::check_unit_against_openssl(ZLC_TDES_3KEY, "DES-EDE3", 24, {}, 3);
    zlc::test::check_unit_against_openssl(ZLC_TDES_2KEY, "DES-EDE", 16, {}, 2);
    zlc::test::check_unit_ctr(ZLC_TDES_3KEY, 24, 4);
}

}  // namespace
