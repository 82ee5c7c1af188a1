// Digest throughput through the C interface beside OpenSSL's EVP, same messages, same run.
#include <benchmark/benchmark.h>
#include <openssl/evp.h>
#include <rhash.h>

#include <vector>

#include "zlc.h"

namespace {

void ZlcDigest(benchmark::State& state, uint32_t id) {
    std::vector<uint8_t> msg(static_cast<size_t>(state.range(0)), 0xA5);
    uint8_t out[64];
    for (auto _ : state) {
        ZLC_DIGEST(id, msg.data(), static_cast<int32_t>(msg.size()), out, nullptr);
        benchmark::DoNotOptimize(out);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

void OpenSslDigest(benchmark::State& state, const EVP_MD* md) {
    std::vector<uint8_t> msg(static_cast<size_t>(state.range(0)), 0xA5);
    uint8_t out[64];
    for (auto _ : state) {
        EVP_Digest(msg.data(), msg.size(), out, nullptr, md, nullptr);
        benchmark::DoNotOptimize(out);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

// RHash is the peer for HAS-160, which OpenSSL does not have.
void RhashHas160(benchmark::State& state) {
    rhash_library_init();
    std::vector<uint8_t> msg(static_cast<size_t>(state.range(0)), 0xA5);
    unsigned char out[64];
    for (auto _ : state) {
        rhash_msg(RHASH_HAS160, msg.data(), msg.size(), out);
        benchmark::DoNotOptimize(out);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

BENCHMARK_CAPTURE(ZlcDigest, sha256, ZLC_SHA256)->Arg(64)->Arg(16384);
BENCHMARK_CAPTURE(OpenSslDigest, sha256, EVP_sha256())->Arg(64)->Arg(16384);
BENCHMARK_CAPTURE(ZlcDigest, sha224, ZLC_SHA224)->Arg(16384);
BENCHMARK_CAPTURE(OpenSslDigest, sha224, EVP_sha224())->Arg(16384);
BENCHMARK_CAPTURE(ZlcDigest, sha1, ZLC_SHA1)->Arg(64)->Arg(16384);
BENCHMARK_CAPTURE(OpenSslDigest, sha1, EVP_sha1())->Arg(64)->Arg(16384);
BENCHMARK_CAPTURE(ZlcDigest, sha512, ZLC_SHA512)->Arg(64)->Arg(16384);
BENCHMARK_CAPTURE(OpenSslDigest, sha512, EVP_sha512())->Arg(64)->Arg(16384);
BENCHMARK_CAPTURE(ZlcDigest, sha384, ZLC_SHA384)->Arg(16384);
BENCHMARK_CAPTURE(OpenSslDigest, sha384, EVP_sha384())->Arg(16384);
BENCHMARK_CAPTURE(ZlcDigest, md5, ZLC_MD5)->Arg(64)->Arg(16384);
BENCHMARK_CAPTURE(OpenSslDigest, md5, EVP_md5())->Arg(64)->Arg(16384);
BENCHMARK_CAPTURE(ZlcDigest, has160, ZLC_HAS160)->Arg(64)->Arg(16384);
BENCHMARK(RhashHas160)->Arg(64)->Arg(16384);
// No library installed here offers MDC-2: its throughput is reported alone.
BENCHMARK_CAPTURE(ZlcDigest, mdc2, ZLC_MDC2)->Arg(64)->Arg(16384);

}  // namespace

BENCHMARK_MAIN();
