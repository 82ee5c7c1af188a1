// DSA-1024/160 with SHA-1 and KCDSA-2048/224 with SHA-224, signing and verifying, beside OpenSSL's
// DSA_sign and DSA_verify at 1024/160 and 2048/224 in the same run (dsa_bench_openssl.cpp).
// Compare operations per second.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "bench/dsa_bench_params.h"
#include "zlc.h"

namespace {

const std::vector<std::uint8_t> kMessage(32, 0x61);

struct DsaFixture {
    DsaFixture() {
        dsa = ZLC_New_DSA();
        if (ZLC_Generate_DSA_Params(dsa, ZLC_SHA1, 1024, nullptr) != 0 ||
            ZLC_Generate_DSA_Key_Pair(dsa) != 0) {
            dsa = nullptr;
        }
    }
    ZLC_DSA* dsa;
};

DsaFixture& dsa_fixture() {
    static DsaFixture f;
    return f;
}

void ZlcDsa1024Sign(benchmark::State& state) {
    ZLC_DSA* d = dsa_fixture().dsa;
    std::uint8_t r[64], s[64];
    int32_t rl = 0, sl = 0;
    for (auto _ : state) {
        if (d == nullptr || ZLC_Init_DSA(d, ZLC_SHA1, 1, nullptr, 0) != 0 ||
            ZLC_Update_DSA(d, kMessage.data(), 32) != 0 || ZLC_Final_DSA(d, r, &rl, s, &sl) != 0) {
            state.SkipWithError("failed");
            break;
        }
    }
}

void ZlcDsa1024Verify(benchmark::State& state) {
    ZLC_DSA* d = dsa_fixture().dsa;
    std::uint8_t r[64], s[64];
    int32_t rl = 0, sl = 0;
    if (d == nullptr || ZLC_Init_DSA(d, ZLC_SHA1, 1, nullptr, 0) != 0 ||
        ZLC_Update_DSA(d, kMessage.data(), 32) != 0 || ZLC_Final_DSA(d, r, &rl, s, &sl) != 0) {
        state.SkipWithError("no signature");
        return;
    }
    for (auto _ : state) {
        if (ZLC_Init_DSA(d, ZLC_SHA1, 0, nullptr, 0) != 0 ||
            ZLC_Update_DSA(d, kMessage.data(), 32) != 0 || ZLC_Final_DSA(d, r, &rl, s, &sl) != 0) {
            state.SkipWithError("failed");
            break;
        }
    }
}

struct KcdsaFixture {
    KcdsaFixture() {
        kcdsa = ZLC_New_KCDSA();
        BIGINT* p = ZLC_HEX_To_BIGINT(zlc::bench::kP2048);
        BIGINT* q = ZLC_HEX_To_BIGINT(zlc::bench::kQ224);
        BIGINT* g = ZLC_HEX_To_BIGINT(zlc::bench::kG2048);
        if (ZLC_Set_KCDSA_Params(kcdsa, p, q, g, nullptr, g) != 0 ||
            ZLC_Generate_KCDSA_Key_Pair_Ex(kcdsa, ZLC_SHA224) != 0) {
            kcdsa = nullptr;
        }
        ZLC_Free_BIGINT(p);
        ZLC_Free_BIGINT(q);
        ZLC_Free_BIGINT(g);
    }
    KCDSA* kcdsa;
};

KcdsaFixture& kcdsa_fixture() {
    static KcdsaFixture f;
    return f;
}

bool kcdsa_sign(KCDSA* k, std::uint8_t* r, int32_t* rl, std::uint8_t* s, int32_t* sl) {
    return ZLC_Init_KCDSA_Ex(k, 1, ZLC_SHA224) == 0 &&
           ZLC_Update_KCDSA(k, kMessage.data(), 32) == 0 && ZLC_Final_KCDSA(k, r, rl, s, sl) == 0;
}

void ZlcKcdsa2048Sign(benchmark::State& state) {
    KCDSA* k = kcdsa_fixture().kcdsa;
    std::uint8_t r[64], s[64];
    int32_t rl = 0, sl = 0;
    for (auto _ : state) {
        if (k == nullptr || !kcdsa_sign(k, r, &rl, s, &sl)) {
            state.SkipWithError("failed");
            break;
        }
    }
}

void ZlcKcdsa2048Verify(benchmark::State& state) {
    KCDSA* k = kcdsa_fixture().kcdsa;
    std::uint8_t r[64], s[64];
    int32_t rl = 0, sl = 0;
    if (k == nullptr || !kcdsa_sign(k, r, &rl, s, &sl)) {
        state.SkipWithError("no signature");
        return;
    }
    for (auto _ : state) {
        if (ZLC_Init_KCDSA_Ex(k, 0, ZLC_SHA224) != 0 ||
            ZLC_Update_KCDSA(k, kMessage.data(), 32) != 0 ||
            ZLC_Final_KCDSA(k, r, &rl, s, &sl) != 0) {
            state.SkipWithError("failed");
            break;
        }
    }
}

}  // namespace

BENCHMARK(ZlcDsa1024Sign);
BENCHMARK(ZlcDsa1024Verify);
BENCHMARK(ZlcKcdsa2048Sign);
BENCHMARK(ZlcKcdsa2048Verify);

BENCHMARK_MAIN();
