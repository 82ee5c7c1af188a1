#pragma once
// Entropy from the operating system: the process-wide seed pool of the older generators, and the
// collector that gives the DRBG its entropy input and nonce.
#include <cstddef>
#include <cstdint>

#include "crypto/core/status.h"

namespace zlc::rand {

// The seed pool: operating-system values mixed in with SHA-1. Users stir their own material
// through `summary` after EnsureSeedPool.
inline constexpr std::size_t kSeedPoolSize = 1023;
inline constexpr std::size_t kSeedSummarySize = 20;

struct SEED_POOL {
    std::uint8_t pool[kSeedPoolSize];
    std::int32_t position;  // next byte to mix, 0..1022
    std::uint8_t summary[kSeedSummarySize];
    std::uint32_t chunk_counter;
    std::uint32_t seeded;
    std::uint32_t seeded_by;  // process that gathered; a forked child gathers again
};

// The process's pool. Not locked: its users run one thread at a time.
SEED_POOL& seed_pool() noexcept;

// Mixes length bytes into the pool; false when SHA-1 is unavailable (proven mode), in which case
// only `position` and `chunk_counter` move. Length 0 changes nothing.
bool PoolAdd(const void* data, std::size_t length) noexcept;

// Run the seed-pool sources (every one, or process identity, times and the system generator);
// true when the system generator's bytes were mixed in.
bool GatherFull() noexcept;
bool GatherLight() noexcept;

// Gathers once per process (in full in proven mode); true when the pool is seeded. A pool whose
// gather missed the system generator stays unseeded, and the next call tries again.
[[nodiscard]] bool EnsureSeedPool() noexcept;

// A growing buffer of raw source values with their summed entropy estimate, condensed by a SHA-2
// digest. Owned by one call at a time.
struct ENTROPY_COLLECTOR {
    std::int32_t level;  // 1, 2 or 3
    std::uint8_t* condensed;
    std::int32_t condensed_length;
    std::int32_t estimate;
    std::uint32_t raw_used;
    std::uint32_t raw_capacity;
    std::uint8_t* raw;
};

// Appends bytes and credits their estimate: 0x1C01002B for null arguments, 0x1C01003A when the
// buffer cannot grow (the record is left unchanged).
[[nodiscard]] Status CollectorAdd(ENTROPY_COLLECTOR* collector, const void* data,
                                  std::uint32_t length, std::int32_t estimate) noexcept;

// Runs the sources of collector->level: 0, or 1 for a bad record or level, or when the system
// generator delivered nothing (the other sources alone are not enough).
[[nodiscard]] Status Collect(ENTROPY_COLLECTOR* collector) noexcept;

// Digests the raw bytes into `condensed`: 0x1C03002B for a null record, a zero estimate, no raw
// bytes or an unknown identifier; otherwise the one-shot digest's status.
[[nodiscard]] Status Condense(ENTROPY_COLLECTOR* collector, std::uint32_t digest_id) noexcept;

// Wipes and releases both buffers and zeroes the record, which can then be filled again.
void WipeCollector(ENTROPY_COLLECTOR* collector) noexcept;

// Fills length bytes with condensed fresh collections (a level outside 1..3 becomes 2).
// 0x1C040049 for a null output or a length of 0 or less, 0x1C040014 when a collection fails.
[[nodiscard]] Status FillEntropy(std::uint32_t digest_id, std::uint8_t* out, std::int32_t length,
                                 std::int32_t level) noexcept;

// As FillEntropy, and hands the last pass's collector to the caller (release with
// WipeCollector and mem::free_record). 0x1C040049, 0x1C02002B for a failed collection, or the
// status of Condense.
[[nodiscard]] Status FillEntropyKeep(std::uint32_t digest_id, std::uint8_t* out,
                                     std::int32_t length, std::int32_t level,
                                     ENTROPY_COLLECTOR** kept) noexcept;

// The DRBG's entropy input and nonce for a security strength in bytes (at most 32): a pointer
// already set is kept and only the missing value is made. Buffers are zero-filled heap blocks
// owned by the caller (mem::free_wiped). 0x1C060049, 0x1C06002B, 0x1C060014.
[[nodiscard]] Status GetEntropyAndNonce(std::int32_t* entropy_length, std::int32_t* nonce_length,
                                        std::uint8_t** entropy, std::uint8_t** nonce,
                                        std::int32_t strength, std::int32_t level) noexcept;

// The entropy input of a reseed: 0x1C05002B, 0x1C050014. Any block attached on entry is
// released (its length taken from *entropy_length).
[[nodiscard]] Status GetReseedEntropy(std::int32_t* entropy_length, std::uint8_t** entropy,
                                      std::int32_t strength, std::int32_t level) noexcept;

}  // namespace zlc::rand
