// Known-answer test of SHA-224 to SHA-512 (FIPS 180-4), through a digest unit's own routines.
#include <cstdint>

#include "crypto/digest/digest.h"
#include "crypto/platform/secure_zero.h"
#include "crypto/selftest/kat_data.h"
#include "crypto/selftest/kat_vectors.h"

namespace zlc::selftest {

Status KatDigest() noexcept {
    constexpr Status kFailed = kat_failure(KatId::Digest);
    std::uint8_t out[ZLC_DIGEST_MAX_LENGTH] = {};
    std::size_t offset = 0;
    for (const DigestVector& v : vectors::kDigest) {
        Owned<DIGEST_UNIT, digest::free_unit> unit(digest::new_unit());
        if (unit == nullptr || digest::init(unit.get(), v.digest) != kOk) return kFailed;
        DIGEST_UNIT* u = unit.get();
        if (u->digest_length != static_cast<std::int32_t>(v.expected.size()) ||
            u->update(u->state, v.message.data(), static_cast<std::uint32_t>(v.message.size())) !=
                kOk ||
            u->final(u->state, out) != kOk || u->init(u->state) != kOk) {
            return kFailed;
        }
        const bool same = matches_expected(KatId::Digest, offset, out, v.expected);
        platform::secure_zero(out, v.expected.size());
        if (!same) return kFailed;
        offset += v.expected.size();
        digest::clean_unit(u);
    }
    return kOk;
}

}  // namespace zlc::selftest
