// MGF1 (RFC 8017 B.2.1): Hash(seed || counter) for counters 0, 1, 2, ..., cut to the length.
#include <cstring>

#include "crypto/core/bytes.h"
#include "crypto/core/memory.h"
#include "crypto/digest/digest.h"
#include "crypto/pk/rsa.h"
#include "crypto/platform/secure_zero.h"

namespace zlc::rsa {
namespace {

constexpr Status kMgf1Alloc = st(op::kMgf1, REASON_ALLOC_FAILED);

// Runs the mask over out: copied in, or XORed into what out holds.
Status mask(std::uint32_t digest_id, std::uint8_t* out, std::int32_t out_length,
            const std::uint8_t* seed, std::int32_t seed_length, bool xor_into) {
    if (digest::get_length(digest_id) <= 0) digest_id = ZLC_SHA1;
    DIGEST_UNIT* unit = digest::new_unit();
    if (unit == nullptr) return kMgf1Alloc;
    std::uint8_t block[ZLC_DIGEST_MAX_LENGTH];
    mem::ScopeExit release([unit, &block] {
        platform::secure_zero(block, sizeof block);
        digest::free_unit(unit);
    });
    if (const Status s = digest::init(unit, digest_id); s != kOk) return s;
    const std::int32_t h_length = unit->digest_length;
    std::uint8_t counter[4];
    for (std::int32_t done = 0, i = 0; done < out_length; done += h_length, ++i) {
        store_be32(counter, static_cast<std::uint32_t>(i));
        if (const Status s = digest::update(unit, seed, seed_length); s != kOk) return s;
        if (const Status s = digest::update(unit, counter, 4); s != kOk) return s;
        if (const Status s = digest::final(unit, block, nullptr); s != kOk) return s;
        const std::int32_t take = out_length - done < h_length ? out_length - done : h_length;
        if (xor_into) {
            for (std::int32_t j = 0; j < take; ++j) out[done + j] ^= block[j];
        } else {
            std::memcpy(out + done, block, static_cast<std::size_t>(take));
        }
    }
    return kOk;
}

}  // namespace

Status mgf1(std::uint32_t digest_id, std::uint8_t* out, std::int32_t out_length,
            const std::uint8_t* seed, std::int32_t seed_length) noexcept {
    return mask(digest_id, out, out_length, seed, seed_length, false);
}

Status mgf1_xor(std::uint32_t digest_id, std::uint8_t* out, std::int32_t out_length,
                const std::uint8_t* seed, std::int32_t seed_length) noexcept {
    return mask(digest_id, out, out_length, seed, seed_length, true);
}

}  // namespace zlc::rsa
