#pragma once
// The secret-exponent exponentiation for moduli of 513 to 1024 bits on AVX-512 IFMA: Montgomery
// products over twenty 52-bit limbs in three vector registers.
#include <cstdint>

#include "crypto/platform/cpu.h"

namespace zlc::bigint::ifma {

inline constexpr int kWords = 32;  // 32-bit words of the operands
inline constexpr platform::FeatureMask kNeeds =
    platform::kAvx512f | platform::kAvx512vl | platform::kAvx512ifma;

// True when the processor has AVX-512F, VL and IFMA and the features seam permits them.
bool usable() noexcept;

// r = base^e mod m for an odd m below 2^1024 and base < m, all of kWords words (zeros above the
// values); rr = 2^2080 mod m. The exponent is scanned from window `windows - 1` down to 0, each of
// w bits, as in the portable exponentiation (exp holds a word beyond the last window). Every
// memory address and branch depends only on `windows` and w. The scratch is wiped.
void exp_consttime(std::uint32_t* r, const std::uint32_t* base, const std::uint32_t* m,
                   const std::uint32_t* rr, const std::uint32_t* exp, std::int64_t windows,
                   int w) noexcept;

// Two exponentiations of the kind above at once (r[k] = base[k]^exp[k] mod m[k]), interleaved so
// that the latency of one product hides behind the other's: the CRT halves of an RSA operation.
void exp_consttime_x2(std::uint32_t* const* r, const std::uint32_t* const* base,
                      const std::uint32_t* const* m, const std::uint32_t* const* rr,
                      const std::uint32_t* const* exp, std::int64_t windows, int w) noexcept;

}  // namespace zlc::bigint::ifma
