// Random bytes: ZLC_Rand_Bytes (locked restore, Hash_DRBG SHA-256, save, per request) beside
// OpenSSL's RAND_bytes (its default per-thread DRBG), same run; 32-byte requests and 1 MiB ones.
#include <benchmark/benchmark.h>
#include <openssl/rand.h>

#include <cstdlib>
#include <vector>

#include "zlc.h"

namespace {

void ZlcRandBytes(benchmark::State& state) {
    std::vector<uint8_t> out(static_cast<size_t>(state.range(0)));
    if (ZLC_Rand_Bytes(out.data(), static_cast<int32_t>(out.size())) != 0) std::abort();
    for (auto _ : state) {
        if (ZLC_Rand_Bytes(out.data(), static_cast<int32_t>(out.size())) != 0) std::abort();
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

void OpenSslRandBytes(benchmark::State& state) {
    std::vector<uint8_t> out(static_cast<size_t>(state.range(0)));
    if (RAND_bytes(out.data(), static_cast<int>(out.size())) != 1) std::abort();
    for (auto _ : state) {
        if (RAND_bytes(out.data(), static_cast<int>(out.size())) != 1) std::abort();
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

BENCHMARK(ZlcRandBytes)->Arg(32)->Arg(1 << 20);
BENCHMARK(OpenSslRandBytes)->Arg(32)->Arg(1 << 20);

}  // namespace

BENCHMARK_MAIN();
