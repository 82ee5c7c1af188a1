// OpenSSL's side of the DSA benchmark: DSA_sign and DSA_verify over a SHA-1 (1024/160) or SHA-224
// (2048/224) digest of the message, each time hashing it as the library does.
#define OPENSSL_SUPPRESS_DEPRECATED  // DSA_sign / DSA_verify: the low-level interface
#include <benchmark/benchmark.h>
#include <openssl/bn.h>
#include <openssl/dsa.h>
#include <openssl/sha.h>

#include <vector>

#include "bench/dsa_bench_params.h"

namespace {

const std::vector<unsigned char> kMessage(32, 0x61);

DSA* key_1024() {
    static DSA* d = [] {
        DSA* k = DSA_new();
        if (DSA_generate_parameters_ex(k, 1024, nullptr, 0, nullptr, nullptr, nullptr) != 1 ||
            DSA_generate_key(k) != 1) {
            DSA_free(k);
            return static_cast<DSA*>(nullptr);
        }
        return k;
    }();
    return d;
}

DSA* key_2048() {
    static DSA* d = [] {
        DSA* k = DSA_new();
        BIGNUM *p = nullptr, *q = nullptr, *g = nullptr;
        BN_hex2bn(&p, zlc::bench::kP2048);
        BN_hex2bn(&q, zlc::bench::kQ224);
        BN_hex2bn(&g, zlc::bench::kG2048);
        if (DSA_set0_pqg(k, p, q, g) != 1 || DSA_generate_key(k) != 1) {
            DSA_free(k);
            return static_cast<DSA*>(nullptr);
        }
        return k;
    }();
    return d;
}

void digest(bool sha224, unsigned char* out, unsigned* length) {
    if (sha224) {
        SHA224(kMessage.data(), kMessage.size(), out);
        *length = SHA224_DIGEST_LENGTH;
    } else {
        SHA1(kMessage.data(), kMessage.size(), out);
        *length = SHA_DIGEST_LENGTH;
    }
}

void sign_case(benchmark::State& state, DSA* d, bool sha224) {
    unsigned char h[SHA224_DIGEST_LENGTH], sig[128];
    unsigned h_length = 0, sig_length = 0;
    for (auto _ : state) {
        digest(sha224, h, &h_length);
        if (d == nullptr || DSA_sign(0, h, static_cast<int>(h_length), sig, &sig_length, d) != 1) {
            state.SkipWithError("failed");
            break;
        }
    }
}

void verify_case(benchmark::State& state, DSA* d, bool sha224) {
    unsigned char h[SHA224_DIGEST_LENGTH], sig[128];
    unsigned h_length = 0, sig_length = 0;
    digest(sha224, h, &h_length);
    if (d == nullptr || DSA_sign(0, h, static_cast<int>(h_length), sig, &sig_length, d) != 1) {
        state.SkipWithError("no signature");
        return;
    }
    for (auto _ : state) {
        digest(sha224, h, &h_length);
        if (DSA_verify(0, h, static_cast<int>(h_length), sig, static_cast<int>(sig_length), d) !=
            1) {
            state.SkipWithError("failed");
            break;
        }
    }
}

void OpenSslDsa1024Sign(benchmark::State& state) {
    sign_case(state, key_1024(), false);
}
void OpenSslDsa1024Verify(benchmark::State& state) {
    verify_case(state, key_1024(), false);
}
void OpenSslDsa2048Sign(benchmark::State& state) {
    sign_case(state, key_2048(), true);
}
void OpenSslDsa2048Verify(benchmark::State& state) {
    verify_case(state, key_2048(), true);
}

}  // namespace

BENCHMARK(OpenSslDsa1024Sign);
BENCHMARK(OpenSslDsa1024Verify);
BENCHMARK(OpenSslDsa2048Sign);
BENCHMARK(OpenSslDsa2048Verify);
