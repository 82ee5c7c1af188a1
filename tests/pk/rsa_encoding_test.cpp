// The PKCS #1 encodings on their own: lengths, limits, layouts and the malformed inputs every
// decoder must refuse alike.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/pk/rsa_support.h"

namespace zlc::test {
namespace {

constexpr int k = 128;  // bytes of the 1024-bit moduli

// A public record whose modulus has exactly `bits` bits (the encoders only read its length),
// initialised for RSAES with the given encoding and digest.
RsaPtr modulus_record(int bits, std::uint32_t encoding, std::uint32_t digest,
                      std::uint32_t side = 0) {
    Bytes n =
        random_bytes(static_cast<std::size_t>(bits + 7) / 8, static_cast<std::uint64_t>(bits));
    const int top = (bits - 1) % 8;
    n[0] = static_cast<std::uint8_t>((n[0] & ((1u << top) - 1)) | (1u << top));
    n.back() |= 1;
    RsaPtr rsa = make_public_key(n, {0x01, 0x00, 0x01});
    EXPECT_EQ(ZLC_Init_RSAES(rsa.get(), encoding, side, digest), 0u);
    return rsa;
}

TEST(EmsaPkcs1, LengthsAndDigests) {
    const Bytes hash(64, 0xAB);
    struct Case {
        std::uint32_t digest;
        int hash_length, em_length, expected;
    };
    for (const Case& c :
         {Case{ZLC_SHA512, 64, 94, 0}, Case{ZLC_SHA512, 64, 93, 43}, Case{ZLC_SHA1, 20, 46, 0},
          Case{ZLC_SHA1, 20, 45, 43}, Case{ZLC_MD5, 16, 45, 0}, Case{ZLC_SHA224, 28, 256, -1},
          Case{ZLC_HAS160, 20, 256, -1}, Case{ZLC_SHA256, 20, 256, -1}}) {
        Bytes out(static_cast<std::size_t>(c.em_length), 0x5A);
        EXPECT_EQ(ZLC_Add_EMSA_PKCS1_v1_5_Encode(out.data(), c.em_length, hash.data(),
                                                 c.hash_length, c.digest),
                  c.expected)
            << std::hex << c.digest << " " << std::dec << c.em_length;
        if (c.expected != 0) continue;
        EXPECT_EQ(out[0], 0x00);
        EXPECT_EQ(out[1], 0x01);
        EXPECT_EQ(out[2], 0xFF);
        EXPECT_TRUE(
            std::equal(hash.begin(), hash.begin() + c.hash_length, out.end() - c.hash_length));
    }
}

TEST(EmsaPkcs1, CheckWantsExactlyKMinusOneBytes) {
    const Bytes hash(32, 0x11);
    Bytes em(k);
    ASSERT_EQ(ZLC_Add_EMSA_PKCS1_v1_5_Encode(em.data(), k, hash.data(), 32, ZLC_SHA256), 0);
    const Bytes given(em.begin() + 1, em.end());
    EXPECT_EQ(ZLC_Check_EMSA_PKCS1_v1_5_Encode(given.data(), k - 1, k, hash.data(), 32, ZLC_SHA256),
              0u);
    // A prefix of the right bytes, the full k bytes with their zero, one changed byte.
    EXPECT_EQ(ZLC_Check_EMSA_PKCS1_v1_5_Encode(given.data(), k - 2, k, hash.data(), 32, ZLC_SHA256),
              0x180D000Cu);
    EXPECT_EQ(ZLC_Check_EMSA_PKCS1_v1_5_Encode(em.data(), k, k, hash.data(), 32, ZLC_SHA256),
              0x180D000Cu);
    Bytes changed = given;
    changed[40] ^= 1;
    EXPECT_EQ(
        ZLC_Check_EMSA_PKCS1_v1_5_Encode(changed.data(), k - 1, k, hash.data(), 32, ZLC_SHA256),
        0x180D000Cu);
    EXPECT_EQ(ZLC_Check_EMSA_PKCS1_v1_5_Encode(nullptr, k - 1, k, hash.data(), 32, ZLC_SHA256), 1u);
    EXPECT_EQ(ZLC_Check_EMSA_PKCS1_v1_5_Encode(given.data(), 0, k, hash.data(), 32, ZLC_SHA256),
              1u);
    EXPECT_EQ(ZLC_Check_EMSA_PKCS1_v1_5_Encode(given.data(), k - 1, k, hash.data(), 28, ZLC_SHA224),
              0x180D0012u);
}

struct PssUnit {
    DIGEST_UNIT* unit = ZLC_New_DIGEST_Unit();
    explicit PssUnit(std::uint32_t id) { EXPECT_EQ(ZLC_Init_DIGEST(unit, id), 0u); }
    ~PssUnit() { ZLC_Free_DIGEST_Unit(unit); }
};

// The em the checker is given: the integer's bytes without leading zeros.
Bytes stripped(const Bytes& em) {
    auto first = std::find_if(em.begin(), em.end(), [](std::uint8_t b) { return b != 0; });
    return Bytes(first, em.end());
}

TEST(Pss, ModulusOneBitAboveWholeBytes) {
    for (int bits : {2049, 2048, 1023}) {
        RsaPtr rsa = modulus_record(bits, 0, ZLC_SHA256);
        rsa->encoding = ZLC_SHA256;
        PssUnit digest(ZLC_SHA256);
        const int k = ZLC_Get_RSA_Length(rsa.get());
        const Bytes m_hash(32, 0x42);
        Bytes em(static_cast<std::size_t>(k));
        ASSERT_EQ(ZLC_Add_RSASSA_PKCS1_PSS_Encode(rsa.get(), em.data(), k, m_hash.data(), 32, 20,
                                                  digest.unit),
                  0u);
        // 2049 bits: emLen = k - 1, so the first of the k bytes is zero.
        if (bits % 8 == 1) {
            EXPECT_EQ(em[0], 0x00);
        }
        EXPECT_EQ(em.back(), 0xBC);
        const Bytes given = stripped(em);
        EXPECT_EQ(ZLC_Check_RSASSA_PKCS1_PSS_Encode(rsa.get(), given.data(),
                                                    static_cast<int32_t>(given.size()),
                                                    m_hash.data(), 32, 20, digest.unit),
                  0u)
            << bits;
    }
}

TEST(Pss, SaltLengthMustMatchUnlessNegative) {
    RsaPtr rsa = modulus_record(2048, 0, ZLC_SHA256);
    rsa->encoding = ZLC_SHA256;
    PssUnit digest(ZLC_SHA256);
    const Bytes m_hash(32, 0x42);
    for (int salt : {20, 32, 0}) {
        Bytes em(256);
        ASSERT_EQ(ZLC_Add_RSASSA_PKCS1_PSS_Encode(rsa.get(), em.data(), 256, m_hash.data(), 32,
                                                  salt, digest.unit),
                  0u);
        const Bytes given = stripped(em);
        auto check = [&](int expected_salt, const Bytes& hash) {
            return ZLC_Check_RSASSA_PKCS1_PSS_Encode(rsa.get(), given.data(),
                                                     static_cast<int32_t>(given.size()),
                                                     hash.data(), 32, expected_salt, digest.unit);
        };
        EXPECT_EQ(check(salt, m_hash), 0u);
        EXPECT_EQ(check(-1, m_hash), 0u);
        EXPECT_EQ(check(salt == 20 ? 32 : 20, m_hash), 0x18100059u);
        EXPECT_EQ(check(salt, Bytes(32, 0x43)), 0x18100059u);
    }
    // Too long for the modulus, hash and salt: emLen 256 < 32 + 223 + 2.
    Bytes em(256);
    EXPECT_EQ(ZLC_Add_RSASSA_PKCS1_PSS_Encode(rsa.get(), em.data(), 256, m_hash.data(), 32, 223,
                                              digest.unit),
              0x180F002Bu);
    EXPECT_EQ(
        ZLC_Add_RSASSA_PKCS1_PSS_Encode(rsa.get(), em.data(), 256, m_hash.data(), 32, 20, nullptr),
        0x180F002Bu);
    // Given bytes longer than k, or a broken trailer.
    Bytes longer(257, 0xBC);
    EXPECT_EQ(ZLC_Check_RSASSA_PKCS1_PSS_Encode(rsa.get(), longer.data(), 257, m_hash.data(), 32,
                                                20, digest.unit),
              0x18100059u);
    EXPECT_EQ(ZLC_Check_RSASSA_PKCS1_PSS_Encode(rsa.get(), nullptr, 10, m_hash.data(), 32, 20,
                                                digest.unit),
              0x18100049u);
}

TEST(Oaep, MessageLimitsAndLayouts) {
    for (std::uint32_t encoding : {ZLC_RSAES_OAEP_V21, ZLC_RSAES_OAEP_V20}) {
        const int layout = encoding == ZLC_RSAES_OAEP_V21 ? 1 : 0;
        RsaPtr rsa = modulus_record(2048, encoding, ZLC_SHA256);
        Bytes out(256);
        const Bytes message = random_bytes(191, 7);
        EXPECT_EQ(ZLC_Encode_RSAES_OAEP_PADDING(rsa.get(), message.data(), 190, out.data(), 256,
                                                nullptr, 0, layout),
                  layout == 1 ? 256 : 255);
        if (layout == 1) {
            EXPECT_EQ(out[0], 0x00);
        }
        const Bytes em = stripped(Bytes(out.begin(), out.begin() + (layout == 1 ? 256 : 255)));
        Bytes decoded(256);
        EXPECT_EQ(
            ZLC_Decode_RSAES_OAEP_PADDING(rsa.get(), em.data(), static_cast<int32_t>(em.size()),
                                          decoded.data(), 256, nullptr, 0, layout),
            190);
        EXPECT_TRUE(std::equal(message.begin(), message.begin() + 190, decoded.begin()));
        // A capacity of 189 bytes is too small for the message; the encoding itself is fine.
        EXPECT_EQ(
            ZLC_Decode_RSAES_OAEP_PADDING(rsa.get(), em.data(), static_cast<int32_t>(em.size()),
                                          decoded.data(), 189, nullptr, 0, layout),
            0);
        EXPECT_EQ(ZLC_Encode_RSAES_OAEP_PADDING(rsa.get(), message.data(), 191, out.data(), 256,
                                                nullptr, 0, layout),
                  -1);
        // Output room below the encoded length.
        EXPECT_EQ(ZLC_Encode_RSAES_OAEP_PADDING(rsa.get(), message.data(), 10, out.data(),
                                                layout == 1 ? 255 : 254, nullptr, 0, layout),
                  -1);
    }
}

TEST(Oaep, EveryMalformedBlockGivesZero) {
    RsaPtr rsa = modulus_record(1024, ZLC_RSAES_OAEP_V21, ZLC_SHA1);
    const Bytes message = {1, 2, 3, 4, 5};
    const Bytes label = {'L'};
    Bytes em(128);
    ASSERT_EQ(ZLC_Encode_RSAES_OAEP_PADDING(rsa.get(), message.data(), 5, em.data(), 128,
                                            label.data(), 1, 1),
              128);
    Bytes out(128);
    auto decode = [&](const Bytes& block, const Bytes& l) {
        const Bytes given = stripped(block);
        return ZLC_Decode_RSAES_OAEP_PADDING(rsa.get(), given.data(),
                                             static_cast<int32_t>(given.size()), out.data(), 128,
                                             l.data(), static_cast<int32_t>(l.size()), 1);
    };
    EXPECT_EQ(decode(em, label), 5);
    EXPECT_EQ(decode(em, Bytes{'M'}), 0);  // another label
    for (std::size_t at : {std::size_t{0}, std::size_t{1}, std::size_t{30}, std::size_t{127}}) {
        Bytes bad = em;
        bad[at] ^= 0x80;
        EXPECT_EQ(decode(bad, label), 0) << at;
    }
    // More bytes than the layout holds.
    Bytes longer(129, 0x01);
    EXPECT_EQ(ZLC_Decode_RSAES_OAEP_PADDING(rsa.get(), longer.data(), 129, out.data(), 128,
                                            label.data(), 1, 1),
              0);
}

TEST(Pkcs1Padding, PaddingBytesAndLimits) {
    RsaPtr rsa = modulus_record(1024, ZLC_RSAES_PKCS1_V15, ZLC_SHA1);
    Bytes out(k);
    const Bytes message = random_bytes(k - 10, 3);
    for (int round = 0; round < 20; ++round) {
        ASSERT_EQ(ZLC_Encode_RSAES_PKCS1_PADDING(rsa.get(), message.data(), k - 11, out.data(), k),
                  k);
        EXPECT_EQ(out[0], 0x00);
        EXPECT_EQ(out[1], 0x02);
        EXPECT_TRUE(
            std::none_of(out.begin() + 2, out.begin() + 10, [](std::uint8_t b) { return b == 0; }));
        EXPECT_EQ(out[10], 0x00);  // exactly 8 padding bytes
    }
    EXPECT_EQ(ZLC_Encode_RSAES_PKCS1_PADDING(rsa.get(), message.data(), k - 10, out.data(), k), 0);
    rsa->private_side = 1;
    ASSERT_EQ(ZLC_Encode_RSAES_PKCS1_PADDING(rsa.get(), message.data(), 5, out.data(), k), k);
    EXPECT_EQ(out[1], 0x01);
    EXPECT_TRUE(std::all_of(out.begin() + 2, out.begin() + k - 6,
                            [](std::uint8_t b) { return b == 0xFF; }));
}

TEST(Pkcs1Padding, DecodingRules) {
    RsaPtr rsa = modulus_record(1024, ZLC_RSAES_PKCS1_V15, ZLC_SHA1);
    // The k - 1 bytes after the leading zero: type, PS of ps_length non-zero bytes, 00, message.
    auto block = [](std::uint8_t type, int ps_length) {
        Bytes b(static_cast<std::size_t>(k - 1), 0x77);
        b[0] = type;
        b[static_cast<std::size_t>(1 + ps_length)] = 0x00;
        return b;
    };
    Bytes out(k);
    auto decode = [&](const Bytes& em, int capacity = k) {
        return ZLC_Decode_RSAES_PKCS1_PADDING(rsa.get(), em.data(), static_cast<int32_t>(em.size()),
                                              out.data(), capacity);
    };
    EXPECT_EQ(decode(block(2, 8)), k - 1 - 10);
    EXPECT_EQ(decode(block(1, 8)), k - 1 - 10);  // either type on either side
    EXPECT_EQ(decode(block(2, 7)), 0);           // PS shorter than 8
    EXPECT_EQ(decode(block(0, 8)), 0);
    EXPECT_EQ(decode(block(3, 8)), 0);
    EXPECT_EQ(decode(block(2, 8), k - 1 - 11), 0);  // no room for the message
    EXPECT_EQ(decode(block(2, k - 3)), 0);          // separator is the last byte: empty message
    Bytes no_separator(static_cast<std::size_t>(k - 1), 0x55);
    no_separator[0] = 2;
    EXPECT_EQ(decode(no_separator), 0);
    const Bytes valid = block(2, 8);
    EXPECT_EQ(decode(Bytes(valid.begin() + 1, valid.end())), 0);  // k - 2 bytes
}

}  // namespace
}  // namespace zlc::test
