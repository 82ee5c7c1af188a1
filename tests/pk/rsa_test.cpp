// The RSA record and its operations: key parts, statuses, proven mode, blinding, the CRT and the
// mended faults around them.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/pk/rsa_support.h"
#include "tests/support/library_seams.h"

namespace zlc::test {
namespace {

const peer::KeyParts& key_1024() {
    static const peer::KeyParts key = peer::generate_key(1024);
    return key;
}
const peer::KeyParts& key_2048() {
    static const peer::KeyParts key = peer::generate_key(2048);
    return key;
}

peer::KeyParts without(peer::KeyParts k, bool d, bool crt) {
    if (d) k.d.clear();
    if (crt) k.p.clear(), k.q.clear(), k.dp.clear(), k.dq.clear(), k.qinv.clear();
    return k;
}

const Bytes kMessage = {'a', 'b', 'c'};

TEST(RsaRecord, KeyPartsAndLengths) {
    RsaPtr rsa(ZLC_New_RSA());
    ASSERT_NE(rsa, nullptr);
    EXPECT_EQ(rsa->use_crt, 1u);
    EXPECT_NE(rsa->pool, nullptr);
    EXPECT_EQ(ZLC_Get_RSA_Length(rsa.get()), 0);
    const peer::KeyParts& k = key_1024();
    EXPECT_EQ(ZLC_Set_RSA_Params(rsa.get(), nullptr, big(k.e).get(), nullptr, nullptr, nullptr,
                                 nullptr, nullptr, nullptr),
              0x1801002Bu);
    // A private part without e cannot be blinded.
    EXPECT_EQ(ZLC_Set_RSA_Params(rsa.get(), big(k.n).get(), nullptr, big(k.d).get(), nullptr,
                                 nullptr, nullptr, nullptr, nullptr),
              0x18010059u);
    EXPECT_EQ(ZLC_Set_RSA_Public_Params(rsa.get(), big(k.n).get(), nullptr), 0x1802002Bu);
    ASSERT_EQ(ZLC_Set_RSA_Public_Params(rsa.get(), big(k.n).get(), big(k.e).get()), 0u);
    EXPECT_EQ(rsa->parts, 3);
    EXPECT_EQ(rsa->private_side, 0u);
    EXPECT_EQ(ZLC_Get_RSA_Length(rsa.get()), 128);

    RsaPtr full = make_key(k);
    EXPECT_EQ(full->parts, 15);
    EXPECT_NE(full->blind, nullptr);
    // An incomplete CRT set is not stored.
    peer::KeyParts partial = k;
    partial.qinv.clear();
    EXPECT_EQ(make_key(partial)->parts, 7);
    // The record's own integers may be given back to it.
    ASSERT_EQ(ZLC_Set_RSA_Params(full.get(), full->n, full->e, full->d, full->p, full->q, full->dp,
                                 full->dq, full->qinv),
              0u);
    EXPECT_EQ(parts_of(full.get()).qinv, k.qinv);

    ZLC_Clean_RSA(full.get());
    EXPECT_EQ(full->parts, 0);
    EXPECT_EQ(full->n, nullptr);
    EXPECT_EQ(full->digest, nullptr);
    EXPECT_NE(full->pool, nullptr);
    ZLC_Free_RSA(nullptr);
    EXPECT_EQ(ZLC_Dup_RSA(nullptr), nullptr);
}

TEST(RsaRecord, DuplicateSignsLikeTheOriginal) {
    RsaPtr rsa = make_key(key_1024());
    std::uint32_t status = 0;
    const Bytes signature = sign(rsa.get(), ZLC_SHA256, ZLC_RSASSA_PKCS1_V15, kMessage, &status);
    ASSERT_EQ(status, 0u);
    RsaPtr copy(ZLC_Dup_RSA(rsa.get()));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->parts, 15);
    EXPECT_EQ(copy->digest, nullptr);
    EXPECT_EQ(copy->blind, nullptr);
    rsa.reset();
    EXPECT_EQ(sign(copy.get(), ZLC_SHA256, ZLC_RSASSA_PKCS1_V15, kMessage, &status), signature);
    EXPECT_EQ(status, 0u);
}

// Each key form signs (the same deterministic signature) and decrypts.
TEST(RsaPrivate, EveryKeyFormGivesTheSameResults) {
    const peer::KeyParts& k = key_1024();
    std::uint32_t status = 0;
    RsaPtr full = make_key(k);
    const Bytes expected = sign(full.get(), ZLC_SHA1, ZLC_RSASSA_PKCS1_V15, kMessage, &status);
    ASSERT_EQ(status, 0u);
    const Bytes raw_message = {0x00, 0x00, 0x12, 0x34};
    const Bytes ciphertext = encrypt(full.get(), ZLC_RSAES_RAW, 0, 0, raw_message, &status);
    ASSERT_EQ(status, 0u);
    for (const peer::KeyParts& form : {k, without(k, true, false), without(k, false, true)}) {
        RsaPtr rsa = make_key(form);
        for (std::uint32_t use_crt : {1u, 0u}) {
            rsa->use_crt = use_crt;
            if (use_crt == 0 && form.d.empty()) continue;
            EXPECT_EQ(sign(rsa.get(), ZLC_SHA1, ZLC_RSASSA_PKCS1_V15, kMessage, &status), expected);
            EXPECT_EQ(status, 0u);
            // Raw decryption: the value without its leading zero bytes, CRT-only keys included.
            EXPECT_EQ(decrypt(rsa.get(), ZLC_RSAES_RAW, 1, 0, ciphertext, &status),
                      (Bytes{0x12, 0x34}));
            EXPECT_EQ(status, 0u);
        }
    }
}

TEST(RsaPrivate, BlindingPairIsRenewedAfterEveryUse) {
    RsaPtr rsa = make_key(key_1024());
    const Bytes before = bytes_of(rsa->blind);
    const Bytes before_inv = bytes_of(rsa->blind_inv);
    std::uint32_t status = 0;
    const Bytes first = sign(rsa.get(), ZLC_SHA256, ZLC_RSASSA_PKCS1_V15, kMessage, &status);
    ASSERT_EQ(status, 0u);
    EXPECT_NE(bytes_of(rsa->blind), before);
    EXPECT_NE(bytes_of(rsa->blind_inv), before_inv);
    // Still a pair: r^e and r^-1 squared together, so signatures stay the same.
    EXPECT_EQ(sign(rsa.get(), ZLC_SHA256, ZLC_RSASSA_PKCS1_V15, kMessage, &status), first);
}

TEST(RsaPrivate, PrivateEncryptionOfDigestInfoIsTheSignature) {
    RsaPtr rsa = make_key(key_1024());
    std::uint32_t status = 0;
    const Bytes signature = sign(rsa.get(), ZLC_SHA256, ZLC_RSASSA_PKCS1_V15, kMessage, &status);
    ASSERT_EQ(status, 0u);
    Bytes hash(32);
    ASSERT_EQ(ZLC_DIGEST(ZLC_SHA256, kMessage.data(), 3, hash.data(), nullptr), 0u);
    Bytes info = from_hex("3031300d060960864801650304020105000420");
    info.insert(info.end(), hash.begin(), hash.end());
    EXPECT_EQ(encrypt(rsa.get(), ZLC_RSAES_PKCS1_V15, 1, 0, info, &status), signature);
    EXPECT_EQ(status, 0u);
    // And the public side undoes it.
    EXPECT_EQ(decrypt(rsa.get(), ZLC_RSAES_PKCS1_V15, 0, 0, signature, &status), info);
}

TEST(RsaPrivate, FaultyKeysAreRefusedBeforeAnyResultLeaves) {
    const peer::KeyParts& k = key_1024();
    std::uint32_t status = 0;
    // d no inverse of e: the consistency check (p, q, n, e and d present).
    peer::KeyParts wrong_d = k;
    wrong_d.d.back() ^= 2;
    RsaPtr inconsistent = make_key(wrong_d);
    sign(inconsistent.get(), ZLC_SHA256, ZLC_RSASSA_PKCS1_V15, kMessage, &status);
    EXPECT_EQ(status, 0x1806002Eu);
    decrypt(inconsistent.get(), ZLC_RSAES_PKCS1_V15, 1, 0, Bytes(128, 1), &status);
    EXPECT_EQ(status, 0x180A002Eu);
    // A wrong CRT exponent would give s = m^d mod q only: s^e = m fails and nothing is written.
    for (const peer::KeyParts& base : {k, without(k, true, false)}) {
        peer::KeyParts wrong_dp = base;
        wrong_dp.dp.back() ^= 2;
        RsaPtr faulty = make_key(wrong_dp);
        Bytes signature = sign(faulty.get(), ZLC_SHA256, ZLC_RSASSA_PKCS1_V15, kMessage, &status);
        EXPECT_EQ(status, 0x18060059u);
        EXPECT_TRUE(signature.empty());
    }
}

TEST(RsaParts, EveryOperationNeedsItsParts) {
    const peer::KeyParts& k = key_1024();
    RsaPtr pub = make_public_key(k.n, k.e);
    std::uint32_t status = 0;
    // Signing on a public-only record; private encryption and decryption: n alone is not a key.
    sign(pub.get(), ZLC_SHA256, ZLC_RSASSA_PSS, kMessage, &status);
    EXPECT_EQ(status, 0x18050045u);
    encrypt(pub.get(), ZLC_RSAES_PKCS1_V15, 1, 0, kMessage, &status);
    EXPECT_EQ(status, 0x18090045u);
    decrypt(pub.get(), ZLC_RSAES_RAW, 1, 0, Bytes(128, 1), &status);
    EXPECT_EQ(status, 0x180A0045u);
    RsaPtr n_only = make_key(peer::KeyParts{k.n, {}, {}, {}, {}, {}, {}, {}});
    EXPECT_EQ(n_only->parts, 1);
    EXPECT_EQ(verify(n_only.get(), ZLC_SHA256, ZLC_RSASSA_PSS, kMessage, Bytes(128, 1)),
              0x18050046u);
    encrypt(n_only.get(), ZLC_RSAES_RAW, 0, 0, kMessage, &status);
    EXPECT_EQ(status, 0x18090046u);
    decrypt(n_only.get(), ZLC_RSAES_RAW, 0, 0, Bytes(128, 1), &status);
    EXPECT_EQ(status, 0x180A0046u);
}

TEST(RsaSignatures, LengthsAndRanges) {
    const peer::KeyParts& k = key_1024();
    RsaPtr rsa = make_key(k);
    std::uint32_t status = 0;
    // A signature with a leading zero byte is still k bytes; without that byte it verifies too.
    Bytes signature;
    Bytes message;
    for (std::uint8_t i = 0; signature.empty() || signature[0] != 0; ++i) {
        message = {i, static_cast<std::uint8_t>(i >> 8)};
        for (int j = 0; j < 8 && (signature.empty() || signature[0] != 0); ++j) {
            message.push_back(static_cast<std::uint8_t>(j));
            signature = sign(rsa.get(), ZLC_SHA1, ZLC_RSASSA_PKCS1_V15, message, &status);
            ASSERT_EQ(status, 0u);
        }
    }
    ASSERT_EQ(signature.size(), 128u);
    EXPECT_EQ(verify(rsa.get(), ZLC_SHA1, ZLC_RSASSA_PKCS1_V15, message, signature), 0u);
    EXPECT_EQ(verify(rsa.get(), ZLC_SHA1, ZLC_RSASSA_PKCS1_V15, message,
                     Bytes(signature.begin() + 1, signature.end())),
              0u);
    // A zero byte put in front makes k + 1 bytes: not a second form of the signature.
    Bytes longer = signature;
    longer.insert(longer.begin(), 0);
    EXPECT_EQ(verify(rsa.get(), ZLC_SHA1, ZLC_RSASSA_PKCS1_V15, message, longer), 0x1807002Bu);
    EXPECT_EQ(verify(rsa.get(), ZLC_SHA1, ZLC_RSASSA_PKCS1_V15, message, {}), 0x1807002Bu);
    EXPECT_EQ(verify(rsa.get(), ZLC_SHA1, ZLC_RSASSA_PKCS1_V15, message, k.n), 0x18070055u);
    EXPECT_EQ(verify(rsa.get(), ZLC_SHA1, ZLC_RSASSA_PKCS1_V15, message, Bytes(128, 0xFF)),
              0x18070055u);
    EXPECT_EQ(verify(rsa.get(), ZLC_SHA256, ZLC_RSASSA_PKCS1_V15, message, signature), 0x1807002Bu);

    // Raw signatures exponentiate the digest itself; PSS with its salt length; unknown encodings.
    for (std::uint32_t encoding : {ZLC_RSASSA_RAW, ZLC_RSASSA_PSS | ZLC_RSA_SALT_LENGTH(32)}) {
        const Bytes s = sign(rsa.get(), ZLC_SHA256, encoding, message, &status);
        ASSERT_EQ(status, 0u);
        EXPECT_EQ(verify(rsa.get(), ZLC_SHA256, encoding, message, s), 0u);
        EXPECT_NE(verify(rsa.get(), ZLC_SHA256, encoding, kMessage, s), 0u);
    }
    sign(rsa.get(), ZLC_SHA256, 3, message, &status);
    EXPECT_EQ(status, 0x1806002Au);
    EXPECT_EQ(verify(rsa.get(), ZLC_SHA256, 3, message, signature), 0x1807000Eu);
    // The SHA-224 DigestInfo is not known: no PKCS #1 v1.5 signature with it.
    sign(rsa.get(), ZLC_SHA224, ZLC_RSASSA_PKCS1_V15, message, &status);
    EXPECT_EQ(status, 0x18060012u);
}

TEST(RsaEncryption, LengthsRangesAndEncodings) {
    const peer::KeyParts& k = key_1024();
    RsaPtr rsa = make_key(k);
    std::uint32_t status = 0;
    for (std::uint32_t encoding : {ZLC_RSAES_OAEP_V20, ZLC_RSAES_OAEP_V21, ZLC_RSAES_PKCS1_V15}) {
        const Bytes c = encrypt(rsa.get(), encoding, 0, ZLC_SHA256, kMessage, &status);
        ASSERT_EQ(status, 0u);
        EXPECT_EQ(decrypt(rsa.get(), encoding, 1, ZLC_SHA256, c, &status), kMessage) << encoding;
        Bytes broken = c;
        broken[5] ^= 1;
        decrypt(rsa.get(), encoding, 1, ZLC_SHA256, broken, &status);
        EXPECT_EQ(status, 0x180A000Eu);
        Bytes longer = c;
        longer.insert(longer.begin(), 0);
        decrypt(rsa.get(), encoding, 1, ZLC_SHA256, longer, &status);
        EXPECT_EQ(status, 0x180A000Eu);
    }
    decrypt(rsa.get(), ZLC_RSAES_OAEP_V21, 1, 0, k.n, &status);
    EXPECT_EQ(status, 0x180A003Du);
    encrypt(rsa.get(), ZLC_RSAES_RAW, 0, 0, k.n, &status);
    EXPECT_EQ(status, 0x1809003Du);
    encrypt(rsa.get(), ZLC_RSAES_RAW, 0, 0, Bytes(129, 0), &status);
    EXPECT_EQ(status, 0x1809002Bu);
    encrypt(rsa.get(), ZLC_RSAES_OAEP_V21, 0, ZLC_SHA256, Bytes(128 - 64 - 1, 1), &status);
    EXPECT_EQ(status, 0x18090012u);
    encrypt(rsa.get(), 0x40, 0, 0, kMessage, &status);
    EXPECT_EQ(status, 0x18090033u);
    decrypt(rsa.get(), 0x40, 1, 0, Bytes(128, 1), &status);
    EXPECT_EQ(status, 0x180A000Eu);
    ASSERT_EQ(ZLC_Init_RSAES(rsa.get(), ZLC_RSAES_RAW, 0, 0), 0u);
    EXPECT_EQ(ZLC_Encrypt_RSAES(rsa.get(), Bytes(128).data(), nullptr, nullptr, 0), 0x1809002Bu);
    EXPECT_EQ(ZLC_Encrypt_RSAES(rsa.get(), Bytes(128).data(), nullptr, kMessage.data(), -1),
              0x1809002Bu);
    EXPECT_EQ(ZLC_Encrypt_RSAES(nullptr, Bytes(128).data(), nullptr, kMessage.data(), 3),
              0x18090049u);

    // Raw decryption writes at most in_length bytes: a 1-byte ciphertext whose message fills k
    // bytes is refused instead of overflowing the output.
    ASSERT_EQ(ZLC_Init_RSAES(rsa.get(), ZLC_RSAES_RAW, 1, 0), 0u);
    std::uint8_t in = 2;
    std::uint8_t out[2] = {};
    int32_t length = -1;
    EXPECT_EQ(ZLC_Decrypt_RSAES(rsa.get(), out, &length, &in, 1), 0x180A000Eu);
    EXPECT_EQ(length, -1);
}

TEST(RsaProvenMode, ModulusSizesAndAlgorithms) {
    RsaPtr ok = make_key(key_2048());
    Bytes n2040 = random_bytes(255, 2040);
    n2040[0] |= 0x80;
    n2040.back() |= 1;
    RsaPtr short_key = make_public_key(n2040, {0x01, 0x00, 0x01});
    // Units initialised before proven mode is entered.
    ASSERT_EQ(ZLC_Init_RSASSA(short_key.get(), ZLC_SHA256, ZLC_RSASSA_PSS, 0), 0u);
    RsaPtr short_cipher = make_public_key(n2040, {0x01, 0x00, 0x01});
    ASSERT_EQ(ZLC_Init_RSAES(short_cipher.get(), ZLC_RSAES_OAEP_V21, 0, ZLC_SHA256), 0u);

    ModuleFlagsScope proven(proven_mode());
    std::uint32_t status = 0;
    const Bytes s = sign(ok.get(), ZLC_SHA256, ZLC_RSASSA_PSS, kMessage, &status);
    EXPECT_EQ(status, 0u);
    EXPECT_EQ(verify(ok.get(), ZLC_SHA256, ZLC_RSASSA_PSS, kMessage, s), 0u);
    const Bytes c = encrypt(ok.get(), ZLC_RSAES_OAEP_V21, 0, ZLC_SHA256, kMessage, &status);
    EXPECT_EQ(status, 0u);
    EXPECT_EQ(decrypt(ok.get(), ZLC_RSAES_OAEP_V21, 1, ZLC_SHA256, c, &status), kMessage);

    EXPECT_EQ(ZLC_Init_RSASSA(ok.get(), ZLC_SHA256, ZLC_RSASSA_PKCS1_V15, 1), 0x180300F0u);
    EXPECT_EQ(ZLC_Init_RSASSA(ok.get(), ZLC_SHA1, ZLC_RSASSA_PSS, 1), 0x180300F0u);
    EXPECT_EQ(ZLC_Init_RSAES(ok.get(), ZLC_RSAES_PKCS1_V15, 0, ZLC_SHA256), 0x180800F0u);
    EXPECT_EQ(ZLC_Init_RSAES(ok.get(), ZLC_RSAES_RAW, 0, ZLC_SHA256), 0x180800F0u);
    ASSERT_EQ(ZLC_Init_RSASSA(ok.get(), ZLC_SHA256, ZLC_RSASSA_RAW, 1), 0u);
    Bytes out(256);
    int32_t length = 0;
    EXPECT_EQ(ZLC_Final_RSASSA(ok.get(), out.data(), &length), 0x180600F0u);

    EXPECT_EQ(ZLC_Init_RSASSA(short_key.get(), ZLC_SHA256, ZLC_RSASSA_PSS, 0), 0x18030048u);
    length = 255;
    EXPECT_EQ(ZLC_Final_RSASSA(short_key.get(), out.data(), &length), 0x18050048u);
    EXPECT_EQ(ZLC_Init_RSAES(short_key.get(), ZLC_RSAES_OAEP_V21, 0, ZLC_SHA256), 0x18080048u);
    EXPECT_EQ(ZLC_Encrypt_RSAES(short_cipher.get(), out.data(), &length, kMessage.data(), 3),
              0x18090048u);
    EXPECT_EQ(ZLC_Decrypt_RSAES(short_cipher.get(), out.data(), &length, out.data(), 255),
              0x180A0048u);
}

}  // namespace
}  // namespace zlc::test
