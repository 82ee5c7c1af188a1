// RSASSA-PSS (RFC 8017 8.1) check: a fresh signature under the test key verifies.
#include <cstdint>

#include "crypto/selftest/kat_rsa_key.h"
#include "crypto/selftest/kat_vectors.h"

namespace zlc::selftest {
namespace {

struct Run {
    std::uint32_t digest;
    std::uint32_t encoding;  // PSS, salt as long as the digest, MGF1 with the message digest
};
constexpr Run kRuns[] = {{ZLC_SHA224, 0x051C0202u}, {ZLC_SHA256, 0x05200302u}};

constexpr std::int32_t kSignatureRoom = 512;
static_assert(sizeof(vectors::kRsassaMessage) == 128);

}  // namespace

Status KatRsassa() noexcept {
    constexpr Status kFailed = kat_failure(KatId::Rsassa);
    const RsaRecord rsa = load_rsa_key(vectors::kRsassaKey);
    if (rsa == nullptr) return kFailed;
    const Bytes message = vectors::kRsassaMessage;
    constexpr auto kMessageLength = static_cast<std::int32_t>(sizeof(vectors::kRsassaMessage));
    // The message as the verification is given it: the expected bytes of this test.
    std::uint8_t verified[kMessageLength];
    copy_expected(KatId::Rsassa, 0, message, verified);
    std::uint8_t signature[kSignatureRoom];
    for (const Run& run : kRuns) {
        std::int32_t length = kSignatureRoom;
        rsa->parts = kPrivateParts;
        if (rsa::init_rsassa(rsa.get(), run.digest, run.encoding, 1) != kOk) return kFailed;
        DIGEST_UNIT* digest = rsa->digest;
        if (digest == nullptr ||
            digest->update(digest->state, message.data(), kMessageLength) != kOk ||
            rsa::final_rsassa(rsa.get(), signature, &length) != kOk) {
            return kFailed;
        }
        rsa->parts = kPublicParts;
        if (rsa::init_rsassa(rsa.get(), run.digest, run.encoding, 0) != kOk ||
            rsa::update_rsassa(rsa.get(), verified, kMessageLength) != kOk ||
            rsa::final_rsassa(rsa.get(), signature, &length) != kOk) {
            return kFailed;
        }
    }
    return kOk;
}

}  // namespace zlc::selftest
