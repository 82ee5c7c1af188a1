// Prime generation beside OpenSSL's BN_generate_prime_ex (non-safe primes) in the same run. A
// single generation varies widely with the luck of the draw, so each case is run 20 times, one
// prime per run; compare the medians.
#include <benchmark/benchmark.h>
#include <openssl/bn.h>

#include "zlc.h"

namespace {

void ZlcGeneratePrimeEx(benchmark::State& state) {
    const int bits = static_cast<int>(state.range(0));
    BIGINT* p = ZLC_New_BIGINT();
    BIGINT_POOL* pool = ZLC_New_BIGINT_Pool();
    for (auto _ : state) {
        if (ZLC_Generate_BIGINT_Prime_Ex(p, bits, pool) != 0) state.SkipWithError("failed");
    }
    ZLC_Free_BIGINT_Pool(pool);
    ZLC_Free_BIGINT(p);
}

void OpenSslGeneratePrime(benchmark::State& state) {
    const int bits = static_cast<int>(state.range(0));
    BIGNUM* p = BN_new();
    for (auto _ : state) {
        if (BN_generate_prime_ex(p, bits, 0, nullptr, nullptr, nullptr) != 1)
            state.SkipWithError("failed");
    }
    BN_free(p);
}

void Runs(benchmark::internal::Benchmark* b) {
    b->Arg(1024)->Arg(2048)->Iterations(1)->Repetitions(20)->ReportAggregatesOnly(true)->Unit(
        benchmark::kMillisecond);
}

}  // namespace

BENCHMARK(ZlcGeneratePrimeEx)->Apply(Runs);
BENCHMARK(OpenSslGeneratePrime)->Apply(Runs);

BENCHMARK_MAIN();
