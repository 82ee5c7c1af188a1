// The power-up self-test as an application meets it: through the shared library, which verifies
// its own signed file, then runs the known-answer tests. Each repetition is one whole run; the
// median of the ten is the figure to quote. There is no peer library to compare with.
#include <benchmark/benchmark.h>

#include "zlc.h"

namespace {

void BM_CryptoSelfTest(benchmark::State& state) {
    for (auto _ : state) {
        const uint32_t status = ZLC_Crypto_Self_Test();
        if (status != 0) {
            state.SkipWithError("the self-test failed");
            break;
        }
    }
}
BENCHMARK(BM_CryptoSelfTest)
    ->Iterations(1)
    ->Repetitions(10)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
