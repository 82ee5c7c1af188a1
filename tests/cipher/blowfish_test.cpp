// Blowfish: Schneier's vectors (ECB table and key lengths 1 to 24 bytes), the 8-byte keys written
// twice as 16-byte keys, and OpenSSL on random keys.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>

#include "crypto/cipher/blowfish.h"
#include "tests/cipher/legacy_unit_check.h"
#include "crypto/core/bytes.h"
#include "tests/support/hex.h"
#include "tests/support/openssl_cipher.h"
#include "tests/support/vector_file.h"

namespace {

using zlc::cipher::BLOWFISH_KEY_SCHEDULE;
using zlc::test::Bytes;
using zlc::test::from_hex;
using zlc::test::to_hex;

Bytes blowfish_ecb(const Bytes& key, const Bytes& in, bool encrypt) {
    auto schedule = std::make_unique<BLOWFISH_KEY_SCHEDULE>();
    EXPECT_EQ(zlc::cipher::BlowfishSetKey(static_cast<std::uint32_t>(key.size()), key.data(), schedule.get()), 0u);
    Bytes out = in;
    for (std::size_t i = 0; i < out.size(); i += 8) {
        std::uint32_t words[2] = {zlc::load_be32(out.data() + i), zlc::load_be32(out.data() + i + 4)};
        if (encrypt) {
            zlc::cipher::BlowfishEncryptBlock(schedule.get(), words);
        } else {
            zlc::cipher::BlowfishDecryptBlock(schedule.get(), words);
        }
        zlc::store_be32(out.data() + i, words[0]);
        zlc::store_be32(out.data() + i + 4, words[1]);
    }
    return out;
}

TEST(Blowfish, SchneierEcbVectors) {
    int checked = 0;
    for (const auto& r : zlc::test::read_vector_file("blowfish/schneier_vectors.txt")) {
        if (r.at("MODE") != "ECB") continue;
        SCOPED_TRACE("line " + std::to_string(r.line));
        const Bytes key = from_hex(r.at("KEY")), pt = from_hex(r.at("PT")), ct = from_hex(r.at("CT"));
        EXPECT_EQ(to_hex(blowfish_ecb(key, pt, true)), to_hex(ct));
        EXPECT_EQ(to_hex(blowfish_ecb(key, ct, false)), to_hex(pt));
        // Key bytes cycle through the P-array, so an 8-byte key written twice is the same key.
        if (key.size() == 8) {
            Bytes twice = key;
            twice.insert(twice.end(), key.begin(), key.end());
            EXPECT_EQ(to_hex(blowfish_ecb(twice, pt, true)), to_hex(ct));
        }
        ++checked;
    }
    EXPECT_GT(checked, 50);
}

TEST(Blowfish, KeysBeyond72BytesAreCutThere) {
    const Bytes long_key = zlc::test::random_bytes(100, 72);
    const Bytes head(long_key.begin(), long_key.begin() + 72);
    const Bytes pt = zlc::test::random_bytes(16, 73);
    EXPECT_EQ(to_hex(blowfish_ecb(long_key, pt, true)), to_hex(blowfish_ecb(head, pt, true)));
}

TEST(Blowfish, SetKeyRefusesNullAndEmptyKeys) {
    auto schedule = std::make_unique<BLOWFISH_KEY_SCHEDULE>();
    const Bytes key(16, 1);
    EXPECT_EQ(zlc::cipher::BlowfishSetKey(16, nullptr, schedule.get()), 0x0301002Bu);
    EXPECT_EQ(zlc::cipher::BlowfishSetKey(0, key.data(), schedule.get()), 0x0301002Bu);
    EXPECT_EQ(zlc::cipher::BlowfishSetKey(16, key.data(), nullptr), 0x0301002Bu);
}

TEST(Blowfish, MatchesOpenSslOnRandomKeys) {
    if (!zlc::test::openssl_legacy_available()) GTEST_SKIP() << "OpenSSL legacy provider not installed";
    std::mt19937 rng(1993);
    for (int n = 0; n < 50; ++n) {
        const std::size_t key_length = 4 + rng() % 53;
        const Bytes key = zlc::test::random_bytes(key_length, rng());
        const Bytes pt = zlc::test::random_bytes(8 * (1 + rng() % 8), rng());
        SCOPED_TRACE("key length " + std::to_string(key_length));
        const Bytes expected = zlc::test::openssl_crypt("BF-ECB", key, {}, pt, true);
        EXPECT_EQ(to_hex(blowfish_ecb(key, pt, true)), to_hex(expected));
        EXPECT_EQ(to_hex(blowfish_ecb(key, expected, false)), to_hex(pt));
    }
}

}  // namespace

namespace {

// Schneier's chaining-mode example (a 16-byte key) through the unit.
TEST(BlowfishUnit, SchneierChainingModes) {
    const std::map<std::string, uint32_t> modes = {{"CBC", ZLC_MODE_CBC}, {"CFB64", ZLC_MODE_CFB64}, {"OFB64", ZLC_MODE_OFB}};
    int checked = 0;
    for (const auto& r : zlc::test::read_vector_file("blowfish/schneier_vectors.txt")) {
        if (modes.count(r.at("MODE")) == 0) continue;
        SCOPED_TRACE("line " + std::to_string(r.line));
        const Bytes key = from_hex(r.at("KEY")), iv = from_hex(r.at("IV")), pt = from_hex(r.at("PT"));
        const uint32_t id = ZLC_BLOWFISH + modes.at(r.at("MODE")) + ZLC_NO_PADDING;
        const auto enc = zlc::test::run_unit(id, true, key, iv, pt, {1, 7, 9});
        EXPECT_EQ(to_hex(enc.out), r.at("CT"));
        EXPECT_EQ(to_hex(zlc::test::run_unit(id, false, key, iv, enc.out).out), to_hex(pt));
        ++checked;
    }
    EXPECT_EQ(checked, 3);
}

TEST(BlowfishUnit, EveryModeMatchesOpenSsl) {
    if (!zlc::test::openssl_legacy_available()) GTEST_SKIP() << "OpenSSL legacy provider not installed";
    zlc::test::check_unit_against_openssl(ZLC_BLOWFISH, "BF", 16, {}, 1993);
    zlc::test::check_unit_ctr(ZLC_BLOWFISH, 16, 1994);
}

}  // namespace
