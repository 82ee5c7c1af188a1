// RSAES-OAEP (RFC 8017 7.1) check: a fresh encryption under the test key decrypts to the message.
#include <cstdint>

#include "crypto/core/memory.h"
#include "crypto/selftest/kat_rsa_key.h"
#include "crypto/selftest/kat_vectors.h"

namespace zlc::selftest {
namespace {

struct Run {
    std::uint32_t encoding;  // OAEP in k bytes, with its MGF1 digest
    std::uint32_t digest;
};
constexpr Run kRuns[] = {{0x05000210u, ZLC_SHA224}, {0x05000310u, ZLC_SHA256}};

constexpr std::int32_t kModulusBytes = 256;
static_assert(sizeof(vectors::kRsaesMessage) == 62);

}  // namespace

Status KatRsaes() noexcept {
    constexpr Status kFailed = kat_failure(KatId::Rsaes);
    const RsaRecord rsa = load_rsa_key(vectors::kRsaesKey);
    if (rsa == nullptr) return kFailed;
    const Bytes message = vectors::kRsaesMessage;
    const auto message_length = static_cast<std::int32_t>(message.size());
    std::uint8_t ciphertext[kModulusBytes];
    std::uint8_t decrypted[kModulusBytes];
    mem::WipeOnExit wipe(decrypted);
    for (const Run& run : kRuns) {
        std::int32_t ciphertext_length = 0, decrypted_length = 0;
        rsa->parts = kPublicParts;
        if (rsa::init_rsaes(rsa.get(), run.encoding, 0, run.digest) != kOk ||
            rsa::encrypt_rsaes(rsa.get(), ciphertext, &ciphertext_length, message.data(),
                               message_length) != kOk ||
            ciphertext_length != kModulusBytes) {
            return kFailed;
        }
        rsa->parts = kPrivateParts;
        if (rsa::init_rsaes(rsa.get(), run.encoding, 1, run.digest) != kOk ||
            rsa::decrypt_rsaes(rsa.get(), decrypted, &decrypted_length, ciphertext,
                               ciphertext_length) != kOk ||
            decrypted_length != message_length ||
            !matches_expected(KatId::Rsaes, 0, decrypted, message)) {
            return kFailed;
        }
    }
    return kOk;
}

}  // namespace zlc::selftest
