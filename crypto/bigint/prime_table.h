#pragma once
// The first 2048 primes (2 to 17863), built at compile time, and the sieve's word-sized moduli.
#include <array>
#include <cstddef>
#include <cstdint>

namespace zlc::bigint {

inline constexpr std::size_t kSmallPrimeCount = 2048;

constexpr std::array<std::uint16_t, kSmallPrimeCount> make_small_primes() {
    std::array<std::uint16_t, kSmallPrimeCount> primes{};
    std::size_t count = 0;
    for (std::uint32_t candidate = 2; count < kSmallPrimeCount; ++candidate) {
        bool prime = true;
        for (std::size_t i = 0; i < count && primes[i] * primes[i] <= candidate; ++i) {
            if (candidate % primes[i] == 0) {
                prime = false;
                break;
            }
        }
        if (prime) primes[count++] = static_cast<std::uint16_t>(candidate);
    }
    return primes;
}

inline constexpr std::array<std::uint16_t, kSmallPrimeCount> kSmallPrimes = make_small_primes();
static_assert(kSmallPrimes[0] == 2 && kSmallPrimes[1] == 3 && kSmallPrimes[999] == 7919);
static_assert(kSmallPrimes[kSmallPrimeCount - 1] == 17863);

// The sieve works on the odd entries, 3 to 17863.
inline constexpr std::size_t kOddPrimeCount = kSmallPrimeCount - 1;

// Residues are taken modulo products of two neighbouring odd primes (each below 2^30), halving the
// passes over the candidate's words. `reciprocal` is floor(2^64 / product), for reduction by
// multiplication (no division instruction, no operand-dependent timing).
struct PrimePair {
    std::uint32_t product;
    std::uint64_t reciprocal;
};
inline constexpr std::size_t kPrimePairCount = (kOddPrimeCount + 1) / 2;

constexpr std::array<PrimePair, kPrimePairCount> make_prime_pairs() {
    std::array<PrimePair, kPrimePairCount> pairs{};
    for (std::size_t i = 0; i < kPrimePairCount; ++i) {
        const std::uint32_t a = kSmallPrimes[1 + 2 * i];
        const std::uint32_t b = 2 + 2 * i < kSmallPrimeCount ? kSmallPrimes[2 + 2 * i] : 1;
        pairs[i].product = a * b;
        // No product is a power of two, so (2^64 - 1) / m = floor(2^64 / m).
        pairs[i].reciprocal = ~std::uint64_t{0} / pairs[i].product;
    }
    return pairs;
}

inline constexpr std::array<PrimePair, kPrimePairCount> kPrimePairs = make_prime_pairs();
static_assert(kPrimePairs[kPrimePairCount - 1].product == 17863);  // the odd one out stands alone
static_assert(kPrimePairs[0].product == 15);

}  // namespace zlc::bigint
