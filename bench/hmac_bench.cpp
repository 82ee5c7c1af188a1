// HMAC-SHA256 over 64-byte messages with one key reused for every message, beside OpenSSL reusing
// its key the same way (EVP_MAC_init and HMAC_Init_ex with a null key), same run.
#define OPENSSL_SUPPRESS_DEPRECATED  // HMAC_CTX is the older interface, measured for comparison
#include <benchmark/benchmark.h>
#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>

#include <vector>

#include "zlc.h"

namespace {

const std::vector<uint8_t> kKey(32, 0x0B);

void ZlcHmacReusedKey(benchmark::State& state) {
    std::vector<uint8_t> msg(static_cast<size_t>(state.range(0)), 0xA5);
    uint8_t out[32];
    HMAC_UNIT* unit = ZLC_New_HMAC_Unit();
    ZLC_Init_HMAC(unit, ZLC_SHA256, kKey.data(), static_cast<int32_t>(kKey.size()));
    for (auto _ : state) {
        ZLC_Update_HMAC(unit, msg.data(), static_cast<int32_t>(msg.size()));
        ZLC_Final_HMAC(unit, out, nullptr);
        benchmark::DoNotOptimize(out);
    }
    ZLC_Free_HMAC_Unit(unit);
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

void OpenSslEvpMacReusedKey(benchmark::State& state) {
    std::vector<uint8_t> msg(static_cast<size_t>(state.range(0)), 0xA5);
    uint8_t out[32];
    size_t out_len = 0;
    EVP_MAC* mac = EVP_MAC_fetch(nullptr, "HMAC", nullptr);
    EVP_MAC_CTX* ctx = EVP_MAC_CTX_new(mac);
    char digest[] = "SHA256";
    const OSSL_PARAM params[] = {OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_DIGEST, digest, 0),
                                 OSSL_PARAM_construct_end()};
    EVP_MAC_init(ctx, kKey.data(), kKey.size(), params);
    for (auto _ : state) {
        EVP_MAC_init(ctx, nullptr, 0, nullptr);
        EVP_MAC_update(ctx, msg.data(), msg.size());
        EVP_MAC_final(ctx, out, &out_len, sizeof(out));
        benchmark::DoNotOptimize(out);
    }
    EVP_MAC_CTX_free(ctx);
    EVP_MAC_free(mac);
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

void OpenSslHmacCtxReusedKey(benchmark::State& state) {
    std::vector<uint8_t> msg(static_cast<size_t>(state.range(0)), 0xA5);
    uint8_t out[32];
    unsigned int out_len = 0;
    HMAC_CTX* ctx = HMAC_CTX_new();
    HMAC_Init_ex(ctx, kKey.data(), static_cast<int>(kKey.size()), EVP_sha256(), nullptr);
    for (auto _ : state) {
        HMAC_Init_ex(ctx, nullptr, 0, nullptr, nullptr);
        HMAC_Update(ctx, msg.data(), msg.size());
        HMAC_Final(ctx, out, &out_len);
        benchmark::DoNotOptimize(out);
    }
    HMAC_CTX_free(ctx);
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

BENCHMARK(ZlcHmacReusedKey)->Arg(64);
BENCHMARK(OpenSslEvpMacReusedKey)->Arg(64);
BENCHMARK(OpenSslHmacCtxReusedKey)->Arg(64);

}  // namespace

BENCHMARK_MAIN();
