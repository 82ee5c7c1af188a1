// Known-answer test of HMAC (FIPS 198-1) with SHA-224 to SHA-512, on truncated MACs.
#include <cstdint>

#include "crypto/core/memory.h"
#include "crypto/digest/hmac.h"
#include "crypto/selftest/kat_data.h"
#include "crypto/selftest/kat_vectors.h"

namespace zlc::selftest {

Status KatHmac() noexcept {
    constexpr Status kFailed = kat_failure(KatId::Hmac);
    std::uint8_t mac[ZLC_DIGEST_MAX_LENGTH];
    mem::WipeOnExit wipe(mac);
    std::size_t offset = 0;
    for (const HmacVector& v : vectors::kHmac) {
        Owned<HMAC_UNIT, hmac::free_unit> unit(hmac::new_unit());
        if (unit == nullptr) return kFailed;
        hmac::clean_unit(unit.get());
        std::int32_t length = 0;
        if (hmac::init(unit.get(), v.digest, v.key.data(),
                       static_cast<std::int32_t>(v.key.size())) != kOk ||
            hmac::update(unit.get(), v.message.data(),
                         static_cast<std::int32_t>(v.message.size())) != kOk ||
            hmac::final(unit.get(), mac, &length) != kOk ||
            length < static_cast<std::int32_t>(v.expected.size())) {
            return kFailed;
        }
        if (!matches_expected(KatId::Hmac, offset, mac, v.expected)) return kFailed;
        offset += v.expected.size();
        hmac::clean_unit(unit.get());
    }
    return kOk;
}

}  // namespace zlc::selftest
