#pragma once
// Pieces shared by the discrete-logarithm signature schemes: the exponentiation for secret
// exponents, inverses modulo a prime, the small-prime sieve in front of Miller-Rabin, fixed-width
// encodings and a wiped scratch buffer.
#include <cstddef>
#include <cstdint>
#include <span>

#include "crypto/bigint/bigint.h"
#include "crypto/core/status.h"
#include "zlc.h"

namespace zlc::pk {

// r = a^e mod m for a secret exponent e of at most `exponent_bits` bits (the bit length of the
// group order): the scan does not depend on e's value.
[[nodiscard]] Status exp_secret(BIGINT* r, const BIGINT* a, const BIGINT* e,
                                std::int32_t exponent_bits, const BIGINT* m,
                                BIGINT_POOL* pool) noexcept;

// r = a^-1 mod q for a prime q, as a^(q-2) (Fermat) so that a secret a meets no branch of the
// extended Euclidean algorithm. Fails when a is 0 mod q.
[[nodiscard]] Status inverse_mod_prime(BIGINT* r, const BIGINT* a, const BIGINT* q,
                                       BIGINT_POOL* pool) noexcept;

// False when n (odd, above the sieve's primes) has a small odd prime factor: a cheap rejection of
// most composites before the Miller-Rabin rounds, which would reject them anyway.
bool survives_small_primes(const BIGINT* n) noexcept;

// Writes n big-endian into exactly `width` bytes, left-padded with zeros; false when n is longer.
bool write_fixed(const BIGINT* n, std::uint8_t* out, std::int32_t width) noexcept;

// Byte length of n, (bits + 7) / 8; 0 for null or zero.
std::int32_t byte_length(const BIGINT* n) noexcept;

// Equality of two byte strings without an early exit.
bool equal_bytes(const std::uint8_t* a, const std::uint8_t* b, std::size_t n) noexcept;

// Copies src into *slot, making the record when missing; false on failure.
bool store_copy(BIGINT** slot, const BIGINT* src) noexcept;
// Frees *slot (wiped) and sets it to null.
void release(BIGINT** slot) noexcept;
// Copies every non-null src[i] into a new record out[i] (null where src[i] is null). On a failure
// releases what it made and returns false. Each out[i] must start null.
bool copy_all(std::span<BIGINT*> out, std::span<const BIGINT* const> src) noexcept;

// A zero-filled heap block wiped before release.
class Buffer {
  public:
    explicit Buffer(std::size_t n) noexcept;
    ~Buffer();
    Buffer(const Buffer&) = delete;
    Buffer& operator=(const Buffer&) = delete;
    std::uint8_t* data() const noexcept { return data_; }
    bool ok() const noexcept { return data_ != nullptr; }

  private:
    std::uint8_t* data_;
    std::size_t size_;
};

}  // namespace zlc::pk
