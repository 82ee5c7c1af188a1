// KCDSA, TTAK.KO-12.0001/R4: domain parameters (Appendix I), key pairs, and signatures with the
// message hashed as z || M and W hashed as a |p|-byte string. When the digest is longer than q,
// both hashes keep their rightmost |q| bytes, as the standard's Appendix II.2 does.
#include "crypto/pk/kcdsa.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "crypto/bigint/bigint.h"
#include "crypto/bigint/prime.h"
#include "crypto/core/memory.h"
#include "crypto/core/module_state.h"
#include "crypto/digest/digest.h"
#include "crypto/pk/pk_common.h"
#include "crypto/rand/drbg.h"
#include "crypto/rand/hasher.h"
#include "crypto/rand/prng.h"

namespace zlc::kcdsa {
namespace {

namespace bi = zlc::bigint;

constexpr Status st(std::uint8_t op, std::uint16_t reason) {
    return make_status(Module::Kcdsa, op, reason);
}

namespace op {
inline constexpr std::uint8_t kGenerateParamsEx = 0x01, kGenerateParams = 0x02, kRandom = 0x03,
                              kKeyPairEx = 0x04, kKeyPair = 0x05, kSetParams = 0x06, kInitEx = 0x07,
                              kInit = 0x08, kUpdate = 0x09, kFinal = 0x0A, kSign = 0x0B,
                              kVerify = 0x0C;
}  // namespace op

inline constexpr std::uint16_t REASON_SIZE = 0x000B;
inline constexpr std::uint16_t REASON_INVERSE_FAILED = 0x0041;
inline constexpr std::uint16_t REASON_MOD_MUL_FAILED = 0x0042;
inline constexpr std::uint16_t REASON_ZERO = 0x0037;
inline constexpr std::uint16_t REASON_PRODUCT_FAILED = 0x003F;
inline constexpr std::uint16_t REASON_RANDOM_BYTES_FAILED = 0x004B;
inline constexpr std::uint16_t REASON_SEED_FAILED = 0x004E;
inline constexpr std::uint16_t REASON_VERIFY_FAILED = 0x005E;

// The seed of the random numbers (TTAK.KO-12.0001/R4 Appendix III).
constexpr std::uint32_t kRandSeedLength = 160;
// Proven mode: shortest x and y accepted.
constexpr std::int32_t kProvenMinX = 27, kProvenMinY = 255;
constexpr std::int32_t kCountLimit = 500;

// Length of R and of the hashes it is made from: the digest, or q's bytes when the digest is
// longer.
std::int32_t hash_part_length(const KCDSA* k) {
    return std::min(k->digest->digest_length, pk::byte_length(k->q));
}

void release_seed(KCDSA* k) {
    mem::free_wiped(k->seed, k->seed == nullptr ? 0 : static_cast<std::size_t>(k->seed_length) + 4);
    k->seed = nullptr;
    k->seed_length = 0;
}

// Big-endian bytes of n without leading zeros into a new buffer of at least one byte.
struct Minimal {
    explicit Minimal(const BIGINT* n)
        : length(pk::byte_length(n)), buffer(static_cast<std::size_t>(length)) {
        if (buffer.ok() && length > 0) (void)bi::to_binary_unsigned(n, buffer.data());
    }
    std::int32_t length;
    pk::Buffer buffer;
};

// x = the KCDSA random number below m (TTAK.KO-12.0001/R4 Appendix III) with XKEY and the seed of
// XSEED from the DRBG.
Status random_below(KCDSA* k, BIGINT* out, const BIGINT* m, std::uint32_t digest_id) {
    if (k == nullptr) return st(op::kRandom, REASON_NULL_ARGUMENT);
    if (k->pool == nullptr) return st(op::kRandom, REASON_NO_POOL);
    bi::PoolFrame frame(k->pool);
    BIGINT* xval = frame.take();
    if (xval == nullptr) return st(op::kRandom, REASON_ALLOC_FAILED_B);
    if (k->xkey == nullptr) k->xkey = bi::new_bigint();
    if (k->xseed == nullptr) k->xseed = bi::new_bigint();
    if (k->rand_seed == nullptr) {
        k->rand_seed = static_cast<std::uint8_t*>(mem::alloc_zeroed(kRandSeedLength));
        k->rand_seed_length = kRandSeedLength;
    }
    if (k->xkey == nullptr || k->xseed == nullptr || k->rand_seed == nullptr) {
        return st(op::kRandom, REASON_ALLOC_FAILED_B);
    }
    const std::int32_t bits = bi::get_bits_length(m);
    const std::int32_t a = (std::min(bits, 512) + 7) / 8;
    std::array<std::uint8_t, 64> xkey{}, xseed{};
    mem::WipeOnExit wipe_key(xkey), wipe_seed(xseed);
    do {
        if (rand::rand_bytes(xkey.data(), a) != kOk ||
            rand::rand_bytes(k->rand_seed, kRandSeedLength) != kOk ||
            !hash_expand(digest_id, k->rand_seed, kRandSeedLength, 8 * a, xseed.data()) ||
            bi::binary_to(xkey.data(), a, k->xkey) == nullptr ||
            bi::binary_to(xseed.data(), a, k->xseed) == nullptr) {
            return st(op::kRandom, REASON_RANDOM_BYTES_FAILED);
        }
    } while (bi::cmp(k->xkey, k->xseed) == 0);

    // XVAL = (XKEY + XSEED) mod 2^bits, then expanded into bits bits and reduced.
    const Status failed = st(op::kRandom, REASON_STEP_FAILED);
    if (bi::add(xval, k->xkey, k->xseed) != kOk) return failed;
    const std::int32_t out_bytes = (bits + 7) / 8;
    pk::Buffer wide(static_cast<std::size_t>(std::max(out_bytes, a + 1)));
    pk::Buffer expanded(static_cast<std::size_t>(out_bytes));
    if (!wide.ok() || !expanded.ok()) return failed;
    if (bi::get_bits_length(xval) > bits) {
        const std::int32_t n = bi::to_binary_unsigned(xval, wide.data());
        const std::int32_t keep = out_bytes;
        if (bits % 8 != 0)
            wide.data()[n - keep] &= static_cast<std::uint8_t>(0xFF >> (8 - bits % 8));
        if (bi::binary_to(wide.data() + (n - keep), keep, xval) == nullptr) return failed;
    }
    Minimal seed(xval);
    if (!seed.buffer.ok() ||
        !hash_expand(digest_id, seed.buffer.data(), static_cast<std::size_t>(seed.length), bits,
                     expanded.data()) ||
        bi::binary_to(expanded.data(), out_bytes, out) == nullptr ||
        bi::div(nullptr, out, out, m, k->pool) != kOk) {
        return failed;
    }
    bi::clear(xval);
    return kOk;
}

// Hashes W as a |p|-byte string with the record's digest into out (digest length).
Status hash_w(KCDSA* k, const BIGINT* w, std::uint8_t* out, std::uint8_t oper) {
    const std::int32_t width = pk::byte_length(k->p);
    pk::Buffer bytes(static_cast<std::size_t>(width));
    if (!bytes.ok() || !pk::write_fixed(w, bytes.data(), width)) {
        return st(oper, REASON_DIGEST_UPDATE_FAILED);
    }
    if (digest::init(k->digest, k->digest->algorithm_id) != kOk) {
        return st(oper, REASON_DIGEST_INIT_FAILED);
    }
    if (digest::update(k->digest, bytes.data(), width) != kOk) {
        return st(oper, REASON_DIGEST_UPDATE_FAILED);
    }
    std::int32_t n = 0;
    if (digest::final(k->digest, out, &n) != kOk) return st(oper, REASON_DIGEST_FINAL_FAILED);
    return kOk;
}

Status sign_core(KCDSA* k, const BIGINT* fixed_k, std::uint8_t* r_out, std::int32_t* r_length,
                 std::uint8_t* s_out, std::int32_t* s_length) {
    if (k->p == nullptr || k->q == nullptr || k->x == nullptr || k->g == nullptr ||
        k->digest == nullptr) {
        return st(op::kSign, REASON_NULL_ARGUMENT);
    }
    std::array<std::uint8_t, ZLC_DIGEST_MAX_LENGTH> h{}, hw{};
    std::int32_t n = 0;
    if (digest::final(k->digest, h.data(), &n) != kOk) {
        return st(op::kSign, REASON_DIGEST_FINAL_FAILED);
    }
    const std::int32_t h_length = k->digest->digest_length;
    const std::int32_t part = hash_part_length(k);
    const std::int32_t q_bytes = pk::byte_length(k->q);
    const std::int32_t q_bits = bi::get_bits_length(k->q);

    bi::PoolFrame frame(k->pool);
    BIGINT *nonce, *w, *e, *t;
    if (!frame.take_all(nonce, w, e, t)) return st(op::kSign, REASON_POOL_FAILED);
    mem::ScopeExit wipe([&] {
        bi::clear(nonce);
        bi::clear(t);
    });
    if (fixed_k != nullptr) {
        if (bi::copy(nonce, fixed_k) != kOk) return st(op::kSign, REASON_RANDOM_FAILED);
    } else {
        do {
            if (random_below(k, nonce, k->q, k->digest->algorithm_id) != kOk) {
                return st(op::kSign, REASON_RANDOM_FAILED);
            }
        } while (bi::is_zero(nonce));
    }
    if (pk::exp_secret(w, k->g, nonce, q_bits, k->p, k->pool) != kOk) {
        return st(op::kSign, REASON_MODEXP_FAILED);
    }
    if (Status s = hash_w(k, w, hw.data(), op::kSign); s != kOk) return s;

    // R = the rightmost `part` bytes of Hash(W); E = R xor the same bytes of Hash(z || M).
    const std::uint8_t* r = hw.data() + (h_length - part);
    std::array<std::uint8_t, ZLC_DIGEST_MAX_LENGTH> ebytes{};
    for (std::int32_t i = 0; i < part; ++i) ebytes[i] = r[i] ^ h[h_length - part + i];
    if (bi::binary_to(ebytes.data(), part, e) == nullptr ||
        bi::div(nullptr, e, e, k->q, k->pool) != kOk) {
        return st(op::kSign, REASON_TO_BIGINT_FAILED);
    }
    // s = x (k - e) mod q, with k - e taken as k + q - e so that no branch looks at k.
    if (bi::add(t, nonce, k->q) != kOk || bi::sub(t, t, e, k->pool) != kOk) {
        return st(op::kSign, REASON_SUBTRACT_FAILED);
    }
    if (bi::mod_mtp(w, k->x, t, k->q, k->pool) != kOk) {
        return st(op::kSign, REASON_MOD_MUL_FAILED);
    }
    std::memcpy(r_out, r, static_cast<std::size_t>(part));
    if (!pk::write_fixed(w, s_out, q_bytes)) return st(op::kSign, REASON_MOD_MUL_FAILED);
    *r_length = part;
    *s_length = q_bytes;
    return kOk;
}

Status verify_core(KCDSA* k, const std::uint8_t* r, std::int32_t r_length, const std::uint8_t* s_in,
                   std::int32_t s_length) {
    if (k->p == nullptr || k->q == nullptr || k->y == nullptr || k->g == nullptr ||
        k->digest == nullptr) {
        return st(op::kVerify, REASON_NULL_ARGUMENT);
    }
    std::array<std::uint8_t, ZLC_DIGEST_MAX_LENGTH> h{}, hw{};
    std::int32_t n = 0;
    if (digest::final(k->digest, h.data(), &n) != kOk) {
        return st(op::kVerify, REASON_DIGEST_FINAL_FAILED);
    }
    bi::PoolFrame frame(k->pool);
    if (!frame.open()) return st(op::kVerify, REASON_STEP_FAILED);
    BIGINT *s, *e, *w, *t;
    if (!frame.take_all(s, e, w, t)) return st(op::kVerify, REASON_POOL_FAILED);
    if (bi::binary_to(s_in, s_length, s) == nullptr)
        return st(op::kVerify, REASON_TO_BIGINT_FAILED);
    if (bi::is_zero(s)) return st(op::kVerify, REASON_ZERO);
    if (bi::cmp(s, k->q) >= 0) return st(op::kVerify, REASON_SIZE);

    const std::int32_t h_length = k->digest->digest_length;
    const std::int32_t part = hash_part_length(k);
    if (r_length != part) return st(op::kVerify, REASON_VERIFY_FAILED);
    std::array<std::uint8_t, ZLC_DIGEST_MAX_LENGTH> ebytes{};
    for (std::int32_t i = 0; i < part; ++i) ebytes[i] = r[i] ^ h[h_length - part + i];
    if (bi::binary_to(ebytes.data(), part, e) == nullptr) {
        return st(op::kVerify, REASON_TO_BIGINT_FAILED);
    }
    // W' = y^s g^e mod p.
    if (bi::mod_exp_mont(w, k->y, s, k->p, k->pool) != kOk ||
        bi::mod_exp_mont(t, k->g, e, k->p, k->pool) != kOk) {
        return st(op::kVerify, REASON_MODEXP_FAILED);
    }
    if (bi::mod_mtp(w, w, t, k->p, k->pool) != kOk) return st(op::kVerify, REASON_PRODUCT_FAILED);
    if (Status status = hash_w(k, w, hw.data(), op::kVerify); status != kOk) return status;
    return pk::equal_bytes(hw.data() + (h_length - part), r, static_cast<std::size_t>(part))
               ? kOk
               : st(op::kVerify, REASON_VERIFY_FAILED);
}

// Binds the digest unit to digest_id afresh (a unit is made when missing) and drops z when the
// digest changes, since z's width is the digest's block size.
Status bind_digest(KCDSA* k, std::uint32_t digest_id, std::uint8_t oper) {
    const bool made = k->digest == nullptr;
    if (made) {
        k->digest = digest::new_unit();
        if (k->digest == nullptr) return st(oper, REASON_ALLOC_FAILED_B);
    }
    const std::uint32_t previous = k->digest->algorithm_id;
    const Status status = digest::init(k->digest, digest_id);
    if (status != kOk || previous != digest_id) pk::release(&k->z);
    if (status != kOk) {
        if (made) {
            digest::free_unit(k->digest);
            k->digest = nullptr;
        }
        return st(oper, REASON_DIGEST_INIT_FAILED);
    }
    if (k->pool == nullptr) {
        k->pool = bi::new_pool();
        if (k->pool == nullptr) return st(oper, REASON_ALLOC_FAILED_B);
    }
    return kOk;
}

// Makes the PRNG unit when missing and initialises it for HAS-160 when it is not.
Status ready_prng(KCDSA* k) {
    const bool made = k->prng == nullptr;
    if (made) {
        k->prng = prng::new_unit();
        if (k->prng == nullptr) return st(op::kInit, REASON_ALLOC_FAILED_B);
    }
    if (k->prng->initialised == 0xFFFFFFFFu) return kOk;
    const Status status = prng::init(k->prng, ZLC_HAS160, nullptr, 0, nullptr, 0, k->pool);
    if (status != kOk && made) {
        prng::free_unit(k->prng);
        k->prng = nullptr;
    }
    return status;
}

// The pairwise test of a new key pair: sign and verify 01 02 03.
Status pairwise(KCDSA* k, bool ex, std::uint32_t digest_id, std::uint8_t oper) {
    static constexpr std::uint8_t kMessage[3] = {0x01, 0x02, 0x03};
    const Status broken = st(oper, REASON_PAIRWISE_FAILED);
    std::array<std::uint8_t, ZLC_DIGEST_MAX_LENGTH> r{};
    pk::Buffer s(static_cast<std::size_t>(pk::byte_length(k->q)));
    if (!s.ok()) return st(oper, REASON_ALLOC_FAILED_B);
    std::int32_t r_length = 0, s_length = 0;
    if ((ex ? init_ex(k, 1, digest_id) : init(k, 1)) != kOk ||
        update(k, kMessage, sizeof kMessage) != kOk ||
        final(k, r.data(), &r_length, s.data(), &s_length) != kOk ||
        (ex ? init_ex(k, 0, digest_id) : init(k, 0)) != kOk ||
        update(k, kMessage, sizeof kMessage) != kOk) {
        return broken;
    }
    const Status verdict = final(k, r.data(), &r_length, s.data(), &s_length);
    if (verdict == kOk) return kOk;
    return (verdict & 0xFFFFu) == REASON_VERIFY_FAILED ? st(oper, REASON_SELF_CHECK_MISMATCH)
                                                       : broken;
}

// A key pair whose generation failed at any step once x was being replaced, its pairwise test
// included, is not kept: x, y and the z made from y are wiped and released.
Status keep_pair_if_ok(KCDSA* k, Status status) {
    if (status != kOk) {
        for (BIGINT** slot : {&k->x, &k->y, &k->z}) pk::release(slot);
    }
    return status;
}

// The part of key generation after x: y = g^(x^-1 mod q) mod p, then the pairwise test.
Status finish_key_pair(KCDSA* k, bi::PoolFrame& frame, bool ex, std::uint32_t digest_id,
                       std::uint8_t oper) {
    BIGINT* inverse = frame.take();
    if (inverse == nullptr) return st(oper, REASON_POOL_FAILED);
    mem::ScopeExit wipe([&] { bi::clear(inverse); });
    if (pk::inverse_mod_prime(inverse, k->x, k->q, k->pool) != kOk) {
        return st(oper, REASON_INVERSE_FAILED);
    }
    if (k->y == nullptr) k->y = bi::new_bigint();
    if (k->y == nullptr) return st(oper, REASON_ALLOC_FAILED_B);
    pk::release(&k->z);
    if (pk::exp_secret(k->y, k->g, inverse, bi::get_bits_length(k->q), k->p, k->pool) != kOk) {
        return st(oper, REASON_MODEXP_FAILED);
    }
    return pairwise(k, ex, digest_id, oper);
}

// ---- Domain parameters ----------------------------------------------------------------------

struct Flavor {
    std::uint8_t oper;
    std::uint32_t digest;
    bool plain;  // HAS-160 through the PRNG unit, the plain test counts, the seed not kept
    std::int32_t t_j, t_q, t_p;
    std::int32_t count_limit;
    bool fallback;             // a stored set once the Count limit is passed
    const std::uint8_t* seed;  // a fixed Seed, or null
};

std::int32_t test_prime(const KCDSA* k, const Flavor& f, const BIGINT* n, std::int32_t t) {
    if (!pk::survives_small_primes(n)) return -1;
    return f.plain ? bi::is_prime(n, t, k->pool, ZLC_HAS160) : bi::is_prime_ex(n, t, k->pool);
}

Status draw_bytes(KCDSA* k, const Flavor& f, std::uint8_t* out, std::int32_t length,
                  std::uint16_t ex_reason) {
    if (f.plain) {
        return prng::get_rand(k->prng, out, length) == kOk ? kOk : st(f.oper, REASON_RANDOM_FAILED);
    }
    return rand::rand_bytes(out, length) == kOk ? kOk : st(f.oper, ex_reason);
}

std::size_t stored_count(std::int32_t b, std::int32_t c) {
    return static_cast<std::size_t>(
        std::count_if(kStoredSets, kStoredSets + kStoredSetCount,
                      [&](const StoredSet& s) { return s.pbits == b && s.qbits == c; }));
}

bool store_hex(BIGINT** slot, const char* hex) {
    BIGINT* value = bi::hex_to(hex);
    const bool ok = value != nullptr && pk::store_copy(slot, value);
    if (value != nullptr) (void)bi::free(value);
    return ok;
}

// A stored set of the requested sizes, checked as the search would check its own result.
Status take_stored_set(KCDSA* k, const Flavor& f, std::int32_t b, std::int32_t c) {
    const std::size_t available = stored_count(b, c);
    std::uint8_t byte = 0;
    if (Status s = draw_bytes(k, f, &byte, 1, REASON_RANDOM_FAILED); s != kOk) {
        return st(f.oper, REASON_RANDOM_FAILED);
    }
    std::size_t wanted = byte % available;
    const StoredSet* set = nullptr;
    for (std::size_t i = 0; i < kStoredSetCount && set == nullptr; ++i) {
        if (kStoredSets[i].pbits == b && kStoredSets[i].qbits == c && wanted-- == 0) {
            set = &kStoredSets[i];
        }
    }
    const Status bad = st(f.oper, REASON_NOT_PRIME);
    if (!store_hex(&k->p, set->p) || !store_hex(&k->q, set->q) || !store_hex(&k->g, set->g)) {
        return st(f.oper, REASON_NULL_ARGUMENT);
    }
    if (test_prime(k, f, k->q, f.t_q) != 1 || test_prime(k, f, k->p, f.t_p) != 1) return bad;
    bi::PoolFrame frame(k->pool);
    BIGINT *two_q, *check;
    if (!frame.take_all(two_q, check)) return st(f.oper, REASON_NULL_ARGUMENT);
    if (k->J == nullptr) k->J = bi::new_bigint();
    if (k->J == nullptr) return st(f.oper, REASON_NULL_ARGUMENT);
    // J = (p - 1) / 2q, and p - 1 must be a multiple of 2q.
    if (bi::left_shift(two_q, k->q, 1) != kOk || bi::copy(check, k->p) != kOk ||
        bi::sub_word(check, 1) != kOk || bi::div(k->J, check, check, two_q, k->pool) != kOk) {
        return st(f.oper, REASON_STEP_FAILED);
    }
    if (!bi::is_zero(check)) return bad;
    if (bi::cmp(k->g, bi::value_one()) == 0) return st(f.oper, REASON_STEP_FAILED);
    if (!f.plain && (bi::mod_exp_mont(check, k->g, k->q, k->p, k->pool) != kOk ||
                     bi::cmp(check, bi::value_one()) != 0)) {
        return bad;
    }
    k->count = 0;
    release_seed(k);
    pk::release(&k->h);
    return kOk;
}

Status generate(KCDSA* k, const Flavor& f, std::int32_t b, std::int32_t c) {
    bi::PoolFrame frame(k->pool);
    if (!frame.open()) return bi::st(bi::op::kStartPool, REASON_NULL_ARGUMENT);
    const std::int32_t seed_length = c / 8;
    pk::Buffer seed(static_cast<std::size_t>(seed_length) + 4);
    if (!seed.ok()) return st(f.oper, REASON_ALLOC_FAILED_C);
    BIGINT *j, *q, *p, *g, *h, *two_j;
    if (!frame.take_all(j, q, p, g, h, two_j)) return st(f.oper, REASON_NULL_ARGUMENT);
    const std::int32_t j_bits = b - c - 4;
    pk::Buffer j_bytes(static_cast<std::size_t>((j_bits + 7) / 8));
    pk::Buffer q_bytes(static_cast<std::size_t>((c + 7) / 8));
    if (!j_bytes.ok() || !q_bytes.ok()) return st(f.oper, REASON_ALLOC_FAILED_C);
    const Status step = st(f.oper, REASON_STEP_FAILED);
    const Status test_error = st(f.oper, REASON_NOT_PRIME);
    // Sizes without stored sets search as proven mode does: a new Seed only after 2^24 Counts.
    const bool may_fall_back = f.fallback && stored_count(b, c) > 0;
    const std::int32_t count_limit =
        f.fallback && !may_fall_back ? kProvenCountLimit : f.count_limit;

    std::int32_t count = 0;
    for (bool first = true;; first = false) {
        if (f.seed != nullptr) {
            if (!first) return test_error;  // a fixed Seed gets one chance
            std::memcpy(seed.data(), f.seed, static_cast<std::size_t>(seed_length));
        } else if (Status s = draw_bytes(k, f, seed.data(), seed_length, REASON_SEED_FAILED);
                   s != kOk) {
            return s;
        }
        // J = 2^(b-c-1) | U | 1 with U the expansion of Seed into b - c - 4 bits.
        if (!hash_expand(f.digest, seed.data(), static_cast<std::size_t>(seed_length), j_bits,
                         j_bytes.data()) ||
            bi::binary_to(j_bytes.data(), (j_bits + 7) / 8, j) == nullptr) {
            return st(f.oper, REASON_TO_BIGINT_FAILED);
        }
        if (bi::set_bit(j, b - c - 1) != kOk || bi::set_bit(j, 0) != kOk) return step;
        const std::int32_t j_verdict = test_prime(k, f, j, f.t_j);
        if (j_verdict == 0) return test_error;
        if (j_verdict < 0) continue;

        bool found = false;
        for (count = 1; !found; ++count) {
            if (count > count_limit) {
                if (f.seed != nullptr) return step;
                if (may_fall_back) return take_stored_set(k, f, b, c);
                break;  // a new Seed
            }
            const auto be = static_cast<std::uint32_t>(count);
            seed.data()[seed_length] = static_cast<std::uint8_t>(be >> 24);
            seed.data()[seed_length + 1] = static_cast<std::uint8_t>(be >> 16);
            seed.data()[seed_length + 2] = static_cast<std::uint8_t>(be >> 8);
            seed.data()[seed_length + 3] = static_cast<std::uint8_t>(be);
            if (!hash_expand(f.digest, seed.data(), static_cast<std::size_t>(seed_length) + 4, c,
                             q_bytes.data()) ||
                bi::binary_to(q_bytes.data(), (c + 7) / 8, q) == nullptr) {
                return st(f.oper, REASON_TO_BIGINT_FAILED);
            }
            if (bi::set_bit(q, c - 1) != kOk || bi::set_bit(q, 0) != kOk) return step;
            // p = 2 J q + 1.
            if (bi::mtp(p, j, q, k->pool) != kOk) return st(f.oper, REASON_MULTIPLY_FAILED);
            if (bi::left_shift(p, p, 1) != kOk || bi::add_word(p, 1) != kOk) {
                return st(f.oper, REASON_SHIFT_FAILED);
            }
            if (bi::get_bits_length(p) != b) continue;
            const std::int32_t q_verdict = test_prime(k, f, q, f.t_q);
            if (q_verdict == 0) return test_error;
            if (q_verdict < 0) continue;
            const std::int32_t p_verdict = test_prime(k, f, p, f.t_p);
            if (p_verdict == 0) return test_error;
            found = p_verdict > 0;
        }
        if (found) break;
    }
    --count;

    // g = h^(2J) mod p for a random h, of order q.
    if (bi::left_shift(two_j, j, 1) != kOk) return step;
    for (;;) {
        if (f.plain) {
            if (prng::get_rand_dsa_bigint(k->prng, h, p) != kOk) {
                return st(f.oper, REASON_RANDOM_INTEGER_FAILED);
            }
        } else if (random_below(k, h, p, f.digest) != kOk) {
            return st(f.oper, REASON_RANDOM_FAILED);
        }
        if (bi::is_zero(h)) continue;
        if (bi::mod_exp_mont(g, h, two_j, p, k->pool) != kOk) {
            return st(f.oper, REASON_MODEXP_FAILED);
        }
        if (bi::cmp(g, bi::value_one()) == 0) continue;
        if (f.plain) break;
        if (bi::mod_exp_mont(two_j, g, q, p, k->pool) != kOk) {
            return st(f.oper, REASON_MODEXP_FAILED);
        }
        if (bi::cmp(two_j, bi::value_one()) == 0) break;
        if (bi::left_shift(two_j, j, 1) != kOk) return step;
    }

    if (!pk::store_copy(&k->p, p) || !pk::store_copy(&k->q, q) || !pk::store_copy(&k->g, g) ||
        !pk::store_copy(&k->J, j) || !pk::store_copy(&k->h, h)) {
        return st(f.oper, REASON_NULL_ARGUMENT);
    }
    k->count = count;
    release_seed(k);
    if (!f.plain) {
        k->seed = static_cast<std::uint8_t*>(
            mem::alloc_zeroed(static_cast<std::size_t>(seed_length) + 4));
        if (k->seed == nullptr) return st(f.oper, REASON_ALLOC_FAILED_C);
        std::memcpy(k->seed, seed.data(), static_cast<std::size_t>(seed_length) + 4);
        k->seed_length = seed_length;
    }
    return kOk;
}

Status check_ex_sizes(std::int32_t b, std::int32_t c) {
    if (b < 1024 || b > 2048 || c < 160 || c > 256 || (b == 1024 && c != 160) ||
        (b == 2048 && c != 224 && c != 256)) {
        return st(op::kGenerateParamsEx, REASON_UNSUPPORTED);
    }
    if (core::is_proven() && b != 2048) return st(op::kGenerateParamsEx, REASON_NOT_APPROVED);
    return kOk;
}

Flavor ex_flavor(std::uint32_t digest_id, std::int32_t b) {
    const std::int32_t t = b >= 2048 ? 56 : 40;
    const bool proven = core::is_proven();
    return Flavor{op::kGenerateParamsEx,
                  digest_id,
                  false,
                  t,
                  t,
                  t,
                  proven ? kProvenCountLimit : kCountLimit,
                  !proven,
                  nullptr};
}

}  // namespace

bool hash_expand(std::uint32_t digest_id, const std::uint8_t* seed, std::size_t seed_length,
                 std::int32_t bits, std::uint8_t* out) noexcept {
    rand::Hasher hasher;
    if (!hasher.select(digest_id)) return false;
    const std::int32_t block = hasher.length();
    std::array<std::uint8_t, ZLC_DIGEST_MAX_LENGTH> digest{};
    mem::WipeOnExit wipe(digest);
    std::int32_t position = (bits + 7) / 8;
    for (std::uint8_t i = 0; position > 0; ++i) {
        if (!hasher.begin() || !hasher.absorb(seed, seed_length) || !hasher.absorb(&i, 1) ||
            !hasher.finish(digest.data())) {
            return false;
        }
        const std::int32_t take = std::min(block, position);
        std::memcpy(out + (position - take), digest.data() + (block - take),
                    static_cast<std::size_t>(take));
        position -= take;
    }
    if (bits % 8 != 0) out[0] &= static_cast<std::uint8_t>(0xFF >> (8 - bits % 8));
    return true;
}

KCDSA* new_kcdsa() noexcept {
    KCDSA* k = mem::alloc_record<KCDSA>();
    if (k == nullptr) return nullptr;
    k->pool = bi::new_pool();
    k->prng = prng::new_unit();
    if (k->pool == nullptr || k->prng == nullptr) {
        free_kcdsa(k);
        return nullptr;
    }
    return k;
}

void free_kcdsa(KCDSA* kcdsa) noexcept {
    if (kcdsa == nullptr) return;
    clean_kcdsa(kcdsa);
    mem::free_record(kcdsa);
}

void clean_kcdsa(KCDSA* k) noexcept {
    if (k == nullptr) return;
    if (k->digest != nullptr) digest::free_unit(k->digest);
    if (k->prng != nullptr) prng::free_unit(k->prng);
    for (BIGINT** slot :
         {&k->p, &k->q, &k->g, &k->x, &k->y, &k->z, &k->J, &k->xkey, &k->xseed, &k->h}) {
        pk::release(slot);
    }
    release_seed(k);
    mem::free_wiped(k->rand_seed, k->rand_seed == nullptr ? 0 : k->rand_seed_length);
    if (k->pool != nullptr) (void)bi::free_pool(k->pool);
    platform::secure_zero(k, sizeof *k);
}

Status set_params(KCDSA* k, const BIGINT* p, const BIGINT* q, const BIGINT* g, const BIGINT* x,
                  const BIGINT* y) noexcept {
    if (k == nullptr) return st(op::kSetParams, REASON_NULL_ARGUMENT);
    if (Status gate = core::pass_gate(); gate != kOk) return gate;
    if (p == nullptr || q == nullptr || g == nullptr) {
        return st(op::kSetParams, REASON_INVALID_ARGUMENT);
    }
    const Status memory = st(op::kSetParams, REASON_ALLOC_FAILED_B);
    // The new contents are made aside and installed only when complete: the arguments may be the
    // record's own integers, and a failure leaves the record as it was. A new pool comes with
    // them: key generation, which needs one, may follow Set directly.
    BIGINT_POOL* pool = bi::new_pool();
    std::array<BIGINT*, 5> made{};
    BIGINT *&new_p = made[0], *&new_q = made[1], *&new_g = made[2], *&new_x = made[3],
           *&new_y = made[4];
    bool installed = false;
    mem::ScopeExit discard([&] {
        if (installed) return;
        for (BIGINT*& n : made) pk::release(&n);
        if (pool != nullptr) (void)bi::free_pool(pool);
    });
    if (pool == nullptr) return memory;
    if (!pk::copy_all(made, std::array<const BIGINT*, 5>{p, q, g, x, y})) return memory;
    if (x != nullptr && y == nullptr) {
        bi::PoolFrame frame(pool);
        BIGINT* inverse = frame.take();
        if (inverse == nullptr) return memory;
        mem::ScopeExit wipe([&] { bi::clear(inverse); });
        if (pk::inverse_mod_prime(inverse, new_x, new_q, pool) != kOk) {
            return st(op::kSetParams, REASON_STEP_FAILED);
        }
        new_y = bi::new_bigint();
        if (new_y == nullptr) return memory;
        if (Status s =
                pk::exp_secret(new_y, new_g, inverse, bi::get_bits_length(new_q), new_p, pool);
            s != kOk) {
            return s;
        }
    }
    clean_kcdsa(k);
    k->pool = pool;
    k->p = new_p;
    k->q = new_q;
    k->g = new_g;
    k->x = new_x;
    k->y = new_y;
    installed = true;
    return kOk;
}

Status init_ex(KCDSA* k, std::uint32_t sign, std::uint32_t digest_id) noexcept {
    if (k == nullptr) return st(op::kInitEx, REASON_NULL_ARGUMENT);
    if (Status gate = core::pass_gate(); gate != kOk) return gate;
    if (core::is_proven()) {
        if ((sign != 0 && pk::byte_length(k->x) < kProvenMinX) ||
            (sign == 0 && pk::byte_length(k->y) < kProvenMinY)) {
            return st(op::kInitEx, REASON_UNSUPPORTED);
        }
        if (digest_id != ZLC_SHA224 && digest_id != ZLC_SHA256) {
            return st(op::kInitEx, REASON_NOT_APPROVED);
        }
    }
    if (Status s = bind_digest(k, digest_id, op::kInitEx); s != kOk) return s;
    k->sign = sign;
    return kOk;
}

Status init(KCDSA* k, std::uint32_t sign) noexcept {
    if (k == nullptr) return st(op::kInit, REASON_NULL_ARGUMENT);
    if (Status gate = core::pass_gate(); gate != kOk) return gate;
    if (Status s = bind_digest(k, ZLC_HAS160, op::kInit); s != kOk) return s;
    if (Status s = ready_prng(k); s != kOk) return s;
    k->sign = sign;
    return kOk;
}

Status update(KCDSA* k, const std::uint8_t* data, std::int32_t length) noexcept {
    if (k == nullptr || k->digest == nullptr || data == nullptr || length <= 0) {
        return st(op::kUpdate, REASON_NULL_ARGUMENT);
    }
    const std::int32_t block = k->digest->block_size;
    if (k->z == nullptr) {
        // z = y mod 2^(8 B): the last B bytes of y.
        if (k->y == nullptr) return st(op::kUpdate, REASON_STEP_FAILED);
        Minimal y(k->y);
        if (!y.buffer.ok()) return st(op::kUpdate, REASON_STEP_FAILED);
        const std::int32_t keep = std::min(y.length, block);
        k->z = bi::binary_to(y.buffer.data() + (y.length - keep), keep, nullptr);
        if (k->z == nullptr) return st(op::kUpdate, REASON_STEP_FAILED);
    }
    if (bi::is_zero(k->z)) return st(op::kUpdate, REASON_SUBTRACT_FAILED);
    pk::Buffer z(static_cast<std::size_t>(block));
    if (!z.ok()) return st(op::kUpdate, REASON_ALLOC_FAILED);
    (void)pk::write_fixed(k->z, z.data(), block);
    if (digest::update(k->digest, z.data(), block) != kOk ||
        digest::update(k->digest, data, length) != kOk) {
        return st(op::kUpdate, REASON_DIGEST_UPDATE_FAILED);
    }
    return kOk;
}

Status final(KCDSA* k, std::uint8_t* r, std::int32_t* r_length, std::uint8_t* s,
             std::int32_t* s_length) noexcept {
    if (k == nullptr || r == nullptr || r_length == nullptr || s == nullptr ||
        s_length == nullptr) {
        return st(op::kFinal, REASON_NULL_ARGUMENT);
    }
    if (k->sign != 0) {
        if (core::is_proven() && pk::byte_length(k->x) < kProvenMinX) {
            return st(op::kFinal, REASON_UNSUPPORTED);
        }
        return sign_core(k, nullptr, r, r_length, s, s_length);
    }
    if (core::is_proven() && pk::byte_length(k->y) < kProvenMinY) {
        return st(op::kFinal, REASON_UNSUPPORTED);
    }
    return verify_core(k, r, *r_length, s, *s_length);
}

Status sign_with_k(KCDSA* k, const BIGINT* nonce, std::uint8_t* r, std::int32_t* r_length,
                   std::uint8_t* s, std::int32_t* s_length) noexcept {
    if (k == nullptr || nonce == nullptr || r == nullptr || r_length == nullptr || s == nullptr ||
        s_length == nullptr) {
        return st(op::kFinal, REASON_NULL_ARGUMENT);
    }
    return sign_core(k, nonce, r, r_length, s, s_length);
}

Status generate_params_ex(KCDSA* k, std::uint32_t digest_id, std::int32_t pbits,
                          std::int32_t qbits) noexcept {
    if (Status gate = core::pass_gate(); gate != kOk) return gate;
    if (k == nullptr) return st(op::kGenerateParamsEx, REASON_NULL_ARGUMENT);
    if (Status s = check_ex_sizes(pbits, qbits); s != kOk) return s;
    return generate(k, ex_flavor(digest_id, pbits), pbits, qbits);
}

Status generate_params_with(KCDSA* k, std::uint32_t digest_id, std::int32_t pbits,
                            std::int32_t qbits, const std::uint8_t* seed,
                            std::int32_t count_limit) noexcept {
    if (Status gate = core::pass_gate(); gate != kOk) return gate;
    if (k == nullptr) return st(op::kGenerateParamsEx, REASON_NULL_ARGUMENT);
    if (Status s = check_ex_sizes(pbits, qbits); s != kOk) return s;
    Flavor f = ex_flavor(digest_id, pbits);
    f.count_limit = count_limit;
    f.fallback = false;
    f.seed = seed;
    return generate(k, f, pbits, qbits);
}

Status generate_params(KCDSA* k, std::int32_t pbits, std::int32_t qbits) noexcept {
    if (Status gate = core::pass_gate(); gate != kOk) return gate;
    if (k == nullptr) return st(op::kGenerateParams, REASON_NULL_ARGUMENT);
    if (pbits < 1024 || pbits > 2048 || pbits % 256 != 0 || qbits < 160 || qbits > 256 ||
        qbits % 32 != 0) {
        return st(op::kGenerateParams, REASON_UNSUPPORTED);
    }
    if (k->prng == nullptr) return st(op::kGenerateParams, REASON_GENERATOR_REFUSED);
    if (prng::init(k->prng, ZLC_HAS160, nullptr, 0, nullptr, 0, k->pool) != kOk) {
        return st(op::kGenerateParams, REASON_GENERATOR_REFUSED);
    }
    const bool large = pbits >= 2048;
    const Flavor f{op::kGenerateParams, ZLC_HAS160,  true, large ? 2 : 3, large ? 12 : 18,
                   large ? 2 : 3,       kCountLimit, true, nullptr};
    return generate(k, f, pbits, qbits);
}

Status generate_key_pair_ex(KCDSA* k, std::uint32_t digest_id) noexcept {
    if (k == nullptr) return st(op::kKeyPairEx, REASON_NULL_ARGUMENT);
    if (k->pool == nullptr) return st(op::kKeyPairEx, REASON_NO_POOL);
    bi::PoolFrame frame(k->pool);
    if (Status gate = core::pass_gate(); gate != kOk) return gate;
    if (k->p == nullptr || k->q == nullptr || k->g == nullptr) {
        return st(op::kKeyPairEx, REASON_NULL_ARGUMENT);
    }
    if (k->x == nullptr) k->x = bi::new_bigint();
    if (k->x == nullptr) return st(op::kKeyPairEx, REASON_ALLOC_FAILED_B);
    pk::release(&k->xkey);
    pk::release(&k->xseed);
    return keep_pair_if_ok(k, [&] {
        do {
            if (random_below(k, k->x, k->q, digest_id) != kOk) {
                return st(op::kKeyPairEx, REASON_RANDOM_FAILED);
            }
        } while (bi::is_zero(k->x));
        return finish_key_pair(k, frame, true, digest_id, op::kKeyPairEx);
    }());
}

Status generate_key_pair(KCDSA* k) noexcept {
    if (k == nullptr) return st(op::kKeyPair, REASON_NULL_ARGUMENT);
    if (k->pool == nullptr) return bi::st(bi::op::kStartPool, REASON_NULL_ARGUMENT);
    bi::PoolFrame frame(k->pool);
    if (Status gate = core::pass_gate(); gate != kOk) return gate;
    if (k->p == nullptr || k->q == nullptr || k->g == nullptr) {
        return st(op::kKeyPair, REASON_NULL_ARGUMENT);
    }
    if (k->x == nullptr) k->x = bi::new_bigint();
    if (k->x == nullptr) return st(op::kKeyPair, REASON_ALLOC_FAILED_B);
    if (ready_prng(k) != kOk) return st(op::kKeyPair, REASON_GENERATOR_REFUSED);
    return keep_pair_if_ok(k, [&] {
        do {
            if (prng::get_rand_dsa_bigint(k->prng, k->x, k->q) != kOk) {
                return st(op::kKeyPair, REASON_RANDOM_FAILED);
            }
        } while (bi::is_zero(k->x));
        return finish_key_pair(k, frame, false, ZLC_HAS160, op::kKeyPair);
    }());
}

std::int32_t get_length(const KCDSA* k) noexcept {
    if (k == nullptr || core::pass_gate() != kOk || k->q == nullptr) return 0;
    return pk::byte_length(k->q);
}

}  // namespace zlc::kcdsa

extern "C" {

ZLC_API KCDSA* ZLC_New_KCDSA(void) ZLC_NOEXCEPT {
    return zlc::kcdsa::new_kcdsa();
}
ZLC_API void ZLC_Free_KCDSA(KCDSA* kcdsa) ZLC_NOEXCEPT {
    zlc::kcdsa::free_kcdsa(kcdsa);
}
ZLC_API void ZLC_Clean_KCDSA(KCDSA* kcdsa) ZLC_NOEXCEPT {
    zlc::kcdsa::clean_kcdsa(kcdsa);
}
ZLC_API uint32_t ZLC_Set_KCDSA_Params(KCDSA* kcdsa, const BIGINT* p, const BIGINT* q,
                                      const BIGINT* g, const BIGINT* x,
                                      const BIGINT* y) ZLC_NOEXCEPT {
    return zlc::kcdsa::set_params(kcdsa, p, q, g, x, y);
}
ZLC_API uint32_t ZLC_Init_KCDSA_Ex(KCDSA* kcdsa, uint32_t sign, uint32_t digest_id) ZLC_NOEXCEPT {
    return zlc::kcdsa::init_ex(kcdsa, sign, digest_id);
}
ZLC_API uint32_t ZLC_Init_KCDSA(KCDSA* kcdsa, uint32_t sign) ZLC_NOEXCEPT {
    return zlc::kcdsa::init(kcdsa, sign);
}
ZLC_API uint32_t ZLC_Update_KCDSA(KCDSA* kcdsa, const uint8_t* data, int32_t length) ZLC_NOEXCEPT {
    return zlc::kcdsa::update(kcdsa, data, length);
}
ZLC_API uint32_t ZLC_Final_KCDSA(KCDSA* kcdsa, uint8_t* R, int32_t* R_length, uint8_t* S,
                                 int32_t* S_length) ZLC_NOEXCEPT {
    return zlc::kcdsa::final(kcdsa, R, R_length, S, S_length);
}
ZLC_API uint32_t ZLC_Generate_KCDSA_Params_Ex(KCDSA* kcdsa, uint32_t digest_id, int32_t pbits,
                                              int32_t qbits) ZLC_NOEXCEPT {
    return zlc::kcdsa::generate_params_ex(kcdsa, digest_id, pbits, qbits);
}
ZLC_API uint32_t ZLC_Generate_KCDSA_Params(KCDSA* kcdsa, int32_t pbits,
                                           int32_t qbits) ZLC_NOEXCEPT {
    return zlc::kcdsa::generate_params(kcdsa, pbits, qbits);
}
ZLC_API uint32_t ZLC_Generate_KCDSA_Key_Pair_Ex(KCDSA* kcdsa, uint32_t digest_id) ZLC_NOEXCEPT {
    return zlc::kcdsa::generate_key_pair_ex(kcdsa, digest_id);
}
ZLC_API uint32_t ZLC_Generate_KCDSA_Key_Pair(KCDSA* kcdsa) ZLC_NOEXCEPT {
    return zlc::kcdsa::generate_key_pair(kcdsa);
}
ZLC_API int32_t ZLC_Get_KCDSA_Length(const KCDSA* kcdsa) ZLC_NOEXCEPT {
    return zlc::kcdsa::get_length(kcdsa);
}

}  // extern "C"
