// RSA key generation (FIPS 186-4 B.3 in outline): two primes of half the size with p - 1 and
// q - 1 prime to e, a modulus of exactly the requested length, d modulo phi(n) or lambda(n), and
// a pairwise encryption test of the new key.
#include <array>
#include <initializer_list>

#include "crypto/bigint/bigint.h"
#include "crypto/bigint/modular.h"
#include "crypto/bigint/prime.h"
#include "crypto/core/module_state.h"
#include "crypto/pk/rsa.h"
#include "crypto/pk/secret_buffer.h"

namespace zlc::rsa {
namespace {

using bigint::PoolFrame;

constexpr std::int32_t kPrimalityCount = 10;
constexpr std::int32_t kMaxEqualDraws = 3;
constexpr std::int32_t kProvenMinBits = 2048;
constexpr std::array<std::uint8_t, 3> kPairwiseMessage = {0x01, 0x02, 0x03};

struct Generator {
    bool drbg;
    std::uint8_t operation;
    BIGINT_POOL* pool;

    Status fail(std::uint16_t reason) const { return st(operation, reason); }
    std::uint32_t pairwise_digest() const { return drbg ? ZLC_SHA256 : ZLC_SHA1; }
    Status prime(BIGINT* p, std::int32_t bits) const {
        return drbg ? bigint::generate_prime_ex(p, bits, pool)
                    : bigint::generate_prime(p, bits, pool, ZLC_SHA1);
    }
    bool is_prime(const BIGINT* n) const {
        return (drbg ? bigint::is_prime_ex(n, kPrimalityCount, pool)
                     : bigint::is_prime(n, kPrimalityCount, pool, ZLC_SHA1)) == 1;
    }
};

// True when gcd(a - 1, e) = 1; t receives a - 1.
Status coprime_predecessor(BIGINT* t, BIGINT* g, const BIGINT* a, const BIGINT* e,
                           BIGINT_POOL* pool, bool* coprime) {
    if (const Status s = bigint::copy(t, a); s != kOk) return s;
    if (const Status s = bigint::sub_word(t, 1); s != kOk) return s;
    if (const Status s = bigint::gcd(g, pool, t, e); s != kOk) return s;
    *coprime = bigint::cmp(g, bigint::value_one()) == 0;
    return kOk;
}

// The encryption of three bytes with the public key must come back through the private key.
Status pairwise_test(RSA* rsa, const Generator& gen) {
    const std::int32_t k = modulus_bytes(rsa);
    SecretBuffer buffer(2 * k);
    if (!buffer.ok()) return gen.fail(REASON_PAIRWISE_FAILED);
    std::uint8_t* cipher = buffer.get();
    std::uint8_t* plain = cipher + k;
    std::int32_t length = 0;
    if (init_rsaes(rsa, ZLC_RSAES_OAEP_V20, 0, gen.pairwise_digest()) != kOk ||
        encrypt_rsaes(rsa, cipher, &length, kPairwiseMessage.data(), kPairwiseMessage.size()) !=
            kOk ||
        init_rsaes(rsa, ZLC_RSAES_OAEP_V20, 1, gen.pairwise_digest()) != kOk ||
        decrypt_rsaes(rsa, plain, &length, cipher, length) != kOk)
        return gen.fail(REASON_PAIRWISE_FAILED);
    for (std::size_t i = 0; i < kPairwiseMessage.size(); ++i) {
        if (plain[i] != kPairwiseMessage[i]) return gen.fail(REASON_SELF_CHECK_MISMATCH);
    }
    return kOk;
}

}  // namespace

Status generate_params(RSA* rsa, const BIGINT* e, std::int32_t bits, std::int32_t type,
                       bool drbg) noexcept {
    Generator gen{drbg, drbg ? op::kGenerateEx : op::kGenerate, nullptr};
    if (bits < 0) return gen.fail(REASON_INVALID_ARGUMENT);
    if (const Status gate = core::pass_gate(); gate != kOk) return gate;
    if (drbg && core::is_proven() && bits < kProvenMinBits) return gen.fail(REASON_UNSUPPORTED);
    if (rsa == nullptr || e == nullptr || bits <= 7 || (type != 1 && type != 2))
        return gen.fail(REASON_INVALID_ARGUMENT);
    if (rsa->pool == nullptr) return gen.fail(REASON_ALLOC_FAILED);
    gen.pool = rsa->pool;

    PoolFrame frame(rsa->pool);
    BIGINT *p = nullptr, *q = nullptr, *n = nullptr, *d = nullptr, *dp = nullptr, *dq = nullptr,
           *qinv = nullptr, *p1 = nullptr, *q1 = nullptr, *l = nullptr, *g = nullptr;
    if (!frame.take_all(p, q, n, d, dp, dq, qinv, p1, q1, l, g))
        return gen.fail(REASON_POOL_FAILED);
    mem::ScopeExit wipe([&] {
        for (BIGINT* t : {p, q, n, d, dp, dq, qinv, p1, q1, l, g}) bigint::clear(t);
    });

    // An even e has no inverse modulo the even phi(n): no p would ever pass.
    if (!bigint::is_odd(e) || !gen.is_prime(e)) return gen.fail(REASON_NOT_PRIME);
    const std::int32_t p_bits = (bits + 1) / 2;
    const std::int32_t q_bits = bits - p_bits;
    bool coprime = false;
    do {
        if (const Status s = gen.prime(p, p_bits); s != kOk) return s;
        if (const Status s = coprime_predecessor(p1, g, p, e, gen.pool, &coprime); s != kOk)
            return s;
    } while (!coprime);
    // q: distinct from p, q - 1 prime to e, and n of exactly `bits` bits (a product of two primes
    // with only their top bit forced is one bit short about four times in ten).
    for (std::int32_t equal_draws = 0;;) {
        if (const Status s = gen.prime(q, q_bits); s != kOk) return s;
        if (bigint::cmp(p, q) == 0) {
            if (++equal_draws == kMaxEqualDraws) return gen.fail(REASON_PAIRWISE_FAILED);
            continue;
        }
        equal_draws = 0;
        if (const Status s = coprime_predecessor(q1, g, q, e, gen.pool, &coprime); s != kOk)
            return s;
        if (!coprime) continue;
        if (const Status s = bigint::mtp(n, p, q, gen.pool); s != kOk) return s;
        if (bigint::get_bits_length(n) == bits) break;
    }
    if (bigint::cmp(p, q) < 0) {
        bigint::swap(p, q);
        bigint::swap(p1, q1);
    }
    // L = phi(n), or lambda(n) = phi(n) / gcd(p - 1, q - 1).
    if (const Status s = bigint::mtp(l, p1, q1, gen.pool); s != kOk) return s;
    if (type == 2) {
        if (const Status s = bigint::gcd(g, gen.pool, p1, q1); s != kOk) return s;
        if (const Status s = bigint::div(l, nullptr, l, g, gen.pool); s != kOk) return s;
    }
    if (const Status s = bigint::gcd(g, gen.pool, l, e); s != kOk) return s;
    if (bigint::cmp(g, bigint::value_one()) != 0) return gen.fail(REASON_PAIRWISE_FAILED);
    if (const Status s = bigint::mod_inverse(d, e, l, gen.pool); s != kOk) return s;
    if (const Status s = bigint::div(nullptr, dp, d, p1, gen.pool); s != kOk) return s;
    if (const Status s = bigint::div(nullptr, dq, d, q1, gen.pool); s != kOk) return s;
    if (const Status s = bigint::mod_inverse(qinv, q, p, gen.pool); s != kOk) return s;

    // The new key replaces the old one only now; a key that fails its test is not kept.
    if (set_params(rsa, n, e, d, p, q, dp, dq, qinv) != kOk) {
        clean(rsa);
        return gen.fail(REASON_PAIRWISE_FAILED);
    }
    if (const Status s = pairwise_test(rsa, gen); s != kOk) {
        clean(rsa);
        return s;
    }
    return kOk;
}

}  // namespace zlc::rsa

extern "C" {

ZLC_API uint32_t ZLC_Generate_RSA_Params_Ex(RSA* rsa, const BIGINT* e, int32_t bits,
                                            int32_t type) ZLC_NOEXCEPT {
    return zlc::rsa::generate_params(rsa, e, bits, type, true);
}

ZLC_API uint32_t ZLC_Generate_RSA_Params(RSA* rsa, const BIGINT* e, int32_t bits,
                                         int32_t type) ZLC_NOEXCEPT {
    return zlc::rsa::generate_params(rsa, e, bits, type, false);
}

}  // extern "C"
