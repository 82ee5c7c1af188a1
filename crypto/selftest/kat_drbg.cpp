// Known-answer test of the Hash_DRBG with prediction resistance (SP 800-90A 10.1.1), on a private
// instance: the saved generator state is never touched.
#include <cstdint>

#include "crypto/core/memory.h"
#include "crypto/core/module_state.h"
#include "crypto/rand/drbg.h"
#include "crypto/selftest/kat_data.h"
#include "crypto/selftest/kat_vectors.h"

namespace zlc::selftest {
namespace {

using rand::DRBG_INSTANCE;

constexpr bool outputs_fit() {
    for (const DrbgVector& v : vectors::kDrbg) {
        if (v.expected.size() > rand::kDrbgMaxBlockLength) return false;
    }
    return true;
}
static_assert(outputs_fit());

std::int32_t length_of(Bytes b) {
    return static_cast<std::int32_t>(b.size());
}

}  // namespace

Status KatDrbg() noexcept {
    constexpr Status kFailed = kat_failure(KatId::Drbg);
    Owned<DRBG_INSTANCE, rand::DrbgFree> drbg(rand::DrbgNew());
    if (drbg == nullptr) return kFailed;
    DRBG_INSTANCE* d = drbg.get();
    std::uint8_t out[rand::kDrbgMaxBlockLength];
    mem::WipeOnExit wipe(out);
    std::size_t offset = 0;
    for (const DrbgVector& v : vectors::kDrbg) {
        if (core::pass_gate() != kOk) return kFailed;
        d->algorithm = v.digest;
        d->prediction_resistance = 1;
        if (rand::DrbgParams(d) != kOk) return kFailed;
        d->input->level = 3;
        if (rand::DrbgSetInputs(d, v.entropy.data(), length_of(v.entropy), v.nonce.data(),
                                length_of(v.nonce), v.personalization.data(),
                                length_of(v.personalization)) != kOk ||
            rand::DrbgInstantiate(d, d->security_strength) != kOk) {
            return kFailed;
        }
        const std::int32_t length = length_of(v.expected);
        // With prediction resistance each generate reseeds first, from the inputs set before it.
        if (rand::DrbgSetReseedInputs(d, v.additional1.data(), length_of(v.additional1),
                                      v.reseed_entropy1.data(),
                                      length_of(v.reseed_entropy1)) != kOk ||
            rand::DrbgGenerate(d, out, length) != kOk ||
            rand::DrbgSetReseedInputs(d, v.additional2.data(), length_of(v.additional2),
                                      v.reseed_entropy2.data(),
                                      length_of(v.reseed_entropy2)) != kOk ||
            rand::DrbgGenerate(d, out, length) != kOk) {
            return kFailed;
        }
        if (!matches_expected(KatId::Drbg, offset, out, v.expected)) return kFailed;
        offset += v.expected.size();
        rand::DrbgWipe(d);
    }
    return kOk;
}

}  // namespace zlc::selftest
