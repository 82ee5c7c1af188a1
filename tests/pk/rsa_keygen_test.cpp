// Key generation: arguments, sizes, the pairwise test's limits, and keys that OpenSSL accepts.
#include <gtest/gtest.h>

#include "tests/pk/rsa_support.h"
#include "tests/support/library_seams.h"

namespace zlc::test {
namespace {

const Bytes kF4 = {0x01, 0x00, 0x01};

using Generate = std::uint32_t (*)(ZLC_RSA*, const BIGINT*, int32_t, int32_t);

std::uint32_t generate(Generate g, ZLC_RSA* rsa, const Bytes& e, int bits, int type = 1) {
    return g(rsa, big(e).get(), bits, type);
}

TEST(RsaKeyGeneration, ArgumentsAndExponents) {
    RsaPtr rsa(ZLC_New_RSA());
    struct Case {
        Generate g;
        Bytes e;
        int bits, type;
        std::uint32_t expected;
    };
    const Case cases[] = {
        {ZLC_Generate_RSA_Params_Ex, kF4, -1, 1, 0x180B002Bu},
        {ZLC_Generate_RSA_Params_Ex, kF4, 7, 1, 0x180B002Bu},
        {ZLC_Generate_RSA_Params_Ex, kF4, 1024, 3, 0x180B002Bu},
        {ZLC_Generate_RSA_Params_Ex, {4}, 1024, 1, 0x180B0036u},
        {ZLC_Generate_RSA_Params, {4}, 1024, 1, 0x180C0036u},
        // e = 2 passes a primality test but has no inverse modulo an even phi(n).
        {ZLC_Generate_RSA_Params_Ex, {2}, 1024, 1, 0x180B0036u},
        {ZLC_Generate_RSA_Params_Ex, {1}, 1024, 1, 0x180B0036u},
        {ZLC_Generate_RSA_Params_Ex, {0x01, 0x00, 0x05}, 1024, 1, 0x180B0036u},
        // Too short for the pairwise test: OAEP with SHA-256 needs 69 bytes, with SHA-1 45.
        {ZLC_Generate_RSA_Params_Ex, kF4, 544, 1, 0x180B0038u},
        {ZLC_Generate_RSA_Params, kF4, 352, 2, 0x180C0038u},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(generate(c.g, rsa.get(), c.e, c.bits, c.type), c.expected)
            << c.bits << " " << to_hex(c.e);
        EXPECT_EQ(rsa->parts, 0);
    }
    EXPECT_EQ(ZLC_Generate_RSA_Params_Ex(nullptr, big(kF4).get(), 1024, 1), 0x180B002Bu);
    EXPECT_EQ(ZLC_Generate_RSA_Params_Ex(rsa.get(), nullptr, 1024, 1), 0x180B002Bu);
    ModuleFlagsScope proven(proven_mode());
    EXPECT_EQ(generate(ZLC_Generate_RSA_Params_Ex, rsa.get(), kF4, 2047), 0x180B0048u);
}

TEST(RsaKeyGeneration, SmallestKeysForThePairwiseTestAndExactModulusLengths) {
    struct Case {
        Generate g;
        int bits;
    };
    // Half the products of two primes with only their top bits set are a bit short: several keys
    // of each size, all of exactly the asked length.
    for (const Case& c : {Case{ZLC_Generate_RSA_Params_Ex, 545}, Case{ZLC_Generate_RSA_Params, 353},
                          Case{ZLC_Generate_RSA_Params_Ex, 601}}) {
        for (int type : {1, 2, 1, 2}) {
            RsaPtr rsa(ZLC_New_RSA());
            ASSERT_EQ(generate(c.g, rsa.get(), kF4, c.bits, type), 0u) << c.bits;
            EXPECT_EQ(ZLC_Get_BIGINT_Bits_Length(rsa->n), c.bits);
            EXPECT_EQ(rsa->parts, 15);
            EXPECT_GT(ZLC_Cmp_BIGINT(rsa->p, rsa->q), 0);
            std::uint32_t status = 0;
            const Bytes message = {1, 2, 3, 4};
            const Bytes s = sign(rsa.get(), ZLC_SHA1, ZLC_RSASSA_RAW, message, &status);
            ASSERT_EQ(status, 0u);
            EXPECT_EQ(verify(rsa.get(), ZLC_SHA1, ZLC_RSASSA_RAW, message, s), 0u);
        }
    }
}

TEST(RsaKeyGeneration, FullSizeKeysWorkInOpenSsl) {
    for (int bits : {2048, 2049}) {
        RsaPtr rsa(ZLC_New_RSA());
        ASSERT_EQ(generate(ZLC_Generate_RSA_Params_Ex, rsa.get(), kF4, bits, 2), 0u);
        EXPECT_EQ(ZLC_Get_BIGINT_Bits_Length(rsa->n), bits);
        EXPECT_EQ(ZLC_Get_BIGINT_Bits_Length(rsa->p), (bits + 1) / 2);
        EXPECT_EQ(ZLC_Get_BIGINT_Bits_Length(rsa->q), bits / 2);
        EXPECT_GT(ZLC_Cmp_BIGINT(rsa->p, rsa->q), 0);
        // Left ready for the pairwise test's decryption.
        EXPECT_EQ(rsa->encoding & 0xFFu, ZLC_RSAES_OAEP_V20);
        EXPECT_EQ(rsa->private_side, 1u);
        EXPECT_EQ(rsa->digest->algorithm_id, ZLC_SHA256);

        const peer::KeyParts k = parts_of(rsa.get());
        const Bytes message = {'k', 'e', 'y'};
        const std::optional<Bytes> theirs =
            peer::sign(k, "SHA256", peer::Padding::Pss, 32, message);
        ASSERT_TRUE(theirs.has_value());
        const std::uint32_t pss = ZLC_RSASSA_PSS | ZLC_RSA_SALT_LENGTH(32);
        EXPECT_EQ(verify(rsa.get(), ZLC_SHA256, pss, message, *theirs), 0u);
        std::uint32_t status = 0;
        const Bytes ours = sign(rsa.get(), ZLC_SHA256, pss, message, &status);
        ASSERT_EQ(status, 0u);
        // 2049 bits: the encoded message is k - 1 bytes behind a zero byte.
        EXPECT_TRUE(peer::verify(k, "SHA256", peer::Padding::Pss, 32, message, ours));
    }
}

}  // namespace
}  // namespace zlc::test
