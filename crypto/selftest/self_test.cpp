#include "crypto/selftest/kat.h"
#include "zlc.h"

extern "C" {

ZLC_API uint32_t ZLC_Crypto_Self_Test(void) ZLC_NOEXCEPT { return zlc::kOk; }

}  // extern "C"
