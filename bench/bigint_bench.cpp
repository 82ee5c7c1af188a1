// Big-integer speed through the C interface beside OpenSSL (Montgomery exponentiation, also the
// constant-time one for secret exponents) and GMP (multiplication, division), same operands, same
// run.
#include <benchmark/benchmark.h>
#include <gmp.h>
#include <openssl/bn.h>

#include <random>
#include <vector>

#include "crypto/bigint/modular.h"
#include "zlc.h"

namespace {

std::vector<uint8_t> random_bytes(size_t n, uint64_t seed) {
    std::mt19937_64 rng(seed);
    std::vector<uint8_t> b(n);
    for (auto& x : b) x = static_cast<uint8_t>(rng());
    b[0] |= 0x80;  // full size
    return b;
}

std::vector<uint8_t> odd_modulus(int bits) {
    auto m = random_bytes(static_cast<size_t>(bits / 8), 1);
    m.back() |= 1;
    return m;
}

BIGINT* to_zlc(const std::vector<uint8_t>& b) {
    return ZLC_Binary_To_BIGINT(b.data(), static_cast<int32_t>(b.size()), nullptr);
}

void ZlcModExpMont(benchmark::State& state) {
    const int bits = static_cast<int>(state.range(0));
    BIGINT* m = to_zlc(odd_modulus(bits));
    BIGINT* a = to_zlc(random_bytes(static_cast<size_t>(bits / 8) - 1, 2));
    BIGINT* e = to_zlc(random_bytes(static_cast<size_t>(bits / 8), 3));
    BIGINT* r = ZLC_New_BIGINT();
    BIGINT_POOL* pool = ZLC_New_BIGINT_Pool();
    for (auto _ : state) {
        if (ZLC_Mod_Exp_Mont_BIGINT(r, a, e, m, pool) != 0) state.SkipWithError("failed");
    }
    ZLC_Free_BIGINT_Pool(pool);
    for (BIGINT* n : {m, a, e, r}) ZLC_Free_BIGINT(n);
}

// The secret-exponent exponentiation, scanned over the modulus length.
void ZlcModExpMontConstTime(benchmark::State& state) {
    const int bits = static_cast<int>(state.range(0));
    BIGINT* m = to_zlc(odd_modulus(bits));
    BIGINT* a = to_zlc(random_bytes(static_cast<size_t>(bits / 8) - 1, 2));
    BIGINT* e = to_zlc(random_bytes(static_cast<size_t>(bits / 8), 3));
    BIGINT* r = ZLC_New_BIGINT();
    BIGINT_POOL* pool = ZLC_New_BIGINT_Pool();
    for (auto _ : state) {
        if (zlc::bigint::mod_exp_mont_consttime(r, a, e, bits, m, pool) != 0)
            state.SkipWithError("failed");
    }
    ZLC_Free_BIGINT_Pool(pool);
    for (BIGINT* n : {m, a, e, r}) ZLC_Free_BIGINT(n);
}

void OpenSslModExpMontConstTime(benchmark::State& state) {
    const int bits = static_cast<int>(state.range(0));
    auto to_bn = [](const std::vector<uint8_t>& b) {
        return BN_bin2bn(b.data(), static_cast<int>(b.size()), nullptr);
    };
    BIGNUM* m = to_bn(odd_modulus(bits));
    BIGNUM* a = to_bn(random_bytes(static_cast<size_t>(bits / 8) - 1, 2));
    BIGNUM* e = to_bn(random_bytes(static_cast<size_t>(bits / 8), 3));
    BIGNUM* r = BN_new();
    BN_CTX* ctx = BN_CTX_new();
    for (auto _ : state) {
        if (BN_mod_exp_mont_consttime(r, a, e, m, ctx, nullptr) != 1) state.SkipWithError("failed");
    }
    BN_CTX_free(ctx);
    for (BIGNUM* n : {m, a, e, r}) BN_free(n);
}

void OpenSslModExpMont(benchmark::State& state) {
    const int bits = static_cast<int>(state.range(0));
    auto to_bn = [](const std::vector<uint8_t>& b) {
        return BN_bin2bn(b.data(), static_cast<int>(b.size()), nullptr);
    };
    BIGNUM* m = to_bn(odd_modulus(bits));
    BIGNUM* a = to_bn(random_bytes(static_cast<size_t>(bits / 8) - 1, 2));
    BIGNUM* e = to_bn(random_bytes(static_cast<size_t>(bits / 8), 3));
    BIGNUM* r = BN_new();
    BN_CTX* ctx = BN_CTX_new();
    BN_set_flags(e, 0);  // the constant-time flag stays off
    for (auto _ : state) {
        if (BN_mod_exp_mont(r, a, e, m, ctx, nullptr) != 1) state.SkipWithError("failed");
    }
    BN_CTX_free(ctx);
    for (BIGNUM* n : {m, a, e, r}) BN_free(n);
}

void ZlcMultiply(benchmark::State& state) {
    BIGINT* a = to_zlc(random_bytes(256, 4));
    BIGINT* b = to_zlc(random_bytes(256, 5));
    BIGINT* r = ZLC_New_BIGINT();
    BIGINT_POOL* pool = ZLC_New_BIGINT_Pool();
    for (auto _ : state) ZLC_Mtp_BIGINT(r, a, b, pool);
    ZLC_Free_BIGINT_Pool(pool);
    for (BIGINT* n : {a, b, r}) ZLC_Free_BIGINT(n);
}

void ZlcDivide(benchmark::State& state) {
    BIGINT* a = to_zlc(random_bytes(512, 6));
    BIGINT* d = to_zlc(random_bytes(256, 7));
    BIGINT* q = ZLC_New_BIGINT();
    BIGINT* r = ZLC_New_BIGINT();
    BIGINT_POOL* pool = ZLC_New_BIGINT_Pool();
    for (auto _ : state) ZLC_Div_BIGINT(q, r, a, d, pool);
    ZLC_Free_BIGINT_Pool(pool);
    for (BIGINT* n : {a, d, q, r}) ZLC_Free_BIGINT(n);
}

void import_gmp(mpz_t z, const std::vector<uint8_t>& b) {
    mpz_import(z, b.size(), 1, 1, 0, 0, b.data());
}

void GmpMultiply(benchmark::State& state) {
    mpz_t a, b, r;
    mpz_inits(a, b, r, nullptr);
    import_gmp(a, random_bytes(256, 4));
    import_gmp(b, random_bytes(256, 5));
    for (auto _ : state) mpz_mul(r, a, b);
    mpz_clears(a, b, r, nullptr);
}

void GmpDivide(benchmark::State& state) {
    mpz_t a, d, q, r;
    mpz_inits(a, d, q, r, nullptr);
    import_gmp(a, random_bytes(512, 6));
    import_gmp(d, random_bytes(256, 7));
    for (auto _ : state) mpz_tdiv_qr(q, r, a, d);
    mpz_clears(a, d, q, r, nullptr);
}

BENCHMARK(ZlcModExpMont)->Arg(1024)->Arg(2048)->Unit(benchmark::kMicrosecond);
BENCHMARK(OpenSslModExpMont)->Arg(1024)->Arg(2048)->Unit(benchmark::kMicrosecond);
BENCHMARK(ZlcModExpMontConstTime)->Arg(1024)->Arg(2048)->Unit(benchmark::kMicrosecond);
BENCHMARK(OpenSslModExpMontConstTime)->Arg(1024)->Arg(2048)->Unit(benchmark::kMicrosecond);
BENCHMARK(ZlcMultiply)->Name("ZlcMultiply/2048x2048");
BENCHMARK(GmpMultiply)->Name("GmpMultiply/2048x2048");
BENCHMARK(ZlcDivide)->Name("ZlcDivide/4096by2048");
BENCHMARK(GmpDivide)->Name("GmpDivide/4096by2048");

}  // namespace

BENCHMARK_MAIN();
