// Known-answer test of KCDSA (TTAK.KO-12.0001/R4) verification: published signatures over 2048-bit
// p with SHA-224 and SHA-256 verify.
#include <cstdint>
#include <initializer_list>

#include "crypto/bigint/bigint.h"
#include "crypto/pk/kcdsa.h"
#include "crypto/selftest/kat_data.h"
#include "crypto/selftest/kat_vectors.h"

namespace zlc::selftest {
namespace {

using Integer = Owned<BIGINT, bigint::free>;

constexpr std::size_t kMaxPart = 32;

constexpr bool signatures_fit() {
    for (const KcdsaVector& v : vectors::kKcdsa) {
        if (v.r.size() > kMaxPart || v.s.size() > kMaxPart) return false;
    }
    return true;
}
static_assert(signatures_fit());

bool load(Bytes b, BIGINT* target) {
    return bigint::binary_to(b.data(), static_cast<std::int32_t>(b.size()), target) != nullptr;
}

}  // namespace

Status KatKcdsa() noexcept {
    constexpr Status kFailed = kat_failure(KatId::Kcdsa);
    Owned<KCDSA, kcdsa::free_kcdsa> record(kcdsa::new_kcdsa());
    Integer p(bigint::new_bigint()), q(bigint::new_bigint()), g(bigint::new_bigint()),
        x(bigint::new_bigint()), y(bigint::new_bigint());
    if (record == nullptr || p == nullptr || q == nullptr || g == nullptr || x == nullptr ||
        y == nullptr) {
        return kFailed;
    }
    std::uint8_t r[kMaxPart];
    std::uint8_t s[kMaxPart];
    std::size_t offset = 0;
    for (const KcdsaVector& v : vectors::kKcdsa) {
        KCDSA* k = record.get();
        // r and s as the verification is given them: the expected bytes of this test.
        copy_expected(KatId::Kcdsa, offset, v.r, r);
        copy_expected(KatId::Kcdsa, offset + v.r.size(), v.s, s);
        offset += v.r.size() + v.s.size();
        auto r_length = static_cast<std::int32_t>(v.r.size());
        auto s_length = static_cast<std::int32_t>(v.s.size());
        const bool verified =
            load(v.p, p.get()) && load(v.q, q.get()) && load(v.g, g.get()) && load(v.x, x.get()) &&
            load(v.y, y.get()) &&
            kcdsa::set_params(k, p.get(), q.get(), g.get(), x.get(), y.get()) == kOk &&
            kcdsa::init_ex(k, 0, v.digest) == kOk &&
            kcdsa::update(k, v.message.data(), static_cast<std::int32_t>(v.message.size())) ==
                kOk &&
            kcdsa::final(k, r, &r_length, s, &s_length) == kOk;
        for (BIGINT* n : {p.get(), q.get(), g.get(), x.get(), y.get()}) bigint::clear(n);
        kcdsa::clean_kcdsa(k);
        if (!verified) return kFailed;
    }
    return kOk;
}

}  // namespace zlc::selftest
