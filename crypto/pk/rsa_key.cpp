// The RSA record: life cycle, keys, the blinding pair and the key consistency check.
#include <array>
#include <initializer_list>

#include "crypto/bigint/bigint.h"
#include "crypto/bigint/modular.h"
#include "crypto/core/memory.h"
#include "crypto/core/module_state.h"
#include "crypto/digest/digest.h"
#include "crypto/pk/rsa.h"
#include "crypto/rand/drbg.h"

namespace zlc::rsa {
namespace {

constexpr Status kSetNoModulus = st(op::kSetParams, REASON_INVALID_ARGUMENT);
constexpr Status kSetNull = st(op::kSetParams, REASON_NULL_ARGUMENT);
constexpr Status kSetFailed = st(op::kSetParams, REASON_STEP_FAILED);
constexpr Status kSetPublicMissing = st(op::kSetPublicParams, REASON_INVALID_ARGUMENT);
constexpr Status kSetPublicFailed = st(op::kSetPublicParams, REASON_STEP_FAILED);

// The eight key integers, in the order the record holds them.
std::array<BIGINT**, 8> key_fields(RSA* rsa) {
    return {&rsa->e, &rsa->d, &rsa->n, &rsa->p, &rsa->dp, &rsa->q, &rsa->dq, &rsa->qinv};
}

void release(BIGINT*& n) {
    if (n != nullptr) (void)bigint::free(n);
    n = nullptr;
}

// *slot = a copy of value.
bool store(BIGINT*& slot, const BIGINT* value) {
    if (slot == nullptr) slot = bigint::new_bigint();
    return slot != nullptr && bigint::copy(slot, value) == kOk;
}

bool present(const BIGINT* n) {
    return n != nullptr;
}

}  // namespace

std::uint32_t with_mgf1_default(std::uint32_t encoding, std::uint32_t digest_id) noexcept {
    if (digest::get_length(encoding & kMgf1Mask) <= 0) encoding ^= digest_id;
    return encoding;
}

std::int32_t modulus_bits(const RSA* rsa) noexcept {
    if (rsa == nullptr || rsa->n == nullptr) return 0;
    return bigint::get_bits_length(rsa->n);
}

std::int32_t modulus_bytes(const RSA* rsa) noexcept {
    return (modulus_bits(rsa) + 7) / 8;
}

bool has_public(const RSA* rsa) noexcept {
    constexpr std::int32_t need = ZLC_RSA_PART_N | ZLC_RSA_PART_E;
    return (rsa->parts & need) == need && modulus_bits(rsa) > 0;
}

bool has_private(const RSA* rsa) noexcept {
    // e too: blinding and the check of every result need it.
    if (!has_public(rsa)) return false;
    return (rsa->parts & ZLC_RSA_PART_D) != 0 || (rsa->parts & ZLC_RSA_PART_CRT) != 0;
}

RSA* new_rsa() noexcept {
    RSA* rsa = mem::alloc_record<RSA>();
    if (rsa == nullptr) return nullptr;
    rsa->pool = bigint::new_pool();
    rsa->use_crt = 1;
    return rsa;
}

void clean(RSA* rsa) noexcept {
    if (rsa == nullptr) return;
    for (BIGINT** field : key_fields(rsa)) release(*field);
    release(rsa->blind);
    release(rsa->blind_inv);
    if (rsa->digest != nullptr) digest::free_unit(rsa->digest);
    rsa->digest = nullptr;
    rsa->parts = 0;
}

void free_rsa(RSA* rsa) noexcept {
    if (rsa == nullptr) return;
    clean(rsa);
    if (rsa->pool != nullptr) (void)bigint::free_pool(rsa->pool);
    rsa->pool = nullptr;
    mem::free_record(rsa);
}

RSA* dup(const RSA* rsa) noexcept {
    if (rsa == nullptr) return nullptr;
    RSA* copy = new_rsa();
    if (copy == nullptr) return nullptr;
    if (copy->pool == nullptr) {
        free_rsa(copy);
        return nullptr;
    }
    copy->encoding = rsa->encoding;
    copy->parts = rsa->parts;
    copy->private_side = rsa->private_side;
    copy->use_crt = rsa->use_crt;
    auto from = key_fields(const_cast<RSA*>(rsa));
    auto to = key_fields(copy);
    for (std::size_t i = 0; i < from.size(); ++i) {
        if (*from[i] != nullptr && !store(*to[i], *from[i])) {
            free_rsa(copy);
            return nullptr;
        }
    }
    return copy;
}

Status setup_blinding(RSA* rsa) noexcept {
    if (rsa->n == nullptr || rsa->e == nullptr || rsa->pool == nullptr) return kSetFailed;
    if (rsa->blind == nullptr) rsa->blind = bigint::new_bigint();
    if (rsa->blind_inv == nullptr) rsa->blind_inv = bigint::new_bigint();
    if (rsa->blind == nullptr || rsa->blind_inv == nullptr) return kSetFailed;
    bigint::PoolFrame frame(rsa->pool);
    BIGINT *t = nullptr, *r = nullptr;
    if (!frame.take_all(t, r)) return kSetFailed;
    if (bigint::copy(t, rsa->n) != kOk || bigint::sub_word(t, 1) != kOk) return kSetFailed;
    const std::int32_t bits = bigint::get_bits_length(t);
    // 0 < r < n - 1.
    do {
        if (rand::get_rand_ex(r, bits) != kOk) return kSetFailed;
    } while (bigint::is_zero(r) || bigint::cmp(r, t) >= 0);
    if (bigint::mod_exp_mont(rsa->blind, r, rsa->e, rsa->n, rsa->pool) != kOk ||
        bigint::mod_inverse(rsa->blind_inv, r, rsa->n, rsa->pool) != kOk) {
        bigint::clear(rsa->blind);
        bigint::clear(rsa->blind_inv);
        bigint::clear(r);
        return kSetFailed;
    }
    bigint::clear(r);
    return kOk;
}

bool key_consistent(RSA* rsa) noexcept {
    if (rsa->p == nullptr || rsa->q == nullptr || rsa->n == nullptr || rsa->e == nullptr ||
        rsa->d == nullptr)
        return true;
    BIGINT_POOL* pool = rsa->pool;
    bigint::PoolFrame frame(pool);
    BIGINT *p1 = nullptr, *q1 = nullptr, *phi = nullptr, *ed = nullptr, *g = nullptr,
           *lambda = nullptr;
    if (!frame.take_all(p1, q1, phi, ed, g, lambda)) return false;
    const bool wiped_ok = [&] {
        if (bigint::copy(p1, rsa->p) != kOk || bigint::sub_word(p1, 1) != kOk ||
            bigint::copy(q1, rsa->q) != kOk || bigint::sub_word(q1, 1) != kOk ||
            bigint::mtp(phi, p1, q1, pool) != kOk || bigint::mtp(ed, rsa->e, rsa->d, pool) != kOk)
            return false;
        if (bigint::div(nullptr, g, ed, phi, pool) == kOk &&
            bigint::cmp(g, bigint::value_one()) == 0)
            return true;
        // Keys whose d is taken modulo lcm(p - 1, q - 1).
        if (bigint::gcd(g, pool, p1, q1) != kOk ||
            bigint::div(lambda, nullptr, phi, g, pool) != kOk ||
            bigint::div(nullptr, g, ed, lambda, pool) != kOk)
            return false;
        return bigint::cmp(g, bigint::value_one()) == 0;
    }();
    for (BIGINT* t : {p1, q1, phi, ed, g, lambda}) bigint::clear(t);
    return wiped_ok;
}

Status set_params(RSA* rsa, const BIGINT* n, const BIGINT* e, const BIGINT* d, const BIGINT* p,
                  const BIGINT* q, const BIGINT* dp, const BIGINT* dq,
                  const BIGINT* qinv) noexcept {
    if (const Status gate = core::pass_gate(); gate != kOk) return gate;
    if (rsa == nullptr) return kSetNull;
    if (n == nullptr) return kSetNoModulus;
    const bool crt = present(p) && present(q) && present(dp) && present(dq) && present(qinv);
    const bool private_part = d != nullptr || crt;
    // Blinding needs e: refuse before the record loses its current key.
    if (private_part && e == nullptr) return kSetFailed;
    // Copies first: the arguments may be the record's own integers.
    std::array<const BIGINT*, 8> given{e, d, n, p, dp, q, dq, qinv};
    if (!crt) given[3] = given[4] = given[5] = given[6] = given[7] = nullptr;
    std::array<BIGINT*, 8> copies{};
    bool ok = true;
    for (std::size_t i = 0; i < given.size(); ++i) {
        if (given[i] != nullptr) ok = ok && store(copies[i], given[i]);
    }
    if (!ok) {
        for (BIGINT*& c : copies) release(c);
        return kSetFailed;
    }
    clean(rsa);
    auto fields = key_fields(rsa);
    for (std::size_t i = 0; i < fields.size(); ++i) *fields[i] = copies[i];
    rsa->parts = ZLC_RSA_PART_N | (e != nullptr ? ZLC_RSA_PART_E : 0) |
                 (d != nullptr ? ZLC_RSA_PART_D : 0) | (crt ? ZLC_RSA_PART_CRT : 0);
    if (private_part && setup_blinding(rsa) != kOk) {
        clean(rsa);
        return kSetFailed;
    }
    return kOk;
}

Status set_public_params(RSA* rsa, const BIGINT* n, const BIGINT* e) noexcept {
    if (const Status gate = core::pass_gate(); gate != kOk) return gate;
    if (rsa == nullptr || n == nullptr || e == nullptr) return kSetPublicMissing;
    BIGINT *n_copy = nullptr, *e_copy = nullptr;
    if (!store(n_copy, n) || !store(e_copy, e)) {
        release(n_copy);
        release(e_copy);
        return kSetPublicFailed;
    }
    clean(rsa);
    rsa->private_side = 0;
    rsa->n = n_copy;
    rsa->e = e_copy;
    rsa->parts = ZLC_RSA_PART_N | ZLC_RSA_PART_E;
    return kOk;
}

std::int32_t get_length(const RSA* rsa) noexcept {
    if (core::pass_gate() != kOk) return 0;
    return modulus_bytes(rsa);
}

}  // namespace zlc::rsa

extern "C" {

ZLC_API RSA* ZLC_New_RSA(void) ZLC_NOEXCEPT {
    return zlc::rsa::new_rsa();
}

ZLC_API void ZLC_Free_RSA(RSA* rsa) ZLC_NOEXCEPT {
    zlc::rsa::free_rsa(rsa);
}

ZLC_API void ZLC_Clean_RSA(RSA* rsa) ZLC_NOEXCEPT {
    zlc::rsa::clean(rsa);
}

ZLC_API RSA* ZLC_Dup_RSA(const RSA* rsa) ZLC_NOEXCEPT {
    return zlc::rsa::dup(rsa);
}

ZLC_API uint32_t ZLC_Set_RSA_Params(RSA* rsa, const BIGINT* n, const BIGINT* e, const BIGINT* d,
                                    const BIGINT* p, const BIGINT* q, const BIGINT* dp,
                                    const BIGINT* dq, const BIGINT* qinv) ZLC_NOEXCEPT {
    return zlc::rsa::set_params(rsa, n, e, d, p, q, dp, dq, qinv);
}

ZLC_API uint32_t ZLC_Set_RSA_Public_Params(RSA* rsa, const BIGINT* n,
                                           const BIGINT* e) ZLC_NOEXCEPT {
    return zlc::rsa::set_public_params(rsa, n, e);
}

ZLC_API int32_t ZLC_Get_RSA_Length(const RSA* rsa) ZLC_NOEXCEPT {
    return zlc::rsa::get_length(rsa);
}

}  // extern "C"
