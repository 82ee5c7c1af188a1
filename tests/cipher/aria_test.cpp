// ARIA primitives: RFC 5794 and KISA vectors on every CPU path, the key setups' contract, and the
// multi-block paths of the cipher descriptor against the single-block function.
#include "crypto/cipher/aria.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "crypto/cipher/block_cipher_ops.h"
#include "tests/cipher/openssl_peer.h"
#include "tests/support/hex.h"
#include "tests/support/library_seams.h"
#include "tests/support/vector_file.h"

namespace zlc::cipher {
namespace {

using test::Bytes;
using test::from_hex;
using test::to_hex;

struct Keyed {
    ARIA_KEY_SCHEDULE ks{};
    explicit Keyed(const Bytes& key) {
        EXPECT_EQ(AriaSetEncryptKey(key.data(), static_cast<std::uint32_t>(key.size()), &ks), kOk);
        EXPECT_EQ(AriaSetDecryptKey(key.data(), static_cast<std::uint32_t>(key.size()), &ks), kOk);
    }
};

// Every test runs on each path the machine has.
class AriaPaths : public test::OnPath {
  protected:
    void SetUp() override { expect_chosen(aria_paths()); }
};

void check_ecb_file(const std::string& file) {
    const auto records = test::read_vector_file(file);
    ASSERT_FALSE(records.empty());
    for (const auto& r : records) {
        if (r.has("MODE") && r.at("MODE") != "ECB") continue;
        SCOPED_TRACE(file + " line " + std::to_string(r.line));
        const Bytes pt = from_hex(r.at("PT"));
        const Bytes ct = from_hex(r.at("CT"));
        Keyed k(from_hex(r.at("KEY")));
        const std::size_t blocks = pt.size() / 16;
        Bytes out(pt.size());
        for (std::size_t b = 0; b < blocks; ++b)
            AriaEncryptBlock(&k.ks, pt.data() + 16 * b, out.data() + 16 * b);
        EXPECT_EQ(to_hex(out), to_hex(ct));
        for (std::size_t b = 0; b < blocks; ++b)
            AriaDecryptBlock(&k.ks, out.data() + 16 * b, out.data() + 16 * b);
        EXPECT_EQ(to_hex(out), to_hex(pt));
        kAriaOps.encrypt_blocks(&k.ks, pt.data(), out.data(), blocks);
        EXPECT_EQ(to_hex(out), to_hex(ct));
        kAriaOps.decrypt_blocks(&k.ks, out.data(), out.data(), blocks);
        EXPECT_EQ(to_hex(out), to_hex(pt));
    }
}

TEST_P(AriaPaths, Rfc5794AndKisaEcbVectors) {
    check_ecb_file("aria/aria_rfc5794_kisa_modes.txt");
    check_ecb_file("aria/kisa_kcmvp_ARIA128_ECB_KAT.txt");
    check_ecb_file("aria/kisa_kcmvp_ARIA192_ECB_KAT.txt");
    check_ecb_file("aria/kisa_kcmvp_ARIA256_ECB_KAT.txt");
}

// The KISA CBC and CTR examples through the descriptor's chained paths, encrypting and decrypting
// in place.
TEST_P(AriaPaths, KisaCbcAndCtrVectorsThroughDescriptor) {
    int checked = 0;
    for (const auto& r : test::read_vector_file("aria/aria_rfc5794_kisa_modes.txt")) {
        const std::string mode = r.at("MODE");
        const bool cbc = mode == "CBC";
        if (!cbc && mode.rfind("CTR", 0) != 0) continue;
        SCOPED_TRACE("line " + std::to_string(r.line));
        Keyed k(from_hex(r.at("KEY")));
        const Bytes pt = from_hex(r.at("PT"));
        const Bytes ct = from_hex(r.at("CT"));
        const std::size_t blocks = pt.size() / 16;
        Bytes buf = pt;
        Bytes iv = from_hex(r.at("IV"));
        if (cbc) {
            kAriaOps.cbc_encrypt_blocks(&k.ks, iv.data(), buf.data(), buf.data(), blocks);
        } else {
            kAriaOps.ctr_blocks(&k.ks, iv.data(), buf.data(), buf.data(), blocks);
        }
        EXPECT_EQ(to_hex(buf), to_hex(ct));
        iv = from_hex(r.at("IV"));
        if (cbc) {
            kAriaOps.cbc_decrypt_blocks(&k.ks, iv.data(), buf.data(), buf.data(), blocks);
        } else {
            kAriaOps.ctr_blocks(&k.ks, iv.data(), buf.data(), buf.data(), blocks);
        }
        EXPECT_EQ(to_hex(buf), to_hex(pt));
        ++checked;
    }
    EXPECT_EQ(checked, 6);
}

// Lengths around the sixteen-block batches and four-block registers of the vector path, against
// the single-block function; CTR also carries across the 64-bit halves and wraps at 2^128.
TEST_P(AriaPaths, MultiBlockPathsMatchSingleBlocks) {
    for (const std::size_t key_length : {16u, 24u, 32u}) {
        Keyed k(test::random_bytes(key_length, key_length));
        for (const std::size_t blocks : {1u, 3u, 4u, 5u, 15u, 16u, 17u, 33u, 70u}) {
            SCOPED_TRACE(std::to_string(key_length) + " bytes of key, " + std::to_string(blocks) +
                         " blocks");
            const Bytes in = test::random_bytes(16 * blocks, blocks);
            Bytes expect(in.size());
            Bytes out(in.size());
            for (std::size_t b = 0; b < blocks; ++b)
                AriaEncryptBlock(&k.ks, in.data() + 16 * b, expect.data() + 16 * b);
            kAriaOps.encrypt_blocks(&k.ks, in.data(), out.data(), blocks);
            EXPECT_EQ(out, expect);
            for (std::size_t b = 0; b < blocks; ++b)
                AriaDecryptBlock(&k.ks, in.data() + 16 * b, expect.data() + 16 * b);
            kAriaOps.decrypt_blocks(&k.ks, in.data(), out.data(), blocks);
            EXPECT_EQ(out, expect);

            for (const char* start :
                 {"00000000000000fffffffffffffffffe", "ffffffffffffffffffffffffffffffff"}) {
                Bytes counter = from_hex(start);
                Bytes reference = counter;
                for (std::size_t b = 0; b < blocks; ++b) {
                    AriaEncryptBlock(&k.ks, reference.data(), expect.data() + 16 * b);
                    for (int i = 0; i < 16; ++i) expect[16 * b + i] ^= in[16 * b + i];
                    for (int i = 15; i >= 0 && ++reference[i] == 0; --i) {
                    }
                }
                kAriaOps.ctr_blocks(&k.ks, counter.data(), in.data(), out.data(), blocks);
                EXPECT_EQ(out, expect);
                EXPECT_EQ(counter, reference);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(CpuPaths, AriaPaths,
                         ::testing::ValuesIn(test::machine_paths(aria_paths())), test::path_name);

TEST(AriaKeySetup, RefusesBadKeysAndLeavesTheRecord) {
    const Bytes key(32, 0x11);
    ARIA_KEY_SCHEDULE ks;
    std::memset(&ks, 0x5A, sizeof(ks));
    ARIA_KEY_SCHEDULE before = ks;
    using SetKey = Status (*)(const std::uint8_t*, std::uint32_t, ARIA_KEY_SCHEDULE*) noexcept;
    for (const SetKey set_key : {SetKey{AriaSetEncryptKey}, SetKey{AriaSetDecryptKey}}) {
        for (const std::uint32_t length : {0u, 8u, 15u, 20u, 33u}) {
            EXPECT_EQ(set_key(key.data(), length, &ks), 0x0201002Bu) << length;
        }
        EXPECT_EQ(set_key(nullptr, 16, &ks), 0x0201002Bu);
        EXPECT_EQ(set_key(key.data(), 16, nullptr), 0x0201002Bu);
        EXPECT_EQ(std::memcmp(&ks, &before, sizeof(ks)), 0);
    }
}

TEST(AriaKeySetup, EachSetupWritesOnlyItsHalfAndTheRoundCount) {
    const std::uint32_t expected_rounds[] = {12, 14, 16};
    for (int i = 0; i < 3; ++i) {
        const Bytes key = test::random_bytes(16 + 8 * i, 7 + i);
        ARIA_KEY_SCHEDULE ks;
        std::memset(&ks, 0xC3, sizeof(ks));
        const ARIA_KEY_SCHEDULE filled = ks;
        ASSERT_EQ(AriaSetEncryptKey(key.data(), static_cast<std::uint32_t>(key.size()), &ks), kOk);
        EXPECT_EQ(std::memcmp(ks.decrypt_keys, filled.decrypt_keys, sizeof(ks.decrypt_keys)), 0);
        EXPECT_EQ(ks.rounds, expected_rounds[i]);
        // Round keys 1 .. rounds + 1 are written and the remaining slots are zero.
        for (std::uint32_t slot = ks.rounds + 1; slot < 17; ++slot) {
            EXPECT_EQ(ks.encrypt_keys[slot][0] | ks.encrypt_keys[slot][1] |
                          ks.encrypt_keys[slot][2] | ks.encrypt_keys[slot][3],
                      0u);
        }

        std::memset(&ks, 0xC3, sizeof(ks));
        ASSERT_EQ(AriaSetDecryptKey(key.data(), static_cast<std::uint32_t>(key.size()), &ks), kOk);
        EXPECT_EQ(std::memcmp(ks.encrypt_keys, filled.encrypt_keys, sizeof(ks.encrypt_keys)), 0);
        EXPECT_EQ(ks.rounds, expected_rounds[i]);
    }
}

// The descriptor's key setup reports its own code, which the unit turns into its Init failure.
TEST(AriaKeySetup, DescriptorKeySetupFailureCode) {
    ARIA_KEY_SCHEDULE ks{};
    const Bytes key(20, 1);
    EXPECT_EQ(kAriaOps.set_encrypt_key(&ks, key.data(), 20, 0), 0x02020023u);
    EXPECT_EQ(kAriaOps.set_decrypt_key(&ks, nullptr, 16, 0), 0x02020023u);
    EXPECT_EQ(kAriaOps.set_encrypt_key(&ks, key.data(), 16, 0), kOk);
}

// A record whose round count was damaged still runs inside the record.
TEST(AriaBlock, DamagedRoundCountStaysInsideTheRecord) {
    Keyed k(Bytes(16, 3));
    k.ks.rounds = 0xFFFFFFFF;
    std::uint8_t block[16] = {};
    AriaEncryptBlock(&k.ks, block, block);
    AriaDecryptBlock(&k.ks, block, block);
    EXPECT_EQ(aria_round_count(&k.ks), 16u);
}

// The KISA mode examples through the unit, fed whole, one byte at a time and split at each block
// edge.
TEST(AriaUnit, KisaModeVectorsThroughTheUnit) {
    const std::pair<const char*, std::uint32_t> kModes[] = {
        {"ECB", ZLC_MODE_ECB},
        {"CBC", ZLC_MODE_CBC},
        {"CFB (128-bit feedback)", ZLC_MODE_CFB128},
        {"OFB", ZLC_MODE_OFB},
        {"CTR (128-bit big-endian counter, initial counter block = IV)", ZLC_MODE_CTR}};
    int checked = 0;
    for (const auto& r : test::read_vector_file("aria/aria_rfc5794_kisa_modes.txt")) {
        const Bytes key = from_hex(r.at("KEY"));
        const Bytes pt = from_hex(r.at("PT"));
        if (pt.size() == 16) continue;  // the RFC's single blocks, checked above
        std::uint32_t mode = 0xFF;
        for (const auto& [name, value] : kModes) {
            if (r.at("MODE") == name) mode = value;
        }
        if (mode == 0xFF) continue;  // CFB8: a width the unit refuses
        SCOPED_TRACE("line " + std::to_string(r.line));
        const std::uint32_t id = ZLC_ARIA_128 +
                                 static_cast<std::uint32_t>(key.size() / 8 - 2) * 0x100 + mode +
                                 ZLC_NO_PADDING;
        const Bytes iv = r.has("IV") ? from_hex(r.at("IV")) : Bytes{};
        for (const std::vector<std::size_t>& pieces :
             {std::vector<std::size_t>{}, std::vector<std::size_t>(pt.size(), 1),
              std::vector<std::size_t>{16, 16, 32}}) {
            EXPECT_EQ(to_hex(test::run_unit(id, true, key, iv, pt, pieces).out), r.at("CT"));
            EXPECT_EQ(to_hex(test::run_unit(id, false, key, iv, from_hex(r.at("CT")), pieces).out),
                      to_hex(pt));
        }
        ++checked;
    }
    EXPECT_EQ(checked, 15);
}

TEST(AriaUnit, MatchesOpenSslInEveryModeForEverySplit) {
    std::vector<test::PeerCase> cases;
    const std::pair<std::uint32_t, std::string> keys[] = {
        {ZLC_ARIA_128, "ARIA-128-"}, {ZLC_ARIA_192, "ARIA-192-"}, {ZLC_ARIA_256, "ARIA-256-"}};
    static std::vector<std::string> names;  // the cases point into these
    names.reserve(40);
    for (const auto& [alg, prefix] : keys) {
        const std::pair<std::uint32_t, const char*> modes[] = {
            {ZLC_MODE_ECB, "ECB"}, {ZLC_MODE_ECB | ZLC_NO_PADDING, "ECB"},
            {ZLC_MODE_CBC, "CBC"}, {ZLC_MODE_CBC | ZLC_NO_PADDING, "CBC"},
            {ZLC_MODE_CFB, "CFB"}, {ZLC_MODE_CFB128, "CFB"},
            {ZLC_MODE_OFB, "OFB"}, {ZLC_MODE_CTR, "CTR"}};
        for (const auto& [mode, suffix] : modes) {
            names.push_back(prefix + suffix);
            cases.push_back({alg + mode, names.back().c_str()});
        }
    }
    test::check_against_openssl(cases, 0xA21A);
}

}  // namespace
}  // namespace zlc::cipher
