// RC5-32/12/16: Rivest's examples and Crypto++ on random keys and blocks.
#include <cryptopp/algparam.h>
#include <cryptopp/argnames.h>
#include <cryptopp/modes.h>
#include <cryptopp/rc5.h>
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "crypto/cipher/rc5.h"
#include "tests/cipher/legacy_unit_check.h"
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

namespace {

// Crypto++ is the peer with RC5: ECB, CBC, CFB and OFB through the unit, messages split at random.
TEST(Rc5Unit, EveryModeMatchesCryptopp) {
    std::mt19937 rng(5);
    for (int n = 0; n < 20; ++n) {
        const Bytes key = zlc::test::random_bytes(16, rng()), iv = zlc::test::random_bytes(8, rng());
        const Bytes msg = zlc::test::random_bytes(8 * (1 + rng() % 12), rng());
        // Crypto++ defaults to 16 rounds; RC5-32/12/16 needs 12.
        const auto params = CryptoPP::MakeParameters(CryptoPP::Name::Rounds(), 12)(
            CryptoPP::Name::IV(), CryptoPP::ConstByteArrayParameter(iv.data(), iv.size()));
        auto expect = [&](uint32_t mode, CryptoPP::SymmetricCipher&& reference) {
            reference.SetKey(key.data(), key.size(), params);
            Bytes expected(msg.size());
            reference.ProcessData(expected.data(), msg.data(), msg.size());
            const uint32_t id = ZLC_RC5 + mode + ZLC_NO_PADDING;
            const auto enc = zlc::test::run_unit(id, true, key, iv, msg, zlc::test::random_pieces(rng, msg.size()));
            EXPECT_EQ(to_hex(enc.out), to_hex(expected)) << "mode " << mode;
            EXPECT_EQ(to_hex(zlc::test::run_unit(id, false, key, iv, enc.out).out), to_hex(msg));
        };
        expect(ZLC_MODE_ECB, CryptoPP::ECB_Mode<CryptoPP::RC5>::Encryption());
        expect(ZLC_MODE_CBC, CryptoPP::CBC_Mode<CryptoPP::RC5>::Encryption());
        expect(ZLC_MODE_CFB64, CryptoPP::CFB_Mode<CryptoPP::RC5>::Encryption());
        expect(ZLC_MODE_OFB, CryptoPP::OFB_Mode<CryptoPP::RC5>::Encryption());
    }
    zlc::test::check_unit_ctr(ZLC_RC5, 16, 6);
}

}  // namespace
