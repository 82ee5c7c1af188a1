// A program that links the shared library, as an application does: the library finds its own
// signed file among the loaded modules. OpenSSL checks the same signature independently.
#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rsa.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "zlc.h"

namespace {

TEST(SharedLibrary, PassesItsOwnSelfTest) {
    EXPECT_EQ(ZLC_Crypto_Self_Test(), 0u);
    EXPECT_EQ(ZLC_Crypto_Self_Test(), 0u);
}

TEST(SharedLibrary, CarriesAPssSignatureByTheModuleKey) {
    std::ifstream in(ZLC_SIGNED_LIBRARY, std::ios::binary);
    const std::vector<unsigned char> file((std::istreambuf_iterator<char>(in)),
                                          std::istreambuf_iterator<char>());
    ASSERT_GT(file.size(), 256u);
    std::FILE* key_file = std::fopen(ZLC_MODULE_KEY, "rb");
    ASSERT_NE(key_file, nullptr);
    EVP_PKEY* key = PEM_read_PrivateKey(key_file, nullptr, nullptr, nullptr);
    std::fclose(key_file);
    ASSERT_NE(key, nullptr);
    EVP_MD_CTX* ctx = EVP_MD_CTX_new();
    EVP_PKEY_CTX* pctx = nullptr;
    const std::size_t content = file.size() - 256;
    EXPECT_EQ(EVP_DigestVerifyInit(ctx, &pctx, EVP_sha256(), nullptr, key), 1);
    EXPECT_EQ(EVP_PKEY_CTX_set_rsa_padding(pctx, RSA_PKCS1_PSS_PADDING), 1);
    EXPECT_EQ(EVP_PKEY_CTX_set_rsa_pss_saltlen(pctx, 20), 1);
    EXPECT_EQ(EVP_PKEY_CTX_set_rsa_mgf1_md(pctx, EVP_sha256()), 1);
    EXPECT_EQ(EVP_DigestVerify(ctx, file.data() + content, 256, file.data(), content), 1);
    EVP_MD_CTX_free(ctx);
    EVP_PKEY_free(key);
}

}  // namespace
