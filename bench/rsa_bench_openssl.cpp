// OpenSSL 3's side of the RSA benchmark: EVP_PKEY_sign (PSS, SHA-256, 32-byte salt) and
// EVP_PKEY_verify with the shared key, and 2048-bit key generation.
#include <benchmark/benchmark.h>
#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/rsa.h>

#include <array>

#include "bench/rsa_bench_key.h"

namespace bench_rsa {
namespace {

std::vector<std::uint8_t> get_bn(const EVP_PKEY* key, const char* name) {
    BIGNUM* bn = nullptr;
    EVP_PKEY_get_bn_param(key, name, &bn);
    std::vector<std::uint8_t> out(static_cast<std::size_t>(BN_num_bytes(bn)));
    BN_bn2bin(bn, out.data());
    BN_free(bn);
    return out;
}

EVP_PKEY* generate(int bits) {
    EVP_PKEY_CTX* ctx = EVP_PKEY_CTX_new_from_name(nullptr, "RSA", nullptr);
    EVP_PKEY* key = nullptr;
    if (EVP_PKEY_keygen_init(ctx) != 1 || EVP_PKEY_CTX_set_rsa_keygen_bits(ctx, bits) != 1 ||
        EVP_PKEY_generate(ctx, &key) != 1)
        key = nullptr;
    EVP_PKEY_CTX_free(ctx);
    return key;
}

EVP_PKEY* shared_pkey() {
    static EVP_PKEY* key = generate(2048);
    return key;
}

EVP_PKEY_CTX* pss_context(bool sign) {
    EVP_PKEY_CTX* ctx = EVP_PKEY_CTX_new_from_pkey(nullptr, shared_pkey(), nullptr);
    if ((sign ? EVP_PKEY_sign_init(ctx) : EVP_PKEY_verify_init(ctx)) != 1 ||
        EVP_PKEY_CTX_set_rsa_padding(ctx, RSA_PKCS1_PSS_PADDING) != 1 ||
        EVP_PKEY_CTX_set_signature_md(ctx, EVP_sha256()) != 1 ||
        EVP_PKEY_CTX_set_rsa_pss_saltlen(ctx, 32) != 1) {
        EVP_PKEY_CTX_free(ctx);
        return nullptr;
    }
    return ctx;
}

constexpr std::array<std::uint8_t, 64> kMessage = {1, 2, 3};

void OpenSslSign2048(benchmark::State& state) {
    EVP_PKEY_CTX* ctx = pss_context(true);
    std::uint8_t hash[32];
    std::uint8_t signature[256];
    for (auto _ : state) {
        EVP_Digest(kMessage.data(), kMessage.size(), hash, nullptr, EVP_sha256(), nullptr);
        std::size_t length = sizeof signature;
        if (EVP_PKEY_sign(ctx, signature, &length, hash, sizeof hash) != 1)
            state.SkipWithError("failed");
    }
    EVP_PKEY_CTX_free(ctx);
}

void OpenSslVerify2048(benchmark::State& state) {
    EVP_PKEY_CTX* sign_ctx = pss_context(true);
    EVP_PKEY_CTX* ctx = pss_context(false);
    std::uint8_t hash[32];
    std::uint8_t signature[256];
    std::size_t length = sizeof signature;
    EVP_Digest(kMessage.data(), kMessage.size(), hash, nullptr, EVP_sha256(), nullptr);
    EVP_PKEY_sign(sign_ctx, signature, &length, hash, sizeof hash);
    for (auto _ : state) {
        EVP_Digest(kMessage.data(), kMessage.size(), hash, nullptr, EVP_sha256(), nullptr);
        if (EVP_PKEY_verify(ctx, signature, length, hash, sizeof hash) != 1)
            state.SkipWithError("failed");
    }
    EVP_PKEY_CTX_free(ctx);
    EVP_PKEY_CTX_free(sign_ctx);
}

void OpenSslGenerate2048(benchmark::State& state) {
    for (auto _ : state) {
        EVP_PKEY* key = generate(2048);
        if (key == nullptr) state.SkipWithError("failed");
        EVP_PKEY_free(key);
    }
}

}  // namespace

const KeyParts& shared_key() {
    static const KeyParts parts = [] {
        EVP_PKEY* k = shared_pkey();
        return KeyParts{
            get_bn(k, OSSL_PKEY_PARAM_RSA_N),         get_bn(k, OSSL_PKEY_PARAM_RSA_E),
            get_bn(k, OSSL_PKEY_PARAM_RSA_D),         get_bn(k, OSSL_PKEY_PARAM_RSA_FACTOR1),
            get_bn(k, OSSL_PKEY_PARAM_RSA_FACTOR2),   get_bn(k, OSSL_PKEY_PARAM_RSA_EXPONENT1),
            get_bn(k, OSSL_PKEY_PARAM_RSA_EXPONENT2), get_bn(k, OSSL_PKEY_PARAM_RSA_COEFFICIENT1)};
    }();
    return parts;
}

}  // namespace bench_rsa

BENCHMARK(bench_rsa::OpenSslSign2048)->Unit(benchmark::kMicrosecond);
BENCHMARK(bench_rsa::OpenSslVerify2048)->Unit(benchmark::kMicrosecond);
BENCHMARK(bench_rsa::OpenSslGenerate2048)
    ->Iterations(1)
    ->Repetitions(10)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);
