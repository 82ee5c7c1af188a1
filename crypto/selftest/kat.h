#pragma once
// The known-answer tests that close the power-up self-test, in the order the sequence runs them.
// Each returns 0 or its own status (module 0x1A, one operation byte per test, reason 0x59).
#include "crypto/core/status.h"

namespace zlc::selftest {

[[nodiscard]] Status KatDrbg() noexcept;
[[nodiscard]] Status KatHmac() noexcept;
[[nodiscard]] Status KatDigest() noexcept;
[[nodiscard]] Status KatBlockCipher() noexcept;
[[nodiscard]] Status KatRsaes() noexcept;
[[nodiscard]] Status KatRsassa() noexcept;
[[nodiscard]] Status KatKcdsa() noexcept;

}  // namespace zlc::selftest
