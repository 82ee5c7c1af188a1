#pragma once
// Random integers, Miller-Rabin testing and prime generation: the C++ entry points behind
// ZLC_Rand_BIGINT(_Ex), ZLC_Is_BIGINT_Prime(_Ex) and ZLC_Generate_BIGINT_Prime(_Ex), with the
// same arguments, results and statuses. The _ex functions draw from the DRBG (SHA-256 Hash_DRBG),
// the others from a PRNG unit made per draw with G = `digest` (0 selects SHA-1).
#include <cstdint>

#include "crypto/core/status.h"
#include "zlc.h"

namespace zlc::bigint {

// r = a random integer below 2^bits; top -1 leaves the high bits random, 0 sets bit bits-1, any
// other value bits bits-1 and bits-2; a nonzero bottom makes r odd. The pool is not used.
[[nodiscard]] Status rand_ex(BIGINT* r, std::int32_t bits, std::int32_t top, std::int32_t bottom,
                             BIGINT_POOL* pool) noexcept;
[[nodiscard]] Status rand(BIGINT* r, std::int32_t bits, std::int32_t top, std::int32_t bottom,
                          BIGINT_POOL* pool, std::uint32_t digest) noexcept;

// 1: n passed count - 1 Miller-Rabin rounds (a count below 2 runs one); -1: composite; 0: n is 0,
// 1 or even (2 is prime), or a step failed. A null pool makes a private one.
std::int32_t is_prime_ex(const BIGINT* n, std::int32_t count, BIGINT_POOL* pool) noexcept;
std::int32_t is_prime(const BIGINT* n, std::int32_t count, BIGINT_POOL* pool,
                      std::uint32_t digest) noexcept;

// p = a random prime of exactly `bits` bits (at least 16) whose predecessor has no odd factor
// below 17864. A null pool makes a private one.
[[nodiscard]] Status generate_prime_ex(BIGINT* p, std::int32_t bits, BIGINT_POOL* pool) noexcept;
[[nodiscard]] Status generate_prime(BIGINT* p, std::int32_t bits, BIGINT_POOL* pool,
                                    std::uint32_t digest) noexcept;

// Miller-Rabin rounds given to a generated prime of `bits` bits (3 from 1300 bits up, 38 below
// 150).
int prime_rounds(std::int32_t bits) noexcept;

}  // namespace zlc::bigint
