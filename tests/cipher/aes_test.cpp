// AES: FIPS 197 and NIST AESAVS / SP 800-38A vectors on every code path (portable, AES-NI, VAES on
// 256- and 512-bit registers), the schedule record, argument checks, and a differential check
// against OpenSSL.
#include "crypto/cipher/aes.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <cstring>
#include <map>
#include <random>

#include "crypto/cipher/block_cipher_ops.h"
#include "tests/cipher/unit_driver.h"
#include "tests/support/hex.h"
#include "tests/support/library_seams.h"
#include "tests/support/vector_file.h"
#include "zlc.h"

namespace {

using zlc::cipher::AES_KEY_SCHEDULE;
using zlc::test::Bytes;
using zlc::test::from_hex;
using zlc::test::to_hex;
namespace zc = zlc::cipher;

struct Functions {
    zc::BlocksFn ecb_encrypt;
    zc::BlocksFn ecb_decrypt;
    zc::CtrFn ctr;
    zc::CbcFn cbc_encrypt;
    zc::CbcFn cbc_decrypt;
};

template <auto F>
void blocks(const void* s, const std::uint8_t* in, std::uint8_t* out, std::size_t n) {
    F(static_cast<const AES_KEY_SCHEDULE*>(s), in, out, n);
}
template <auto F>
void chained(const void* s, std::uint8_t* iv, const std::uint8_t* in, std::uint8_t* out,
             std::size_t n) {
    F(static_cast<const AES_KEY_SCHEDULE*>(s), iv, in, out, n);
}

// The multi-block forms, on whichever path the fixture has permitted.
constexpr Functions kFunctions{blocks<zc::aes_encrypt_blocks>, blocks<zc::aes_decrypt_blocks>,
                               chained<zc::aes_ctr_blocks>, chained<zc::aes_cbc_encrypt_blocks>,
                               chained<zc::aes_cbc_decrypt_blocks>};

class AesPaths : public zlc::test::OnPath {
  protected:
    void SetUp() override { expect_chosen(zc::aes_paths()); }

    static AES_KEY_SCHEDULE schedule(const Bytes& key, bool encrypt) {
        AES_KEY_SCHEDULE s{};
        const auto n = static_cast<std::uint32_t>(key.size());
        EXPECT_EQ(encrypt ? zc::AesSetEncryptKey(&s, n, key.data())
                          : zc::AesSetDecryptKey(&s, n, key.data()),
                  0u);
        return s;
    }

    const Functions& f_ = kFunctions;
};

TEST_P(AesPaths, Fips197AppendixC) {
    for (const auto& r : zlc::test::read_vector_file("aes/fips197_appendix_c.txt")) {
        const Bytes key = from_hex(r.at("KEY"));
        const AES_KEY_SCHEDULE enc = schedule(key, true);
        if (r.has("LAST_WORD")) {
            const std::uint32_t rounds = static_cast<std::uint32_t>(key.size()) / 4 + 6;
            EXPECT_EQ(enc.rounds, rounds);
            EXPECT_EQ(enc.round_keys[4 * rounds + 3], std::stoul(r.at("LAST_WORD"), nullptr, 16))
                << r.line;
            continue;
        }
        Bytes block = from_hex(r.at("PT"));
        f_.ecb_encrypt(&enc, block.data(), block.data(), 1);
        EXPECT_EQ(to_hex(block), r.at("CT")) << r.line;
        const AES_KEY_SCHEDULE dec = schedule(key, false);
        f_.ecb_decrypt(&dec, block.data(), block.data(), 1);
        EXPECT_EQ(to_hex(block), r.at("PT")) << r.line;
        // The named single-block functions agree.
        zc::AesEncryptBlock(&enc, block.data(), block.data());
        EXPECT_EQ(to_hex(block), r.at("CT")) << r.line;
        zc::AesDecryptBlock(&dec, block.data(), block.data());
        EXPECT_EQ(to_hex(block), r.at("PT")) << r.line;
    }
}

TEST_P(AesPaths, CavpEcbAndCbc) {
    const char* files[] = {"aes/ECBMMT128.rsp",    "aes/ECBMMT192.rsp",     "aes/ECBMMT256.rsp",
                           "aes/ECBGFSbox128.rsp", "aes/ECBKeySbox192.rsp", "aes/ECBVarTxt256.rsp",
                           "aes/CBCMMT128.rsp",    "aes/CBCMMT192.rsp",     "aes/CBCMMT256.rsp"};
    for (const char* file : files) {
        const bool cbc = std::strncmp(file, "aes/CBC", 7) == 0;
        const auto records = zlc::test::read_vector_file(file);
        ASSERT_GT(records.size(), 10u) << file;
        for (const auto& r : records) {
            const bool encrypt = r.section == "ENCRYPT";
            const Bytes key = from_hex(r.at("KEY"));
            const Bytes in = from_hex(r.at(encrypt ? "PLAINTEXT" : "CIPHERTEXT"));
            const AES_KEY_SCHEDULE s = schedule(key, encrypt);
            Bytes out(in.size());
            if (cbc) {
                Bytes iv = from_hex(r.at("IV"));
                (encrypt ? f_.cbc_encrypt : f_.cbc_decrypt)(&s, iv.data(), in.data(), out.data(),
                                                            in.size() / 16);
                // The chaining value is left at the last ciphertext block.
                const Bytes& ct = encrypt ? out : in;
                EXPECT_EQ(to_hex(iv), to_hex(ct.data() + ct.size() - 16, 16))
                    << file << " line " << r.line;
            } else {
                (encrypt ? f_.ecb_encrypt : f_.ecb_decrypt)(&s, in.data(), out.data(),
                                                            in.size() / 16);
            }
            EXPECT_EQ(to_hex(out), r.at(encrypt ? "CIPHERTEXT" : "PLAINTEXT"))
                << file << " line " << r.line;
        }
    }
}

TEST_P(AesPaths, Sp80038aEcbCbcCtr) {
    int checked = 0;
    for (const auto& r : zlc::test::read_vector_file("aes/sp800_38a_examples.txt")) {
        const std::string& mode = r.at("MODE");
        if (mode != "ECB" && mode != "CBC" && mode != "CTR") continue;
        const Bytes key = from_hex(r.at("KEY"));
        const Bytes pt = from_hex(r.at("PT"));
        const std::size_t n = pt.size() / 16;
        const AES_KEY_SCHEDULE enc = schedule(key, true);
        const AES_KEY_SCHEDULE dec = schedule(key, false);
        Bytes ct(pt.size());
        Bytes back(pt.size());
        if (mode == "ECB") {
            f_.ecb_encrypt(&enc, pt.data(), ct.data(), n);
            f_.ecb_decrypt(&dec, ct.data(), back.data(), n);
        } else if (mode == "CBC") {
            Bytes iv = from_hex(r.at("IV"));
            f_.cbc_encrypt(&enc, iv.data(), pt.data(), ct.data(), n);
            iv = from_hex(r.at("IV"));
            f_.cbc_decrypt(&dec, iv.data(), ct.data(), back.data(), n);
        } else {
            Bytes counter = from_hex(r.at("IV"));
            f_.ctr(&enc, counter.data(), pt.data(), ct.data(), n);
            counter = from_hex(r.at("IV"));
            f_.ctr(&enc, counter.data(), ct.data(), back.data(), n);
        }
        EXPECT_EQ(to_hex(ct), r.at("CT")) << r.line;
        EXPECT_EQ(back, pt) << r.line;
        ++checked;
    }
    EXPECT_EQ(checked, 9);
}

// OpenSSL as the oracle: random keys, IVs and lengths (across the 8- and 32-block batches), in
// place and not, with counters that wrap their low 64 bits or all 128 bits inside a call.
TEST_P(AesPaths, MatchesOpenSsl) {
    std::mt19937_64 rng(0xAE5);
    const EVP_CIPHER* ciphers[3][3] = {{EVP_aes_128_ecb(), EVP_aes_128_cbc(), EVP_aes_128_ctr()},
                                       {EVP_aes_192_ecb(), EVP_aes_192_cbc(), EVP_aes_192_ctr()},
                                       {EVP_aes_256_ecb(), EVP_aes_256_cbc(), EVP_aes_256_ctr()}};
    for (int trial = 0; trial < 90; ++trial) {
        const int size = trial % 3;
        const int mode = (trial / 3) % 3;
        const bool in_place = trial % 2 == 0;
        const Bytes key = zlc::test::random_bytes(16 + 8 * static_cast<std::size_t>(size), rng());
        Bytes iv = zlc::test::random_bytes(16, rng());
        if (mode == 2 && trial % 4 != 0) {
            // The low 64 bits, or all 128, wrap within the first batch.
            std::memset(iv.data() + (trial % 4 == 3 ? 0 : 8), 0xFF, trial % 4 == 3 ? 16 : 8);
            iv[15] = static_cast<std::uint8_t>(0xF0 + trial % 7);
        }
        const std::size_t n = mode == 2 ? 32 + rng() % 48 : rng() % 80;
        const Bytes pt = zlc::test::random_bytes(16 * n, rng());

        Bytes expected(pt.size() + 16);
        int len = 0;
        EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
        ASSERT_EQ(EVP_EncryptInit_ex(ctx, ciphers[size][mode], nullptr, key.data(), iv.data()), 1);
        EVP_CIPHER_CTX_set_padding(ctx, 0);
        ASSERT_EQ(
            EVP_EncryptUpdate(ctx, expected.data(), &len, pt.data(), static_cast<int>(pt.size())),
            1);
        EVP_CIPHER_CTX_free(ctx);
        expected.resize(pt.size());

        const AES_KEY_SCHEDULE enc = schedule(key, true);
        const AES_KEY_SCHEDULE dec = schedule(key, false);
        Bytes buffer = pt;
        Bytes out(pt.size());
        std::uint8_t* dst = in_place ? buffer.data() : out.data();
        Bytes chain = iv;
        if (mode == 0) f_.ecb_encrypt(&enc, buffer.data(), dst, n);
        if (mode == 1) f_.cbc_encrypt(&enc, chain.data(), buffer.data(), dst, n);
        if (mode == 2) f_.ctr(&enc, chain.data(), buffer.data(), dst, n);
        ASSERT_EQ(to_hex(dst, pt.size()), to_hex(expected)) << "trial " << trial;

        // Decrypt back, in the same placement.
        chain = iv;
        std::memcpy(buffer.data(), expected.data(), expected.size());
        if (mode == 0) f_.ecb_decrypt(&dec, buffer.data(), dst, n);
        if (mode == 1) f_.cbc_decrypt(&dec, chain.data(), buffer.data(), dst, n);
        if (mode == 2) f_.ctr(&enc, chain.data(), buffer.data(), dst, n);
        ASSERT_EQ(to_hex(dst, pt.size()), to_hex(pt)) << "trial " << trial;
        if (mode == 2) {
            // The counter ends n past the IV, as one 128-bit big-endian integer.
            Bytes next = iv;
            for (std::size_t i = 0; i < n; ++i) {
                for (int b = 15; b >= 0 && ++next[b] == 0; --b) {
                }
            }
            EXPECT_EQ(chain, next) << "trial " << trial;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Paths, AesPaths,
                         ::testing::ValuesIn(zlc::test::machine_paths(zc::aes_paths())),
                         zlc::test::path_name);

TEST(Aes, KeySetupRefusesBadArguments) {
    AES_KEY_SCHEDULE s{};
    const Bytes key(32, 0x11);
    for (auto set : {zc::AesSetEncryptKey, zc::AesSetDecryptKey}) {
        EXPECT_EQ(set(&s, 16, nullptr), 0x0101002Bu);
        EXPECT_EQ(set(nullptr, 16, key.data()), 0x0101002Bu);
        for (std::uint32_t bad : {0u, 8u, 15u, 17u, 20u, 33u, 0xFFFFFFF0u})
            EXPECT_EQ(set(&s, bad, key.data()), 0x0101002Bu);
        for (std::uint32_t good : {16u, 24u, 32u}) EXPECT_EQ(set(&s, good, key.data()), 0u);
    }
}

TEST(Aes, DecryptionScheduleMirrorsEncryptionSchedule) {
    const Bytes key = from_hex("603deb1015ca71be2b73aef0857d77811f352c073b6108d72d9810a30914dff4");
    AES_KEY_SCHEDULE enc{};
    AES_KEY_SCHEDULE dec{};
    ASSERT_EQ(zc::AesSetEncryptKey(&enc, 32, key.data()), 0u);
    ASSERT_EQ(zc::AesSetDecryptKey(&dec, 32, key.data()), 0u);
    ASSERT_EQ(dec.rounds, 14u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(dec.round_keys[i], enc.round_keys[56 + i]);
        EXPECT_EQ(dec.round_keys[56 + i], enc.round_keys[i]);
    }
}

TEST(Aes, UnitDescriptor) {
    const auto& ops = zc::kAesOps;
    EXPECT_EQ(ops.module, zlc::Module::Aes);
    EXPECT_EQ(ops.block_length, 16u);
    AES_KEY_SCHEDULE s{};
    const Bytes key(16, 0x22);
    EXPECT_EQ(ops.set_encrypt_key(&s, key.data(), 16, 0), 0u);
    // The key setup of the unit refuses a null key, unlike a schedule left unset.
    EXPECT_EQ(ops.set_encrypt_key(&s, nullptr, 16, 0), 0x02020024u);
    EXPECT_EQ(ops.set_decrypt_key(&s, nullptr, 16, 0), 0x02020024u);
    EXPECT_EQ(ops.set_decrypt_key(&s, key.data(), 20, 0), 0x02020024u);
    EXPECT_NE(ops.ctr_blocks, nullptr);
    EXPECT_NE(ops.cbc_encrypt_blocks, nullptr);
    EXPECT_NE(ops.cbc_decrypt_blocks, nullptr);
}

// ---- Through the block cipher unit and its mode engine ----

std::uint32_t aes_id(std::size_t key_length) {
    return key_length == 16 ? ZLC_AES_128 : key_length == 24 ? ZLC_AES_192 : ZLC_AES_256;
}

class AesUnit : public zlc::test::OnPath {};

TEST_P(AesUnit, Sp80038aEveryModeAndSplit) {
    const std::map<std::string, std::uint32_t> modes = {{"ECB", ZLC_MODE_ECB},
                                                        {"CBC", ZLC_MODE_CBC},
                                                        {"CFB128", ZLC_MODE_CFB128},
                                                        {"OFB", ZLC_MODE_OFB},
                                                        {"CTR", ZLC_MODE_CTR}};
    int checked = 0;
    for (const auto& r : zlc::test::read_vector_file("aes/sp800_38a_examples.txt")) {
        const auto mode = modes.find(r.at("MODE"));
        if (mode == modes.end()) continue;  // CFB8 is not a mode of the unit
        const Bytes key = from_hex(r.at("KEY"));
        const Bytes iv = r.has("IV") ? from_hex(r.at("IV")) : Bytes{};
        const Bytes pt = from_hex(r.at("PT"));
        const std::uint32_t id = aes_id(key.size()) + mode->second + ZLC_NO_PADDING;
        for (const std::vector<std::size_t>& pieces :
             {std::vector<std::size_t>{}, {5, 17}, {16, 1, 31}}) {
            EXPECT_EQ(to_hex(zlc::test::run_unit(id, true, key, iv, pt, pieces).out), r.at("CT"))
                << r.line;
            EXPECT_EQ(zlc::test::run_unit(id, false, key, iv, from_hex(r.at("CT")), pieces).out, pt)
                << r.line;
        }
        ++checked;
    }
    EXPECT_EQ(checked, 15);
}

TEST_P(AesUnit, CavpCfbAndOfb) {
    for (const char* file : {"aes/CFB128MMT128.rsp", "aes/CFB128MMT256.rsp", "aes/OFBMMT128.rsp",
                             "aes/OFBMMT256.rsp"}) {
        const std::uint32_t mode =
            std::strncmp(file, "aes/CFB", 7) == 0 ? ZLC_MODE_CFB : ZLC_MODE_OFB;
        const auto records = zlc::test::read_vector_file(file);
        ASSERT_GT(records.size(), 10u) << file;
        for (const auto& r : records) {
            const bool encrypt = r.section == "ENCRYPT";
            const Bytes key = from_hex(r.at("KEY"));
            const auto outcome = zlc::test::run_unit(
                aes_id(key.size()) + mode + ZLC_NO_PADDING, encrypt, key, from_hex(r.at("IV")),
                from_hex(r.at(encrypt ? "PLAINTEXT" : "CIPHERTEXT")));
            EXPECT_EQ(to_hex(outcome.out), r.at(encrypt ? "CIPHERTEXT" : "PLAINTEXT"))
                << file << " line " << r.line;
        }
    }
}

// OpenSSL's EVP modes as the oracle for every mode, with and without padding, on random keys, IVs,
// lengths and Update splits; decryption gives the message back.
TEST_P(AesUnit, MatchesOpenSslEveryModeAndSplit) {
    struct Mode {
        std::uint32_t value;
        bool padded;
        const EVP_CIPHER* (*evp[3])();
    };
    const Mode modes[] = {
        {ZLC_MODE_ECB, true, {EVP_aes_128_ecb, EVP_aes_192_ecb, EVP_aes_256_ecb}},
        {ZLC_MODE_ECB, false, {EVP_aes_128_ecb, EVP_aes_192_ecb, EVP_aes_256_ecb}},
        {ZLC_MODE_CBC, true, {EVP_aes_128_cbc, EVP_aes_192_cbc, EVP_aes_256_cbc}},
        {ZLC_MODE_CBC, false, {EVP_aes_128_cbc, EVP_aes_192_cbc, EVP_aes_256_cbc}},
        {ZLC_MODE_CFB, false, {EVP_aes_128_cfb128, EVP_aes_192_cfb128, EVP_aes_256_cfb128}},
        {ZLC_MODE_CFB128, false, {EVP_aes_128_cfb128, EVP_aes_192_cfb128, EVP_aes_256_cfb128}},
        {ZLC_MODE_OFB, false, {EVP_aes_128_ofb, EVP_aes_192_ofb, EVP_aes_256_ofb}},
        {ZLC_MODE_CTR, false, {EVP_aes_128_ctr, EVP_aes_192_ctr, EVP_aes_256_ctr}},
    };
    std::mt19937_64 rng(0xAE5AE5);
    for (int trial = 0; trial < 240; ++trial) {
        const Mode& mode = modes[trial % 8];
        const std::size_t size = (trial / 8) % 3;
        const bool whole_blocks =
            !mode.padded && (mode.value == ZLC_MODE_ECB || mode.value == ZLC_MODE_CBC);
        const std::size_t length =
            whole_blocks ? 16 * (1 + rng() % 70) : (mode.padded ? 0 : 1) + rng() % 1100;
        const Bytes key = zlc::test::random_bytes(16 + 8 * size, rng());
        const Bytes iv = zlc::test::random_bytes(16, rng());
        const Bytes pt = zlc::test::random_bytes(length, rng());
        std::vector<std::size_t> pieces;
        for (int i = 0; i < 3; ++i) pieces.push_back(rng() % (length / 2 + 1));

        Bytes expected(length + 16);
        int n1 = 0, n2 = 0;
        EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
        ASSERT_EQ(EVP_EncryptInit_ex(ctx, mode.evp[size](), nullptr, key.data(), iv.data()), 1);
        EVP_CIPHER_CTX_set_padding(ctx, mode.padded ? 1 : 0);
        ASSERT_EQ(EVP_EncryptUpdate(ctx, expected.data(), &n1, pt.data(), static_cast<int>(length)),
                  1);
        ASSERT_EQ(EVP_EncryptFinal_ex(ctx, expected.data() + n1, &n2), 1);
        EVP_CIPHER_CTX_free(ctx);
        expected.resize(static_cast<std::size_t>(n1 + n2));

        const std::uint32_t id =
            aes_id(key.size()) + mode.value + (mode.padded ? 0 : ZLC_NO_PADDING);
        const auto enc = zlc::test::run_unit(id, true, key, iv, pt, pieces);
        ASSERT_EQ(enc.update_status | enc.final_status, 0u) << "trial " << trial;
        ASSERT_EQ(to_hex(enc.out), to_hex(expected)) << "trial " << trial;
        const auto dec = zlc::test::run_unit(id, false, key, iv, expected, pieces);
        ASSERT_EQ(dec.update_status | dec.final_status, 0u) << "trial " << trial;
        ASSERT_EQ(dec.out, pt) << "trial " << trial;
    }
}

INSTANTIATE_TEST_SUITE_P(Paths, AesUnit,
                         ::testing::ValuesIn(zlc::test::machine_paths(zc::aes_paths())),
                         zlc::test::path_name);

TEST(AesUnitInit, NullKeyIsRefused) {
    const Bytes iv(16, 0);
    for (std::uint32_t alg : {ZLC_AES_128, ZLC_AES_192, ZLC_AES_256}) {
        for (std::uint32_t mode :
             {ZLC_MODE_ECB, ZLC_MODE_CBC, ZLC_MODE_CFB, ZLC_MODE_OFB, ZLC_MODE_CTR}) {
            for (std::uint32_t encrypt : {0u, 1u}) {
                auto unit = zlc::test::new_block_unit();
                EXPECT_EQ(
                    ZLC_Init_BLOCK_CIPHER(unit.get(), alg + mode, nullptr, iv.data(), encrypt),
                    0x05010023u);
            }
        }
    }
}

}  // namespace
