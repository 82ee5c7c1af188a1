// SEED primitives: RFC 4269 and KISA vectors, RFC 4196 CBC through the descriptor, the 256-bit
// variant's round trip, and the descriptor's multi-block paths against the single-block function.
#include "crypto/cipher/seed.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "crypto/cipher/block_cipher_ops.h"
#include "tests/cipher/openssl_peer.h"
#include "tests/support/hex.h"
#include "tests/support/vector_file.h"

namespace zlc::cipher {
namespace {

using test::Bytes;
using test::from_hex;
using test::to_hex;

SEED_KEY_SCHEDULE keyed(const Bytes& key) {
    SEED_KEY_SCHEDULE ks{};
    EXPECT_EQ(kSeedOps.set_encrypt_key(&ks, key.data(), static_cast<std::uint32_t>(key.size()), 0), kOk);
    return ks;
}

TEST(Seed, Rfc4269AndKisaVectors) {
    for (const char* file : {"seed/rfc4269_ecb.txt", "seed/kisa_kcmvp_SEED128_ECB_KAT.txt"}) {
        const auto records = test::read_vector_file(file);
        ASSERT_FALSE(records.empty());
        for (const auto& r : records) {
            SCOPED_TRACE(std::string(file) + " line " + std::to_string(r.line));
            SEED_KEY_SCHEDULE ks{};
            SeedSetKey128(from_hex(r.at("KEY")).data(), &ks);
            EXPECT_EQ(ks.count, 32u);
            const Bytes pt = from_hex(r.at("PT"));
            Bytes out(16);
            SeedEncryptBlock(&ks, pt.data(), out.data());
            EXPECT_EQ(to_hex(out), r.at("CT"));
            SeedDecryptBlock(&ks, out.data(), out.data());
            EXPECT_EQ(out, pt);
        }
    }
}

TEST(Seed, Rfc4196CbcThroughDescriptorInPlace) {
    for (const auto& r : test::read_vector_file("seed/rfc4196_cbc.txt")) {
        SCOPED_TRACE("line " + std::to_string(r.line));
        const SEED_KEY_SCHEDULE ks = keyed(from_hex(r.at("KEY")));
        const Bytes pt = from_hex(r.at("PT"));
        Bytes buf = pt;
        Bytes chain = from_hex(r.at("IV"));
        kSeedOps.cbc_encrypt_blocks(&ks, chain.data(), buf.data(), buf.data(), buf.size() / 16);
        EXPECT_EQ(to_hex(buf), r.at("CT"));
        chain = from_hex(r.at("IV"));
        kSeedOps.cbc_decrypt_blocks(&ks, chain.data(), buf.data(), buf.data(), buf.size() / 16);
        EXPECT_EQ(buf, pt);
    }
}

TEST(Seed256, RoundTripWithCountWord48) {
    for (std::uint64_t seed = 1; seed <= 8; ++seed) {
        const Bytes key = test::random_bytes(32, seed);
        SEED_KEY_SCHEDULE ks{};
        SeedSetKey256(key.data(), &ks);
        EXPECT_EQ(ks.count, 48u);
        const Bytes pt = test::random_bytes(16, 100 + seed);
        Bytes ct(16);
        SeedEncryptBlock(&ks, pt.data(), ct.data());
        EXPECT_NE(ct, pt);
        Bytes back(16);
        SeedDecryptBlock(&ks, ct.data(), back.data());
        EXPECT_EQ(back, pt);
        // The 256-bit schedule is its own: the same first 16 key bytes give another cipher.
        SEED_KEY_SCHEDULE ks128{};
        SeedSetKey128(key.data(), &ks128);
        Bytes other(16);
        SeedEncryptBlock(&ks128, pt.data(), other.data());
        EXPECT_NE(other, ct);
    }
}

TEST(Seed, DescriptorKeySetupPicksTheVariantByLengthAndRefusesOthers) {
    SEED_KEY_SCHEDULE ks{};
    const Bytes key(32, 0x42);
    for (const std::uint32_t length : {0u, 15u, 20u, 24u, 33u}) {
        EXPECT_EQ(kSeedOps.set_encrypt_key(&ks, key.data(), length, 0), 0x19020023u) << length;
    }
    EXPECT_EQ(kSeedOps.set_decrypt_key(&ks, nullptr, 16, 0), 0x19020023u);
    EXPECT_EQ(kSeedOps.set_decrypt_key(&ks, key.data(), 16, 0), kOk);
    EXPECT_EQ(ks.count, 32u);
    EXPECT_EQ(kSeedOps.set_encrypt_key(&ks, key.data(), 32, 0), kOk);
    EXPECT_EQ(ks.count, 48u);
}

TEST(Seed, DamagedCountStaysInsideTheRecord) {
    SEED_KEY_SCHEDULE ks = keyed(Bytes(16, 9));
    std::uint8_t block[16] = {};
    Bytes expect(16);
    SeedEncryptBlock(&ks, block, expect.data());
    ks.count = 0x7FFFFFFF;
    SeedEncryptBlock(&ks, block, block);
    EXPECT_EQ(Bytes(block, block + 16), expect);
}

TEST(Seed, MultiBlockPathsMatchSingleBlocks) {
    for (const std::size_t key_length : {16u, 32u}) {
        const SEED_KEY_SCHEDULE ks = keyed(test::random_bytes(key_length, key_length));
        for (const std::size_t blocks : {1u, 3u, 4u, 5u, 16u, 17u, 37u}) {
            SCOPED_TRACE(std::to_string(key_length) + " bytes of key, " + std::to_string(blocks) + " blocks");
            const Bytes in = test::random_bytes(16 * blocks, blocks);
            Bytes expect(in.size());
            Bytes out(in.size());
            for (std::size_t b = 0; b < blocks; ++b) SeedEncryptBlock(&ks, in.data() + 16 * b, expect.data() + 16 * b);
            kSeedOps.encrypt_blocks(&ks, in.data(), out.data(), blocks);
            EXPECT_EQ(out, expect);
            for (std::size_t b = 0; b < blocks; ++b) SeedDecryptBlock(&ks, in.data() + 16 * b, expect.data() + 16 * b);
            kSeedOps.decrypt_blocks(&ks, in.data(), out.data(), blocks);
            EXPECT_EQ(out, expect);

            for (const char* start : {"00000000000000fffffffffffffffffe", "ffffffffffffffffffffffffffffffff"}) {
                Bytes counter = from_hex(start);
                Bytes reference = counter;
                for (std::size_t b = 0; b < blocks; ++b) {
                    SeedEncryptBlock(&ks, reference.data(), expect.data() + 16 * b);
                    for (int i = 0; i < 16; ++i) expect[16 * b + i] ^= in[16 * b + i];
                    for (int i = 15; i >= 0 && ++reference[i] == 0; --i) {
                    }
                }
                kSeedOps.ctr_blocks(&ks, counter.data(), in.data(), out.data(), blocks);
                EXPECT_EQ(out, expect);
                EXPECT_EQ(counter, reference);
            }
        }
    }
}

TEST(SeedUnit, Rfc4196CbcThroughTheUnit) {
    for (const auto& r : test::read_vector_file("seed/rfc4196_cbc.txt")) {
        SCOPED_TRACE("line " + std::to_string(r.line));
        const Bytes key = from_hex(r.at("KEY"));
        const Bytes iv = from_hex(r.at("IV"));
        const Bytes pt = from_hex(r.at("PT"));
        for (const std::vector<std::size_t>& pieces : {std::vector<std::size_t>{}, std::vector<std::size_t>(pt.size(), 1),
                                                      std::vector<std::size_t>{5, 27}}) {
            const std::uint32_t id = ZLC_SEED_128 + ZLC_MODE_CBC + ZLC_NO_PADDING;
            EXPECT_EQ(to_hex(test::run_unit(id, true, key, iv, pt, pieces).out), r.at("CT"));
            EXPECT_EQ(to_hex(test::run_unit(id, false, key, iv, from_hex(r.at("CT")), pieces).out), to_hex(pt));
        }
    }
}

// OpenSSL has no SEED-CTR: that reference is its SEED-ECB over the counter blocks. SEED-256 has no
// peer and is checked by the round trip alone.
TEST(SeedUnit, MatchesOpenSslInEveryModeForEverySplit) {
    const std::uint32_t kModes[] = {ZLC_MODE_ECB, ZLC_MODE_ECB | ZLC_NO_PADDING, ZLC_MODE_CBC,
                                    ZLC_MODE_CBC | ZLC_NO_PADDING, ZLC_MODE_CFB, ZLC_MODE_CFB128,
                                    ZLC_MODE_OFB, ZLC_MODE_CTR};
    const char* kPeers[] = {"SEED-ECB", "SEED-ECB", "SEED-CBC", "SEED-CBC", "SEED-CFB", "SEED-CFB", "SEED-OFB", "SEED-ECB"};
    std::vector<test::PeerCase> cases;
    for (int m = 0; m < 8; ++m) {
        cases.push_back({ZLC_SEED_128 + kModes[m], kPeers[m]});
        cases.push_back({ZLC_SEED_256 + kModes[m], nullptr});
    }
    test::check_against_openssl(cases, 0x5EED);
}

}  // namespace
}  // namespace zlc::cipher
