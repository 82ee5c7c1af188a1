// LEA: the standard's examples, the KCMVP known-answer sets and the reference ECB/CBC/CTR vectors
// on the portable and word-sliced paths, the schedule record, and a differential check against
// Crypto++.
#include "crypto/cipher/lea.h"

#include <cryptopp/lea.h>
#include <cryptopp/modes.h>
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "crypto/cipher/block_cipher_ops.h"
#include "crypto/platform/cpu.h"
#include "tests/cipher/unit_driver.h"
#include "tests/support/hex.h"
#include "tests/support/library_seams.h"
#include "tests/support/vector_file.h"
#include "zlc.h"

namespace {

using zlc::cipher::LEA_KEY_SCHEDULE;
using zlc::test::Bytes;
using zlc::test::from_hex;
using zlc::test::to_hex;
namespace zc = zlc::cipher;

LEA_KEY_SCHEDULE schedule(const Bytes& key) {
    LEA_KEY_SCHEDULE s{};
    EXPECT_EQ(zc::LeaSetKey(&s, static_cast<std::uint32_t>(key.size()), key.data()), 0);
    return s;
}

// Each path the machine has (word-sliced AVX-512 and AVX2 batches, portable for the rest).
class LeaPaths : public zlc::test::OnPath {
  protected:
    void SetUp() override { expect_chosen(zc::lea_paths()); }
};

TEST_P(LeaPaths, StandardExamples) {
    for (const auto& r : zlc::test::read_vector_file("lea/lea_standard_examples.txt")) {
        const LEA_KEY_SCHEDULE s = schedule(from_hex(r.at("KEY")));
        Bytes block = from_hex(r.at("PT"));
        zc::LeaEncryptBlock(&s, block.data(), block.data());
        EXPECT_EQ(to_hex(block), r.at("CT")) << r.line;
        zc::LeaDecryptBlock(&s, block.data(), block.data());
        EXPECT_EQ(to_hex(block), r.at("PT")) << r.line;
    }
}

// Consecutive records under one key are run as one multi-block call, so the batches of the
// sliced paths see the published values too.
TEST_P(LeaPaths, KcmvpKnownAnswers) {
    for (const char* file :
         {"lea/kisa_kcmvp_LEA128_ECB_KAT.txt", "lea/kisa_kcmvp_LEA192_ECB_KAT.txt",
          "lea/kisa_kcmvp_LEA256_ECB_KAT.txt"}) {
        const auto records = zlc::test::read_vector_file(file);
        ASSERT_GT(records.size(), 200u) << file;
        for (std::size_t first = 0; first < records.size();) {
            std::size_t last = first;
            Bytes pt, ct;
            while (last < records.size() && records[last].at("KEY") == records[first].at("KEY")) {
                const Bytes p = from_hex(records[last].at("PT")),
                            c = from_hex(records[last].at("CT"));
                pt.insert(pt.end(), p.begin(), p.end());
                ct.insert(ct.end(), c.begin(), c.end());
                ++last;
            }
            const LEA_KEY_SCHEDULE s = schedule(from_hex(records[first].at("KEY")));
            Bytes out(pt.size());
            zc::lea_encrypt_blocks(&s, pt.data(), out.data(), pt.size() / 16);
            EXPECT_EQ(to_hex(out), to_hex(ct)) << file << " line " << records[first].line;
            zc::lea_decrypt_blocks(&s, ct.data(), out.data(), ct.size() / 16);
            EXPECT_EQ(to_hex(out), to_hex(pt)) << file << " line " << records[first].line;
            first = last;
        }
    }
}

TEST_P(LeaPaths, ReferenceEcbCbcCtr) {
    const auto records = zlc::test::read_vector_file("lea/kisa_lea_vs_ecb_cbc_ctr.txt");
    ASSERT_EQ(records.size(), 90u);
    for (const auto& r : records) {
        const std::string mode = r.at("MODE").substr(0, 3);
        const LEA_KEY_SCHEDULE s = schedule(from_hex(r.at("KEY")));
        const Bytes pt = from_hex(r.at("PT"));
        const std::size_t n = pt.size() / 16;
        Bytes ct(pt.size()), back(pt.size());
        if (mode == "ECB") {
            zc::lea_encrypt_blocks(&s, pt.data(), ct.data(), n);
            zc::lea_decrypt_blocks(&s, ct.data(), back.data(), n);
        } else if (mode == "CBC") {
            Bytes iv = from_hex(r.at("IV"));
            zc::lea_cbc_encrypt_blocks(&s, iv.data(), pt.data(), ct.data(), n);
            iv = from_hex(r.at("IV"));
            zc::lea_cbc_decrypt_blocks(&s, iv.data(), ct.data(), back.data(), n);
        } else {
            ASSERT_EQ(mode, "CTR");
            Bytes counter = from_hex(r.at("IV"));
            zc::lea_ctr_blocks(&s, counter.data(), pt.data(), ct.data(), n);
            counter = from_hex(r.at("IV"));
            zc::lea_ctr_blocks(&s, counter.data(), ct.data(), back.data(), n);
        }
        EXPECT_EQ(to_hex(ct), r.at("CT")) << r.line;
        EXPECT_EQ(back, pt) << r.line;
    }
}

// Crypto++ as the oracle: random keys, IVs and lengths (across the 8-, 16- and 64-block batches),
// in place and not, with counters that carry across 32- and 64-bit words or wrap all 128 bits.
TEST_P(LeaPaths, MatchesCryptopp) {
    std::mt19937_64 rng(0x1EA);
    for (int trial = 0; trial < 90; ++trial) {
        const int mode = trial % 3;
        const bool in_place = (trial / 3) % 2 == 0;
        const Bytes key =
            zlc::test::random_bytes(16 + 8 * static_cast<std::size_t>((trial / 6) % 3), rng());
        Bytes iv = zlc::test::random_bytes(16, rng());
        if (trial % 5 == 1) std::memset(iv.data() + 12, 0xFF, 3);
        if (trial % 5 == 2) std::memset(iv.data(), 0xFF, 15);
        const std::size_t n = rng() % 150;
        const Bytes pt = zlc::test::random_bytes(16 * n, rng());

        Bytes expected(pt.size());
        if (mode == 0) {
            CryptoPP::ECB_Mode<CryptoPP::LEA>::Encryption e(key.data(), key.size());
            e.ProcessData(expected.data(), pt.data(), pt.size());
        } else if (mode == 1) {
            CryptoPP::CBC_Mode<CryptoPP::LEA>::Encryption e(key.data(), key.size(), iv.data());
            e.ProcessData(expected.data(), pt.data(), pt.size());
        } else {
            CryptoPP::CTR_Mode<CryptoPP::LEA>::Encryption e(key.data(), key.size(), iv.data());
            e.ProcessData(expected.data(), pt.data(), pt.size());
        }

        const LEA_KEY_SCHEDULE s = schedule(key);
        Bytes buffer = pt, out(pt.size());
        std::uint8_t* dst = in_place ? buffer.data() : out.data();
        Bytes chain = iv;
        if (mode == 0) zc::lea_encrypt_blocks(&s, buffer.data(), dst, n);
        if (mode == 1) zc::lea_cbc_encrypt_blocks(&s, chain.data(), buffer.data(), dst, n);
        if (mode == 2) zc::lea_ctr_blocks(&s, chain.data(), buffer.data(), dst, n);
        ASSERT_EQ(to_hex(dst, pt.size()), to_hex(expected)) << "trial " << trial;

        chain = iv;
        std::memcpy(buffer.data(), expected.data(), expected.size());
        if (mode == 0) zc::lea_decrypt_blocks(&s, buffer.data(), dst, n);
        if (mode == 1) zc::lea_cbc_decrypt_blocks(&s, chain.data(), buffer.data(), dst, n);
        if (mode == 2) zc::lea_ctr_blocks(&s, chain.data(), buffer.data(), dst, n);
        ASSERT_EQ(to_hex(dst, pt.size()), to_hex(pt)) << "trial " << trial;
    }
}

INSTANTIATE_TEST_SUITE_P(Paths, LeaPaths,
                         ::testing::ValuesIn(zlc::test::machine_paths(zc::lea_paths())),
                         zlc::test::path_name);

// Each sliced kernel on its own (the dispatcher prefers AVX-512 where present): whole batches
// only, equal to the portable block functions.
TEST(Lea, SlicedKernelsMatchBlockFunctions) {
    const zlc::platform::FeatureMask cpu = zlc::platform::detected_features();
    struct Kernel {
        bool available;
        std::size_t width;
        std::size_t (*encrypt)(const LEA_KEY_SCHEDULE*, const std::uint8_t*, std::uint8_t*,
                               std::size_t) noexcept;
        std::size_t (*decrypt)(const LEA_KEY_SCHEDULE*, const std::uint8_t*, std::uint8_t*,
                               std::size_t) noexcept;
    };
    const Kernel kernels[] = {{(cpu & zlc::platform::kAvx2) != 0, 8, zc::lea_encrypt_blocks_avx2,
                               zc::lea_decrypt_blocks_avx2},
                              {(cpu & zlc::platform::kAvx512f) != 0, 16,
                               zc::lea_encrypt_blocks_avx512, zc::lea_decrypt_blocks_avx512}};
    for (const Kernel& k : kernels) {
        if (!k.available) continue;
        for (std::size_t key_length : {16u, 24u, 32u}) {
            const LEA_KEY_SCHEDULE s = schedule(zlc::test::random_bytes(key_length, key_length));
            const std::size_t n = 3 * k.width + 5;
            const Bytes pt = zlc::test::random_bytes(16 * n, n);
            Bytes expected(pt.size()), out(pt.size(), 0xA5);
            for (std::size_t i = 0; i < n; ++i)
                zc::LeaEncryptBlock(&s, pt.data() + 16 * i, expected.data() + 16 * i);
            const std::size_t done = k.encrypt(&s, pt.data(), out.data(), n);
            ASSERT_EQ(done, 3 * k.width);
            EXPECT_EQ(to_hex(out.data(), 16 * done), to_hex(expected.data(), 16 * done));
            EXPECT_EQ(out[16 * done], 0xA5);  // the tail is left to the caller
            EXPECT_EQ(k.decrypt(&s, expected.data(), out.data(), n), done);
            EXPECT_EQ(to_hex(out.data(), 16 * done), to_hex(pt.data(), 16 * done));
        }
    }
}

TEST(Lea, KeySetupLengthsAndRecord) {
    LEA_KEY_SCHEDULE s{};
    const Bytes key(32, 0x5A);
    EXPECT_EQ(zc::LeaSetKey(&s, 20, key.data()), 1);
    for (std::uint32_t bad : {0u, 8u, 15u, 17u, 33u})
        EXPECT_EQ(zc::LeaSetKey(&s, bad, key.data()), 1);
    EXPECT_EQ(zc::LeaSetKey(&s, 16, nullptr), 1);
    EXPECT_EQ(zc::LeaSetKey(nullptr, 16, key.data()), 1);
    const std::pair<std::uint32_t, std::uint32_t> rounds[] = {{16, 24}, {24, 28}, {32, 32}};
    for (const auto& [length, count] : rounds) {
        LEA_KEY_SCHEDULE t{};
        ASSERT_EQ(zc::LeaSetKey(&t, length, key.data()), 0);
        EXPECT_EQ(t.rounds, count);
        // Only the used round keys are written.
        for (std::uint32_t w = 6 * count; w < 192; ++w) EXPECT_EQ(t.round_keys[w], 0u) << length;
    }
    // A 128-bit key repeats its second word in round-key words 1, 3 and 5.
    ASSERT_EQ(zc::LeaSetKey(&s, 16, key.data()), 0);
    EXPECT_EQ(s.round_keys[1], s.round_keys[3]);
    EXPECT_EQ(s.round_keys[1], s.round_keys[5]);
}

TEST(Lea, UnitDescriptor) {
    const auto& ops = zc::kLeaOps;
    EXPECT_EQ(ops.module, zlc::Module::Lea);
    EXPECT_EQ(ops.block_length, 16u);
    EXPECT_EQ(ops.set_encrypt_key, ops.set_decrypt_key);  // one schedule serves both directions
    LEA_KEY_SCHEDULE s{};
    const Bytes key(24, 0x33);
    EXPECT_EQ(ops.set_encrypt_key(&s, key.data(), 24, 0), 0u);
    EXPECT_EQ(ops.set_encrypt_key(&s, key.data(), 20, 0), 0x1F020023u);
    EXPECT_EQ(ops.set_encrypt_key(&s, nullptr, 16, 0), 0x1F020023u);
}

// ---- Through the block cipher unit and its mode engine ----

std::uint32_t lea_id(std::size_t key_length) {
    return key_length == 16 ? ZLC_LEA_128 : key_length == 24 ? ZLC_LEA_192 : ZLC_LEA_256;
}

class LeaUnit : public zlc::test::OnPath {};

TEST_P(LeaUnit, ReferenceVectorsEverySplit) {
    for (const auto& r : zlc::test::read_vector_file("lea/kisa_lea_vs_ecb_cbc_ctr.txt")) {
        const std::string mode = r.at("MODE").substr(0, 3);
        const std::uint32_t mode_value = mode == "ECB"   ? ZLC_MODE_ECB
                                         : mode == "CBC" ? ZLC_MODE_CBC
                                                         : ZLC_MODE_CTR;
        const Bytes key = from_hex(r.at("KEY"));
        const Bytes iv = r.has("IV") ? from_hex(r.at("IV")) : Bytes{};
        const Bytes pt = from_hex(r.at("PT"));
        const std::uint32_t id = lea_id(key.size()) + mode_value + ZLC_NO_PADDING;
        for (const std::vector<std::size_t>& pieces :
             {std::vector<std::size_t>{}, {7}, {16, 3, 20}}) {
            EXPECT_EQ(to_hex(zlc::test::run_unit(id, true, key, iv, pt, pieces).out), r.at("CT"))
                << r.line;
            EXPECT_EQ(zlc::test::run_unit(id, false, key, iv, from_hex(r.at("CT")), pieces).out, pt)
                << r.line;
        }
    }
}

// Crypto++ as the oracle for every mode (PKCS #7 padding added by hand for its raw ECB and CBC), on
// random keys, IVs, lengths and Update splits; decryption gives the message back.
TEST_P(LeaUnit, MatchesCryptoppEveryModeAndSplit) {
    struct Mode {
        std::uint32_t value;
        bool padded;
    };
    const Mode modes[] = {{ZLC_MODE_ECB, true},  {ZLC_MODE_ECB, false}, {ZLC_MODE_CBC, true},
                          {ZLC_MODE_CBC, false}, {ZLC_MODE_CFB, false}, {ZLC_MODE_CFB128, false},
                          {ZLC_MODE_OFB, false}, {ZLC_MODE_CTR, false}};
    std::mt19937_64 rng(0x1EA1EA);
    for (int trial = 0; trial < 240; ++trial) {
        const Mode& mode = modes[trial % 8];
        const bool block_mode = mode.value == ZLC_MODE_ECB || mode.value == ZLC_MODE_CBC;
        const std::size_t length = block_mode && !mode.padded
                                       ? 16 * (1 + rng() % 70)
                                       : (mode.padded ? 0 : 1) + rng() % 1100;
        const Bytes key = zlc::test::random_bytes(16 + 8 * ((trial / 8) % 3), rng());
        const Bytes iv = zlc::test::random_bytes(16, rng());
        const Bytes pt = zlc::test::random_bytes(length, rng());
        std::vector<std::size_t> pieces;
        for (int i = 0; i < 3; ++i) pieces.push_back(rng() % (length / 2 + 1));

        Bytes input = pt;
        if (mode.padded)
            input.insert(input.end(), 16 - length % 16,
                         static_cast<std::uint8_t>(16 - length % 16));
        Bytes expected(input.size());
        auto run = [&](auto&& cipher) {
            cipher.ProcessData(expected.data(), input.data(), input.size());
        };
        if (mode.value == ZLC_MODE_ECB)
            run(CryptoPP::ECB_Mode<CryptoPP::LEA>::Encryption(key.data(), key.size()));
        if (mode.value == ZLC_MODE_CBC) {
            run(CryptoPP::CBC_Mode<CryptoPP::LEA>::Encryption(key.data(), key.size(), iv.data()));
        }
        if (mode.value == ZLC_MODE_CFB || mode.value == ZLC_MODE_CFB128) {
            run(CryptoPP::CFB_Mode<CryptoPP::LEA>::Encryption(key.data(), key.size(), iv.data()));
        }
        if (mode.value == ZLC_MODE_OFB)
            run(CryptoPP::OFB_Mode<CryptoPP::LEA>::Encryption(key.data(), key.size(), iv.data()));
        if (mode.value == ZLC_MODE_CTR)
            run(CryptoPP::CTR_Mode<CryptoPP::LEA>::Encryption(key.data(), key.size(), iv.data()));

        const std::uint32_t id =
            lea_id(key.size()) + mode.value + (mode.padded ? 0 : ZLC_NO_PADDING);
        const auto enc = zlc::test::run_unit(id, true, key, iv, pt, pieces);
        ASSERT_EQ(enc.update_status | enc.final_status, 0u) << "trial " << trial;
        ASSERT_EQ(to_hex(enc.out), to_hex(expected)) << "trial " << trial;
        const auto dec = zlc::test::run_unit(id, false, key, iv, expected, pieces);
        ASSERT_EQ(dec.update_status | dec.final_status, 0u) << "trial " << trial;
        ASSERT_EQ(dec.out, pt) << "trial " << trial;
    }
}

INSTANTIATE_TEST_SUITE_P(Paths, LeaUnit,
                         ::testing::ValuesIn(zlc::test::machine_paths(zc::lea_paths())),
                         zlc::test::path_name);

TEST(LeaUnitInit, NullKeyIsRefused) {
    const Bytes iv(16, 0);
    for (std::uint32_t alg : {ZLC_LEA_128, ZLC_LEA_192, ZLC_LEA_256}) {
        for (std::uint32_t mode :
             {ZLC_MODE_ECB, ZLC_MODE_CBC, ZLC_MODE_CFB, ZLC_MODE_OFB, ZLC_MODE_CTR}) {
            auto unit = zlc::test::new_block_unit();
            EXPECT_EQ(ZLC_Init_BLOCK_CIPHER(unit.get(), alg + mode, nullptr, iv.data(), 1),
                      0x05010023u);
        }
    }
}

}  // namespace
