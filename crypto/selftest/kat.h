#pragma once
// The known-answer tests that close the power-up self-test, in the order the sequence runs them.
// Each returns 0 or its own status (module 0x1A, one operation byte per test, reason 0x59).
#include <cstddef>
#include <cstdint>

#include "crypto/core/status.h"

namespace zlc::selftest {

[[nodiscard]] Status KatDrbg() noexcept;
[[nodiscard]] Status KatHmac() noexcept;
[[nodiscard]] Status KatDigest() noexcept;
[[nodiscard]] Status KatBlockCipher() noexcept;
[[nodiscard]] Status KatRsaes() noexcept;
[[nodiscard]] Status KatRsassa() noexcept;
[[nodiscard]] Status KatKcdsa() noexcept;

// The tests by name, in running order.
enum class KatId : std::uint8_t { Drbg, Hmac, Digest, BlockCipher, Rsaes, Rsassa, Kcdsa };
inline constexpr std::size_t kKatCount = 7;

// The status each test returns on any failure.
constexpr Status kat_failure(KatId id) {
    constexpr std::uint8_t kOperation[kKatCount] = {0x05, 0x06, 0x07, 0x09, 0x0B, 0x0C, 0x0D};
    return make_status(Module::SelfTest, kOperation[static_cast<std::size_t>(id)],
                       REASON_STEP_FAILED);
}

// Internal seam for tests: the expected bytes of a test are all the bytes it checks the library's
// results against, its vectors' in table order:
//   Drbg         the second generate's output of each vector (28 + 32 + 48 + 64)
//   Hmac         the compared leading MAC bytes of each vector (14 + 16 + 24 + 32; only those are
//                stored)
//   Digest       each digest (28 + 32 + 48 + 64)
//   BlockCipher  each record's ciphertext (16 x 16)
//   Rsaes        the message the decryption is compared with (62)
//   Rsassa       the message as the verification step is given it (128)
//   Kcdsa        r then s of each vector (28 + 28 + 32 + 32)
// corrupt_expected_byte makes the test see byte `index` of its expected bytes with its lowest bit
// flipped, until restore_expected or the next corrupt_expected_byte (one byte at a time; an index
// outside the test's expected bytes restores them all). The vectors themselves stay read-only. Not
// for use while a self-test runs on another thread.
std::size_t expected_size(KatId id) noexcept;
void corrupt_expected_byte(KatId id, std::size_t index) noexcept;
void restore_expected() noexcept;

}  // namespace zlc::selftest
