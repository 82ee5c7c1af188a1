#pragma once
// The RSA test key of the two RSA known-answer tests, loaded into a new record.
#include "crypto/bigint/bigint.h"
#include "crypto/pk/rsa.h"
#include "crypto/selftest/kat_data.h"

namespace zlc::selftest {

using RsaRecord = Owned<rsa::RSA, rsa::free_rsa>;

// A new record holding e, d, n, p and q (its `parts` still 0), or null. Releasing the record
// clears its pool and wipes the key.
inline RsaRecord load_rsa_key(const RsaKey& key) noexcept {
    RsaRecord rsa(rsa::new_rsa());
    if (rsa == nullptr || rsa->pool == nullptr) return nullptr;
    const auto load = [](Bytes b) {
        return bigint::binary_to(b.data(), static_cast<std::int32_t>(b.size()), nullptr);
    };
    rsa->e = load(key.e);
    rsa->d = load(key.d);
    rsa->n = load(key.n);
    rsa->p = load(key.p);
    rsa->q = load(key.q);
    if (rsa->e == nullptr || rsa->d == nullptr || rsa->n == nullptr || rsa->p == nullptr ||
        rsa->q == nullptr) {
        return nullptr;
    }
    return rsa;
}

// The private steps need n, e and d: the private operation blinds with e and checks its result
// with e before releasing it.
inline constexpr std::int32_t kPublicParts = ZLC_RSA_PART_N | ZLC_RSA_PART_E;
inline constexpr std::int32_t kPrivateParts = kPublicParts | ZLC_RSA_PART_D;

}  // namespace zlc::selftest
