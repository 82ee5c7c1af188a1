// Interoperation with OpenSSL 3 on random keys: signatures and ciphertexts made on either side are
// accepted by the other.
#include <gtest/gtest.h>

#include <map>

#include "tests/pk/rsa_support.h"

namespace zlc::test {
namespace {

struct DigestName {
    std::uint32_t id;
    const char* openssl;
};
constexpr DigestName kDigests[] = {{ZLC_SHA1, "SHA1"},
                                   {ZLC_SHA224, "SHA224"},
                                   {ZLC_SHA256, "SHA256"},
                                   {ZLC_SHA384, "SHA384"},
                                   {ZLC_SHA512, "SHA512"}};

// PSS with salt length 0 cannot be asked for through the encoding word (0 means 20): it is built
// from the encoder and a raw private-key operation, and checked through the raw public one.
Bytes sign_pss_without_salt(ZLC_RSA* rsa, std::uint32_t digest, const Bytes& message) {
    Bytes hash(ZLC_DIGEST_MAX_LENGTH);
    int32_t hash_length = 0;
    EXPECT_EQ(ZLC_DIGEST(digest, message.data(), static_cast<int32_t>(message.size()), hash.data(),
                         &hash_length),
              0u);
    DIGEST_UNIT* unit = ZLC_New_DIGEST_Unit();
    EXPECT_EQ(ZLC_Init_DIGEST(unit, digest), 0u);
    EXPECT_EQ(ZLC_Init_RSAES(rsa, ZLC_RSAES_RAW, 1, digest), 0u);
    const int32_t k = ZLC_Get_RSA_Length(rsa);
    Bytes em(static_cast<std::size_t>(k));
    EXPECT_EQ(ZLC_Add_RSASSA_PKCS1_PSS_Encode(rsa, em.data(), k, hash.data(), hash_length, 0, unit),
              0u);
    ZLC_Free_DIGEST_Unit(unit);
    std::uint32_t status = 0;
    Bytes signature = encrypt(rsa, ZLC_RSAES_RAW, 1, digest, em, &status);
    EXPECT_EQ(status, 0u);
    return signature;
}

std::uint32_t verify_pss_without_salt(ZLC_RSA* rsa, std::uint32_t digest, const Bytes& message,
                                      const Bytes& signature) {
    std::uint32_t status = 0;
    const Bytes em = decrypt(rsa, ZLC_RSAES_RAW, 0, digest, signature, &status);
    if (status != 0) return status;
    Bytes hash(ZLC_DIGEST_MAX_LENGTH);
    int32_t hash_length = 0;
    EXPECT_EQ(ZLC_DIGEST(digest, message.data(), static_cast<int32_t>(message.size()), hash.data(),
                         &hash_length),
              0u);
    DIGEST_UNIT* unit = ZLC_New_DIGEST_Unit();
    EXPECT_EQ(ZLC_Init_DIGEST(unit, digest), 0u);
    const std::uint32_t result = ZLC_Check_RSASSA_PKCS1_PSS_Encode(
        rsa, em.data(), static_cast<int32_t>(em.size()), hash.data(), hash_length, 0, unit);
    ZLC_Free_DIGEST_Unit(unit);
    return result;
}

class RsaOpenSsl : public ::testing::TestWithParam<int> {
  protected:
    static const peer::KeyParts& key(int bits) {
        static std::map<int, peer::KeyParts> keys;
        auto it = keys.find(bits);
        if (it == keys.end()) it = keys.emplace(bits, peer::generate_key(bits)).first;
        return it->second;
    }
};

TEST_P(RsaOpenSsl, SignaturesBothWays) {
    const peer::KeyParts& k = key(GetParam());
    RsaPtr rsa = make_key(k);
    const Bytes message = random_bytes(77, static_cast<std::uint64_t>(GetParam()));
    for (const DigestName& d : kDigests) {
        SCOPED_TRACE(d.openssl);
        std::uint32_t status = 0;
        // PKCS #1 v1.5 is deterministic: the same bytes on both sides (no SHA-224 DigestInfo here).
        if (d.id != ZLC_SHA224) {
            const Bytes ours = sign(rsa.get(), d.id, ZLC_RSASSA_PKCS1_V15, message, &status);
            ASSERT_EQ(status, 0u);
            EXPECT_EQ(peer::sign(k, d.openssl, peer::Padding::Pkcs1, 0, message), ours);
            EXPECT_TRUE(peer::verify(k, d.openssl, peer::Padding::Pkcs1, 0, message, ours));
        }
        for (int salt : {0, 20, 32}) {
            SCOPED_TRACE(salt);
            const std::optional<Bytes> theirs =
                peer::sign(k, d.openssl, peer::Padding::Pss, salt, message);
            ASSERT_TRUE(theirs.has_value());
            if (salt == 0) {
                EXPECT_EQ(verify_pss_without_salt(rsa.get(), d.id, message, *theirs), 0u);
                const Bytes ours = sign_pss_without_salt(rsa.get(), d.id, message);
                EXPECT_TRUE(peer::verify(k, d.openssl, peer::Padding::Pss, 0, message, ours));
                continue;
            }
            const std::uint32_t encoding = ZLC_RSASSA_PSS | ZLC_RSA_SALT_LENGTH(salt);
            EXPECT_EQ(verify(rsa.get(), d.id, encoding, message, *theirs), 0u);
            const Bytes ours = sign(rsa.get(), d.id, encoding, message, &status);
            ASSERT_EQ(status, 0u);
            EXPECT_TRUE(peer::verify(k, d.openssl, peer::Padding::Pss, salt, message, ours));
        }
    }
}

TEST_P(RsaOpenSsl, CiphertextsBothWays) {
    const peer::KeyParts& k = key(GetParam());
    RsaPtr rsa = make_key(k);
    const Bytes message = random_bytes(40, 9);
    std::uint32_t status = 0;
    for (const DigestName& d : {kDigests[0], kDigests[2], kDigests[4]}) {
        SCOPED_TRACE(d.openssl);
        // OAEP with SHA-512 leaves no room for a message in 1024 bits.
        if (ZLC_Get_RSA_Length(rsa.get()) - 2 * ZLC_Get_DIGEST_Length(d.id) - 2 < 40) continue;
        const Bytes ours = encrypt(rsa.get(), ZLC_RSAES_OAEP_V21, 0, d.id, message, &status);
        ASSERT_EQ(status, 0u);
        EXPECT_EQ(peer::decrypt(k, peer::Padding::Oaep, d.openssl, ours), message);
        const std::optional<Bytes> theirs =
            peer::encrypt(k, peer::Padding::Oaep, d.openssl, message);
        ASSERT_TRUE(theirs.has_value());
        EXPECT_EQ(decrypt(rsa.get(), ZLC_RSAES_OAEP_V21, 1, d.id, *theirs, &status), message);
    }
    const Bytes ours = encrypt(rsa.get(), ZLC_RSAES_PKCS1_V15, 0, 0, message, &status);
    ASSERT_EQ(status, 0u);
    EXPECT_EQ(peer::decrypt(k, peer::Padding::Pkcs1, "", ours), message);
    const std::optional<Bytes> theirs = peer::encrypt(k, peer::Padding::Pkcs1, "", message);
    ASSERT_TRUE(theirs.has_value());
    EXPECT_EQ(decrypt(rsa.get(), ZLC_RSAES_PKCS1_V15, 1, 0, *theirs, &status), message);
}

INSTANTIATE_TEST_SUITE_P(Sizes, RsaOpenSsl, ::testing::Values(1024, 2048, 3072));

}  // namespace
}  // namespace zlc::test
