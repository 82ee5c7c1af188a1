// RSAEP/RSADP (RFC 8017 5.1): the public exponentiation and the private one with blinding, the
// CRT shortcut (Garner) and a check of every private result with e before it leaves.
#include <algorithm>
#include <initializer_list>

#include "crypto/bigint/bigint.h"
#include "crypto/bigint/modular.h"
#include "crypto/pk/rsa.h"

namespace zlc::rsa {
namespace {

using bigint::PoolFrame;

// Secret exponents go through the constant-time exponentiation, scanned over the full width of
// their modulus so that their own length does not show either.
bool secret_exp(BIGINT* r, const BIGINT* a, const BIGINT* e, const BIGINT* m, BIGINT_POOL* pool) {
    return bigint::mod_exp_mont_consttime(r, a, e, bigint::get_bits_length(m), m, pool) == kOk;
}

bool crt_available(const RSA* rsa) {
    return rsa->use_crt != 0 && (rsa->parts & ZLC_RSA_PART_CRT) != 0 && rsa->p != nullptr &&
           rsa->q != nullptr && rsa->dp != nullptr && rsa->dq != nullptr && rsa->qinv != nullptr;
}

// r = c^d mod n from m1 = c^dp mod p, m2 = c^dq mod q: r = ((m1 - m2) qinv mod p) q + m2.
bool crt_exp(const RSA* rsa, BIGINT* r, const BIGINT* c, BIGINT_POOL* pool) {
    PoolFrame frame(pool);
    BIGINT *cp = nullptr, *cq = nullptr, *m1 = nullptr, *m2 = nullptr, *h = nullptr;
    if (!frame.take_all(cp, cq, m1, m2, h)) return false;
    // Both halves at once on one scan length, as constant-time as each alone.
    const std::int32_t scan_bits =
        std::max(bigint::get_bits_length(rsa->p), bigint::get_bits_length(rsa->q));
    const bool ok = bigint::div(nullptr, cp, c, rsa->p, pool) == kOk &&
                    bigint::div(nullptr, cq, c, rsa->q, pool) == kOk &&
                    bigint::mod_exp_mont_consttime_x2(m1, cp, rsa->dp, rsa->p, m2, cq, rsa->dq,
                                                      rsa->q, scan_bits, pool) == kOk &&
                    bigint::mod_sub(h, m1, m2, rsa->p, pool) == kOk &&
                    bigint::mod_mtp(h, h, rsa->qinv, rsa->p, pool) == kOk &&
                    bigint::mtp(r, h, rsa->q, pool) == kOk && bigint::add(r, r, m2) == kOk;
    for (BIGINT* t : {cp, cq, m1, m2, h}) bigint::clear(t);
    return ok;
}

}  // namespace

bool public_op(const RSA* rsa, BIGINT* out, const BIGINT* in) noexcept {
    return bigint::mod_exp_mont(out, in, rsa->e, rsa->n, rsa->pool) == kOk;
}

bool private_op(RSA* rsa, BIGINT* out, const BIGINT* in, bool crt_hint) noexcept {
    if (rsa->blind == nullptr || rsa->blind_inv == nullptr || bigint::is_zero(rsa->blind_inv)) {
        if (setup_blinding(rsa) != kOk) return false;
    }
    BIGINT_POOL* pool = rsa->pool;
    PoolFrame frame(pool);
    BIGINT *x = nullptr, *y = nullptr, *check = nullptr;
    if (!frame.take_all(x, y, check)) return false;
    const bool has_d = (rsa->parts & ZLC_RSA_PART_D) != 0 && rsa->d != nullptr;
    bool ok = bigint::mod_mtp(x, in, rsa->blind, rsa->n, pool) == kOk;
    if (ok) {
        const bool crt = crt_available(rsa) &&
                         (!has_d || (crt_hint && bigint::get_bits_length(x) >
                                                     bigint::get_bits_length(rsa->qinv) + 8));
        if (crt) {
            ok = crt_exp(rsa, y, x, pool);
        } else {
            ok = has_d && secret_exp(y, x, rsa->d, rsa->n, pool);
        }
    }
    // A faulty private result would give away a factor of n: it leaves only once y^e = x.
    ok = ok && public_op(rsa, check, y) && bigint::cmp(check, x) == 0 &&
         bigint::mod_mtp(out, y, rsa->blind_inv, rsa->n, pool) == kOk;
    // Each blinded value is used once: the next operation gets (r^2)^e and r^-2.
    const bool renewed =
        bigint::mod_mtp(rsa->blind, rsa->blind, rsa->blind, rsa->n, pool) == kOk &&
        bigint::mod_mtp(rsa->blind_inv, rsa->blind_inv, rsa->blind_inv, rsa->n, pool) == kOk;
    if (!renewed) {
        bigint::clear(rsa->blind);
        bigint::clear(rsa->blind_inv);
    }
    for (BIGINT* t : {x, y, check}) bigint::clear(t);
    return ok;
}

}  // namespace zlc::rsa
