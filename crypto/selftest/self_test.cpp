#include "crypto/selftest/self_test.h"

#include <atomic>

#include "crypto/cipher/block_cipher.h"
#include "crypto/core/ct.h"
#include "crypto/core/memory.h"
#include "crypto/core/module_state.h"
#include "crypto/digest/digest.h"
#include "crypto/digest/hmac.h"
#include "crypto/pk/dsa.h"
#include "crypto/pk/kcdsa.h"
#include "crypto/pk/rsa.h"
#include "crypto/rand/drbg.h"
#include "crypto/rand/entropy.h"
#include "crypto/selftest/integrity.h"
#include "crypto/selftest/kat.h"
#include "zlc.h"

namespace zlc::selftest {
namespace {

constexpr std::uint16_t kReasonEntropyFailed = 0x0014;
constexpr Status kObjectFailed = make_status(Module::SelfTest, 0x02, REASON_STEP_FAILED);
constexpr Status kEntropyFailed = make_status(Module::SelfTest, 0x04, kReasonEntropyFailed);

std::atomic<StepObserver> g_observer{nullptr};

// Security strength 16 bytes at collection level 3: a 32-byte entropy input condensed with
// SHA-256 and a 16-byte nonce.
constexpr std::int32_t kEntropyStrength = 16;
constexpr std::int32_t kEntropyLevel = 3;
constexpr std::int32_t kEntropyRequestLength = 32;

struct EntropyDraw {
    std::int32_t entropy_length = 0;
    std::int32_t nonce_length = 0;
    std::uint8_t* entropy = nullptr;
    std::uint8_t* nonce = nullptr;

    EntropyDraw() = default;
    EntropyDraw(const EntropyDraw&) = delete;
    EntropyDraw& operator=(const EntropyDraw&) = delete;
    ~EntropyDraw() {
        mem::free_wiped(entropy, static_cast<std::size_t>(entropy != nullptr ? entropy_length : 0));
        mem::free_wiped(nonce, static_cast<std::size_t>(nonce != nullptr ? nonce_length : 0));
    }

    [[nodiscard]] bool draw() noexcept {
        return rand::GetEntropyAndNonce(&entropy_length, &nonce_length, &entropy, &nonce,
                                        kEntropyStrength, kEntropyLevel) == kOk &&
               entropy != nullptr && nonce != nullptr;
    }
};

bool same_bytes(const std::uint8_t* a, std::int32_t a_length, const std::uint8_t* b,
                std::int32_t b_length) {
    return a_length == b_length && ct::bytes_eq_mask(a, b, static_cast<std::size_t>(a_length)) != 0;
}

}  // namespace

Status ObjectTest() noexcept {
    rand::DRBG_INSTANCE* drbg = rand::DrbgNew();
    if (drbg == nullptr) return kObjectFailed;
    rand::DrbgFree(drbg);

    HMAC_UNIT* hmac_unit = hmac::new_unit();
    if (hmac_unit == nullptr) return kObjectFailed;
    hmac::clean_unit(hmac_unit);
    hmac::free_unit(hmac_unit);

    DIGEST_UNIT* digest_unit = digest::new_unit();
    if (digest_unit == nullptr) return kObjectFailed;
    digest::clean_unit(digest_unit);
    digest::free_unit(digest_unit);

    BLOCK_CIPHER_UNIT* cipher_unit = cipher::new_unit();
    if (cipher_unit == nullptr) return kObjectFailed;
    cipher::free_unit(cipher_unit);

    // A key record without its scratch pool could not be used, so it counts as not created.
    rsa::RSA* rsa_key = rsa::new_rsa();
    const bool rsa_created = rsa_key != nullptr && rsa_key->pool != nullptr;
    rsa::free_rsa(rsa_key);
    if (!rsa_created) return kObjectFailed;

    KCDSA* kcdsa_key = kcdsa::new_kcdsa();
    if (kcdsa_key == nullptr) return kObjectFailed;
    kcdsa::free_kcdsa(kcdsa_key);

    // DSA is not approved in proven mode.
    if (!core::is_proven()) {
        ZLC_DSA* dsa_key = dsa::new_dsa();
        if (dsa_key == nullptr) return kObjectFailed;
        dsa::free_dsa(dsa_key);
    }
    return kOk;
}

Status EntropyTest() noexcept {
    EntropyDraw first, second;
    if (!first.draw() || !second.draw()) return kEntropyFailed;
    if (same_bytes(first.entropy, first.entropy_length, second.entropy, second.entropy_length) ||
        same_bytes(first.nonce, first.nonce_length, second.nonce, second.nonce_length)) {
        return kEntropyFailed;
    }
    rand::DRBG_INPUT input{};
    input.entropy_length = second.entropy_length;
    input.entropy = second.entropy;
    input.nonce_length = second.nonce_length;
    input.nonce = second.nonce;
    std::uint8_t out[kEntropyRequestLength];
    mem::WipeOnExit wipe_out(out);
    if (rand::DrbgRequest(&input, out, kEntropyRequestLength, 0, ZLC_SHA256, 0) != kOk) {
        return kEntropyFailed;
    }
    return kOk;
}

StepObserver observe_steps(StepObserver observer) noexcept {
    return g_observer.exchange(observer);
}

Status crypto_self_test() noexcept {
    struct Entry {
        Step step;
        Status (*run)() noexcept;
    };
    static constexpr Entry kSequence[] = {
        {Step::Integrity, IntegrityTest},
        {Step::Objects, ObjectTest},
        {Step::Entropy, EntropyTest},
        {Step::KatDrbg, KatDrbg},
        {Step::KatHmac, KatHmac},
        {Step::KatDigest, KatDigest},
        {Step::KatBlockCipher, KatBlockCipher},
        {Step::KatRsaes, KatRsaes},
        {Step::KatRsassa, KatRsassa},
        {Step::KatKcdsa, KatKcdsa},
    };
    for (const Entry& entry : kSequence) {
        // The entropy source is tested only in proven mode.
        if (entry.step == Step::Entropy && !core::is_proven()) continue;
        if (const StepObserver observer = g_observer.load(); observer != nullptr)
            observer(entry.step);
        if (const Status status = entry.run(); status != kOk) return status;
    }
    return kOk;
}

}  // namespace zlc::selftest

// The gate of the module state runs the sequence through this declaration of the core layer.
zlc::Status zlc::core::self_test_sequence() noexcept {
    return selftest::crypto_self_test();
}

extern "C" {

ZLC_API uint32_t ZLC_Crypto_Self_Test(void) ZLC_NOEXCEPT {
    return zlc::selftest::crypto_self_test();
}

}  // extern "C"
