// Published RSA vectors: NIST CAVP FIPS 186-3 SigVer/SigGen (PKCS #1 v1.5 and PSS) and the RSA
// Laboratories PKCS #1 v2.1 PSS and OAEP examples.
#include <gtest/gtest.h>

#include "tests/pk/rsa_support.h"
#include "tests/support/vector_file.h"

namespace zlc::test {
namespace {

// CAVP prints some values without their leading zero nibble or byte.
Bytes padded_hex(std::string hex, std::size_t bytes = 0) {
    if (hex.size() % 2 != 0) hex.insert(hex.begin(), '0');
    Bytes b = from_hex(hex);
    if (b.size() < bytes) b.insert(b.begin(), bytes - b.size(), 0);
    return b;
}

std::uint32_t pss_encoding(int salt) {
    return ZLC_RSASSA_PSS | ZLC_RSA_SALT_LENGTH(salt);
}

// A PSS verification for a salt length: 0 (which the encoding word cannot express: there 0 means
// 20) and -1 (any length) go through the raw public operation and the PSS check.
std::uint32_t verify_pss(ZLC_RSA* rsa, std::uint32_t digest, int salt, const Bytes& message,
                         const Bytes& signature) {
    if (salt > 0) return verify(rsa, digest, pss_encoding(salt), message, signature);
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
    rsa->encoding = digest;  // MGF1 with the message digest
    const std::uint32_t result = ZLC_Check_RSASSA_PKCS1_PSS_Encode(
        rsa, em.data(), static_cast<int32_t>(em.size()), hash.data(), hash_length, salt, unit);
    ZLC_Free_DIGEST_Unit(unit);
    return result;
}

struct CavpCase {
    const char* file;
    bool pss;
    bool has_result;  // SigVer: a P/F verdict per vector; SigGen: every signature is valid
};

// SaltVal when given ("00" is the empty salt), else any length.
int salt_of(const VectorRecord& r) {
    if (!r.has("SaltVal")) return -1;
    return r.at("SaltVal") == "00" ? 0 : static_cast<int>(padded_hex(r.at("SaltVal")).size());
}

class CavpSignatures : public ::testing::TestWithParam<CavpCase> {};

TEST_P(CavpSignatures, VerifyAsPublished) {
    const CavpCase c = GetParam();
    Bytes n, e;
    int checked = 0;
    for (const VectorRecord& r : read_vector_file(std::string("rsa/") + c.file)) {
        if (r.has("n")) n = padded_hex(r.at("n"));
        if (r.has("e")) e = padded_hex(r.at("e"));
        if (!r.has("S")) continue;
        RsaPtr rsa = make_public_key(n, e);
        const std::uint32_t digest = digest_id(r.at("SHAAlg"));
        const Bytes message = padded_hex(r.at("Msg"));
        const Bytes signature = padded_hex(r.at("S"), n.size());
        const std::uint32_t status =
            c.pss ? verify_pss(rsa.get(), digest, salt_of(r), message, signature)
                  : verify(rsa.get(), digest, ZLC_RSASSA_PKCS1_V15, message, signature);
        // PKCS #1 v1.5 knows no DigestInfo for SHA-224 here: those signatures are refused.
        const bool refused = !c.pss && digest == ZLC_SHA224;
        const bool expected = !refused && (!c.has_result || r.at("Result")[0] == 'P');
        EXPECT_EQ(status == 0, expected)
            << c.file << " line " << r.line << " status " << std::hex << status;
        ++checked;
    }
    EXPECT_GT(checked, 50);
}

INSTANTIATE_TEST_SUITE_P(Fips186_3, CavpSignatures,
                         ::testing::Values(CavpCase{"SigVer15_186-3.rsp", false, true},
                                           CavpCase{"SigVerPSS_186-3.rsp", true, true},
                                           CavpCase{"SigGen15_186-3.rsp", false, false},
                                           CavpCase{"SigGenPSS_186-3.rsp", true, false}));

// The RSA Labs files: a key block, then the examples for it.
peer::KeyParts labs_key(const VectorRecord& r) {
    return {from_hex(r.at("N")),  from_hex(r.at("E")),   from_hex(r.at("D")),
            from_hex(r.at("P")),  from_hex(r.at("Q")),   from_hex(r.at("DP")),
            from_hex(r.at("DQ")), from_hex(r.at("QINV"))};
}

TEST(RsaLabsVectors, PssSignaturesVerifyAndNewOnesToo) {
    peer::KeyParts key;
    int checked = 0;
    for (const VectorRecord& r : read_vector_file("rsa/pkcs1v21_pss_vect.txt")) {
        if (r.has("N")) key = labs_key(r);
        if (!r.has("SIG")) continue;
        RsaPtr rsa = make_key(key);
        const Bytes message = from_hex(r.at("MSG"));
        EXPECT_EQ(verify(rsa.get(), ZLC_SHA1, ZLC_RSASSA_PSS, message, from_hex(r.at("SIG"))), 0u)
            << "line " << r.line;
        std::uint32_t status = 0;
        const Bytes ours = sign(rsa.get(), ZLC_SHA1, ZLC_RSASSA_PSS, message, &status);
        ASSERT_EQ(status, 0u) << "line " << r.line;
        EXPECT_EQ(verify(rsa.get(), ZLC_SHA1, ZLC_RSASSA_PSS, message, ours), 0u);
        ++checked;
    }
    EXPECT_EQ(checked, 55);
}

TEST(RsaLabsVectors, OaepCiphertextsDecryptWithEveryKeyForm) {
    peer::KeyParts key;
    int checked = 0;
    for (const VectorRecord& r : read_vector_file("rsa/pkcs1v21_oaep_vect.txt")) {
        if (r.has("N")) key = labs_key(r);
        if (!r.has("CT")) continue;
        const Bytes message = from_hex(r.at("MSG"));
        const Bytes ct = from_hex(r.at("CT"));
        peer::KeyParts d_only = key, crt_only = key;
        d_only.p.clear();
        crt_only.d.clear();
        for (const peer::KeyParts& form : {key, d_only, crt_only}) {
            RsaPtr rsa = make_key(form);
            std::uint32_t status = 0;
            EXPECT_EQ(decrypt(rsa.get(), ZLC_RSAES_OAEP_V21, 1, ZLC_SHA1, ct, &status), message)
                << "line " << r.line;
            EXPECT_EQ(status, 0u);
        }
        ++checked;
    }
    EXPECT_EQ(checked, 60);
}

}  // namespace
}  // namespace zlc::test
