// RSA-2048 beside OpenSSL 3 in the same run (OpenSSL's side: rsa_bench_openssl.cpp): signing with
// PSS, SHA-256 and a 32-byte salt (CRT, blinding and the result check included), verification with
// e = 65537, and key generation. A generation varies widely with the draw: ten runs each, compare
// the medians.
#include <benchmark/benchmark.h>

#include <array>

#include "bench/rsa_bench_key.h"
#include "zlc.h"

namespace {

constexpr std::uint32_t kPss = ZLC_RSASSA_PSS | ZLC_RSA_SALT_LENGTH(32);
constexpr std::array<std::uint8_t, 64> kMessage = {1, 2, 3};

BIGINT* big(const std::vector<std::uint8_t>& b) {
    return ZLC_Binary_To_BIGINT(b.data(), static_cast<int32_t>(b.size()), nullptr);
}

ZLC_RSA* shared_record() {
    const bench_rsa::KeyParts& k = bench_rsa::shared_key();
    ZLC_RSA* rsa = ZLC_New_RSA();
    BIGINT* parts[] = {big(k.n), big(k.e),  big(k.d),  big(k.p),
                       big(k.q), big(k.dp), big(k.dq), big(k.qinv)};
    ZLC_Set_RSA_Params(rsa, parts[0], parts[1], parts[2], parts[3], parts[4], parts[5], parts[6],
                       parts[7]);
    for (BIGINT* b : parts) ZLC_Free_BIGINT(b);
    return rsa;
}

// One message through the unit: signs or verifies as the unit was initialised.
bool finish(ZLC_RSA* rsa, std::uint8_t* signature, int32_t* length) {
    return ZLC_Update_RSASSA(rsa, kMessage.data(), kMessage.size()) == 0 &&
           ZLC_Final_RSASSA(rsa, signature, length) == 0;
}

void ZlcSign2048(benchmark::State& state) {
    ZLC_RSA* rsa = shared_record();
    ZLC_Init_RSASSA(rsa, ZLC_SHA256, kPss, 1);
    std::uint8_t signature[256];
    int32_t length = 0;
    for (auto _ : state) {
        if (!finish(rsa, signature, &length)) state.SkipWithError("failed");
    }
    ZLC_Free_RSA(rsa);
}

void ZlcVerify2048(benchmark::State& state) {
    ZLC_RSA* rsa = shared_record();
    std::uint8_t signature[256];
    int32_t length = 0;
    ZLC_Init_RSASSA(rsa, ZLC_SHA256, kPss, 1);
    finish(rsa, signature, &length);
    ZLC_Init_RSASSA(rsa, ZLC_SHA256, kPss, 0);
    for (auto _ : state) {
        if (!finish(rsa, signature, &length)) state.SkipWithError("failed");
    }
    ZLC_Free_RSA(rsa);
}

void ZlcGenerate2048(benchmark::State& state) {
    BIGINT* e = ZLC_New_BIGINT();
    ZLC_Set_BIGINT_Word(e, 65537);
    for (auto _ : state) {
        ZLC_RSA* rsa = ZLC_New_RSA();
        if (ZLC_Generate_RSA_Params_Ex(rsa, e, 2048, 1) != 0) state.SkipWithError("failed");
        ZLC_Free_RSA(rsa);
    }
    ZLC_Free_BIGINT(e);
}

}  // namespace

BENCHMARK(ZlcSign2048)->Unit(benchmark::kMicrosecond);
BENCHMARK(ZlcVerify2048)->Unit(benchmark::kMicrosecond);
BENCHMARK(ZlcGenerate2048)
    ->Iterations(1)
    ->Repetitions(10)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
