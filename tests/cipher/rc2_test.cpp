// RC2: RFC 2268's vectors (including 63 and 64 effective bits) and OpenSSL on random keys, key
// lengths and effective key lengths.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "crypto/cipher/rc2.h"
#include "tests/cipher/legacy_unit_check.h"
#include "tests/support/hex.h"
#include "tests/support/openssl_cipher.h"
#include "tests/support/vector_file.h"

namespace {

using zlc::cipher::RC2_KEY_SCHEDULE;
using zlc::test::Bytes;
using zlc::test::from_hex;
using zlc::test::to_hex;

Bytes rc2_ecb(const Bytes& key, std::uint32_t bits, const Bytes& in, bool encrypt) {
    RC2_KEY_SCHEDULE schedule;
    EXPECT_EQ(zlc::cipher::Rc2SetKey(&schedule, bits, key.data(), static_cast<std::uint32_t>(key.size())), 0u);
    Bytes out = in;
    for (std::size_t i = 0; i < out.size(); i += 8) {
        if (encrypt) {
            zlc::cipher::Rc2EncryptBlock(out.data() + i, &schedule);
        } else {
            zlc::cipher::Rc2DecryptBlock(out.data() + i, &schedule);
        }
    }
    return out;
}

TEST(Rc2, Rfc2268Vectors) {
    const auto records = zlc::test::read_vector_file("rc2/rfc2268.txt");
    ASSERT_EQ(records.size(), 8u);
    for (const auto& r : records) {
        SCOPED_TRACE("line " + std::to_string(r.line));
        const Bytes key = from_hex(r.at("KEY")), pt = from_hex(r.at("PT")), ct = from_hex(r.at("CT"));
        ASSERT_EQ(key.size(), std::stoul(r.at("KEY_LEN")));
        const auto bits = static_cast<std::uint32_t>(std::stoul(r.at("EFFECTIVE_BITS")));
        EXPECT_EQ(to_hex(rc2_ecb(key, bits, pt, true)), to_hex(ct));
        EXPECT_EQ(to_hex(rc2_ecb(key, bits, ct, false)), to_hex(pt));
    }
}

TEST(Rc2, SchedulesOfTheThreeIdentifiers) {
    struct Case {
        std::uint32_t bits, key_length, t8, tm;
    };
    for (const Case c : {Case{128, 16, 16, 255}, Case{40, 5, 5, 255}, Case{64, 8, 8, 255}, Case{63, 8, 8, 127}}) {
        RC2_KEY_SCHEDULE schedule;
        const Bytes key(c.key_length, 0x3C);
        ASSERT_EQ(zlc::cipher::Rc2SetKey(&schedule, c.bits, key.data(), c.key_length), 0u);
        EXPECT_EQ(schedule.t1, c.bits);
        EXPECT_EQ(schedule.t8, c.t8);
        EXPECT_EQ(schedule.tm, c.tm);
    }
}

TEST(Rc2, SetKeyRefusesWhatItCannotExpand) {
    RC2_KEY_SCHEDULE schedule;
    const Bytes key(16, 1);
    EXPECT_EQ(zlc::cipher::Rc2SetKey(&schedule, 128, nullptr, 16), 0x15010024u);
    EXPECT_EQ(zlc::cipher::Rc2SetKey(&schedule, 128, key.data(), 0), 0x15010024u);
    EXPECT_EQ(zlc::cipher::Rc2SetKey(nullptr, 128, key.data(), 16), 0x15010024u);
}

TEST(Rc2, MatchesOpenSslOnRandomKeys) {
    if (!zlc::test::openssl_legacy_available()) GTEST_SKIP() << "OpenSSL legacy provider not installed";
    std::mt19937 rng(2268);
    for (int n = 0; n < 100; ++n) {
        const std::size_t key_length = 1 + rng() % 128;
        const std::uint32_t bits = 1 + rng() % 1024;
        const Bytes key = zlc::test::random_bytes(key_length, rng());
        const Bytes pt = zlc::test::random_bytes(8 * (1 + rng() % 8), rng());
        SCOPED_TRACE("key length " + std::to_string(key_length) + ", bits " + std::to_string(bits));
        const Bytes expected = zlc::test::openssl_crypt("RC2-ECB", key, {}, pt, true, {.rc2_key_bits = static_cast<int>(bits)});
        EXPECT_EQ(to_hex(rc2_ecb(key, bits, pt, true)), to_hex(expected));
        EXPECT_EQ(to_hex(rc2_ecb(key, bits, expected, false)), to_hex(pt));
    }
}

}  // namespace

namespace {

TEST(Rc2Unit, EveryModeMatchesOpenSslWithItsEffectiveBits) {
    if (!zlc::test::openssl_legacy_available()) GTEST_SKIP() << "OpenSSL legacy provider not installed";
    zlc::test::check_unit_against_openssl(ZLC_RC2_128, "RC2", 16, {.rc2_key_bits = 128}, 128);
    zlc::test::check_unit_against_openssl(ZLC_RC2_40, "RC2", 5, {.rc2_key_bits = 40}, 40);
    zlc::test::check_unit_against_openssl(ZLC_RC2_64, "RC2", 8, {.rc2_key_bits = 64}, 64);
}

TEST(Rc2Unit, CtrIsRefusedAndBytewiseFeedbackEqualsOneUpdate) {
    const Bytes key = zlc::test::random_bytes(16, 1), iv = zlc::test::random_bytes(8, 2);
    for (uint32_t algorithm : {ZLC_RC2_128, ZLC_RC2_40, ZLC_RC2_64}) {
        auto unit = zlc::test::new_block_unit();
        EXPECT_EQ(ZLC_Init_BLOCK_CIPHER(unit.get(), algorithm + ZLC_MODE_CTR, key.data(), iv.data(), 1), 0x05010023u);
    }
    const Bytes msg = zlc::test::random_bytes(37, 3);
    for (uint32_t mode : {ZLC_MODE_CFB64, ZLC_MODE_OFB}) {
        const auto whole = zlc::test::run_unit(ZLC_RC2_128 + mode, true, key, iv, msg);
        const auto bytewise = zlc::test::run_unit(ZLC_RC2_128 + mode, true, key, iv, msg, std::vector<size_t>(37, 1));
        EXPECT_EQ(to_hex(bytewise.out), to_hex(whole.out));
    }
}

}  // namespace
