#pragma once
// The power-up self-test: the module file's signature, object creation, in proven mode the
// entropy source, then the known-answer tests, stopping at the first failing step.
#include <cstdint>

#include "crypto/core/status.h"

namespace zlc::selftest {

// The whole sequence: 0, or the status of the first step that failed.
[[nodiscard]] Status crypto_self_test() noexcept;

// Creates and releases one object of every kind (no DSA key in proven mode): 0 or 0x1A020059.
[[nodiscard]] Status ObjectTest() noexcept;

// Two entropy-and-nonce draws that must differ, then one request on the process's DRBG seeded
// from the second: 0 or 0x1A040014.
[[nodiscard]] Status EntropyTest() noexcept;

// The steps in the order they run.
enum class Step : std::uint8_t {
    Integrity,
    Objects,
    Entropy,
    KatDrbg,
    KatHmac,
    KatDigest,
    KatBlockCipher,
    KatRsaes,
    KatRsassa,
    KatKcdsa,
};

// Internal seam for tests: the observer hears of each step just before it runs; null stops it.
// Returns the previous observer.
using StepObserver = void (*)(Step step);
StepObserver observe_steps(StepObserver observer) noexcept;

}  // namespace zlc::selftest
