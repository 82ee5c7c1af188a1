#include "crypto/selftest/kat.h"

// Placeholders until the known-answer vectors are embedded.
namespace zlc::selftest {

Status KatDrbg() noexcept { return kOk; }
Status KatHmac() noexcept { return kOk; }
Status KatDigest() noexcept { return kOk; }
Status KatBlockCipher() noexcept { return kOk; }
Status KatRsaes() noexcept { return kOk; }
Status KatRsassa() noexcept { return kOk; }
Status KatKcdsa() noexcept { return kOk; }

}  // namespace zlc::selftest
