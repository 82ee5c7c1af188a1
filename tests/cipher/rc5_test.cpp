// RC5-32/12/16: Rivest's examples and Crypto++ on random keys and blocks.
#include <cryptopp/rc5.h>
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "crypto/cipher/rc5.h"
#include "crypto/core/bytes.h"
#include "tests/support/hex.h"
#include "tests/support/vector_file.h"

namespace {

using zlc::cipher::RC5_KEY_SCHEDULE;
using zlc::test::Bytes;
using zlc::test::from_hex;
using zlc::test::to_hex;

// Blocks are two little-endian words A, B.
Bytes rc5_ecb(const Bytes& key, const Bytes& in, bool encrypt) {
    RC5_KEY_SCHEDULE schedule;
    EXPECT_EQ(zlc::cipher::Rc5SetKey(key.data(), static_cast<std::uint32_t>(key.size()), &schedule), 0u);
    EXPECT_EQ(schedule.rounds, 12u);
    Bytes out = in;
    for (std::size_t i = 0; i < out.size(); i += 8) {
        std::uint32_t words[2] = {zlc::load_le32(out.data() + i), zlc::load_le32(out.data() + i + 4)};
        if (encrypt) {
            zlc::cipher::Rc5EncryptBlock(&schedule, words);
        } else {
            zlc::cipher::Rc5DecryptBlock(&schedule, words);
        }
        zlc::store_le32(out.data() + i, words[0]);
        zlc::store_le32(out.data() + i + 4, words[1]);
    }
    return out;
}

TEST(Rc5, RivestExamples) {
    const auto records = zlc::test::read_vector_file("rc5/rc5_32_12_16_rivest.txt");
    ASSERT_EQ(records.size(), 5u);
    for (const auto& r : records) {
        SCOPED_TRACE("line " + std::to_string(r.line));
        const Bytes key = from_hex(r.at("KEY")), pt = from_hex(r.at("PT")), ct = from_hex(r.at("CT"));
        EXPECT_EQ(to_hex(rc5_ecb(key, pt, true)), to_hex(ct));
        EXPECT_EQ(to_hex(rc5_ecb(key, ct, false)), to_hex(pt));
    }
}

TEST(Rc5, SetKeyRefusesWhatItCannotExpand) {
    RC5_KEY_SCHEDULE schedule;
    const Bytes key(256, 7);
    EXPECT_EQ(zlc::cipher::Rc5SetKey(nullptr, 16, &schedule), 0x17010024u);
    EXPECT_EQ(zlc::cipher::Rc5SetKey(key.data(), 256, &schedule), 0x17010024u);
    EXPECT_EQ(zlc::cipher::Rc5SetKey(key.data(), 16, nullptr), 0x17010024u);
    EXPECT_EQ(zlc::cipher::Rc5SetKey(key.data(), 255, &schedule), 0u);
}

TEST(Rc5, MatchesCryptoppOnRandomKeys) {
    std::mt19937 rng(1994);
    for (int n = 0; n < 100; ++n) {
        const std::size_t key_length = n == 0 ? 16 : rng() % 65;
        const Bytes key = zlc::test::random_bytes(key_length, rng());
        const Bytes pt = zlc::test::random_bytes(8 * (1 + rng() % 8), rng());
        SCOPED_TRACE("key length " + std::to_string(key_length));
        CryptoPP::RC5::Encryption reference(key.data(), key.size(), 12);
        Bytes expected(pt.size());
        for (std::size_t i = 0; i < pt.size(); i += 8) reference.ProcessBlock(pt.data() + i, expected.data() + i);
        EXPECT_EQ(to_hex(rc5_ecb(key, pt, true)), to_hex(expected));
        EXPECT_EQ(to_hex(rc5_ecb(key, expected, false)), to_hex(pt));
    }
}

}  // namespace
