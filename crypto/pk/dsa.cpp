// DSA as FIPS 186-2: domain parameters from a 20-byte SEED and a counter (Appendix 2.2), x and k
// from the FIPS 186-2 generator (Appendix 3.1, 3.2), signatures through a digest unit.
#include "crypto/pk/dsa.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "crypto/bigint/bigint.h"
#include "crypto/bigint/prime.h"
#include "crypto/core/memory.h"
#include "crypto/core/module_state.h"
#include "crypto/digest/digest.h"
#include "crypto/pk/pk_common.h"
#include "crypto/rand/prng.h"

namespace zlc::dsa {
namespace {

namespace bi = zlc::bigint;

constexpr Status st(std::uint8_t op, std::uint16_t reason) {
    return make_status(Module::Dsa, op, reason);
}

namespace op {
inline constexpr std::uint8_t kSetParams = 0x01, kInit = 0x02, kUpdate = 0x03, kFinal = 0x04,
                              kSign = 0x05, kVerify = 0x06, kGenerateParams = 0x07, kKeyPair = 0x08;
}  // namespace op

inline constexpr std::uint16_t REASON_NO_KEY = 0x0045;
inline constexpr std::uint16_t REASON_SIGN_FAILED = 0x0053;
inline constexpr std::uint16_t REASON_VERIFY_FAILED = 0x005D;
inline constexpr std::uint16_t REASON_INVERSE_FAILED = 0x0041;
inline constexpr std::uint16_t REASON_MOD_MUL_FAILED = 0x0042;
inline constexpr std::uint16_t REASON_ADD_FAILED = 0x0001;
inline constexpr std::uint16_t REASON_DIVIDE_FAILED = 0x0010;

constexpr std::int32_t kSeedLength = 20;  // FIPS 186-2: SEED of 160 bits
constexpr std::int32_t kXkeyMin = 20, kXkeyMax = 64;
constexpr std::int32_t kCounterLimit = 4096;
constexpr std::int32_t kPrimeCount = 50;  // 49 Miller-Rabin rounds

// The PRNG unit for one signature: XKEY = x at least 20 bytes wide; XSEED = SHA-1(seed || H) with
// a caller seed, from the seed pool without one.
Status seed_signature_prng(ZLC_DSA* d, const std::uint8_t* h, std::int32_t h_length) {
    const Status refused = st(op::kSign, REASON_GENERATOR_REFUSED);
    const std::int32_t width = std::max(kXkeyMin, pk::byte_length(d->x));
    if (width > kXkeyMax) return refused;
    std::array<std::uint8_t, kXkeyMax> xkey{};
    mem::WipeOnExit wipe_key(xkey);
    if (!pk::write_fixed(d->x, xkey.data(), width)) return refused;
    std::array<std::uint8_t, 20> xseed{};
    mem::WipeOnExit wipe_seed(xseed);
    const std::uint8_t* xseed_in = nullptr;
    std::int32_t xseed_length = 0;
    if (d->seed != nullptr) {
        DIGEST_UNIT* sha1 = digest::new_unit();
        std::int32_t n = 0;
        const bool ok = sha1 != nullptr && digest::init(sha1, ZLC_SHA1) == kOk &&
                        digest::update(sha1, d->seed, d->seed_length) == kOk &&
                        digest::update(sha1, h, h_length) == kOk &&
                        digest::final(sha1, xseed.data(), &n) == kOk;
        digest::free_unit(sha1);
        if (!ok) return refused;
        xseed_in = xseed.data();
        xseed_length = static_cast<std::int32_t>(xseed.size());
    }
    if (prng::init(d->prng, ZLC_SHA1, xkey.data(), width, xseed_in, xseed_length, d->pool) != kOk) {
        return refused;
    }
    return kOk;
}

Status sign_core(ZLC_DSA* d, const BIGINT* fixed_k, std::uint8_t* r_out, std::int32_t* r_length,
                 std::uint8_t* s_out, std::int32_t* s_length) {
    if (d->pool == nullptr) return st(op::kSign, REASON_NO_POOL);
    if (d->p == nullptr || d->q == nullptr || d->x == nullptr || d->g == nullptr ||
        d->digest == nullptr || d->prng == nullptr) {
        return st(op::kSign, REASON_NULL_ARGUMENT);
    }
    std::array<std::uint8_t, ZLC_DIGEST_MAX_LENGTH> h{};
    std::int32_t h_length = 0;
    if (digest::final(d->digest, h.data(), &h_length) != kOk) {
        return st(op::kSign, REASON_DIGEST_FINAL_FAILED);
    }
    if (fixed_k == nullptr) {
        if (Status s = seed_signature_prng(d, h.data(), h_length); s != kOk) return s;
    }
    bi::PoolFrame frame(d->pool);
    BIGINT *k, *r, *kinv, *hm, *s;
    if (!frame.take_all(k, r, kinv, hm, s)) return st(op::kSign, REASON_POOL_FAILED);
    mem::ScopeExit wipe([&] {
        bi::clear(k);
        bi::clear(kinv);
    });
    if (bi::binary_to(h.data(), h_length, hm) == nullptr) {
        return st(op::kSign, REASON_TO_BIGINT_FAILED);
    }
    if (bi::div(nullptr, hm, hm, d->q, d->pool) != kOk) {
        return st(op::kSign, REASON_REDUCTION_FAILED);
    }
    const std::int32_t q_bits = bi::get_bits_length(d->q);
    // FIPS 186-2 section 5: a zero r or s asks for a new k.
    for (;;) {
        if (fixed_k != nullptr) {
            if (bi::copy(k, fixed_k) != kOk) return st(op::kSign, REASON_RANDOM_INTEGER_FAILED);
        } else {
            do {
                if (prng::get_rand_dsa_bigint(d->prng, k, d->q) != kOk) {
                    return st(op::kSign, REASON_RANDOM_INTEGER_FAILED);
                }
            } while (bi::is_zero(k));
        }
        if (pk::exp_secret(r, d->g, k, q_bits, d->p, d->pool) != kOk) {
            return st(op::kSign, REASON_MODEXP_FAILED);
        }
        if (bi::div(nullptr, r, r, d->q, d->pool) != kOk) {
            return st(op::kSign, REASON_REDUCTION_FAILED);
        }
        if (pk::inverse_mod_prime(kinv, k, d->q, d->pool) != kOk) {
            return st(op::kSign, REASON_INVERSE_FAILED);
        }
        // s = k^-1 (h + x r mod q) mod q.
        if (bi::mod_mtp(s, d->x, r, d->q, d->pool) != kOk) {
            return st(op::kSign, REASON_MOD_MUL_FAILED);
        }
        if (bi::add(s, s, hm) != kOk) return st(op::kSign, REASON_ADD_FAILED);
        if (bi::div(nullptr, s, s, d->q, d->pool) != kOk) {
            return st(op::kSign, REASON_REDUCTION_FAILED);
        }
        if (bi::mod_mtp(s, kinv, s, d->q, d->pool) != kOk) {
            return st(op::kSign, REASON_MOD_MUL_FAILED);
        }
        if (!bi::is_zero(r) && !bi::is_zero(s)) break;
        if (fixed_k != nullptr) return st(op::kSign, REASON_STEP_FAILED);
    }
    *r_length = bi::to_binary_unsigned(r, r_out);
    *s_length = bi::to_binary_unsigned(s, s_out);
    return kOk;
}

Status verify_core(ZLC_DSA* d, const std::uint8_t* r_in, std::int32_t r_length,
                   const std::uint8_t* s_in, std::int32_t s_length) {
    if (d->p == nullptr || d->q == nullptr || d->y == nullptr || d->g == nullptr ||
        d->digest == nullptr) {
        return st(op::kVerify, REASON_NULL_ARGUMENT);
    }
    if (d->pool == nullptr) return st(op::kVerify, REASON_NO_POOL);
    bi::PoolFrame frame(d->pool);
    std::array<std::uint8_t, ZLC_DIGEST_MAX_LENGTH> h{};
    std::int32_t h_length = 0;
    if (digest::final(d->digest, h.data(), &h_length) != kOk) {
        return st(op::kVerify, REASON_DIGEST_FINAL_FAILED);
    }
    BIGINT *r, *s, *w, *u1, *u2, *v, *t;
    if (!frame.take_all(r, s, w, u1, u2, v, t)) return st(op::kVerify, REASON_POOL_FAILED);
    if (bi::binary_to(r_in, r_length, r) == nullptr ||
        bi::binary_to(s_in, s_length, s) == nullptr ||
        bi::binary_to(h.data(), h_length, u1) == nullptr) {
        return st(op::kVerify, REASON_TO_BIGINT_FAILED);
    }
    // FIPS 186-2 section 6: 0 < r < q and 0 < s < q.
    if (bi::is_zero(r) || bi::is_zero(s) || bi::cmp(r, d->q) >= 0 || bi::cmp(s, d->q) >= 0) {
        return st(op::kVerify, REASON_VERIFY_FAILED);
    }
    if (bi::mod_inverse(w, s, d->q, d->pool) != kOk) return st(op::kVerify, REASON_INVERSE_FAILED);
    if (bi::mod_mtp(u1, u1, w, d->q, d->pool) != kOk ||
        bi::mod_mtp(u2, r, w, d->q, d->pool) != kOk) {
        return st(op::kVerify, REASON_MOD_MUL_FAILED);
    }
    if (bi::mod_exp_mont(v, d->g, u1, d->p, d->pool) != kOk ||
        bi::mod_exp_mont(t, d->y, u2, d->p, d->pool) != kOk) {
        return st(op::kVerify, REASON_MODEXP_FAILED);
    }
    if (bi::mod_mtp(v, v, t, d->p, d->pool) != kOk) return st(op::kVerify, REASON_MOD_MUL_FAILED);
    if (bi::div(nullptr, v, v, d->q, d->pool) != kOk) {
        return st(op::kVerify, REASON_REDUCTION_FAILED);
    }
    return bi::cmp(v, r) == 0 ? kOk : st(op::kVerify, REASON_VERIFY_FAILED);
}

// SEED + offset mod 2^160 into out (20 bytes).
void seed_plus(const std::uint8_t* seed, std::uint32_t offset, std::uint8_t* out) {
    std::uint32_t carry = offset;
    for (std::int32_t i = kSeedLength - 1; i >= 0; --i) {
        const std::uint32_t sum = seed[i] + (carry & 0xFF);
        out[i] = static_cast<std::uint8_t>(sum);
        carry = (carry >> 8) + (sum >> 8);
    }
}

std::int32_t test_prime(const BIGINT* n, BIGINT_POOL* pool) {
    if (!pk::survives_small_primes(n)) return -1;
    return bi::is_prime(n, kPrimeCount, pool, ZLC_SHA1);
}

Status generate(ZLC_DSA* d, std::uint32_t digest_id, std::int32_t pbits,
                const std::uint8_t* fixed_seed, std::uint8_t* seed_out, std::int32_t* counter_out) {
    const std::uint8_t oper = op::kGenerateParams;
    if (Status gate = core::pass_gate(); gate != kOk) return gate;
    if (d == nullptr) return st(oper, REASON_NULL_ARGUMENT);
    const std::int32_t h_length = digest::get_length(digest_id);
    if (h_length <= 0) return st(oper, REASON_STEP_FAILED);
    if (d->pool == nullptr) return st(oper, REASON_NO_POOL);
    // L = pbits rounded up to a multiple of 64, at least 512.
    const std::int32_t l = std::max(512, (std::max(pbits, 0) + 63) / 64 * 64);
    // q has the digest's length and must stay below 2^(L-1), or p would be 1 for ever.
    if (8 * h_length >= l) return st(oper, REASON_STEP_FAILED);
    const std::int32_t n = (l - 1) / 160;

    bi::PoolFrame frame(d->pool);
    BIGINT *q, *p, *w, *v, *x, *c, *two_q, *t;
    if (!frame.take_all(q, p, w, v, x, c, two_q, t)) return st(oper, REASON_POOL_FAILED);
    pk::Buffer u(static_cast<std::size_t>(h_length)), block(static_cast<std::size_t>(h_length));
    if (!u.ok() || !block.ok()) return st(oper, REASON_ALLOC_FAILED);
    // T = 2^(L-1).
    BIGINT* top = t;
    if (bi::set_bit(top, l - 1) != kOk) return st(oper, REASON_SHIFT_FAILED);

    PRNG_UNIT* unit = prng::new_unit();
    DIGEST_UNIT* hash = digest::new_unit();
    mem::ScopeExit release_units([&] {
        prng::free_unit(unit);
        digest::free_unit(hash);
    });
    if (unit == nullptr || prng::init(unit, digest_id, nullptr, 0, nullptr, 0, d->pool) != kOk) {
        return st(oper, REASON_GENERATOR_REFUSED);
    }
    if (hash == nullptr || digest::init(hash, digest_id) != kOk) {
        return st(oper, REASON_DIGEST_INIT_FAILED);
    }
    auto digest_of = [&](const std::uint8_t* seed, std::uint32_t offset, std::uint8_t* out) {
        std::array<std::uint8_t, kSeedLength> value{};
        seed_plus(seed, offset, value.data());
        std::int32_t written = 0;
        if (digest::update(hash, value.data(), kSeedLength) != kOk) {
            return st(oper, REASON_DIGEST_UPDATE_FAILED);
        }
        return digest::final(hash, out, &written) == kOk ? kOk
                                                         : st(oper, REASON_DIGEST_FINAL_FAILED);
    };

    std::array<std::uint8_t, kSeedLength> seed{};
    std::int32_t counter = 0;
    for (bool found = false, first = true; !found; first = false) {
        if (fixed_seed != nullptr) {
            if (!first) return st(oper, REASON_NOT_PRIME);
            std::memcpy(seed.data(), fixed_seed, kSeedLength);
        } else if (prng::get_rand(unit, seed.data(), kSeedLength) != kOk) {
            return st(oper, REASON_RANDOM_FAILED);
        }
        // U = D(SEED) xor D(SEED + 1); q = U with its top and bottom bits set.
        if (Status s = digest_of(seed.data(), 0, u.data()); s != kOk) return s;
        if (Status s = digest_of(seed.data(), 1, block.data()); s != kOk) return s;
        for (std::int32_t i = 0; i < h_length; ++i) u.data()[i] ^= block.data()[i];
        u.data()[0] |= 0x80;
        u.data()[h_length - 1] |= 0x01;
        if (bi::binary_to(u.data(), h_length, q) == nullptr) {
            return st(oper, REASON_TO_BIGINT_FAILED);
        }
        const std::int32_t q_verdict = test_prime(q, d->pool);
        if (q_verdict == 0) return st(oper, REASON_STEP_FAILED);
        if (q_verdict < 0) continue;
        if (bi::left_shift(two_q, q, 1) != kOk) return st(oper, REASON_SHIFT_FAILED);

        std::uint32_t offset = 2;
        for (counter = 0; counter < kCounterLimit;
             ++counter, offset += static_cast<std::uint32_t>(n) + 1) {
            // W = sum of D(SEED + offset + k) 2^(160 k), k = 0..n, mod 2^(L-1).
            bi::clear(w);
            for (std::int32_t k = 0; k <= n; ++k) {
                if (Status s = digest_of(seed.data(), offset + static_cast<std::uint32_t>(k),
                                         block.data());
                    s != kOk) {
                    return s;
                }
                if (bi::binary_to(block.data(), h_length, v) == nullptr) {
                    return st(oper, REASON_TO_BIGINT_FAILED);
                }
                if (bi::left_shift(v, v, 160 * k) != kOk) return st(oper, REASON_SHIFT_FAILED);
                if (bi::add(w, w, v) != kOk) return st(oper, REASON_ADD_FAILED);
            }
            if (bi::div(nullptr, w, w, top, d->pool) != kOk) {
                return st(oper, REASON_REDUCTION_FAILED);
            }
            // X = W + T; p = X - (X mod 2q - 1).
            if (bi::add(x, w, top) != kOk) return st(oper, REASON_ADD_FAILED);
            if (bi::div(nullptr, c, x, two_q, d->pool) != kOk) {
                return st(oper, REASON_REDUCTION_FAILED);
            }
            if (bi::sub(p, x, c, d->pool) != kOk || bi::add_word(p, 1) != kOk) {
                return st(oper, REASON_SUBTRACT_FAILED);
            }
            if (bi::cmp(p, top) < 0) continue;
            const std::int32_t p_verdict = test_prime(p, d->pool);
            if (p_verdict == 0) return st(oper, REASON_STEP_FAILED);
            if (p_verdict > 0) {
                found = true;
                break;
            }
        }
        if (!found && fixed_seed != nullptr) return st(oper, REASON_NOT_PRIME);
    }

    // g = h^((p-1)/q) mod p for the least h from 2 that gives g != 1.
    BIGINT *e = w, *h = v, *g = x;
    if (bi::copy(c, p) != kOk || bi::sub_word(c, 1) != kOk ||
        bi::div(e, nullptr, c, q, d->pool) != kOk) {
        return st(oper, REASON_DIVIDE_FAILED);
    }
    if (bi::set_word(h, 2) != kOk) return st(oper, REASON_SET_WORD_FAILED);
    for (;;) {
        if (bi::mod_exp_mont(g, h, e, p, d->pool) != kOk) return st(oper, REASON_MODEXP_FAILED);
        if (bi::cmp(g, bi::value_one()) != 0) break;
        if (bi::add_word(h, 1) != kOk) return st(oper, REASON_ADD_FAILED);
    }
    if (!pk::store_copy(&d->p, p) || !pk::store_copy(&d->q, q) || !pk::store_copy(&d->g, g)) {
        return st(oper, REASON_ALLOC_FAILED);
    }
    if (seed_out != nullptr) std::memcpy(seed_out, seed.data(), kSeedLength);
    if (counter_out != nullptr) *counter_out = counter;
    return kOk;
}

}  // namespace

ZLC_DSA* new_dsa() noexcept {
    ZLC_DSA* d = mem::alloc_record<ZLC_DSA>();
    if (d == nullptr) return nullptr;
    d->pool = bi::new_pool();
    d->prng = prng::new_unit();
    if (d->pool == nullptr || d->prng == nullptr) {
        free_dsa(d);
        return nullptr;
    }
    return d;
}

void free_dsa(ZLC_DSA* dsa) noexcept {
    if (dsa == nullptr) return;
    clean_dsa(dsa);
    mem::free_record(dsa);
}

void clean_dsa(ZLC_DSA* d) noexcept {
    if (d == nullptr) return;
    if (d->digest != nullptr) digest::free_unit(d->digest);
    if (d->prng != nullptr) prng::free_unit(d->prng);
    mem::free_wiped(d->seed, d->seed == nullptr ? 0 : static_cast<std::size_t>(d->seed_length));
    for (BIGINT** slot : {&d->p, &d->q, &d->g, &d->y, &d->x}) pk::release(slot);
    if (d->pool != nullptr) (void)bi::free_pool(d->pool);
    platform::secure_zero(d, sizeof *d);
}

Status set_params(ZLC_DSA* d, const BIGINT* p, const BIGINT* q, const BIGINT* g, const BIGINT* x,
                  const BIGINT* y) noexcept {
    if (Status gate = core::pass_gate(); gate != kOk) return gate;
    if (d == nullptr) return st(op::kSetParams, REASON_NULL_ARGUMENT);
    if (p == nullptr || q == nullptr || g == nullptr || y == nullptr) {
        return st(op::kSetParams, REASON_INVALID_ARGUMENT);
    }
    // Copies first, installed only when all are made: the arguments may be the record's own
    // integers, and a failed copy leaves the record as it was.
    std::array<BIGINT*, 5> copies{};
    if (!pk::copy_all(copies, std::array<const BIGINT*, 5>{p, q, g, y, x})) {
        return st(op::kSetParams, REASON_ALLOC_FAILED_B);
    }
    clean_dsa(d);
    d->p = copies[0];
    d->q = copies[1];
    d->g = copies[2];
    d->y = copies[3];
    d->x = copies[4];
    return kOk;
}

Status init(ZLC_DSA* d, std::uint32_t digest_id, std::uint32_t sign, const std::uint8_t* seed,
            std::int32_t seed_length) noexcept {
    if (core::is_proven()) return st(op::kInit, REASON_NOT_APPROVED);
    if (Status gate = core::pass_gate(); gate != kOk) return gate;
    if (d == nullptr) return st(op::kInit, REASON_NULL_ARGUMENT);
    const bool made = d->digest == nullptr;
    if (made) {
        d->digest = digest::new_unit();
        if (d->digest == nullptr) return st(op::kInit, REASON_ALLOC_FAILED_B);
    }
    if (digest::init(d->digest, digest_id) != kOk) {
        if (made) {
            digest::free_unit(d->digest);
            d->digest = nullptr;
        }
        return st(op::kInit, REASON_DIGEST_INIT_FAILED);
    }
    if (d->pool == nullptr) d->pool = bi::new_pool();
    if (d->prng == nullptr) d->prng = prng::new_unit();
    if (d->pool == nullptr || d->prng == nullptr) return st(op::kInit, REASON_ALLOC_FAILED_B);
    mem::free_wiped(d->seed, d->seed == nullptr ? 0 : static_cast<std::size_t>(d->seed_length));
    d->seed = nullptr;
    d->seed_length = 0;
    if (seed != nullptr && seed_length > 0) {
        d->seed =
            static_cast<std::uint8_t*>(mem::alloc_zeroed(static_cast<std::size_t>(seed_length)));
        if (d->seed == nullptr) return st(op::kInit, REASON_ALLOC_FAILED_B);
        std::memcpy(d->seed, seed, static_cast<std::size_t>(seed_length));
        d->seed_length = seed_length;
    }
    d->sign = sign;
    return kOk;
}

Status update(ZLC_DSA* d, const std::uint8_t* data, std::int32_t length) noexcept {
    if (d == nullptr) return st(op::kUpdate, REASON_NULL_ARGUMENT);
    if (d->digest == nullptr || data == nullptr || length < 0 ||
        digest::update(d->digest, data, length) != kOk) {
        return st(op::kUpdate, REASON_DIGEST_UPDATE_FAILED);
    }
    return kOk;
}

Status final(ZLC_DSA* d, std::uint8_t* r, std::int32_t* r_length, std::uint8_t* s,
             std::int32_t* s_length) noexcept {
    if (d == nullptr || r == nullptr || r_length == nullptr || s == nullptr ||
        s_length == nullptr) {
        return st(op::kFinal, REASON_NULL_ARGUMENT);
    }
    if (d->sign == 1) {
        if (d->x == nullptr) return st(op::kFinal, REASON_NO_KEY);
        return sign_core(d, nullptr, r, r_length, s, s_length) == kOk
                   ? kOk
                   : st(op::kFinal, REASON_SIGN_FAILED);
    }
    return verify_core(d, r, *r_length, s, *s_length) == kOk ? kOk
                                                             : st(op::kFinal, REASON_VERIFY_FAILED);
}

Status sign_with_k(ZLC_DSA* d, const BIGINT* k, std::uint8_t* r, std::int32_t* r_length,
                   std::uint8_t* s, std::int32_t* s_length) noexcept {
    if (d == nullptr || k == nullptr || r == nullptr || r_length == nullptr || s == nullptr ||
        s_length == nullptr) {
        return st(op::kSign, REASON_NULL_ARGUMENT);
    }
    return sign_core(d, k, r, r_length, s, s_length);
}

Status verify_detail(ZLC_DSA* d, const std::uint8_t* r, std::int32_t r_length,
                     const std::uint8_t* s, std::int32_t s_length) noexcept {
    if (d == nullptr || r == nullptr || s == nullptr) return st(op::kVerify, REASON_NULL_ARGUMENT);
    return verify_core(d, r, r_length, s, s_length);
}

Status generate_params(ZLC_DSA* d, std::uint32_t digest_id, std::int32_t pbits,
                       const std::uint8_t* seed) noexcept {
    return generate(d, digest_id, pbits, seed, nullptr, nullptr);
}

Status generate_params_detail(ZLC_DSA* d, std::uint32_t digest_id, std::int32_t pbits,
                              const std::uint8_t* seed, std::uint8_t* seed_out,
                              std::int32_t* counter_out) noexcept {
    return generate(d, digest_id, pbits, seed, seed_out, counter_out);
}

Status generate_key_pair(ZLC_DSA* d) noexcept {
    if (Status gate = core::pass_gate(); gate != kOk) return gate;
    if (d == nullptr || d->p == nullptr || d->q == nullptr || d->g == nullptr) {
        return st(op::kKeyPair, REASON_NULL_ARGUMENT);
    }
    if (d->x == nullptr) d->x = bi::new_bigint();
    if (d->x == nullptr) return st(op::kKeyPair, REASON_ALLOC_FAILED_C);
    if (d->pool == nullptr) d->pool = bi::new_pool();
    if (d->pool == nullptr) return st(op::kKeyPair, REASON_ALLOC_FAILED_C);
    // Set empties the record, PRNG unit included; a key pair for set parameters needs a new one.
    if (d->prng == nullptr) d->prng = prng::new_unit();
    if (d->prng == nullptr ||
        prng::init(d->prng, ZLC_SHA1, nullptr, 0, nullptr, 0, d->pool) != kOk) {
        return st(op::kKeyPair, REASON_GENERATOR_REFUSED);
    }
    // From here x is being replaced: a pair that fails a step is wiped and dropped, so that no
    // new x stays beside the old y.
    const Status status = [d] {
        do {
            if (prng::get_rand_dsa_bigint(d->prng, d->x, d->q) != kOk) {
                return st(op::kKeyPair, REASON_RANDOM_INTEGER_FAILED);
            }
        } while (bi::is_zero(d->x));
        if (d->y == nullptr) d->y = bi::new_bigint();
        if (d->y == nullptr) return st(op::kKeyPair, REASON_ALLOC_FAILED_C);
        if (pk::exp_secret(d->y, d->g, d->x, bi::get_bits_length(d->q), d->p, d->pool) != kOk) {
            return st(op::kKeyPair, REASON_MODEXP_FAILED);
        }
        return kOk;
    }();
    if (status != kOk) {
        pk::release(&d->x);
        pk::release(&d->y);
    }
    return status;
}

}  // namespace zlc::dsa

extern "C" {

ZLC_API ZLC_DSA* ZLC_New_DSA(void) ZLC_NOEXCEPT {
    return zlc::dsa::new_dsa();
}
ZLC_API void ZLC_Free_DSA(ZLC_DSA* dsa) ZLC_NOEXCEPT {
    zlc::dsa::free_dsa(dsa);
}
ZLC_API void ZLC_Clean_DSA(ZLC_DSA* dsa) ZLC_NOEXCEPT {
    zlc::dsa::clean_dsa(dsa);
}
ZLC_API uint32_t ZLC_Set_DSA_Params(ZLC_DSA* dsa, const BIGINT* p, const BIGINT* q, const BIGINT* g,
                                    const BIGINT* x, const BIGINT* y) ZLC_NOEXCEPT {
    return zlc::dsa::set_params(dsa, p, q, g, x, y);
}
ZLC_API uint32_t ZLC_Init_DSA(ZLC_DSA* dsa, uint32_t digest_id, uint32_t sign, const uint8_t* seed,
                              int32_t seed_length) ZLC_NOEXCEPT {
    return zlc::dsa::init(dsa, digest_id, sign, seed, seed_length);
}
ZLC_API uint32_t ZLC_Update_DSA(ZLC_DSA* dsa, const uint8_t* data, int32_t length) ZLC_NOEXCEPT {
    return zlc::dsa::update(dsa, data, length);
}
ZLC_API uint32_t ZLC_Final_DSA(ZLC_DSA* dsa, uint8_t* r, int32_t* r_length, uint8_t* s,
                               int32_t* s_length) ZLC_NOEXCEPT {
    return zlc::dsa::final(dsa, r, r_length, s, s_length);
}
ZLC_API uint32_t ZLC_Generate_DSA_Params(ZLC_DSA* dsa, uint32_t digest_id, int32_t pbits,
                                         const uint8_t* seed) ZLC_NOEXCEPT {
    return zlc::dsa::generate_params(dsa, digest_id, pbits, seed);
}
ZLC_API uint32_t ZLC_Generate_DSA_Key_Pair(ZLC_DSA* dsa) ZLC_NOEXCEPT {
    return zlc::dsa::generate_key_pair(dsa);
}

}  // extern "C"
